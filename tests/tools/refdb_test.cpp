/*
 * Shape of the built sample reference database: the application's four
 * SELECT statements run and return what its screens rely on, and the micom
 * service agrees with it on the force-run commands and the option layout.
 */
#include "micom_sim.h"
#include "option_layout.h"
#include "reference_tables.h"
#include "tools_test_support.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

namespace {

/* Hangul syllables are U+AC00..U+D7A3: UTF-8 lead bytes 0xEA..0xED. */
bool has_hangul(const std::string &s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return (unsigned char)c >= 0xEA && (unsigned char)c <= 0xED; });
}

}  // namespace

/* The application cuts the load-status value at '<', 'b', 'r' and '>': no
 * ID may contain one of them. */
TEST(Refdb, LoadAndErrorTablesNameEveryEntryInBothLanguages)
{
    const auto loads = query(LOAD_STATUS_QUERY);
    ASSERT_GE(loads.size(), 18u);
    std::set<std::string> ids;
    for (const auto &r : loads) {
        EXPECT_TRUE(ids.insert(r[1]).second) << "duplicate ID " << r[1];
        EXPECT_EQ(r[1].find_first_of("<br>"), std::string::npos) << r[1];
        EXPECT_FALSE(r[1].empty() || r[3].empty());
        EXPECT_TRUE(has_hangul(r[4])) << r[1];
    }
    std::set<long> errors;
    for (const auto &r : query(SELF_DIAGNOSIS_QUERY)) {
        EXPECT_EQ(r[1].find_first_of("<br>"), std::string::npos) << r[1];
        EXPECT_EQ(std::stol(r[1]), std::stol(r[0])) << "the micom reports the number as the code";
        if (r[2] == "0")
            continue;
        EXPECT_TRUE(errors.insert(std::stol(r[0])).second) << "duplicate error " << r[0];
        EXPECT_TRUE(has_hangul(r[4]) && has_hangul(r[6])) << r[0];
        EXPECT_FALSE(r[3].empty() || r[5].empty() || r[5] == "<NULL>") << r[0];
    }
    for (long code : {35, 36, 37, 41, 22})
        EXPECT_TRUE(errors.count(code)) << code;
}

TEST(Refdb, SevenForceRunsWithACancelAndPreCoolAllAnsweredByTheService)
{
    test_support::PlatformDir dir;
    micom_sim_start(micom_config{}, 0.0);
    const auto rows = query(FORCE_RUN_QUERY);
    ASSERT_EQ(rows.size(), 7u);
    int cancels = 0, precools = 0;
    for (const auto &r : rows) {
        SCOPED_TRACE(r[0]);
        EXPECT_FALSE(r[2].empty() || r[3].empty());
        EXPECT_EQ(micom_sim_command(r[0].c_str(), 1.0), 1) << "the micom service ignores it";
        const bool cancel = r[0] == "SET_KEY_FORCE_TEST_CANCEL";
        cancels += cancel;
        EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), cancel ? 15 : std::stoi(r[1]));
        if (r[2].rfind("PreCool", 0) == 0) {
            ++precools;
            EXPECT_EQ(r[3].rfind("PreCool", 0), 0u) << "hidden in Korean too";
        }
    }
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(precools, 1);
}

TEST(Refdb, ControlOptionsFollowTheMicomLayout)
{
    std::map<int, std::set<int>> choices;
    int previous = -1;
    for (const auto &r : query(CONTROL_OPTION_QUERY)) {
        const int n = std::stoi(r[2]);
        SCOPED_TRACE("option " + r[2] + " choice " + r[3]);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 36);
        EXPECT_GE(n, previous) << "rows out of MAIN_NUMBER order";
        previous = n;
        const option_field *f = option_field_of(n);
        ASSERT_NE(f, nullptr) << "option " << n;
        EXPECT_EQ(std::stoi(r[6]), f->byte + 1);
        EXPECT_EQ(std::stoi(r[7]), f->first_bit);
        EXPECT_EQ(std::stoi(r[8]), f->width);
        EXPECT_TRUE(choices[n].insert(std::stoi(r[3])).second) << "duplicate choice";
        EXPECT_FALSE(r[9].empty() || r[9] == "<NULL>" || r[11] == "<NULL>");
        EXPECT_TRUE(has_hangul(r[10]));
    }
    EXPECT_EQ(previous, 36) << "the application counts options up to the last row";
    ASSERT_EQ(choices.size(), 37u);
    for (const auto &[n, subs] : choices) {
        const int width = option_field_of(n)->width;
        EXPECT_EQ(subs.size(), size_t(1) << width) << "option " << n;
        EXPECT_EQ(*subs.rbegin(), (1 << width) - 1) << "option " << n;
    }

    // The micom's option bytes at start give a named choice of every option.
    test_support::PlatformDir dir;
    micom_sim_start(micom_config{}, 0.0);
    option_bytes bytes{};
    for (int k = 0; k < OPTION_BYTES; ++k)
        bytes[k] = static_cast<std::uint8_t>(get_int(option_byte_key(k)).value_or(0));
    for (int n = 0; n < OPTION_COUNT; ++n) {
        const int value = option_value_get(bytes, n);
        const auto rows = query("SELECT DESCRIPTION_EN_US FROM controloption WHERE MAIN_NUMBER = " +
                                std::to_string(n) + " AND SUB_NUMBER = " + std::to_string(value));
        ASSERT_EQ(rows.size(), 1u) << "option " << n << " value " << value;
        EXPECT_NE(rows[0][0], "Reserved") << "option " << n << " value " << value;
    }
}
