/*
 * Fixture of the widget tests: a fresh platform directory and profile
 * directory per test, the application's _create run on Elementary's buffer
 * engine, and helpers that act and look as a person would (clicks by real
 * mouse events, back by a real key press, the log box text, list rows, the
 * test view's text parts, keys, log lines). A test fails when the toolkit
 * logs an error line while it runs.
 */
#ifndef EM_TEST_FIXTURE_H
#define EM_TEST_FIXTURE_H

#include <gtest/gtest.h>

#include <Elementary.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "main.h"
#include "fridge-function-test/entry_monitor.h"
#include "fridge-function-test/list_panel.h"

/* Whether obj is a smart object (has members), not a basic one (rectangle,
 * text, image ...) on which the canvas refuses the smart calls. */
bool is_smart_object(const Evas_Object *obj);

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /* Runs the main loop for the given time. Returns false when something
     * else ended the loop first (the application called elm_exit). */
    static bool run_loop(double seconds);
    /* Lets pending events, signals and jobs run. */
    static void settle();
    /* Runs the main loop until done() holds; false after seconds. */
    static bool wait_until(const std::function<bool()> &done, double seconds = 5);

    /* Opens the test view as the main menu's entry does (flag not 1). */
    void open_test_view();
    /* Sends a launch request to _app_control. */
    void launch(const char *operation, const char *uri);
    /* Presses the hardware back key (a real Escape key event) and lets the
     * naviframe finish (in the given time). Returns false when the
     * application ended. */
    bool press_back(double seconds = 0.5);

    /* A mouse click at the centre of obj, or at (x, y). */
    static void click(Evas_Object *obj);
    static void click_at(int x, int y);
    /* A real click on the middle of the row of an Elementary list with this
     * text, once the row is laid out and the canvas has rendered the list as
     * it is now (before that render a click reaches no row). Fails the test
     * when the list has no such row. */
    static void tap_row(Evas_Object *list, const std::string &text);

    /* The log box's markup, "" when there is none. This reader and the two
     * below give texts as set, without keep_hangul_words' word joiners. */
    static std::string log_text();
    /* Texts of the rows of a list. */
    static std::vector<std::string> rows(Evas_Object *list);
    static Elm_Object_Item *row(Evas_Object *list, const std::string &text);
    /* A text part of the test view's layout, "" when unset. */
    static std::string part(const char *name);
    /* Number of items in the naviframe. */
    int nf_items() const;

    static void set_str(const char *key, const char *value);
    static void set_int(const char *key, int value);
    static std::optional<std::string> get_str(const char *key);

    /* 1 when a captured log line contains the text. */
    static bool logged(const std::string &text);
    static int log_count(const std::string &text);
    static void clear_log();

    /* Creates PROFILE/MODEL/db/engineer_mode.db from SQL and sets the
     * model name key. Returns the database path. */
    std::string make_db(const std::string &model, const std::string &sql);

    /* Presses the hardware more key (a real F2 key event) and lets the
     * handlers run. */
    static void press_more();

    /* The popups shown on the window, top first. */
    static std::vector<Evas_Object *> visible_popups();
    /* obj and, inside a smart object, its members, counted. */
    static int count_objects(Evas_Object *obj);
    /* Objects on the window's canvas: each top-level object with its
     * members, but those for which skip (when given) holds. */
    static int canvas_objects(bool (*skip)(Evas_Object *) = nullptr);

    /* The error lines the toolkit logged since the test began (or since
     * the last call), which then no longer fail the test: for a test that
     * provokes them. Every other error line of the toolkit fails the test. */
    static std::string take_toolkit_errors();

    std::string dir_;
    appdata_s *ad_ = nullptr;
};

#endif
