/*
 * The built panel-keys tool: outputs and exit statuses of its commands, watch,
 * a FIFO in a key's place (damaged keys and an unwritable store: the tools'
 * fault matrix in tests/faults).
 */
#include <vconf.h>
#include <vconf_store.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <algorithm>
#include <csignal>

#include <sys/stat.h>

namespace {

test_support::RunResult keys(std::vector<std::string> args)
{
    args.insert(args.begin(), PANEL_KEYS_PATH);
    return test_support::run(args);
}

}  // namespace

TEST(Keys, CommandsPrintTheirResultAndExitStatus)
{
    test_support::PlatformDir dir;
    struct Step {
        std::vector<std::string> args;
        int status;
        std::string out;  // on success the whole standard output
        std::string err;  // on failure, text of the one error line
    };
    const std::string tx = "memory/refrigerator/TxMessage", opt = "db/refrigerator/RefOption01";
    const std::vector<Step> steps = {
        {{"set", tx, "REQ_STATUS_LOAD_STATUS"}, 0, "", ""},
        {{"get", tx}, 0, "REQ_STATUS_LOAD_STATUS\n", ""},
        {{"unset", tx}, 0, "", ""},
        {{"get", tx}, 1, "", "no such key"},
        {{"unset", tx}, 1, "", "no such key"},
        {{"set", opt, "42", "--type", "int"}, 0, "", ""},
        {{"set", opt, "-7"}, 0, "", ""},  // an existing key keeps its type
        {{"get", opt}, 0, "-7\n", ""},
        {{"set", opt, "12abc"}, 2, "", "bad int value"},
        {{"set", "db/x", "99999999999", "--type", "int"}, 2, "", "bad int value"},
        {{"set", "db/b", "true", "--type", "bool"}, 0, "", ""},
        {{"set", "db/b", "2"}, 2, "", "bad bool value"},
        {{"set", "db/new", "15"}, 0, "", ""},  // a new key is a string unless told
        {{"set", "db/d", "2.5", "--type", "double"}, 0, "", ""},
        {{"set", "--type=string", "memory/s", "E1 E2\nsecond"}, 0, "", ""},
        {{"get", "memory/s"}, 0, "E1 E2\nsecond\n", ""},
        {{"set", "db/x", "1", "--type", "float"}, 2, "", "unknown type"},
        {{"list", "db/"}, 0, "db/b=1\ndb/d=2.5\ndb/new=15\n" + opt + "=-7\n", ""},
        {{"list", "db/nothing"}, 0, "", ""},
        {{}, 2, "", "missing command"},
        {{"frobnicate"}, 2, "", "unknown command: frobnicate"},
        {{"get", "a", "b"}, 2, "", "get takes one KEY"},
        {{"get", "db/../etc"}, 2, "", "refused key name: db/../etc"},
        {{"watch", "db/ok", "bad key"}, 2, "", "refused key name: bad key"},
        {{"readonly", "db/b"}, 0, "off\n", ""},
        {{"readonly", "db/b", "on"}, 0, "", ""},
        {{"readonly", "db/b"}, 0, "on\n", ""},
        {{"set", "db/b", "0"}, 1, "", "db/b is read-only: write refused"},
        {{"readonly", "db/b", "off"}, 0, "", ""},
        {{"set", "db/b", "0"}, 0, "", ""},
        {{"readonly", "db/b", "maybe"}, 2, "", "readonly takes on or off"},
        {{"readonly", "db/../b", "on"}, 2, "", "refused key name"},
        // One sign only.
        {{"set", "db/m", "+-5", "--type", "int"}, 2, "", "bad int value: +-5"},
        {{"set", "db/m", "-+5", "--type", "int"}, 2, "", "bad int value: -+5"},
        {{"set", "db/m", "++5", "--type", "int"}, 2, "", "bad int value: ++5"},
        {{"set", "db/m", "+", "--type", "int"}, 2, "", "bad int value: +"},
        {{"set", "db/m", "--5", "--type", "int"}, 2, "", "bad int value: --5"},
        {{"set", "db/m", "+5", "--type", "int"}, 0, "", ""},
        {{"get", "db/m"}, 0, "5\n", ""},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(::testing::PrintToString(step.args));
        auto r = keys(step.args);
        EXPECT_EQ(r.status, step.status) << r.err;
        EXPECT_EQ(r.out, step.out);
        if (step.status == 0) {
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            EXPECT_NE(r.err.find(step.err), std::string::npos) << r.err;
        }
    }
    EXPECT_EQ(vconf_store_type("db/refrigerator/RefOption01"), VCONF_TYPE_INT);
    EXPECT_EQ(vconf_store_type("db/b"), VCONF_TYPE_BOOL);
    EXPECT_EQ(vconf_store_type("db/new"), VCONF_TYPE_STRING);
}

TEST(Keys, WatchPrintsALinePerWriteUntilInterrupted)
{
    test_support::PlatformDir dir;
    const std::string key = "memory/refrigerator/TxMessage", warm_up = key + "=ready\n";
    test_support::Child watch({PANEL_KEYS_PATH, "watch", key, "db/other"});
    // The watcher is ready once it reports a write; until then keep writing.
    for (int i = 0; i < 50 && !watch.wait_output(warm_up, 0.1); ++i)
        vconf_set_str(key.c_str(), "ready");
    ASSERT_TRUE(watch.wait_output(warm_up, 0.1));

    ASSERT_EQ(vconf_set_str(key.c_str(), "REQ_STATUS_WORK_SELF_TEST"), VCONF_OK);
    ASSERT_EQ(vconf_set_str(key.c_str(), "REQ_STATUS_WORK_SELF_TEST"), VCONF_OK);
    ASSERT_EQ(vconf_set_int("db/other", 5), VCONF_OK);
    // Lines show the value at delivery time: the unset waits for the line of the set.
    EXPECT_TRUE(watch.wait_output("db/other=5\n", 3.0));
    ASSERT_EQ(vconf_unset("db/other"), VCONF_OK);
    EXPECT_TRUE(watch.wait_output("db/other (unset)\n", 3.0));
    ::usleep(300000);  // time for a wrong extra line
    std::string out = watch.out();
    out.erase(0, out.rfind(warm_up) + warm_up.size());  // late lines of the warm-up writes
    EXPECT_EQ(out, key + "=REQ_STATUS_WORK_SELF_TEST\n" + key +
                       "=REQ_STATUS_WORK_SELF_TEST\ndb/other=5\ndb/other (unset)\n");
    EXPECT_EQ(watch.stop(SIGINT), 0);
}

TEST(Keys, AFifoInAKeysPlaceIsRefusedAtOnce)
{
    // A reader of a FIFO would block: refused at once (links: the store's tests).
    std::signal(SIGALRM, SIG_DFL);
    ::alarm(60);  // a reader that blocks ends the test
    test_support::PlatformDir dir;
    const std::string fifo = dir.path() + "/db/k/fifo.key";
    std::filesystem::create_directories(dir.path() + "/db/k");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const double start = test_support::now();
    auto r = keys({"get", "db/k/fifo"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "panel-keys: cannot read db/k/fifo: " + fifo + " is a FIFO, not a regular file: refused\n");
    EXPECT_LT(test_support::now() - start, 5.0);
    EXPECT_EQ(vconf_get_str("db/k/fifo"), nullptr);  // in this process too
    EXPECT_EQ(keys({"unset", "db/k/fifo"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(fifo));
    ::alarm(0);
}
