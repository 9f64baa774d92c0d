/*
 * What the sample reference database holds beyond what refdb-check checks:
 * Korean texts, error IDs the micom reports, and force runs and options that
 * the micom service answers.
 */
#include "micom_sim.h"
#include "option_layout.h"
#include "reference_tables.h"
#include "tools_test_support.h"

#include <algorithm>
#include <set>

namespace {

/* Hangul syllables are U+AC00..U+D7A3: UTF-8 lead bytes 0xEA..0xED. */
bool has_hangul(const std::string &s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return (unsigned char)c >= 0xEA && (unsigned char)c <= 0xED; });
}

}  // namespace

TEST(Refdb, KoreanTextsAndTheErrorCodesTheMicomReports)
{
    for (const auto &r : query(LOAD_STATUS_QUERY))
        EXPECT_TRUE(has_hangul(r[4])) << r[1];
    std::set<long> errors;
    for (const auto &r : query(SELF_DIAGNOSIS_QUERY)) {
        EXPECT_EQ(std::stol(r[1]), std::stol(r[0])) << "the micom reports the number as the code";
        if (r[2] == "0")
            continue;
        errors.insert(std::stol(r[0]));
        EXPECT_TRUE(has_hangul(r[4]) && has_hangul(r[6])) << r[0];
    }
    for (long code : {35, 36, 37, 41, 22})
        EXPECT_TRUE(errors.count(code)) << code;
    std::set<int> options;
    for (const auto &r : query(CONTROL_OPTION_QUERY)) {
        options.insert(std::stoi(r[2]));
        EXPECT_TRUE(has_hangul(r[10])) << "option " << r[2];
    }
    EXPECT_EQ(options.size(), size_t(OPTION_COUNT));
}

TEST(Refdb, TheServiceAnswersEveryForceRunAndStartsWithANamedChoiceOfEveryOption)
{
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

    // Seven runs, one of them the cancel and one PreCool.
    const auto rows = query(FORCE_RUN_QUERY);
    ASSERT_EQ(rows.size(), 7u);
    int cancels = 0, precools = 0;
    for (const auto &r : rows) {
        SCOPED_TRACE(r[0]);
        EXPECT_EQ(micom_sim_command(r[0].c_str(), 1.0), 1) << "the micom service ignores it";
        const bool cancel = r[0] == "SET_KEY_FORCE_TEST_CANCEL";
        cancels += cancel;
        EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), cancel ? 15 : std::stoi(r[1]));
        precools += r[2].rfind("PreCool", 0) == 0;
    }
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(precools, 1);
}
