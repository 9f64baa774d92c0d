/*
 * Static IP Wi-Fi screen: the form, the subsystem's message popup, the form
 * check and the Wi-Fi error names.
 */
#ifndef EM_STATIC_IP_H
#define EM_STATIC_IP_H

#include <Elementary.h>

#include <string>

#include "static/static_ip_data.h"
#include "static/wifi_error.h"

/* Main-menu entry: builds and pushes the screen (data: the record) and
 * initialises Wi-Fi; when that fails, tells so and pops the screen again. */
void static_ip_cb(void *data, Evas_Object *obj, void *event_info);
/* Back key while the screen is open: deinitialises Wi-Fi, closes the
 * progress popup, pops the screen. */
void naviframe_back_cb(void *data, Evas_Object *obj, void *event_info);

/* A label "<font_size=30>TEXT</font_size>" (cut to 127 bytes) at the end of
 * box; Korean words stay whole (keep_hangul_words). */
void create_label(Evas_Object *box, const char *text);
/* One form field at the end of box, its entry stored in *entry_slot. guide
 * "ssid": plain; "password": masked; anything else: IP keypad. */
void create_entry(Evas_Object *box, Evas_Object **entry_slot, const char *guide);
void add_bottom_padding(static_ip_appdata *ad);

/* Deletes the tracked popup, if any, and shows text in a new popup on the
 * naviframe that deletes itself after timeout seconds; Korean words of the
 * text stay whole where it wraps. Returns it (not tracked), or NULL without
 * a record. */
Evas_Object *add_popup(static_ip_appdata *ad, const char *text, int timeout);
/* Makes popup the tracked one (forgotten when it goes). */
void track_popup(static_ip_appdata *ad, Evas_Object *popup);

/* Puts the seven entries' texts, as plain text, into the record's text
 * fields (an entry that is gone gives ""). */
void take_form_texts(static_ip_appdata *ad);
/* True when name, IP address, subnet mask and gateway are not empty. */
bool check_entry(static_ip_appdata *ad);

/* The name for a log line: wifi_error_disp's, or "unnamed error 0x%08X". */
std::string wifi_error_text(int error);

#endif
