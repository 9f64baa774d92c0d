/*
 * Tests of the key store without notifications: typed round trips, strict
 * types and refused names, persistence of db/ against volatility of
 * memory/, and atomic writes under concurrent writer processes.
 */
#include <dlog_capture.h>
#include <vconf.h>
#include <vconf_store.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <climits>
#include <memory>

using test_support::PlatformDir;
using test_support::run;

namespace {

std::string get_str(const std::string &key)
{
    std::unique_ptr<char, decltype(&std::free)> value(vconf_get_str(key.c_str()), &std::free);
    return value ? std::string(value.get()) : std::string("<null>");
}

}  // namespace

TEST(Store, RoundTripsStrictTypesAndRefusedNames)
{
    PlatformDir dir;
    // Unusual but valid names: a key with a key below it, a dotted one, and
    // the longest name (255 bytes).
    const char *INT = "db/a", *DBL = "db/a/b", *BOOL = "memory/a.key";
    const std::string STR = "db/" + std::string(126, 'b') + "/" + std::string(125, 'c');
    int i = 0;
    double d = 1.0 / 3.0;
    for (int v : {-1, INT_MIN, INT_MAX}) {
        ASSERT_EQ(vconf_set_int(INT, v), VCONF_OK);
        ASSERT_EQ(vconf_get_int(INT, &i), VCONF_OK);
        EXPECT_EQ(i, v);
    }
    ASSERT_EQ(vconf_set_dbl(DBL, d), VCONF_OK);
    ASSERT_EQ(vconf_get_dbl(DBL, &d), VCONF_OK);
    EXPECT_EQ(d, 1.0 / 3.0);
    ASSERT_EQ(vconf_set_bool(BOOL, 5), VCONF_OK);
    ASSERT_EQ(vconf_get_bool(BOOL, &i), VCONF_OK);
    EXPECT_EQ(i, 1);
    for (std::string v : {std::string(), std::string("a\nb\n"), std::string(200000, 'z')}) {
        ASSERT_EQ(vconf_set_str(STR.c_str(), v.c_str()), VCONF_OK);
        EXPECT_EQ(get_str(STR), v);
    }

    // A read of the wrong type or of a missing key fails, logs one line and
    // leaves the output alone; a setter gives the key its own type.
    dlog_capture_start();
    i = 77;
    d = 7.5;
    EXPECT_EQ(vconf_get_bool(INT, &i), VCONF_ERROR);
    EXPECT_EQ(vconf_get_int(BOOL, &i), VCONF_ERROR);
    EXPECT_EQ(vconf_get_int(STR.c_str(), &i), VCONF_ERROR);
    EXPECT_EQ(vconf_get_int(DBL, &i), VCONF_ERROR);
    EXPECT_EQ(vconf_get_dbl(INT, &d), VCONF_ERROR);
    EXPECT_EQ(vconf_get_str(INT), nullptr);
    EXPECT_EQ(vconf_get_int("memory/none/x", &i), VCONF_ERROR);
    EXPECT_EQ(vconf_unset("memory/none/x"), VCONF_ERROR);
    EXPECT_EQ(i, 77);
    EXPECT_EQ(d, 7.5);
    EXPECT_EQ(dlog_capture_count(), 8);
    EXPECT_TRUE(dlog_capture_contains("E/VCONF: vconf_get_bool: \"db/a\" is of type int, not bool"));
    EXPECT_TRUE(dlog_capture_contains("E/VCONF: vconf_get_int: \"memory/none/x\": no such key"));
    ASSERT_EQ(vconf_set_str(INT, "now a string"), VCONF_OK);
    EXPECT_EQ(vconf_store_type(INT), VCONF_TYPE_STRING);

    // Names that could leave the store or collide with its files are refused.
    std::string too_long = "db/" + std::string(120, 'a') + "/" + std::string(132, 'a');
    for (std::string name : {"", "/tmp/x", "db/../x", "../x", "db/./x", "db//x", "db/x/", "db/x y",
                             "db/x\n", "db", "other/x", "db/.hidden", "db/a.key/b", too_long.c_str()}) {
        dlog_capture_start();
        EXPECT_EQ(vconf_set_str(name.c_str(), "v"), VCONF_ERROR) << name;
        EXPECT_EQ(vconf_get_int(name.c_str(), &i), VCONF_ERROR) << name;
        EXPECT_EQ(vconf_unset(name.c_str()), VCONF_ERROR) << name;
        EXPECT_EQ(dlog_capture_count(), 3) << name;
        EXPECT_TRUE(dlog_capture_contains("refused key name")) << name;
    }
    EXPECT_FALSE(std::filesystem::exists("/tmp/x.key"));
}

TEST(Store, DbPersistsAndMemoryIsWipedWhenTheBootChanges)
{
    PlatformDir dir;
    ASSERT_EQ(vconf_set_str("db/p/kept", "persistent"), VCONF_OK);
    ASSERT_EQ(vconf_set_str("memory/p/volatile", "volatile"), VCONF_OK);
    // Another process under the same boot sees both.
    EXPECT_EQ(run({PANEL_KEYS_PATH, "get", "memory/p/volatile"}).out, "volatile\n");

    // The stamp of another boot: the next process starts a fresh run/.
    std::string stamp = dir.path() + "/run/boot_id";
    std::string boot = test_support::read_file("/proc/sys/kernel/random/boot_id");
    ASSERT_EQ(test_support::read_file(stamp), boot);
    std::ofstream(stamp) << "00000000-0000-0000-0000-000000000000\n";
    EXPECT_EQ(run({PANEL_KEYS_PATH, "get", "memory/p/volatile"}).status, 1);
    EXPECT_EQ(run({PANEL_KEYS_PATH, "get", "db/p/kept"}).out, "persistent\n");
    EXPECT_EQ(test_support::read_file(stamp), boot);
    EXPECT_EQ(vconf_get_str("memory/p/volatile"), nullptr);
}

TEST(Store, ConcurrentWritersNeverShowAPartialValue)
{
    // Two processes rewrite one key with values of different lengths while
    // this one reads it: every read must be one whole value.
    PlatformDir dir;
    const std::string a(70000, 'A'), b(50000, 'B');
    ASSERT_EQ(vconf_set_str("memory/atomic/v", a.c_str()), VCONF_OK);
    std::vector<pid_t> writers;
    for (const std::string *value : {&a, &b}) {
        pid_t pid = ::fork();
        if (pid == 0) {
            int failures = 0;
            for (int n = 0; n < 300; ++n)
                failures += vconf_set_str("memory/atomic/v", value->c_str()) != VCONF_OK;
            ::_exit(failures == 0 ? 0 : 1);
        }
        writers.push_back(pid);
    }
    int reads = 0, bad = 0, running = 2, status = 0;
    while (running > 0) {
        std::string got = get_str("memory/atomic/v");
        ++reads;
        bad += got != a && got != b;
        for (pid_t &pid : writers)
            if (pid > 0 && ::waitpid(pid, &status, WNOHANG) == pid) {
                EXPECT_EQ(status, 0) << "a writer failed";
                pid = -1;
                --running;
            }
    }
    EXPECT_EQ(bad, 0) << "of " << reads << " reads";
    EXPECT_GT(reads, 10);
    // No temporary file is left behind.
    auto files = std::distance(std::filesystem::directory_iterator(dir.path() + "/run/memory/atomic"),
                               std::filesystem::directory_iterator());
    EXPECT_EQ(files, 1);
}

TEST(Store, ReadOnlyKeysRefuseEveryWriteAndKeepTheirValue)
{
    PlatformDir dir;
    const char *key = "db/wifi/wifi_direct_prefer_5g";
    ASSERT_EQ(vconf_set_bool(key, 1), VCONF_OK);
    EXPECT_EQ(vconf_store_is_readonly(key), 0);
    ASSERT_EQ(vconf_store_set_readonly(key, 1), VCONF_OK);
    EXPECT_EQ(vconf_store_is_readonly(key), 1);

    dlog_capture_start();
    EXPECT_EQ(vconf_set_bool(key, 0), VCONF_ERROR);
    EXPECT_EQ(vconf_set_int(key, 0), VCONF_ERROR);  // not even with another type
    EXPECT_EQ(vconf_unset(key), VCONF_ERROR);
    EXPECT_TRUE(dlog_capture_contains(
        "vconf_set_bool: \"db/wifi/wifi_direct_prefer_5g\" is read-only: write refused"));
    dlog_capture_stop();
    int value = -1;
    ASSERT_EQ(vconf_get_bool(key, &value), VCONF_OK);  // reading is not affected
    EXPECT_EQ(value, 1);

    // A missing key can be marked too: it stays missing.
    const char *missing = "memory/x/never";
    ASSERT_EQ(vconf_store_set_readonly(missing, 1), VCONF_OK);
    EXPECT_EQ(vconf_set_str(missing, "v"), VCONF_ERROR);
    EXPECT_EQ(vconf_store_type(missing), VCONF_TYPE_NONE);

    // The mark is no key of its own, and removing it makes the key writable.
    int listed = vconf_store_list("", [](const char *, void *) {}, nullptr);
    EXPECT_EQ(listed, 1);
    ASSERT_EQ(vconf_store_set_readonly(key, 0), VCONF_OK);
    ASSERT_EQ(vconf_store_set_readonly(key, 0), VCONF_OK);  // twice is fine
    EXPECT_EQ(vconf_set_bool(key, 0), VCONF_OK);
    EXPECT_EQ(vconf_store_set_readonly("db/../x", 1), VCONF_ERROR);
    EXPECT_EQ(vconf_store_is_readonly("db/../x"), 0);
}
