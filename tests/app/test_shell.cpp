/*
 * The application shell: launch requests, navigation by the back key, the
 * test view's containers (and that leaving removes them), the blocking
 * overlay and mode switching.
 */
#include "fixture.h"

#include <app_control.h>
#include <efl_extension.h>

#include "app_base_view.h"
#include "common.h"

#include <filesystem>
#include <vconf.h>

namespace {

constexpr const char *FRIDGE_URI = "org.fridge.engineermode/fridge";

}  // namespace

class ShellTest : public AppTest {};

TEST_F(ShellTest, MainMenuListsItsEntriesAndKeepsNoneHighlighted)
{
    EXPECT_EQ(nf_items(), 1);
    Elm_Object_Item *top = elm_naviframe_top_item_get(ad_->nf);
    Evas_Object *menu = elm_object_item_content_get(top);
    std::vector<std::string> entries = rows(menu);
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[5], "File Transfer");
    EXPECT_NE(entries[6].find("<font color=#0014ff>"), std::string::npos);
    EXPECT_LT(entries[6].size(), 250u);

    /* The guide entry (no handler) and the File Transfer entry. */
    for (int index : {6, 5}) {
        Elm_Object_Item *item = static_cast<Elm_Object_Item *>(
            eina_list_nth(elm_list_items_get(menu), index));
        elm_list_item_selected_set(item, EINA_TRUE);
        settle();
        EXPECT_EQ(elm_list_selected_item_get(menu), nullptr) << "entry " << index;
    }
    EXPECT_EQ(nf_items(), 1);
}

TEST_F(ShellTest, OnlyTheFridgeViewRequestLaunchesTheTestViewOnceAndBackEndsTheApplication)
{
    launch(APP_CONTROL_OPERATION_DEFAULT, FRIDGE_URI);
    launch(APP_CONTROL_OPERATION_VIEW, "org.fridge.engineermode/freezer");
    launch(APP_CONTROL_OPERATION_VIEW, "org.fridge.engineermode/fridge/");
    launch(APP_CONTROL_OPERATION_VIEW, nullptr);
    launch(nullptr, FRIDGE_URI);
    EXPECT_EQ(nf_items(), 1);
    EXPECT_FALSE(logged("launch the fridge function test directly."));

    launch(APP_CONTROL_OPERATION_VIEW, FRIDGE_URI);
    EXPECT_EQ(appdata_get_fridgeLaunchFlag(), 1);
    int buttons = button_count();
    ASSERT_GT(buttons, 0);
    launch(APP_CONTROL_OPERATION_VIEW, FRIDGE_URI);  // while open: ignored
    EXPECT_EQ(button_count(), buttons);
    EXPECT_EQ(nf_items(), 2);
    EXPECT_EQ(log_count("launch the fridge function test directly."), 1);

    EXPECT_FALSE(press_back()) << "back on a directly launched test view ends the app";
    EXPECT_EQ(entry_monitor_get_entry(), nullptr);
    EXPECT_EQ(button_count(), 0);
}

TEST_F(ShellTest, OverlayCoversLogBoxAndListsAndSwallowsTheirClicks)
{
    open_test_view();
    Evas_Object *block = appdata_get_block_edje();
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(evas_object_visible_get(block));
    int selected = 0;
    Evas_Object *list = get_li_main();
    elm_list_clear(list);
    elm_list_item_append(list, "row", nullptr, nullptr,
                         [](void *data, Evas_Object *, void *) { ++*static_cast<int *>(data); },
                         &selected);
    elm_list_go(list);

    block_view();
    block_view();
    run_loop(0.1);
    int x, y, w, h;
    evas_object_geometry_get(block, &x, &y, &w, &h);
    EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({0, 0, 1080, 1360}));
    for (int i = 0; i < button_count(); ++i) {
        evas_object_geometry_get(button_at(i), &x, &y, &w, &h);
        EXPECT_GE(y, 1360) << "button " << i << " lies under the overlay";
    }
    evas_object_geometry_get(elm_list_item_object_get(elm_list_first_item_get(list)), &x, &y, &w,
                             &h);
    click_at(x + w / 2, y + h / 2);
    run_loop(0.1);
    EXPECT_EQ(selected, 0) << "a click under the overlay reached the list";

    /* One unblock undoes any number of blocks. */
    unblock_view();
    run_loop(0.1);
    EXPECT_FALSE(evas_object_visible_get(block));
    click_at(x + w / 2, y + h / 2);
    run_loop(0.1);
    EXPECT_EQ(selected, 1);
}

TEST_F(ShellTest, ListsLieUnderTheLogBoxAndClearEachSideOnItsOwn)
{
    open_test_view();
    run_loop(0.1);
    int x, y, w, h;
    evas_object_geometry_get(entry_monitor_get_entry(), &x, &y, &w, &h);
    EXPECT_TRUE(x >= 20 && y >= 80 && w > 500 && y + h <= 650)
        << "log box at " << x << "," << y << " " << w << "x" << h << " reaches the lists";
    int column = 20;
    for (Evas_Object *list : {get_li_main(), get_li_sub()}) {
        evas_object_geometry_get(list, &x, &y, &w, &h);
        EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({column, 650, 500, 500}));
        column = 530;
    }
    Evas_Object *edje = appdata_get_edje();
    elm_object_part_text_set(edje, "list.name", "main heading");
    elm_object_part_text_set(edje, "content.text", "sub text");

    clear_list(0, 0);
    clear_list(2, -1);
    EXPECT_EQ(rows(get_li_main()).size(), 7u);
    EXPECT_EQ(part("list.name"), "main heading");

    clear_list(1, 0);
    EXPECT_TRUE(rows(get_li_main()).empty());
    EXPECT_EQ(part("list.name"), "");
    EXPECT_EQ(rows(get_li_sub()).size(), 7u);
    EXPECT_EQ(part("content.text"), "sub text");

    clear_list(0, 1);
    EXPECT_TRUE(rows(get_li_sub()).empty());
    EXPECT_EQ(part("content.text"), "");

    delete_box();
    EXPECT_EQ(get_li_main(), nullptr);
    EXPECT_EQ(get_li_sub(), nullptr);
    clear_list(1, 1); /* absent lists are left alone */
}

TEST_F(ShellTest, LogBoxIgnoresAppendsWithoutItClearsOnFlagOneOnlyAndWritesNoFile)
{
    append_entry_data("before the view", 1); /* no log box yet: nothing happens */
    open_test_view();
    append_entry_data("first", 0);
    append_entry_data("fresh", 1);
    append_entry_data("next", 2); /* any flag but 1 only appends */
    EXPECT_EQ(log_text(), "<br>fresh<br>next");

    /* Bound to PREFIX + "YYYY-MM-DD-HH:MM:SS.ddd " + "_0.txt", never written. */
    std::string name = entry_monitor_file_name();
    const std::string prefix = "/home/app/txrx_log_";
    ASSERT_EQ(name.compare(0, prefix.size(), prefix), 0) << name;
    ASSERT_EQ(name.size(), prefix.size() + 24 + 6) << name;
    EXPECT_EQ(name.substr(prefix.size() + 19, 1), ".");
    EXPECT_EQ(name.substr(name.size() - 7), " _0.txt");
    EXPECT_FALSE(std::filesystem::exists(name));
}

TEST_F(ShellTest, StartModeRefusesMicomScreensWhileTheLinkIsDownAndClearsTheListsOtherwise)
{
    open_test_view();
    set_str("memory/refrigerator/ErrorList", "41");
    EXPECT_EQ(start_mode(4), 0);
    EXPECT_TRUE(logged("E/org.fridge.engineermode: main.cpp: start_mode("));
    EXPECT_TRUE(logged("Connection Error !!"));
    EXPECT_EQ(start_mode(0), 1);
    EXPECT_EQ(start_mode(12), 1);
    EXPECT_EQ(rows(get_li_main()).size(), 7u) << "a refused, zero or unknown mode clears nothing";
    EXPECT_EQ(rows(get_li_sub()).size(), 7u);
    EXPECT_EQ(start_mode(1), 1);
    EXPECT_TRUE(rows(get_li_main()).empty());
    EXPECT_TRUE(rows(get_li_sub()).empty());
    EXPECT_TRUE(logged("mode : 1"));

    struct Case {
        const char *list;
        bool link_ok;
    } cases[] = {
        {"41 E", false}, {"22 E 41", true}, {"", false},     {"22 35", false},
        {"410 E", false}, {"Exyz 41", true}, {"  E  ", true}, {"4 E", true},
    };
    for (const Case &c : cases) {
        set_str("memory/refrigerator/ErrorList", c.list);
        EXPECT_EQ(check_connection_error(), c.link_ok ? 0 : 1) << "'" << c.list << "'";
        for (int mode : {1, 2, 4, 5, 6, 7, 8, 9}) {
            start_mode(0);
            bool needs_link = mode == 4 || mode == 5 || mode == 6 || mode == 9;
            int expected = (needs_link && !c.link_ok) ? 0 : 1;
            EXPECT_EQ(start_mode(mode), expected) << "'" << c.list << "' mode " << mode;
            EXPECT_EQ(get_mode(), expected ? mode : 0);
        }
    }
    ASSERT_EQ(vconf_unset("memory/refrigerator/ErrorList"), 0);
    EXPECT_EQ(check_connection_error(), 1) << "a missing list counts as a broken link";
}

TEST_F(ShellTest, LoadEdjFailsCleanlyOnAMissingGroupOrFile)
{
    EXPECT_EQ(load_edj(ad_->win, app_res_path("edje/monitor.edj").c_str(), "no_such_group"),
              nullptr);
    EXPECT_EQ(load_edj(ad_->win, "/nonexistent/file.edj", "main"), nullptr);
    std::string errors = take_toolkit_errors();
    EXPECT_NE(errors.find("no_such_group"), std::string::npos) << errors;
    EXPECT_NE(errors.find("/nonexistent/file.edj"), std::string::npos) << errors;
    Evas_Object *ok = load_edj(ad_->win, app_res_path("edje/monitor.edj").c_str(), "main");
    ASSERT_NE(ok, nullptr);
    EXPECT_FALSE(evas_object_visible_get(ok)) << "the caller shows the layout";
}

TEST_F(ShellTest, TerminateWithoutRecordOnlyLogs)
{
    _terminate(nullptr);
    EXPECT_NE(appdata_get_win(), nullptr);
    EXPECT_TRUE(logged("_terminate(") );
}

namespace {

/* True when a is stacked above b among the objects that hold them (the
 * window's full-size objects hide what lies below them). */
bool stacked_above(Evas_Object *a, Evas_Object *b)
{
    for (Evas_Object *o = evas_object_above_get(b); o; o = evas_object_above_get(o))
        if (o == a)
            return true;
    return false;
}

}  // namespace

TEST_F(ShellTest, LeavingTheTestViewReturnsTheObjectCountAndReopeningBuildsOneSet)
{
    elm_config_transition_duration_factor_set(0.05);  // quick naviframe transitions
    Evas_Object *main_layout = appdata_get_layout();
    /* Runs the loop until the left view is gone (the naviframe back in the
     * main layout), at most five seconds. */
    auto wait_closed = [main_layout] {
        for (int i = 0; i < 100 && appdata_get_layout() != main_layout; ++i)
            run_loop(0.05);
        return appdata_get_layout() == main_layout;
    };
    int before = canvas_objects();
    std::vector<int> counts;
    int buttons = 0;
    for (int visit = 0; visit < 30; ++visit) {
        Elm_Object_Item *fake_item = nullptr;
        test_fridge_function_cb2(ad_->nf, nullptr, &fake_item);
        ASSERT_NE(appdata_get_layout(), main_layout);
        buttons = button_count();
        ASSERT_GT(buttons, 0);
        ASSERT_TRUE(stacked_above(ad_->conform, main_layout)) << "visit " << visit;
        run_loop(0.05);
        ASSERT_TRUE(press_back(0.05));
        ASSERT_TRUE(wait_closed()) << "visit " << visit;
        counts.push_back(canvas_objects());
    }
    /* The background made by the first opening stays; nothing else does. */
    ASSERT_NE(appdata_get_bg(), nullptr);
    EXPECT_EQ(counts.front(), before + count_objects(appdata_get_bg()));
    EXPECT_EQ(counts, std::vector<int>(counts.size(), counts.front()));
    EXPECT_EQ(ad_->conform, nullptr);
    EXPECT_EQ(appdata_get_edje(), nullptr);
    EXPECT_EQ(appdata_get_block_edje(), nullptr);
    EXPECT_EQ(get_li_main(), nullptr);
    EXPECT_EQ(entry_monitor_get_entry(), nullptr);
    EXPECT_EQ(button_count(), 0);
    EXPECT_EQ(nf_items(), 1);
    EXPECT_TRUE(stacked_above(main_layout, appdata_get_bg())) << "the main menu is hidden";

    /* Opened again while the pop of the last one is still running: only the
     * view that was left goes. */
    open_test_view();
    main_back_cb(ad_->nf, nullptr, nullptr);
    Elm_Object_Item *fake_item = nullptr;
    test_fridge_function_cb2(ad_->nf, nullptr, &fake_item);
    Evas_Object *reopened = appdata_get_layout();
    run_loop(0.5);
    EXPECT_EQ(nf_items(), 2);
    EXPECT_EQ(appdata_get_layout(), reopened);
    EXPECT_NE(appdata_get_edje(), nullptr);
    EXPECT_EQ(button_count(), buttons);
    EXPECT_EQ(rows(get_li_main()), std::vector<std::string>(7, "N/A"));
    EXPECT_EQ(rows(get_li_sub()), std::vector<std::string>(7, "N/A"));
    EXPECT_TRUE(stacked_above(ad_->conform, main_layout));
    ASSERT_TRUE(press_back());
    ASSERT_TRUE(wait_closed());
    EXPECT_EQ(canvas_objects(), counts.front());
}
