/*
 * Small helpers that the diagnostic screens of the test view share: their
 * button, their one-second timer, the test view's text parts, the blocking
 * overlay and key texts cut to the size of a screen's buffer.
 */
#ifndef EM_SCREEN_UTIL_H
#define EM_SCREEN_UTIL_H

#include <Elementary.h>

#include <cstddef>
#include <string>

/* A screen's button on the test view: style "basic", 210 x 60 at (x, y), the
 * label looked up in the catalogue, shown, "clicked" connected. NULL (logged)
 * when it could not be made. */
Evas_Object *screen_button_add(const char *label_id, int x, int y, Evas_Smart_Cb clicked);

/* Deletes the timer if there is one and puts a new 1.0 s timer with cb in
 * its place, frozen at once when frozen is true. */
void screen_timer_renew(Ecore_Timer *&timer, Ecore_Task_Cb cb, bool frozen);
/* Freezes the timer unless it is frozen already (or absent). */
void screen_timer_freeze(Ecore_Timer *timer);
/* Deletes the timer if there is one and forgets it. */
void screen_timer_delete(Ecore_Timer *&timer);
/* For the timer's own callback when it ends the timer: forgets the handle and
 * returns ECORE_CALLBACK_CANCEL, with which Ecore deletes it. */
Eina_Bool screen_timer_end(Ecore_Timer *&timer);

/* Text part of the test view's layout; nothing when there is no test view.
 * Korean words in the text stay whole where the part wraps. */
void screen_text_set(const char *part, const char *text);
/* The countdown part "time": a number, or a text such as "-". */
void screen_time_set(int count);
void screen_time_set(const char *text);

/* Block and lift the blocking overlay as block_view and unblock_view do,
 * without their trace lines. */
void screen_block(void);
void screen_unblock(void);

/* Whether a screen's run has said that a value it read was cut: one line
 * per run, however many ticks read the value. A run's start resets it. */
struct cut_notice {
    bool logged = false;
};

/* A string key cut to at most max_chars bytes; fallback (and a log line) when
 * it can't be read. A longer value is logged (debug) with its length, once
 * per run as notice records. */
std::string screen_key_text(const char *key, std::size_t max_chars, const char *fallback,
                            cut_notice &notice);

#endif
