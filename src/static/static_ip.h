/*
 * Static IP Wi-Fi screen.
 */
#ifndef EM_STATIC_IP_H
#define EM_STATIC_IP_H

#include <Elementary.h>

void static_ip_cb(void *data, Evas_Object *obj, void *event_info);

#endif
