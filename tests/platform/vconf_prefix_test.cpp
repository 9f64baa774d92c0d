/*
 * Prefix registrations of the key store: every key of the prefix (new ones
 * and new directories included), one callback per write, refusals.
 */
#include <vconf.h>
#include <vconf_store.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Seen {
    std::string key;
    int type;
    std::string value;
};

void collect_cb(keynode_t *node, void *user_data)
{
    auto *seen = static_cast<std::vector<Seen> *>(user_data);
    Seen entry{vconf_keynode_get_name(node), vconf_keynode_get_type(node), ""};
    if (entry.type == VCONF_TYPE_STRING)
        entry.value = vconf_keynode_get_str(node);
    else if (entry.type == VCONF_TYPE_INT)
        entry.value = std::to_string(vconf_keynode_get_int(node));
    seen->push_back(entry);
}

void other_cb(keynode_t *, void *user_data)
{
    ++*static_cast<int *>(user_data);
}

bool saw(const std::vector<Seen> &seen, const std::string &key, const std::string &value)
{
    return std::any_of(seen.begin(), seen.end(),
                       [&](const Seen &s) { return s.key == key && s.value == value; });
}

class PrefixWatch : public ::testing::Test {
protected:
    test_support::PlatformDir dir;
    test_support::EcoreHeld ecore;
};

}  // namespace

TEST_F(PrefixWatch, ReportsTheKeysOfThePrefixOldNewAndInNewDirectories)
{
    ASSERT_EQ(vconf_set_str("memory/refrigerator/ModelName", "RF-DEMO-01"), VCONF_OK);
    std::vector<Seen> seen, options;
    ASSERT_EQ(vconf_store_notify_prefix("memory/refrigerator/", collect_cb, &seen), VCONF_OK);
    ASSERT_EQ(vconf_store_notify_prefix("db/refrigerator/RefOption", collect_cb, &options), VCONF_OK);

    vconf_set_str("memory/refrigerator/ModelName", "RF-2");           // existed before
    vconf_set_str("memory/refrigerator/LoadStatus", "COMP<br>FAN_F"); // new key
    vconf_set_int("memory/refrigerator/deep/er/Level", 3);            // new directories
    vconf_set_str("memory/other/Key", "outside");
    vconf_set_str("memory/refrigeratorX", "a sibling name");
    vconf_set_int("db/refrigerator/RefOption01", 129);
    vconf_set_int("db/refrigerator/ModelDiodeOption", 45);             // not of the prefix
    ASSERT_TRUE(test_support::spin_until(5, [&] {
        return saw(seen, "memory/refrigerator/deep/er/Level", "3") && options.size() >= 1 &&
               seen.size() >= 3;
    }));
    test_support::spin_until(0.3, [] { return false; });  // anything late

    EXPECT_TRUE(saw(seen, "memory/refrigerator/ModelName", "RF-2"));
    EXPECT_TRUE(saw(seen, "memory/refrigerator/LoadStatus", "COMP<br>FAN_F"));
    for (const Seen &s : seen)
        EXPECT_EQ(s.key.rfind("memory/refrigerator/", 0), 0u) << s.key;
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(options[0].key, "db/refrigerator/RefOption01");
    EXPECT_EQ(options[0].value, "129");

    // One callback per write into the new directory; a removal has no type.
    seen.clear();
    vconf_set_int("memory/refrigerator/deep/er/Level", 4);
    vconf_unset("memory/refrigerator/LoadStatus");
    ASSERT_TRUE(test_support::spin_until(5, [&] { return seen.size() >= 2; }));
    test_support::spin_until(0.3, [] { return false; });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].value, "4");
    EXPECT_EQ(seen[1].key, "memory/refrigerator/LoadStatus");
    EXPECT_EQ(seen[1].type, VCONF_TYPE_NONE);

    // A directory removed by hand and made again is followed.
    std::filesystem::remove_all(dir.path() + "/run/memory/refrigerator/deep");
    test_support::spin_until(0.3, [] { return false; });
    seen.clear();
    vconf_set_int("memory/refrigerator/deep/Again", 5);
    ASSERT_TRUE(
        test_support::spin_until(5, [&] { return saw(seen, "memory/refrigerator/deep/Again", "5"); }));

    EXPECT_EQ(vconf_store_ignore_prefix("memory/refrigerator/", collect_cb), VCONF_OK);
    EXPECT_EQ(vconf_store_ignore_prefix("db/refrigerator/RefOption", collect_cb), VCONF_OK);
    seen.clear();
    vconf_set_str("memory/refrigerator/ModelName", "RF-3");
    test_support::spin_until(0.3, [] { return false; });
    EXPECT_TRUE(seen.empty());
}

TEST_F(PrefixWatch, OneCallbackPerWriteOfAnotherProcess)
{
    int count = 0;
    // The directory exists first (writes before its watch are told as one).
    ASSERT_EQ(vconf_set_int("db/a/b/One", 0), VCONF_OK);
    ASSERT_EQ(vconf_store_notify_prefix("db/", other_cb, &count), VCONF_OK);
    constexpr int kWrites = 400;
    pid_t child = ::fork();
    if (child == 0) {
        for (int i = 0; i < kWrites; ++i)
            vconf_set_int(i % 2 ? "db/a/b/One" : "db/Two", i);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_TRUE(test_support::spin_until(30, [&] { return count >= kWrites; })) << count;
    ::waitpid(child, &status, 0);
    test_support::spin_until(0.3, [] { return false; });
    EXPECT_EQ(count, kWrites);
    vconf_store_ignore_prefix("db/", other_cb);
}

TEST_F(PrefixWatch, RefusedPrefixesAndRegistrations)
{
    int count = 0, key_count = 0;
    for (const char *bad : {"", "db", "x/", "db/../", "db/a b", "memory//", "/db/"})
        EXPECT_EQ(vconf_store_notify_prefix(bad, other_cb, &count), VCONF_ERROR) << bad;
    EXPECT_EQ(vconf_store_notify_prefix(nullptr, other_cb, &count), VCONF_ERROR);
    EXPECT_EQ(vconf_store_notify_prefix("db/x/", nullptr, &count), VCONF_ERROR);
    EXPECT_EQ(vconf_store_ignore_prefix("db/x/", other_cb), VCONF_ERROR);  // not registered

    // A prefix and a key registration on one directory are independent.
    ASSERT_EQ(vconf_notify_key_changed("db/x/Key", other_cb, &key_count), VCONF_OK);
    ASSERT_EQ(vconf_store_notify_prefix("db/x/", other_cb, &count), VCONF_OK);
    EXPECT_EQ(vconf_store_notify_prefix("db/x/", other_cb, &count), VCONF_ERROR);  // twice
    vconf_set_int("db/x/Key", 1);
    vconf_set_int("db/x/Other", 1);
    ASSERT_TRUE(test_support::spin_until(5, [&] { return count == 2 && key_count == 1; }));
    EXPECT_EQ(vconf_store_ignore_prefix("db/x/", other_cb), VCONF_OK);
    vconf_set_int("db/x/Key", 2);
    ASSERT_TRUE(test_support::spin_until(5, [&] { return key_count == 2; }));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(vconf_ignore_key_changed("db/x/Key", other_cb), VCONF_OK);
}
