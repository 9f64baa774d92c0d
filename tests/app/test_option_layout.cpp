/*
 * The option layout and codec, the option reports' texts, and the force-run
 * status of a command: the rules the screens and the tools share.
 */
#include <gtest/gtest.h>

#include <string>

#include "option_data.h"
#include "option_layout.h"
#include "reference_tables.h"

TEST(OptionLayout, EveryBitButBitZeroBelongsToExactlyOneOption)
{
    std::array<unsigned, OPTION_BYTES> owned{};
    for (int n = 0; n < OPTION_COUNT; ++n) {
        const option_field *f = option_field_of(n);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(owned[f->byte] & option_mask(n), 0u) << "option " << n << " overlaps";
        owned[f->byte] |= option_mask(n);
    }
    for (int k = 0; k < OPTION_BYTES; ++k)
        EXPECT_EQ(owned[k], 0xFEu) << "byte " << k;
    EXPECT_EQ(option_field_of(-1), nullptr);
    EXPECT_EQ(option_field_of(37), nullptr);
}

TEST(OptionLayout, ValuesAreReadAndWrittenInTheirFieldOnly)
{
    option_bytes bytes{};
    bytes[0] = 0x5A;
    EXPECT_EQ(option_value_get(bytes, 0), 13);
    EXPECT_EQ(option_value_get(bytes, 4), 2);
    EXPECT_EQ(option_value_get(bytes, 37), OPTION_OUT_OF_RANGE);
    EXPECT_EQ(option_value_get(bytes, -1), OPTION_OUT_OF_RANGE);

    bytes.fill(0xFF);
    ASSERT_TRUE(option_value_set(bytes, 2, 2));  // width 1: only the low bit is kept
    EXPECT_EQ(bytes[2], 0xFD);
    ASSERT_TRUE(option_value_set(bytes, 20, 9));  // width 3: 9 stores 1
    EXPECT_EQ(option_value_get(bytes, 20), 1);
    EXPECT_EQ(bytes[6], 0xE7);  // bits 2-4 hold 001, bit 0 and the other options untouched
    const option_bytes before = bytes;
    EXPECT_FALSE(option_value_set(bytes, 37, 1));
    EXPECT_EQ(bytes, before);
}

TEST(OptionLayout, KeysCommandsAndSupport)
{
    EXPECT_EQ(option_byte_key(0), "db/refrigerator/RefOption01");
    EXPECT_EQ(option_byte_key(13), "");
    EXPECT_EQ(option_save_command(1), "SET_OPTION_01");
    EXPECT_EQ(option_save_command(0), "");
    EXPECT_TRUE(option_supported(-1, 0));
    EXPECT_TRUE(option_supported(6, -1));  // ice-maker value unreadable
    EXPECT_FALSE(option_supported(4, 3));
    EXPECT_TRUE(option_supported(3, 3));
    EXPECT_TRUE(option_supported(0, 0));
}

TEST(OptionData, LongFormHasEightRowsOfThreeTabsAndFiveBlanks)
{
    option_bytes bytes{};
    option_value_set(bytes, 5, 7);
    option_value_set(bytes, 35, 3);
    std::string text = option_long_form(bytes);
    EXPECT_EQ(text.rfind("\t\t\tOpt  00 : 0     Opt  01 : 0     Opt  02 : 0", 0), 0u);
    EXPECT_NE(text.find("<br>\t\t\tOpt  05 : 7     Opt  06 : 0     Opt  07"), std::string::npos);
    EXPECT_EQ(text.substr(text.rfind("<br>")), "<br>\t\t\tOpt  35 : 3     Opt  36 : 0");
    EXPECT_EQ(option_report_line(7, 3), "Opt  07 : 3");
    EXPECT_EQ(option_report_line(-1000000000, -5), "Opt  -1000000000 : -5");
    EXPECT_EQ(option_report_line(-1000000000, -2147483647 - 1), "Opt  -1000000000 : -2147");
}

TEST(ForceRunStatus, FirstMatchingPrefixGivesTheStatus)
{
    // RUN12, RUN4, LONGDEF, a cut LONGDEF and CANCEL: the force-run screen's tests.
    EXPECT_EQ(forcerun_status_of("SET_KEY_FORCE_TEST_RUN1"), 1);
    EXPECT_EQ(forcerun_status_of("SET_KEY_FORCE_TEST_RDEF"), 16);
    EXPECT_EQ(forcerun_status_of("SET_KEY_FORCE_TEST_FDEF"), 17);
    EXPECT_EQ(forcerun_status_of("SET_KEY_FORCE_TEST_FCVDEF"), 18);
    EXPECT_EQ(forcerun_status_of("set_key_force_test_run1"), 0);
    EXPECT_EQ(forcerun_status_of(nullptr), 0);
}
