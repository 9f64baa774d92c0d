/*
 * The key store without notifications: types, names, persistence, read-only
 * keys, links, the size bound and the temporary files of killed writers
 * (concurrent and killed writers through the tools: tests/faults).
 */
#include <dlog_capture.h>
#include <vconf.h>
#include <vconf_store.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

using test_support::PlatformDir;
using test_support::run;

namespace {

std::string get_str(const std::string &key)
{
    std::unique_ptr<char, decltype(&std::free)> value(vconf_get_str(key.c_str()), &std::free);
    return value ? std::string(value.get()) : std::string("<null>");
}

void ignore_cb(keynode_t *, void *) {}

// Names in a directory, sorted (none when it is missing).
std::vector<std::string> names_in(const std::string &dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(dir, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(Store, RoundTripsStrictTypesAndRefusedNames)
{
    PlatformDir dir;
    // Valid: a key with a key below it, a dotted one, the longest (255 bytes).
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

    // A wrong type or a missing key fails, logs a line, leaves the output.
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
    ASSERT_EQ(vconf_set_str(INT, "now a string"), VCONF_OK);  // a setter gives its own type
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

    // A missing key can be marked too.
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

TEST(Store, LinksInsideTheStoreAreNeverFollowed)
{
    // A directory link and a file link lead outside: nothing may reach it.
    PlatformDir dir;
    const std::string outside = dir.path() + "-outside";
    std::filesystem::create_directory(outside);
    std::ofstream(outside + "/k.key") << "string\nprecious";
    ASSERT_EQ(vconf_set_str("db/k", "v"), VCONF_OK);
    ASSERT_EQ(vconf_set_str("memory/k", "v"), VCONF_OK);
    std::filesystem::create_directory_symlink(outside, dir.path() + "/db/out");
    std::filesystem::create_directory_symlink(outside, dir.path() + "/run/memory/out");
    std::filesystem::create_symlink(outside + "/k.key", dir.path() + "/db/file.key");

    dlog_capture_start();
    for (const char *key : {"db/out/k", "db/out/new", "db/out/sub/new", "memory/out/k"}) {
        EXPECT_EQ(vconf_set_str(key, "written"), VCONF_ERROR) << key;
        EXPECT_EQ(vconf_unset(key), VCONF_ERROR) << key;
        EXPECT_EQ(vconf_get_str(key), nullptr) << key;
        EXPECT_EQ(vconf_store_set_readonly(key, 1), VCONF_ERROR) << key;
        EXPECT_EQ(vconf_notify_key_changed(key, ignore_cb, nullptr), VCONF_ERROR) << key;
    }
    EXPECT_TRUE(dlog_capture_contains(("\"db/out/k\": " + dir.path() + "/db/out is a symbolic link").c_str()));
    EXPECT_EQ(vconf_get_str("db/file"), nullptr);
    EXPECT_TRUE(dlog_capture_contains(("\"db/file\": " + dir.path() + "/db/file.key is a symbolic link").c_str()));
    dlog_capture_stop();
    EXPECT_EQ(names_in(outside), std::vector<std::string>{"k.key"});
    EXPECT_EQ(test_support::read_file(outside + "/k.key"), "string\nprecious");

    // Removing the file link removes the link, not what it points to.
    EXPECT_EQ(vconf_unset("db/file"), VCONF_OK);
    EXPECT_FALSE(std::filesystem::is_symlink(dir.path() + "/db/file.key"));
    EXPECT_EQ(test_support::read_file(outside + "/k.key"), "string\nprecious");
    std::filesystem::remove_all(outside);
}

TEST(Store, APlatformDirectoryWritableByOthersIsWarnedAboutOnce)
{
    PlatformDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    dlog_capture_start();
    EXPECT_EQ(vconf_set_int("db/a", 1), VCONF_OK);
    EXPECT_EQ(vconf_set_int("memory/a", 1), VCONF_OK);
    int value = 0;
    EXPECT_EQ(vconf_get_int("db/a", &value), VCONF_OK);
    const std::string warning = "W/VCONF: the platform directory " + dir.path() +
                                " is writable by other users: they can change every key";
    EXPECT_EQ(dlog_capture_count(), 1);
    EXPECT_STREQ(dlog_capture_line(0), warning.c_str());
}

TEST(Store, ValuesAreBoundedAndALargerFileIsNeverReadIn)
{
    PlatformDir dir;
    const char *key = "memory/refrigerator/LoadStatus";
    const std::string largest(VCONF_STORE_VALUE_MAX, 'x');
    ASSERT_EQ(vconf_set_str(key, largest.c_str()), VCONF_OK);
    EXPECT_EQ(get_str(key), largest);
    dlog_capture_start();
    EXPECT_EQ(vconf_set_str(key, (largest + "y").c_str()), VCONF_ERROR);
    EXPECT_TRUE(dlog_capture_contains("E/VCONF: vconf_set_str: \"memory/refrigerator/LoadStatus\": a value "
                                      "of 1048577 bytes is larger than 1048576 bytes: write refused"));
    EXPECT_EQ(get_str(key), largest);  // kept

    // A larger file put there by other means is refused, not read.
    const std::string file = dir.path() + "/run/memory/refrigerator/LoadStatus.key";
    ASSERT_EQ(::truncate(file.c_str(), 256 << 20), 0);  // 256 MiB, sparse
    dlog_capture_clear();
    EXPECT_EQ(vconf_get_str(key), nullptr);
    EXPECT_TRUE(dlog_capture_contains(("vconf_get_str: \"memory/refrigerator/LoadStatus\": " + file +
                                       " holds 268435456 bytes, too many for a value of at most 1048576: refused").c_str()));
    EXPECT_EQ(vconf_store_type(key), VCONF_TYPE_NONE);
}

TEST(Store, TemporaryFilesOfDeadWritersAreRemovedByTheNextWriterButNotALiveOne)
{
    PlatformDir dir;
    const char *key = "memory/refrigerator/LoadStatus";
    ASSERT_EQ(vconf_set_str(key, "first"), VCONF_OK);
    const std::string kdir = dir.path() + "/run/memory/refrigerator/";
    // A writer killed in the middle of a write leaves its file unlocked.
    for (const char *dead : {".tmp-Dead01", ".tmp-Dead02"})
        std::ofstream(kdir + dead) << "string\npart";
    // A writer at work holds the lock on its temporary file: that one stays.
    int held = ::open((kdir + ".tmp-Live01").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    auto r = run({PANEL_KEYS_PATH, "set", key, "after"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "I/VCONF: removed 2 temporary file(s) of writers that ended before finishing\n");
    EXPECT_EQ(names_in(kdir), (std::vector<std::string>{".tmp-Live01", "LoadStatus.key"}));
    EXPECT_EQ(get_str(key), "after");
    ::close(held);
}
