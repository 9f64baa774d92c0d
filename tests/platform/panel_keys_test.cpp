/*
 * Tests of the built panel-keys tool: outputs and exit statuses of get, set,
 * unset and list, type handling, one-line errors, and watch printing one
 * line per write until SIGINT.
 */
#include <vconf.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string>

using test_support::PlatformDir;
using test_support::RunResult;

namespace {

RunResult keys(std::vector<std::string> args)
{
    args.insert(args.begin(), PANEL_KEYS_PATH);
    return test_support::run(args);
}

// A failure: the given status, nothing on standard output, one line on
// standard error that contains the text.
void expect_failure(const RunResult &r, int status, const std::string &text)
{
    EXPECT_EQ(r.status, status) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
}

class Keys : public ::testing::Test {
protected:
    PlatformDir dir;
};

}  // namespace

TEST_F(Keys, SetGetUnset)
{
    RunResult r = keys({"set", "memory/refrigerator/TxMessage", "REQ_STATUS_LOAD_STATUS"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    r = keys({"get", "memory/refrigerator/TxMessage"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "REQ_STATUS_LOAD_STATUS\n");
    char *stored = vconf_get_str("memory/refrigerator/TxMessage");
    ASSERT_NE(stored, nullptr);
    EXPECT_STREQ(stored, "REQ_STATUS_LOAD_STATUS");
    std::free(stored);

    EXPECT_EQ(keys({"unset", "memory/refrigerator/TxMessage"}).status, 0);
    expect_failure(keys({"get", "memory/refrigerator/TxMessage"}), 1, "no such key");
    expect_failure(keys({"unset", "memory/refrigerator/TxMessage"}), 1, "no such key");
}

TEST_F(Keys, TypesGivenOrKept)
{
    EXPECT_EQ(keys({"set", "db/refrigerator/RefOption01", "42", "--type", "int"}).status, 0);
    int i = 0;
    ASSERT_EQ(vconf_get_int("db/refrigerator/RefOption01", &i), VCONF_OK);
    EXPECT_EQ(i, 42);
    // Without --type an existing key keeps its type.
    EXPECT_EQ(keys({"set", "db/refrigerator/RefOption01", "-7"}).status, 0);
    ASSERT_EQ(vconf_get_int("db/refrigerator/RefOption01", &i), VCONF_OK);
    EXPECT_EQ(i, -7);
    expect_failure(keys({"set", "db/refrigerator/RefOption01", "abc"}), 2, "bad int value");
    expect_failure(keys({"set", "db/x", "12abc", "--type", "int"}), 2, "bad int value");
    expect_failure(keys({"set", "db/x", "99999999999", "--type", "int"}), 2, "bad int value");
    EXPECT_EQ(keys({"get", "db/refrigerator/RefOption01"}).out, "-7\n");

    vconf_set_bool("db/wifi/wifi_direct_prefer_5g", 0);
    EXPECT_EQ(keys({"set", "db/wifi/wifi_direct_prefer_5g", "true"}).status, 0);
    ASSERT_EQ(vconf_get_bool("db/wifi/wifi_direct_prefer_5g", &i), VCONF_OK);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(keys({"set", "db/wifi/wifi_direct_prefer_5g", "0"}).status, 0);
    EXPECT_EQ(keys({"get", "db/wifi/wifi_direct_prefer_5g"}).out, "0\n");
    expect_failure(keys({"set", "db/wifi/wifi_direct_prefer_5g", "2"}), 2, "bad bool value");

    // A new key is a string unless told otherwise, even when it looks like a number.
    EXPECT_EQ(keys({"set", "db/new", "15"}).status, 0);
    EXPECT_EQ(vconf_get_int("db/new", &i), VCONF_ERROR);
    EXPECT_EQ(keys({"set", "--type=string", "db/new", "16"}).status, 0);
    EXPECT_EQ(keys({"set", "db/d", "2.5", "--type", "double"}).status, 0);
    EXPECT_EQ(keys({"get", "db/d"}).out, "2.5\n");
    expect_failure(keys({"set", "db/x", "1", "--type", "float"}), 2, "unknown type");
    expect_failure(keys({"set", "db/x", "1", "--type"}), 2, "--type");
}

TEST_F(Keys, StringsArePrintedAsStored)
{
    EXPECT_EQ(keys({"set", "db/refrigerator/ErrorHistory", "E1 E2\nsecond line"}).status, 0);
    EXPECT_EQ(keys({"get", "db/refrigerator/ErrorHistory"}).out, "E1 E2\nsecond line\n");
    EXPECT_EQ(keys({"set", "db/empty", ""}).status, 0);
    EXPECT_EQ(keys({"get", "db/empty"}).out, "\n");
}

TEST_F(Keys, UsageErrorsAreOneLine)
{
    expect_failure(keys({}), 2, "missing command");
    expect_failure(keys({"frobnicate"}), 2, "unknown command: frobnicate");
    expect_failure(keys({"get"}), 2, "get takes one KEY");
    expect_failure(keys({"get", "a", "b"}), 2, "get takes one KEY");
    expect_failure(keys({"set", "db/x"}), 2, "set takes");
    expect_failure(keys({"get", "db/../etc"}), 2, "refused key name: db/../etc");
    expect_failure(keys({"set", "/abs/key", "v"}), 2, "refused key name");
    expect_failure(keys({"unset", "db//x"}), 2, "refused key name");
    expect_failure(keys({"watch", "db/ok", "bad key"}), 2, "refused key name: bad key");
    expect_failure(keys({"watch"}), 2, "watch takes");
    RunResult help = keys({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("panel-keys set KEY VALUE [--type int|bool|double|string]"),
              std::string::npos);
}

TEST_F(Keys, ListPrintsKeyEqualsValueInNameOrder)
{
    vconf_set_int("memory/refrigerator/SmartGridWatt1", 3);
    vconf_set_str("db/menu_widget/language", "ko_KR.UTF-8");
    vconf_set_bool("db/wifi/wifi_direct_prefer_5g", 1);
    vconf_set_str("memory/refrigerator/LoadStatus", "1<br>2");
    RunResult all = keys({"list"});
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out, "db/menu_widget/language=ko_KR.UTF-8\n"
                       "db/wifi/wifi_direct_prefer_5g=1\n"
                       "memory/refrigerator/LoadStatus=1<br>2\n"
                       "memory/refrigerator/SmartGridWatt1=3\n");
    EXPECT_EQ(keys({"list", "memory/refrigerator/S"}).out, "memory/refrigerator/SmartGridWatt1=3\n");
    RunResult none = keys({"list", "db/nothing"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
}

TEST_F(Keys, WatchPrintsALinePerWriteUntilInterrupted)
{
    const std::string key = "memory/refrigerator/TxMessage";
    test_support::Spawned watch({PANEL_KEYS_PATH, "watch", key, "db/other"});
    // The watcher is ready once it reports a write; until then keep writing.
    std::string line;
    bool ready = false;
    for (int i = 0; i < 50 && !ready; ++i) {
        vconf_set_str(key.c_str(), "ready");
        ready = watch.read_line(line, 0.1);
    }
    ASSERT_TRUE(ready);
    EXPECT_EQ(line, key + "=ready");

    // Lines show the value at delivery time: wait for each before the next
    // change of the same key.
    auto next_lines = [&](size_t n) {
        std::vector<std::string> lines;
        while (lines.size() < n && watch.read_line(line, 3.0))
            if (line != key + "=ready")  // late lines of the warm-up writes
                lines.push_back(line);
        return lines;
    };
    ASSERT_EQ(vconf_set_str(key.c_str(), "REQ_STATUS_WORK_SELF_TEST"), VCONF_OK);
    ASSERT_EQ(vconf_set_str(key.c_str(), "REQ_STATUS_WORK_SELF_TEST"), VCONF_OK);
    ASSERT_EQ(vconf_set_int("db/other", 5), VCONF_OK);
    EXPECT_EQ(next_lines(3), (std::vector<std::string>{key + "=REQ_STATUS_WORK_SELF_TEST",
                                                       key + "=REQ_STATUS_WORK_SELF_TEST",
                                                       "db/other=5"}));
    ASSERT_EQ(vconf_unset("db/other"), VCONF_OK);
    EXPECT_EQ(next_lines(1), std::vector<std::string>{"db/other (unset)"});
    EXPECT_FALSE(watch.read_line(line, 0.5)) << "extra line: " << line;
    EXPECT_EQ(watch.stop(SIGINT), 0);
}

TEST_F(Keys, WatchEndsCleanlyOnSigterm)
{
    test_support::Spawned watch({PANEL_KEYS_PATH, "watch", "memory/t/k"});
    std::string line;
    bool ready = false;
    for (int i = 0; i < 50 && !ready; ++i) {
        vconf_set_int("memory/t/k", i);
        ready = watch.read_line(line, 0.1);
    }
    ASSERT_TRUE(ready);
    EXPECT_EQ(watch.stop(SIGTERM), 0);
}
