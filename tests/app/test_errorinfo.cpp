/*
 * Self diagnosis and error history screens: the error table from a test
 * database, the main list by region, item descriptions, the minute-long
 * runs and their ways to end, and the history with its clear command.
 */
#include <string>
#include <vector>

#include <app_i18n.h>

#include "common.h"
#include "errorinfo.h"
#include "fixture.h"
#include "list_panel.h"
#include "main.h"

namespace {

const char TX[] = "memory/refrigerator/TxMessage";
const char ERRORS[] = "memory/refrigerator/ErrorList";
const char HISTORY[] = "db/refrigerator/ErrorHistory";
const char REGION[] = "db/setting/region_code";

const char ERROR_TABLE[] =
    "CREATE TABLE selfdiagnosis(ERROR_NUMBER INTEGER, ID TEXT, USE_ENGINEER_MODE INTEGER,"
    " NAME_EN_US TEXT, NAME_KR TEXT, DESCRIPTION_EN_US TEXT, DESCRIPTION_KR TEXT);"
    "INSERT INTO selfdiagnosis VALUES(1, 'E1', 1, 'Sensor', '센서', 'Sensor open', '센서 단선');"
    "INSERT INTO selfdiagnosis VALUES(2, 'E2', 0, 'Unused', '미사용', 'x', 'x');"
    "INSERT INTO selfdiagnosis VALUES(35, 'E35', 1, 'Ice A', '얼음 A', 'Ice A desc', 'A');"
    "INSERT INTO selfdiagnosis VALUES(36, 'E36', 1, 'Ice B', '얼음 B', 'Ice B desc', 'B');"
    "INSERT INTO selfdiagnosis VALUES(37, 'E37', 1, 'Ice C', '얼음 C', 'Ice C desc', 'C');"
    "INSERT INTO selfdiagnosis VALUES(38, 'E38', 1, NULL, NULL, 'No name', '');"
    "INSERT INTO selfdiagnosis VALUES(40, 'E40', 1, 'Fan', '팬', 'Fan locked', '팬 구속');";

class ErrorInfoTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        set_str(REGION, "US");
        set_str(HISTORY, "E");
    }

    static Evas_Object *button_xy(int x, int y)
    {
        for (int i = 0; i < button_count(); i++) {
            int bx, by;
            evas_object_geometry_get(button_at(i), &bx, &by, nullptr, nullptr);
            if (bx == x && by == y)
                return button_at(i);
        }
        return nullptr;
    }
    static Evas_Object *selfdiagnosis_button() { return button_xy(450, 1390); }
    static Evas_Object *history_button() { return button_xy(670, 1390); }

    /* A real click on the list row with the given text. */
    static void click_row(const std::string &text)
    {
        Elm_Object_Item *item = row(get_li_main(), text);
        ASSERT_NE(item, nullptr) << text;
        elm_list_item_show(item);
        Evas_Object *track = elm_object_item_track(item);
        run_loop(0.05);  // lets the list lay the row out
        click(track);
        elm_object_item_untrack(item);
    }
};

}  // namespace

TEST_F(ErrorInfoTest, MainListByRegionAndItemsKeepTheirTableIndex)
{
    make_db("RF1", ERROR_TABLE);
    open_test_view();
    EXPECT_TRUE(logged("This error does not use in engineer mode: error num = 2"));

    click(selfdiagnosis_button());
    EXPECT_EQ(get_mode(), 8);
    EXPECT_EQ(rows(get_li_main()), (std::vector<std::string>{"1: Sensor", "40: Fan"}));
    EXPECT_EQ(part("list.name"), i18n_get_text("REFLCD_NV2_EM_FRIDGE_SELF_DIAGNOSIS"));
    EXPECT_EQ(log_count("Skipped.."), 3);
    EXPECT_TRUE(rows(get_li_sub()).empty());

    // "40: Fan" is the second row but the sixth record.
    click_row("40: Fan");
    EXPECT_EQ(part("content.text"), "Fan locked");
    click_row("1: Sensor");
    EXPECT_EQ(part("content.text"), "Sensor open");

    // In Korea errors 35 to 37 are listed too.
    click(selfdiagnosis_button());  // stop
    set_str(REGION, "KR");
    click(selfdiagnosis_button());
    EXPECT_EQ(rows(get_li_main()),
              (std::vector<std::string>{"1: Sensor", "35: Ice A", "36: Ice B", "37: Ice C",
                                        "40: Fan"}));
    EXPECT_EQ(part("content.text"), "");
    click_row("36: Ice B");
    EXPECT_EQ(part("content.text"), "Ice B desc");
}

TEST_F(ErrorInfoTest, NamesKeepTheLanguageOfTheBuild)
{
    make_db("RF1", ERROR_TABLE);
    set_str("db/menu_widget/language", "ko_KR.UTF-8");
    open_test_view();
    set_str("db/menu_widget/language", "en_US.UTF-8");
    click(selfdiagnosis_button());
    EXPECT_EQ(rows(get_li_main()), (std::vector<std::string>{"1: 센서", "40: 팬"}));
    click_row("40: 팬");
    EXPECT_EQ(part("content.text"), "팬 구속");
}

TEST_F(ErrorInfoTest, SelfDiagnosisRunsSixtyTicks)
{
    make_db("RF1", ERROR_TABLE);
    open_test_view();
    set_str(ERRORS, "41");  // link down does not refuse self diagnosis

    click(selfdiagnosis_button());
    EXPECT_EQ(get_str(TX), "REQ_STATUS_WORK_SELF_TEST");
    EXPECT_TRUE(logged("] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : REQ_STATUS_WORK_SELF_TEST"));
    EXPECT_EQ(log_text(), "<br>=== SELF DIAGNOSIS- START===<br>");
    EXPECT_EQ(is_working_selfdiagnosis(), 1);

    // "41" alone gets " C" on the same line.
    set_str(TX, "");
    EXPECT_EQ(_timer1_selfdiagnosis_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(log_text(), "<br>41 C");
    EXPECT_EQ(part("time"), "59");
    EXPECT_EQ(get_str(TX), "REQ_STATUS_WORK_SELF_TEST");

    // Every other list: each E shown as C, nothing added.
    set_str(ERRORS, "22 41 E5 EE");
    _timer1_selfdiagnosis_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>22 41 C5 CC");
    EXPECT_EQ(part("time"), "58");
    set_str(ERRORS, "410");
    _timer1_selfdiagnosis_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>410");

    for (int tick = 4; tick < 60; tick++)
        _timer1_selfdiagnosis_cb(nullptr);
    EXPECT_EQ(part("time"), "1");

    // The sixtieth tick finishes without a request.
    set_str(TX, "");
    EXPECT_EQ(_timer1_selfdiagnosis_cb(nullptr), ECORE_CALLBACK_CANCEL);
    EXPECT_EQ(log_text(), "<br>410<br><br>=== SELF DIAGNOSIS- FINISHED ===");
    EXPECT_EQ(part("time"), "-");
    EXPECT_EQ(get_str(TX), "");
    EXPECT_EQ(is_working_selfdiagnosis(), 0);
    EXPECT_EQ(rows(get_li_main()), (std::vector<std::string>{"1: Sensor", "40: Fan"}));
}

TEST_F(ErrorInfoTest, SecondPressStopsAndOtherScreensStopSilently)
{
    make_db("RF1", ERROR_TABLE);
    open_test_view();
    set_str(ERRORS, "E");

    click(selfdiagnosis_button());
    _timer1_selfdiagnosis_cb(nullptr);
    click_row("40: Fan");
    clear_log();
    click(selfdiagnosis_button());
    EXPECT_EQ(get_str(TX), "REQ_STATUS_STOP_SELF_TEST");
    EXPECT_TRUE(logged("[_btn_selfdiagnosis_cb:"));
    EXPECT_TRUE(logged("] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : REQ_STATUS_STOP_SELF_TEST"));
    EXPECT_EQ(log_text(), "<br>C<br><br>=== SELF DIAGNOSIS - STOP ===");
    EXPECT_EQ(part("time"), "-");
    EXPECT_EQ(part("content.text"), "");
    EXPECT_EQ(is_working_selfdiagnosis(), 0);
    EXPECT_EQ(rows(get_li_main()), (std::vector<std::string>{"1: Sensor", "40: Fan"}));
    EXPECT_TRUE(logged("_selfdiagnosis_run = 0"));

    // Another screen: stopped, lists emptied, no command.
    click(selfdiagnosis_button());
    set_str(TX, "");
    start_mode(7);
    EXPECT_EQ(is_working_selfdiagnosis(), 0);
    EXPECT_EQ(get_str(TX), "");
    EXPECT_EQ(part("time"), "-");
    EXPECT_TRUE(rows(get_li_main()).empty());
}

TEST_F(ErrorInfoTest, ErrorHistoryShowsClearsAndRunsAMinute)
{
    open_test_view();
    // Building the view shows the history; the clear command is not offered yet.
    EXPECT_EQ(log_text(), "<br>No Error History");
    EXPECT_EQ(rows(get_li_main()), std::vector<std::string>(7, "N/A"));
    EXPECT_TRUE(logged("(NULL == modelNmae) -> _selfdiagnosis_db_read() return"));

    set_str(HISTORY, "22 35 E");
    click(history_button());
    EXPECT_EQ(get_mode(), 7);
    EXPECT_EQ(is_working_errorHistory(), 1);
    EXPECT_EQ(log_text(), "<br>22 35 E");
    EXPECT_EQ(rows(get_li_main()), std::vector<std::string>{"Clear error list"});

    EXPECT_EQ(_timer1_errorHistory_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(part("time"), "59");

    click_row("Clear error list");
    EXPECT_EQ(get_str(HISTORY), "");
    EXPECT_EQ(log_text(), "<br>");
    _timer1_errorHistory_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>");
    EXPECT_EQ(part("time"), "58");

    // A press while running keeps the count.
    click(history_button());
    _timer1_errorHistory_cb(nullptr);
    EXPECT_EQ(part("time"), "57");

    set_str(HISTORY, "E");
    for (int tick = 4; tick < 60; tick++)
        ASSERT_EQ(_timer1_errorHistory_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(_timer1_errorHistory_cb(nullptr), ECORE_CALLBACK_CANCEL);
    EXPECT_EQ(part("time"), "-");
    EXPECT_EQ(is_working_errorHistory(), 0);
    EXPECT_EQ(log_text(), "<br>No Error History");

    // Stopped by another screen: log box emptied.
    click(history_button());
    EXPECT_EQ(is_working_errorHistory(), 1);
    start_mode(1);
    EXPECT_EQ(is_working_errorHistory(), 0);
    EXPECT_EQ(log_text(), "<br>");
}
