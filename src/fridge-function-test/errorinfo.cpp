/*
 * Self diagnosis (mode 8) and error history (mode 7) screens of the
 * refrigerator test view.
 *
 * Self diagnosis asks the micom to run its self test, repeats the request
 * once a second for a minute and shows the micom's current error list in the
 * log box at every tick; its main list offers the model's error codes from
 * the reference database, and touching one shows its description in
 * "content.text". Error history shows db/refrigerator/ErrorHistory, refreshed
 * once a second for a minute, and offers "Clear error list" in the main list.
 *
 * State: the error table errorInfo (100 records read from the reference
 * database's selfdiagnosis table each time the test view is built, in the
 * language set at that moment) with its count; per screen a run flag, a tick
 * count, a one-second timer (the self-diagnosis timer is created frozen
 * with the test view; both are recreated thawed by their button and deleted
 * when their minute ends) and whether the run has said that the micom's text
 * was cut (each press starts a run, and so does the build of the view for
 * the history).
 *
 * Reads memory/refrigerator/ErrorList, db/refrigerator/ErrorHistory,
 * db/setting/region_code, db/menu_widget/language and, to find the database,
 * memory/refrigerator/ModelName. Writes "REQ_STATUS_WORK_SELF_TEST" and
 * "REQ_STATUS_STOP_SELF_TEST" to memory/refrigerator/TxMessage, the empty
 * text to db/refrigerator/ErrorHistory, the log box, the main list and the
 * texts "time", "list.name" and "content.text".
 */
#include "errorinfo.h"

#include <app_i18n.h>
#include <vconf.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "common.h"
#include "db.h"
#include "entry_monitor.h"
#include "list_panel.h"
#include "log.h"
#include "main.h"
#include "micom_answers.h"
#include "micom_channel.h"
#include "reference_tables.h"
#include "screen_util.h"

namespace {

/* Error list and history are kept to 799 characters. */
constexpr std::size_t ERROR_TEXT_MAX = 799;
/* List labels: at most 99 characters. */
constexpr std::size_t ERROR_LABEL_SIZE = 100;
constexpr int ERROR_TICKS = 60;

struct error_record {
    int number = -1;
    std::string id;
    int use = 1;
    std::string name;
    std::string content;
};

std::array<error_record, static_cast<std::size_t>(ERROR_TABLE_SIZE)> errorInfo;
int errorInfo_count = 0;

int _selfdiagnosis_run = 0;
int selfdiagnosis_tick = 0;
Ecore_Timer *selfdiagnosis_timer = nullptr;
cut_notice selfdiagnosis_cut;

int _errorHistory_run = 0;
int errorhistory_tick = 0;
Ecore_Timer *errorhistory_timer = nullptr;
cut_notice errorhistory_cut;

/* Selection handler of an error item; data is the record's table index. */
void _item_clicked_cb(void *data, Evas_Object *, void *)
try {
    LOGD("START");
    auto index = reinterpret_cast<std::intptr_t>(data);
    if (index < 0 || index >= errorInfo_count) {
        LOGE("error index out of range: %ld", static_cast<long>(index));
        return;
    }
    const std::string &content = errorInfo[index].content;
    LOGD("%s", content.c_str());
    screen_text_set("content.text", content.c_str());
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _update_list_main(void)
{
    Evas_Object *li = get_li_main();
    RET_IF(NULL == li);
    elm_list_clear(li);

    std::optional<std::string> region = key_get_str(VCONFKEY_REGIONCODE);
    if (!region)
        LOGE("Fail to get VCONFKEY_REGIONCODE");
    bool korea = region && *region == "KR";
    LOGD("ERROR_LIST update");

    for (int i = 0; i < errorInfo_count; i++) {
        const error_record &record = errorInfo[i];
        LOGD("%s", record.name.c_str());
        if (record.name.empty())
            continue;
        LOGD("Add : %s", record.name.c_str());
        /* Errors 35 to 37 exist only in Korea. */
        if (!korea && record.number >= 35 && record.number <= 37) {
            LOGD("Skipped..");
            continue;
        }
        std::string label = format_cut(ERROR_LABEL_SIZE, "%d: %s", record.number, record.name.c_str());
        elm_list_item_append(li, label.c_str(), nullptr, nullptr, _item_clicked_cb,
                             reinterpret_cast<void *>(static_cast<std::intptr_t>(i)));
    }
    elm_list_go(li);
    screen_text_set("list.name", i18n_get_text("REFLCD_NV2_EM_FRIDGE_SELF_DIAGNOSIS"));
}

void _item_error_clear_clicked_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (vconf_set_str(VCONFKEY_REFRIGERATOR_ERROR_HISTORY, "") != VCONF_OK)
        LOGE("Fail to set VCONFKEY_REFRIGERATOR_ERROR_HISTORY");
    append_entry_data("", 1);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

/* Offers the one command of the error history. Before the list panel is
 * built (while the test view is being built) there is no list to fill. */
void _update_error_clear_list_main(void)
{
    Evas_Object *li = get_li_main();
    if (!li) {
        LOGD("no main list yet");
        return;
    }
    elm_list_clear(li);
    elm_list_item_append(li, "Clear error list", nullptr, nullptr, _item_error_clear_clicked_cb,
                         nullptr);
    elm_list_go(li);
}

void _show_error_history(void)
{
    /* A history beginning with "E" (its end mark) is empty; an unreadable
     * one is shown the same way. Any other is shown as the text itself,
     * escaped after the cut. */
    std::string text =
        screen_key_text(VCONFKEY_REFRIGERATOR_ERROR_HISTORY, ERROR_TEXT_MAX, "E", errorhistory_cut);
    append_entry_data(error_history_shown(text).c_str(), 1);

    _update_error_clear_list_main();
}

}  // namespace

/* The C callbacks and entry points below keep every exception inside
 * (function-try-blocks). */

void _selfdiagnosis_db_read(void)
try {
    db_table_read table;
    if (const char *failed = table.open("selfdiagnosis", SELF_DIAGNOSIS_QUERY)) {
        LOGE("(%s) -> %s() return", failed, __func__);
        return;
    }
    errorInfo.fill(error_record{});
    errorInfo_count = 0;
    /* Names and descriptions keep the language of this read. */
    bool korean = is_korean_language();
    while (table.next()) {
        int number = table.int32(0);
        int use = table.int32(2);
        if (use == 0) {
            LOGD("This error does not use in engineer mode: error num = %d", number);
            continue;
        }
        /* Rows beyond the table's hundred records are dropped. */
        if (errorInfo_count == static_cast<int>(errorInfo.size())) {
            LOGE("Out of range self diagnosis: error num = %d", number);
            break;
        }
        error_record &record = errorInfo[errorInfo_count++];
        record.number = number;
        record.id = table.text(1, ERROR_ID_MAX);
        record.use = use;
        record.name = table.text(korean ? 4 : 3, ERROR_NAME_MAX);
        record.content = table.text(korean ? 6 : 5, ERROR_CONTENT_MAX);
    }
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void init_selfdiagnosis(void)
try {
    LOGD("START");
    screen_timer_renew(selfdiagnosis_timer, _timer1_selfdiagnosis_cb, true);

    screen_button_add("REFLCD_NV2_EM_FRIDGE_SELF_DIAGNOSIS", 450, 1390, _btn_selfdiagnosis_cb);

    _selfdiagnosis_db_read();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void init_errorhistory(void)
try {
    LOGD("START");
    screen_button_add("REFLCD_NV2_EM_FRIDGE_ERROR_HISTORY", 670, 1390, _btn_errorhistory_cb);
    errorhistory_cut = {};
    _show_error_history();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

int is_working_selfdiagnosis(void)
{
    return _selfdiagnosis_run;
}

void stop_selfdiagnosis(void)
{
    LOGD("START");
    /* The timer stays allocated, frozen. */
    screen_timer_freeze(selfdiagnosis_timer);
    _selfdiagnosis_run = 0;
    selfdiagnosis_tick = 0;
    screen_time_set("-");
    clear_list(1, 1);
}

int is_working_errorHistory(void)
{
    return _errorHistory_run > 0 ? 1 : 0;
}

void stop_errorHistory(void)
{
    LOGD("START");
    _errorHistory_run = 0;
    errorhistory_tick = 0;
    append_entry_data("", 1);
    screen_timer_delete(errorhistory_timer);
}

void delete_selfdiagnosis(void)
{
    screen_timer_delete(selfdiagnosis_timer);
}

void _btn_selfdiagnosis_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (_selfdiagnosis_run) {
        /* Stopped by hand: the micom is told; the error items stay. */
        _selfdiagnosis_run = 0;
        selfdiagnosis_tick = 0;
        screen_timer_delete(selfdiagnosis_timer);
        append_entry_data("<br>=== SELF DIAGNOSIS - STOP ===", 0);
        micom_send("REQ_STATUS_STOP_SELF_TEST");
        LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %s", __func__, __LINE__,
             "REQ_STATUS_STOP_SELF_TEST");
        screen_time_set("-");
    } else {
        if (!start_mode(8)) {
            LOGD("[%s:%d] Ban to enter.", __func__, __LINE__);
            return;
        }
        append_entry_data("=== SELF DIAGNOSIS- START===<br>", 1);
        selfdiagnosis_tick = 0;
        _selfdiagnosis_run = 1;
        selfdiagnosis_cut = {};
        screen_timer_renew(selfdiagnosis_timer, _timer1_selfdiagnosis_cb, false);
        micom_send("REQ_STATUS_WORK_SELF_TEST");
        LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %s", __func__, __LINE__,
             "REQ_STATUS_WORK_SELF_TEST");
        _update_list_main();
    }

    clear_list(0, 1);
    screen_text_set("content.text", "");
    LOGD("_selfdiagnosis_run = %d", _selfdiagnosis_run);
    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

Eina_Bool _timer1_selfdiagnosis_cb(void *)
try {
    LOGD("1sec_cb: _selfdiagnosis_run = %d", _selfdiagnosis_run);
    if (!_selfdiagnosis_run)
        return screen_timer_end(selfdiagnosis_timer);

    /* "E" and "C" are one character each: cutting before the replacement
     * cuts the same text. The micom's text is shown as it stands, never as
     * markup: escaped after the cut, so the cut cannot split an entity. */
    shown_error_list shown = error_list_shown(
        screen_key_text(VCONFKEY_REFRIGERATOR_ERROR_LIST, ERROR_TEXT_MAX, "", selfdiagnosis_cut));
    append_entry_data(shown.text.c_str(), 1);
    if (shown.link_mark)
        append_entry_data_no_br(" C");

    screen_time_set(ERROR_TICKS - 1 - selfdiagnosis_tick);
    selfdiagnosis_tick++;

    if (selfdiagnosis_tick > ERROR_TICKS - 1) {
        append_entry_data("<br>=== SELF DIAGNOSIS- FINISHED ===", 0);
        Eina_Bool ended = screen_timer_end(selfdiagnosis_timer);
        _selfdiagnosis_run = 0;
        selfdiagnosis_tick = 0;
        screen_time_set("-");
        return ended;
    }

    int ret = micom_send("REQ_STATUS_WORK_SELF_TEST");
    LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %d", __func__, __LINE__, ret);
    return ECORE_CALLBACK_RENEW;
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return ECORE_CALLBACK_RENEW;
}

void _btn_errorhistory_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (!start_mode(7)) {
        LOGD("[%s:%d] Ban to enter.", __func__, __LINE__);
        return;
    }
    /* A press while running refreshes at once and restarts the timer's
     * phase; the tick count goes on. */
    _errorHistory_run = 1;
    errorhistory_cut = {};
    _show_error_history();
    screen_timer_renew(errorhistory_timer, _timer1_errorHistory_cb, false);
    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

Eina_Bool _timer1_errorHistory_cb(void *)
try {
    LOGD("_timer1_errorHistory_cb: START");
    Eina_Bool result = ECORE_CALLBACK_RENEW;

    /* The history only reads: entering it has stopped self diagnosis, so no
     * self-test request goes out from here. */
    screen_time_set(ERROR_TICKS - 1 - errorhistory_tick);
    errorhistory_tick++;
    if (errorhistory_tick > ERROR_TICKS - 1) {
        result = screen_timer_end(errorhistory_timer);
        errorhistory_tick = 0;
        _errorHistory_run = 0;
        screen_time_set("-");
    }

    _show_error_history();
    return result;
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return ECORE_CALLBACK_RENEW;
}
