/*
 * UI extension: hardware back and more keys (desktop stand-in).
 *
 * Back is Escape or BackSpace, more is Menu or F2, pressed on the window.
 * The key is taken before Elementary sees it (so the naviframe's own
 * Escape binding never runs) and handed to one callback: the newest
 * registration of that type whose object is visible. One press runs one
 * callback. Registrations end with their object.
 */
#ifndef PANEL_EFL_EXTENSION_H
#define PANEL_EFL_EXTENSION_H

#include <Evas.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    EEXT_CALLBACK_BACK,
    EEXT_CALLBACK_MORE,
    EEXT_CALLBACK_LAST
} Eext_Callback_Type;

typedef void (*Eext_Event_Cb)(void *data, Evas_Object *obj, void *event_info);

void eext_object_event_callback_add(Evas_Object *obj, Eext_Callback_Type type,
                                    Eext_Event_Cb func, void *data);
/* Removes the registration and returns its data, or NULL. */
void *eext_object_event_callback_del(Evas_Object *obj, Eext_Callback_Type type,
                                     Eext_Event_Cb func);

/* Ready-made back handler that deletes a popup. */
void eext_popup_back_cb(void *data, Evas_Object *obj, void *event_info);

/* Dispatches one back or more press as a key press would. Returns 1 when a
 * callback ran. Used by the key filter and by tests. */
int eext_dispatch(Eext_Callback_Type type);

#ifdef __cplusplus
}
#endif

#endif
