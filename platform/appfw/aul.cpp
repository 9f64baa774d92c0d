/*
 * Application utility library stand-in: the running-application record of
 * app control, read through appfw::running_pid, and the "open" request that
 * a running application's ui_app_main watches (appfw::open_key).
 * No state of its own. Logs failures with tag "AUL".
 */
#include <aul.h>
#include <app_control.h>
#include <dlog.h>
#include <unistd.h>
#include <vconf.h>

#include <string>

#include "appfw_internal.h"

namespace {

constexpr const char *TAG = "AUL";

/* IDs name files and keys: no path separators, no hidden names. */
bool valid_id(const char *appid)
{
    return appid && *appid && *appid != '.' && std::string(appid).find('/') == std::string::npos;
}

}  // namespace

namespace appfw {

std::string open_key(const std::string &app_id)
{
    return "memory/private/appfw/" + app_id + "/open";
}

}  // namespace appfw

extern "C" int aul_app_is_running(const char *appid)
{
    if (!valid_id(appid))
        return 0;
    return appfw::running_pid(appid) > 0 ? 1 : 0;
}

extern "C" int aul_open_app(const char *appid)
{
    if (!valid_id(appid)) {
        dlog_print(DLOG_ERROR, TAG, "aul_open_app without a valid application ID");
        return AUL_R_EINVAL;
    }
    int pid = appfw::running_pid(appid);
    if (pid <= 0) {
        int launched = appfw::launch(appid, APP_CONTROL_OPERATION_DEFAULT, nullptr);
        return launched > 0 ? launched : AUL_R_ERROR;
    }
    if (vconf_set_int(appfw::open_key(appid).c_str(), (int)getpid()) != VCONF_OK) {
        dlog_print(DLOG_ERROR, TAG, "cannot reach %s", appid);
        return AUL_R_ERROR;
    }
    return pid;
}
