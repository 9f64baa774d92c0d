/*
 * How the test view and the main menu look, measured on the pixels the
 * buffer engine renders: the contrast of what the screens write while the
 * blocking overlay is up, where the busy indicator sits, pages and lists
 * that fill their areas, Korean text that wraps only between words, and no
 * error line from the toolkit while the view and its screens open.
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
};

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
    ASSERT_FALSE(shot.pixels.empty());
    rect log_area = geometry(entry_monitor_get_entry());
    uint32_t log_bg = shot.background(log_area);
    uint32_t log_fg = shot.text_colour(log_area, log_bg);
    double log_contrast = contrast(log_fg, log_bg);
    /* The strokes' cores show the colour the log box's style gives its
     * text: the overlay tints nothing. */
    EXPECT_LE(channel_distance(log_fg, 0xFFAAAAAAu), 6) << std::hex << log_fg;
    EXPECT_GE(log_contrast, 4.5) << std::hex << log_fg << " on " << log_bg;

    rect countdown = part_geometry(appdata_get_edje(), "time");
    ASSERT_EQ(part("time"), "29");
    uint32_t time_bg = shot.background(countdown);
    double time_contrast = contrast(shot.text_colour(countdown, time_bg), time_bg);
    EXPECT_GE(time_contrast, 4.5);

    printf("contrast under the overlay: log box %.2f:1, countdown %.2f:1\n", log_contrast,
           time_contrast);
    RecordProperty("log_box_contrast", std::to_string(log_contrast));
}

TEST_F(ViewLookTest, ButtonLabelsReadOnTheirFaces)
{
    open_test_view();
    snapshot shot(ad_->win);
    int visible = 0;
    for (int i = 0; i < button_count(); ++i) {
        if (!evas_object_visible_get(button_at(i)))
            continue;  // the LCD check's
        visible++;
        double measured = shot.text_contrast(geometry(button_at(i)));
        EXPECT_GE(measured, 4.5) << elm_object_text_get(button_at(i));
    }
    EXPECT_EQ(visible, 8);
}

TEST_F(ViewLookTest, BusyIndicatorSitsWhereNothingIsWritten)
{
    open_test_view();
    Evas_Object *block = appdata_get_block_edje();
    Evas_Object *page = appdata_get_edje();
    rect card = part_geometry(block, "busy_card");
    ASSERT_GT(card.w, 0);
    ASSERT_GT(card.h, 0);
    EXPECT_TRUE(overlaps(card, {0, 0, 1080, 1360})) << "the card belongs to the overlay";

    std::vector<std::pair<const char *, rect>> written = {
        {"log box", geometry(entry_monitor_get_entry())},
        {"main list", geometry(get_li_main())},
        {"sub list", geometry(get_li_sub())},
        {"time", part_geometry(page, "time")},
        {"list.name", part_geometry(page, "list.name")},
        {"content.text", part_geometry(page, "content.text")},
    };
    for (const auto &[name, area] : written)
        EXPECT_FALSE(overlaps(card, area)) << "the busy card hides " << name;
    for (int i = 0; i < button_count(); ++i)
        EXPECT_FALSE(overlaps(card, geometry(button_at(i)))) << "button " << i;

    /* Shown only while the view is blocked. */
    int x = card.x + 2, y = card.y + 2;
    uint32_t idle = snapshot(ad_->win).at(x, y);
    block_view();
    run_loop(0.05);
    uint32_t blocked = snapshot(ad_->win).at(x, y);
    EXPECT_NE(blocked, idle);
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
    Elm_Object_Item *guide = elm_list_last_item_get(menu);
    rect guide_row = geometry(elm_list_item_object_get(guide));
    snapshot menu_shot(ad_->win);
    uint32_t surface = menu_shot.at(guide_row.x + 540, guide_row.y + 10);
    rect below = {0, guide_row.y + guide_row.h, 1080, 1645 - guide_row.y - guide_row.h};
    ASSERT_GT(below.h, 0);
    EXPECT_TRUE(menu_shot.uniform(below));
    EXPECT_EQ(menu_shot.at(540, 1640), surface);

    open_test_view();
    run_loop(0.1);
    snapshot view(ad_->win);
    /* The description box under the sub list is one even panel. */
    ASSERT_EQ(part("content.text"), "");
    EXPECT_TRUE(view.uniform({530, 1160, 500, 214}));
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
    EXPECT_EQ(selected.h, 52);
    rect first = geometry(elm_list_item_object_get(elm_list_first_item_get(list)));
    uint32_t sel_bg = shot.background(selected);
    uint32_t row_bg = shot.background(first);
    EXPECT_NE(sel_bg, row_bg) << "the selected row stands out";
    EXPECT_GE(contrast(shot.text_colour(selected, sel_bg), sel_bg), 4.5);
    EXPECT_GE(contrast(shot.text_colour(first, row_bg), row_bg), 4.5);
    EXPECT_NE(shot.at(selected.x + 250, selected.y + selected.h - 1), sel_bg)
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

    const Evas_Object *content =
        edje_object_part_object_get(elm_layout_edje_get(appdata_get_edje()), "content.text");
    const Evas_Object *log = elm_entry_textblock_get(entry_monitor_get_entry());
    for (const Evas_Object *textblock : {content, log}) {
        std::vector<std::string> wraps = chars_before_wraps(textblock);
        EXPECT_FALSE(wraps.empty()) << "the text is long enough to wrap";
        for (const std::string &c : wraps)
            EXPECT_EQ(c, " ") << "a line was broken after \"" << c << "\", inside a word";
    }
}

TEST(KeepHangulWords, JoinsTheSyllablesOfEachWordOnly)
{
    const std::string J = "\u2060";
    EXPECT_EQ(keep_hangul_words("냉장실 팬"), "냉" + J + "장" + J + "실 팬");
    EXPECT_EQ(keep_hangul_words("<br>압축기(COMP)"), "<br>압" + J + "축" + J + "기(COMP)");
    EXPECT_EQ(keep_hangul_words("ㅋㅋ 가"), "ㅋ" + J + "ㅋ 가");
    for (const char *unchanged : {"", "Compressor <font_size=40>fan</font_size>", "가", "a가b",
                                  "\xEA\xB0", "\xEA\xB0\xEA\xB0\x80", "日本語"})
        EXPECT_EQ(keep_hangul_words(unchanged), unchanged);

    /* A run of more than 12 is no word: it stays breakable. */
    std::string twelve, thirteen;
    for (int i = 0; i < 12; ++i)
        twelve += "가";
    thirteen = twelve + "가";
    EXPECT_EQ(keep_hangul_words(twelve).size(), twelve.size() + 11 * J.size());
    EXPECT_EQ(keep_hangul_words(thirteen), thirteen);

    std::string once = keep_hangul_words("점검하세요 센서");
    EXPECT_EQ(keep_hangul_words(once), once);
}

/* The refresh of the control-option screen, now: what its timer does. */
Eina_Bool control_option_refresh(void *)
{
    delete_controloption();
    return onOptionAllSavedCb(nullptr);
}

/* The screens of the test view, by their buttons, with the tick their runs
 * make (none for a screen that shows at once). One line per screen. */
struct screen_visit {
    const char *name;
    int x, y;
    Eina_Bool (*tick)(void *);
};
const screen_visit SCREENS[] = {
    {"system information", 10, 1390, nullptr},
    {"load status", 230, 1390, _timer1_loadstatus_cb},
    {"self diagnosis", 450, 1390, _timer1_selfdiagnosis_cb},
    {"error history", 670, 1390, _timer1_errorHistory_cb},
    {"model option", 10, 1455, _timer1_modeloption_cb},
    {"force run", 230, 1455, nullptr},
    {"control option", 450, 1455, control_option_refresh},
    {"energy information", 10, 1585, nullptr},
    /* The LCD check's buttons are built hidden: a press there reaches none. */
    {"backlight check", 890, 1455, nullptr},
    {"pixel check", 890, 1390, nullptr},
};

TEST_F(ViewLookTest, ToolkitLogsNoErrorWhileTheViewAndItsScreensOpen)
{
    set_str("memory/refrigerator/LoadStatus", "COMP<br>FAN_F");
    set_str("memory/refrigerator/ErrorList", "22 35 E");
    set_str("db/refrigerator/ErrorHistory", "12 22 E");
    for (const char *language : {"en_US.UTF-8", "ko_KR.UTF-8"}) {
        set_str("db/menu_widget/language", language);
        open_test_view();
        for (const screen_visit &screen : SCREENS) {
            press(screen.x, screen.y);
            if (screen.tick) {
                screen.tick(nullptr);
                screen.tick(nullptr);
            }
            /* A row of each list chosen, as a tap does (the energy screen's
             * first row starts a measurement). */
            for (Evas_Object *list : {get_li_main(), get_li_sub()})
                if (Elm_Object_Item *first = elm_list_first_item_get(list))
                    elm_list_item_selected_set(first, EINA_TRUE);
            run_loop(0.1);
            EXPECT_EQ(errors(), "") << language << ", " << screen.name;
        }
        ASSERT_TRUE(press_back());
        EXPECT_EQ(errors(), "") << language << ", back to the menu";
    }
}

TEST_F(ViewLookTest, LongReportsInTheLogBoxStayReadable)
{
    /* The control options' long form (developer mode) while the view is
     * blocked by a save, then the energy report. */
    set_int("memory/refrigerator/EngineerDeveloperMode", 1);
    open_test_view();
    press(450, 1455);
    control_option_refresh(nullptr);
    tap_row(get_li_main(), "Save Option");
    run_loop(0.1);
    ASSERT_TRUE(evas_object_visible_get(appdata_get_block_edje()));
    ASSERT_NE(log_text().find("=== DISPLAY MICOM OPTION ==="), std::string::npos) << log_text();
    ASSERT_NE(log_text().find("Option Saved"), std::string::npos) << log_text();
    rect log_area = geometry(entry_monitor_get_entry());
    double options = snapshot(ad_->win).text_contrast(log_area);
    EXPECT_GE(options, 4.5);
    int widest = 0;
    evas_object_textblock_size_formatted_get(elm_entry_textblock_get(entry_monitor_get_entry()),
                                             &widest, nullptr);
    EXPECT_LE(widest, log_area.w) << "the long form fits the box's width";
    control_option_refresh(nullptr);

    press(10, 1585);
    tap_row(get_li_main(), "Start Option");
    set_int("memory/refrigerator/SmartGridWatt1", 1);
    set_int("memory/refrigerator/SmartGridWatt4", 7);
    run_loop(0.3);
    ASSERT_NE(log_text().find("Cumulative SUM Energy : "), std::string::npos) << log_text();
    snapshot shot(ad_->win);
    double energy = shot.text_contrast(log_area);
    EXPECT_GE(energy, 4.5);
    /* The report's longest line ends inside the box: nothing is cut off. */
    widest = 0;
    evas_object_textblock_size_formatted_get(elm_entry_textblock_get(entry_monitor_get_entry()),
                                             &widest, nullptr);
    EXPECT_GT(widest, 0);
    EXPECT_LE(widest, log_area.w);
    tap_row(get_li_main(), "Stop Option");

    printf("log box contrast: control options (long form, blocked) %.2f:1, energy report "
           "%.2f:1\n",
           options, energy);
}
