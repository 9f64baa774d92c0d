/*
 * System information and model option screens, pressed on the test view by
 * their positions; timer ticks are called directly.
 */
#include <string>

#include "fixture.h"
#include "main.h"
#include "systeminfo.h"

namespace {

const char TX[] = "memory/refrigerator/TxMessage";
const char REGION[] = "db/setting/region_code";

class SystemInfoTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        open_test_view();
    }
    static void press_systeminfo() { click_at(10 + 105, 1390 + 30); }
    static void press_modeloption() { click_at(10 + 105, 1455 + 30); }
    static bool blocked() { return evas_object_visible_get(appdata_get_block_edje()); }
};

}  // namespace

TEST_F(SystemInfoTest, VersionAskedAtBuildAndUsedMonthOnlyForExactlyKR)
{
    EXPECT_EQ(get_str(TX), "REQ_STATUS_REQUEST_VERSION");  // sent when the view was built
    set_str(TX, "untouched");
    set_int("db/refrigerator/MicomInfoYear", 0x1A2);  // more than two digits
    set_int("db/refrigerator/MicomInfoProject", 0x0B);
    set_int("db/refrigerator/MicomUsedMonth", 7);  // MicomInfoVersion missing: 0x00

    const std::string firmware = "<br>====  System Information  ===="
                                 "<br>Firmware year     : 0x1A2"
                                 "<br>Firmware model   : 0x0B"
                                 "<br>Firmware version : 0x00";
    for (const char *region : {"US", "kr", "KR ", ""}) {
        set_str(REGION, region);
        press_systeminfo();
        EXPECT_EQ(log_text(), firmware) << "region [" << region << "]";
    }
    EXPECT_TRUE(logged("> Fail to get VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION"));
    set_str(REGION, "KR");
    press_systeminfo();
    EXPECT_EQ(log_text(), firmware + "<br>Used month     : 07");
    EXPECT_EQ(get_str(TX), "untouched");  // pressing sends nothing
}

TEST_F(SystemInfoTest, ModelOptionPrintsTheEightLowBitsAtTheSecondTick)
{
    press_modeloption();
    EXPECT_EQ(get_str(TX), "REQ_STATUS_REQUEST_MODELOPTION");
    EXPECT_EQ(get_mode(), 2);
    _timer1_modeloption_cb(nullptr);
    press_modeloption();  // while pending: starts over, the next tick is a first tick again
    EXPECT_EQ(_timer1_modeloption_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(part("time"), "1");
    EXPECT_TRUE(blocked());
    const std::string header = "<br>=== MODEL OPTION  ===<br>";
    EXPECT_EQ(log_text(), header);
    _timer1_modeloption_cb(nullptr);  // option key missing: all zero
    EXPECT_NE(log_text().find("<br>MODEL OPTION 1: 0<br>"), std::string::npos);

    set_int("db/refrigerator/ModelDiodeOption", 5 | 0x300);
    press_modeloption();
    _timer1_modeloption_cb(nullptr);
    EXPECT_EQ(_timer1_modeloption_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(part("time"), "-");
    EXPECT_FALSE(blocked());
    EXPECT_EQ(log_text(), header + "<br>MODEL OPTION 1: Inserted<br>MODEL OPTION 2: 0"
                                   "<br>MODEL OPTION 3: Inserted<br>MODEL OPTION 4: 0"
                                   "<br>MODEL OPTION 5: 0<br>MODEL OPTION 6: 0"
                                   "<br>MODEL OPTION 7: 0<br>MODEL OPTION 8: 0"
                                   "<br><br>=== MODEL OPTION - FINISHED ===");
    EXPECT_EQ(is_working_modeloption(), 1);  // the timer stays, frozen
    EXPECT_EQ(_timer1_modeloption_cb(nullptr), ECORE_CALLBACK_CANCEL);
    EXPECT_EQ(is_working_modeloption(), 0);

    press_modeloption();
    press_systeminfo();  // another screen: timer deleted, block lifted
    EXPECT_EQ(is_working_modeloption(), 0);
    EXPECT_FALSE(blocked());
    press_modeloption();
    EXPECT_EQ(is_working_modeloption(), 1);
    EXPECT_TRUE(blocked());
}
