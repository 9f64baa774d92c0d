/*
 * Energy information screen: the report, start/stop/clear by real clicks on
 * the main list, the micom report composed from the four watt keys, the LCD
 * accumulator's conversion, carried remainder and limit, and the sampling
 * thread (one per measurement, cancelled at its pause, never again after a
 * stop). These tests also run under ThreadSanitizer.
 */
#include <regex>
#include <string>

#include "energyinfo.h"
#include "fixture.h"
#include "micom_channel.h"

namespace {

const char POWER[] = "memory/device/lcd_power";
const char *const WATT[] = {VCONFKEY_REFRIGERATOR_SMART_GRID_WATT1,
                            VCONFKEY_REFRIGERATOR_SMART_GRID_WATT2,
                            VCONFKEY_REFRIGERATOR_SMART_GRID_WATT3,
                            VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4};

const std::string EMPTY_REPORT =
    "<br>====  Energy Information  ===="
    "<br>Running Status : Stop<br>Start Time : Ready<br>Update Time : Ready"
    "<br>Instantaneous Micom Energy : 0.00 Wh<br>Instantaneous LCD Energy : 0.00 Wh"
    "<br>Instantaneous SUM Energy : 0.00 Wh<br>Cumulative Micom Energy : 0.00 Wh"
    "<br>Cumulative LCD Energy : 0.00 Wh<br>Cumulative SUM Energy : 0.00 Wh";

class EnergyTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        set_str("memory/refrigerator/ErrorList", "E");
        set_int(POWER, 0);  // no LCD samples unless a test sets a reading
        /* The thread samples at once when started, then pauses an hour. */
        energyinfo_set_sample_period_us(3600u * 1000000u);
        open_test_view();
        press_energy();
    }

    /* The energy button, then time for the list to lay out its rows. */
    static void press_energy()
    {
        click_at(10 + 105, 1585 + 30);
        run_loop(0.1);
    }
    static void command(const char *row_text)
    {
        Elm_Object_Item *item = row(get_li_main(), row_text);
        ASSERT_NE(item, nullptr) << row_text;
        click(elm_list_item_object_get(item));
    }

    /* Runs the loop until the text was logged count times (10 s at most). */
    static bool wait_logged(const std::string &text, int count = 1)
    {
        for (int i = 0; i < 200 && log_count(text) < count; ++i)
            run_loop(0.05);
        return log_count(text) >= count;
    }

    /* The micom's report: the four keys, the fourth last; waits until handled. */
    static void report(int w1, int w2, int w3, int w4)
    {
        int before = log_count("> _vconf_callback_fn");
        int values[] = {w1, w2, w3, w4};
        for (int i = 0; i < 4; ++i)
            set_int(WATT[i], values[i]);
        EXPECT_TRUE(wait_logged("> _vconf_callback_fn", before + 1)) << "no report handled";
    }

    /* A line of the log box that starts with the label. */
    static std::string line(const std::string &label)
    {
        std::string text = log_text();
        std::size_t at = text.find("<br>" + label);
        if (at == std::string::npos)
            return "(no " + label + ")";
        at += 4;
        return text.substr(at, text.find("<br>", at) - at);
    }

    /* Starts a measurement and waits for the thread's first sample. */
    void start_and_sample(int reading)
    {
        set_int(POWER, reading);
        command("Start Option");
        ASSERT_TRUE(wait_logged("REPORT] LCD energy : " + std::to_string(reading)));
    }
};

}  // namespace

TEST_F(EnergyTest, OpensWithTheReportAndThreeCommands)
{
    EXPECT_EQ(get_mode(), 9);
    EXPECT_EQ(part("time"), "-");
    EXPECT_EQ(log_text(), EMPTY_REPORT + "<br>==============================");
    EXPECT_EQ(rows(get_li_main()),
              (std::vector<std::string>{"Start Option", "Stop Option", "Clear Option"}));

    // Stop while stopped: the report, nothing else.
    command("Stop Option");
    EXPECT_TRUE(logged("main clicked: 100001"));
    EXPECT_FALSE(logged("Clean Up"));
    EXPECT_EQ(log_text(), EMPTY_REPORT);

    // No link to the micom: only the notice, nothing else changes.
    start_mode(1);
    set_str("memory/refrigerator/ErrorList", "41 E");
    press_energy();
    EXPECT_TRUE(logged("> Connection Error !!"));
    EXPECT_EQ(log_text(), "<br>=== No Connection === ");
    EXPECT_EQ(get_mode(), 1);
    EXPECT_EQ(rows(get_li_main()), std::vector<std::string>{});
}

TEST_F(EnergyTest, StartTwiceMakesOneThreadAndOneNotification)
{
    command("Start Option");
    command("Start Option");
    ASSERT_TRUE(wait_logged("REPORT] Start Thread"));
    run_loop(0.3);  // time for a second thread to show up
    EXPECT_EQ(log_count("REPORT] Start Thread"), 1);
    EXPECT_EQ(log_count("Energy Thread Success"), 1);
    EXPECT_EQ(line("Running Status"), "Running Status : Running");
    EXPECT_TRUE(std::regex_match(line("Start Time"),
                                 std::regex("Start Time : \\d{4}-\\d\\d-\\d\\d-\\d\\d:\\d\\d:\\d\\d")))
        << line("Start Time");

    report(0, 0, 0, 7);
    run_loop(0.3);  // time for a second notification
    EXPECT_EQ(log_count("> _vconf_callback_fn"), 1);
    EXPECT_EQ(line("Instantaneous Micom Energy"), "Instantaneous Micom Energy : 0.07 Wh");
    EXPECT_NE(line("Update Time"), "Update Time : Ready");

    // Stop ends the thread at its pause and the notification; a second stop
    // has nothing left to cancel.
    command("Stop Option");
    EXPECT_EQ(log_count("Clean Up"), 1) << "the thread had not ended when stop returned";
    command("Stop Option");
    EXPECT_EQ(log_count("Clean Up"), 1);
    EXPECT_EQ(line("Running Status"), "Running Status : Stop");
    set_int(WATT[3], 9);
    run_loop(0.5);
    EXPECT_EQ(log_count("> _vconf_callback_fn"), 1) << "a report after the stop was handled";
    EXPECT_EQ(line("Cumulative Micom Energy"), "Cumulative Micom Energy : 0.07 Wh");
}

TEST_F(EnergyTest, ReportComposesTheWattBytesAndConvertsTheLcdShareWhichRestartsAboveItsLimit)
{
    start_and_sample(2 * 3600 + 50);
    report(1, 2, 3, 4);  // 0x01020304 from the micom, 7250 / 3600 Wh from the LCD
    EXPECT_EQ(line("Instantaneous Micom Energy"), "Instantaneous Micom Energy : 169090.60 Wh");
    EXPECT_EQ(line("Instantaneous LCD Energy"), "Instantaneous LCD Energy : 0.02 Wh");
    EXPECT_EQ(line("Instantaneous SUM Energy"), "Instantaneous SUM Energy : 169090.62 Wh");

    // Only the low byte of each key counts; the remainder carries over; the
    // values are unsigned and wrap.
    report(0x1FF, 0, 0, 0x100);
    EXPECT_TRUE(logged("REPORT] LCD energy RAW: 50"));
    EXPECT_EQ(line("Instantaneous Micom Energy"), "Instantaneous Micom Energy : 42781900.80 Wh");
    EXPECT_EQ(line("Instantaneous LCD Energy"), "Instantaneous LCD Energy : 0.00 Wh");
    EXPECT_EQ(line("Cumulative Micom Energy"), "Cumulative Micom Energy : 1318.44 Wh");
    EXPECT_EQ(line("Cumulative LCD Energy"), "Cumulative LCD Energy : 0.02 Wh");
    EXPECT_EQ(line("Cumulative SUM Energy"), "Cumulative SUM Energy : 1318.46 Wh");

    // The accumulator (50 carried) grows up to its limit and restarts above it.
    set_int(POWER, 299950);
    energyinfo_sample_once();  // 300000
    set_int(POWER, 300000);
    energyinfo_sample_once();  // 600000: at the limit, not above it
    energyinfo_sample_once();  // 900000
    EXPECT_FALSE(logged("OVER LCD MAX ENERGY"));
    energyinfo_sample_once();  // above: restarts from 0, then adds
    EXPECT_TRUE(logged("REPORT] OVER LCD MAX ENERGY : 900000"));
    set_int(POWER, -5);  // readings of 0 or less are dropped
    energyinfo_sample_once();
    set_int(POWER, 0);
    energyinfo_sample_once();
    report(0, 0, 0, 0);
    EXPECT_TRUE(logged("REPORT] LCD energy RAW: 300000"));
    EXPECT_EQ(line("Instantaneous LCD Energy"), "Instantaneous LCD Energy : 0.83 Wh");
}

TEST_F(EnergyTest, ClearKeepsTheRunningMeasurementAndReportsShowInModeNineOnly)
{
    start_and_sample(3000);
    report(0, 0, 0, 1);  // 3000 stays in the accumulator
    std::string started = line("Start Time");
    command("Clear Option");
    EXPECT_EQ(line("Start Time"), started);
    EXPECT_EQ(line("Update Time"), "Update Time : Ready");
    EXPECT_EQ(line("Running Status"), "Running Status : Running");
    EXPECT_EQ(line("Cumulative SUM Energy"), "Cumulative SUM Energy : 0.00 Wh");

    energyinfo_sample_once();  // 6000
    report(0, 0, 0, 0);
    EXPECT_EQ(line("Instantaneous LCD Energy"), "Instantaneous LCD Energy : 0.01 Wh");
    EXPECT_EQ(line("Cumulative SUM Energy"), "Cumulative SUM Energy : 0.01 Wh");

    // A report while another screen is shown leaves the log box alone.
    click_at(10 + 105, 1390 + 30);  // system information: mode 1
    ASSERT_EQ(get_mode(), 1);
    std::string shown = log_text();
    clear_log();
    report(0, 0, 1, 0);
    EXPECT_EQ(log_text(), shown);
    EXPECT_FALSE(logged("get_mode : "));
    press_energy();  // still running, with the report's values
    EXPECT_EQ(line("Running Status"), "Running Status : Running");
    EXPECT_EQ(line("Instantaneous Micom Energy"), "Instantaneous Micom Energy : 2.56 Wh");

    // Cleared while stopped: both times are ready again.
    command("Stop Option");
    command("Clear Option");
    EXPECT_EQ(log_text(), EMPTY_REPORT);
}

TEST_F(EnergyTest, SamplingThreadRacesTheReportsAndStopsAtItsPause)
{
    energyinfo_set_sample_period_us(2000);
    set_int(POWER, 100);
    command("Start Option");
    ASSERT_TRUE(wait_logged("REPORT] LCD energy : 100", 5));
    for (int i = 0; i < 5; ++i)
        report(0, 0, 0, i);  // conversions while the thread adds
    command("Stop Option");
    ASSERT_EQ(log_count("Clean Up"), 1);
    int samples = log_count("REPORT] LCD energy : 100");
    run_loop(0.2);
    EXPECT_EQ(log_count("REPORT] LCD energy : 100"), samples) << "sampled after the stop";

    // A new measurement has a thread of its own; termination ends it.
    command("Start Option");
    ASSERT_TRUE(wait_logged("REPORT] Start Thread", 2));
    _terminate(ad_);
    ad_ = nullptr;
    EXPECT_EQ(log_count("Clean Up"), 2);
    samples = log_count("REPORT] LCD energy : 100");
    set_int(WATT[3], 1);
    run_loop(0.3);
    EXPECT_EQ(log_count("REPORT] LCD energy : 100"), samples);
    EXPECT_EQ(log_count("> _vconf_callback_fn"), 5);
}
