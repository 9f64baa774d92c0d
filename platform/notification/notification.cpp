/*
 * Notification library stand-in: status messages (see notification.h).
 *
 * Each message is appended to DIR/notifications, logged with tag
 * "NOTIFICATION" and, when the calling thread runs an Elementary main loop
 * with a visible window, shown as a toast: a layout of the platform theme's
 * group ("layout", "notification", "toast") near the bottom of the window,
 * object name "notification_toast", that lets every mouse event through and
 * is deleted by a 3 s timer. A newer message replaces the one on screen.
 *
 * State: the toast on screen and its timer (main-loop thread only).
 */
#include <notification.h>
#include <vconf_store.h>
#include <dlog.h>

#include <Ecore_Evas.h>
#include <Elementary.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

constexpr const char *TAG = "NOTIFICATION";
constexpr double TOAST_SECONDS = 3.0;
/* Room kept free between the toast and the bottom / sides of the window. */
constexpr int TOAST_BOTTOM_GAP = 120;
constexpr int TOAST_SIDE_GAP = 40;

struct toast_state {
    Evas_Object *layout = nullptr;
    Ecore_Timer *timer = nullptr;
};
toast_state toast;

/* "YYYY-MM-DD HH:MM:SS.mmm status MESSAGE\n" with the message escaped. */
std::string record_line(std::string_view message)
{
    timeval now{};
    gettimeofday(&now, nullptr);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char stamp[40];
    size_t n = strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    snprintf(stamp + n, sizeof stamp - n, ".%03d", static_cast<int>(now.tv_usec / 1000));

    std::string line = stamp;
    line += " status ";
    for (char c : message) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c;
        }
    }
    line += '\n';
    return line;
}

/* Appends the line with one write; false (logged) on failure. */
bool append_record(const std::string &line)
{
    std::string path = std::string(vconf_store_dir()) + "/notifications";
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        dlog_print(DLOG_ERROR, TAG, "cannot open %s: %s", path.c_str(), strerror(errno));
        return false;
    }
    ssize_t written = write(fd, line.data(), line.size());
    int error = errno;
    close(fd);
    if (written != static_cast<ssize_t>(line.size())) {
        dlog_print(DLOG_ERROR, TAG, "cannot append to %s: %s", path.c_str(),
                   written < 0 ? strerror(error) : "short write");
        return false;
    }
    return true;
}

/* The first visible Elementary window of the process, or NULL. */
Evas_Object *visible_window()
{
    Eina_List *all = ecore_evas_ecore_evas_list_get();
    Evas_Object *found = nullptr;
    void *data;
    EINA_LIST_FREE(all, data) {
        auto *win = static_cast<Evas_Object *>(ecore_evas_data_get(static_cast<Ecore_Evas *>(data),
                                                                    "elm_win"));
        if (!found && win && evas_object_visible_get(win))
            found = win;
    }
    return found;
}

Eina_Bool toast_timeout_cb(void *)
{
    toast.timer = nullptr;
    evas_object_del(toast.layout);
    return ECORE_CALLBACK_CANCEL;
}

void toast_del_cb(void *, Evas *, Evas_Object *obj, void *)
{
    if (toast.layout != obj)
        return;
    toast.layout = nullptr;
    if (toast.timer)
        ecore_timer_del(toast.timer);
    toast.timer = nullptr;
}

void show_toast(const char *message)
{
    if (!eina_main_loop_is())
        return;
    Evas_Object *win = visible_window();
    if (!win)
        return;
    if (toast.layout)
        evas_object_del(toast.layout);

    Evas_Object *layout = elm_layout_add(win);
    if (!layout || !elm_layout_theme_set(layout, "layout", "notification", "toast")) {
        dlog_print(DLOG_WARN, TAG, "no toast layout in the theme: message not shown");
        evas_object_del(layout);
        return;
    }
    evas_object_name_set(layout, "notification_toast");
    /* A TEXT part: the message is shown as it stands, never as markup. */
    elm_object_part_text_set(layout, "elm.text", message);
    evas_object_pass_events_set(layout, EINA_TRUE);
    evas_object_event_callback_add(layout, EVAS_CALLBACK_DEL, toast_del_cb, nullptr);

    int win_w = 0, win_h = 0, w = 0, h = 0;
    evas_object_geometry_get(win, nullptr, nullptr, &win_w, &win_h);
    edje_object_size_min_calc(elm_layout_edje_get(layout), &w, &h);
    if (w > win_w - 2 * TOAST_SIDE_GAP)
        w = win_w - 2 * TOAST_SIDE_GAP;
    evas_object_resize(layout, w, h);
    evas_object_move(layout, (win_w - w) / 2, win_h - h - TOAST_BOTTOM_GAP);
    evas_object_layer_set(layout, EVAS_LAYER_MAX - 1);
    evas_object_show(layout);

    toast.layout = layout;
    toast.timer = ecore_timer_add(TOAST_SECONDS, toast_timeout_cb, nullptr);
}

}  // namespace

extern "C" int notification_status_message_post(const char *message)
{
    if (!message) {
        dlog_print(DLOG_ERROR, TAG, "notification_status_message_post: no message");
        return NOTIFICATION_ERROR_INVALID_PARAMETER;
    }
    try {
        bool recorded = append_record(record_line(message));
        dlog_print(DLOG_INFO, TAG, "status message: %s", message);
        show_toast(message);
        return recorded ? NOTIFICATION_ERROR_NONE : NOTIFICATION_ERROR_IO_ERROR;
    } catch (...) {
        dlog_print(DLOG_ERROR, TAG, "notification_status_message_post: out of memory");
        return NOTIFICATION_ERROR_IO_ERROR;
    }
}
