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
 * start, frozen when a run ends, deleted by delete_loadstatus).
 *
 * Reads memory/refrigerator/LoadStatus, db/menu_widget/language and, to find
 * the database, memory/refrigerator/ModelName; writes " " and
 * "REQ_STATUS_LOAD_STATUS" to memory/refrigerator/TxMessage, the log box,
 * "time" and the blocking overlay.
 */
#include "loadstatus.h"

#include <app_i18n.h>

#include <array>
#include <exception>
#include <string>
#include <string_view>

#include "app_base_view.h"
#include "common.h"
#include "db.h"
#include "entry_monitor.h"
#include "log.h"
#include "main.h"
#include "micom_channel.h"

namespace {

constexpr std::size_t LOAD_TABLE_SIZE = 100;
/* Text fields of a record hold 100 bytes: at most 99 characters. */
constexpr std::size_t LOAD_TEXT_MAX = 99;
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

std::array<load_record, LOAD_TABLE_SIZE> statusInfo;

int _loadstatus_run = 0;
int loadstatus_tick = 0;
Ecore_Timer *loadstatus_timer = nullptr;

const char LOAD_STATUS_QUERY[] =
    "SELECT ERROR_NUMBER, ID, USE_ENGINEER_MODE,\tNAME_EN_US, NAME_KR FROM loadstatus";

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

/* Blocks the view the way block_view does, without its trace line. */
void raise_block(void)
{
    Evas_Object *block = appdata_get_block_edje();
    if (!block)
        return;
    edje_object_signal_emit(elm_layout_edje_get(block), "event,disable", "bg");
    evas_object_raise(block);
    evas_object_show(block);
}

/* Timers are frozen at most once: each start makes a fresh, thawed timer
 * and nothing thaws one, so the freeze count tells whether it is frozen. */
void freeze_timer(void)
{
    if (loadstatus_timer && !ecore_timer_freeze_get(loadstatus_timer))
        ecore_timer_freeze(loadstatus_timer);
}

void delete_timer(void)
{
    if (loadstatus_timer) {
        ecore_timer_del(loadstatus_timer);
        loadstatus_timer = nullptr;
    }
}

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

/* Writes the name of every reported load, in the order of the value. The
 * value is cut into pieces at every run of '<', 'b', 'r' and '>', so the
 * "<br>" between two IDs separates them; empty pieces are dropped. */
void write_load_names(std::string_view value, bool korean)
{
    constexpr std::string_view separators = "<br>";
    std::size_t pos = 0;
    while (pos < value.size()) {
        std::size_t begin = value.find_first_not_of(separators, pos);
        if (begin == std::string_view::npos)
            break;
        std::size_t end = value.find_first_of(separators, begin);
        if (end == std::string_view::npos)
            end = value.size();
        pos = end;

        const load_record *record = find_load(value.substr(begin, end - begin));
        if (!record)
            continue;
        const std::string &name = korean ? record->name_kr : record->name_en;
        append_entry_data(name.c_str(), 0);
        LOGD("Append : %s", name.c_str());
    }
}

}  // namespace

/* The C callbacks and entry points below keep every exception inside
 * (function-try-blocks). */

void _loadStatus_db_read(void)
try {
    std::size_t filled = 0;
    db_read_table(
        DB_CALLER_HERE, LOAD_STATUS_QUERY,
        [&] {
            statusInfo.fill(load_record{});
            filled = 0;
        },
        [&](db_handle_s *st) {
            int number = static_cast<int>(db_get_long_long(st, 0));
            long long use = db_get_long_long(st, 2);
            if (use == 0) {
                LOGD("This error does not use in engineer mode: error num = %d", number);
                return true;
            }
            if (filled == statusInfo.size()) {
                LOGE("Out of range load status: error num = %d", number);
                return false;
            }
            load_record &record = statusInfo[filled++];
            record.number = number;
            record.id = db_get_text(st, 1, LOAD_TEXT_MAX);
            record.use = static_cast<int>(use);
            record.name_en = db_get_text(st, 3, LOAD_TEXT_MAX);
            record.name_kr = db_get_text(st, 4, LOAD_TEXT_MAX);
            return true;
        });
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void init_loadstatus(void)
try {
    LOGD("START");
    delete_timer();
    loadstatus_timer = ecore_timer_add(1.0, _timer1_loadstatus_cb, nullptr);
    freeze_timer();

    Evas_Object *btn = add_menu_button(appdata_get_layout(), "basic",
                                       i18n_get_text("REFLCD_NV2_EM_FRIDGE_LOAD_STATUS"), 230, 1390,
                                       210, 60);
    if (btn) {
        evas_object_show(btn);
        evas_object_smart_callback_add(btn, "clicked", _btn_loadstatus_cb, nullptr);
    }

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
    _loadstatus_run = 0;
    loadstatus_tick = 0;
    freeze_timer();
    lift_block();
    set_time_text("-");
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void delete_loadstatus(void)
{
    delete_timer();
}

void _btn_loadstatus_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (_loadstatus_run) {
        /* Stopped by hand. */
        _loadstatus_run = 0;
        loadstatus_tick = 0;
        freeze_timer();
        lift_block();
        set_time_text("-");
        append_entry_data("=== LOAD STATUS - STOP ===<br>", 1);
    } else {
        if (!start_mode(4)) {
            LOGD("[%s:%d] Ban to enter.", __func__, __LINE__);
            return;
        }
        append_entry_data("=== LOAD STATUS - START ===<br>", 1);
        loadstatus_tick = 0;
        _loadstatus_run = 1;
        delete_timer();
        loadstatus_timer = ecore_timer_add(1.0, _timer1_loadstatus_cb, nullptr);

        micom_send(" ");
        int ret = micom_send("REQ_STATUS_LOAD_STATUS");
        LOGD("[%s:%d] vconf set VCONFKEY_REFRIGERATOR_TX_MESSAGE : %d", __func__, __LINE__, ret);
        raise_block();
    }

    LOGD("_loadstatus_run = %d", _loadstatus_run);
    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

Eina_Bool _timer1_loadstatus_cb(void *)
try {
    if (!_loadstatus_run) {
        lift_block();
        loadstatus_timer = nullptr;
        return ECORE_CALLBACK_CANCEL;
    }

    std::optional<std::string> status = key_get_str(VCONFKEY_REFRIGERATOR_LOAD_STATUS);
    if (!status)
        LOGE("Fail to get VCONFKEY_REFRIGERATOR_LOAD_STATUS");
    std::string value = cut_text(status ? status->c_str() : "", LOAD_VALUE_MAX);
    LOGD("%s", value.c_str());

    /* The language is read at every tick: a switch shows at the next one. */
    bool korean = is_korean_language();

    append_entry_data("=== LOAD STATUS - STARTED ===", 1);
    write_load_names(value, korean);

    set_time_text(std::to_string(LOAD_STATUS_TICKS - 1 - loadstatus_tick).c_str());
    loadstatus_tick++;

    if (loadstatus_tick > LOAD_STATUS_TICKS - 1) {
        append_entry_data("=== LOAD STATUS - FINISHED ===", 0);
        freeze_timer();
        _loadstatus_run = 0;
        loadstatus_tick = 0;
        lift_block();
        set_time_text("-");
    }
    return ECORE_CALLBACK_RENEW;
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return ECORE_CALLBACK_RENEW;
}
