/*
 * Load status screen: the load table from a test database, the reported IDs
 * turned into names at each tick, the thirty-tick run and its ways to end.
 */
#include <string>

#include "common.h"
#include "fixture.h"
#include "loadstatus.h"
#include "main.h"

namespace {

const char TX[] = "memory/refrigerator/TxMessage";
const char LOAD[] = "memory/refrigerator/LoadStatus";
const char LANG[] = "db/menu_widget/language";

/* Row order matters: duplicates, a pieces-only ID, a hidden row and a
 * negative number that ends the search. */
const char LOAD_TABLE[] =
    "CREATE TABLE loadstatus(ERROR_NUMBER INTEGER, ID TEXT, USE_ENGINEER_MODE INTEGER,"
    " NAME_EN_US TEXT, NAME_KR TEXT);"
    "INSERT INTO loadstatus VALUES(1, 'L1', 1, 'Compressor', '압축기');"
    "INSERT INTO loadstatus VALUES(2, 'L2', 1, 'Fan', '팬');"
    "INSERT INTO loadstatus VALUES(3, 'L3', 0, 'Hidden', '숨김');"
    "INSERT INTO loadstatus VALUES(4, 'L1', 1, 'Second compressor', '둘째');"
    "INSERT INTO loadstatus VALUES(5, 'Lb7', 1, 'Never found', '없음');"
    "INSERT INTO loadstatus VALUES(6, 'L', 1, 'Piece L', '조각 L');"
    "INSERT INTO loadstatus VALUES(7, '7', 1, 'Piece 7', '조각 7');"
    "INSERT INTO loadstatus VALUES(8, 'L8', 1, NULL, '');"
    "INSERT INTO loadstatus VALUES(-1, 'END', 1, 'End mark', '끝');"
    "INSERT INTO loadstatus VALUES(9, 'L9', 1, 'After the end', '끝 다음');";

class LoadStatusTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        set_str("memory/refrigerator/ErrorList", "E");  // link up
        set_str(LANG, "en_US.UTF-8");
    }

    static Evas_Object *button()
    {
        for (int i = 0; i < button_count(); i++) {
            int x, y;
            evas_object_geometry_get(button_at(i), &x, &y, nullptr, nullptr);
            if (x == 230 && y == 1390)
                return button_at(i);
        }
        return nullptr;
    }
    static bool blocked() { return evas_object_visible_get(appdata_get_block_edje()); }
};

}  // namespace

TEST_F(LoadStatusTest, ReportedIdsBecomeNamesAtEveryTick)
{
    make_db("RF1", LOAD_TABLE);
    open_test_view();
    EXPECT_TRUE(logged("This error does not use in engineer mode: error num = 3"));

    set_str(LOAD, "L1<br>Lb7<br>L2<br>L3<br>L9<br>L8<br>END<br>unknown");
    click(button());
    EXPECT_EQ(get_mode(), 4);
    EXPECT_EQ(get_str(TX), "REQ_STATUS_LOAD_STATUS");
    EXPECT_TRUE(logged("] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : 0"));
    EXPECT_TRUE(blocked());
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - START ===<br>");

    // First match wins; "Lb7" splits into "L" and "7"; hidden and after-end
    // loads are not named; a load without a name writes an empty line.
    EXPECT_EQ(_timer1_loadstatus_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ==="
                          "<br>Compressor<br>Piece L<br>Piece 7<br>Fan<br>");
    EXPECT_EQ(part("time"), "29");
    EXPECT_TRUE(logged("Append : Compressor"));

    // Language switched mid-run: Korean names from the next tick on.
    set_str(LANG, "ko_KR.UTF-8");
    set_str(LOAD, "L2<br>L1");
    _timer1_loadstatus_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ===<br>팬<br>압축기");
    EXPECT_EQ(part("time"), "28");
    EXPECT_TRUE(blocked());
}

TEST_F(LoadStatusTest, ThirtiethTickFinishesAndUnblocks)
{
    make_db("RF1", LOAD_TABLE);
    open_test_view();
    set_str(LOAD, "L2");
    click(button());

    for (int tick = 1; tick < 30; tick++) {
        _timer1_loadstatus_cb(nullptr);
        ASSERT_EQ(part("time"), std::to_string(30 - tick));
        ASSERT_TRUE(blocked());
    }
    EXPECT_EQ(_timer1_loadstatus_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ===<br>Fan"
                          "<br>=== LOAD STATUS - FINISHED ===");
    EXPECT_EQ(part("time"), "-");
    EXPECT_FALSE(blocked());
    EXPECT_EQ(is_working_loadstatus(), 0);

    // The next press starts a fresh run with its countdown from 29.
    click(button());
    EXPECT_EQ(is_working_loadstatus(), 1);
    _timer1_loadstatus_cb(nullptr);
    EXPECT_EQ(part("time"), "29");
}

TEST_F(LoadStatusTest, StopByHandByOtherScreenAndBanWhenLinkDown)
{
    make_db("RF1", LOAD_TABLE);
    open_test_view();

    // Second press: STOP line, block lifted.
    click(button());
    _timer1_loadstatus_cb(nullptr);
    click(button());
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STOP ===<br>");
    EXPECT_EQ(part("time"), "-");
    EXPECT_FALSE(blocked());
    EXPECT_EQ(is_working_loadstatus(), 0);
    EXPECT_TRUE(logged("_loadstatus_run = 0"));

    // Another screen stops a run without writing.
    click(button());
    EXPECT_TRUE(blocked());
    start_mode(7);
    EXPECT_EQ(is_working_loadstatus(), 0);
    EXPECT_FALSE(blocked());
    EXPECT_EQ(part("time"), "-");
    EXPECT_EQ(log_text().find("STOP"), std::string::npos);

    // Link down ("41" before any "E"): nothing sent, nothing shown.
    set_str("memory/refrigerator/ErrorList", "41");
    set_str(TX, "before");
    std::string before = log_text();
    clear_log();
    click(button());
    EXPECT_TRUE(logged("> [_btn_loadstatus_cb:"));
    EXPECT_TRUE(logged("] Ban to enter."));
    EXPECT_FALSE(logged("play_sound_button"));
    EXPECT_EQ(get_str(TX), "before");
    EXPECT_EQ(log_text(), before);
    EXPECT_FALSE(blocked());
    EXPECT_EQ(is_working_loadstatus(), 0);
}

TEST_F(LoadStatusTest, TableProblemsLeaveNothingToName)
{
    // No model name: logged by the reader, every ID writes nothing.
    open_test_view();
    EXPECT_TRUE(logged("E/" EM_PACKAGE_ID ": loadstatus.cpp: _loadStatus_db_read("));
    EXPECT_TRUE(logged("(NULL == modelNmae) -> _loadStatus_db_read() return"));
    set_str(LOAD, "L1");
    click(button());
    _timer1_loadstatus_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ===");

    // Missing database and missing table.
    set_str("memory/refrigerator/ModelName", "NoSuchModel");
    clear_log();
    _loadStatus_db_read();
    EXPECT_TRUE(logged("(PRIVATE_APP_ERROR_OK != db_open(dbFileName)) -> _loadStatus_db_read() return"));
    make_db("RF2", "CREATE TABLE other(x INTEGER);");
    clear_log();
    _loadStatus_db_read();
    EXPECT_TRUE(logged("(NULL == st) -> _loadStatus_db_read() return"));
}

TEST_F(LoadStatusTest, OverlongTextsAreCutAndExtraRowsDropped)
{
    std::string sql =
        "CREATE TABLE loadstatus(ERROR_NUMBER INTEGER, ID TEXT, USE_ENGINEER_MODE INTEGER,"
        " NAME_EN_US TEXT, NAME_KR TEXT);"
        "INSERT INTO loadstatus VALUES(1, 'LONG', 1, '" + std::string(150, 'n') + "', '');";
    for (int i = 2; i <= 101; i++)
        sql += "INSERT INTO loadstatus VALUES(" + std::to_string(i) + ", 'X" + std::to_string(i) +
               "', 1, 'Load " + std::to_string(i) + "', '');";
    make_db("RF1", sql);
    open_test_view();
    EXPECT_TRUE(logged("error num = 101"));

    set_str(LOAD, "LONG<br>X100<br>X101");
    click(button());
    _timer1_loadstatus_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ===<br>" + std::string(99, 'n') +
                              "<br>Load 100");
}
