/*
 * Load status screen of the refrigerator test view (mode 4).
 *
 * Asks the micom for the status of the refrigerator's loads and, for 30
 * ticks of a one-second timer, rewrites the log box with the names of the
 * loads whose IDs the micom reports, counting down in "time". The view is
 * blocked while it runs.
 *
 * State: the load table statusInfo (100 records read from the reference
 * database's loadstatus table each time the test view is built; the first
 * record with a negative number ends it), the run flag, the tick count and
 * the timer (created frozen with the test view, recreated thawed by each
 * start, frozen when a run ends, deleted by delete_loadstatus), and whether
 * the run has said that the reported value was cut.
 *
 * Reads memory/refrigerator/LoadStatus, db/menu_widget/language and, to find
 * the database, memory/refrigerator/ModelName; writes " " and
 * "REQ_STATUS_LOAD_STATUS" to memory/refrigerator/TxMessage, the log box,
 * "time" and the blocking overlay.
 */
#include "loadstatus.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>
#include <string_view>

#include "common.h"
#include "db.h"
#include "entry_monitor.h"
#include "log.h"
#include "main.h"
#include "micom_answers.h"
#include "micom_channel.h"
#include "reference_tables.h"
#include "screen_util.h"

namespace {

/* The reported value is kept to 499 characters. */
constexpr std::size_t LOAD_VALUE_MAX = 499;
constexpr int LOAD_STATUS_TICKS = 30;

struct load_record {
    int number = -1;
    std::string id;
    int use = 1;
    std::string name_en;
    std::string name_kr;
};

std::array<load_record, static_cast<std::size_t>(LOAD_TABLE_SIZE)> statusInfo;

int _loadstatus_run = 0;
int loadstatus_tick = 0;
Ecore_Timer *loadstatus_timer = nullptr;
cut_notice loadstatus_cut;

/* The record whose ID is exactly piece, searching from the first record up
 * to the first one with a negative number; nullptr when none. */
const load_record *find_load(std::string_view piece)
{
    for (const load_record &record : statusInfo) {
        if (record.number < 0)
            break;
        if (record.id == piece)
            return &record;
    }
    return nullptr;
}

/* Clears the run and shows it ended: timer frozen, block lifted, no count. */
void end_run(void)
{
    _loadstatus_run = 0;
    loadstatus_tick = 0;
    screen_timer_freeze(loadstatus_timer);
    screen_unblock();
    screen_time_set("-");
}

}  // namespace

/* The C callbacks and entry points below keep every exception inside
 * (function-try-blocks). */

void _loadStatus_db_read(void)
try {
    db_table_read table;
    if (const char *failed = table.open("loadstatus", LOAD_STATUS_QUERY)) {
        LOGE("(%s) -> %s() return", failed, __func__);
        return;
    }
    statusInfo.fill(load_record{});
    std::size_t filled = 0;
    while (table.next()) {
        int number = table.int32(0);
        int use = table.int32(2);
        if (use == 0) {
            LOGD("This error does not use in engineer mode: error num = %d", number);
            continue;
        }
        /* Rows beyond the table's hundred records are dropped. */
        if (filled == statusInfo.size()) {
            LOGE("Out of range load status: error num = %d", number);
            break;
        }
        load_record &record = statusInfo[filled++];
        record.number = number;
        record.id = table.text(1, LOAD_TEXT_MAX);
        record.use = use;
        record.name_en = table.text(3, LOAD_TEXT_MAX);
        record.name_kr = table.text(4, LOAD_TEXT_MAX);
    }
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void init_loadstatus(void)
try {
    LOGD("START");
    screen_timer_renew(loadstatus_timer, _timer1_loadstatus_cb, true);
    screen_button_add("REFLCD_NV2_EM_FRIDGE_LOAD_STATUS", 230, 1390, _btn_loadstatus_cb);
    _loadStatus_db_read();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

int is_working_loadstatus(void)
{
    return _loadstatus_run;
}

void stop_loadstatus(void)
try {
    end_run();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void delete_loadstatus(void)
{
    screen_timer_delete(loadstatus_timer);
}

void _btn_loadstatus_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (_loadstatus_run) {
        /* Stopped by hand. */
        end_run();
        append_entry_data("=== LOAD STATUS - STOP ===<br>", 1);
    } else {
        if (!start_mode(4)) {
            LOGD("[%s:%d] Ban to enter.", __func__, __LINE__);
            return;
        }
        append_entry_data("=== LOAD STATUS - START ===<br>", 1);
        loadstatus_tick = 0;
        _loadstatus_run = 1;
        loadstatus_cut = {};
        screen_timer_renew(loadstatus_timer, _timer1_loadstatus_cb, false);

        micom_send(" ");
        int ret = micom_send("REQ_STATUS_LOAD_STATUS");
        LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %d", __func__, __LINE__, ret);
        screen_block();
    }

    LOGD("_loadstatus_run = %d", _loadstatus_run);
    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

Eina_Bool _timer1_loadstatus_cb(void *)
try {
    if (!_loadstatus_run) {
        screen_unblock();
        return screen_timer_end(loadstatus_timer);
    }

    std::string value =
        screen_key_text(VCONFKEY_REFRIGERATOR_LOAD_STATUS, LOAD_VALUE_MAX, "", loadstatus_cut);
    LOGD("%s", value.c_str());

    /* The language is read at every tick: a switch shows at the next one. */
    bool korean = is_korean_language();

    append_entry_data("=== LOAD STATUS - STARTED ===", 1);

    /* The "<br>" between two IDs separates them. */
    for (std::string_view piece : split_load_ids(value)) {
        const load_record *record = find_load(piece);
        if (!record)
            continue;
        const std::string &name = korean ? record->name_kr : record->name_en;
        append_entry_data(name.c_str(), 0);
        LOGD("Append : %s", name.c_str());
    }

    screen_time_set(LOAD_STATUS_TICKS - 1 - loadstatus_tick);
    loadstatus_tick++;

    if (loadstatus_tick > LOAD_STATUS_TICKS - 1) {
        append_entry_data("=== LOAD STATUS - FINISHED ===", 0);
        end_run();
    }
    return ECORE_CALLBACK_RENEW;
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return ECORE_CALLBACK_RENEW;
}
