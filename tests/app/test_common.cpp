/*
 * Common helpers: string replacement, time stamps, fixed-size formatting,
 * the button table.
 */
#include "fixture.h"

#include <cstdlib>
#include <ctime>
#include <regex>
#include <vector>

#include "common.h"

TEST(ReplaceAll, ReplacesWithoutOverlapInACopyButAnEmptyOldGivesTheVeryText)
{
    struct Case {
        const char *text, *old, *replacement, *expected;
    } cases[] = {
        {"AAA", "A", "B", "BBB"},
        {"AAA", "AA", "X", "XA"},
        {"22 35 E", "E", "C", "22 35 C"},
        {"E1 E2", "E", "", "1 2"},
        {"abc", "abc", "longer text", "longer text"},
        {"nothing here", "E", "C", "nothing here"},
        {"", "A", "B", ""},
        {"ab", "abc", "X", "ab"}, /* a partial match at the end is not read past */
    };
    for (const Case &c : cases) {
        char *out = replaceAll(c.text, c.old, c.replacement);
        ASSERT_NE(out, nullptr);
        EXPECT_STREQ(out, c.expected) << c.text << " / " << c.old;
        EXPECT_NE(out, c.text) << "a copy is expected";
        free(out);
    }
    const char *text = "E E";
    EXPECT_EQ(replaceAll(text, "", "C"), text);
}

TEST(CurrentDate, FormatsLocalTimeWithAShortFractionAndASpace)
{
    setenv("TZ", "Asia/Seoul", 1);
    tzset();
    char buffer[28];
    time_t before = time(nullptr);
    int length = get_current_date(buffer);
    time_t after = time(nullptr);
    ASSERT_EQ(length, 24);
    EXPECT_TRUE(std::regex_match(buffer, std::regex(R"(\d{4}-\d\d-\d\d-\d\d:\d\d:\d\d\.\d{3} )")))
        << buffer;
    char expected_before[20], expected_after[20];
    struct tm tm;
    strftime(expected_before, sizeof expected_before, "%Y-%m-%d-%H:%M:%S",
             localtime_r(&before, &tm));
    strftime(expected_after, sizeof expected_after, "%Y-%m-%d-%H:%M:%S", localtime_r(&after, &tm));
    std::string date(buffer, 19);
    EXPECT_TRUE(date == expected_before || date == expected_after) << date;
}

TEST(FormatCut, BehavesAsAFixedBufferThatNeverSplitsAUtf8Character)
{
    EXPECT_EQ(format_cut(5, ".%04ld", 123L), ".012");
    EXPECT_EQ(format_cut(1, "%s", "abc"), "");
    EXPECT_EQ(format_cut(0, "%s", "abc"), "");
    EXPECT_EQ(cut_text("ab", 3), "ab");
    EXPECT_EQ(cut_text(nullptr, 3), "");
    const std::string korean = "압축기";  // three characters of three bytes
    EXPECT_EQ(cut_text(korean.c_str(), 9), korean);
    EXPECT_EQ(cut_text(korean.c_str(), 8), "압축");
    EXPECT_EQ(cut_text(korean.c_str(), 2), "");
    EXPECT_EQ(format_cut(8, "%d:%s", 1, korean.c_str()), "1:압");  // 7 bytes: 압축 needs 8
    EXPECT_EQ(format_cut(10, "x%s", "é€😀"), "xé€");  // 2, 3 and 4-byte characters
    EXPECT_EQ(format_cut(11, "x%s", "é€😀"), "xé€😀");
    // Bytes that are not UTF-8 keep the plain byte cut.
    EXPECT_EQ(cut_text("\x80\x80\x80\x80\x80\x80", 4), "\x80\x80\x80\x80");
}

TEST(MarkupEscape, ShowsTagsAndEntitiesAsText)
{
    EXPECT_EQ(markup_escape("22 35 E"), "22 35 E");
    EXPECT_EQ(markup_escape("<font_size=80>FAKE</font_size>"),
              "&lt;font_size=80&gt;FAKE&lt;/font_size&gt;");
    EXPECT_EQ(markup_escape("a&amp;b \"q\" 'a'"), "a&amp;amp;b &quot;q&quot; &apos;a&apos;");
    EXPECT_EQ(markup_escape("<broken"), "&lt;broken");
    EXPECT_EQ(markup_escape(""), "");
}

class ButtonTableTest : public AppTest {};

TEST_F(ButtonTableTest, PlacesHiddenButtonsAndRefusesASixteenth)
{
    Evas_Object *layout = appdata_get_layout();
    Evas_Object *button = add_menu_button(layout, "basic", "Label", 230, 1390, 210, 60);
    ASSERT_NE(button, nullptr);
    int x, y, w, h;
    evas_object_geometry_get(button, &x, &y, &w, &h);
    EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({230, 1390, 210, 60}));
    EXPECT_STREQ(elm_object_text_get(button), "Label");
    EXPECT_STREQ(elm_object_style_get(button), "basic");
    EXPECT_FALSE(evas_object_visible_get(button));

    for (int i = 1; i < 15; ++i)
        ASSERT_NE(add_menu_button(layout, "basic", "b", 10, 10 * i, 210, 60), nullptr);
    EXPECT_EQ(add_menu_button(layout, "basic", "extra", 0, 0, 10, 10), nullptr);
    EXPECT_TRUE(logged("(g_button_count >= BUTTON_TABLE_SIZE) -> add_menu_button() return"));
    delete_button();
    EXPECT_EQ(button_count(), 0);
    EXPECT_EQ(button_at(0), nullptr);
}
