/*
 * Record of the static IP Wi-Fi screen, embedded in the application record
 * (one per process, zero-filled at start).
 */
#ifndef EM_STATIC_IP_DATA_H
#define EM_STATIC_IP_DATA_H

#include <Elementary.h>
#include <softap.h>

/* Outcome of the search for the typed access point, read when the scan that
 * the Connect press requested completes. */
enum {
    AP_STATE_NOT_FOUND = 0,   /* before every search: no access point matched */
    AP_STATE_SETTING = -1,    /* matched; being configured */
    AP_STATE_FAILED = -2,     /* configuring or the connect request failed; told */
    AP_STATE_CONNECTING = 1,  /* connect requested; its result tells the rest */
};

struct static_ip_appdata {
    Evas_Object *navi;     /* the application's naviframe (copy of appdata's nf) */
    Evas_Object *box;
    Evas_Object *scroller; /* content of the screen's naviframe item; NULL when closed */
    Evas_Object *popup;    /* the tracked (progress) popup, or NULL */
    Evas_Object *entry_ssid;
    Evas_Object *entry_password;
    Evas_Object *entry_ip;
    Evas_Object *entry_subnet;
    Evas_Object *entry_gateway;
    Evas_Object *entry_dns1;
    Evas_Object *entry_dns2;
    /* The texts below are malloc'ed and owned by the record: found_ssid from
     * wifi_ap_get_essid, the seven form texts as plain text (the entries
     * hold markup), taken when Connect is pressed. */
    char *found_ssid;
    char *ssid;
    char *password;
    char *ip;
    char *subnet;
    char *gateway;
    char *dns1;
    char *dns2;
    softap_h softap;       /* made anew on each press; destroyed at termination */
    int ap_state;
};

#endif
