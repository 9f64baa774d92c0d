/*
 * The device library: brightness and its history, the micom version, power
 * readings (fixed, simulated, from several threads), failures on request.
 */
#include <device.h>
#include <dlog_capture.h>
#include <vconf.h>
#include <vconf_store.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

using test_support::PlatformDir;

namespace {

const char MAX_KEY[] = "db/device/display0/max_brightness";
const char POWER_KEY[] = "memory/device/lcd_power";

/* The values of the brightness history, oldest first. */
std::vector<int> history(const PlatformDir &dir)
{
    std::istringstream in(test_support::read_file(dir.path() + "/run/device/brightness.history"));
    std::vector<int> values;
    double when;
    int display, value;
    while (in >> when >> display >> value) {
        EXPECT_EQ(display, 0);
        EXPECT_GT(when, 1e9);
        values.push_back(value);
    }
    return values;
}

}  // namespace

TEST(Device, BrightnessStaysWithinTheMaximumAndIsRecorded)
{
    PlatformDir dir;
    int max = 0;
    ASSERT_EQ(device_get_max_brightness(0, &max), DEVICE_ERROR_NONE);
    EXPECT_EQ(max, 100);
    EXPECT_EQ(device_get_max_brightness(1, &max), DEVICE_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(device_get_max_brightness(0, nullptr), DEVICE_ERROR_INVALID_PARAMETER);

    for (int value : {100, 0, 33})
        ASSERT_EQ(device_set_brightness(0, value), DEVICE_ERROR_NONE);
    for (int bad : {101, -1})
        EXPECT_EQ(device_set_brightness(0, bad), DEVICE_ERROR_INVALID_PARAMETER) << bad;
    EXPECT_EQ(device_set_brightness(1, 5), DEVICE_ERROR_INVALID_PARAMETER);
    int brightness = -1;
    EXPECT_EQ(vconf_get_int("memory/device/display0/brightness", &brightness), VCONF_OK);
    EXPECT_EQ(brightness, 33);
    EXPECT_EQ(history(dir), (std::vector<int>{100, 0, 33}));

    // A person sets another panel's maximum; a bad one makes the calls fail.
    ASSERT_EQ(vconf_set_int(MAX_KEY, 7), VCONF_OK);
    ASSERT_EQ(device_get_max_brightness(0, &max), DEVICE_ERROR_NONE);
    EXPECT_EQ(max, 7);
    EXPECT_EQ(device_set_brightness(0, 8), DEVICE_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(device_set_brightness(0, 7), DEVICE_ERROR_NONE);
    // A damaged key file (a number too large for an int) is no default.
    const std::function<int()> bad_maximums[] = {
        [] { return vconf_set_int(MAX_KEY, 0); }, [] { return vconf_set_str(MAX_KEY, "bright"); },
        [&dir] {
            std::ofstream(dir.path() + "/db/device/display0/max_brightness.key") << "int\n"
                                                                               << std::string(200, '9');
            return VCONF_OK;
        }};
    for (const auto &set_bad : bad_maximums) {
        ASSERT_EQ(set_bad(), VCONF_OK);
        max = -1;
        EXPECT_EQ(device_get_max_brightness(0, &max), DEVICE_ERROR_OPERATION_FAILED);
        EXPECT_EQ(max, -1);
        EXPECT_EQ(device_set_brightness(0, 1), DEVICE_ERROR_OPERATION_FAILED);
    }
    EXPECT_EQ(history(dir), (std::vector<int>{100, 0, 33, 7}));
}

TEST(Device, MicomVersionAndFailuresOnRequest)
{
    PlatformDir dir;
    int version = -7;
    EXPECT_EQ(device_get_micom_version(&version), DEVICE_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(version, -7);
    ASSERT_EQ(vconf_set_int("db/device/micom_version", 12), VCONF_OK);
    ASSERT_EQ(device_get_micom_version(&version), DEVICE_ERROR_NONE);
    EXPECT_EQ(version, 12);

    // Each call fails with the code its key holds, and does nothing else.
    dlog_capture_start();
    ASSERT_EQ(vconf_set_int("memory/device/fail/device_get_micom_version", -5), VCONF_OK);
    ASSERT_EQ(vconf_set_int("memory/device/fail/device_get_max_brightness", -1), VCONF_OK);
    ASSERT_EQ(vconf_set_int("memory/device/fail/device_set_brightness", -2), VCONF_OK);
    ASSERT_EQ(vconf_set_int("memory/device/fail/device_get_power_measurement_value", -3), VCONF_OK);
    version = 0;
    int max = 0;
    EXPECT_EQ(device_get_micom_version(&version), -5);
    EXPECT_EQ(device_get_max_brightness(0, &max), -1);
    EXPECT_EQ(device_set_brightness(0, 50), -2);
    EXPECT_EQ(device_get_power_measurement_value(), -3);
    EXPECT_EQ(version, 0);
    EXPECT_EQ(max, 0);
    EXPECT_EQ(history(dir), std::vector<int>{});
    EXPECT_TRUE(dlog_capture_contains("E/DEVICE: device_set_brightness fails on request with -2"));

    // 0 lifts the failure.
    ASSERT_EQ(vconf_set_int("memory/device/fail/device_set_brightness", 0), VCONF_OK);
    EXPECT_EQ(device_set_brightness(0, 50), DEVICE_ERROR_NONE);
    dlog_capture_stop();
}

TEST(Device, PowerIsFixedOnRequestElseFollowsTheBrightnessAndVaries)
{
    PlatformDir dir;
    ASSERT_EQ(vconf_set_int(POWER_KEY, 1234), VCONF_OK);
    EXPECT_EQ(device_get_power_measurement_value(), 1234);
    ASSERT_EQ(vconf_unset(POWER_KEY), VCONF_OK);

    // Simulated: 4.5 W, up to 11 W of backlight, a ripple under 1 W.
    auto readings = [](int brightness) {
        EXPECT_EQ(device_set_brightness(0, brightness), DEVICE_ERROR_NONE);
        std::set<int> seen;
        for (int i = 0; i < 50; ++i) {
            seen.insert(device_get_power_measurement_value());
            usleep(10000);
        }
        return seen;
    };
    std::set<int> dark = readings(0), full = readings(100);
    EXPECT_GE(*dark.begin(), 350);
    EXPECT_LE(*dark.rbegin(), 550);
    EXPECT_GE(*full.begin(), 1450);
    EXPECT_LE(*full.rbegin(), 1650);
    EXPECT_GT(dark.size() + full.size(), 2u) << "the reading never varies";
}

// The energy screen samples on its own thread while the brightness changes.
TEST(Device, PowerCanBeReadFromSeveralThreads)
{
    PlatformDir dir;
    std::vector<std::thread> readers;
    std::atomic<int> bad{0};
    for (int t = 0; t < 3; ++t)
        readers.emplace_back([&bad] {
            for (int i = 0; i < 100; ++i)
                if (device_get_power_measurement_value() <= 0)
                    bad++;
        });
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(device_set_brightness(0, i), DEVICE_ERROR_NONE);
    for (std::thread &reader : readers)
        reader.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(history(dir).size(), 100u);
}
