/*
 * The simulated micom service's state machine, in-process on a virtual
 * clock: start-up keys, the answer of every command of the micom message
 * channel, the timing of the periodic answers, and its command line.
 */
#include "micom_args.h"
#include "micom_sim.h"
#include "tools_test_support.h"

#include <Ecore.h>

#include <array>
#include <set>

namespace {

constexpr double T0 = 1000.0;

class MicomSimTest : public PlatformDirTest {
protected:
    void start(const micom_config &config = micom_config{}) { micom_sim_start(config, T0); }

    /* Sends the command at time t and runs the ticks a caller would run. */
    int send(const char *command, double t)
    {
        const int result = micom_sim_command(command, t);
        micom_sim_tick(t);
        return result;
    }

    /* Ticks every 0.05 s from t_from, and at t_to last. */
    void run(double t_from, double t_to)
    {
        for (int i = 0; t_from + 0.05 * i < t_to; ++i)
            micom_sim_tick(t_from + 0.05 * i);
        micom_sim_tick(t_to);
    }
};

/* --- start-up keys --- */

TEST_F(MicomSimTest, FreshStoreGetsEveryKeyTheTestViewReads)
{
    start();
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), std::string(MICOM_DEMO_MODEL));
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "E");
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "E");
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 0);
    EXPECT_EQ(get_int("memory/refrigerator/EngineerDeveloperMode"), 0);
    EXPECT_TRUE(get_int("db/refrigerator/ModelSupportedIceMaker").has_value());
    EXPECT_EQ(get_str("db/menu_widget/language"), "en_US.UTF-8");
    EXPECT_EQ(get_str("db/setting/region_code"), "KR");
    for (int k = 0; k < 13; ++k) {
        auto byte = get_int(option_key(k).c_str());
        ASSERT_TRUE(byte.has_value()) << option_key(k);
        EXPECT_GE(*byte, 0);
        EXPECT_LE(*byte, 255);
    }
}

TEST_F(MicomSimTest, ExistingValuesSurviveAStart)
{
    vconf_set_str("memory/refrigerator/ModelName", "RF-OTHER");
    vconf_set_str("memory/refrigerator/ErrorList", "22 E");
    vconf_set_str("db/refrigerator/ErrorHistory", "35 E");
    vconf_set_int("memory/refrigerator/EngineerDeveloperMode", 1);
    vconf_set_int("memory/refrigerator/ForceRunStatus", 17);
    vconf_set_int("db/refrigerator/RefOption05", 77);
    vconf_set_str("db/menu_widget/language", "ko_KR.UTF-8");
    start();
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), "RF-OTHER");
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "22 E");
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "35 E");
    EXPECT_EQ(get_int("memory/refrigerator/EngineerDeveloperMode"), 1);
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 17);
    EXPECT_EQ(get_str("db/menu_widget/language"), "ko_KR.UTF-8");

    // The micom adopts the stored option byte and the stored error list.
    vconf_set_int("db/refrigerator/RefOption05", 0);
    send("REQ_STATUS_OPTION_DATA", T0);
    EXPECT_EQ(get_int("db/refrigerator/RefOption05"), 77);
    send("REQ_STATUS_WORK_SELF_TEST", T0 + 1);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "E");
    for (int s = 2; s <= 6; ++s)
        send("REQ_STATUS_WORK_SELF_TEST", T0 + s);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "22 E");
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "35 22 E");
}

TEST_F(MicomSimTest, ExplicitConditionsAreWrittenOverStoredValues)
{
    vconf_set_str("memory/refrigerator/ModelName", "RF-OTHER");
    vconf_set_str("memory/refrigerator/ErrorList", "E");
    vconf_set_str("db/refrigerator/ErrorHistory", "E");
    micom_config config;
    config.model = "RF-TEST-02";
    config.model_given = true;
    config.link_down = true;
    config.history = "12 40 E";
    config.history_given = true;
    start(config);
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), "RF-TEST-02");
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "41");
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "12 40 E");

    micom_config errors;
    errors.errors = {"22", "35"};
    errors.errors_given = true;
    start(errors);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "22 35 E");
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), "RF-TEST-02");
}

TEST_F(MicomSimTest, ResetOverwritesStoredValues)
{
    vconf_set_str("memory/refrigerator/ModelName", "RF-OTHER");
    vconf_set_str("memory/refrigerator/ErrorList", "41");
    vconf_set_int("memory/refrigerator/ForceRunStatus", 4);
    vconf_set_int("db/refrigerator/RefOption05", 77);
    start();
    const auto byte5 = get_int("db/refrigerator/RefOption05");
    micom_config config;
    config.reset = true;
    start(config);
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), std::string(MICOM_DEMO_MODEL));
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "E");
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 0);
    EXPECT_NE(get_int("db/refrigerator/RefOption05"), byte5);
}

/* --- firmware and model option --- */

TEST_F(MicomSimTest, VersionAndModelOptionRequestsAreAnswered)
{
    start();
    for (const char *key : {"db/refrigerator/MicomInfoYear", "db/refrigerator/MicomInfoProject",
                            "db/refrigerator/MicomInfoVersion", "db/refrigerator/MicomUsedMonth"})
        vconf_unset(key);
    EXPECT_EQ(send("REQ_STATUS_REQUEST_VERSION", T0), 1);
    const auto year = get_int("db/refrigerator/MicomInfoYear");
    const auto project = get_int("db/refrigerator/MicomInfoProject");
    const auto version = get_int("db/refrigerator/MicomInfoVersion");
    const auto months = get_int("db/refrigerator/MicomUsedMonth");
    ASSERT_TRUE(year && project && version && months);
    EXPECT_GT(*year, 0);
    EXPECT_LE(*year, 0xFF);
    EXPECT_GT(*project, 0);
    EXPECT_GT(*version, 0xFF);  // shown with more than two hex digits
    EXPECT_GE(*months, 0);

    EXPECT_FALSE(get_int("db/refrigerator/ModelDiodeOption").has_value());
    EXPECT_EQ(send("REQ_STATUS_REQUEST_MODELOPTION", T0 + 1), 1);
    const auto diodes = get_int("db/refrigerator/ModelDiodeOption");
    ASSERT_TRUE(diodes.has_value());
    EXPECT_GT(*diodes, 0);
    EXPECT_LE(*diodes, 0xFF);
}

/* --- load status --- */

TEST_F(MicomSimTest, LoadStatusChangesEverySecondWithDatabaseIds)
{
    const std::set<std::string> ids = used_load_ids();
    ASSERT_FALSE(ids.empty());
    start();
    ASSERT_FALSE(get_str("memory/refrigerator/LoadStatus").has_value());

    EXPECT_EQ(micom_sim_command(" ", T0), 0);
    EXPECT_EQ(micom_sim_command("REQ_STATUS_LOAD_STATUS", T0), 1);
    std::set<std::string> values;
    std::set<std::string> seen_ids;
    for (int tick = 1; tick <= 30; ++tick) {
        vconf_set_str("memory/refrigerator/LoadStatus", "stale");
        run(T0 + tick - 0.95, T0 + tick + 0.01);
        auto value = get_str("memory/refrigerator/LoadStatus");
        ASSERT_TRUE(value.has_value());
        ASSERT_NE(*value, "stale") << "not refreshed at second " << tick;
        values.insert(*value);
        for (const std::string &piece : split_like_app(*value)) {
            EXPECT_TRUE(ids.count(piece)) << "unknown load " << piece << " in " << *value;
            seen_ids.insert(piece);
        }
    }
    EXPECT_GE(values.size(), 3u) << "loads hardly change";
    EXPECT_GE(seen_ids.size(), 4u);
    EXPECT_TRUE(seen_ids.count("COMP"));

    // Not asked again: the refreshes end after the window.
    run(T0 + 30.05, T0 + 40);
    vconf_set_str("memory/refrigerator/LoadStatus", "stale");
    run(T0 + 40.05, T0 + 43);
    EXPECT_EQ(get_str("memory/refrigerator/LoadStatus"), "stale");

    // Asked again: refreshed at once and for the next half minute.
    micom_sim_command("REQ_STATUS_LOAD_STATUS", T0 + 43.02);
    EXPECT_NE(get_str("memory/refrigerator/LoadStatus"), "stale");
    vconf_set_str("memory/refrigerator/LoadStatus", "stale");
    run(T0 + 43.05, T0 + 70);
    EXPECT_NE(get_str("memory/refrigerator/LoadStatus"), "stale");
}

/* --- self diagnosis and history --- */

TEST_F(MicomSimTest, SelfTestFindsTheErrorsOneByOneAndRecordsThem)
{
    micom_config config;
    config.errors = {"22", "35"};
    config.errors_given = true;
    start(config);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "22 35 E");

    // The app asks once a second; the list starts over and grows.
    std::vector<std::string> lists;
    for (int s = 0; s <= 8; ++s) {
        send("REQ_STATUS_WORK_SELF_TEST", T0 + s);
        run(T0 + s + 0.05, T0 + s + 0.95);
        lists.push_back(*get_str("memory/refrigerator/ErrorList"));
    }
    EXPECT_EQ(lists[0], "E");
    EXPECT_EQ(lists[1], "E");
    EXPECT_EQ(lists[3], "22 E");
    EXPECT_EQ(lists[5], "22 35 E");
    EXPECT_EQ(lists[8], "22 35 E");
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "22 35 E");

    // A finished run, and then the screen clears the history: it stays
    // empty while nothing new is tested.
    EXPECT_EQ(send("REQ_STATUS_STOP_SELF_TEST", T0 + 9), 1);
    vconf_set_str("db/refrigerator/ErrorHistory", "");
    run(T0 + 9, T0 + 30);
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "");
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "22 35 E");

    // A new self test finds the errors again.
    for (int s = 30; s <= 34; ++s)
        send("REQ_STATUS_WORK_SELF_TEST", T0 + s);
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "22 E");
}

TEST_F(MicomSimTest, StopCommandEndsTheSelfTestAtOnce)
{
    micom_config config;
    config.errors = {"22", "35", "40"};
    config.errors_given = true;
    start(config);
    send("REQ_STATUS_WORK_SELF_TEST", T0);
    send("REQ_STATUS_WORK_SELF_TEST", T0 + 1);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "E");
    send("REQ_STATUS_STOP_SELF_TEST", T0 + 1.5);
    // Back to reporting the current errors; nothing more is found.
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "22 35 40 E");
    run(T0 + 1.5, T0 + 20);
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "E");
}

TEST_F(MicomSimTest, SelfTestEndsWhenNoLongerRequested)
{
    micom_config config;
    config.errors = {"7"};
    config.errors_given = true;
    start(config);
    send("REQ_STATUS_WORK_SELF_TEST", T0);
    run(T0, T0 + 2.9);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "E");
    run(T0 + 2.95, T0 + 4.9);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "7 E");
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "7 E");
    // Not asked for 5 s: the run is over and nothing writes the list ...
    run(T0 + 4.95, T0 + 6);
    vconf_set_str("memory/refrigerator/ErrorList", "X");
    run(T0 + 6.05, T0 + 12);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "X");
    // ... and the next request starts a new run from an empty list.
    send("REQ_STATUS_WORK_SELF_TEST", T0 + 12);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "E");
}

TEST_F(MicomSimTest, LinkDownReportsFortyOneThroughoutTheSelfTest)
{
    micom_config config;
    config.link_down = true;
    config.errors = {"22"};
    config.errors_given = true;
    start(config);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "41");
    for (int s = 0; s <= 10; ++s) {
        send("REQ_STATUS_WORK_SELF_TEST", T0 + s);
        EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "41");
    }
    send("REQ_STATUS_STOP_SELF_TEST", T0 + 11);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "41");
    EXPECT_EQ(get_str("db/refrigerator/ErrorHistory"), "E");
}

TEST_F(MicomSimTest, StoredLinkDownListIsAdopted)
{
    vconf_set_str("memory/refrigerator/ErrorList", "41");
    start();
    send("REQ_STATUS_WORK_SELF_TEST", T0);
    run(T0, T0 + 8);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "41");
}

/* --- control options --- */

TEST_F(MicomSimTest, OptionRequestWritesTheMicomBytes)
{
    start();
    std::array<int, 13> bytes{};
    for (int k = 0; k < 13; ++k) {
        bytes[k] = *get_int(option_key(k).c_str());
        vconf_set_int(option_key(k).c_str(), 999);
    }
    EXPECT_EQ(send("REQ_STATUS_OPTION_DATA", T0), 1);
    for (int k = 0; k < 13; ++k)
        EXPECT_EQ(get_int(option_key(k).c_str()), bytes[k]) << option_key(k);
}

TEST_F(MicomSimTest, SetOptionTakesTheKeyBackIntoItsByte)
{
    start();
    std::array<int, 13> bytes{};
    for (int k = 0; k < 13; ++k)
        bytes[k] = *get_int(option_key(k).c_str());

    // The save series: empty text, keys written, then the 13 commands.
    EXPECT_EQ(send("", T0), 0);
    vconf_set_int("db/refrigerator/RefOption05", 0x80);
    vconf_set_int("db/refrigerator/RefOption13", 300);
    for (int n = 1; n <= 13; ++n) {
        char command[20];
        std::snprintf(command, sizeof command, "SET_OPTION_%02d", n);
        EXPECT_EQ(send(command, T0 + 0.1 * n), 1) << command;
    }
    bytes[4] = 0x80;
    bytes[12] = 300 & 0xFF;
    for (int k = 0; k < 13; ++k)
        vconf_set_int(option_key(k).c_str(), 0);
    send("REQ_STATUS_OPTION_DATA", T0 + 2);
    for (int k = 0; k < 13; ++k)
        EXPECT_EQ(get_int(option_key(k).c_str()), bytes[k]) << option_key(k);

    // Malformed numbers change nothing.
    vconf_set_int("db/refrigerator/RefOption01", 0x55);
    EXPECT_EQ(send("SET_OPTION_00", T0 + 3), -1);
    EXPECT_EQ(send("SET_OPTION_14", T0 + 3), -1);
    EXPECT_EQ(send("SET_OPTION_1", T0 + 3), -1);
    EXPECT_EQ(send("SET_OPTION_1x", T0 + 3), -1);
    send("REQ_STATUS_OPTION_DATA", T0 + 4);
    EXPECT_EQ(get_int("db/refrigerator/RefOption01"), bytes[0]);
}

/* The micom's option bytes, read through each option's bit field as the
 * database describes it, give a named (not reserved) choice. */
TEST_F(MicomSimTest, StartOptionValuesAreChoicesOfTheDatabase)
{
    start();
    const auto options = query(
        "SELECT MAIN_NUMBER, COMM_DATA, COMM_BIT_SHIFT, COMM_BIT_LENGTH FROM controloption "
        "WHERE SUB_NUMBER = 0 ORDER BY MAIN_NUMBER");
    ASSERT_EQ(options.size(), 37u);
    for (const auto &o : options) {
        const int byte = *get_int(option_key(std::stoi(o[1]) - 1).c_str());
        const int value = (byte >> std::stoi(o[2])) & ((1 << std::stoi(o[3])) - 1);
        const std::string sql = "SELECT DESCRIPTION_EN_US FROM controloption WHERE MAIN_NUMBER = " +
                                o[0] + " AND SUB_NUMBER = " + std::to_string(value);
        const auto rows = query(sql.c_str());
        ASSERT_EQ(rows.size(), 1u) << "option " << o[0] << " value " << value;
        EXPECT_NE(rows[0][0], "Reserved") << "option " << o[0] << " value " << value;
    }
}

/* --- force run --- */

TEST_F(MicomSimTest, ForceRunCommandsSetTheStatus)
{
    start();
    const std::vector<std::pair<const char *, int>> runs = {
        {"SET_KEY_FORCE_TEST_RUN1", 1},     {"SET_KEY_FORCE_TEST_RUN2", 2},
        {"SET_KEY_FORCE_TEST_RUN3", 3},     {"SET_KEY_FORCE_TEST_RUN4", 4},
        {"SET_KEY_FORCE_TEST_RDEF", 16},    {"SET_KEY_FORCE_TEST_FDEF", 17},
        {"SET_KEY_FORCE_TEST_FCVDEF", 18},  {"SET_KEY_FORCE_TEST_LONGDEF", 32},
        {"SET_KEY_FORCE_TEST_CANCEL", 15},
    };
    double t = T0;
    for (const auto &[command, status] : runs) {
        EXPECT_EQ(send(command, t), 1) << command;
        run(t, t + 1);
        EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), status) << command;
        t += 2;
    }
    EXPECT_EQ(send("SET_KEY_FORCE_TEST_RUN5", t), -1);
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 15);
}

TEST_F(MicomSimTest, RollbackOverwritesARunButNotACancel)
{
    micom_config config;
    config.rollback = true;
    start(config);
    send("SET_KEY_FORCE_TEST_RUN4", T0);
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 4);
    micom_sim_tick(T0 + 0.05);
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 4);
    micom_sim_tick(T0 + 0.12);
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 0);
    // The application's check restores the run; the service leaves it.
    vconf_set_int("memory/refrigerator/ForceRunStatus", 4);
    run(T0 + 0.15, T0 + 3);
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 4);

    send("SET_KEY_FORCE_TEST_CANCEL", T0 + 4);
    run(T0 + 4, T0 + 5);
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 15);

    // A second command before the rollback replaces the pending one.
    send("SET_KEY_FORCE_TEST_RDEF", T0 + 6);
    send("SET_KEY_FORCE_TEST_CANCEL", T0 + 6.05);
    run(T0 + 6.1, T0 + 7);
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 15);
}

/* --- energy --- */

TEST_F(MicomSimTest, EnergyIsReportedEveryPeriodEvenWhenUnchanged)
{
    micom_config config;
    config.energy_period = 10.0;
    start(config);
    run(T0, T0 + 9.9);
    EXPECT_FALSE(get_int("memory/refrigerator/SmartGridWatt4").has_value());
    for (int period = 1; period <= 4; ++period) {
        for (int i = 1; i <= 4; ++i)
            vconf_unset(("memory/refrigerator/SmartGridWatt" + std::to_string(i)).c_str());
        run(T0 + 10 * period - 9.95, T0 + 10 * period + 0.01);
        std::array<int, 4> w{};
        for (int i = 0; i < 4; ++i) {
            const std::string key = "memory/refrigerator/SmartGridWatt" + std::to_string(i + 1);
            auto value = get_int(key.c_str());
            ASSERT_TRUE(value.has_value()) << key << " in period " << period;
            EXPECT_GE(*value, 0);
            EXPECT_LE(*value, 255);
            w[i] = *value;
        }
        // Ten seconds of a refrigerator, in hundredths of a Wh: more than
        // its control board alone (6 W), less than everything on (800 W).
        const long energy = (long(w[0]) << 24) | (w[1] << 16) | (w[2] << 8) | w[3];
        EXPECT_GE(energy, 6 * 10 * 100 / 3600);
        EXPECT_LE(energy, 800 * 10 * 100 / 3600);
    }
}

/* SmartGridWatt4 is the key the application listens to: its notification
 * must come after the other three keys were written. */
TEST_F(MicomSimTest, FourthWattKeyIsWrittenLast)
{
    ecore_app_no_system_modules();
    ASSERT_TRUE(ecore_init());
    static std::vector<std::string> order;
    order.clear();
    auto record = [](keynode_t *node, void *) { order.emplace_back(vconf_keynode_get_name(node)); };
    const std::array<const char *, 4> keys = {
        "memory/refrigerator/SmartGridWatt1", "memory/refrigerator/SmartGridWatt2",
        "memory/refrigerator/SmartGridWatt3", "memory/refrigerator/SmartGridWatt4"};
    micom_config config;
    config.energy_period = 1.0;
    start(config);
    for (const char *key : keys)
        ASSERT_EQ(vconf_notify_key_changed(key, record, nullptr), VCONF_OK);
    micom_sim_tick(T0 + 1.0);
    micom_sim_tick(T0 + 2.0);

    Ecore_Timer *quit = ecore_timer_add(
        0.5, [](void *) -> Eina_Bool {
            ecore_main_loop_quit();
            return ECORE_CALLBACK_CANCEL;
        },
        nullptr);
    ecore_main_loop_begin();
    (void)quit;
    for (const char *key : keys)
        vconf_ignore_key_changed(key, record);
    ecore_shutdown();

    ASSERT_EQ(order.size(), 8u);
    for (int report = 0; report < 2; ++report)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(order[report * 4 + i], keys[i]) << "report " << report;
}

/* --- silent service and odd input --- */

TEST_F(MicomSimTest, SilentServiceAnswersNothing)
{
    micom_config config;
    config.silent = true;
    config.energy_period = 1.0;
    start(config);
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), std::string(MICOM_DEMO_MODEL));
    for (const char *command :
         {"REQ_STATUS_REQUEST_VERSION", "REQ_STATUS_REQUEST_MODELOPTION", "REQ_STATUS_LOAD_STATUS",
          "REQ_STATUS_WORK_SELF_TEST", "SET_KEY_FORCE_TEST_RUN1", "REQ_STATUS_OPTION_DATA"})
        EXPECT_EQ(micom_sim_command(command, T0 + 1), 0) << command;
    vconf_set_int("db/refrigerator/RefOption01", 999);
    run(T0, T0 + 20);
    EXPECT_FALSE(get_int("db/refrigerator/MicomInfoVersion").has_value());
    EXPECT_FALSE(get_int("db/refrigerator/ModelDiodeOption").has_value());
    EXPECT_FALSE(get_str("memory/refrigerator/LoadStatus").has_value());
    EXPECT_FALSE(get_int("memory/refrigerator/SmartGridWatt4").has_value());
    EXPECT_EQ(get_int("memory/refrigerator/ForceRunStatus"), 0);
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "E");
    EXPECT_EQ(get_int("db/refrigerator/RefOption01"), 999);
}

TEST_F(MicomSimTest, BlankAndUnknownCommandsChangeNothing)
{
    start();
    EXPECT_EQ(micom_sim_command("", T0), 0);
    EXPECT_EQ(micom_sim_command(" ", T0), 0);
    EXPECT_EQ(micom_sim_command(nullptr, T0), 0);
    EXPECT_EQ(micom_sim_command("REQ_STATUS_LOAD_STATUS ", T0), -1);
    EXPECT_EQ(micom_sim_command("req_status_load_status", T0), -1);
    EXPECT_EQ(micom_sim_command(std::string(5000, 'X').c_str(), T0), -1);
    EXPECT_FALSE(get_str("memory/refrigerator/LoadStatus").has_value());
}

/* --- command line --- */

class MicomArgsTest : public ::testing::Test {
protected:
    int parse(std::vector<std::string> args)
    {
        args.insert(args.begin(), "micom-service");
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        return micom_args_parse(static_cast<int>(argv.size()), argv.data(), &config, &message);
    }
    micom_config config;
    std::string message;
};

TEST_F(MicomArgsTest, ConditionsAreParsed)
{
    ASSERT_EQ(parse({"--errors", "22  35", "--history=22 E", "--model", "RF-X", "--rollback",
                     "--energy-period", "2.5", "--reset"}),
              0)
        << message;
    EXPECT_EQ(config.errors, (std::vector<std::string>{"22", "35"}));
    EXPECT_TRUE(config.errors_given);
    EXPECT_EQ(config.history, "22 E");
    EXPECT_TRUE(config.history_given);
    EXPECT_EQ(config.model, "RF-X");
    EXPECT_TRUE(config.model_given);
    EXPECT_TRUE(config.rollback);
    EXPECT_TRUE(config.reset);
    EXPECT_DOUBLE_EQ(config.energy_period, 2.5);
    EXPECT_FALSE(config.silent);
    EXPECT_FALSE(config.link_down);

    ASSERT_EQ(parse({"--link-down", "--silent", "--errors="}), 0);
    EXPECT_TRUE(config.link_down);
    EXPECT_TRUE(config.silent);
    EXPECT_TRUE(config.errors_given);
    EXPECT_TRUE(config.errors.empty());
    EXPECT_EQ(config.model, MICOM_DEMO_MODEL);
    EXPECT_FALSE(config.model_given);
}

TEST_F(MicomArgsTest, BadArgumentsAreRefusedWithAReason)
{
    for (const auto &args : std::vector<std::vector<std::string>>{
             {"--errors", "22 E"},
             {"--errors", "1234"},
             {"--errors"},
             {"--model", "a/b"},
             {"--model", ""},
             {"--model", ".."},
             {"--energy-period", "0"},
             {"--energy-period", "5s"},
             {"--silent=1"},
             {"--whatever"},
         }) {
        message.clear();
        EXPECT_EQ(parse(args), -1) << args[0];
        EXPECT_FALSE(message.empty()) << args[0];
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
    EXPECT_EQ(parse({"--help"}), 1);
    EXPECT_NE(message.find("--link-down"), std::string::npos);
}

}  // namespace
