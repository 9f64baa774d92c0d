/*
 * App control stand-in: launch requests (operation, URI, target ID).
 *
 * Sending a request to an application ID either hands it to the running
 * instance (through the instance's request key, which its ui_app_main
 * watches) or starts the executable registered as
 * PANEL_PLATFORM_DIR/apps/ID with "--operation OP --uri URI" and records the
 * child's pid in PANEL_PLATFORM_DIR/run/apps/ID.pid. A reply callback, when
 * given, runs later on the main loop, never inside the call.
 */
#include <app_control.h>
#include <dlog.h>
#include <vconf.h>
#include <vconf_store.h>

#include <Ecore.h>
#include <fcntl.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "appfw_internal.h"

struct app_control_s {
    std::string operation;
    bool has_operation = false;
    std::string uri;
    bool has_uri = false;
    std::string app_id;
};

namespace {

constexpr const char *TAG = "APP_CONTROL";

struct pending_reply {
    app_control_h request;
    app_control_reply_cb cb;
    void *user_data;
};

int copy_out(bool has, const std::string &value, char **out)
{
    if (!out)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    *out = nullptr;
    if (!has)
        return APP_CONTROL_ERROR_NONE;
    *out = strdup(value.c_str());
    return *out ? APP_CONTROL_ERROR_NONE : APP_CONTROL_ERROR_OUT_OF_MEMORY;
}

void mkdir_p(const std::string &dir)
{
    std::string path;
    for (size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || (dir[i] == '/' && i > 0)) {
            path = dir.substr(0, i);
            mkdir(path.c_str(), 0700);
        }
    }
}

void reply_job(void *data)
{
    std::unique_ptr<pending_reply> reply(static_cast<pending_reply *>(data));
    reply->cb(reply->request, nullptr, APP_CONTROL_RESULT_APP_STARTED, reply->user_data);
}


/* Starts exe in its own session as a grandchild (so that it is never left
 * as our zombie) and returns its pid, or -1. */
pid_t spawn_detached(const std::string &exe, const char *op, const char *uri)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (child == 0) {
        close(fds[0]);
        setsid();
        pid_t grandchild = fork();
        if (grandchild == 0) {
            close(fds[1]);
            if (uri)
                execl(exe.c_str(), exe.c_str(), "--operation", op, "--uri", uri, (char *)nullptr);
            else
                execl(exe.c_str(), exe.c_str(), "--operation", op, (char *)nullptr);
            _exit(127);
        }
        ssize_t ignored = write(fds[1], &grandchild, sizeof grandchild);
        (void)ignored;
        _exit(0);
    }
    close(fds[1]);
    pid_t pid = -1;
    if (read(fds[0], &pid, sizeof pid) != (ssize_t)sizeof pid)
        pid = -1;
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return pid;
}

}  // namespace

namespace appfw {

std::string request_key(const std::string &app_id)
{
    return "memory/private/appfw/" + app_id + "/request";
}

std::string pid_file(const std::string &app_id)
{
    return std::string(vconf_store_dir()) + "/run/apps/" + app_id + ".pid";
}

void record_running(const std::string &app_id, int pid)
{
    std::string file = pid_file(app_id);
    mkdir_p(file.substr(0, file.rfind('/')));
    /* Written beside and renamed over: a reader sees a whole record, and
     * whatever stood in its place (a FIFO would block the write) goes. */
    const std::string temp = file + ".tmp";
    std::ofstream(temp) << pid << "\n";
    if (::rename(temp.c_str(), file.c_str()) != 0)
        dlog_print(DLOG_ERROR, TAG, "cannot record %s: %s", file.c_str(), strerror(errno));
}

int running_pid(const std::string &app_id)
{
    /* Only a regular file is read: a FIFO in its place would block. */
    const std::string file = pid_file(app_id);
    int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat st;
    char text[32] = {};
    ssize_t n = 0;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        n = ::read(fd, text, sizeof text - 1);
    else
        dlog_print(DLOG_ERROR, TAG, "%s is not a regular file: ignored", file.c_str());
    ::close(fd);
    int pid = 0;
    if (n <= 0 || std::from_chars(text, text + n, pid).ec != std::errc() || pid <= 0)
        return 0;
    if (kill(pid, 0) != 0 && errno == ESRCH)
        return 0;
    return pid;
}

int launch(const std::string &app_id, const char *operation, const char *uri)
{
    std::string exe = std::string(vconf_store_dir()) + "/apps/" + app_id;
    if (access(exe.c_str(), X_OK) != 0) {
        dlog_print(DLOG_ERROR, TAG, "no application registered as %s", exe.c_str());
        return APP_CONTROL_ERROR_APP_NOT_FOUND;
    }
    pid_t pid = spawn_detached(exe, operation, uri);
    if (pid <= 0) {
        dlog_print(DLOG_ERROR, TAG, "could not start %s", exe.c_str());
        return APP_CONTROL_ERROR_LAUNCH_FAILED;
    }
    record_running(app_id, pid);
    dlog_print(DLOG_INFO, TAG, "launched %s (pid %d)", app_id.c_str(), (int)pid);
    return pid;
}

int forward_request(const std::string &app_id, const char *operation, const char *uri)
{
    std::string value = std::string(operation ? operation : "") + "\n" + (uri ? uri : "");
    if (vconf_set_str(request_key(app_id).c_str(), value.c_str()) != VCONF_OK)
        return APP_CONTROL_ERROR_LAUNCH_FAILED;
    return APP_CONTROL_ERROR_NONE;
}

}  // namespace appfw

int app_control_create(app_control_h *app_control)
{
    if (!app_control)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    auto handle = std::make_unique<app_control_s>();
    *app_control = handle.release();
    return APP_CONTROL_ERROR_NONE;
}

int app_control_destroy(app_control_h app_control)
{
    if (!app_control)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    std::unique_ptr<app_control_s> owner(app_control);
    return APP_CONTROL_ERROR_NONE;
}

int app_control_set_operation(app_control_h app_control, const char *operation)
{
    if (!app_control)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    app_control->has_operation = operation != nullptr;
    app_control->operation = operation ? operation : "";
    return APP_CONTROL_ERROR_NONE;
}

int app_control_get_operation(app_control_h app_control, char **operation)
{
    if (!app_control)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    return copy_out(app_control->has_operation, app_control->operation, operation);
}

int app_control_set_uri(app_control_h app_control, const char *uri)
{
    if (!app_control)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    app_control->has_uri = uri != nullptr;
    app_control->uri = uri ? uri : "";
    return APP_CONTROL_ERROR_NONE;
}

int app_control_get_uri(app_control_h app_control, char **uri)
{
    if (!app_control)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    return copy_out(app_control->has_uri, app_control->uri, uri);
}

int app_control_set_app_id(app_control_h app_control, const char *app_id)
{
    if (!app_control || !app_id || !*app_id)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    app_control->app_id = app_id;
    return APP_CONTROL_ERROR_NONE;
}

int app_control_get_app_id(app_control_h app_control, char **app_id)
{
    if (!app_control)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    return copy_out(!app_control->app_id.empty(), app_control->app_id, app_id);
}

int app_control_send_launch_request(app_control_h app_control, app_control_reply_cb callback,
                                    void *user_data)
{
    if (!app_control || app_control->app_id.empty() ||
        app_control->app_id.find('/') != std::string::npos || app_control->app_id[0] == '.') {
        dlog_print(DLOG_ERROR, TAG, "launch request without a valid application ID");
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    }
    const std::string &id = app_control->app_id;
    const char *op = app_control->has_operation ? app_control->operation.c_str()
                                                : APP_CONTROL_OPERATION_DEFAULT;
    const char *uri = app_control->has_uri ? app_control->uri.c_str() : nullptr;

    int ret = appfw::running_pid(id) > 0 ? appfw::forward_request(id, op, uri)
                                          : appfw::launch(id, op, uri);
    if (ret < 0)
        return ret;

    if (callback) {
        auto reply = std::make_unique<pending_reply>(pending_reply{app_control, callback, user_data});
        ecore_job_add(reply_job, reply.release());
    }
    return APP_CONTROL_ERROR_NONE;
}
