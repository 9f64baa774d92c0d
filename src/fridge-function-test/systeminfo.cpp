/*
 * System information and model option screens of the refrigerator test view.
 *
 * System information (mode 1) prints the micom's firmware year, model and
 * version, and in Korea its months of use, in the log box. The version
 * request goes to the micom once, when the test view is built; the button
 * only reads what the micom service stored since. It keeps no state.
 *
 * Model option (mode 2) asks the micom for its model-option bits, blocks the
 * view and, at the second tick of its one-second timer, prints the eight
 * option bits. State: the run flag, the tick count and the timer (created
 * frozen with the test view, recreated thawed by each press, frozen after the
 * second tick, deleted by stop_modeloption / delete_modeloption).
 *
 * Reads db/refrigerator/MicomInfoYear, MicomInfoProject, MicomInfoVersion,
 * MicomUsedMonth, ModelDiodeOption and db/setting/region_code; writes the
 * version and model-option requests to memory/refrigerator/TxMessage, the log
 * box and the test view's "time" text.
 */
#include "systeminfo.h"

#include <array>
#include <exception>
#include <string>

#include "app_base_view.h"
#include "common.h"
#include "entry_monitor.h"
#include "log.h"
#include "main.h"
#include "micom_channel.h"
#include "screen_util.h"

namespace {

int _modeloption_run = 0;
int modeloption_tick = 0;
Ecore_Timer *modeloption_timer = nullptr;

/* Firmware and used-month lines: at most 49 characters. */
constexpr std::size_t INFO_LINE_SIZE = 50;
/* Model-option lines: at most 24 characters. */
constexpr std::size_t OPTION_LINE_SIZE = 25;
constexpr int MODEL_OPTION_COUNT = 8;

/* The firmware lines in their order: key, line format (one int argument)
 * and the debug line when the key can't be read. */
struct firmware_line {
    const char *key;
    const char *format;
    const char *fail_text;
};
constexpr std::array<firmware_line, 3> FIRMWARE_LINES = {{
    {VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR, "Firmware year     : 0x%02X",
     "Fail to get VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR"},
    {VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT, "Firmware model   : 0x%02X",
     "Fail to get VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT"},
    {VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION, "Firmware version : 0x%02X",
     "Fail to get VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION"},
}};

/* Writes a formatted line on a new line of the log box. */
void write_line(const std::string &line)
{
    append_entry_data(line.c_str(), 0);
}

}  // namespace

void init_systeminfo(void)
{
    LOGD("START");
    screen_button_add("REFLCD_NV2_EM_SYSTEM_INFORMATION", 10, 1390, _btn_systeminfo_cb);

    int ret = micom_send("REQ_STATUS_REQUEST_VERSION");
    LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %d", __func__, __LINE__, ret);
}

void init_modeloption(void)
{
    LOGD("START");
    screen_timer_renew(modeloption_timer, _timer1_modeloption_cb, true);
    screen_button_add("REFLCD_NV2_EM_FRIDGE_MODEL_OPTION", 10, 1455, _btn_modeloption_cb);
}

int is_working_modeloption(void)
{
    return modeloption_timer ? 1 : 0;
}

void stop_modeloption(void)
{
    screen_timer_delete(modeloption_timer);
    unblock_view();
}

void delete_modeloption(void)
{
    screen_timer_delete(modeloption_timer);
}

/* The C callbacks below keep every exception inside (function-try-blocks). */

void _btn_systeminfo_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    start_mode(1);

    append_entry_data("====  System Information  ====", 1);

    /* An unreadable key prints as 0; "%02X" keeps every digit of a larger
     * value. */
    for (const firmware_line &line : FIRMWARE_LINES) {
        std::optional<int> value = key_get_int(line.key);
        if (!value)
            LOGD("%s", line.fail_text);
        write_line(format_cut(INFO_LINE_SIZE, line.format, value.value_or(0)));
    }

    /* The used-month line exists only for Korea, and only for exactly "KR". */
    std::optional<std::string> region = key_get_str(VCONFKEY_REGIONCODE);
    if (!region) {
        LOGE("Fail to get VCONFKEY_REGIONCODE");
    } else if (*region == "KR") {
        std::optional<int> month = key_get_int(VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH);
        if (!month)
            LOGD("Fail to get VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH");
        write_line(format_cut(INFO_LINE_SIZE, "Used month     : %02d", month.value_or(0)));
    }

    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _btn_modeloption_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (_modeloption_run) {
        /* A press while pending starts the request over. */
        screen_timer_freeze(modeloption_timer);
        _modeloption_run = 0;
        modeloption_tick = 0;
        unblock_view();
        screen_time_set("-");
    }

    start_mode(2);
    append_entry_data("=== MODEL OPTION  ===<br>", 1);

    _modeloption_run = 1;
    modeloption_tick = 0;
    screen_timer_renew(modeloption_timer, _timer1_modeloption_cb, false);

    int ret = micom_send("REQ_STATUS_REQUEST_MODELOPTION");
    LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %d", __func__, __LINE__, ret);

    block_view();
    LOGD("_modeloption_run = %d", _modeloption_run);
    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

Eina_Bool _timer1_modeloption_cb(void *)
try {
    if (!_modeloption_run) {
        screen_unblock();
        return screen_timer_end(modeloption_timer);
    }

    screen_time_set(1 - modeloption_tick);
    modeloption_tick++;
    if (modeloption_tick <= 1)
        return ECORE_CALLBACK_RENEW;

    /* Second tick: the micom service has had time to answer. The timer
     * stays, frozen, until the next press or stop_modeloption. */
    screen_timer_freeze(modeloption_timer);
    _modeloption_run = 0;
    modeloption_tick = 0;
    screen_unblock();
    screen_time_set("-");

    std::optional<int> option = key_get_int(VCONFKEY_REFRIGERATOR_MODELDIODEOPTION);
    if (!option)
        LOGD("[%s:%d] Fail to get VCONFKEY_REFRIGERATOR_MODELDIODEOPTION", __func__, __LINE__);
    int value = option.value_or(0);

    /* Only the eight low bits are options; higher bits are ignored. */
    for (int n = 1; n <= MODEL_OPTION_COUNT; n++) {
        std::string line = (value & (1 << (n - 1)))
                               ? format_cut(OPTION_LINE_SIZE, "MODEL OPTION %d: Inserted", n)
                               : format_cut(OPTION_LINE_SIZE, "MODEL OPTION %d: %d", n, 0);
        write_line(line);
    }
    append_entry_data("<br>=== MODEL OPTION - FINISHED ===", 0);
    return ECORE_CALLBACK_RENEW;
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return ECORE_CALLBACK_RENEW;
}
