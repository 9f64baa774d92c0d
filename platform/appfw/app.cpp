/*
 * UI application framework stand-in: the launcher and the lifecycle.
 *
 * ui_app_main() parses the launch request from the command line
 * ("--operation OP --uri URI"), and when an instance of the same
 * application already runs, hands the request to it and returns. Otherwise
 * it records this process as the running instance, initialises Elementary
 * with the platform theme and locale, calls create, app_control (the launch
 * request), resume, runs the main loop, then pause and terminate. Later
 * requests reach app_control through the instance's request key; a request
 * to come to the front (aul_open_app) raises the windows and calls resume.
 *
 * The application ID is PANEL_APP_ID from the environment, else the ID the
 * build gave (the application's manifest on the panel).
 */
#include <app.h>
#include <dlog.h>
#include <vconf.h>
#include <vconf_store.h>

#include <Efreet.h>
#include <Ecore_Evas.h>
#include <Elementary.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "appfw_internal.h"

namespace {

constexpr const char *TAG = "APP_FW";

ui_app_lifecycle_callback_s g_callbacks{};
void *g_user_data = nullptr;
std::string g_app_id;

struct control_deleter {
    void operator()(app_control_s *h) const { app_control_destroy(h); }
};
using control_ptr = std::unique_ptr<app_control_s, control_deleter>;

std::string app_id()
{
    const char *env = getenv("PANEL_APP_ID");
    if (env && *env)
        return env;
    return PANEL_APP_ID_DEFAULT;
}

void usage(const char *prog)
{
    fprintf(stderr, "usage: %s [--operation OPERATION] [--uri URI]\n", prog);
}

/* Later launch requests: "OPERATION\nURI" written by another launcher. */
void request_changed_cb(keynode_t *node, void *)
{
    const char *value = vconf_keynode_get_str(node);
    if (!value || !g_callbacks.app_control)
        return;
    std::string text(value);
    size_t nl = text.find('\n');
    std::string op = text.substr(0, nl);
    std::string uri = nl == std::string::npos ? "" : text.substr(nl + 1);
    app_control_h raw = nullptr;
    if (app_control_create(&raw) != APP_CONTROL_ERROR_NONE)
        return;
    control_ptr request(raw);
    app_control_set_operation(raw, op.c_str());
    if (nl != std::string::npos)
        app_control_set_uri(raw, uri.c_str());
    dlog_print(DLOG_INFO, TAG, "launch request: operation %s, uri %s", op.c_str(), uri.c_str());
    g_callbacks.app_control(raw, g_user_data);
}

/* PANEL_EXIT_AT_FIRST_FRAME=1 (start-up measurements): at the first frame
 * that any canvas of the process renders, "first-frame NANOSECONDS"
 * (CLOCK_MONOTONIC) goes to standard output and the main loop ends. */
void first_frame_cb(void *, Evas *, void *)
{
    static bool seen = false;
    if (seen)
        return;
    seen = true;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    printf("\nfirst-frame %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    fflush(stdout);
    elm_exit();
}

void exit_at_first_frame()
{
    const char *env = getenv("PANEL_EXIT_AT_FIRST_FRAME");
    if (!env || strcmp(env, "1") != 0)
        return;
    Eina_List *all = ecore_evas_ecore_evas_list_get();
    void *ee;
    EINA_LIST_FREE(all, ee)
        evas_event_callback_add(ecore_evas_get(static_cast<Ecore_Evas *>(ee)),
                                EVAS_CALLBACK_RENDER_POST, first_frame_cb, nullptr);
}

/* aul_open_app of another process: the panel brings the application's
 * windows to the front and resumes it. */
void open_requested_cb(keynode_t *, void *)
{
    Eina_List *all = ecore_evas_ecore_evas_list_get();
    void *data;
    EINA_LIST_FREE(all, data) {
        auto *ee = static_cast<Ecore_Evas *>(data);
        ecore_evas_show(ee);
        ecore_evas_raise(ee);
        ecore_evas_activate(ee);
    }
    dlog_print(DLOG_INFO, TAG, "%s brought to the front", g_app_id.c_str());
    if (g_callbacks.resume)
        g_callbacks.resume(g_user_data);
}

void remove_pid_file()
{
    if (appfw::running_pid(g_app_id) == getpid())
        unlink(appfw::pid_file(g_app_id).c_str());
}

}  // namespace

int app_control_from_command_line(int argc, char **argv, app_control_h *out)
{
    if (!out)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    *out = nullptr;
    const char *operation = nullptr;
    const char *uri = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if ((!strcmp(arg, "--operation") || !strcmp(arg, "--uri")) && i + 1 < argc) {
            (arg[2] == 'o' ? operation : uri) = argv[++i];
        } else if (!strncmp(arg, "--operation=", 12)) {
            operation = arg + 12;
        } else if (!strncmp(arg, "--uri=", 6)) {
            uri = arg + 6;
        } else {
            dlog_print(DLOG_ERROR, TAG, "unknown launcher argument: %s", arg);
            return APP_CONTROL_ERROR_INVALID_PARAMETER;
        }
    }
    if (!operation)
        operation = uri ? APP_CONTROL_OPERATION_VIEW : APP_CONTROL_OPERATION_DEFAULT;
    app_control_h handle = nullptr;
    int ret = app_control_create(&handle);
    if (ret != APP_CONTROL_ERROR_NONE)
        return ret;
    app_control_set_operation(handle, operation);
    if (uri)
        app_control_set_uri(handle, uri);
    *out = handle;
    return APP_CONTROL_ERROR_NONE;
}

namespace {

/* The directory above the executable's own: ROOT for ROOT/bin/PROGRAM. The
 * build tree and an installed package lay their files out alike below it
 * (res/, share/panel-platform/), so that both work wherever they lie.
 * "" when the executable cannot be found. */
std::string install_root()
{
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return "";
    std::string path(exe, static_cast<size_t>(n));
    path = path.substr(0, path.rfind('/'));
    return path.substr(0, path.rfind('/'));
}

}  // namespace

char *app_get_resource_path(void)
{
    const char *env = getenv("PANEL_APP_RESOURCE_DIR");
    std::string dir;
    if (env && *env) {
        dir = env;
    } else {
        std::string candidate = install_root() + "/res";
        struct stat st;
        if (stat((candidate + "/edje").c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            dir = candidate;
        if (dir.empty())
            dir = PANEL_APP_RESOURCE_DIR_DEFAULT;
    }
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return strdup(dir.c_str());
}

int app_platform_theme_apply(void)
{
    const char *env = getenv("PANEL_PLATFORM_THEME");
    std::string path = install_root() + "/share/panel-platform/theme.edj";
    if (env && *env)
        path = env;
    else if (access(path.c_str(), R_OK) != 0)
        path = PANEL_PLATFORM_DATA_DIR "/theme.edj";
    if (access(path.c_str(), R_OK) != 0) {
        dlog_print(DLOG_ERROR, TAG, "platform theme %s not found", path.c_str());
        return 0;
    }
    elm_theme_overlay_add(nullptr, path.c_str());
    return 1;
}

int ui_app_main(int argc, char **argv, ui_app_lifecycle_callback_s *callback, void *user_data)
{
    if (!callback || !callback->create) {
        dlog_print(DLOG_ERROR, TAG, "ui_app_main without a create callback");
        return APP_ERROR_INVALID_PARAMETER;
    }
    app_control_h raw = nullptr;
    if (app_control_from_command_line(argc, argv, &raw) != APP_CONTROL_ERROR_NONE) {
        usage(argc > 0 ? argv[0] : "app");
        return APP_ERROR_INVALID_PARAMETER;
    }
    control_ptr request(raw);
    g_callbacks = *callback;
    g_user_data = user_data;
    g_app_id = app_id();

    /* App control records a process it launches before the process gets
     * here: its own pid is not another instance. */
    int running = appfw::running_pid(g_app_id);
    if (running > 0 && running != getpid()) {
        char *op = nullptr, *uri = nullptr;
        app_control_get_operation(raw, &op);
        app_control_get_uri(raw, &uri);
        int ret = appfw::forward_request(g_app_id, op, uri);
        free(op);
        free(uri);
        fprintf(stderr, "%s already runs: launch request handed over\n", g_app_id.c_str());
        return ret == APP_CONTROL_ERROR_NONE ? APP_ERROR_NONE : APP_ERROR_ALREADY_RUNNING;
    }

    app_platform_locale_apply();
    /* A desktop has no panel services on the system bus: keep the toolkit
     * from looking for them, and keep its error lines to one line each. */
    setenv("EINA_LOG_BACKTRACE", "-1", 0);
    ecore_app_no_system_modules();
    efreet_cache_disable();
    elm_init(argc, argv);
    elm_policy_set(ELM_POLICY_QUIT, ELM_POLICY_QUIT_LAST_WINDOW_CLOSED);
    app_platform_theme_apply();
    appfw::eext_install_key_filter();
    appfw::record_running(g_app_id, getpid());

    int result = APP_ERROR_NONE;
    if (!g_callbacks.create(user_data)) {
        dlog_print(DLOG_ERROR, TAG, "create callback refused to start");
        result = APP_ERROR_INVALID_CONTEXT;
    } else {
        std::string key = appfw::request_key(g_app_id);
        std::string open_key = appfw::open_key(g_app_id);
        vconf_notify_key_changed(key.c_str(), request_changed_cb, nullptr);
        vconf_notify_key_changed(open_key.c_str(), open_requested_cb, nullptr);
        if (g_callbacks.app_control)
            g_callbacks.app_control(raw, user_data);
        if (g_callbacks.resume)
            g_callbacks.resume(user_data);
        exit_at_first_frame();
        elm_run();
        if (g_callbacks.pause)
            g_callbacks.pause(user_data);
        vconf_ignore_key_changed(key.c_str(), request_changed_cb);
        vconf_ignore_key_changed(open_key.c_str(), open_requested_cb);
    }
    if (g_callbacks.terminate)
        g_callbacks.terminate(user_data);
    remove_pid_file();
    appfw::eext_remove_key_filter();
    elm_shutdown();
    return result;
}

void ui_app_exit(void)
{
    elm_exit();
}
