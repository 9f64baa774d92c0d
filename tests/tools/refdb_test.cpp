/*
 * Shape of the built sample reference database: the application's four
 * SELECT statements run and return what its screens rely on, and the
 * micom service answers every force-run command the database offers.
 */
#include "micom_sim.h"
#include "tools_test_support.h"

#include <array>
#include <map>

namespace {

/* The statements exactly as the application sends them (tabs included). */
constexpr const char *LOADSTATUS_SQL =
    "SELECT ERROR_NUMBER, ID, USE_ENGINEER_MODE,\tNAME_EN_US, NAME_KR FROM loadstatus";
constexpr const char *SELFDIAGNOSIS_SQL =
    "SELECT ERROR_NUMBER, ID, USE_ENGINEER_MODE,\tNAME_EN_US, NAME_KR, DESCRIPTION_EN_US, "
    "DESCRIPTION_KR FROM selfdiagnosis";
constexpr const char *FORCERUN_SQL =
    "SELECT \tMODE, FORCE_RUN_NUMBER, TEXT_EN_US, TEXT_KR FROM forcerun";
constexpr const char *CONTROLOPTION_SQL =
    "SELECT \tDEVELOPER_ONLY, SUPPORT, MAIN_NUMBER, SUB_NUMBER, ENGINEER_MODE, \tCOMM_MODE, "
    "COMM_DATA, COMM_BIT_SHIFT, COMM_BIT_LENGTH, \tNAME_EN_US, NAME_KR, DESCRIPTION_EN_US, "
    "DESCRIPTION_KR FROM controloption";

/* The micom's fixed option layout: byte, first bit, width per option. */
struct field {
    int byte;
    int shift;
    int width;
};
constexpr std::array<field, 37> LAYOUT = {{
    {0, 1, 4},  {1, 1, 4},  {2, 1, 1},  {2, 2, 4},  {0, 5, 3},  {1, 5, 3},  {2, 6, 2},  {3, 1, 2},
    {3, 3, 2},  {4, 1, 2},  {3, 5, 3},  {4, 3, 2},  {4, 5, 2},  {5, 1, 2},  {5, 3, 2},  {5, 5, 2},
    {7, 1, 2},  {4, 7, 1},  {5, 7, 1},  {6, 1, 1},  {6, 2, 3},  {7, 3, 2},  {8, 1, 2},  {6, 5, 3},
    {8, 3, 2},  {9, 1, 2},  {7, 5, 3},  {8, 5, 3},  {9, 3, 2},  {10, 1, 2}, {10, 3, 2}, {9, 5, 3},
    {10, 5, 3}, {11, 1, 4}, {12, 1, 4}, {11, 5, 3}, {12, 5, 3},
}};

bool valid_utf8(const std::string &s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += n;
    }
    return true;
}

/* Hangul syllables are U+AC00..U+D7A3: UTF-8 lead bytes 0xEA..0xED. */
bool has_hangul(const std::string &s)
{
    for (unsigned char c : s)
        if (c >= 0xEA && c <= 0xED)
            return true;
    return false;
}

bool free_of_split_characters(const std::string &id)
{
    return id.find_first_of("<br>") == std::string::npos;
}

TEST(RefdbTest, LoadTableNamesEveryLoadInBothLanguages)
{
    const auto rows = query(LOADSTATUS_SQL);
    ASSERT_GE(rows.size(), 18u);
    std::set<std::string> ids;
    std::set<long> numbers;
    int unused = 0;
    for (const auto &r : rows) {
        SCOPED_TRACE(r[1]);
        EXPECT_TRUE(numbers.insert(std::stol(r[0])).second) << "duplicate number";
        EXPECT_GE(std::stol(r[0]), 0);
        EXPECT_FALSE(r[1].empty());
        EXPECT_TRUE(free_of_split_characters(r[1]));
        EXPECT_TRUE(ids.insert(r[1]).second) << "duplicate ID";
        unused += r[2] == "0";
        EXPECT_LE(r[3].size(), 99u);
        EXPECT_LE(r[4].size(), 99u);
        EXPECT_TRUE(valid_utf8(r[4]));
        EXPECT_TRUE(has_hangul(r[4]));
    }
    EXPECT_GE(unused, 1);
    EXPECT_LE(unused, 2);
}

TEST(RefdbTest, ErrorTableHasTheRegionalErrorsAndShortTexts)
{
    const auto rows = query(SELFDIAGNOSIS_SQL);
    ASSERT_GE(rows.size(), 40u);
    std::map<long, std::string> used;
    int unused = 0;
    for (const auto &r : rows) {
        SCOPED_TRACE(r[0]);
        const long number = std::stol(r[0]);
        EXPECT_TRUE(free_of_split_characters(r[1]));
        EXPECT_EQ(std::stol(r[1]), number) << "the micom reports the number as the code";
        if (r[2] == "0") {
            ++unused;
            continue;
        }
        EXPECT_TRUE(used.emplace(number, r[3]).second) << "duplicate number";
        for (int c = 3; c <= 6; ++c) {
            EXPECT_FALSE(r[c].empty() || r[c] == "<NULL>") << "column " << c;
            EXPECT_TRUE(valid_utf8(r[c]));
        }
        // List label "%d: %s" and description as the screen stores them.
        EXPECT_LE(r[0].size() + 2 + std::max(r[3].size(), r[4].size()), 99u);
        EXPECT_LE(std::max(r[5].size(), r[6].size()), 499u);
        EXPECT_TRUE(has_hangul(r[4]) && has_hangul(r[6]));
    }
    EXPECT_GE(unused, 1);
    for (long regional : {35, 36, 37})
        EXPECT_TRUE(used.count(regional)) << regional;
    EXPECT_TRUE(used.count(41)) << "the link error the micom reports";
    EXPECT_TRUE(used.count(22) && used.count(35)) << "the codes the usage examples use";
}

class RefdbForceRunTest : public PlatformDirTest {};

TEST_F(RefdbForceRunTest, SevenProgramsWithCancelAndPreCoolAllAnsweredByTheService)
{
    const auto rows = query(FORCERUN_SQL);
    ASSERT_EQ(rows.size(), 7u);
    const std::array<std::string, 8> prefixes = {
        "SET_KEY_FORCE_TEST_RUN1", "SET_KEY_FORCE_TEST_RUN2", "SET_KEY_FORCE_TEST_RUN3",
        "SET_KEY_FORCE_TEST_RUN4", "SET_KEY_FORCE_TEST_RDEF", "SET_KEY_FORCE_TEST_FDEF",
        "SET_KEY_FORCE_TEST_FCVDEF", "SET_KEY_FORCE_TEST_LONGDEF"};
    int cancels = 0;
    int precools = 0;
    micom_sim_start(micom_config{}, 0.0);
    for (const auto &r : rows) {
        SCOPED_TRACE(r[0]);
        EXPECT_LE(r[0].size(), 39u);
        EXPECT_LE(r[2].size(), 39u);
        EXPECT_LE(r[3].size(), 39u);
        EXPECT_TRUE(valid_utf8(r[3]));
        EXPECT_FALSE(r[2].empty());
        EXPECT_FALSE(r[3].empty());
        bool known = false;
        for (const std::string &p : prefixes)
            known = known || r[0].compare(0, p.size(), p) == 0;
        cancels += !known;
        if (r[2].rfind("PreCool", 0) == 0) {
            ++precools;
            EXPECT_EQ(r[3].rfind("PreCool", 0), 0u) << "hidden in Korean too";
        }
        EXPECT_EQ(micom_sim_command(r[0].c_str(), 1.0), 1) << "the micom service ignores it";
        auto status = get_int("memory/refrigerator/ForceRunStatus");
        ASSERT_TRUE(status.has_value());
        if (known)
            EXPECT_EQ(std::to_string(*status), r[1]);
        else
            EXPECT_EQ(*status, 15) << "a cancel is reported as 15";
    }
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(precools, 1);
}

TEST(RefdbTest, ControlOptionsFollowTheMicomLayout)
{
    const auto rows = query(CONTROLOPTION_SQL);
    ASSERT_FALSE(rows.empty());
    std::map<int, std::set<int>> subs;
    std::map<int, std::vector<std::string>> option_columns;
    int previous = -1;
    int developer_only = 0;
    std::set<long> masks;
    for (const auto &r : rows) {
        const int n = std::stoi(r[2]);
        const int sub = std::stoi(r[3]);
        SCOPED_TRACE("option " + r[2] + " choice " + r[3]);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 36);
        EXPECT_GE(n, previous) << "rows out of MAIN_NUMBER order";
        previous = n;
        // Columns of the option repeat on every row of it.
        const std::vector<std::string> columns = {r[0], r[1], r[5], r[6], r[7], r[8], r[9], r[10]};
        auto [it, first] = option_columns.emplace(n, columns);
        EXPECT_EQ(it->second, columns);
        if (first) {
            developer_only += r[0] == "1";
            masks.insert(std::stol(r[1]));
        }
        EXPECT_EQ(std::stoi(r[6]), LAYOUT[n].byte + 1) << "COMM_DATA";
        EXPECT_EQ(std::stoi(r[7]), LAYOUT[n].shift) << "COMM_BIT_SHIFT";
        EXPECT_EQ(std::stoi(r[8]), LAYOUT[n].width) << "COMM_BIT_LENGTH";
        EXPECT_TRUE(subs[n].insert(sub).second) << "duplicate choice";
        for (int c = 9; c <= 12; ++c) {
            EXPECT_FALSE(r[c].empty() || r[c] == "<NULL>") << "column " << c;
            EXPECT_LE(r[c].size(), 49u) << r[c];
            EXPECT_TRUE(valid_utf8(r[c]));
        }
        EXPECT_TRUE(has_hangul(r[10]));
    }
    EXPECT_EQ(previous, 36) << "the application counts options up to the last row";
    ASSERT_EQ(subs.size(), 37u);
    for (const auto &[n, choices] : subs) {
        const int count = 1 << LAYOUT[n].width;
        EXPECT_EQ(choices.size(), static_cast<std::size_t>(count)) << "option " << n;
        EXPECT_EQ(*choices.begin(), 0) << "option " << n;
        EXPECT_EQ(*choices.rbegin(), count - 1) << "option " << n;
    }
    EXPECT_GE(developer_only, 2);
    EXPECT_LE(developer_only, 8);
    EXPECT_TRUE(masks.count(-1));
    EXPECT_GE(masks.size(), 3u) << "a few options depend on the ice-maker value";
}

}  // namespace
