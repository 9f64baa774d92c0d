/*
 * Record of the static IP Wi-Fi screen, embedded in the application record.
 */
#ifndef EM_STATIC_IP_DATA_H
#define EM_STATIC_IP_DATA_H

#include <Elementary.h>
#include <softap.h>

struct static_ip_appdata {
    Evas_Object *navi;
    softap_h softap;
};

#endif
