/*
 * A micom-service session recorded by panel-keys and replayed twice as fast
 * into a fresh store: the keys arrive in order at their recorded times, halved,
 * and the recorded commands are not written again.
 */
#include <vconf.h>
#include <vconf_store.h>

#include <gtest/gtest.h>

#include "micom_channel.h"
#include "recording.h"
#include "test_support.h"

#include <csignal>

namespace {

struct Arrival {
    double at;
    std::string key, value;
};

void arrival_cb(keynode_t *node, void *user_data)
{
    const int type = vconf_keynode_get_type(node);
    std::string value = type == VCONF_TYPE_INT ? std::to_string(vconf_keynode_get_int(node))
                        : type == VCONF_TYPE_STRING ? vconf_keynode_get_str(node) : "";
    auto *arrivals = static_cast<std::vector<Arrival> *>(user_data);
    arrivals->push_back({test_support::now(), vconf_keynode_get_name(node), value});
}

void set_command(const char *command)
{
    auto r = test_support::run({PANEL_KEYS_PATH, "set", VCONFKEY_REFRIGERATOR_TX_MESSAGE, command});
    ASSERT_EQ(r.status, 0) << r.err;
}

}  // namespace

TEST(RecordReplay, AMicomSessionReplaysInOrderWithItsTiming)
{
    std::string file = "/tmp/micom-session-" + std::to_string(::getpid()) + ".rec";
    {
        test_support::PlatformDir field;
        test_support::Child micom({MICOM_SERVICE_PATH});
        ASSERT_TRUE(micom.wait_output("micom-service: ready", 30)) << micom.err();
        test_support::Child recorder({PANEL_KEYS_PATH, "record", file, "memory/refrigerator/", "db/refrigerator/"});
        for (double deadline = test_support::now() + 10; test_support::now() < deadline &&
             test_support::read_file(file).find("state memory/refrigerator/ModelName") == std::string::npos;)
            ::usleep(10000);
        set_command("REQ_STATUS_LOAD_STATUS");  // answered at once and every second
        ::usleep(2300 * 1000);
        set_command("REQ_STATUS_REQUEST_VERSION");
        ::usleep(500 * 1000);
        EXPECT_EQ(recorder.stop(SIGINT), 0) << recorder.err();
    }
    std::vector<recording::Change> recorded;
    std::string error;
    ASSERT_TRUE(recording::parse(test_support::read_file(file), recorded, error)) << error;

    // Recorded: the state, two commands, the load status at once and then on
    // the service's second, then the firmware identity.
    std::vector<const recording::Change *> expected;  // what replay writes after the state
    std::vector<double> load_times;
    size_t states = 0;
    int commands = 0;
    bool version_answered = false, model_state = false;
    for (const recording::Change &c : recorded) {
        if (c.key == VCONFKEY_REFRIGERATOR_TX_MESSAGE) {
            commands += !c.state;
        } else if (c.state) {
            ++states;
            model_state |= c.key == VCONFKEY_REFRIGERATOR_MODEL_NAME && c.value == "RF-DEMO-01";
        } else {
            version_answered |= commands == 2 && c.key == VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR;
            expected.push_back(&c);
            if (c.key == VCONFKEY_REFRIGERATOR_LOAD_STATUS)
                load_times.push_back(c.seconds);
        }
    }
    EXPECT_TRUE(model_state);
    EXPECT_EQ(commands, 2);
    ASSERT_GE(load_times.size(), 3u);
    EXPECT_NEAR(load_times[2] - load_times[1], 1.0, 0.3);
    EXPECT_TRUE(version_answered);

    test_support::PlatformDir desk;
    test_support::EcoreHeld ecore;
    std::vector<Arrival> arrivals;
    for (const char *prefix : {"memory/refrigerator/", "db/refrigerator/"})
        ASSERT_EQ(vconf_store_notify_prefix(prefix, arrival_cb, &arrivals), VCONF_OK);
    test_support::Child replay({PANEL_KEYS_PATH, "replay", file, "--speed", "2"});
    ASSERT_TRUE(test_support::spin_until(20, [&] { return arrivals.size() >= states + expected.size(); }))
        << arrivals.size() << " of " << states + expected.size();
    EXPECT_EQ(replay.stop(0), 0) << replay.err();
    test_support::spin_until(0.3, [] { return false; });
    ASSERT_EQ(arrivals.size(), states + expected.size());
    const double origin = arrivals[states].at - expected[0]->seconds / 2;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(recording::format(*expected[i]));
        EXPECT_EQ(arrivals[states + i].key, expected[i]->key);
        EXPECT_EQ(arrivals[states + i].value, expected[i]->value);
        EXPECT_NEAR(arrivals[states + i].at - origin, expected[i]->seconds / 2, 0.25);
    }
    EXPECT_EQ(vconf_store_type(VCONFKEY_REFRIGERATOR_TX_MESSAGE), VCONF_TYPE_NONE);
    for (const char *prefix : {"memory/refrigerator/", "db/refrigerator/"})
        vconf_store_ignore_prefix(prefix, arrival_cb);
    ::unlink(file.c_str());
}
