/*
 * Application utility library (desktop stand-in): whether an application
 * runs, and bringing it to the front.
 *
 * Works on the record of running applications that app control keeps
 * (PANEL_PLATFORM_DIR/run/apps/ID.pid, written when an application starts
 * through ui_app_main or is launched by app control; an entry whose process
 * is gone counts as not running).
 */
#ifndef PANEL_AUL_H
#define PANEL_AUL_H

#ifdef __cplusplus
extern "C" {
#endif

#define AUL_R_OK 0
#define AUL_R_ERROR (-1)
#define AUL_R_EINVAL (-4)

/* 1 when the application runs, 0 when it does not or the ID is not a valid
 * application ID. */
int aul_app_is_running(const char *appid);

/* Brings a running application to the front: its framework raises and
 * activates its windows and calls its resume callback, on its main loop,
 * soon after this call returns. An application that does not run is
 * launched as app control launches it (operation
 * APP_CONTROL_OPERATION_DEFAULT). Returns the application's pid, AUL_R_EINVAL
 * for an invalid ID, or AUL_R_ERROR when it could not be reached or
 * started. */
int aul_open_app(const char *appid);

#ifdef __cplusplus
}
#endif

#endif
