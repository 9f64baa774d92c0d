/*
 * Device library (desktop stand-in): display brightness, the micom's
 * firmware version and the LCD panel's power measurement.
 *
 * The state lives in the key store of the platform directory, so that
 * people (panel-keys), tests and other processes set and see it:
 *   db/device/display0/max_brightness   int, display 0's maximum (default 100)
 *   memory/device/display0/brightness   int, the brightness last set
 *   db/device/micom_version             int, the micom's version; absent:
 *                                       the call reports DEVICE_ERROR_NOT_SUPPORTED
 *   memory/device/lcd_power             int, a fixed power reading in
 *                                       hundredths of a watt; absent: a
 *                                       simulated reading that follows the
 *                                       brightness and varies over time
 *   memory/device/fail/FUNCTION         int, when non-zero FUNCTION returns
 *                                       it instead of doing its work
 * Every accepted device_set_brightness also appends one line
 * "SECONDS DISPLAY VALUE" (SECONDS since the epoch, with milliseconds) to
 * PLATFORM_DIR/run/device/brightness.history.
 *
 * Only display 0 exists. Every function may be called from any thread.
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
