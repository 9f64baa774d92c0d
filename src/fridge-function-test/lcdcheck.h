/*
 * LCD check: backlight check and pixel check of the panel's own display.
 */
#ifndef EM_LCDCHECK_H
#define EM_LCDCHECK_H

#include <Elementary.h>

void init_backlightcheck(void);
void init_pixelcheck(void);
/* Deletes the backlight cycle's timer (termination). */
void delete_backlight(void);

void _btn_backlightcheck_cb(void *timer, Evas_Object *obj, void *event_info);
void _btn_pixelcheck_cb(void *data, Evas_Object *obj, void *event_info);
/* One step of the cycle 0, max / 3, 2 max / 3, max; keeps the timer. */
Eina_Bool backlight_step_cb(void *data);

#endif
