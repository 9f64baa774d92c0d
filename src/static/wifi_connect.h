/*
 * What the Connect button of the static IP screen starts: soft-AP check,
 * Wi-Fi activation, the search for the typed access point, its static
 * configuration and the connection; and the Wi-Fi state callbacks.
 */
#ifndef EM_WIFI_CONNECT_H
#define EM_WIFI_CONNECT_H

#include <Elementary.h>
#include <softap.h>
#include <wifi.h>

#include "static/static_ip_data.h"

/* Connect pressed; data is the record. */
void _wifi_connect_btn_cb(void *data, Evas_Object *obj, void *event_info);
/* The soft AP reports itself off; user_data is the record. */
void _init_softap_diabled_after(softap_error_e result, softap_disabled_cause_e cause,
                                void *user_data);
/* Activation (when needed), progress popup, scan request and the walk over
 * the access points the library knows. */
void check_wifi_and_activate(static_ip_appdata *ad);

void _activated_cb(wifi_error_e result, void *user_data);
void _scan_complete_cb(wifi_error_e error_code, void *user_data);
/* Per known access point; true to go on with the next one. */
bool _ap_found_cb(wifi_ap_h ap, void *user_data);
void _wifi_connected_cb(wifi_error_e result, void *user_data);

/* The library's state callbacks (registered by static_ip_cb); they log. */
void device_state_cb(wifi_device_state_e state, void *user_data);
void bg_scan_completed_cb(wifi_error_e error_code, void *user_data);
void connection_state_cb(wifi_connection_state_e state, wifi_ap_h ap, void *user_data);
void rssi_level_cb(wifi_rssi_level_e rssi_level, void *user_data);

#endif
