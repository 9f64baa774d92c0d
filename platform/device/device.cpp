/*
 * Device library (desktop stand-in); see device.h for the keys it keeps
 * its state in.
 *
 * No state in memory: every call reads the key store, so that a value set
 * by another process (panel-keys, a test) counts at the next call, and
 * every function may run on any thread (the key store's getters and
 * setters may). The simulated power reading is a pure function of the
 * brightness and the clock.
 * Reads and writes the keys under db/device/ and memory/device/; appends to
 * PLATFORM_DIR/run/device/brightness.history. Logs failures with tag
 * "DEVICE".
 */
#include <device.h>
#include <dlog.h>
#include <vconf.h>
#include <vconf_store.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char *TAG = "DEVICE";

constexpr const char *KEY_MAX_BRIGHTNESS = "db/device/display0/max_brightness";
constexpr const char *KEY_BRIGHTNESS = "memory/device/display0/brightness";
constexpr const char *KEY_MICOM_VERSION = "db/device/micom_version";
constexpr const char *KEY_LCD_POWER = "memory/device/lcd_power";
constexpr const char *KEY_FAIL_PREFIX = "memory/device/fail/";

constexpr int DEFAULT_MAX_BRIGHTNESS = 100;

/* Simulated panel, in hundredths of a watt: the electronics draw 4.50 W,
 * the backlight up to 11.00 W in proportion to the brightness, and the
 * draw ripples by up to 0.85 W. */
constexpr double ELECTRONICS_POWER = 450.0;
constexpr double BACKLIGHT_POWER = 1100.0;

/* An int key: nullopt when it is absent (silently), cannot be read (a
 * damaged file: logged with the store's reason) or is not an int (logged). */
std::optional<int> int_key(const char *key)
{
    char *why = nullptr;
    int type = vconf_store_check(key, &why);
    if (type == VCONF_ERROR) {
        dlog_print(DLOG_ERROR, TAG, "%s cannot be read (%s): ignored", key, why ? why : "?");
        free(why);
        return std::nullopt;
    }
    if (type == VCONF_TYPE_NONE)
        return std::nullopt;
    int value = 0;
    if (type != VCONF_TYPE_INT || vconf_get_int(key, &value) != VCONF_OK) {
        dlog_print(DLOG_ERROR, TAG, "%s is not an int key: ignored", key);
        return std::nullopt;
    }
    return value;
}

/* The error a test or a person asked this function to fail with, or 0. */
int forced_failure(const char *function)
{
    std::string key = std::string(KEY_FAIL_PREFIX) + function;
    int code = int_key(key.c_str()).value_or(0);
    if (code != 0)
        dlog_print(DLOG_ERROR, TAG, "%s fails on request with %d", function, code);
    return code;
}

/* The maximum brightness, or nullopt (logged) when the key holds no
 * usable value. */
std::optional<int> max_brightness()
{
    /* Only a missing key means the default: a damaged one fails. */
    if (vconf_store_check(KEY_MAX_BRIGHTNESS, nullptr) == VCONF_TYPE_NONE)
        return DEFAULT_MAX_BRIGHTNESS;
    std::optional<int> max = int_key(KEY_MAX_BRIGHTNESS);
    if (max && *max <= 0) {
        dlog_print(DLOG_ERROR, TAG, "%s = %d is not a maximum", KEY_MAX_BRIGHTNESS, *max);
        return std::nullopt;
    }
    return max;
}

bool mkdir_p(const std::string &dir)
{
    for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        std::string part = dir.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

/* One line per accepted brightness, written with one append so that lines
 * of several threads or processes never mix. */
void append_history(int display, int value)
{
    std::string dir = std::string(vconf_store_dir()) + "/run/device";
    if (!mkdir_p(dir)) {
        dlog_print(DLOG_ERROR, TAG, "cannot create %s: %s", dir.c_str(), strerror(errno));
        return;
    }
    std::string path = dir + "/brightness.history";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        dlog_print(DLOG_ERROR, TAG, "cannot open %s: %s", path.c_str(), strerror(errno));
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    char line[64];
    int n = snprintf(line, sizeof line, "%lld.%03ld %d %d\n", (long long)now.tv_sec,
                     now.tv_nsec / 1000000, display, value);
    if (::write(fd, line, (size_t)n) != n)
        dlog_print(DLOG_ERROR, TAG, "cannot append to %s: %s", path.c_str(), strerror(errno));
    ::close(fd);
}

int simulated_power()
{
    int max = max_brightness().value_or(DEFAULT_MAX_BRIGHTNESS);
    int brightness = int_key(KEY_BRIGHTNESS).value_or(max);
    double share = brightness < 0 ? 0.0 : brightness > max ? 1.0 : (double)brightness / max;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    double t = (double)now.tv_sec + now.tv_nsec / 1e9;
    double ripple = 60.0 * std::sin(2 * M_PI * t / 13.0) + 25.0 * std::sin(2 * M_PI * t / 3.7);
    return (int)std::lround(ELECTRONICS_POWER + BACKLIGHT_POWER * share + ripple);
}

/* What a brightness call of display_index starts with: the display's
 * maximum into max, or the call's error. */
int display_maximum(const char *function, int display_index, int &max)
{
    if (display_index != 0)
        return DEVICE_ERROR_INVALID_PARAMETER;
    if (int code = forced_failure(function))
        return code;
    std::optional<int> value = max_brightness();
    if (!value)
        return DEVICE_ERROR_OPERATION_FAILED;
    max = *value;
    return DEVICE_ERROR_NONE;
}

}  // namespace

extern "C" int device_get_max_brightness(int display_index, int *max_brightness_out)
{
    if (!max_brightness_out)
        return DEVICE_ERROR_INVALID_PARAMETER;
    int max = 0;
    int ret = display_maximum(__func__, display_index, max);
    if (ret == DEVICE_ERROR_NONE)
        *max_brightness_out = max;
    return ret;
}

extern "C" int device_set_brightness(int display_index, int brightness)
{
    int max = 0;
    if (int ret = display_maximum(__func__, display_index, max); ret != DEVICE_ERROR_NONE)
        return ret;
    if (brightness < 0 || brightness > max) {
        dlog_print(DLOG_ERROR, TAG, "brightness %d outside 0..%d refused", brightness, max);
        return DEVICE_ERROR_INVALID_PARAMETER;
    }
    if (vconf_set_int(KEY_BRIGHTNESS, brightness) != VCONF_OK)
        return DEVICE_ERROR_OPERATION_FAILED;
    append_history(display_index, brightness);
    return DEVICE_ERROR_NONE;
}

extern "C" int device_get_micom_version(int *version)
{
    if (!version)
        return DEVICE_ERROR_INVALID_PARAMETER;
    if (int code = forced_failure(__func__))
        return code;
    std::optional<int> value = int_key(KEY_MICOM_VERSION);
    if (!value)
        return DEVICE_ERROR_NOT_SUPPORTED;
    *version = *value;
    return DEVICE_ERROR_NONE;
}

extern "C" int device_get_power_measurement_value(void)
{
    if (int code = forced_failure(__func__))
        return code;
    if (std::optional<int> fixed = int_key(KEY_LCD_POWER))
        return *fixed;
    return simulated_power();
}
