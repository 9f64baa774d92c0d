/*
 * App control: launch requests between applications (desktop stand-in).
 *
 * A request carries an operation, a URI and a target application ID. On the
 * desktop, sending a request to an application ID runs the executable
 * registered for that ID as PANEL_PLATFORM_DIR/apps/ID (a file or symlink)
 * with "--operation OP --uri URI", and records it as running
 * (PANEL_PLATFORM_DIR/run/apps/ID.pid).
 */
#ifndef PANEL_APP_CONTROL_H
#define PANEL_APP_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct app_control_s *app_control_h;

#define APP_CONTROL_OPERATION_DEFAULT "panel.appcontrol.operation.DEFAULT"
#define APP_CONTROL_OPERATION_VIEW "panel.appcontrol.operation.VIEW"

typedef enum {
    APP_CONTROL_ERROR_NONE = 0,
    APP_CONTROL_ERROR_INVALID_PARAMETER = -22,
    APP_CONTROL_ERROR_OUT_OF_MEMORY = -12,
    APP_CONTROL_ERROR_APP_NOT_FOUND = -0x01100000 | 0x21,
    APP_CONTROL_ERROR_LAUNCH_FAILED = -0x01100000 | 0x23,
} app_control_error_e;

typedef enum {
    APP_CONTROL_RESULT_APP_STARTED = 1,
    APP_CONTROL_RESULT_SUCCEEDED = 0,
    APP_CONTROL_RESULT_FAILED = -1,
    APP_CONTROL_RESULT_CANCELED = -2,
} app_control_result_e;

typedef void (*app_control_reply_cb)(app_control_h request, app_control_h reply,
                                     app_control_result_e result, void *user_data);

int app_control_create(app_control_h *app_control);
int app_control_destroy(app_control_h app_control);
int app_control_set_operation(app_control_h app_control, const char *operation);
/* Getters hand out a malloc'ed copy (NULL when unset); the caller frees it. */
int app_control_get_operation(app_control_h app_control, char **operation);
int app_control_set_uri(app_control_h app_control, const char *uri);
int app_control_get_uri(app_control_h app_control, char **uri);
int app_control_set_app_id(app_control_h app_control, const char *app_id);
int app_control_get_app_id(app_control_h app_control, char **app_id);
/* Launches the target application. The reply callback, when given, is
 * called later on the main loop with APP_CONTROL_RESULT_APP_STARTED. */
int app_control_send_launch_request(app_control_h app_control,
                                    app_control_reply_cb callback, void *user_data);

#ifdef __cplusplus
}
#endif

#endif
