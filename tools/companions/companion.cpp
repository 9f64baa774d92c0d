/*
 * Companion application: a desktop stand-in for an application that the
 * engineer mode launches (the panel function test, the firmware-update
 * client). It opens a small window that says what it is and which
 * application ID it stands for, and shows when it was brought to the front
 * or asked to launch again, so that a person sees every launch.
 *
 * Built once per application: COMPANION_ID is its application ID (its
 * manifest on the panel; given to the app framework through PANEL_APP_ID),
 * COMPANION_TITLE what the window says.
 * State: the window's status label and two counters. No timers, no keys of
 * its own (the app framework watches the launch and front requests).
 */
#include <app.h>
#include <dlog.h>

#include <Elementary.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

constexpr const char *TAG = "COMPANION";

struct companion_state {
    Evas_Object *win = nullptr;
    Evas_Object *status = nullptr;
    int resumes = 0;
    int requests = 0;
};
companion_state state;

std::string clock_text()
{
    char text[16];
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

/* Text in the window's light colour: the stock label grey reads at under
 * 4:1 on the stock window background, this at 9:1. */
std::string light(const std::string &markup)
{
    return "<color=#eef0f3>" + markup + "</color>";
}

void show_status(const std::string &what)
{
    if (state.status)
        elm_object_text_set(
            state.status,
            light("<font_size=24>" + what + " at " + clock_text() + "</font_size>").c_str());
    if (state.win)
        elm_win_activate(state.win);
}

Evas_Object *add_label(Evas_Object *box, const std::string &markup)
{
    Evas_Object *label = elm_label_add(box);
    elm_object_text_set(label, light(markup).c_str());
    evas_object_size_hint_weight_set(label, EVAS_HINT_EXPAND, 0.0);
    elm_box_pack_end(box, label);
    evas_object_show(label);
    return label;
}

bool create_cb(void *)
{
    Evas_Object *win = elm_win_util_standard_add(COMPANION_ID, COMPANION_TITLE);
    if (!win)
        return false;
    elm_win_autodel_set(win, EINA_TRUE);
    state.win = win;

    Evas_Object *box = elm_box_add(win);
    evas_object_size_hint_weight_set(box, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    elm_win_resize_object_add(win, box);
    evas_object_show(box);
    add_label(box, std::string("<font_size=36><b>") + COMPANION_TITLE + "</b></font_size>");
    add_label(box, std::string("<font_size=24>Desktop stand-in of the application ") + COMPANION_ID +
                       "</font_size>");
    state.status = add_label(box, "<font_size=24>Started at " + clock_text() + "</font_size>");

    evas_object_resize(win, 640, 300);
    evas_object_show(win);
    return true;
}

/* The framework resumes the application once at start, when it takes
 * requests, and again each time it is brought to the front. */
void resume_cb(void *)
{
    if (state.resumes++ == 0) {
        dlog_print(DLOG_INFO, TAG, "%s started", COMPANION_ID);
        return;
    }
    dlog_print(DLOG_INFO, TAG, "%s in front (%d)", COMPANION_ID, state.resumes - 1);
    show_status("Brought to the front " + std::to_string(state.resumes - 1) + " times, last");
}

void request_cb(app_control_h, void *)
{
    if (state.requests++ == 0)
        return;
    dlog_print(DLOG_INFO, TAG, "%s asked to launch again", COMPANION_ID);
    show_status("Asked to launch again");
}

}  // namespace

int main(int argc, char *argv[])
{
    setenv("PANEL_APP_ID", COMPANION_ID, 1);
    ui_app_lifecycle_callback_s callbacks{};
    callbacks.create = create_cb;
    callbacks.resume = resume_cb;
    callbacks.app_control = request_cb;
    return ui_app_main(argc, argv, &callbacks, nullptr);
}
