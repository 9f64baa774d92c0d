/*
 * Self diagnosis and error history screens: the error table from a test
 * database, the main list by region and language, item descriptions, the
 * minute-long runs and their ways to end, the history and its clear command;
 * the micom's texts shown as text, out-of-range numbers, Korean texts cut at
 * their fields, cuts said once per run.
 */
#include <memory>
#include <string>
#include <vector>

#include <app_i18n.h>

#include "db.h"
#include "errorinfo.h"
#include "fixture.h"
#include "main.h"

namespace {

using rows_t = std::vector<std::string>;
const char TX[] = "memory/refrigerator/TxMessage";
const char ERRORS[] = "memory/refrigerator/ErrorList";
const char HISTORY[] = "db/refrigerator/ErrorHistory";

/* An unused row, errors 35 to 37 (listed in Korea only), a row without name. */
const char ERROR_TABLE[] =
    "CREATE TABLE selfdiagnosis(ERROR_NUMBER INTEGER, ID TEXT, USE_ENGINEER_MODE INTEGER,"
    " NAME_EN_US TEXT, NAME_KR TEXT, DESCRIPTION_EN_US TEXT, DESCRIPTION_KR TEXT);"
    "INSERT INTO selfdiagnosis VALUES(1, 'E1', 1, 'Sensor', '센서', 'Sensor open', '단선'),"
    " (2, 'E2', 0, 'Unused', '미사용', 'x', 'x'), (35, 'E35', 1, 'A', 'A', 'A', 'A'),"
    " (36, 'E36', 1, 'B', '얼음 B', 'B', '얼음 B 설명'), (37, 'E37', 1, 'C', 'C', 'C', 'C'),"
    " (38, 'E38', 1, NULL, NULL, 'No name', ''), (40, 'E40', 1, 'Fan', '팬', 'Fan locked', '구속');";

class ErrorInfoTest : public AppTest {
protected:
    static void press_selfdiagnosis() { click_at(450 + 105, 1390 + 30); }
    static void press_history() { click_at(670 + 105, 1390 + 30); }
    /* Selects the main-list row with the given text, as a tap does. */
    static void tap(const std::string &text)
    {
        Elm_Object_Item *item = row(get_li_main(), text);
        ASSERT_NE(item, nullptr) << text;
        elm_list_item_selected_set(item, EINA_TRUE);
    }
};

}  // namespace

TEST_F(ErrorInfoTest, MainListByRegionInTheLanguageOfTheBuild)
{
    make_db("RF1", ERROR_TABLE);
    set_str("db/menu_widget/language", "ko_KR.UTF-8");
    open_test_view();
    set_str("db/menu_widget/language", "en_US.UTF-8");
    db_close();  // left open by the other screens' failed reads of this database
    set_str("memory/refrigerator/ModelName", "NoSuchModel");  // a failed read keeps the table
    _selfdiagnosis_db_read();

    press_selfdiagnosis();
    EXPECT_EQ(get_mode(), 8);
    EXPECT_EQ(rows(get_li_main()), (rows_t{"1: 센서", "40: 팬"}));
    EXPECT_EQ(part("list.name"), i18n_get_text("REFLCD_NV2_EM_FRIDGE_SELF_DIAGNOSIS"));
    EXPECT_EQ(log_count("Skipped.."), 3);
    tap("40: 팬");  // the second row, but the sixth record
    EXPECT_EQ(part("content.text"), "구속");

    press_selfdiagnosis();  // stop
    set_str("db/setting/region_code", "KR");
    press_selfdiagnosis();
    EXPECT_EQ(rows(get_li_main()), (rows_t{"1: 센서", "35: A", "36: 얼음 B", "37: C", "40: 팬"}));
    EXPECT_EQ(part("content.text"), "");
    tap("36: 얼음 B");
    EXPECT_EQ(part("content.text"), "얼음 B 설명");
}

TEST_F(ErrorInfoTest, SelfDiagnosisRunsSixtyTicksOrUntilStopped)
{
    make_db("RF1", ERROR_TABLE);
    open_test_view();
    set_str(ERRORS, "41");  // a broken link does not refuse self diagnosis
    press_selfdiagnosis();
    EXPECT_EQ(get_str(TX), "REQ_STATUS_WORK_SELF_TEST");
    EXPECT_EQ(log_text(), "<br>=== SELF DIAGNOSIS- START===<br>");

    set_str(TX, "");
    EXPECT_EQ(_timer1_selfdiagnosis_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(log_text(), "<br>41 C");  // " C" on the same line
    EXPECT_EQ(part("time"), "59");
    EXPECT_EQ(get_str(TX), "REQ_STATUS_WORK_SELF_TEST");
    using case_t = std::pair<std::string, std::string>;  // list, shown (cut to 799)
    for (const auto &[list, shown] : {case_t{std::string(900, 'E'), "<br>" + std::string(799, 'C')},
                                      case_t{"22 41 E5 EE", "<br>22 41 C5 CC"},
                                      case_t{"410", "<br>410"}}) {
        set_str(ERRORS, list.c_str());
        _timer1_selfdiagnosis_cb(nullptr);
        EXPECT_EQ(log_text(), shown);
    }
    for (int tick = 5; tick < 60; tick++)
        _timer1_selfdiagnosis_cb(nullptr);
    set_str(TX, "");
    EXPECT_EQ(_timer1_selfdiagnosis_cb(nullptr), ECORE_CALLBACK_CANCEL);
    EXPECT_EQ(log_text(), "<br>410<br><br>=== SELF DIAGNOSIS- FINISHED ===");
    EXPECT_EQ(part("time"), "-");
    EXPECT_EQ(get_str(TX), "");  // no request at the sixtieth tick

    set_str(ERRORS, "E");
    press_selfdiagnosis();
    _timer1_selfdiagnosis_cb(nullptr);
    tap("40: Fan");
    EXPECT_EQ(part("content.text"), "Fan locked");
    press_selfdiagnosis();  // second press: stop, the micom is told, the items stay
    EXPECT_EQ(get_str(TX), "REQ_STATUS_STOP_SELF_TEST");
    EXPECT_EQ(log_text(), "<br>C<br><br>=== SELF DIAGNOSIS - STOP ===");
    EXPECT_EQ(part("time"), "-");
    EXPECT_EQ(part("content.text"), "");
    EXPECT_EQ(is_working_selfdiagnosis(), 0);
    EXPECT_EQ(rows(get_li_main()), (rows_t{"1: Sensor", "40: Fan"}));

    press_selfdiagnosis();
    set_str(TX, "");
    stop_selfdiagnosis();  // as another screen's start does: lists emptied, no command
    EXPECT_EQ(is_working_selfdiagnosis(), 0);
    EXPECT_EQ(get_str(TX), "");
    EXPECT_EQ(part("time"), "-");
    EXPECT_TRUE(rows(get_li_main()).empty());
}

TEST_F(ErrorInfoTest, ErrorHistoryShowsClearsAndRunsAMinute)
{
    set_str(HISTORY, "E");
    open_test_view();  // shows the history; no clear command yet
    EXPECT_EQ(log_text(), "<br>No Error History");
    EXPECT_EQ(rows(get_li_main()), rows_t(7, "N/A"));

    set_str(HISTORY, "22 35 E");
    press_history();
    EXPECT_EQ(get_mode(), 7);
    EXPECT_EQ(log_text(), "<br>22 35 E");
    EXPECT_EQ(rows(get_li_main()), rows_t{"Clear error list"});
    EXPECT_EQ(_timer1_errorHistory_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(part("time"), "59");
    tap("Clear error list");
    EXPECT_EQ(get_str(HISTORY), "");
    EXPECT_EQ(log_text(), "<br>");
    _timer1_errorHistory_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>");
    press_history();  // a press while running keeps the count
    _timer1_errorHistory_cb(nullptr);
    EXPECT_EQ(part("time"), "57");

    set_str(HISTORY, "E5 22");  // "E" first: empty
    for (int tick = 4; tick < 60; tick++)
        ASSERT_EQ(_timer1_errorHistory_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(_timer1_errorHistory_cb(nullptr), ECORE_CALLBACK_CANCEL);
    EXPECT_EQ(part("time"), "-");
    EXPECT_EQ(is_working_errorHistory(), 0);
    EXPECT_EQ(log_text(), "<br>No Error History");

    press_history();  // a new run counts from 59 again
    _timer1_errorHistory_cb(nullptr);
    EXPECT_EQ(part("time"), "59");
    start_mode(1);  // stopped by another screen: log box emptied
    EXPECT_EQ(is_working_errorHistory(), 0);
    EXPECT_EQ(log_text(), "<br>");
}

TEST_F(ErrorInfoTest, MicomTextIsShownAsItStandsNeverAsMarkupAndItsCutSaidOncePerRun)
{
    open_test_view();
    /* What a person reads in the log box. */
    auto plain = [] {
        std::unique_ptr<char, decltype(&free)> text(elm_entry_markup_to_utf8(log_text().c_str()),
                                                     &free);
        return std::string(text ? text.get() : "");
    };
    /* Both texts are escaped as every micom text is (MarkupEscape; the fault
     * matrix's binary keys on both screens). */
    press_selfdiagnosis();
    /* The 799-byte cut comes first and cannot make a tag of its own. */
    set_str(ERRORS, (std::string(795, '1') + "<font_size=60>22 E").c_str());
    for (int tick = 0; tick < 3; tick++)
        _timer1_selfdiagnosis_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>" + std::string(795, '1') + "&lt;fon");
    const std::string cut = "> memory/refrigerator/ErrorList: value of 813 bytes cut to 799 (said once per run)";
    EXPECT_EQ(log_count(cut), 1);

    set_str(HISTORY, (std::string(796, '2') + "<br>22 E").c_str());
    press_history();
    for (int tick = 0; tick < 3; tick++)
        _timer1_errorHistory_cb(nullptr);
    EXPECT_EQ(plain(), "\n" + std::string(796, '2') + "<br");
    EXPECT_EQ(log_count("> db/refrigerator/ErrorHistory: value of 804 bytes cut to 799"), 1);
    press_selfdiagnosis();  // a new run says it again
    _timer1_selfdiagnosis_cb(nullptr);
    EXPECT_EQ(log_count(cut), 2);
}

TEST_F(ErrorInfoTest, OutOfRangeNumbersAndKoreanTextsCutAtTheirFields)
{
    auto korean = [](int n) {
        std::string text;
        for (int i = 0; i < n; i++)
            text += "가";  // three bytes each
        return text;
    };
    make_db("RF1", std::string(ERROR_TABLE, 0, std::string(ERROR_TABLE).find("INSERT")) +
                       "INSERT INTO selfdiagnosis VALUES(1099511627811, 'E35', 1, 'x', 'a" +
                       korean(40) + "', 'x', '" + korean(200) + "'),"
                       " (50, 'E50', 4294967296, 'Dropped', '버림', 'x', 'x'),"
                       " (1, 'E1', 1, 'Sensor', '센서', 'x', 'x');");
    set_str("db/menu_widget/language", "ko_KR.UTF-8");
    open_test_view();  // the numbers' low 32 bits: error 35, and 0 (not used) for error 50
    EXPECT_TRUE(logged("This error does not use in engineer mode: error num = 50"));

    set_str("db/setting/region_code", "US");
    press_selfdiagnosis();
    EXPECT_EQ(rows(get_li_main()), (rows_t{"1: 센서"}));  // 35 is listed in Korea only
    press_selfdiagnosis();
    set_str("db/setting/region_code", "KR");
    press_selfdiagnosis();
    /* The name is cut to 97 of its field's 99 bytes (the 98th byte starts a
     * character that does not fit), the label "%d: %s" to 98 of 99. */
    EXPECT_EQ(rows(get_li_main()), (rows_t{"35: a" + korean(31), "1: 센서"}));
    EXPECT_TRUE(logged("> Add : a" + korean(32)));
    EXPECT_FALSE(logged("> Add : a" + korean(33)));
    tap("35: a" + korean(31));
    EXPECT_EQ(part("content.text"), korean(166));  // 498 of 499 bytes
}
