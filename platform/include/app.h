/*
 * UI application framework (desktop stand-in).
 *
 * ui_app_main() initialises Elementary, lays the platform theme over the
 * stock theme, calls create, hands the launch request to app_control, runs
 * the main loop, then calls terminate. The launch request is taken from the
 * command line as the panel's launcher would pass it:
 *     PROGRAM [--operation OP] [--uri URI]
 * With only --uri the operation is APP_CONTROL_OPERATION_VIEW; with neither,
 * APP_CONTROL_OPERATION_DEFAULT.
 */
#ifndef PANEL_APP_H
#define PANEL_APP_H

#include <stdbool.h>
#include "app_control.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef bool (*app_create_cb)(void *user_data);
typedef void (*app_pause_cb)(void *user_data);
typedef void (*app_resume_cb)(void *user_data);
typedef void (*app_terminate_cb)(void *user_data);
typedef void (*app_control_cb)(app_control_h app_control, void *user_data);

typedef struct {
    app_create_cb create;
    app_terminate_cb terminate;
    app_pause_cb pause;
    app_resume_cb resume;
    app_control_cb app_control;
} ui_app_lifecycle_callback_s;

typedef enum {
    APP_ERROR_NONE = 0,
    APP_ERROR_INVALID_PARAMETER = -22,
    APP_ERROR_INVALID_CONTEXT = -0x01100000 | 0x01,
    APP_ERROR_ALREADY_RUNNING = -0x01100000 | 0x02,
} app_error_e;

int ui_app_main(int argc, char **argv, ui_app_lifecycle_callback_s *callback, void *user_data);
void ui_app_exit(void);

/* Directory of the application's read-only resources, ending with "/"
 * (PANEL_APP_RESOURCE_DIR, else ../res/ beside the executable, else the
 * build-time default). Returns a malloc'ed copy the caller frees. */
char *app_get_resource_path(void);

/* Parses a launcher command line into a new app control (operation, URI).
 * Exposed for tests. Returns APP_CONTROL_ERROR_NONE or an error. */
int app_control_from_command_line(int argc, char **argv, app_control_h *out);

/* Adds the platform theme over the default theme: PANEL_PLATFORM_THEME,
 * else share/panel-platform/theme.edj beside the executable's bin/
 * directory, else the build-time one. Called by ui_app_main; exposed for
 * tests that build views without ui_app_main. Returns 1 when the theme file
 * was found and added. */
int app_platform_theme_apply(void);

/* Chooses the catalogue language from the panel language setting
 * ("db/menu_widget/language") and sets the process locale. Called by
 * ui_app_main before Elementary starts; exposed for tests. */
void app_platform_locale_apply(void);

#ifdef __cplusplus
}
#endif

#endif
