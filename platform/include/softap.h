/*
 * Soft access point (desktop stand-in). Whether the soft AP is on is the
 * key "memory/softap/enabled" (bool) of the key store, so that people and
 * tests can set it.
 */
#ifndef PANEL_SOFTAP_H
#define PANEL_SOFTAP_H

#include <stdbool.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct softap_s *softap_h;

typedef enum {
    SOFTAP_ERROR_NONE = 0,
    SOFTAP_ERROR_INVALID_PARAMETER = -22,
    SOFTAP_ERROR_OUT_OF_MEMORY = -12,
    SOFTAP_ERROR_OPERATION_FAILED = -0x01C00000 | 0x0501,
} softap_error_e;

typedef enum {
    SOFTAP_DISABLED_BY_FLIGHT_MODE = 0,
    SOFTAP_DISABLED_BY_LOW_BATTERY,
    SOFTAP_DISABLED_BY_NETWORK_CLOSE,
    SOFTAP_DISABLED_BY_OTHERS,
    SOFTAP_DISABLED_BY_TIMEOUT,
    SOFTAP_DISABLED_BY_REQUEST,
    SOFTAP_DISABLED_BY_WIFI_ON,
} softap_disabled_cause_e;

typedef void (*softap_disabled_cb)(softap_error_e result, softap_disabled_cause_e cause,
                                   void *user_data);

int softap_create(softap_h *softap);
/* Accepts NULL (returns SOFTAP_ERROR_INVALID_PARAMETER). */
int softap_destroy(softap_h softap);
int softap_is_enabled(softap_h softap, bool *enable);
int softap_disable(softap_h softap);
int softap_set_disabled_cb(softap_h softap, softap_disabled_cb callback, void *user_data);
int softap_unset_disabled_cb(softap_h softap);

#ifdef __cplusplus
}
#endif

#endif
