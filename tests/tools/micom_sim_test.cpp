/*
 * The simulated micom service in-process on a virtual clock: start-up keys,
 * the answer of each command family with its timing, the command line.
 */
#include "micom_args.h"
#include "micom_sim.h"
#include "option_layout.h"
#include "tools_test_support.h"

#include <Ecore.h>

#include <array>
#include <set>
#include <string_view>

// Members left out of the designated initializers keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr double T0 = 1000.0;
const std::string ERROR_LIST = "memory/refrigerator/ErrorList", HISTORY = "db/refrigerator/ErrorHistory",
                  FORCE_RUN = "memory/refrigerator/ForceRunStatus", LOADS = "memory/refrigerator/LoadStatus";

class MicomSim : public ::testing::Test {
protected:
    void start(const micom_config &config = {}) { micom_sim_start(config, T0); }

    /* Sends the command at time t and runs the tick a caller would run. */
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

    test_support::PlatformDir dir;
};

TEST_F(MicomSim, StartUpKeysAreWrittenOnlyWhenUnset)
{
    vconf_set_str(ERROR_LIST.c_str(), "22 E");
    vconf_set_int("db/refrigerator/RefOption05", 77);
    vconf_set_str("db/menu_widget/language", "ko_KR.UTF-8");
    start();
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), std::string(MICOM_DEMO_MODEL));
    EXPECT_EQ(get_str(HISTORY), "E");
    EXPECT_EQ(get_int(FORCE_RUN), 0);
    EXPECT_EQ(get_int("memory/refrigerator/EngineerDeveloperMode"), 0);
    EXPECT_TRUE(get_int("db/refrigerator/ModelSupportedIceMaker"));
    for (int k = 0; k < 13; ++k)
        EXPECT_TRUE(get_int(option_byte_key(k))) << option_byte_key(k);
    EXPECT_EQ(get_str(ERROR_LIST), "22 E");
    EXPECT_EQ(get_str("db/menu_widget/language"), "ko_KR.UTF-8");
    // The micom adopts the stored option byte and error list.
    vconf_set_int("db/refrigerator/RefOption05", 0);
    send("REQ_STATUS_OPTION_DATA", T0);
    EXPECT_EQ(get_int("db/refrigerator/RefOption05"), 77);
    for (int s = 1; s <= 4; ++s)
        send("REQ_STATUS_WORK_SELF_TEST", T0 + s);
    EXPECT_EQ(get_str(HISTORY), "22 E");

    // Conditions given are written over stored values; --reset writes all again.
    start({.model = "RF-TEST-02", .model_given = true, .history = "12 40 E", .history_given = true});
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), "RF-TEST-02");
    EXPECT_EQ(get_str(HISTORY), "12 40 E");
    start({.reset = true});
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), std::string(MICOM_DEMO_MODEL));
    EXPECT_EQ(get_str(ERROR_LIST), "E");
    EXPECT_EQ(get_str("db/menu_widget/language"), "en_US.UTF-8");
}

TEST_F(MicomSim, VersionAndModelOptionRequestsAreAnswered)
{
    start();
    vconf_unset("db/refrigerator/MicomInfoVersion");
    EXPECT_EQ(send("REQ_STATUS_REQUEST_VERSION", T0), 1);
    EXPECT_GT(get_int("db/refrigerator/MicomInfoVersion").value_or(0), 0xFF) << "shown with 3 hex digits";
    for (const char *key : {"db/refrigerator/MicomInfoYear", "db/refrigerator/MicomInfoProject"})
        EXPECT_GT(get_int(key).value_or(0), 0) << key;
    EXPECT_GE(get_int("db/refrigerator/MicomUsedMonth").value_or(-1), 0);

    EXPECT_FALSE(get_int("db/refrigerator/ModelDiodeOption"));
    EXPECT_EQ(send("REQ_STATUS_REQUEST_MODELOPTION", T0 + 1), 1);
    const int diodes = get_int("db/refrigerator/ModelDiodeOption").value_or(0);
    EXPECT_GT(diodes, 0);
    EXPECT_LE(diodes, 0xFF);
}

TEST_F(MicomSim, LoadStatusNamesDatabaseLoadsAndChangesEverySecond)
{
    std::set<std::string> ids;
    for (const auto &row : query("SELECT ID FROM loadstatus WHERE USE_ENGINEER_MODE <> 0"))
        ids.insert(row[0]);
    start();
    EXPECT_EQ(micom_sim_command(" ", T0), 0);
    EXPECT_EQ(micom_sim_command("REQ_STATUS_LOAD_STATUS ", T0), -1);
    ASSERT_FALSE(get_str(LOADS));

    EXPECT_EQ(micom_sim_command("REQ_STATUS_LOAD_STATUS", T0), 1);
    std::set<std::string> values, seen_ids;
    for (int second = 1; second <= 30; ++second) {
        vconf_set_str(LOADS.c_str(), "stale");
        run(T0 + second - 0.95, T0 + second + 0.01);
        const std::string value = get_str(LOADS).value_or("stale");
        ASSERT_NE(value, "stale") << "not refreshed at second " << second;
        values.insert(value);
        // Cut as the application cuts it: at every run of '<', 'b', 'r', '>'.
        std::string piece;
        for (char c : value + "<") {
            if (std::string_view("<br>").find(c) == std::string_view::npos) {
                piece += c;
            } else if (!piece.empty()) {
                EXPECT_TRUE(ids.count(piece)) << piece << " in " << value;
                seen_ids.insert(piece);
                piece.clear();
            }
        }
    }
    EXPECT_GE(values.size(), 3u) << "loads hardly change";
    EXPECT_GE(seen_ids.size(), 4u);
}

TEST_F(MicomSim, SelfTestFindsErrorsOneByOneAndRecordsThemInTheHistory)
{
    vconf_set_str(HISTORY.c_str(), "35 E");
    start({.errors = {"22", "35", "40"}, .errors_given = true});
    EXPECT_EQ(get_str(ERROR_LIST), "22 35 40 E");
    // Asked once a second, the list starts over and grows: the first error
    // after 3 s, then one every 2 s, each into the history.
    std::vector<std::string> lists;
    for (int s = 0; s <= 5; ++s) {
        send("REQ_STATUS_WORK_SELF_TEST", T0 + s);
        lists.push_back(get_str(ERROR_LIST).value_or(""));
    }
    EXPECT_EQ(lists, (std::vector<std::string>{"E", "E", "E", "22 E", "22 E", "22 35 E"}));
    EXPECT_EQ(get_str(HISTORY), "35 22 E") << "a code is added once, after the kept ones";
    // Stopped: the current errors at once; a cleared history stays empty.
    EXPECT_EQ(send("REQ_STATUS_STOP_SELF_TEST", T0 + 5.5), 1);
    EXPECT_EQ(get_str(ERROR_LIST), "22 35 40 E");
    vconf_set_str(HISTORY.c_str(), "");
    run(T0 + 5.5, T0 + 20);
    EXPECT_EQ(get_str(HISTORY), "");
    // Not asked for 5 s: the run ends before the third error is found.
    send("REQ_STATUS_WORK_SELF_TEST", T0 + 20);
    send("REQ_STATUS_WORK_SELF_TEST", T0 + 21);
    EXPECT_EQ(get_str(ERROR_LIST), "E");
    run(T0 + 21, T0 + 30);
    EXPECT_EQ(get_str(ERROR_LIST), "22 35 40 E");
    EXPECT_EQ(get_str(HISTORY), "22 35 E");

    // Link down: "41" throughout and nothing recorded.
    start({.errors = {"22"}, .errors_given = true, .link_down = true});
    for (int s = 0; s <= 8; ++s) {
        send("REQ_STATUS_WORK_SELF_TEST", T0 + s);
        EXPECT_EQ(get_str(ERROR_LIST), "41") << s;
    }
    send("REQ_STATUS_STOP_SELF_TEST", T0 + 9);
    EXPECT_EQ(get_str(ERROR_LIST), "41");
    EXPECT_EQ(get_str(HISTORY), "22 35 E");
}

TEST_F(MicomSim, OptionRequestWritesTheMicomBytesAndSetOptionTakesThemBack)
{
    start();
    std::array<int, 13> bytes{};
    for (int k = 0; k < 13; ++k)
        bytes[k] = get_int(option_byte_key(k)).value_or(-1);
    vconf_set_int("db/refrigerator/RefOption05", 0x80);
    vconf_set_int("db/refrigerator/RefOption13", 300);
    bytes[4] = 0x80;
    bytes[12] = 300 & 0xFF;
    for (int n = 1; n <= 13; ++n) {
        char command[20];
        std::snprintf(command, sizeof command, "SET_OPTION_%02d", n);
        EXPECT_EQ(send(command, T0), 1) << command;
    }
    // Malformed numbers change nothing.
    vconf_set_int("db/refrigerator/RefOption01", 0x55);
    for (const char *bad : {"SET_OPTION_00", "SET_OPTION_14", "SET_OPTION_1", "SET_OPTION_1x"})
        EXPECT_EQ(send(bad, T0 + 1), -1) << bad;
    for (int k = 0; k < 13; ++k)
        vconf_set_int(option_byte_key(k).c_str(), 999);
    EXPECT_EQ(send("REQ_STATUS_OPTION_DATA", T0 + 2), 1);
    for (int k = 0; k < 13; ++k)
        EXPECT_EQ(get_int(option_byte_key(k)), bytes[k]) << option_byte_key(k);
}

TEST_F(MicomSim, ForceRunCommandsSetTheStatusAndRollbackOverwritesOnlyARun)
{
    start();
    const std::pair<const char *, int> runs[] = {
        {"SET_KEY_FORCE_TEST_RUN1", 1},    {"SET_KEY_FORCE_TEST_RUN2", 2},
        {"SET_KEY_FORCE_TEST_RUN3", 3},    {"SET_KEY_FORCE_TEST_RUN4", 4},
        {"SET_KEY_FORCE_TEST_RDEF", 16},   {"SET_KEY_FORCE_TEST_FDEF", 17},
        {"SET_KEY_FORCE_TEST_FCVDEF", 18}, {"SET_KEY_FORCE_TEST_LONGDEF", 32},
        {"SET_KEY_FORCE_TEST_CANCEL", 15},
    };
    double t = T0;
    for (const auto &[command, status] : runs) {
        EXPECT_EQ(send(command, t), 1) << command;
        run(t, t + 1);
        EXPECT_EQ(get_int(FORCE_RUN), status) << command;
        t += 2;
    }
    EXPECT_EQ(send("SET_KEY_FORCE_TEST_RUN5", t), -1);
    EXPECT_EQ(get_int(FORCE_RUN), 15);

    start({.rollback = true});
    send("SET_KEY_FORCE_TEST_RUN4", T0);
    micom_sim_tick(T0 + 0.05);
    EXPECT_EQ(get_int(FORCE_RUN), 4);
    micom_sim_tick(T0 + 0.12);
    EXPECT_EQ(get_int(FORCE_RUN), 0);
    // The application's check restores the run; the service leaves it.
    vconf_set_int(FORCE_RUN.c_str(), 4);
    run(T0 + 0.15, T0 + 3);
    EXPECT_EQ(get_int(FORCE_RUN), 4);
    // A cancel before the rollback replaces the pending one and stays.
    send("SET_KEY_FORCE_TEST_RDEF", T0 + 4);
    send("SET_KEY_FORCE_TEST_CANCEL", T0 + 4.05);
    run(T0 + 4.1, T0 + 5);
    EXPECT_EQ(get_int(FORCE_RUN), 15);
}

/* The application listens to SmartGridWatt4: it comes last every period. */
TEST_F(MicomSim, EnergyReportsArePlausibleAndWriteTheFourthKeyLast)
{
    ecore_app_no_system_modules();
    ASSERT_TRUE(ecore_init());
    static std::vector<std::string> order;
    auto record = [](keynode_t *node, void *) { order.emplace_back(vconf_keynode_get_name(node)); };
    std::array<std::string, 4> keys;
    start({.energy_period = 10.0});
    for (int i = 0; i < 4; ++i) {
        keys[i] = "memory/refrigerator/SmartGridWatt" + std::to_string(i + 1);
        ASSERT_EQ(vconf_notify_key_changed(keys[i].c_str(), record, nullptr), VCONF_OK);
    }
    for (int period = 1; period <= 3; ++period) {
        run(T0 + 10 * period - 9.95, T0 + 10 * period + 0.01);
        // Ten seconds in hundredths of a Wh: between 6 W and 800 W.
        long energy = 0;
        for (const std::string &key : keys)
            energy = energy * 256 + get_int(key).value_or(-1000000);
        EXPECT_GE(energy, 6 * 10 * 100 / 3600) << "period " << period;
        EXPECT_LE(energy, 800 * 10 * 100 / 3600) << "period " << period;
    }
    test_support::spin_until(0.5, [] { return order.size() >= 12; });
    for (const std::string &key : keys)
        vconf_ignore_key_changed(key.c_str(), record);
    ecore_shutdown();
    ASSERT_EQ(order.size(), 12u);
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i], keys[i % 4]) << "notification " << i;
}

TEST_F(MicomSim, SilentServiceAnswersNothing)
{
    start({.silent = true, .energy_period = 1.0});
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), std::string(MICOM_DEMO_MODEL));
    for (const char *command : {"REQ_STATUS_REQUEST_VERSION", "REQ_STATUS_REQUEST_MODELOPTION",
                                "REQ_STATUS_LOAD_STATUS", "REQ_STATUS_WORK_SELF_TEST",
                                "SET_KEY_FORCE_TEST_RUN1", "REQ_STATUS_OPTION_DATA"})
        EXPECT_EQ(micom_sim_command(command, T0 + 1), 0) << command;
    vconf_set_int("db/refrigerator/RefOption01", 999);
    run(T0, T0 + 20);
    for (const char *key : {"db/refrigerator/MicomInfoVersion", "db/refrigerator/ModelDiodeOption",
                            "memory/refrigerator/SmartGridWatt4"})
        EXPECT_FALSE(get_int(key)) << key;
    EXPECT_FALSE(get_str(LOADS));
    EXPECT_EQ(get_int(FORCE_RUN), 0);
    EXPECT_EQ(get_str(ERROR_LIST), "E");
    EXPECT_EQ(get_int("db/refrigerator/RefOption01"), 999);
}

TEST(MicomArgs, ConditionsAreParsedAndBadOnesRefusedWithAReason)
{
    micom_config config;
    std::string message;
    auto parse = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "micom-service");
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        message.clear();
        return micom_args_parse(int(argv.size()), argv.data(), &config, &message);
    };
    ASSERT_EQ(parse({"--errors", "22  35", "--history=22 E", "--rollback", "--energy-period", "2.5", "--model",
                     "RF-TEST-02"}),
              0)
        << message;
    EXPECT_EQ(config.errors, (std::vector<std::string>{"22", "35"}));
    EXPECT_EQ(config.history, "22 E");
    EXPECT_EQ(config.model, "RF-TEST-02");
    EXPECT_TRUE(config.errors_given && config.history_given && config.model_given && config.rollback &&
                !config.silent);
    EXPECT_DOUBLE_EQ(config.energy_period, 2.5);
    // Refused with a reason on one line (model names the application refuses).
    for (const char *bad : {"--errors=22 E", "--errors=1234", "--errors", "--model=a/b", "--model=..",
                            "--model=.x", "--model=a b", "--errors=2\n2", "--model=\n",
                            "--energy-period=0", "--energy-period=5s", "--silent=1", "--whatever"}) {
        EXPECT_EQ(parse({bad}), -1) << bad;
        EXPECT_FALSE(message.empty() || message.find('\n') != std::string::npos) << bad << ": " << message;
    }
    // A code beginning with 41 would read as a broken link: --link-down says that.
    for (const char *link : {"--errors=41", "--errors=22 410", "--errors=419 E"}) {
        EXPECT_EQ(parse({link}), -1) << link;
        EXPECT_NE(message.find("--link-down"), std::string::npos) << link << ": " << message;
    }
    EXPECT_EQ(parse({"--errors=4 40 42 141 0410"}), -1);  // 0410 has four digits
    EXPECT_EQ(parse({"--errors=4 40 42 141 041"}), 0) << message;
}

}  // namespace
