/*
 * Process entry, lifecycle callbacks, the application record and mode
 * switching.
 *
 * State: the one application record `ad` and the current test mode.
 * A launch request with the view operation and the URI "PACKAGE/fridge"
 * opens the refrigerator test view directly; leaving that view then ends
 * the application. No timers of its own; _terminate deletes the screens'.
 */
#include "main.h"

#include <Elementary.h>
#include <app.h>
#include <libintl.h>

#include <array>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app_base_view.h"
#include "common.h"
#include "fridge-function-test/controloption.h"
#include "fridge-function-test/energyinfo.h"
#include "fridge-function-test/entry_monitor.h"
#include "fridge-function-test/errorinfo.h"
#include "fridge-function-test/forcerun.h"
#include "fridge-function-test/lcdcheck.h"
#include "fridge-function-test/list_panel.h"
#include "fridge-function-test/loadstatus.h"
#include "fridge-function-test/systeminfo.h"
#include "log.h"

namespace {

appdata_s ad;
int current_mode = 0;

constexpr const char *APP_SHORT_NAME = "Engineer Mode";

/* A running test a mode change can stop, and the mode it stands for. */
struct running_test {
    int mode;
    int (*is_working)(void);
    void (*stop)(void);
};

/* Consulted in this order by every mode change. */
constexpr std::array<running_test, 5> running_tests{{
    {8, is_working_selfdiagnosis, stop_selfdiagnosis},
    {7, is_working_errorHistory, stop_errorHistory},
    {4, is_working_loadstatus, stop_loadstatus},
    {6, is_working_controloption, stop_controloption},
    {2, is_working_modeloption, stop_modeloption},
}};

/* Modes whose screens need the micom link. */
bool needs_connection(int mode)
{
    return mode == 4 || mode == 5 || mode == 6 || mode == 9;
}

void bind_catalogue()
{
    std::string locale_dir = app_res_path("locale");
    bindtextdomain(EM_PACKAGE_ID, locale_dir.c_str());
    bind_textdomain_codeset(EM_PACKAGE_ID, "UTF-8");
    textdomain(EM_PACKAGE_ID);
}

bool test_view_open()
{
    return get_li_main() != nullptr;
}

/* Adds the popups among obj's descendants to found. */
void find_popups(Eo *obj, std::vector<Eo *> &found)
{
    Eina_Iterator *children = efl_children_iterator_new(obj);
    Eo *child = nullptr;
    EINA_ITERATOR_FOREACH(children, child)
    {
        const char *type = elm_object_widget_type_get(child);
        if (type && std::strcmp(type, "Elm_Popup") == 0)
            found.push_back(child);
        else
            find_popups(child, found);
    }
    eina_iterator_free(children);
}

/* Deletes the popups still open. Deleted with the window, a popup goes
 * while the widget it was made on is going, and hands the focus back to a
 * focus manager that is already gone (the toolkit logs an error); deleted
 * first, it hands it back to the window. */
void delete_popups(Evas_Object *win)
{
    std::vector<Eo *> popups;
    find_popups(win, popups);
    for (Eo *popup : popups)
        evas_object_del(popup);
}

}  // namespace

appdata_s *appdata_instance(void)
{
    return &ad;
}

Evas_Object *appdata_get_win(void) { return ad.win; }
Evas_Object *appdata_get_bg(void) { return ad.bg; }
void appdata_set_conform(Evas_Object *conform)
{
    ad.conform = conform;
    if (conform)
        forget_on_del(conform, &ad.conform);
}
Evas_Object *appdata_get_layout(void) { return ad.layout; }
void appdata_set_layout(Evas_Object *layout)
{
    ad.layout = layout;
    if (layout)
        forget_on_del(layout, &ad.layout);
}
Evas_Object *appdata_get_edje(void) { return ad.edje; }
Evas_Object *appdata_get_block_edje(void) { return ad.block_edje; }
Evas_Object *appdata_get_nf(void) { return ad.nf; }
void appdata_set_nf(Evas_Object *nf)
{
    ad.nf = nf;
    if (nf)
        forget_on_del(nf, &ad.nf);
}
int appdata_get_fridgeLaunchFlag(void) { return ad.fridgeLaunchFlag; }

void appdata_set_edje(Evas_Object *edje)
{
    ad.edje = edje;
    if (edje)
        forget_on_del(edje, &ad.edje);
}

void appdata_set_block_edje(Evas_Object *block_edje)
{
    ad.block_edje = block_edje;
    if (block_edje)
        forget_on_del(block_edje, &ad.block_edje);
}

void appdata_set_setting_list(Evas_Object *list)
{
    ad.setting_list = list;
    if (list)
        forget_on_del(list, &ad.setting_list);
}

Evas_Object *load_edj(Evas_Object *parent, const char *file, const char *group)
{
    LOGD("START");
    Evas_Object *layout = elm_layout_add(parent);
    if (!layout) {
        LOGD("END");
        return nullptr;
    }
    if (!elm_layout_file_set(layout, file, group)) {
        LOGE("cannot load group %s from %s", group ? group : "(null)", file ? file : "(null)");
        evas_object_del(layout);
        return nullptr;
    }
    evas_object_size_hint_weight_set(layout, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    LOGD("END");
    return layout;
}

bool _create(void *user_data)
{
    LOGD("START");
    if (!user_data)
        return false;
    auto *data = static_cast<appdata_s *>(user_data);

    bind_catalogue();
    elm_theme_extension_add(nullptr, app_res_path("edje/ref_theme.edj").c_str());

    Evas_Object *win = elm_win_util_standard_add(data->name, APP_SHORT_NAME);
    if (!win)
        return false;
    elm_win_autodel_set(win, EINA_TRUE);
    /* The panel's display; on a desktop the window opens at that size and
     * keeps it whatever the content's minimum. */
    evas_object_size_hint_min_set(win, 1080, 1645);
    evas_object_resize(win, 1080, 1645);
    evas_object_show(win);
    data->win = win;
    forget_on_del(win, &data->win);

    load_base_view(data);
    evas_object_show(win);

    append_entry_data("ENGINEER MODE START", 1);
    return true;
}

void _terminate(void *user_data)
{
    LOGD("START");
    if (!user_data)
        return;
    auto *data = static_cast<appdata_s *>(user_data);
    if (data->win)
        delete_popups(data->win);
    if (data->win)
        evas_object_del(data->win);
    delete_backlight();
    delete_loadstatus();
    delete_selfdiagnosis();
    delete_modeloption();
    delete_energyinfo();
    softap_destroy(data->static_ip.softap);
    data->static_ip.softap = nullptr;
    /* A pending option save series or refresh, or a force-run rollback
     * check, must not fire once the window is gone. */
    delete_controloption();
    delete_forcerun();
}

void _pause(void *)
{
    LOGD("START");
}

void _resume(void *)
{
    LOGD("START");
}

void _app_control(app_control_h app_control, void *user_data)
{
    LOGD("START");
    char *raw_operation = nullptr;
    if (app_control_get_operation(app_control, &raw_operation) != APP_CONTROL_ERROR_NONE)
        return;
    std::unique_ptr<char, decltype(&free)> operation(raw_operation, &free);
    if (!operation || strcmp(operation.get(), APP_CONTROL_OPERATION_VIEW) != 0)
        return;

    char *raw_uri = nullptr;
    if (app_control_get_uri(app_control, &raw_uri) != APP_CONTROL_ERROR_NONE)
        return;
    std::unique_ptr<char, decltype(&free)> uri(raw_uri, &free);
    std::string expected = std::string(ad.name ? ad.name : EM_PACKAGE_ID) + "/fridge";
    if (!uri || expected != uri.get())
        return;

    /* A second request while the view is open would build every button
     * again; the open view already is what the request asks for. */
    if (test_view_open()) {
        LOGD("the fridge function test is already open: request ignored.");
        return;
    }
    LOGD("launch the fridge function test directly.");
    test_fridge_function_cb2(user_data, nullptr, (void *)1);
}

void test_fridge_function_cb2(void *data, Evas_Object *, void *event_info)
{
    LOGD("START");
    if (!data)
        return;
    ad.fridgeLaunchFlag = (int)(intptr_t)event_info;
    elm_theme_extension_add(nullptr, app_res_path("edje/ref_theme.edj").c_str());
    load_base_view2();

    entry_monitor_create();
    entry_monitor_show();

    init_systeminfo();
    init_modeloption();
    init_loadstatus();
    init_selfdiagnosis();
    init_backlightcheck();
    init_pixelcheck();
    init_errorhistory();
    init_forcerun();
    init_list();
    init_controloption();
    init_energyinfo();
    unblock_view();
}

int start_mode(int mode)
{
    LOGD("mode : %d", mode);
    if (needs_connection(mode) && check_connection_error()) {
        LOGE("Connection Error !!");
        return 0;
    }
    current_mode = mode;
    for (const running_test &test : running_tests) {
        if (test.mode != mode && test.is_working())
            test.stop();
    }
    if (mode >= 1 && mode <= 9)
        clear_list(1, 1);
    return 1;
}

int get_mode(void)
{
    return current_mode;
}

void delete_button(void)
{
    for (int i = 0; i < button_count(); ++i)
        evas_object_del(button_at(i));
    button_table_reset();
}

#ifndef ENGINEER_MODE_NO_ENTRY
int main(int argc, char *argv[])
{
    LOGD("START");
    printf("main START");
    fflush(stdout);

    memset(&ad, 0, sizeof ad);
    ad.name = EM_PACKAGE_ID;

    ui_app_lifecycle_callback_s callbacks{};
    callbacks.create = _create;
    callbacks.terminate = _terminate;
    callbacks.pause = _pause;
    callbacks.resume = _resume;
    callbacks.app_control = _app_control;
    return ui_app_main(argc, argv, &callbacks, &ad);
}
#endif
