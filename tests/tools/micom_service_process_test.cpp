/*
 * The built micom-service program as a process: it answers a command written
 * through the key store in time and ends on SIGTERM; a refused condition ends
 * it before any key is written.
 */
#include "tools_test_support.h"

TEST(MicomServiceProcess, AnswersACommandStopsOnSigtermAndRefusesALinkCodeAtOnce)
{
    test_support::PlatformDir dir;
    auto refused = test_support::run({MICOM_SERVICE_PATH, "--errors", "22 412"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "micom-service: --errors: \"412\" begins with 41, which means no link to the "
                           "micom; use --link-down\n");
    EXPECT_FALSE(get_str("memory/refrigerator/ErrorList"));

    test_support::Child service({MICOM_SERVICE_PATH, "--model", "RF-TEST-02"});
    ASSERT_TRUE(service.wait_output("micom-service: ready", 30)) << service.out() << service.err();
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), "RF-TEST-02");
    ASSERT_FALSE(get_int("db/refrigerator/ModelDiodeOption"));
    const double sent = test_support::now();
    ASSERT_EQ(vconf_set_str("memory/refrigerator/TxMessage", "REQ_STATUS_REQUEST_MODELOPTION"), VCONF_OK);
    while (!get_int("db/refrigerator/ModelDiodeOption") && test_support::now() - sent < 5)
        ::usleep(10000);
    EXPECT_LT(test_support::now() - sent, 2.0) << "the model-option screen reads after 2 s";
    EXPECT_TRUE(service.wait_output("micom-service: received REQ_STATUS_REQUEST_MODELOPTION\n", 5)) << service.out();
    EXPECT_EQ(service.stop(SIGTERM), 0);
    EXPECT_NE(service.out().find("micom-service: stopped"), std::string::npos) << service.out();
}
