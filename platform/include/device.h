/*
 * Device library (desktop stand-in): display brightness, the micom's
 * firmware version and the LCD panel's power measurement.
 *
 * The state lives in the key store of the platform directory (keys under
 * db/device/ and memory/device/) and a brightness history file, so that
 * people (panel-keys), tests and other processes set and see it; the
 * README's "Device library" lists them. Each call can be made to fail with
 * a chosen code. Only display 0 exists. Every function may be called from
 * any thread.
 */
#ifndef PANEL_DEVICE_H
#define PANEL_DEVICE_H

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    DEVICE_ERROR_NONE = 0,
    DEVICE_ERROR_OPERATION_FAILED = -1,
    DEVICE_ERROR_INVALID_PARAMETER = -22,
    DEVICE_ERROR_NOT_SUPPORTED = -95,
} device_error_e;

/* Maximum brightness of the display into *max_brightness. Returns
 * DEVICE_ERROR_NONE, or an error with *max_brightness untouched. */
int device_get_max_brightness(int display_index, int *max_brightness);

/* Sets the display's brightness, 0 to its maximum. Returns
 * DEVICE_ERROR_NONE, DEVICE_ERROR_INVALID_PARAMETER for another display or
 * a value out of range, or another error. */
int device_set_brightness(int display_index, int brightness);

/* The micom's firmware version into *version. Returns DEVICE_ERROR_NONE, or
 * an error (DEVICE_ERROR_NOT_SUPPORTED when none is known) with *version
 * untouched. */
int device_get_micom_version(int *version);

/* The LCD panel's present power draw in hundredths of a watt (1520 is
 * 15.20 W), greater than 0; a negative error code when it cannot be
 * measured. */
int device_get_power_measurement_value(void);

#ifdef __cplusplus
}
#endif

#endif
