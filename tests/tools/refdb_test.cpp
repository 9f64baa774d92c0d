/*
 * Shape of the built sample reference database: the application's four
 * SELECT statements run and return what its screens rely on, and the micom
 * service agrees with it on the force-run commands and the option layout.
 */
#include "micom_sim.h"
#include "tools_test_support.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

namespace {

/* The statements exactly as the application sends them (tabs included). */
constexpr const char *LOADSTATUS_SQL =
    "SELECT ERROR_NUMBER, ID, USE_ENGINEER_MODE,\tNAME_EN_US, NAME_KR FROM loadstatus";
constexpr const char *SELFDIAGNOSIS_SQL =
    "SELECT ERROR_NUMBER, ID, USE_ENGINEER_MODE,\tNAME_EN_US, NAME_KR, DESCRIPTION_EN_US, "
    "DESCRIPTION_KR FROM selfdiagnosis";
constexpr const char *FORCERUN_SQL = "SELECT \tMODE, FORCE_RUN_NUMBER, TEXT_EN_US, TEXT_KR FROM forcerun";
constexpr const char *CONTROLOPTION_SQL =
    "SELECT \tDEVELOPER_ONLY, SUPPORT, MAIN_NUMBER, SUB_NUMBER, ENGINEER_MODE, \tCOMM_MODE, "
    "COMM_DATA, COMM_BIT_SHIFT, COMM_BIT_LENGTH, \tNAME_EN_US, NAME_KR, DESCRIPTION_EN_US, "
    "DESCRIPTION_KR FROM controloption";

/* The micom's fixed option layout: COMM_DATA, first bit, width per option. */
struct field {
    int data, shift, width;
};
constexpr std::array<field, 37> LAYOUT = {{
    {1, 1, 4},  {2, 1, 4},  {3, 1, 1},  {3, 2, 4},  {1, 5, 3},  {2, 5, 3},  {3, 6, 2},  {4, 1, 2},
    {4, 3, 2},  {5, 1, 2},  {4, 5, 3},  {5, 3, 2},  {5, 5, 2},  {6, 1, 2},  {6, 3, 2},  {6, 5, 2},
    {8, 1, 2},  {5, 7, 1},  {6, 7, 1},  {7, 1, 1},  {7, 2, 3},  {8, 3, 2},  {9, 1, 2},  {7, 5, 3},
    {9, 3, 2},  {10, 1, 2}, {8, 5, 3},  {9, 5, 3},  {10, 3, 2}, {11, 1, 2}, {11, 3, 2}, {10, 5, 3},
    {11, 5, 3}, {12, 1, 4}, {13, 1, 4}, {12, 5, 3}, {13, 5, 3},
}};

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
    const auto loads = query(LOADSTATUS_SQL);
    ASSERT_GE(loads.size(), 18u);
    std::set<std::string> ids;
    for (const auto &r : loads) {
        EXPECT_TRUE(ids.insert(r[1]).second) << "duplicate ID " << r[1];
        EXPECT_EQ(r[1].find_first_of("<br>"), std::string::npos) << r[1];
        EXPECT_FALSE(r[1].empty() || r[3].empty());
        EXPECT_TRUE(has_hangul(r[4])) << r[1];
    }
    std::set<long> errors;
    for (const auto &r : query(SELFDIAGNOSIS_SQL)) {
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
    const auto rows = query(FORCERUN_SQL);
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
    for (const auto &r : query(CONTROLOPTION_SQL)) {
        const int n = std::stoi(r[2]);
        SCOPED_TRACE("option " + r[2] + " choice " + r[3]);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 36);
        EXPECT_GE(n, previous) << "rows out of MAIN_NUMBER order";
        previous = n;
        EXPECT_EQ(std::stoi(r[6]), LAYOUT[n].data);
        EXPECT_EQ(std::stoi(r[7]), LAYOUT[n].shift);
        EXPECT_EQ(std::stoi(r[8]), LAYOUT[n].width);
        EXPECT_TRUE(choices[n].insert(std::stoi(r[3])).second) << "duplicate choice";
        EXPECT_FALSE(r[9].empty() || r[9] == "<NULL>" || r[11] == "<NULL>");
        EXPECT_TRUE(has_hangul(r[10]));
    }
    EXPECT_EQ(previous, 36) << "the application counts options up to the last row";
    ASSERT_EQ(choices.size(), 37u);
    for (const auto &[n, subs] : choices) {
        EXPECT_EQ(subs.size(), size_t(1) << LAYOUT[n].width) << "option " << n;
        EXPECT_EQ(*subs.rbegin(), (1 << LAYOUT[n].width) - 1) << "option " << n;
    }

    // The micom's option bytes at start give a named choice of every option.
    test_support::PlatformDir dir;
    micom_sim_start(micom_config{}, 0.0);
    for (int n = 0; n < 37; ++n) {
        const int byte = get_int(option_key(LAYOUT[n].data - 1)).value_or(-1);
        const int value = (byte >> LAYOUT[n].shift) & ((1 << LAYOUT[n].width) - 1);
        const auto rows = query("SELECT DESCRIPTION_EN_US FROM controloption WHERE MAIN_NUMBER = " +
                                std::to_string(n) + " AND SUB_NUMBER = " + std::to_string(value));
        ASSERT_EQ(rows.size(), 1u) << "option " << n << " value " << value;
        EXPECT_NE(rows[0][0], "Reserved") << "option " << n << " value " << value;
    }
}
