/*
 * Force run screen: the seven-entry table, the rows by label and developer
 * mode, opening with the recorded status (the re-selection sends the command
 * again), taps, and the one pending rollback check on the real main loop.
 */
#include <Ecore.h>
#include <app_i18n.h>
#include <vconf.h>

#include <string>
#include <vector>

#include "common.h"
#include "fixture.h"
#include "forcerun.h"
#include "micom_channel.h"

namespace {

using rows_t = std::vector<std::string>;
const char *const TX = VCONFKEY_REFRIGERATOR_TX_MESSAGE;
const char *const STATUS = VCONFKEY_REFRIGERATOR_FORCERUN_STATUS;
const char *const DEVELOPER = VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE;

const std::string CREATE = "CREATE TABLE forcerun(MODE TEXT, FORCE_RUN_NUMBER INTEGER,"
                           " TEXT_EN_US TEXT, TEXT_KR TEXT);";

/* Table positions: 0 no English label (16), 1 the cancel (0), 2 a developer
 * program (4), 3 RUN1 followed by more characters (1), 4 a LONGDEF cut to 23
 * characters (0), 5 RUN2, 6 LONGDEF (32), 7 one row too many. */
const std::string FORCE_TABLE =
    CREATE + "INSERT INTO forcerun VALUES"
             " ('SET_KEY_FORCE_TEST_RDEF', 16, NULL, '냉장 제상'),"
             " ('SET_KEY_FORCE_TEST_CANCEL', 0, 'Cancel run', '취소'),"
             " ('SET_KEY_FORCE_TEST_RUN4', 4, 'PreCool run', 'PreCool 예냉'),"
             " ('SET_KEY_FORCE_TEST_RUN12', 1, 'Run one', '운전 1'),"
             " ('SET_KEY_FORCE_TEST_LONG', 32, 'Truncated long', '잘림'),"
             " ('SET_KEY_FORCE_TEST_RUN2', 2, 'Run two', '운전 2'),"
             " ('SET_KEY_FORCE_TEST_LONGDEF', 32, 'Long defrost', '장시간 제상'),"
             " ('SET_KEY_FORCE_TEST_FDEF', 17, 'Eighth', '여덟째');";

const rows_t USER_ROWS{"Cancel run", "Run one", "Truncated long", "Run two", "Long defrost"};

class ForceRunTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        set_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, "E");  // link up
        set_int(DEVELOPER, 0);
    }
    /* Opens the test view on the force-run table with a recorded status. */
    void open_with_table(int status)
    {
        make_db("RF1", FORCE_TABLE);
        set_int(STATUS, status);
        open_test_view();
    }
    static void press() { click_at(230 + 105, 1455 + 30); }
    static int status() { return key_get_int(STATUS).value_or(-999); }
    static void tap(const std::string &label) { tap_row(get_li_main(), label); }
    static std::string number_box(int n)
    {
        return "<br>=== FORCE RUN NUMBER === <br>" + std::to_string(n);
    }
    /* Runs the main loop until the rollback check has run; the seconds since
     * `since`, or -1 when it has not run within 5 s. */
    static double check_after(double since)
    {
        while (!logged("Force run status:")) {
            if (ecore_time_get() - since > 5)
                return -1;
            run_loop(0.01);
        }
        return ecore_time_get() - since;
    }
};

}  // namespace

TEST_F(ForceRunTest, SevenEntriesWithStatusByPrefixListedByLabelAndDeveloperMode)
{
    open_with_table(18);  // FCVDEF: no entry has it
    EXPECT_EQ(log_count("> Out of range force run"), 1);

    set_str(TX, "before");
    press();
    EXPECT_EQ(get_mode(), 5);
    EXPECT_EQ(rows(get_li_main()), USER_ROWS);  // no empty label, no PreCool, no eighth row
    EXPECT_EQ(part("list.name"), i18n_get_text("REFLCD_NV2_EM_FRIDGE_FORCE_RUN"));
    // A status no listed entry has selects nothing and sends nothing.
    EXPECT_EQ(log_text(), number_box(18));
    EXPECT_EQ(get_str(TX), "before");
    EXPECT_EQ(status(), 18);

    // A tap sends the entry's MODE, records its status by prefix and shows
    // its table position.
    struct tap_case {
        const char *label, *command;
        int status, position;
    };
    for (const tap_case &c : {tap_case{"Run one", "SET_KEY_FORCE_TEST_RUN12", 1, 3},
                              tap_case{"Truncated long", "SET_KEY_FORCE_TEST_LONG", 0, 4},
                              tap_case{"Long defrost", "SET_KEY_FORCE_TEST_LONGDEF", 32, 6},
                              tap_case{"Cancel run", "SET_KEY_FORCE_TEST_CANCEL", 0, 1}}) {
        SCOPED_TRACE(c.label);
        tap(c.label);
        EXPECT_EQ(get_str(TX), c.command);
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(log_text(), number_box(c.position));
        EXPECT_TRUE(logged(std::string("] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : ") + c.command));
        EXPECT_TRUE(logged("> vconf set VCONFKEY_REFRIGERATOR_FORCERUN_STATUS : " +
                           std::to_string(c.status)));
    }

    // Developer mode lists PreCool; its row data stays its table position.
    set_int(DEVELOPER, 1);
    set_int(STATUS, 18);
    press();
    EXPECT_EQ(rows(get_li_main()), (rows_t{"Cancel run", "PreCool run", "Run one", "Truncated long",
                                           "Run two", "Long defrost"}));
    tap("PreCool run");  // second row, third entry
    EXPECT_EQ(get_str(TX), "SET_KEY_FORCE_TEST_RUN4");
    EXPECT_EQ(status(), 4);
    EXPECT_EQ(log_text(), number_box(2));
}

TEST_F(ForceRunTest, AReadFillsFromTheFirstEntryInTheLanguageOfTheBuild)
{
    set_str(VCONFKEY_LANGSET, "ko_KR.UTF-8");
    open_with_table(18);
    press();
    // Korean labels; the PreCool rule reads the label in either language.
    EXPECT_EQ(rows(get_li_main()),
              (rows_t{"냉장 제상", "취소", "운전 1", "잘림", "운전 2", "장시간 제상"}));

    // Two rows fill entries 0 and 1; the others keep what they held. A NULL
    // MODE is kept as the empty text (status 0) and logged; a long label is
    // cut to 39 bytes at a whole character.
    set_str(VCONFKEY_LANGSET, "en_US.UTF-8");
    make_db("RF1", CREATE + "INSERT INTO forcerun VALUES (NULL, 1, 'No command', ''),"
                            " ('SET_KEY_FORCE_TEST_RUN3', 3, '" + std::string(38, 'x') + "é', '');");
    _forcerun_db_read();
    EXPECT_TRUE(logged("force run row 1 has no MODE: its entry sends the empty text"));
    set_int(STATUS, 3);
    set_str(TX, "before");
    press();
    const std::string cut = std::string(38, 'x');
    EXPECT_EQ(rows(get_li_main()), (rows_t{"No command", cut, "운전 1", "잘림", "운전 2", "장시간 제상"}));
    EXPECT_EQ(get_str(TX), "SET_KEY_FORCE_TEST_RUN3");  // re-selected by status 3
    tap("No command");
    EXPECT_EQ(get_str(TX), "");
    EXPECT_EQ(status(), 0);
}

TEST_F(ForceRunTest, OpeningSelectsTheRecordedProgramAgain)
{
    // 15 counts as 1: the first entry of value 1 is selected, its command
    // goes out again and the status key gets 1.
    open_with_table(15);
    press();
    EXPECT_TRUE(logged("> Forcerun item is selected, mode:Run one, value:1"));
    EXPECT_EQ(get_str(TX), "SET_KEY_FORCE_TEST_RUN12");
    EXPECT_EQ(status(), 1);
    EXPECT_EQ(log_text(), number_box(3));

    // 0 selects the cancel entry (the first listed entry of value 0).
    set_int(STATUS, 0);
    press();
    EXPECT_EQ(get_str(TX), "SET_KEY_FORCE_TEST_CANCEL");
    EXPECT_EQ(log_text(), number_box(1));
    EXPECT_EQ(elm_list_selected_item_get(get_li_main()), row(get_li_main(), "Cancel run"));

    // A hidden developer program and an unlisted entry are never selected,
    // even when their status matches.
    for (int hidden : {4, 16}) {
        set_int(STATUS, hidden);
        set_str(TX, "before");
        press();
        EXPECT_EQ(get_str(TX), "before");
        EXPECT_EQ(log_text(), number_box(hidden));
        EXPECT_EQ(elm_list_selected_item_get(get_li_main()), nullptr);
    }

    // A status of another type is reset to 0 and the screen goes on with 0.
    set_str(STATUS, "four");
    set_str(TX, "before");
    press();
    EXPECT_TRUE(logged("> vconf default set VCONFKEY_REFRIGERATOR_FORCERUN_STATUS : 0"));
    EXPECT_EQ(status(), 0);
    EXPECT_EQ(get_str(TX), "SET_KEY_FORCE_TEST_CANCEL");

    // The status is formatted into 5 bytes: four characters at most.
    set_int(STATUS, 123456);
    press();
    EXPECT_EQ(log_text(), "<br>=== FORCE RUN NUMBER === <br>1234");

    // No link: refused before anything is read or written.
    set_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, "41 E");
    set_str(TX, "before");
    clear_log();
    press();
    EXPECT_TRUE(logged("> [_btn_forcerun_cb:") && logged("] Ban to enter."));
    EXPECT_EQ(get_str(TX), "before");
    EXPECT_EQ(log_text(), "<br>=== FORCE RUN NUMBER === <br>1234");
}

TEST_F(ForceRunTest, OneRollbackCheckRestoresWhatTheMicomOverwroteAndOutlivesTheViewNotTermination)
{
    open_with_table(18);
    press();
    struct check_case {
        const char *label;
        int micom, after;  // what the micom writes before the check; the key after it
        const char *line;
    };
    for (const check_case &c :
         {check_case{"Cancel run", 15, 0, "Force run set to rollback to CANCEL"},
          check_case{"Long defrost", 0, 32, "Force run set to rollback to last run:32"},
          check_case{"Run two", 7, 7, nullptr}, check_case{"Run one", 15, 15, nullptr},
          check_case{"Cancel run", 0, 0, nullptr}}) {
        SCOPED_TRACE(c.label);
        clear_log();
        tap(c.label);
        set_int(STATUS, c.micom);
        ASSERT_GT(check_after(ecore_time_get()), 0);
        EXPECT_EQ(status(), c.after);
        EXPECT_EQ(log_count("rollback to"), c.line ? 1 : 0);
        EXPECT_TRUE(!c.line || logged(c.line)) << c.line;
    }

    // Two taps make one check, judged against the second.
    tap("Run one");
    run_loop(0.1);
    clear_log();
    double second = ecore_time_get();
    tap("Run two");
    set_int(STATUS, 0);  // the micom overwrote the status
    double elapsed = check_after(second);
    EXPECT_GE(elapsed, 0.29);  // the first tap's check would have come 0.1 s earlier
    EXPECT_LT(elapsed, 3.0);
    EXPECT_TRUE(logged("> Force run status:0, last command:2"));
    EXPECT_EQ(status(), 2);
    run_loop(0.6);
    EXPECT_EQ(log_count("Force run status:"), 1);

    // Leaving the test view keeps a pending check: it runs at its time.
    clear_log();
    tap("Run one");
    set_int(STATUS, 0);
    ASSERT_TRUE(press_back());
    EXPECT_GT(check_after(ecore_time_get()), 0);
    EXPECT_EQ(status(), 1);

    // Termination drops it.
    open_test_view();
    press();
    tap("Run two");
    set_int(STATUS, 0);
    clear_log();
    _terminate(ad_);
    ad_ = nullptr;
    run_loop(0.6);
    EXPECT_FALSE(logged("Force run status:"));
    EXPECT_EQ(status(), 0);
}
