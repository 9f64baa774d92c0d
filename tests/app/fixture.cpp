/*
 * Widget-test fixture: see fixture.h.
 */
#include "fixture.h"

#include <Ecore.h>
#include <Ecore_Input.h>
#include <Efreet.h>
#include <app.h>
#include <dlog_capture.h>
#include <sqlite3.h>
#include <vconf.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

/* The class of smart objects (declared by the toolkit's beta headers only). */
extern "C" const Efl_Class *efl_canvas_group_class_get(void);

namespace {

/* Each ERR or CRI line the toolkit logged during the test (only the toolkit
 * logs through Eina here); every line goes on to stderr as well. */
std::string toolkit_errors;

void toolkit_log_cb(const Eina_Log_Domain *domain, Eina_Log_Level level, const char *file, const char *fnc,
                    int line, const char *fmt, void *data, va_list args)
{
    if (level <= EINA_LOG_LEVEL_ERR) {
        va_list copy;
        va_copy(copy, args);
        char message[512];
        vsnprintf(message, sizeof message, fmt, copy);
        va_end(copy);
        toolkit_errors += std::string(domain ? domain->name : "?") + ": " + (fnc ? fnc : "?") + ": " + message +
                          "\n";
    }
    eina_log_print_cb_stderr(domain, level, file, fnc, line, fmt, data, args);
}

Eina_Bool quit_cb(void *data)
{
    *static_cast<bool *>(data) = true;
    ecore_main_loop_quit();
    return ECORE_CALLBACK_CANCEL;
}

/* Widget text as given to the widget: without the word joiners that
 * keep_hangul_words puts between Hangul syllables. */
std::string without_joiners(const char *text)
{
    std::string out = text ? text : "";
    for (std::size_t at; (at = out.find("\u2060")) != std::string::npos;)
        out.erase(at, 3);
    return out;
}

/* A real press and release of a key. */
void feed_key(const char *name)
{
    for (int type : {ECORE_EVENT_KEY_DOWN, ECORE_EVENT_KEY_UP}) {
        auto *ev = static_cast<Ecore_Event_Key *>(calloc(1, sizeof(Ecore_Event_Key)));
        ev->keyname = name;
        ev->key = name;
        ev->timestamp = (unsigned int)(ecore_time_get() * 1000);
        ecore_event_add(type, ev, nullptr, nullptr);
    }
}

}  // namespace

void AppTest::SetUp()
{
    char tmpl[] = "/tmp/em-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    setenv("PANEL_PLATFORM_DIR", (dir_ + "/platform").c_str(), 1);
    setenv("ENGINEER_MODE_PROFILE_DIR", (dir_ + "/profile").c_str(), 1);
    setenv("ELM_DISPLAY", "buffer", 1);
    setenv("ELM_SCALE", "1.0", 1);
    toolkit_errors.clear();
    eina_log_print_cb_set(toolkit_log_cb, nullptr);
    ecore_app_no_system_modules();
    efreet_cache_disable();
    elm_init(0, nullptr);
    app_platform_locale_apply();
    EXPECT_EQ(app_platform_theme_apply(), 1);
    dlog_capture_start();

    ad_ = appdata_instance();
    memset(ad_, 0, sizeof *ad_);
    ad_->name = EM_PACKAGE_ID;
    ASSERT_TRUE(_create(ad_));
    run_loop(0.05);
}

void AppTest::TearDown()
{
    if (ad_)
        _terminate(ad_);
    dlog_capture_stop();
    elm_shutdown();
    eina_log_print_cb_set(eina_log_print_cb_stderr, nullptr);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    /* Whatever a test did, the toolkit found nothing wrong with it. */
    EXPECT_EQ(toolkit_errors, "") << "the toolkit logged errors";
}

bool AppTest::run_loop(double seconds)
{
    bool fired = false;
    Ecore_Timer *timer = ecore_timer_add(seconds, quit_cb, &fired);
    ecore_main_loop_begin();
    if (!fired)
        ecore_timer_del(timer);
    return fired;
}

void AppTest::settle()
{
    for (int i = 0; i < 5; ++i) {
        edje_message_signal_process();
        ecore_main_loop_iterate();
    }
    edje_message_signal_process();
}

bool AppTest::wait_until(const std::function<bool()> &done, double seconds)
{
    for (double waited = 0; waited < seconds && !done(); waited += 0.01)
        run_loop(0.01);
    return done();
}

void AppTest::open_test_view()
{
    Elm_Object_Item *fake_item = nullptr;
    test_fridge_function_cb2(ad_->nf, nullptr, &fake_item);
    run_loop(0.35);
}

void AppTest::launch(const char *operation, const char *uri)
{
    app_control_h request = nullptr;
    ASSERT_EQ(app_control_create(&request), APP_CONTROL_ERROR_NONE);
    if (operation)
        app_control_set_operation(request, operation);
    if (uri)
        app_control_set_uri(request, uri);
    _app_control(request, ad_);
    app_control_destroy(request);
    run_loop(0.35);
}

bool AppTest::press_back(double seconds)
{
    feed_key("Escape");
    return run_loop(seconds);
}

void AppTest::click(Evas_Object *obj)
{
    ASSERT_NE(obj, nullptr);
    int x, y, w, h;
    evas_object_geometry_get(obj, &x, &y, &w, &h);
    click_at(x + w / 2, y + h / 2);
}

void AppTest::click_at(int x, int y)
{
    Evas *evas = evas_object_evas_get(appdata_get_win());
    unsigned int ts = (unsigned int)(ecore_time_get() * 1000);
    evas_event_feed_mouse_move(evas, x, y, ts, nullptr);
    evas_event_feed_mouse_down(evas, 1, EVAS_BUTTON_NONE, ts + 1, nullptr);
    evas_event_feed_mouse_up(evas, 1, EVAS_BUTTON_NONE, ts + 2, nullptr);
    settle();
}

void AppTest::tap_row(Evas_Object *list, const std::string &text)
{
    Elm_Object_Item *item = row(list, text);
    ASSERT_NE(item, nullptr) << "no row " << text;
    elm_list_item_show(item);
    Evas_Object *track = elm_object_item_track(item);
    int x = 0, y = 0, w = 0, h = 0;
    for (int i = 0; i < 100 && h == 0; i++) {
        evas_smart_objects_calculate(evas_object_evas_get(list));
        settle();
        evas_object_geometry_get(track, &x, &y, &w, &h);
    }
    elm_object_item_untrack(item);
    ASSERT_GT(h, 0) << text << " was never laid out";
    run_loop(0.05);
    click_at(x + w / 2, y + h / 2);
}

std::string AppTest::log_text()
{
    Evas_Object *entry = entry_monitor_get_entry();
    if (!entry)
        return "";
    return without_joiners(elm_entry_entry_get(entry));
}

std::vector<std::string> AppTest::rows(Evas_Object *list)
{
    std::vector<std::string> out;
    if (!list)
        return out;
    const Eina_List *l;
    void *item;
    EINA_LIST_FOREACH(elm_list_items_get(list), l, item)
        out.push_back(without_joiners(elm_object_item_text_get(static_cast<Elm_Object_Item *>(item))));
    return out;
}

Elm_Object_Item *AppTest::row(Evas_Object *list, const std::string &text)
{
    const Eina_List *l;
    void *item;
    EINA_LIST_FOREACH(elm_list_items_get(list), l, item)
        if (const char *t = elm_object_item_text_get(static_cast<Elm_Object_Item *>(item)); t && text == t)
            return static_cast<Elm_Object_Item *>(item);
    return nullptr;
}

std::string AppTest::part(const char *name)
{
    Evas_Object *edje = appdata_get_edje();
    if (!edje)
        return "";
    return without_joiners(elm_object_part_text_get(edje, name));
}

int AppTest::nf_items() const
{
    return (int)eina_list_count(elm_naviframe_items_get(ad_->nf));
}

void AppTest::set_str(const char *key, const char *value)
{
    ASSERT_EQ(vconf_set_str(key, value), 0) << key;
}

void AppTest::set_int(const char *key, int value)
{
    ASSERT_EQ(vconf_set_int(key, value), 0) << key;
}

std::optional<std::string> AppTest::get_str(const char *key)
{
    std::unique_ptr<char, decltype(&free)> value(vconf_get_str(key), &free);
    if (!value)
        return std::nullopt;
    return std::string(value.get());
}

bool AppTest::logged(const std::string &text)
{
    return dlog_capture_contains(text.c_str()) != 0;
}

int AppTest::log_count(const std::string &text)
{
    int n = 0;
    for (int i = 0; i < dlog_capture_count(); ++i)
        if (strstr(dlog_capture_line(i), text.c_str()))
            n++;
    return n;
}

void AppTest::clear_log()
{
    dlog_capture_clear();
}

std::string AppTest::make_db(const std::string &model, const std::string &sql)
{
    std::string db_dir = dir_ + "/profile/" + model + "/db";
    std::filesystem::create_directories(db_dir);
    std::string path = db_dir + "/engineer_mode.db";
    std::filesystem::remove(path);
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char *error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    set_str("memory/refrigerator/ModelName", model.c_str());
    return path;
}

void AppTest::press_more()
{
    feed_key("F2");
    run_loop(0.2);
}

std::vector<Evas_Object *> AppTest::visible_popups()
{
    std::vector<Evas_Object *> out;
    for (Evas_Object *o = evas_object_top_get(evas_object_evas_get(appdata_get_win())); o;
         o = evas_object_below_get(o)) {
        const char *type = elm_object_widget_type_get(o);
        if (type && !strcmp(type, "Elm_Popup") && evas_object_visible_get(o))
            out.push_back(o);
    }
    return out;
}

bool is_smart_object(const Evas_Object *obj)
{
    return efl_isa(obj, efl_canvas_group_class_get());
}

std::string AppTest::take_toolkit_errors()
{
    return std::exchange(toolkit_errors, "");
}

int AppTest::count_objects(Evas_Object *obj)
{
    int n = 1;
    if (!is_smart_object(obj))
        return n;
    Eina_List *members = evas_object_smart_members_get(obj);
    void *member;
    EINA_LIST_FREE(members, member)
        n += count_objects(static_cast<Evas_Object *>(member));
    return n;
}

int AppTest::canvas_objects(bool (*skip)(Evas_Object *))
{
    int n = 0;
    for (Evas_Object *o = evas_object_bottom_get(evas_object_evas_get(appdata_get_win())); o;
         o = evas_object_above_get(o))
        if (!skip || !skip(o))
            n += count_objects(o);
    return n;
}
