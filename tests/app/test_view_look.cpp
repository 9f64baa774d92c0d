/*
 * How the test view and the main menu look, measured on the pixels the
 * buffer engine renders: the contrast of what the screens write while the
 * blocking overlay is up, where the busy indicator sits, pages and lists
 * that fill their areas, and Korean text that wraps only between words.
 */
#include <string>
#include <vector>

#include "app_base_view.h"
#include "common.h"
#include "controloption.h"
#include "energyinfo.h"
#include "errorinfo.h"
#include "forcerun.h"
#include "loadstatus.h"
#include "look.h"
#include "screen_util.h"
#include "systeminfo.h"

namespace {

using namespace look;

class ViewLookTest : public LookTest {
protected:
    static void press(int x, int y) { click_at(x + 105, y + 30); }
    /* The log box's text reads on it and fits its width. */
    void expect_log_readable(const char *what) const
    {
        rect area = geometry(entry_monitor_get_entry());
        expect_readable(area, what);
        int widest = 0;
        evas_object_textblock_size_formatted_get(elm_entry_textblock_get(entry_monitor_get_entry()), &widest,
                                                 nullptr);
        EXPECT_GT(widest, 0) << what;
        EXPECT_LE(widest, area.w) << what << ": its longest line is cut off";
    }
};

/* The refresh of the control-option screen, now: what its timer does. */
Eina_Bool control_option_refresh(void *)
{
    delete_controloption();
    return onOptionAllSavedCb(nullptr);
}

}  // namespace

TEST_F(ViewLookTest, WhatTheScreensWriteStaysReadableUnderTheOverlay)
{
    open_test_view();
    set_str("memory/refrigerator/LoadStatus", "COMP<br>FAN_F<br>FAN_R");
    press(230, 1390);  // load status: blocks the view for its run
    _timer1_loadstatus_cb(nullptr);
    run_loop(0.1);

    Evas_Object *block = appdata_get_block_edje();
    ASSERT_TRUE(evas_object_visible_get(block));
    const Evas_Object *shade = edje_object_part_object_get(elm_layout_edje_get(block), "shade");
    ASSERT_TRUE(shade && evas_object_visible_get(shade));
    ASSERT_NE(log_text().find("Compressor"), std::string::npos);

    snapshot shot(ad_->win);
    rect log_area = geometry(entry_monitor_get_entry());
    uint32_t log_bg = shot.background(log_area);
    uint32_t log_fg = shot.text_colour(log_area, log_bg);
    /* The strokes' cores show the log box style's colour: the overlay tints nothing. */
    EXPECT_LE(channel_distance(log_fg, 0xFFAAAAAAu), 6) << std::hex << log_fg;
    EXPECT_GE(contrast(log_fg, log_bg), 4.5) << std::hex << log_fg << " on " << log_bg;
    ASSERT_EQ(part("time"), "29");
    expect_readable(part_geometry(appdata_get_edje(), "time"), "countdown");
}

TEST_F(ViewLookTest, ButtonLabelsReadOnTheirFaces)
{
    open_test_view();
    int visible = 0;
    for (int i = 0; i < button_count(); ++i) {
        if (!evas_object_visible_get(button_at(i)))
            continue;  // the LCD check's
        visible++;
        expect_readable(geometry(button_at(i)), elm_object_text_get(button_at(i)));
    }
    EXPECT_EQ(visible, 8);
}

TEST_F(ViewLookTest, BusyIndicatorSitsWhereNothingIsWritten)
{
    open_test_view();
    Evas_Object *page = appdata_get_edje();
    rect card = part_geometry(appdata_get_block_edje(), "busy_card");
    ASSERT_GT(card.w, 0);
    ASSERT_GT(card.h, 0);
    EXPECT_TRUE(overlaps(card, {0, 0, 1080, 1360})) << "the card belongs to the overlay";

    std::vector<std::pair<std::string, rect>> written = {
        {"log box", geometry(entry_monitor_get_entry())},
        {"main list", geometry(get_li_main())},
        {"sub list", geometry(get_li_sub())},
        {"time", part_geometry(page, "time")},
        {"list.name", part_geometry(page, "list.name")},
        {"content.text", part_geometry(page, "content.text")},
    };
    for (int i = 0; i < button_count(); ++i)
        written.push_back({"button " + std::to_string(i), geometry(button_at(i))});
    for (const auto &[name, area] : written)
        EXPECT_FALSE(overlaps(card, area)) << "the busy card hides " << name;

    /* Shown only while the view is blocked. */
    int x = card.x + 2, y = card.y + 2;
    uint32_t idle = snapshot(ad_->win).at(x, y);
    block_view();
    run_loop(0.05);
    EXPECT_NE(snapshot(ad_->win).at(x, y), idle);
    unblock_view();
    run_loop(0.05);
    EXPECT_EQ(snapshot(ad_->win).at(x, y), idle);
}

TEST_F(ViewLookTest, MainMenuAndTheViewFillTheirAreas)
{
    /* The menu's surface goes on below its last entry, to the window's
     * bottom, in the tint of the guide entry's empty top. */
    run_loop(0.1);
    Evas_Object *menu = elm_object_item_content_get(elm_naviframe_top_item_get(ad_->nf));
    rect guide = geometry(elm_list_item_object_get(elm_list_last_item_get(menu)));
    snapshot menu_shot(ad_->win);
    rect below = {0, guide.y + guide.h, 1080, 1645 - guide.y - guide.h};
    ASSERT_GT(below.h, 0);
    EXPECT_TRUE(menu_shot.uniform(below));
    EXPECT_EQ(menu_shot.at(540, 1640), menu_shot.at(guide.x + 540, guide.y + 10));

    open_test_view();
    run_loop(0.1);
    snapshot view(ad_->win);
    ASSERT_EQ(part("content.text"), "");
    EXPECT_TRUE(view.uniform({530, 1160, 500, 214})) << "the description box is one even panel";
    /* Nothing drawn between the lists' frames and the box, and between the
     * box and the button band. */
    EXPECT_TRUE(view.uniform({0, 1152, 527, 227}));
    EXPECT_TRUE(view.uniform({0, 1376, 1080, 4}));
}

TEST_F(ViewLookTest, EngineerListReadsAsATableEmptyOrSelected)
{
    open_test_view();
    Evas_Object *list = get_li_main();
    clear_list(1, 0);
    run_loop(0.1);
    rect area = geometry(list);
    snapshot empty(ad_->win);
    uint32_t table = empty.at(area.x + 250, area.y + 26);
    /* Rules every 52 px, as rows would have, across the whole width. */
    for (int row = 1; row * 52 <= area.h; ++row) {
        uint32_t rule = empty.at(area.x + 250, area.y + row * 52 - 1);
        EXPECT_NE(rule, table) << "no rule under row " << row;
        EXPECT_EQ(empty.at(area.x + 3, area.y + row * 52 - 1), rule);
        EXPECT_EQ(empty.at(area.x + 250, area.y + row * 52 + 20), table);
    }

    for (const char *text : {"Compressor", "Freezer fan", "Fridge fan"})
        elm_list_item_append(list, text, nullptr, nullptr, nullptr, nullptr);
    elm_list_go(list);
    Elm_Object_Item *second = elm_list_item_next(elm_list_first_item_get(list));
    elm_list_item_selected_set(second, EINA_TRUE);
    run_loop(0.1);
    snapshot shot(ad_->win);
    rect selected = geometry(elm_list_item_object_get(second));
    rect first = geometry(elm_list_item_object_get(elm_list_first_item_get(list)));
    EXPECT_EQ(selected.h, 52);
    EXPECT_NE(shot.background(selected), shot.background(first)) << "the selected row stands out";
    expect_readable(selected, "selected row");
    expect_readable(first, "row");
    EXPECT_NE(shot.at(selected.x + 250, selected.y + selected.h - 1), shot.background(selected))
        << "a separator ends the row";
}

TEST_F(ViewLookTest, KoreanWrapsOnlyBetweenWords)
{
    set_str("db/menu_widget/language", "ko_KR.UTF-8");
    open_test_view();
    const std::string description = "냉장실 온도 센서가 단선 또는 단락 상태입니다. 메인 보드의 "
                                    "커넥터를 확인한 뒤 센서를 점검하세요.";
    screen_text_set("content.text", description.c_str());
    std::string line = description + " " + description + " " + description;
    append_entry_data(line.c_str(), 1);
    run_loop(0.1);
    EXPECT_EQ(part("content.text"), description);
    EXPECT_EQ(log_text(), "<br>" + line);
    expect_wraps_between_words(edje_object_part_object_get(elm_layout_edje_get(appdata_get_edje()), "content.text"));
    expect_wraps_between_words(elm_entry_textblock_get(entry_monitor_get_entry()));
}

TEST(KeepHangulWords, JoinsTheSyllablesOfEachWordOnly)
{
    const std::string J = "\u2060";
    EXPECT_EQ(keep_hangul_words("냉장실 팬"), "냉" + J + "장" + J + "실 팬");
    EXPECT_EQ(keep_hangul_words("<br>압축기(COMP)"), "<br>압" + J + "축" + J + "기(COMP)");
    EXPECT_EQ(keep_hangul_words("ㅋㅋ 가"), "ㅋ" + J + "ㅋ 가");
    for (const char *unchanged : {"", "Compressor <font_size=40>fan</font_size>", "가", "a가b", "\xEA\xB0",
                                  "\xEA\xB0\xEA\xB0\x80", "日本語"})
        EXPECT_EQ(keep_hangul_words(unchanged), unchanged);

    /* A run of more than 12 is no word: it stays breakable. */
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += "가";
    EXPECT_EQ(keep_hangul_words(twelve).size(), twelve.size() + 11 * J.size());
    EXPECT_EQ(keep_hangul_words(twelve + "가"), twelve + "가");

    std::string once = keep_hangul_words("점검하세요 센서");
    EXPECT_EQ(keep_hangul_words(once), once);
}

TEST_F(ViewLookTest, LongReportsInTheLogBoxStayReadable)
{
    /* The control options' long form (developer mode) while a save blocks
     * the view, then the energy report. */
    set_int("memory/refrigerator/EngineerDeveloperMode", 1);
    open_test_view();
    press(450, 1455);
    control_option_refresh(nullptr);
    tap_row(get_li_main(), "Save Option");
    run_loop(0.1);
    ASSERT_TRUE(evas_object_visible_get(appdata_get_block_edje()));
    ASSERT_NE(log_text().find("=== DISPLAY MICOM OPTION ==="), std::string::npos) << log_text();
    ASSERT_NE(log_text().find("Option Saved"), std::string::npos) << log_text();
    expect_log_readable("control options, long form");
    control_option_refresh(nullptr);

    press(10, 1585);
    tap_row(get_li_main(), "Start Option");
    set_int("memory/refrigerator/SmartGridWatt1", 1);
    set_int("memory/refrigerator/SmartGridWatt4", 7);
    run_loop(0.3);
    ASSERT_NE(log_text().find("Cumulative SUM Energy : "), std::string::npos) << log_text();
    expect_log_readable("energy report");
    tap_row(get_li_main(), "Stop Option");
}
