/*
 * Force run screen of the refrigerator test view (mode 5).
 *
 * Lists the model's special operating programs in the main list; tapping one
 * sends its command to the micom and records its status value in
 * memory/refrigerator/ForceRunStatus. Opening the screen shows the recorded
 * status and selects its program again, which sends the command again.
 *
 * State: the 7-entry table _force_item (read from the reference database's
 * forcerun table each time the test view is built; a NULL MODE or label is
 * kept as the empty text) and the pending rollback check: a one-shot 0.3 s
 * timer that every selection starts anew (at most one is pending) with the
 * status of the program selected last. The check puts that status back when
 * the micom service has overwritten it. Other screens neither stop nor
 * consult it; only termination drops it (delete_forcerun).
 *
 * Reads memory/refrigerator/ForceRunStatus,
 * memory/refrigerator/EngineerDeveloperMode, db/menu_widget/language and, to
 * find the database, memory/refrigerator/ModelName. Writes the programs'
 * commands to memory/refrigerator/TxMessage, the status key, the log box,
 * the main list and "list.name".
 */
#include "forcerun.h"

#include <app_i18n.h>
#include <vconf.h>

#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "common.h"
#include "db.h"
#include "entry_monitor.h"
#include "list_panel.h"
#include "log.h"
#include "main.h"
#include "micom_channel.h"
#include "reference_tables.h"
#include "screen_util.h"

namespace {

/* The number under the header is formatted into 5 bytes. */
constexpr std::size_t NUMBER_BUFFER_SIZE = 5;
constexpr double ROLLBACK_CHECK_DELAY = 0.3;
/* Status values the rollback check and the opening treat specially: 0 is
 * the cancel; 15 is what the micom reports after one. */
constexpr int STATUS_CANCEL = 0;
constexpr int STATUS_CANCELLED = 15;
/* Labels beginning with this are programs for developers only. */
constexpr std::string_view DEVELOPER_PREFIX = "PreCool";

struct force_item {
    std::string mode;           /* command sent as it stands */
    int vconfValue = 0;         /* status by the prefix of mode */
    std::string text;           /* label in the language of the read */
    Elm_Object_Item *obj = nullptr;  /* the entry's row; none while unlisted */
};

std::array<force_item, FORCE_RUN_ENTRIES> _force_item;

/* The pending rollback check and the status it restores. */
struct rollback_check {
    Ecore_Timer *timer = nullptr;
    int last_command = -1;
};

rollback_check rollback;

void *entry_data(std::size_t i)
{
    return reinterpret_cast<void *>(static_cast<std::intptr_t>(i));
}

/* Writes the status key; a failed write is only logged. */
void set_status(int value)
{
    if (vconf_set_int(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS, value) != VCONF_OK)
        LOGE("Fail to set VCONFKEY_REFRIGERATOR_FORCERUN_STATUS");
}

/* Clears the log box and writes the header with a number under it. */
void show_number(int number)
{
    append_entry_data("=== FORCE RUN NUMBER === ", 1);
    append_entry_data(format_cut(NUMBER_BUFFER_SIZE, "%d", number).c_str(), 0);
}

/* A deleted row (list cleared or deleted) leaves its entry unlisted. */
void _row_deleted_cb(void *data, Evas_Object *, void *event_info)
{
    auto i = reinterpret_cast<std::intptr_t>(data);
    if (i >= 0 && i < FORCE_RUN_ENTRIES && _force_item[i].obj == event_info)
        _force_item[i].obj = nullptr;
}

/* Rollback check, 0.3 s after the last selection. */
Eina_Bool _item_clicked_timer(void *)
try {
    int status = key_get_int(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS).value_or(0);
    LOGD("Force run status:%d, last command:%d", status, rollback.last_command);
    if (status == STATUS_CANCELLED && rollback.last_command == STATUS_CANCEL) {
        LOGD("Force run set to rollback to CANCEL");
        set_status(STATUS_CANCEL);
    } else if (status == STATUS_CANCEL && rollback.last_command != STATUS_CANCEL) {
        LOGD("Force run set to rollback to last run:%d", rollback.last_command);
        set_status(rollback.last_command);
    }
    return screen_timer_end(rollback.timer);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return screen_timer_end(rollback.timer);
}

/* Selection handler of every row; data is the entry's table position. */
void _item_clicked_cb(void *data, Evas_Object *, void *)
try {
    LOGD("START");
    auto i = reinterpret_cast<std::intptr_t>(data);
    if (i < 0 || i >= FORCE_RUN_ENTRIES) {
        LOGE("force run entry out of range: %ld", static_cast<long>(i));
        return;
    }
    const force_item &item = _force_item[i];
    micom_send(item.mode.c_str());
    LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %s", __func__, __LINE__,
         item.mode.c_str());
    set_status(item.vconfValue);
    LOGD("vconf set VCONFKEY_REFRIGERATOR_FORCERUN_STATUS : %d", item.vconfValue);
    rollback.last_command = item.vconfValue;

    /* A new selection replaces the pending check. */
    screen_timer_delete(rollback.timer);
    rollback.timer = ecore_timer_add(ROLLBACK_CHECK_DELAY, _item_clicked_timer, nullptr);
    if (!rollback.timer)
        LOGE("Fail to start the rollback check");

    show_number(static_cast<int>(i));
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _update_list_main(void)
{
    Evas_Object *li = get_li_main();
    RET_IF(NULL == li);
    elm_list_clear(li);
    LOGD("Force Run menu update");

    int developer = key_get_int(VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE).value_or(0);
    for (std::size_t i = 0; i < _force_item.size(); i++) {
        force_item &item = _force_item[i];
        item.obj = nullptr;
        LOGD("i = %d, %s", static_cast<int>(i), item.text.c_str());
        /* The label in either language marks a developer program. */
        if (developer <= 0 && item.text.starts_with(DEVELOPER_PREFIX)) {
            LOGD("PreCool skipped.");
            continue;
        }
        if (item.text.empty()) {
            LOGD("Skipped : %d.", static_cast<int>(i));
            continue;
        }
        item.obj = elm_list_item_append(li, item.text.c_str(), nullptr, nullptr, _item_clicked_cb,
                                        entry_data(i));
        if (item.obj)
            elm_object_item_del_cb_set(item.obj, _row_deleted_cb);
        LOGD("%s added.", item.text.c_str());
    }
    elm_list_go(li);
}

}  // namespace

/* The C callbacks and entry points below keep every exception inside
 * (function-try-blocks). */

int _forcerun_db_read(void)
try {
    db_table_read table;
    if (const char *failed = table.open("forcerun", FORCE_RUN_QUERY)) {
        LOGE("(%s) -> %s() return", failed, __func__);
        return 0;
    }
    bool korean = is_korean_language();
    /* Entries past the last row keep what they held. */
    std::size_t filled = 0;
    while (table.next()) {
        if (filled == _force_item.size()) {
            LOGE("Out of range force run");
            break;
        }
        db_handle_s *st = table.row();
        force_item &item = _force_item[filled++];
        if (!db_get_str(st, 0))
            LOGE("force run row %d has no MODE: its entry sends the empty text",
                 static_cast<int>(filled));
        item.mode = table.text(0, FORCE_RUN_TEXT_MAX);
        item.vconfValue = forcerun_status_of(item.mode.c_str());
        item.text = table.text(korean ? 3 : 2, FORCE_RUN_TEXT_MAX);
    }
    return 0;
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return 0;
}

void init_forcerun(void)
try {
    LOGD("START");
    screen_button_add("REFLCD_NV2_EM_FRIDGE_FORCE_RUN", 230, 1455, _btn_forcerun_cb);
    _forcerun_db_read();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void delete_forcerun(void)
{
    screen_timer_delete(rollback.timer);
}

void _btn_forcerun_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (!start_mode(5)) {
        LOGD("[%s:%d] Ban to enter.", __func__, __LINE__);
        return;
    }

    int status = 0;
    if (std::optional<int> stored = key_get_int(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS)) {
        status = *stored;
    } else {
        set_status(0);
        LOGD("vconf default set VCONFKEY_REFRIGERATOR_FORCERUN_STATUS : %d", 0);
    }
    /* After a cancel the micom reports 15; the screen shows and selects the
     * first run then (the key keeps 15). */
    if (status == STATUS_CANCELLED)
        status = 1;

    show_number(status);
    _update_list_main();
    screen_text_set("list.name", i18n_get_text("REFLCD_NV2_EM_FRIDGE_FORCE_RUN"));
    LOGD("Current force run state is %d", status);

    /* Selecting the row runs its handler as a tap does: the command goes out
     * again and a rollback check starts. */
    for (const force_item &item : _force_item) {
        if (item.vconfValue == status && item.obj) {
            LOGD("Forcerun item is selected, mode:%s, value:%d", item.text.c_str(), status);
            elm_list_item_selected_set(item.obj, EINA_TRUE);
            break;
        }
    }
    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}
