/*
 * Helpers shared by the diagnostic screens: button, one-second timers, text
 * parts of the test view, blocking overlay, cut key texts.
 *
 * No state of its own: the timers and cut notices belong to the screens that
 * pass them in.
 * Reads the keys the screens name; writes the test view's text parts and the
 * blocking overlay.
 */
#include "screen_util.h"

#include <app_i18n.h>

#include "common.h"
#include "log.h"
#include "main.h"

Evas_Object *screen_button_add(const char *label_id, int x, int y, Evas_Smart_Cb clicked)
{
    Evas_Object *btn =
        add_menu_button(appdata_get_layout(), "basic", i18n_get_text(label_id), x, y, 210, 60);
    RETV_IF(NULL == btn, nullptr);
    evas_object_show(btn);
    evas_object_smart_callback_add(btn, "clicked", clicked, nullptr);
    return btn;
}

void screen_timer_renew(Ecore_Timer *&timer, Ecore_Task_Cb cb, bool frozen)
{
    screen_timer_delete(timer);
    timer = ecore_timer_add(1.0, cb, nullptr);
    if (frozen)
        screen_timer_freeze(timer);
}

/* Freezes nest and the freeze state reads false after the first thaw of a
 * twice-frozen timer, so a timer is frozen at most once. Nothing thaws one:
 * every start makes a fresh timer. */
void screen_timer_freeze(Ecore_Timer *timer)
{
    if (timer && !ecore_timer_freeze_get(timer))
        ecore_timer_freeze(timer);
}

void screen_timer_delete(Ecore_Timer *&timer)
{
    if (timer) {
        ecore_timer_del(timer);
        timer = nullptr;
    }
}

Eina_Bool screen_timer_end(Ecore_Timer *&timer)
{
    timer = nullptr;
    return ECORE_CALLBACK_CANCEL;
}

void screen_text_set(const char *part, const char *text)
{
    Evas_Object *edje = appdata_get_edje();
    if (edje)
        elm_object_part_text_set(edje, part, keep_hangul_words(text ? text : "").c_str());
}

void screen_time_set(int count)
{
    screen_text_set("time", std::to_string(count).c_str());
}

void screen_time_set(const char *text)
{
    screen_text_set("time", text);
}

void screen_block(void)
{
    Evas_Object *block = appdata_get_block_edje();
    if (!block)
        return;
    edje_object_signal_emit(elm_layout_edje_get(block), "event,disable", "bg");
    evas_object_raise(block);
    evas_object_show(block);
}

void screen_unblock(void)
{
    Evas_Object *block = appdata_get_block_edje();
    if (!block)
        return;
    edje_object_signal_emit(elm_layout_edje_get(block), "event,enable", "bg");
    evas_object_hide(block);
}

std::string screen_key_text(const char *key, std::size_t max_chars, const char *fallback,
                            cut_notice &notice)
{
    std::optional<std::string> value = key_get_str(key);
    if (!value) {
        LOGE("Fail to get %s", key);
        return cut_text(fallback, max_chars);
    }
    if (value->size() > max_chars && !notice.logged) {
        notice.logged = true;
        LOGD("%s: value of %zu bytes cut to %zu (said once per run)", key, value->size(),
             max_chars);
    }
    return cut_text(value->c_str(), max_chars);
}
