/*
 * Control option screen of the refrigerator test view (mode 6) and the
 * option data behind it.
 *
 * Opening asks the micom for its option data, blocks the view and lists the
 * model's options in the main list, followed by the row "Save Option"; two
 * seconds later the refresh lifts the block and shows the micom's values in
 * the log box. Tapping an option lists its values in the sub list with the
 * current one selected; tapping a value changes only the working copy. Save
 * writes the working copy to the 13 option keys and sends "SET_OPTION_01" ..
 * "SET_OPTION_13", one every 0.1 s; the refresh follows 8 s after the tap.
 *
 * State: the option table optionInfo (37 records) and its count, read when
 * the test view is built; the developer value (read at the same time) and
 * the ice-maker value (read at each opening); the two 13-byte copies
 * optSaved (as last read from the keys) and optChanging (the working copy);
 * the option tapped last; the run state: the save-series timer with its
 * state and the one-shot refresh timer.
 *
 * Reads memory/refrigerator/EngineerDeveloperMode,
 * db/refrigerator/ModelSupportedIceMaker, db/refrigerator/RefOption01 ..
 * RefOption13, db/menu_widget/language and, to find the database,
 * memory/refrigerator/ModelName. Writes "REQ_STATUS_OPTION_DATA", the empty
 * text and "SET_OPTION_NN" to memory/refrigerator/TxMessage, the 13 option
 * keys, 0 to the developer key when it cannot be read, the log box, both
 * lists, "list.name", "time", "content.text" and the blocking overlay.
 */
#include "controloption.h"

#include <app_i18n.h>
#include <vconf.h>

#include <cmath>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "app_base_view.h"
#include "common.h"
#include "entry_monitor.h"
#include "list_panel.h"
#include "log.h"
#include "main.h"
#include "micom_channel.h"
#include "option_data.h"
#include "screen_util.h"

namespace {

/* Main-list data of the Save row. */
constexpr int SAVE_ROW = 1000;
/* Main-list labels and the "option %d : %d" line: 50-byte buffers. */
constexpr std::size_t LABEL_SIZE = 50;
constexpr double OPEN_REFRESH_DELAY = 2.0;
constexpr double SAVE_REFRESH_DELAY = 8.0;
constexpr const char *REPORT_END = "==============================";

option_records optionInfo;
int optionCount = 0;
option_bytes optSaved{};
option_bytes optChanging{};

int developer_value = 0;
/* -1 (every option supported) until the screen reads the key. */
int icemaker_value = -1;
int current_option = 0;

/* What runs after a tap: the save series and the pending refresh. */
struct option_run {
    Ecore_Timer *save_timer = nullptr;
    /* Number of the next command of the series; 14 once it is done. */
    int _timer_state_option = 0;
    Ecore_Timer *refresh_timer = nullptr;
};
option_run run;

void *as_data(int value)
{
    return reinterpret_cast<void *>(static_cast<std::intptr_t>(value));
}

int from_data(void *data)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(data));
}

/* Replaces a pending refresh with one due in delay seconds. */
void schedule_refresh(double delay)
{
    screen_timer_delete(run.refresh_timer);
    run.refresh_timer = ecore_timer_add(delay, onOptionAllSavedCb, nullptr);
}

bool listed(const option_record &record)
{
    return developer_value != 0 ||
           (option_supported(record.support, icemaker_value) && record.developerOnly != 1);
}

/* A report in the log box: the title (clearing it), the long form of all
 * 37 values for developer value 1, else a line for each option below
 * options that shown() lets through; then the closing line. */
void write_report(const char *title, const option_bytes &bytes, int options,
                  bool (*shown)(const option_record &))
{
    append_entry_data(title, 1);
    for (const std::string &line :
         option_report_body(bytes, optionInfo, options, developer_value, shown))
        append_entry_data(line.c_str(), 0);
    append_entry_data(REPORT_END, 0);
}

void _sub_item_clicked_cb(void *data, Evas_Object *, void *);
void _main_item_clicked_cb(void *data, Evas_Object *, void *);

void _update_list_main(void)
{
    Evas_Object *li = get_li_main();
    RET_IF(NULL == li);
    elm_list_clear(li);
    LOGD("Option List update, count = %d", optionCount);
    for (int i = 0; i < optionCount; i++) {
        const option_record &record = optionInfo[static_cast<std::size_t>(i)];
        if (!listed(record))
            continue;
        LOGD("%s", record.name.c_str());
        if (record.name.empty())
            continue;
        LOGD("Add : %s", record.name.c_str());
        std::string label = format_cut(LABEL_SIZE, "%d: %s", record.mainNumber, record.name.c_str());
        elm_list_item_append(li, label.c_str(), nullptr, nullptr, _main_item_clicked_cb, as_data(i));
    }
    elm_list_item_append(li, "Save Option", nullptr, nullptr, _main_item_clicked_cb,
                         as_data(SAVE_ROW));
    elm_list_go(li);
}

/* Rows of an option's sub list: 2 to the power of its bit length, none for
 * a negative length. The record holds descriptions for 0 to 15 only, so a
 * wider field lists those 16 values. */
int sub_rows(int option)
{
    int length = optionInfo[static_cast<std::size_t>(option)].commBitLength;
    if (length > 4) {
        LOGE("option %d has a %d-bit field: only the values 0 to 15 are listed", option, length);
        return OPTION_CHOICES;
    }
    return static_cast<int>(std::pow(2.0, length));
}

void _update_list_sub(int option)
{
    Evas_Object *li = get_li_sub();
    RET_IF(NULL == li);
    elm_list_clear(li);
    int rows = sub_rows(option);
    int current = _get_changing_option_value(option);
    const option_record &record = optionInfo[static_cast<std::size_t>(option)];
    for (int j = 0; j < rows; j++) {
        const std::string &description = record.sub[static_cast<std::size_t>(j)].description;
        LOGD("Add : %s", description.c_str());
        std::string label = std::to_string(j) + ": " + description;
        Elm_Object_Item *item = elm_list_item_append(li, label.c_str(), nullptr, nullptr,
                                                     _sub_item_clicked_cb, as_data(j));
        if (item && j == current) {
            /* Runs the row's handler, as a tap does: the working-values
             * report is written. */
            elm_list_item_selected_set(item, EINA_TRUE);
            append_entry_data(format_cut(LABEL_SIZE, "option %d : %d", option, j).c_str(), 0);
        }
    }
    elm_list_go(li);
}

/* The Save row: the working copy to the keys, then the command series and
 * the refresh. */
void save_options(void)
{
    optSaved = optChanging;
    int ret = option_save_begin(optSaved, nullptr);
    LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %d", __func__, __LINE__, ret);
    append_entry_data("Option Saved", 0);
    block_view();

    run._timer_state_option = OPTION_SAVE_FIRST;
    screen_timer_delete(run.save_timer);
    run.save_timer = ecore_timer_add(OPTION_SAVE_INTERVAL, onOptionSavedCb, nullptr);
    schedule_refresh(SAVE_REFRESH_DELAY);
}

void _main_item_clicked_cb(void *data, Evas_Object *, void *event_info)
try {
    int i = from_data(data);
    LOGD("START");
    LOGD("main clicked: %d", i);
    if (i == SAVE_ROW) {
        /* The row acts as a button: unselected again, so that the next tap
         * saves again. */
        if (event_info)
            elm_list_item_selected_set(static_cast<Elm_Object_Item *>(event_info), EINA_FALSE);
        save_options();
        return;
    }
    if (i < 0 || i >= OPTION_COUNT) {
        LOGE("option number out of range: %d", i);
        return;
    }
    current_option = i;
    _update_list_sub(i);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _sub_item_clicked_cb(void *data, Evas_Object *, void *)
try {
    int j = from_data(data);
    LOGD("START");
    LOGD("sub clicked: %d", j);
    _set_changing_option_value(current_option, j);
    _display_changing_option_value();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _init_controloptionInfo(void)
{
    LOGD("START");
    _controloption_db_read();
}

/* The notice under the sub list, in the panel language. */
const char *save_notice(void)
{
    return is_korean_language()
               ? "설정한 옵션을 저장하려면 리스트 마지막에 있는 'Save Option' 버튼을 누르세요."
               : "Please click the 'Save Option' button on the end of the option list.";
}

}  // namespace

/* The C callbacks and entry points below keep every exception inside
 * (function-try-blocks). */

int _controloption_db_read(void)
try {
    option_table_read_result result = option_table_read(optionInfo, optionCount,
                                                        is_korean_language());
    if (result.failed)
        LOGE("(%s) -> %s() return", result.failed, __func__);
    else if (result.stopped)
        LOGE("%s", result.stopped);
    return 0;
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return 0;
}

void _read_option_vconf(void)
{
    LOGD("START");
    for (int k : option_keys_read(optSaved))
        LOGE("Fail to get %s: byte %d kept as %d", option_byte_key(k).c_str(), k,
             optSaved[static_cast<std::size_t>(k)]);
    optChanging = optSaved;
}

int _get_saved_option_value(int n)
{
    if (!option_field_of(n))
        LOGD("Out of range option number!");
    return option_value_get(optSaved, n);
}

int _get_changing_option_value(int n)
{
    if (!option_field_of(n))
        LOGD("Out of range option number!");
    return option_value_get(optChanging, n);
}

void _set_changing_option_value(int n, int value)
{
    if (!option_value_set(optChanging, n, value))
        LOGD("Out of range changing option number!");
}

void _display_saved_option_value(void)
{
    LOGD("START");
    write_report("=== DISPLAY MICOM OPTION === ", optSaved, optionCount,
                 [](const option_record &record) {
                     return option_supported(record.support, icemaker_value) &&
                            record.developerOnly != 1;
                 });
}

void _display_changing_option_value(void)
{
    LOGD("START");
    write_report("=== DISPLAY OPTION === ", optChanging, OPTION_COUNT,
                 [](const option_record &record) { return record.developerOnly == 0; });
}

void init_controloption(void)
try {
    LOGD("START");
    screen_button_add("REFLCD_NV2_EM_FRIDGE_REF_OPTION", 450, 1455, _btn_controloption_cb);

    developer_value = 0;
    std::optional<int> developer = key_get_int(VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE);
    if (developer) {
        developer_value = *developer;
    } else {
        LOGE("fail get VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE ");
        vconf_set_int(VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE, 0);
    }
    _init_controloptionInfo();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

int is_working_controloption(void)
{
    return run.save_timer || run.refresh_timer ? 1 : 0;
}

void delete_controloption(void)
{
    screen_timer_delete(run.refresh_timer);
    screen_timer_delete(run.save_timer);
}

void stop_controloption(void)
{
    delete_controloption();
    unblock_view();
}

void _btn_controloption_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (!start_mode(6)) {
        LOGD("[%s:%d] Ban to enter.", __func__, __LINE__);
        return;
    }
    block_view();
    _read_option_vconf();
    append_entry_data("=== OPTION === ", 1);

    int ret = micom_send("REQ_STATUS_OPTION_DATA");
    LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %d", __func__, __LINE__, ret);

    icemaker_value = key_get_int(VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER).value_or(-1);
    _update_list_main();
    append_entry_data(REPORT_END, 0);

    screen_text_set("list.name", i18n_get_text("REFLCD_NV2_EM_FRIDGE_REF_OPTION"));
    screen_time_set("-");
    screen_text_set("content.text", save_notice());

    schedule_refresh(OPEN_REFRESH_DELAY);
    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

Eina_Bool onOptionSavedCb(void *)
try {
    LOGD("_timer_state_option = %d", run._timer_state_option);
    int state = run._timer_state_option;
    if (state >= OPTION_SAVE_FIRST && state < OPTION_SAVE_DONE) {
        int ret = option_save_send(state);
        LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %d", __func__, __LINE__, ret);
        run._timer_state_option = ++state;
    }
    if (state >= OPTION_SAVE_FIRST && state < OPTION_SAVE_DONE)
        return ECORE_CALLBACK_RENEW;
    return screen_timer_end(run.save_timer);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return screen_timer_end(run.save_timer);
}

Eina_Bool onOptionAllSavedCb(void *)
try {
    LOGD("START");
    unblock_view();
    _read_option_vconf();
    _display_saved_option_value();
    return screen_timer_end(run.refresh_timer);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return screen_timer_end(run.refresh_timer);
}
