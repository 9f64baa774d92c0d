/*
 * Log box: the read-only, scrolling text area of the refrigerator test view
 * where the screens write what they send and what they get back.
 *
 * State: the entry, its box layout (monitor.edj, group "logbox_grp"), the
 * date text taken at creation and the name of the TX/RX log file the entry
 * is bound to. Autosave is off, so the file is only ever read (its text, if
 * it exists, becomes the initial text) and never written.
 *
 * What the screens write in one turn of the main loop goes into the entry at
 * once, at the end of that turn (a job, before the frame is drawn): the
 * entry lays its whole text out again for every change, so a tick writing a
 * hundred lines would lay it out a hundred times. Reading the entry through
 * entry_monitor_get_entry() takes in what is pending first. Appended texts
 * keep their Korean words whole when a line wraps (keep_hangul_words). No
 * timers.
 */
#include "entry_monitor.h"

#include <string>

#include "common.h"
#include "log.h"
#include "main.h"

namespace {

Evas_Object *g_entry = nullptr;
Evas_Object *g_box_layout = nullptr;
int g_file_number = 0;
char g_date[28];
std::string g_file_name;

/* Written since the last flush, and whether the box is emptied before it. */
struct pending_text {
    std::string text;
    bool clear = false;
    Ecore_Job *job = nullptr;
};
pending_text g_pending;

constexpr std::size_t FILE_NAME_BUFFER_SIZE = 100;
constexpr const char *LOG_FILE_PREFIX = "/home/app/txrx_log_";
/* A word-wrapped, scrolling box never cuts its text, so it carries no
 * "ellipsis=1": with wrap=word this toolkit's text layout reads freed memory
 * when the box is refilled after the view was rebuilt (seen under valgrind
 * and as heap corruption on the third opening of the test view). */
constexpr const char *ENTRY_STYLE =
    "DEFAULT='font=Sans font_size=18 weight=Bold align=top style=plane,top_left color=#aaaaaa "
    "wrap=word'";

void drop_pending()
{
    if (g_pending.job)
        ecore_job_del(g_pending.job);
    g_pending = {};
}

void forget_entry_cb(void *, Evas *, Evas_Object *obj, void *)
{
    if (g_entry == obj) {
        g_entry = nullptr;
        drop_pending();
    }
}

/* Puts the pending text into the entry in one change and moves the cursor
 * (and so the view) to its end. */
void flush_pending()
{
    if (g_pending.job)
        ecore_job_del(g_pending.job);
    g_pending.job = nullptr;
    if (!g_entry || (!g_pending.clear && g_pending.text.empty()))
        return;
    if (g_pending.clear)
        elm_object_text_set(g_entry, "");
    elm_entry_entry_append(g_entry, g_pending.text.c_str());
    elm_entry_cursor_end_set(g_entry);
    g_pending.text.clear();
    g_pending.clear = false;
}

void flush_job(void *)
{
    g_pending.job = nullptr;
    flush_pending();
}

void append_pending(const char *text)
{
    g_pending.text += text ? text : "";
    if (!g_pending.job)
        g_pending.job = ecore_job_add(flush_job, nullptr);
}

void forget_box_cb(void *, Evas *, Evas_Object *obj, void *)
{
    if (g_box_layout == obj)
        g_box_layout = nullptr;
}

}  // namespace

int entry_monitor_create(void)
{
    LOGD("START");
    g_entry = nullptr;
    drop_pending();

    Evas *evas = evas_object_evas_get(appdata_get_win());
    RETV_IF(evas == NULL, 255);

    Evas_Object *layout = appdata_get_layout();
    g_box_layout = load_edj(layout, app_res_path("edje/monitor.edj").c_str(), "logbox_grp");
    if (g_box_layout) {
        evas_object_event_callback_add(g_box_layout, EVAS_CALLBACK_DEL, forget_box_cb, nullptr);
        evas_object_size_hint_weight_set(g_box_layout, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
        evas_object_size_hint_align_set(g_box_layout, EVAS_HINT_FILL, EVAS_HINT_FILL);
        evas_object_move(g_box_layout, 20, 80);
        /* The box is not swallowed anywhere: it takes the size its group
         * declares. */
        Evas_Coord w = 0, h = 0;
        edje_object_size_min_get(elm_layout_edje_get(g_box_layout), &w, &h);
        evas_object_resize(g_box_layout, w, h);
        evas_object_show(g_box_layout);
    }

    /* A read-only box needs no text-cursor shape. A cursor drawn from the
     * toolkit's theme leaves its hotspot rectangle on the canvas when the
     * entry is deleted, one per opening of the test view; the display's own
     * cursor leaves nothing. */
    Eina_Bool was_engine_only = elm_config_cursor_engine_only_get();
    elm_config_cursor_engine_only_set(EINA_TRUE);
    g_entry = elm_entry_add(layout);
    elm_config_cursor_engine_only_set(was_engine_only);
    evas_object_event_callback_add(g_entry, EVAS_CALLBACK_DEL, forget_entry_cb, nullptr);
    elm_entry_autosave_set(g_entry, EINA_FALSE);
    elm_entry_editable_set(g_entry, EINA_FALSE);
    elm_entry_context_menu_disabled_set(g_entry, EINA_TRUE);
    elm_entry_select_none(g_entry);
    if (g_box_layout)
        elm_object_part_content_set(g_box_layout, "logbox", g_entry);

    int length = get_current_date(g_date);
    if (length >= 1)
        g_file_name = format_cut(FILE_NAME_BUFFER_SIZE, "%s%s_%d%s", LOG_FILE_PREFIX, g_date,
                                 g_file_number, ".txt");
    else
        g_file_name = format_cut(FILE_NAME_BUFFER_SIZE, "%s%d%s", LOG_FILE_PREFIX, g_file_number,
                                 ".txt");
    elm_entry_file_set(g_entry, g_file_name.c_str(), ELM_TEXT_FORMAT_PLAIN_UTF8);

    evas_object_size_hint_weight_set(g_entry, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    evas_object_size_hint_align_set(g_entry, EVAS_HINT_FILL, EVAS_HINT_FILL);
    elm_entry_text_style_user_push(g_entry, ENTRY_STYLE);
    /* The scroller of style "logbox" (ref_theme.edj) is transparent: the
     * text stands on the box's console; the text part keeps the toolkit's. */
    elm_object_style_set(g_entry, "logbox");
    elm_scroller_bounce_set(g_entry, EINA_FALSE, EINA_TRUE);
    elm_entry_scrollable_set(g_entry, EINA_TRUE);
    LOGD("END");
    return 1;
}

void entry_monitor_show(void)
{
    if (g_entry)
        evas_object_show(g_entry);
}

void append_entry_data(const char *text, int clear)
{
    if (!g_entry)
        return;
    if (clear == 1) {
        g_pending.text.clear();
        g_pending.clear = true;
    }
    append_pending("<br>");
    append_pending(keep_hangul_words(text ? text : "").c_str());
}

void append_entry_data_no_br(const char *text)
{
    if (!g_entry)
        return;
    append_pending(keep_hangul_words(text ? text : "").c_str());
}

void delete_logbox(void)
{
    drop_pending();
    if (g_entry)
        evas_object_del(g_entry);
    if (g_box_layout)
        evas_object_del(g_box_layout);
    g_entry = nullptr;
    g_box_layout = nullptr;
}

Evas_Object *entry_monitor_get_entry(void)
{
    flush_pending();
    return g_entry;
}

const char *entry_monitor_file_name(void)
{
    return g_file_name.c_str();
}
