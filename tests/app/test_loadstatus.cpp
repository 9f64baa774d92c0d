/*
 * Load status screen: the load table from a test database, the reported IDs
 * turned into names at each tick, the thirty-tick run and its ways to end; a
 * database read afresh after a failure, cuts said once per run.
 */
#include <fstream>
#include <string>

#include "fixture.h"
#include "loadstatus.h"
#include "main.h"

namespace {

const char TX[] = "memory/refrigerator/TxMessage";
const char LOAD[] = "memory/refrigerator/LoadStatus";
const char LANG[] = "db/menu_widget/language";
const std::string CREATE = "CREATE TABLE loadstatus(ERROR_NUMBER INTEGER, ID TEXT,"
                           " USE_ENGINEER_MODE INTEGER, NAME_EN_US TEXT, NAME_KR TEXT);";

/* Row order matters: a duplicate ID, an ID made of separator letters, a
 * hidden row, two overlong names and a negative number that ends the search. */
const std::string LOAD_TABLE =
    CREATE + "INSERT INTO loadstatus VALUES(1, 'L1', 1, 'Compressor', '압축기'),"
             " (2, 'L2', 1, 'Fan', '팬'), (3, 'L3', 0, 'Hidden', '숨김'),"
             " (4, 'L1', 1, 'Second compressor', '둘째'), (5, 'Lb7', 1, 'Never found', '없음'),"
             " (6, 'L', 1, 'Piece L', '조각 L'), (7, '7', 1, 'Piece 7', '조각 7'),"
             " (8, 'L8', 1, NULL, ''), (9, 'LONG', 1, '" + std::string(150, 'n') + "', ''),"
             " (-1, 'END', 1, 'End mark', '끝'), (10, 'L10', 1, 'After the end', '끝 다음'),"
             " (11, 'L11', 1, '" + std::string(120, 'm') + "', '');";

class LoadStatusTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        set_str("memory/refrigerator/ErrorList", "E");  // link up
        set_str(LANG, "en_US.UTF-8");
    }
    static void press() { click_at(230 + 105, 1390 + 30); }
    static bool blocked() { return evas_object_visible_get(appdata_get_block_edje()); }
};

}  // namespace

TEST_F(LoadStatusTest, ReportedIdsBecomeNamesAtEveryTickAndCutsAreSaidOncePerRun)
{
    make_db("RF1", LOAD_TABLE);
    open_test_view();
    EXPECT_TRUE(logged("This error does not use in engineer mode: error num = 3"));
    EXPECT_FALSE(logged(": operator()("));  // lines carry the reader's own name
    EXPECT_EQ(log_count("(said once per read)"), 1);
    EXPECT_TRUE(logged("D/-: db.cpp: text(") &&
                logged("> table loadstatus row 9 column 3: text of 150 bytes cut to 99"));

    set_str(LOAD, "L1<br>Lb7<br>L2<br>L3<br>L10<br>L8<br>END<br>unknown<br>LONG");
    press();
    EXPECT_EQ(get_mode(), 4);
    EXPECT_EQ(get_str(TX), "REQ_STATUS_LOAD_STATUS");
    EXPECT_TRUE(blocked());
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - START ===<br>");

    // First match wins; "Lb7" is looked up as "L" and "7"; hidden loads and
    // loads after the end mark are not named; names are cut to 99.
    EXPECT_EQ(_timer1_loadstatus_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ==="
                          "<br>Compressor<br>Piece L<br>Piece 7<br>Fan<br><br>" +
                              std::string(99, 'n'));
    EXPECT_EQ(part("time"), "29");

    // Language switched mid-run: Korean names from the next tick on.
    set_str(LANG, "ko_KR.UTF-8");
    set_str(LOAD, "L2<br>L1");
    _timer1_loadstatus_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ===<br>팬<br>압축기");
    EXPECT_EQ(part("time"), "28");
    set_str(LOAD, (std::string(496, 'x') + "<br>L1").c_str());  // kept to 499 characters
    _timer1_loadstatus_cb(nullptr);
    _timer1_loadstatus_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ===");
    const std::string cut = "> memory/refrigerator/LoadStatus: value of 502 bytes cut to 499 (said once per run)";

    set_str(LOAD, "L2");
    for (int tick = 5; tick < 30; tick++) {
        _timer1_loadstatus_cb(nullptr);
        ASSERT_EQ(part("time"), std::to_string(30 - tick));
    }
    EXPECT_TRUE(blocked());
    EXPECT_TRUE(logged("D/" EM_PACKAGE_ID ": screen_util.cpp: screen_key_text("));
    EXPECT_EQ(log_count(cut), 1);
    EXPECT_EQ(_timer1_loadstatus_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ===<br>팬<br>=== LOAD STATUS - FINISHED ===");
    EXPECT_EQ(part("time"), "-");
    EXPECT_FALSE(blocked());
    EXPECT_EQ(is_working_loadstatus(), 0);

    set_str(LOAD, (std::string(496, 'x') + "<br>L1").c_str());
    press();  // a new run says the cut again
    _timer1_loadstatus_cb(nullptr);
    EXPECT_EQ(log_count(cut), 2);
}

TEST_F(LoadStatusTest, StopsBanAndTableLimits)
{
    open_test_view();  // no model name
    EXPECT_TRUE(logged("E/" EM_PACKAGE_ID ": loadstatus.cpp: _loadStatus_db_read(") &&
                logged("> (NULL == modelNmae) -> _loadStatus_db_read() return"));
    press();
    _timer1_loadstatus_cb(nullptr);
    press();  // second press: STOP line, block lifted
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STOP ===<br>");
    EXPECT_EQ(part("time"), "-");
    EXPECT_FALSE(blocked());
    EXPECT_EQ(is_working_loadstatus(), 0);

    press();
    start_mode(7);  // another screen stops the run without writing
    EXPECT_EQ(is_working_loadstatus(), 0);
    EXPECT_FALSE(blocked());
    EXPECT_EQ(part("time"), "-");
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - START ===<br>");

    set_str("memory/refrigerator/ErrorList", "41 E");
    set_str(TX, "before");
    clear_log();
    press();
    EXPECT_TRUE(logged("> [_btn_loadstatus_cb:") && logged("] Ban to enter."));
    EXPECT_EQ(get_str(TX), "before");
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - START ===<br>");

    std::string sql = CREATE;  // rows beyond the hundredth are dropped
    for (int i = 1; i <= 101; i++)
        sql += "INSERT INTO loadstatus VALUES(" + std::to_string(i) + ", 'X" + std::to_string(i) +
               "', 1, 'Load " + std::to_string(i) + "', '');";
    make_db("RF1", sql);
    _loadStatus_db_read();
    set_str("memory/refrigerator/ErrorList", "E");
    set_str(LOAD, "X1<br>X100<br>X101");
    press();
    _timer1_loadstatus_cb(nullptr);
    EXPECT_EQ(log_text(), "<br>=== LOAD STATUS - STARTED ===<br>Load 1<br>Load 100");
}

TEST_F(LoadStatusTest, ADatabaseThatFailedIsReadAfreshOnceFixedOrReplaced)
{
    /* A file that is no database, then the fixed database put in its place
     * while the application runs. */
    std::ofstream(make_db("RF1", "")) << std::string(4096, 'x');
    set_str(LOAD, "L1<br>L2");
    auto shown_names = [this] {
        open_test_view();
        press();
        _timer1_loadstatus_cb(nullptr);
        std::string text = log_text();
        press();
        press_back();
        return text;
    };
    EXPECT_EQ(shown_names(), "<br>=== LOAD STATUS - STARTED ===");
    EXPECT_TRUE(logged("(NULL == st) -> _loadStatus_db_read() return"));
    make_db("RF1", LOAD_TABLE);
    EXPECT_EQ(shown_names(), "<br>=== LOAD STATUS - STARTED ===<br>Compressor<br>Fan");

    /* A model whose database has no tables (the table stays as it was),
     * then another model. */
    make_db("RF2", "");
    EXPECT_EQ(shown_names(), "<br>=== LOAD STATUS - STARTED ===<br>Compressor<br>Fan");
    make_db("RF3", CREATE + "INSERT INTO loadstatus VALUES(1, 'L1', 1, 'Third compressor', '');");
    EXPECT_EQ(shown_names(), "<br>=== LOAD STATUS - STARTED ===<br>Third compressor");
}
