/*
 * Shared between the app framework stand-in's own files.
 */
#ifndef PANEL_APPFW_INTERNAL_H
#define PANEL_APPFW_INTERNAL_H

#include <string>

#include "app_control.h"

namespace appfw {

/* Key through which a running application receives later launch requests:
 * "memory/private/appfw/ID/request", value "OPERATION\nURI". */
std::string request_key(const std::string &app_id);
/* PANEL_PLATFORM_DIR/run/apps/ID.pid */
std::string pid_file(const std::string &app_id);
/* Records pid as the running instance of the application. */
void record_running(const std::string &app_id, int pid);
/* Pid recorded for the application when that process is alive, else 0. */
int running_pid(const std::string &app_id);
/* Starts the executable registered for the application (PLATFORM_DIR/apps/ID)
 * with the request and records it as running. Returns its pid, or a negative
 * app_control error (logged). */
int launch(const std::string &app_id, const char *operation, const char *uri);
/* Key through which a running application is asked to come to the front:
 * "memory/private/appfw/ID/open", an int (the asking process's pid). */
std::string open_key(const std::string &app_id);
/* Hands a request to a running application through its request key. */
int forward_request(const std::string &app_id, const char *operation, const char *uri);
/* Installs the key filter that turns back/more presses into callbacks. */
void eext_install_key_filter();
void eext_remove_key_filter();

}  // namespace appfw

#endif
