/*
 * LCD check of the refrigerator test view: the backlight check cycles the
 * brightness of display 0 through four levels once a second; the pixel
 * check is a placeholder. Both buttons are built hidden, so what shows is
 * that opening the test view sets the display to its maximum brightness.
 *
 * State: the cycle's run (running flag, step 0 to 4, the display's maximum
 * brightness, 100 until the device tells) and its one-second timer, made
 * frozen with each test view, thawed anew by a start and frozen by a stop;
 * a stop keeps the step, so the next start continues the cycle.
 * No keys, no log box, no mode: only the device library's brightness calls.
 */
#include "lcdcheck.h"

#include <device.h>

#include <exception>

#include "common.h"
#include "log.h"
#include "main.h"
#include "screen_util.h"

namespace {

constexpr int DISPLAY = 0;
constexpr int STEPS = 4;

struct backlight_run {
    int running = 0;
    int step = 0;
    int max_brightness = 100;
    Ecore_Timer *timer1sec_backlight = nullptr;
};
backlight_run backlight;

/* Brightness of a step of the cycle: 1 dark, 2 a third, 3 two thirds, 4 full. */
int step_level(int step, int max)
{
    return static_cast<int>((step - 1) * static_cast<long long>(max) / (STEPS - 1));
}

void _alt_brightness_step(int value)
{
    int ret = device_set_brightness(DISPLAY, value);
    SLOGD("%s(%d) device_set_brightness ret=%d, val=%d", __func__, __LINE__, ret, value);
}

Evas_Object *hidden_button(const char *label, int x, int y, Evas_Smart_Cb clicked, void *data)
{
    Evas_Object *btn = add_menu_button(appdata_get_layout(), "basic", label, x, y, 210, 60);
    RETV_IF(NULL == btn, nullptr);
    evas_object_hide(btn);
    evas_object_smart_callback_add(btn, "clicked", clicked, data);
    return btn;
}

}  // namespace

void init_backlightcheck(void)
try {
    LOGD("START");
    int max = backlight.max_brightness;
    int ret = device_get_max_brightness(DISPLAY, &max);
    if (ret == DEVICE_ERROR_NONE)
        backlight.max_brightness = max;
    SLOGD("%s(%d) device_get_max_brightness ret=%d, val=%d", __func__, __LINE__, ret,
          backlight.max_brightness);
    ret = device_set_brightness(DISPLAY, backlight.max_brightness);
    SLOGD("%s(%d) device_set_brightness ret=%d ", __func__, __LINE__, ret);

    screen_timer_renew(backlight.timer1sec_backlight, backlight_step_cb, true);
    hidden_button("Backlight Check", 890, 1455, _btn_backlightcheck_cb,
                  backlight.timer1sec_backlight);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void init_pixelcheck(void)
try {
    LOGD("START");
    hidden_button("Reserved", 890, 1390, _btn_pixelcheck_cb, nullptr);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _btn_pixelcheck_cb(void *, Evas_Object *, void *)
{
    LOGD("START");
}

/* The timer given as data may have been replaced since; the module's
 * handle is the one in use. */
void _btn_backlightcheck_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (!backlight.running) {
        backlight.running = 1;
        screen_timer_renew(backlight.timer1sec_backlight, backlight_step_cb, false);
    } else {
        backlight.running = 0;
        screen_timer_freeze(backlight.timer1sec_backlight);
    }
    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

Eina_Bool backlight_step_cb(void *)
{
    backlight.step++;
    _alt_brightness_step(step_level(backlight.step, backlight.max_brightness));
    if (backlight.step >= STEPS)
        backlight.step = 0;
    return ECORE_CALLBACK_RENEW;
}

void delete_backlight(void)
{
    screen_timer_delete(backlight.timer1sec_backlight);
}
