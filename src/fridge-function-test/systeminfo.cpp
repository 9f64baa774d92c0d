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

#include <app_i18n.h>

#include <exception>
#include <string>

#include "app_base_view.h"
#include "common.h"
#include "entry_monitor.h"
#include "log.h"
#include "main.h"
#include "micom_channel.h"

namespace {

int _modeloption_run = 0;
int modeloption_tick = 0;
Ecore_Timer *modeloption_timer = nullptr;

/* Firmware and used-month lines: at most 49 characters. */
constexpr std::size_t INFO_LINE_SIZE = 50;
/* Model-option lines: at most 24 characters. */
constexpr std::size_t OPTION_LINE_SIZE = 25;
constexpr int MODEL_OPTION_COUNT = 8;

void set_time_text(const char *text)
{
    Evas_Object *edje = appdata_get_edje();
    if (edje)
        elm_object_part_text_set(edje, "time", text);
}

/* Lifts the block the way unblock_view does, without its trace line. */
void lift_block(void)
{
    Evas_Object *block = appdata_get_block_edje();
    if (!block)
        return;
    edje_object_signal_emit(elm_layout_edje_get(block), "event,enable", "bg");
    evas_object_hide(block);
}

/* Timers are frozen at most once: each start makes a fresh, thawed timer
 * and nothing thaws one, so the freeze count tells whether it is frozen. */
void freeze_timer(Ecore_Timer *timer)
{
    if (timer && !ecore_timer_freeze_get(timer))
        ecore_timer_freeze(timer);
}

void delete_timer(void)
{
    if (modeloption_timer) {
        ecore_timer_del(modeloption_timer);
        modeloption_timer = nullptr;
    }
}

/* Reads an int key for a firmware line; 0 (and the given debug line) when
 * it can't be read. */
int read_info_key(const char *key, const char *fail_text)
{
    std::optional<int> value = key_get_int(key);
    if (!value) {
        LOGD("%s", fail_text);
        return 0;
    }
    return *value;
}

/* Writes a formatted line on a new line of the log box. */
void write_line(const std::string &line)
{
    append_entry_data(line.c_str(), 0);
}

}  // namespace

void init_systeminfo(void)
{
    LOGD("START");
    Evas_Object *btn = add_menu_button(appdata_get_layout(), "basic",
                                       i18n_get_text("REFLCD_NV2_EM_SYSTEM_INFORMATION"), 10, 1390,
                                       210, 60);
    if (btn) {
        evas_object_show(btn);
        evas_object_smart_callback_add(btn, "clicked", _btn_systeminfo_cb, nullptr);
    }

    int ret = micom_send("REQ_STATUS_REQUEST_VERSION");
    LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %d", __func__, __LINE__, ret);
}

void init_modeloption(void)
{
    LOGD("START");
    delete_timer();
    modeloption_timer = ecore_timer_add(1.0, _timer1_modeloption_cb, nullptr);
    freeze_timer(modeloption_timer);

    Evas_Object *btn = add_menu_button(appdata_get_layout(), "basic",
                                       i18n_get_text("REFLCD_NV2_EM_FRIDGE_MODEL_OPTION"), 10, 1455,
                                       210, 60);
    if (btn) {
        evas_object_show(btn);
        evas_object_smart_callback_add(btn, "clicked", _btn_modeloption_cb, nullptr);
    }
}

int is_working_modeloption(void)
{
    return modeloption_timer ? 1 : 0;
}

void stop_modeloption(void)
{
    delete_timer();
    unblock_view();
}

void delete_modeloption(void)
{
    delete_timer();
}

/* The C callbacks below keep every exception inside (function-try-blocks). */

void _btn_systeminfo_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    start_mode(1);

    append_entry_data("====  System Information  ====", 1);

    int year = read_info_key(VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR,
                             "Fail to get VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR");
    write_line(format_cut(INFO_LINE_SIZE, "Firmware year     : 0x%02X", year));
    int project = read_info_key(VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT,
                                "Fail to get VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT");
    write_line(format_cut(INFO_LINE_SIZE, "Firmware model   : 0x%02X", project));
    int version = read_info_key(VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION,
                                "Fail to get VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION");
    write_line(format_cut(INFO_LINE_SIZE, "Firmware version : 0x%02X", version));

    /* The used-month line exists only for Korea, and only for exactly "KR". */
    std::optional<std::string> region = key_get_str(VCONFKEY_REGIONCODE);
    if (!region) {
        LOGE("Fail to get VCONFKEY_REGIONCODE");
    } else if (*region == "KR") {
        int month = read_info_key(VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH,
                                  "Fail to get VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH");
        write_line(format_cut(INFO_LINE_SIZE, "Used month     : %02d", month));
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
        freeze_timer(modeloption_timer);
        _modeloption_run = 0;
        modeloption_tick = 0;
        unblock_view();
        set_time_text("-");
    }

    start_mode(2);
    append_entry_data("=== MODEL OPTION  ===<br>", 1);

    _modeloption_run = 1;
    modeloption_tick = 0;
    delete_timer();
    modeloption_timer = ecore_timer_add(1.0, _timer1_modeloption_cb, nullptr);

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
        lift_block();
        modeloption_timer = nullptr;
        return ECORE_CALLBACK_CANCEL;
    }

    set_time_text(std::to_string(1 - modeloption_tick).c_str());
    modeloption_tick++;
    if (modeloption_tick <= 1)
        return ECORE_CALLBACK_RENEW;

    /* Second tick: the micom service has had time to answer. The timer
     * stays, frozen, until the next press or stop_modeloption. */
    freeze_timer(modeloption_timer);
    _modeloption_run = 0;
    modeloption_tick = 0;
    lift_block();
    set_time_text("-");

    int value = 0;
    std::optional<int> option = key_get_int(VCONFKEY_REFRIGERATOR_MODELDIODEOPTION);
    if (option)
        value = *option;
    else
        LOGD("[%s:%d] Fail to get VCONFKEY_REFRIGERATOR_MODELDIODEOPTION", __func__, __LINE__);

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
