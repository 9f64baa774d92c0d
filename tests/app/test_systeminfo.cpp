/*
 * System information and model option screens, driven through their
 * buttons on the test view; timer ticks are called directly.
 */
#include <string>

#include "common.h"
#include "fixture.h"
#include "main.h"
#include "systeminfo.h"

namespace {

const char TX[] = "memory/refrigerator/TxMessage";

class SystemInfoTest : public AppTest {
protected:
    /* The test-view button placed at (x, y). */
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
    static Evas_Object *systeminfo_button() { return button_xy(10, 1390); }
    static Evas_Object *modeloption_button() { return button_xy(10, 1455); }

    static bool blocked() { return evas_object_visible_get(appdata_get_block_edje()); }
};

}  // namespace

TEST_F(SystemInfoTest, VersionIsRequestedWhenTheViewIsBuiltNotOnPress)
{
    EXPECT_EQ(get_str(TX), std::nullopt);
    open_test_view();
    EXPECT_EQ(get_str(TX), "REQ_STATUS_REQUEST_VERSION");
    EXPECT_TRUE(logged("[init_systeminfo:"));
    EXPECT_TRUE(logged("] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : 0"));

    set_str(TX, "untouched");
    click(systeminfo_button());
    EXPECT_EQ(get_str(TX), "untouched");
    EXPECT_EQ(get_mode(), 1);
}

TEST_F(SystemInfoTest, FirmwareLinesAndUsedMonthOnlyForKR)
{
    set_int("db/refrigerator/MicomInfoYear", 0x1A2);  // more than two digits
    set_int("db/refrigerator/MicomInfoProject", 0x0B);
    // MicomInfoVersion missing: printed as 0x00 after a debug line.
    set_int("db/refrigerator/MicomUsedMonth", 7);
    set_str("db/setting/region_code", "US");
    open_test_view();

    const std::string firmware = "<br>====  System Information  ===="
                                 "<br>Firmware year     : 0x1A2"
                                 "<br>Firmware model   : 0x0B"
                                 "<br>Firmware version : 0x00";
    clear_log();
    click(systeminfo_button());
    EXPECT_EQ(log_text(), firmware);
    EXPECT_TRUE(logged("D/" EM_PACKAGE_ID ": systeminfo.cpp:"));
    EXPECT_TRUE(logged("> Fail to get VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION"));

    for (const char *region : {"kr", "KR ", "KOR", ""}) {
        set_str("db/setting/region_code", region);
        click(systeminfo_button());
        EXPECT_EQ(log_text(), firmware) << "region [" << region << "]";
    }

    set_str("db/setting/region_code", "KR");
    click(systeminfo_button());
    EXPECT_EQ(log_text(), firmware + "<br>Used month     : 07");
}

TEST_F(SystemInfoTest, ModelOptionPrintsEightBitsAtTheSecondTick)
{
    set_int("db/refrigerator/ModelDiodeOption", 5 | 0x300);  // bits above eight ignored
    open_test_view();

    click(modeloption_button());
    EXPECT_EQ(get_str(TX), "REQ_STATUS_REQUEST_MODELOPTION");
    EXPECT_EQ(get_mode(), 2);
    EXPECT_TRUE(blocked());
    EXPECT_EQ(is_working_modeloption(), 1);
    EXPECT_EQ(log_text(), "<br>=== MODEL OPTION  ===<br>");

    // First tick: countdown only.
    EXPECT_EQ(_timer1_modeloption_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(part("time"), "1");
    EXPECT_TRUE(blocked());
    EXPECT_EQ(log_text(), "<br>=== MODEL OPTION  ===<br>");

    // Second tick: the eight bits, block lifted; the timer stays (frozen).
    EXPECT_EQ(_timer1_modeloption_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(part("time"), "-");
    EXPECT_FALSE(blocked());
    EXPECT_EQ(log_text(), "<br>=== MODEL OPTION  ===<br>"
                          "<br>MODEL OPTION 1: Inserted<br>MODEL OPTION 2: 0"
                          "<br>MODEL OPTION 3: Inserted<br>MODEL OPTION 4: 0"
                          "<br>MODEL OPTION 5: 0<br>MODEL OPTION 6: 0"
                          "<br>MODEL OPTION 7: 0<br>MODEL OPTION 8: 0"
                          "<br><br>=== MODEL OPTION - FINISHED ===");
    EXPECT_EQ(is_working_modeloption(), 1);

    // A tick with nothing pending ends the timer.
    EXPECT_EQ(_timer1_modeloption_cb(nullptr), ECORE_CALLBACK_CANCEL);
    EXPECT_EQ(is_working_modeloption(), 0);
}

TEST_F(SystemInfoTest, ModelOptionRestartsOnPressAndStopsForOtherScreens)
{
    // Missing option key counts as 0.
    open_test_view();
    click(modeloption_button());
    _timer1_modeloption_cb(nullptr);
    EXPECT_EQ(part("time"), "1");

    // A press while pending starts over: the next tick is a first tick again.
    set_str(TX, "");
    click(modeloption_button());
    EXPECT_EQ(get_str(TX), "REQ_STATUS_REQUEST_MODELOPTION");
    EXPECT_TRUE(blocked());
    _timer1_modeloption_cb(nullptr);
    EXPECT_EQ(part("time"), "1");
    EXPECT_TRUE(blocked());
    clear_log();
    _timer1_modeloption_cb(nullptr);
    EXPECT_TRUE(logged("> [_timer1_modeloption_cb:"));
    EXPECT_TRUE(logged("] Fail to get VCONFKEY_REFRIGERATOR_MODELDIODEOPTION"));
    EXPECT_NE(log_text().find("<br>MODEL OPTION 1: 0<br>"), std::string::npos);
    EXPECT_EQ(log_text().find("Inserted"), std::string::npos);

    // Another screen while pending: timer deleted, block lifted.
    click(modeloption_button());
    EXPECT_TRUE(blocked());
    click(systeminfo_button());
    EXPECT_EQ(is_working_modeloption(), 0);
    EXPECT_FALSE(blocked());
    EXPECT_EQ(get_mode(), 1);
    // The next press creates a new timer.
    click(modeloption_button());
    EXPECT_EQ(is_working_modeloption(), 1);
    EXPECT_TRUE(blocked());
}
