/*
 * Control option screen: the option table from a test database, the option
 * bytes read from and written to the keys through the fixed layout, the
 * lists and their visibility rules, both reports, the two refreshes and the
 * save series seen on the key store.
 */
#include <vconf.h>

#include <app_i18n.h>

#include <string>
#include <utility>
#include <vector>

#include "common.h"
#include "controloption.h"
#include "fixture.h"
#include "fridge-function-test/micom_channel.h"
#include "main.h"
#include "option_layout.h"

namespace {

using rows_t = std::vector<std::string>;
const char TX[] = VCONFKEY_REFRIGERATOR_TX_MESSAGE;
const char DEVELOPER[] = VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE;
const char ICEMAKER[] = VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER;
const std::string END = "==============================";

const std::string CREATE =
    "CREATE TABLE controloption(DEVELOPER_ONLY INTEGER, SUPPORT INTEGER, MAIN_NUMBER INTEGER,"
    " SUB_NUMBER INTEGER, ENGINEER_MODE INTEGER, COMM_MODE INTEGER, COMM_DATA INTEGER,"
    " COMM_BIT_SHIFT INTEGER, COMM_BIT_LENGTH INTEGER, NAME_EN_US TEXT, NAME_KR TEXT,"
    " DESCRIPTION_EN_US TEXT, DESCRIPTION_KR TEXT);";

/* One row of the controloption table. */
std::string db_row(int main, int sub, int length, const std::string &name, const std::string &desc,
                   int developer_only = 0, int support = -1)
{
    return "INSERT INTO controloption VALUES(" + std::to_string(developer_only) + ", " +
           std::to_string(support) + ", " + std::to_string(main) + ", " + std::to_string(sub) +
           ", 1, 1, 1, 1, " + std::to_string(length) + ", '" + name + "', '" + name + " KR', '" +
           desc + "', '" + desc + " KR');";
}

/* All rows of an option: 2^length choices (16 at most) described "vJ". */
std::string option(int main, int length, const std::string &name, int developer_only = 0,
                   int support = -1)
{
    std::string sql;
    for (int j = 0; j < std::min(16, 1 << std::max(0, length)); j++)
        sql += db_row(main, j, length, name, "v" + std::to_string(j), developer_only, support);
    return sql;
}

/* Every write to TxMessage and the 13 option keys, stamped, as a watcher in
 * another process would see it (the value read when the notification runs). */
struct key_watch {
    std::vector<std::pair<double, std::string>> writes;

    static void changed_cb(keynode_t *node, void *data)
    {
        std::string value = vconf_keynode_get_type(node) == VCONF_TYPE_STRING
                                ? vconf_keynode_get_str(node)
                                : std::to_string(vconf_keynode_get_int(node));
        static_cast<key_watch *>(data)->writes.emplace_back(
            ecore_time_get(), std::string(vconf_keynode_get_name(node)) + "=" + value);
    }
    void start()
    {
        for (int k = -1; k < OPTION_BYTES; k++)
            vconf_notify_key_changed(k < 0 ? TX : option_byte_key(k).c_str(), changed_cb, this);
    }
    void stop()
    {
        for (int k = -1; k < OPTION_BYTES; k++)
            vconf_ignore_key_changed(k < 0 ? TX : option_byte_key(k).c_str(), changed_cb);
    }
};

class ControlOptionTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        set_str("memory/refrigerator/ErrorList", "E");  // link up
        set_str("db/menu_widget/language", "en_US.UTF-8");
        set_int(DEVELOPER, 0);
        set_int(ICEMAKER, 3);
        set_bytes({});
    }
    void TearDown() override
    {
        watch_.stop();
        AppTest::TearDown();
    }

    static void set_bytes(const option_bytes &bytes)
    {
        for (int k = 0; k < OPTION_BYTES; k++)
            set_int(option_byte_key(k).c_str(), bytes[k]);
    }
    static void press() { click_at(450 + 105, 1455 + 30); }
    /* What the pending refresh does when it fires. */
    static void refresh_now()
    {
        delete_controloption();
        onOptionAllSavedCb(nullptr);
    }
    static bool blocked() { return evas_object_visible_get(appdata_get_block_edje()); }
    /* Seconds from since until the view is unblocked (limit at most). */
    static double unblocked_after(double since, double limit)
    {
        while (blocked() && ecore_time_get() - since < limit)
            run_loop(0.02);
        return ecore_time_get() - since;
    }
    static int count_of(const std::string &text, const std::string &needle)
    {
        int n = 0;
        for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
            n++;
        return n;
    }
    static Elm_Object_Item *selected_sub() { return elm_list_selected_item_get(get_li_sub()); }
    void reopen()
    {
        press_back();
        open_test_view();
        press();
    }

    key_watch watch_;
};

}  // namespace

TEST_F(ControlOptionTest, OpeningRequestsBlocksListsAndRefreshesAfterTwoSeconds)
{
    make_db("RF1", CREATE + option(0, 4, "Model") + option(1, 2, "Capacity") + option(4, 3, "Offset"));
    option_bytes bytes{};
    bytes[0] = 0x5A;  // option 0 = 13, option 4 = 2
    set_bytes(bytes);
    open_test_view();
    set_str(TX, "");
    double pressed = ecore_time_get();
    press();
    EXPECT_EQ(get_mode(), 6);
    EXPECT_TRUE(blocked());
    EXPECT_EQ(get_str(TX), "REQ_STATUS_OPTION_DATA");
    EXPECT_EQ(rows(get_li_main()), (rows_t{"0: Model", "1: Capacity", "4: Offset", "Save Option"}));
    EXPECT_EQ(log_text(), "<br>=== OPTION === <br>" + END);
    EXPECT_EQ(part("list.name"), i18n_get_text("REFLCD_NV2_EM_FRIDGE_REF_OPTION"));
    EXPECT_EQ(part("content.text"),
              "Please click the 'Save Option' button on the end of the option list.");

    // The micom's answer arrives; the refresh shows it 2 s after the tap.
    bytes[1] = 0x06;  // option 1 = 3
    set_bytes(bytes);
    double refreshed = unblocked_after(pressed, 5.0);
    EXPECT_GE(refreshed, 1.8);  // timers count from the loop's time, a little before the press
    EXPECT_LT(refreshed, 4.0);
    EXPECT_EQ(log_text(), "<br>=== DISPLAY MICOM OPTION === <br>Opt  00 : 13<br>Opt  01 : 3"
                          "<br>Opt  02 : 0<br>Opt  03 : 0<br>Opt  04 : 2<br>" + END);

    set_str("db/menu_widget/language", "ko_KR.UTF-8");
    press();
    EXPECT_EQ(part("content.text"),
              "설정한 옵션을 저장하려면 리스트 마지막에 있는 'Save Option' 버튼을 누르세요.");

    // Another mode stops the pending refresh and lifts the block.
    start_mode(4);
    EXPECT_EQ(is_working_controloption(), 0);
    EXPECT_FALSE(blocked());
    clear_log();
    run_loop(2.3);
    EXPECT_FALSE(logged("onOptionAllSavedCb"));

    // No link: refused before anything is blocked or sent.
    set_str("memory/refrigerator/ErrorList", "41");
    set_str(TX, "before");
    press();
    EXPECT_TRUE(logged("> [_btn_controloption_cb:") && logged("] Ban to enter."));
    EXPECT_EQ(get_str(TX), "before");
    EXPECT_FALSE(blocked());
    EXPECT_EQ(get_mode(), 4);
}

TEST_F(ControlOptionTest, KeysAreReadByTheirLowByteAndUnreadableKeysKeepTheirByte)
{
    make_db("RF1", CREATE + option(0, 4, "Model"));
    set_int(option_byte_key(4).c_str(), 300);        // low byte 44: option 9 = 2
    set_str(option_byte_key(6).c_str(), "not int");  // unreadable
    open_test_view();
    press();
    EXPECT_EQ(_get_saved_option_value(9), 2);
    EXPECT_TRUE(logged("> Fail to get db/refrigerator/RefOption07: byte 6 kept as 0"));
    EXPECT_EQ(_get_changing_option_value(-1), 255);
    _set_changing_option_value(37, 1);
    EXPECT_TRUE(logged("> Out of range option number!") && logged("> Out of range changing option number!"));

    // An edit changes the working copy only; a re-read drops it. A key read
    // once keeps its byte when it becomes unreadable again.
    _set_changing_option_value(2, 1);
    EXPECT_EQ(_get_changing_option_value(2), 1);
    EXPECT_EQ(_get_saved_option_value(2), 0);
    set_int(option_byte_key(6).c_str(), 0x1C);  // option 20 = 7
    _read_option_vconf();
    EXPECT_EQ(_get_saved_option_value(20), 7);
    EXPECT_EQ(_get_changing_option_value(2), 0);
    set_str(option_byte_key(6).c_str(), "again");
    _read_option_vconf();
    EXPECT_EQ(_get_saved_option_value(20), 7);
    EXPECT_TRUE(logged("> Fail to get db/refrigerator/RefOption07: byte 6 kept as 28"));
}

TEST_F(ControlOptionTest, TableRowsGiveTheCountAndStopAtBadNumbers)
{
    open_test_view();  // no model name: an empty table, only the Save row
    EXPECT_TRUE(logged("> (NULL == modelNmae) -> _controloption_db_read() return"));
    press();
    EXPECT_EQ(rows(get_li_main()), (rows_t{"Save Option"}));

    // Option 3 read last makes the count 4: options 4 to 9 are not listed.
    std::string three_last;
    for (int n : {0, 1, 2, 4, 5, 6, 7, 8, 9, 3})
        three_last += option(n, 1, "N" + std::to_string(n));
    make_db("RF1", CREATE + three_last);
    _controloption_db_read();
    press();
    EXPECT_EQ(rows(get_li_main()), (rows_t{"0: N0", "1: N1", "2: N2", "3: N3", "Save Option"}));
    refresh_now();
    EXPECT_EQ(count_of(log_text(), "Opt  "), 4);

    // MAIN_NUMBER 37 stops the read; the rows before it stay. The
    // developer-only mark of the previous read stays too: option 5 is left
    // out of the working report although no row names it now.
    make_db("RF1", CREATE + option(5, 1, "Dev", 1));
    _controloption_db_read();
    make_db("RF1", CREATE + option(0, 1, "A") + db_row(37, 0, 1, "Bad", "x") + option(1, 1, "B"));
    _controloption_db_read();
    EXPECT_TRUE(logged("> Out of range: Main number"));
    press();
    EXPECT_EQ(rows(get_li_main()), (rows_t{"0: A", "Save Option"}));
    _display_changing_option_value();
    EXPECT_EQ(count_of(log_text(), "Opt  "), 36);
    EXPECT_EQ(log_text().find("Opt  05"), std::string::npos);

    // SUB_NUMBER 16 stops it too; a NULL name leaves the record unnamed (no
    // row). Then no database: the table stays as it was.
    make_db("RF1", CREATE + db_row(0, 0, 1, "A", "x") +
                       "INSERT INTO controloption VALUES(0, -1, 1, 0, 1, 1, 1, 1, 1, NULL, NULL,"
                       " 'no name', '');" +
                       db_row(2, 16, 3, "Wide", "x") + db_row(3, 0, 1, "Never", "x"));
    _controloption_db_read();
    EXPECT_TRUE(logged("> Out of range: Sub number"));
    set_str("memory/refrigerator/ModelName", "NoSuchModel");
    _controloption_db_read();
    press();
    EXPECT_EQ(rows(get_li_main()), (rows_t{"0: A", "Save Option"}));
}

TEST_F(ControlOptionTest, VisibilityAndReportFormByDeveloperValue)
{
    make_db("RF1", CREATE + option(0, 1, "Plain") + option(1, 1, "DevOnly", 1) +
                       option(2, 1, "Pitcher", 0, 4) + option(3, 1, "Dispenser", 0, 2) +
                       option(4, 1, "Combo", 0, 6) + option(5, 1, "") + option(6, 1, "Last"));
    option_bytes bytes{};
    option_value_set(bytes, 5, 7);
    set_bytes(bytes);
    open_test_view();
    press();  // developer 0, ice maker 3: support 4 and 6 unsupported
    EXPECT_EQ(rows(get_li_main()), (rows_t{"0: Plain", "3: Dispenser", "6: Last", "Save Option"}));
    refresh_now();
    EXPECT_EQ(log_text(), "<br>=== DISPLAY MICOM OPTION === <br>Opt  00 : 0<br>Opt  03 : 0"
                          "<br>Opt  05 : 7<br>Opt  06 : 0<br>" + END);
    ASSERT_EQ(vconf_unset(ICEMAKER), 0);  // unreadable: every option supported
    press();
    EXPECT_EQ(rows(get_li_main()), (rows_t{"0: Plain", "2: Pitcher", "3: Dispenser", "4: Combo",
                                           "6: Last", "Save Option"}));

    // Developer 1: every named option, and the long form (rows of five).
    set_int(DEVELOPER, 1);
    set_int(ICEMAKER, 3);
    reopen();
    EXPECT_EQ(rows(get_li_main()).size(), 7u);
    refresh_now();
    EXPECT_EQ(count_of(log_text(), "Opt  "), 37);
    EXPECT_EQ(count_of(log_text(), "<br>Opt  "), 8);
    EXPECT_NE(log_text().find("<br>Opt  05 : 7     Opt  06 : 0"), std::string::npos);

    // Developer 2: every option listed, but the reports per line.
    set_int(DEVELOPER, 2);
    reopen();
    EXPECT_EQ(rows(get_li_main()).size(), 7u);
    refresh_now();
    EXPECT_EQ(count_of(log_text(), "<br>Opt  "), 4);

    // Unreadable at build: error line, the key written 0, developer 0.
    ASSERT_EQ(vconf_unset(DEVELOPER), 0);
    reopen();
    EXPECT_TRUE(logged("> fail get VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE "));
    EXPECT_EQ(key_get_int(DEVELOPER), 0);
    EXPECT_EQ(rows(get_li_main()).size(), 4u);
}

TEST_F(ControlOptionTest, SubListShowsTheChoicesWithTheWorkingValueSelected)
{
    make_db("RF1", CREATE + option(7, 2, "Two bits") + option(2, 0, "Zero bits") +
                       option(4, 2, "Narrow in db") + option(3, 6, "Wide in db") +
                       db_row(8, 0, -1, "Negative", "x"));
    option_bytes bytes{};
    option_value_set(bytes, 7, 2);
    option_value_set(bytes, 4, 5);  // above the four rows the database offers
    option_value_set(bytes, 3, 9);
    set_bytes(bytes);
    open_test_view();
    press();
    refresh_now();
    watch_.start();

    tap_row(get_li_main(), "7: Two bits");
    EXPECT_EQ(rows(get_li_sub()), (rows_t{"0: v0", "1: v1", "2: v2", "3: v3"}));
    ASSERT_NE(selected_sub(), nullptr);
    EXPECT_STREQ(elm_object_item_text_get(selected_sub()), "2: v2");
    // The working report: every option, one a line, then the tapped one.
    EXPECT_EQ(log_text().rfind("<br>=== DISPLAY OPTION === <br>Opt  00 : 0<br>", 0), 0u);
    EXPECT_EQ(count_of(log_text(), "<br>Opt  "), 37);
    EXPECT_NE(log_text().find("<br>Opt  04 : 5<br>"), std::string::npos);
    EXPECT_EQ(log_text().substr(log_text().find(END)), END + "<br>option 7 : 2");

    // A value tap changes the working copy only: nothing sent, no key written.
    tap_row(get_li_sub(), "3: v3");
    EXPECT_TRUE(logged("> sub clicked: 3"));
    EXPECT_EQ(_get_changing_option_value(7), 3);
    EXPECT_EQ(_get_saved_option_value(7), 2);
    EXPECT_TRUE(watch_.writes.empty());
    EXPECT_NE(log_text().find("Opt  07 : 3"), std::string::npos);

    tap_row(get_li_main(), "2: Zero bits");
    EXPECT_EQ(rows(get_li_sub()), (rows_t{"0: v0"}));
    EXPECT_NE(selected_sub(), nullptr);
    clear_log();
    tap_row(get_li_main(), "4: Narrow in db");  // value 5, four rows: none selected
    EXPECT_EQ(rows(get_li_sub()).size(), 4u);
    EXPECT_EQ(selected_sub(), nullptr);
    EXPECT_EQ(log_text().find("option 4 :"), std::string::npos);
    tap_row(get_li_main(), "3: Wide in db");  // only the 16 described values
    EXPECT_TRUE(logged("> option 3 has a 6-bit field: only the values 0 to 15 are listed"));
    EXPECT_EQ(rows(get_li_sub()).size(), 16u);
    EXPECT_STREQ(elm_object_item_text_get(selected_sub()), "9: v9");
    tap_row(get_li_main(), "8: Negative");
    EXPECT_TRUE(rows(get_li_sub()).empty());

    // Reopening without a save loses the edit.
    press();
    EXPECT_EQ(_get_changing_option_value(7), 2);
}

TEST_F(ControlOptionTest, SaveWritesTheKeysThenThirteenCommandsRefreshesAfterEightSecondsAndStopsWithTheView)
{
    make_db("RF1", CREATE + option(17, 1, "Bit seven"));
    option_bytes bytes{};
    bytes.fill(0x01);  // bit 0 of every byte belongs to no option
    set_bytes(bytes);
    open_test_view();
    press();
    refresh_now();
    tap_row(get_li_main(), "17: Bit seven");
    tap_row(get_li_sub(), "1: v1");

    watch_.start();
    double tapped = ecore_time_get();
    tap_row(get_li_main(), "Save Option");
    EXPECT_TRUE(blocked());
    EXPECT_EQ(log_text().substr(log_text().rfind("<br>")), "<br>Option Saved");
    /* The order, values and pace of the series are checked end to end
     * (tests/e2e/control_option_click.sh). */
    run_loop(2.0);
    ASSERT_EQ(watch_.writes.size(), 27u);
    EXPECT_EQ(watch_.writes[5].second, option_byte_key(4) + "=129") << "option 17 set, bit 0 kept";
    EXPECT_TRUE(blocked());
    EXPECT_EQ(is_working_controloption(), 1);  // the refresh is still pending

    // The view stays blocked until the refresh 8 s after the tap, which
    // shows the values re-read from the keys.
    set_int(option_byte_key(0).c_str(), 0x1F);
    double refreshed = unblocked_after(tapped, 11.0);
    EXPECT_GE(refreshed, 7.8);
    EXPECT_LT(refreshed, 10.0);
    EXPECT_EQ(_get_saved_option_value(0), 15);
    EXPECT_NE(log_text().find("<br>Opt  00 : 15<br>"), std::string::npos);

    // An unchanged copy still writes the 13 keys and sends the 13 commands.
    watch_.writes.clear();
    tap_row(get_li_main(), "Save Option");
    run_loop(2.0);
    ASSERT_EQ(watch_.writes.size(), 27u);
    EXPECT_EQ(watch_.writes[1].second, option_byte_key(0) + "=31");
    EXPECT_EQ(watch_.writes[26].second, std::string(TX) + "=SET_OPTION_13");

    // Leaving the view stops a series and its refresh.
    refresh_now();
    watch_.writes.clear();
    tap_row(get_li_main(), "Save Option");
    run_loop(0.35);
    EXPECT_TRUE(press_back());
    EXPECT_EQ(is_working_controloption(), 0);
    EXPECT_FALSE(blocked());
    std::size_t sent = watch_.writes.size();
    run_loop(1.0);
    EXPECT_EQ(watch_.writes.size(), sent);
    EXPECT_LT(sent, 27u);
}
