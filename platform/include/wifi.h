/*
 * Wi-Fi client library of the panel platform (desktop stand-in).
 *
 * The radio is simulated: its state (whether Wi-Fi is on, the access points
 * in range, how connections end, errors chosen for single calls) lives under
 * the platform directory and is set by the tool panel-wifi and by tests
 * (wifi_radio.h). Several processes share it.
 *
 * Every asynchronous result (activation, scan, connection, the state
 * callbacks) arrives on the Ecore main loop of the calling process, later,
 * never inside the call that asked for it. The process must run the main
 * loop; wifi_initialize() initialises Ecore itself.
 *
 * Every function returns WIFI_ERROR_NONE (0) or a wifi_error_e value; a call
 * made before wifi_initialize() (or after wifi_deinitialize()) returns
 * WIFI_ERROR_INVALID_OPERATION.
 */
#ifndef PANEL_WIFI_H
#define PANEL_WIFI_H

#include <stdbool.h>

#ifdef __cplusplus
extern "C" {
#endif

/* General errors are negated POSIX error numbers; the Wi-Fi specific ones
 * are 0xFE3B0000 plus 0x301 to 0x309 (0x305 is unused). */
#define WIFI_ERROR_CLASS (-0x01C50000)

typedef enum {
    WIFI_ERROR_NONE = 0,
    WIFI_ERROR_INVALID_PARAMETER = -22,
    WIFI_ERROR_OUT_OF_MEMORY = -12,
    WIFI_ERROR_INVALID_OPERATION = -38,
    WIFI_ERROR_ADDRESS_FAMILY_NOT_SUPPORTED = -97,
    WIFI_ERROR_OPERATION_FAILED = WIFI_ERROR_CLASS | 0x0301,
    WIFI_ERROR_NO_CONNECTION = WIFI_ERROR_CLASS | 0x0302,
    WIFI_ERROR_NOW_IN_PROGRESS = -115,
    WIFI_ERROR_ALREADY_EXISTS = WIFI_ERROR_CLASS | 0x0303,
    WIFI_ERROR_OPERATION_ABORTED = WIFI_ERROR_CLASS | 0x0304,
    WIFI_ERROR_DHCP_FAILED = WIFI_ERROR_CLASS | 0x0306,
    WIFI_ERROR_INVALID_KEY = WIFI_ERROR_CLASS | 0x0307,
    WIFI_ERROR_NO_REPLY = WIFI_ERROR_CLASS | 0x0308,
    WIFI_ERROR_SECURITY_RESTRICTED = WIFI_ERROR_CLASS | 0x0309,
    WIFI_ERROR_PERMISSION_DENIED = -13,
    WIFI_ERROR_NOT_SUPPORTED = -0x3FFFFFFE, /* 0xC0000002 */
} wifi_error_e;

typedef enum {
    WIFI_DEVICE_STATE_DEACTIVATED = 0,
    WIFI_DEVICE_STATE_ACTIVATED = 1,
} wifi_device_state_e;

typedef enum {
    WIFI_CONNECTION_STATE_FAILURE = -1,
    WIFI_CONNECTION_STATE_DISCONNECTED = 0,
    WIFI_CONNECTION_STATE_ASSOCIATION = 1,
    WIFI_CONNECTION_STATE_CONFIGURATION = 2,
    WIFI_CONNECTION_STATE_CONNECTED = 3,
} wifi_connection_state_e;

/* Signal level of the connected access point: 0 (none) to 4 (strongest). */
typedef enum {
    WIFI_RSSI_LEVEL_0 = 0,
    WIFI_RSSI_LEVEL_1 = 1,
    WIFI_RSSI_LEVEL_2 = 2,
    WIFI_RSSI_LEVEL_3 = 3,
    WIFI_RSSI_LEVEL_4 = 4,
} wifi_rssi_level_e;

typedef enum {
    WIFI_ADDRESS_FAMILY_IPV4 = 0,
    WIFI_ADDRESS_FAMILY_IPV6 = 1,
} wifi_address_family_e;

typedef enum {
    WIFI_IP_CONFIG_TYPE_NONE = 0,
    WIFI_IP_CONFIG_TYPE_STATIC = 1,
    WIFI_IP_CONFIG_TYPE_DYNAMIC = 2,
} wifi_ip_config_type_e;

/* An access point as the library knows it. Handles belong to the library:
 * one handle per access point name for as long as the library stays
 * initialised, so settings made on it are kept until wifi_deinitialize(). */
typedef struct wifi_ap_s *wifi_ap_h;

typedef void (*wifi_activated_cb)(wifi_error_e result, void *user_data);
typedef void (*wifi_scan_finished_cb)(wifi_error_e error_code, void *user_data);
/* Return true to go on with the next access point, false to stop. */
typedef bool (*wifi_found_ap_cb)(wifi_ap_h ap, void *user_data);
typedef void (*wifi_connected_cb)(wifi_error_e result, void *user_data);
typedef void (*wifi_device_state_changed_cb)(wifi_device_state_e state, void *user_data);
typedef void (*wifi_connection_state_changed_cb)(wifi_connection_state_e state, wifi_ap_h ap,
                                                 void *user_data);
typedef void (*wifi_rssi_level_changed_cb)(wifi_rssi_level_e rssi_level, void *user_data);

/* WIFI_ERROR_INVALID_OPERATION when already initialised. */
int wifi_initialize(void);
/* Drops the registered callbacks and the results still on their way (the
 * radio itself finishes what it was asked); the access-point handles go. */
int wifi_deinitialize(void);

int wifi_is_activated(bool *activated);
/* Switches Wi-Fi on; the result reaches callback (and the device-state
 * callback) after the radio's activation time. WIFI_ERROR_ALREADY_EXISTS
 * when on, WIFI_ERROR_NOW_IN_PROGRESS while switching on. */
int wifi_activate(wifi_activated_cb callback, void *user_data);
/* Scans; when the scan ends every access point in range is known and
 * callback runs. Accepted while an activation is under way (the scan then
 * starts when Wi-Fi is on); WIFI_ERROR_INVALID_OPERATION when Wi-Fi is off. */
int wifi_scan(wifi_scan_finished_cb callback, void *user_data);
/* Calls callback at once, in the radio's order, for every access point the
 * library knows (none while Wi-Fi is off). */
int wifi_foreach_found_aps(wifi_found_ap_cb callback, void *user_data);
/* Connects with the settings made on ap. The connection-state callback
 * follows the connection (association, configuration, connected or
 * failure); the result reaches callback at its end. Connecting to the access
 * point that is connected already ends with WIFI_ERROR_ALREADY_EXISTS. */
int wifi_connect(wifi_ap_h ap, wifi_connected_cb callback, void *user_data);

/* *essid: a malloc'ed copy the caller frees. */
int wifi_ap_get_essid(wifi_ap_h ap, char **essid);
int wifi_ap_set_ip_config_type(wifi_ap_h ap, wifi_address_family_e address_family,
                               wifi_ip_config_type_e type);
/* Addresses are dotted-quad IPv4 texts (WIFI_ERROR_INVALID_PARAMETER
 * otherwise); IPv6 gives WIFI_ERROR_ADDRESS_FAMILY_NOT_SUPPORTED. */
int wifi_ap_set_ip_address(wifi_ap_h ap, wifi_address_family_e address_family,
                           const char *ip_address);
int wifi_ap_set_subnet_mask(wifi_ap_h ap, wifi_address_family_e address_family,
                            const char *subnet_mask);
int wifi_ap_set_gateway_address(wifi_ap_h ap, wifi_address_family_e address_family,
                                const char *gateway_address);
/* order: 1 or 2. */
int wifi_ap_set_dns_address(wifi_ap_h ap, int order, wifi_address_family_e address_family,
                            const char *dns_address);
int wifi_ap_is_passphrase_required(wifi_ap_h ap, bool *required);
/* Any text is taken (also the empty one); a wrong one shows when connecting
 * (WIFI_ERROR_INVALID_KEY). */
int wifi_ap_set_passphrase(wifi_ap_h ap, const char *passphrase);

/* One callback of each kind; setting again replaces it. They report what
 * happens to the radio, also when another process (panel-wifi) changes it. */
int wifi_set_device_state_changed_cb(wifi_device_state_changed_cb callback, void *user_data);
int wifi_unset_device_state_changed_cb(void);
int wifi_set_background_scan_cb(wifi_scan_finished_cb callback, void *user_data);
int wifi_unset_background_scan_cb(void);
int wifi_set_connection_state_changed_cb(wifi_connection_state_changed_cb callback,
                                         void *user_data);
int wifi_unset_connection_state_changed_cb(void);
int wifi_set_rssi_level_changed_cb(wifi_rssi_level_changed_cb callback, void *user_data);
int wifi_unset_rssi_level_changed_cb(void);

#ifdef __cplusplus
}
#endif

#endif
