/*
 * panel-keys record and replay: the recording format, recording the state
 * and changes of prefixes, replay with its options, its timing and its
 * refusals.
 */
#include <vconf.h>
#include <vconf_store.h>

#include <gtest/gtest.h>

#include "recording.h"
#include "test_support.h"

#include <csignal>
#include <fstream>
#include <memory>
#include <tuple>

namespace {

std::string keys_in_store()
{
    std::string all;
    auto add = [](const char *key, void *out) { *static_cast<std::string *>(out) += key + std::string(" "); };
    vconf_store_list("", add, &all);
    return all;
}

bool wait_file(const std::string &file, const std::string &text)
{
    for (double deadline = test_support::now() + 10; test_support::now() < deadline; ::usleep(10000))
        if (test_support::read_file(file).find(text) != std::string::npos)
            return true;
    return false;
}

std::string write_file(const std::string &dir, const std::string &text)
{
    std::string path = dir + "/recording.txt";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

test_support::RunResult keys(std::vector<std::string> args)
{
    args.insert(args.begin(), PANEL_KEYS_PATH);
    return test_support::run(args);
}

std::string str(const char *key)
{
    std::unique_ptr<char, decltype(&std::free)> value(vconf_get_str(key), &std::free);
    return value ? value.get() : "<none>";
}

/* Name and time of arrival of every change a prefix watch reports. */
using arrivals_t = std::vector<std::pair<std::string, double>>;
void arrival_cb(keynode_t *node, void *arrivals)
{
    static_cast<arrivals_t *>(arrivals)->emplace_back(vconf_keynode_get_name(node), test_support::now());
}

}  // namespace

TEST(RecordingFormat, AnyBytesStayOnOneLineAndReadBack)
{
    std::string every;
    for (int c = 1; c < 256; ++c)
        every += static_cast<char>(c);
    const std::vector<std::string> values = {
        "", " ", "REQ_STATUS_LOAD_STATUS", "COMP<br>FAN_F", "line\nbreak\r\n", "quote \" and \\ back",
        "냉장고 부하", "bad \xC3\x28 and \xED\xA0\x80 surrogate \xF4\x90\x80\x80", every};
    for (const std::string &value : values) {
        std::string line = recording::format({false, 12.5, "memory/refrigerator/LoadStatus", VCONF_TYPE_STRING, value});
        SCOPED_TRACE(line);
        for (unsigned char c : line)
            EXPECT_TRUE(c >= 0x20 && c != 0x7F) << int(c);
        std::vector<recording::Change> back;
        std::string error;
        std::string file = std::string(recording::kHeader) + "\n" + line + "\n";
        ASSERT_TRUE(recording::parse(file, back, error)) << error;
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].value, value);
        EXPECT_DOUBLE_EQ(back[0].seconds, 12.5);
        EXPECT_FALSE(back[0].state);
        EXPECT_EQ(back[0].line, 2u);
    }
    // Valid UTF-8 is kept as it stands, the rest escaped.
    EXPECT_EQ(recording::quote("냉 \xFF\t"), "\"냉 \\xFF\\t\"");
}

TEST(RecordingFormat, DamagedFilesNameTheLineAndTheReason)
{
    const std::string head = std::string(recording::kHeader) + "\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty file"},
        {"panel-keys recording 2\n", "line 1: not a panel-keys recording"},
        {head + "1.0 db/a int\n", "line 2: no value"},
        {head + "# fine\n\n1.0 db/a int 12x\n", "line 4: bad int value"},
        {head + "1.0 db/a int 99999999999\n", "bad int value"},
        {head + "1.0 db/a bool 2\n", "bad bool value"},
        {head + "1.0 db/a double x\n", "bad double value"},
        {head + "1.0 db/a float 1\n", "unknown type"},
        {head + "1.0 db/../a int 1\n", "refused key name"},
        {head + "1.0 db/a string unquoted\n", "double quotes"},
        {head + "1.0 db/a string \"open\n", "no closing quote"},
        {head + "1.0 db/a string \"a\" b\n", "text after the closing quote"},
        {head + "1.0 db/a string \"\\q\"\n", "unknown escape"},
        {head + "1.0 db/a string \"\\x4\"\n", "two hex digits"},
        {head + "1.0 db/a string \"\\x00\"\n", "NUL"},
        {head + "1.0 db/a string \"tab\there\"\n", "control byte"},
        {head + "1.0 db/a string \"crlf\"\r\n", "text after the closing quote"},
        {head + "1.0 db/a unset 3\n", "text after unset"},
        {head + "state db/a unset\n", "never unset"},
        {head + "2.0 db/a int 1\n1.5 db/a int 2\n", "line 3: earlier than the line before"},
        {head + "1.0 db/a int 1\nstate db/b int 1\n", "line 3: a state line after the first change"},
        {head + "-1.0 db/a int 1\n", "line 2: a line begins with"},
        {head + "1e3 db/a int 1\n", "a line begins with"},
        {head + "1.0  db/a int 1\n", "refused key name"},
        {head + "1.0 db/a string \"" + std::string(1024 * 1024 + 1, 'x') + "\"\n", "larger than 1048576"},
    };
    for (const auto &[text, reason] : cases) {
        SCOPED_TRACE(text.substr(0, 80));
        std::vector<recording::Change> out;
        std::string error;
        EXPECT_FALSE(recording::parse(text, out, error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    std::vector<recording::Change> out;
    std::string error;
    const std::string fine = head + "state db/a string \"\"\n0 db/a string \"\"\n0.5 db/a unset\n";
    EXPECT_TRUE(recording::parse(fine, out, error)) << error;
    EXPECT_EQ(out.size(), 3u);
}

TEST(RecordReplay, RecordWritesTheStateThenEveryChangeUntilInterrupted)
{
    test_support::PlatformDir dir;
    vconf_set_str("memory/refrigerator/ModelName", "RF-DEMO-01");
    vconf_set_int("db/refrigerator/RefOption01", 129);
    vconf_set_int("db/other/Kept", 1);
    std::string file = dir.path() + "/session.rec";
    test_support::Child recorder({PANEL_KEYS_PATH, "record", file, "memory/refrigerator/", "db/refrigerator/",
                                  "memory/refrigerator/Load"});
    ASSERT_TRUE(wait_file(file, "RefOption01"));
    // A key is written again only once its change is in the file.
    vconf_set_str("memory/refrigerator/TxMessage", "REQ_STATUS_LOAD_STATUS");
    vconf_set_str("memory/refrigerator/LoadStatus", "COMP\nline");
    ASSERT_TRUE(wait_file(file, "COMP\\nline"));
    vconf_set_int("db/refrigerator/new/Deep", -5);
    vconf_set_int("db/other/Kept", 2);
    vconf_unset("memory/refrigerator/LoadStatus");
    ASSERT_TRUE(wait_file(file, "LoadStatus unset"));
    EXPECT_EQ(recorder.stop(SIGINT), 0) << recorder.err();
    EXPECT_EQ(recorder.out().rfind("recorded ", 0), 0u) << recorder.out();

    std::vector<recording::Change> changes;
    std::string error;
    ASSERT_TRUE(recording::parse(test_support::read_file(file), changes, error)) << error;
    std::vector<std::string> lines;
    for (recording::Change c : changes)
        lines.push_back(recording::format({c.state, 0, c.key, c.type, c.value}));
    // State by prefix in name order, then the changes; db/other is not recorded.
    const std::vector<std::string> expected = {
        "state memory/refrigerator/ModelName string \"RF-DEMO-01\"",
        "state db/refrigerator/RefOption01 int 129",
        "0.000000 memory/refrigerator/TxMessage string \"REQ_STATUS_LOAD_STATUS\"",
        "0.000000 memory/refrigerator/LoadStatus string \"COMP\\nline\"",
        "0.000000 db/refrigerator/new/Deep int -5",
        "0.000000 memory/refrigerator/LoadStatus unset",
    };
    // The new directory's key may be reported twice (created with it).
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    EXPECT_EQ(lines, expected);

    // Usage and failures, one line each.
    const std::tuple<std::vector<std::string>, int, const char *> refusals[] = {
        {{"record", file, "refrigerator/"}, 2, "refused prefix: refrigerator/"},
        {{"record", file}, 2, "panel-keys: "},
        {{"record", dir.path() + "/no/such/dir/x", "db/"}, 1, "cannot write"}};
    for (const auto &[args, status, reason] : refusals) {
        auto r = keys(args);
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
    }
}

TEST(RecordReplay, ReplayWritesWhatTheOptionsAskAndRefusesDamagedFiles)
{
    test_support::PlatformDir dir;
    const std::string recording = std::string(recording::kHeader) +
        "\n# a hand-written recording\n"
        "state memory/refrigerator/ModelName string \"RF-DEMO-01\"\n"
        "state memory/refrigerator/TxMessage string \"REQ_STATUS_REQUEST_VERSION\"\n"
        "0.100000 memory/refrigerator/TxMessage string \"REQ_STATUS_LOAD_STATUS\"\n"
        "0.200000 memory/refrigerator/LoadStatus string \"COMP\"\n"
        "0.300000 memory/refrigerator/LoadStatus string \"COMP<br>FAN_F\\nx\"\n"
        "0.400000 db/refrigerator/Flag bool 1\n"
        "0.500000 db/refrigerator/Ratio double 0.25\n"
        "0.600000 db/refrigerator/Gone int 7\n"
        "0.700000 db/refrigerator/Gone unset\n"
        "0.800000 db/refrigerator/Never unset\n";
    std::string file = write_file(dir.path(), recording);
    auto wipe = [&dir] {
        std::filesystem::remove_all(dir.path() + "/db");
        std::filesystem::remove_all(dir.path() + "/run");
    };

    // Plain replay: state and changes, no command.
    auto r = keys({"replay", file, "--speed", "10"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("7 changes"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2 commands left out"), std::string::npos) << r.out;
    EXPECT_EQ(keys_in_store(), "db/refrigerator/Flag db/refrigerator/Ratio memory/refrigerator/LoadStatus "
                               "memory/refrigerator/ModelName ");
    EXPECT_EQ(str("memory/refrigerator/LoadStatus"), "COMP<br>FAN_F\nx");
    double ratio = 0;
    EXPECT_EQ(vconf_get_dbl("db/refrigerator/Ratio", &ratio), VCONF_OK);
    EXPECT_EQ(ratio, 0.25);

    // --with-commands, --no-state, and --from writing earlier changes at once.
    wipe();
    r = keys({"replay", file, "--no-state", "--with-commands", "--from", "0.35", "--speed", "4"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(keys_in_store(), "db/refrigerator/Flag db/refrigerator/Ratio memory/refrigerator/LoadStatus "
                               "memory/refrigerator/TxMessage ");
    EXPECT_EQ(str("memory/refrigerator/TxMessage"), "REQ_STATUS_LOAD_STATUS");

    // A damaged file: one line, nothing written.
    wipe();
    r = keys({"replay", write_file(dir.path(), recording + "0.900000 db/refrigerator/Late int x\n")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("line 13: bad int value: nothing replayed"), std::string::npos) << r.err;
    EXPECT_EQ(keys_in_store(), "");
    EXPECT_EQ(keys({"replay", dir.path() + "/missing"}).status, 1);

    // A write the store refuses is named; the others are done.
    file = write_file(dir.path(), recording);
    vconf_store_set_readonly("db/refrigerator/Flag", 1);
    r = keys({"replay", file, "--speed", "100"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("line 8: db/refrigerator/Flag is read-only"), std::string::npos) << r.err;
    EXPECT_EQ(vconf_store_type("db/refrigerator/Ratio"), VCONF_TYPE_DOUBLE);

    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"replay"}, {"replay", file, "--speed", "0"}, {"replay", file, "--speed"},
          {"replay", file, "--from", "-1"}, {"replay", file, "--fast"}, {"replay", file, file}}) {
        r = keys(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST(RecordReplay, ChangesArriveInOrderAtTheirTimesDividedByTheSpeed)
{
    test_support::PlatformDir dir;
    test_support::EcoreHeld ecore;
    std::signal(SIGCHLD, SIG_DFL);  // the replay's status is ours, not the main loop's
    // Changes 0.6 s apart and one 1.2 s later, replayed twice as fast.
    std::string file = write_file(dir.path(), std::string(recording::kHeader) +
                                                  "\nstate db/t/State int 1\n"
                                                  "1.000000 db/t/A int 1\n"
                                                  "1.600000 db/t/B string \"b\"\n"
                                                  "2.200000 db/t/A int 2\n"
                                                  "3.400000 db/t/A unset\n");
    arrivals_t arrivals;
    std::filesystem::create_directories(dir.path() + "/db/t");  // watched before the first write
    ASSERT_EQ(vconf_store_notify_prefix("db/t/", arrival_cb, &arrivals), VCONF_OK);
    test_support::Child replay({PANEL_KEYS_PATH, "replay", file, "--speed", "2"});
    ASSERT_TRUE(test_support::spin_until(20, [&] { return arrivals.size() >= 5; })) << arrivals.size();
    EXPECT_EQ(replay.stop(0), 0) << replay.err();
    test_support::spin_until(0.3, [] { return false; });
    ASSERT_EQ(arrivals.size(), 5u);
    const std::pair<const char *, double> expected[] = {
        {"db/t/State", 0}, {"db/t/A", 0}, {"db/t/B", 0.3}, {"db/t/A", 0.6}, {"db/t/A", 1.2}};
    for (size_t i = 0; i < arrivals.size(); ++i) {
        EXPECT_EQ(arrivals[i].first, expected[i].first) << i;
        if (i > 0) {
            EXPECT_NEAR(arrivals[i].second - arrivals[1].second, expected[i].second, 0.25) << i;
        }
    }
    vconf_store_ignore_prefix("db/t/", arrival_cb);
}
