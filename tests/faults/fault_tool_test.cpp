/*
 * The tools' fault matrix: the application matrix's bad inputs against the
 * built tools as processes, and the key store's own faults through them (a
 * store that cannot be written, writers killed mid-write, many writers of
 * one key). Every run must end by itself within 10 s with the documented
 * exit status, one line on standard error when it fails, and no key changed
 * that it should not change.
 */
#include <vconf.h>
#include <vconf_store.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "fault_inputs.h"
#include "test_support.h"

namespace fs = std::filesystem;
using faults::key_input;
using faults::kind;
using test_support::Child;
using test_support::RunResult;

namespace {

const char MODEL[] = "RF-DEMO-01";
const char MODEL_KEY[] = "memory/refrigerator/ModelName";
const char TX[] = "memory/refrigerator/TxMessage";

/* Standard error of a failed run: exactly one line of the tool's own, after
 * the log lines of the libraries (which begin with a priority letter). */
std::vector<std::string> own_lines(const std::string &err)
{
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
        if (line.size() < 2 || line[1] != '/')
            lines.push_back(line);
    return lines;
}

class ToolFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("ENGINEER_MODE_PROFILE_DIR", (dir_.path() + "/profile").c_str(), 1);
        ASSERT_EQ(vconf_set_str(MODEL_KEY, MODEL), VCONF_OK);
        faults::put_file(db_path(MODEL), faults::read_bytes(REFDB_PATH));
        for (int k = 1; k <= 13; k++)
            ASSERT_EQ(vconf_set_int(option_key(k).c_str(), 0), VCONF_OK);
    }
    void TearDown() override { unsetenv("ENGINEER_MODE_PROFILE_DIR"); }

    static std::string option_key(int k)
    {
        return "db/refrigerator/RefOption" + std::string(k < 10 ? "0" : "") + std::to_string(k);
    }
    std::string db_path(const std::string &model) const
    {
        return dir_.path() + "/profile/" + model + "/db/engineer_mode.db";
    }
    std::string platform() const { return dir_.path(); }

    /* Runs a tool to its end and checks what every run must give (see the
     * top of the file). */
    RunResult run(const std::vector<std::string> &argv, std::set<int> statuses,
                  const std::set<std::string> &writes = {})
    {
        faults::key_snapshot before = faults::snapshot_keys(platform());
        RunResult r = test_support::run(argv);
        std::string command;
        for (const std::string &a : argv)
            command += " " + a.substr(0, 60);
        EXPECT_NE(r.status, -1) << command << ": did not end within 10 s";
        EXPECT_LT(r.status, 128) << command << ": ended by signal " << r.status - 128 << "\n" << r.err;
        EXPECT_TRUE(statuses.count(r.status)) << command << ": status " << r.status << "\n" << r.err;
        if (r.status != 0 && r.status != -1) {
            EXPECT_EQ(own_lines(r.err).size(), 1u) << command << ": " << r.err;
        }
        for (const std::string &key : faults::changed_keys(before, faults::snapshot_keys(platform())))
            EXPECT_TRUE(writes.count(key)) << command << ": changed " << key;
        return r;
    }

    test_support::PlatformDir dir_;
};

/* ---- reference databases: refdb-check and panel-options ----------------- */

class DatabaseFaults : public ToolFaults, public ::testing::WithParamInterface<faults::db_case> {};

TEST_P(DatabaseFaults, CheckerAndOptionTool)
{
    const faults::db_case &c = GetParam();
    c.make(db_path(MODEL), REFDB_PATH);
    const std::string bytes = faults::read_bytes(db_path(MODEL));

    RunResult r = run({REFDB_CHECK_PATH, db_path(MODEL)}, {c.tool_status});
    EXPECT_NE((r.out + r.err).find(c.tool_says), std::string::npos) << r.out << r.err;

    /* The option tool reads the same table: it shows the options or says in
     * one line why it cannot. */
    r = run({PANEL_OPTIONS_PATH, "show"}, {0, 1});
    if (r.status == 1) {
        EXPECT_NE(own_lines(r.err).front().find("panel-options: "), std::string::npos);
    }
    EXPECT_EQ(faults::read_bytes(db_path(MODEL)), bytes) << "the database was changed";
}

INSTANTIATE_TEST_SUITE_P(Faults, DatabaseFaults, ::testing::ValuesIn(faults::db_cases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ToolFaults, ModelNamesThatLeaveTheProfileAreRefused)
{
    faults::put_file(db_path("../planted"), faults::read_bytes(REFDB_PATH));
    for (const std::string &model : {std::string("../planted"), std::string(300, 'M')}) {
        ASSERT_EQ(vconf_set_str(MODEL_KEY, model.c_str()), VCONF_OK);
        RunResult r = run({PANEL_OPTIONS_PATH, "show"}, {1});
        EXPECT_NE(r.err.find("model name refused"), std::string::npos) << r.err;
        EXPECT_NE(own_lines(r.err).front().find("refused"), std::string::npos) << r.err;
        /* The micom service would write it as the model name: refused. */
        r = run({MICOM_SERVICE_PATH, "--model", model}, {2});
    }
}

/* ---- bad keys and files: every tool that reads them ---------------------- */

class KeyFaults : public ToolFaults, public ::testing::WithParamInterface<faults::key_case> {
protected:
    /* A value as a command-line argument can carry it: no NUL, at most
     * 100,000 bytes (the kernel takes 128 KiB per argument). */
    static std::string as_argument(const faults::key_case &c, const key_input &in)
    {
        std::optional<std::string> file = c.key_file(in);
        std::string value = file ? file->substr(std::min(file->find('\n'), file->size())) : "";
        value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
        return value.substr(value.empty() ? 0 : 1, 100000);
    }
};

TEST_P(KeyFaults, PanelKeysNamesDamageAndNeverRetypes)
{
    const faults::key_case &c = GetParam();
    const key_input inputs[] = {{"db/t/number", kind::integer},
                                {"db/t/flag", kind::boolean},
                                {"memory/t/text", kind::string, "22", " "}};
    for (const key_input &in : inputs) {
        SCOPED_TRACE(in.key);
        std::optional<std::string> bytes = c.key_file(in);
        faults::put_key(platform(), in.key, bytes);
        /* A key of another type is a key like any other to the tool. */
        const bool damaged = bytes && faults::unreadable(c, in) && std::string(c.name) != "wrong_type";
        RunResult r = run({PANEL_KEYS_PATH, "get", in.key}, {0, 1});
        if (!bytes || damaged) {
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find(in.key), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, bytes->substr(bytes->find('\n') + 1) + "\n");
        }
        /* set keeps a readable key's type and refuses a damaged one. */
        r = run({PANEL_KEYS_PATH, "set", in.key, "1"}, {damaged ? 1 : 0},
                damaged ? std::set<std::string>{} : std::set<std::string>{in.key});
        if (damaged) {
            EXPECT_EQ(faults::read_bytes(faults::key_path(platform(), in.key)), *bytes) << "nothing lost";
        }
        run({PANEL_KEYS_PATH, "set", in.key, "2", "--type", "int"}, {0}, {in.key});
        faults::put_key(platform(), in.key, bytes);
    }
    /* list shows every key once, whatever the others hold. */
    RunResult r = run({PANEL_KEYS_PATH, "list"}, {0});
    EXPECT_NE(r.out.find("memory/refrigerator/ModelName=" + std::string(MODEL) + "\n"), std::string::npos);
    run({PANEL_KEYS_PATH, "unset", "memory/t/text"}, {0, 1}, {"memory/t/text"});
    EXPECT_FALSE(fs::exists(faults::key_path(platform(), "memory/t/text")));
}

TEST_P(KeyFaults, PanelOptionsNamesTheKeyItCannotUse)
{
    const key_input option = {"db/refrigerator/RefOption07", kind::integer};
    faults::put_key(platform(), option.key, GetParam().key_file(option));
    const bool unreadable = faults::unreadable(GetParam(), option);
    RunResult r = run({PANEL_OPTIONS_PATH, "show"}, {unreadable ? 1 : 0});
    if (unreadable) {
        EXPECT_NE(r.err.find(option.key), std::string::npos) << r.err;
    }
    /* A save is refused rather than made from a byte that was not read. */
    std::set<std::string> saved = {TX};
    for (int k = 1; k <= 13 && !unreadable; k++)
        saved.insert(option_key(k));
    run({PANEL_OPTIONS_PATH, "set", "0", "1"}, {unreadable ? 1 : 0}, saved);
}

TEST_P(KeyFaults, MicomServiceSurvivesAnyCommandAndAnyArgument)
{
    const faults::key_case &c = GetParam();
    Child service({MICOM_SERVICE_PATH});
    ASSERT_TRUE(service.wait_output("ready", 10)) << service.err();
    /* The command key written as another program would, then a command. */
    const key_input command = {TX, kind::string, "REQ_STATUS_LOAD_STATUS", " "};
    faults::put_key(platform(), TX, c.key_file(command));
    ASSERT_EQ(vconf_set_str(TX, "REQ_STATUS_REQUEST_VERSION"), VCONF_OK);
    EXPECT_TRUE(service.wait_output("received REQ_STATUS_REQUEST_VERSION", 10)) << service.out();
    EXPECT_EQ(service.stop(SIGTERM), 0) << service.err();
    EXPECT_NE(service.out().find("micom-service: stopped\n"), std::string::npos) << service.out();
    /* What it prints stays its own lines, whatever it received. */
    std::istringstream out(service.out());
    for (std::string line; std::getline(out, line);) {
        EXPECT_EQ(line.rfind("micom-service: ", 0), 0u) << line;
    }

    /* The same text as each argument that takes one: refused with a reason
     * (status 2), or taken (the service then runs until a SIGTERM stops it).
     * The one SIGTERM is ours: timeout(1) follows its SIGTERM with a SIGCONT,
     * which can cancel the ptrace stop of the sanitizer builds' leak check
     * at exit and leave the ending service spinning forever. */
    for (const char *option : {"--errors", "--history", "--model", "--energy-period"}) {
        Child given({MICOM_SERVICE_PATH, option, as_argument(c, command)});
        if (given.wait_output("ready", 10)) {
            EXPECT_EQ(given.stop(SIGTERM), 0) << option << ": " << given.err();
            continue;
        }
        EXPECT_EQ(given.stop(0), 2) << option << ": " << given.err();
        EXPECT_EQ(own_lines(given.err()).size(), 1u) << option << ": " << given.err();
    }
}

TEST_P(KeyFaults, PanelWifiNamesABrokenRadioState)
{
    const faults::key_case &c = GetParam();
    const std::string radio = platform() + "/wifi/radio";
    ASSERT_EQ(run({PANEL_WIFI_PATH, "reset"}, {0}, {"memory/wifi/state"}).status, 0);
    /* Lines the radio knows: a long file of them is a state still. */
    faults::put_file(radio, c.plain_file({"radio", kind::string, "wifi on", "\n"}), c.fifo);
    const std::set<std::string> states = {"missing", "one_mib", "tokens_10000", "no_terminator"};
    const bool state = states.count(c.name);
    RunResult r = run({PANEL_WIFI_PATH, "show"}, {state ? 0 : 1}, {"memory/wifi/state"});
    if (!state) {
        EXPECT_NE(r.err.find("wifi/radio"), std::string::npos) << r.err;
        /* A change is refused and the state it could not read stays. */
        std::string before = c.fifo ? "" : faults::read_bytes(radio);
        run({PANEL_WIFI_PATH, "on"}, {1});
        if (!c.fifo) {
            EXPECT_EQ(faults::read_bytes(radio), before);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, KeyFaults, ::testing::ValuesIn(faults::key_cases()),
                         [](const auto &info) { return std::string(info.param.name); });

/* ---- the key store's own faults ------------------------------------------ */

TEST_F(ToolFaults, AStoreThatCannotBeWrittenRefusesEveryWriteWithItsReason)
{
    ASSERT_EQ(vconf_set_str("db/t/kept", "kept"), VCONF_OK);
    ASSERT_EQ(run({PANEL_WIFI_PATH, "reset"}, {0}, {"memory/wifi/state"}).status, 0);
    ASSERT_TRUE(faults::give_to_nobody(platform()));
    ASSERT_TRUE(faults::chmod_dirs(platform(), 0500));
    /* The user's own runtime directory (the main loop's library wants one). */
    std::string runtime = platform() + "-run";
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    ASSERT_TRUE(faults::give_to_nobody(runtime));
    /* As root (who writes anywhere) each tool runs as the store's owner. */
    auto run_unprivileged = [&runtime](std::vector<std::string> argv) {
        if (geteuid() == 0)
            argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                       "/usr/bin/env", "XDG_RUNTIME_DIR=" + runtime, "HOME=" + runtime});
        return test_support::run(argv);
    };
    faults::key_snapshot before = faults::snapshot_keys(platform());

    const std::vector<std::vector<std::string>> writes = {
        {PANEL_KEYS_PATH, "set", "db/t/kept", "changed"},
        {PANEL_KEYS_PATH, "set", "memory/t/new", "new"},
        {PANEL_KEYS_PATH, "unset", "db/t/kept"},
        {PANEL_OPTIONS_PATH, "set", "0", "1"},
        {PANEL_WIFI_PATH, "on"},
    };
    for (const auto &argv : writes) {
        RunResult r = run_unprivileged(argv);
        EXPECT_EQ(r.status, 1) << argv[1] << " " << argv[2] << "\n" << r.err;
        EXPECT_EQ(own_lines(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
    }
    /* The micom service cannot write its start-up keys: it says so and ends. */
    RunResult r = run_unprivileged({MICOM_SERVICE_PATH});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
    /* Reading goes on. */
    r = run_unprivileged({PANEL_KEYS_PATH, "get", "db/t/kept"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "kept\n");
    EXPECT_EQ(faults::snapshot_keys(platform()), before);

    /* Without the volatile part, and unable to make it: persistent keys
     * stay readable, a volatile one is refused with the reason. */
    faults::chmod_dirs(platform(), 0700);
    fs::remove_all(platform() + "/run");
    ASSERT_EQ(chmod(platform().c_str(), 0500), 0);
    r = run_unprivileged({PANEL_KEYS_PATH, "get", "db/t/kept"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "kept\n");
    r = run_unprivileged({PANEL_KEYS_PATH, "get", "memory/wifi/state"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "panel-keys: cannot read memory/wifi/state: cannot create " + platform() +
                         "/run: Permission denied\n");

    faults::chmod_dirs(platform(), 0700);
    fs::remove_all(runtime);
}

/* Every value a reader sees is one that a writer wrote, whole. */
struct whole_values {
    std::set<std::string> written;
    int reads = 0, torn = 0;
    void check(const char *key)
    {
        std::unique_ptr<char, decltype(&free)> value(vconf_get_str(key), &free);
        reads++;
        if (value && !written.count(value.get()))
            torn++;
    }
};

TEST_F(ToolFaults, WritersKilledInTheMiddleLeaveNoTornValueAndTheirFilesGo)
{
    const char *key = "memory/refrigerator/LoadStatus";
    whole_values seen;
    for (char c : {'a', 'b'})
        seen.written.insert(std::string(120000, c));  // as long as an argument may be
    ASSERT_EQ(vconf_set_str(key, std::string(120000, 'a').c_str()), VCONF_OK);
    /* How long a write takes from the start of its process, then kills
     * spread over that time. */
    double started = test_support::now();
    run({PANEL_KEYS_PATH, "set", key, std::string(120000, 'b')}, {0}, {key});
    const double lifetime = test_support::now() - started;
    for (int kill = 0; kill < 30; kill++) {
        Child writer({PANEL_KEYS_PATH, "set", key, std::string(120000, kill % 2 ? 'a' : 'b')});
        usleep(static_cast<useconds_t>(lifetime * 1e6 * (0.5 + kill % 10 / 15.0)));
        writer.stop(SIGKILL);
        seen.check(key);
    }
    EXPECT_EQ(seen.torn, 0) << "of " << seen.reads << " reads";
    /* The next writer removes what killed writers left. */
    RunResult r = run({PANEL_KEYS_PATH, "set", key, "after"}, {0}, {key});
    std::vector<std::string> left;
    for (const auto &entry : fs::directory_iterator(platform() + "/run/memory/refrigerator"))
        if (entry.path().filename().string().rfind(".tmp-", 0) == 0)
            left.push_back(entry.path().filename());
    EXPECT_TRUE(left.empty()) << left.size() << " temporary files left\n" << r.err;
}

TEST_F(ToolFaults, ManyWritersOfOneKeyNeverShowATornValue)
{
    /* Six processes write one key twenty times each, each its own value of
     * its own length; this process and a watcher read all the while. */
    const char *key = TX;
    constexpr int writers = 6, writes = 20;
    whole_values seen;
    seen.written.insert("start");
    ASSERT_EQ(vconf_set_str(key, "start"), VCONF_OK);
    std::string script;
    for (int w = 0; w < writers; w++) {
        std::string value(1000 + 3000 * w, static_cast<char>('a' + w));
        seen.written.insert(value);
        script += "(for i in $(seq " + std::to_string(writes) + "); do " + PANEL_KEYS_PATH + " set " + key +
                  " " + value + " || exit 1; done) & ";
    }
    const std::string done = platform() + "/writers-done";
    script += "wait; touch " + done;
    Child watch({PANEL_KEYS_PATH, "watch", key});
    usleep(300000);  // the watch is registered
    Child all({"/bin/sh", "-c", script});
    for (double deadline = test_support::now() + 60; !fs::exists(done) && test_support::now() < deadline;) {
        seen.check(key);
        usleep(500);
    }
    EXPECT_EQ(all.stop(0), 0) << all.err();
    usleep(300000);
    watch.stop(SIGINT);
    EXPECT_EQ(seen.torn, 0) << "of " << seen.reads << " reads";
    std::istringstream lines(watch.out());
    int shown = 0;
    for (std::string line; std::getline(lines, line); shown++) {
        ASSERT_EQ(line.rfind(std::string(key) + "=", 0), 0u);
        EXPECT_TRUE(seen.written.count(line.substr(std::string(key).size() + 1))) << line.substr(0, 80);
    }
    EXPECT_GT(shown, 0);
}

}  // namespace
