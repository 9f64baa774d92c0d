/*
 * Device settings screen.
 */
#ifndef EM_SETTING_H
#define EM_SETTING_H

#include <Elementary.h>

void setting_cb(void *data, Evas_Object *obj, void *event_info);

#endif
