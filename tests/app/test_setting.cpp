/*
 * Settings screen: opened from the main menu by a click, its four rows, the
 * two switches bound to their keys (never written by showing a row, a
 * refused write told by a status notification), the equalizer popup with
 * its process-wide radio choice, the partition switch's confirmation, and
 * the back and more keys of the screen.
 */
#include <vconf.h>
#include <vconf_store.h>

#include <map>

#include "fixture.h"
#include "setting/PXN_partition_switch.h"
#include "setting/equalizer_setting.h"
#include "setting/shelfPeek_image.h"
#include "setting/wifi_direct_5g.h"

namespace {

const char WIFI[] = VCONFKEY_WIFI_DIRECT_PREFER_5G;
const char SHELF[] = VCONFKEY_SHELFPEEK_IMAGE_TO_SERVER;
const char MODEL[] = VCONFKEY_EQUALIZER_PRODUCT_MODEL;
const char PARTITION[] = VCONFKEY_REQ_PARTITION_SWITCH;

/* Counts every write of the settings keys, from the key store's change
 * notifications (delivered on the main loop). */
struct write_counter {
    std::map<std::string, int> writes;
    int total = 0;
    write_counter()
    {
        for (const char *key : {WIFI, SHELF, MODEL, PARTITION})
            vconf_notify_key_changed(key, on_write, this);
    }
    ~write_counter()
    {
        for (const char *key : {WIFI, SHELF, MODEL, PARTITION})
            vconf_ignore_key_changed(key, on_write);
    }
    static void on_write(keynode_t *node, void *data)
    {
        auto *counter = static_cast<write_counter *>(data);
        counter->writes[vconf_keynode_get_name(node)]++;
        counter->total++;
    }
    void reset()
    {
        writes.clear();
        total = 0;
    }
};

/* The key read with vconf_get_bool or vconf_get_int (types are strict), or
 * nothing when that read fails. */
std::optional<int> read_key(int (*get)(const char *, int *), const char *key)
{
    int value = 0;
    if (get(key, &value) != VCONF_OK)
        return std::nullopt;
    return value;
}

/* Sets *flag when obj is deleted. */
void watch_del(Evas_Object *obj, bool *flag)
{
    *flag = false;
    evas_object_event_callback_add(
        obj, EVAS_CALLBACK_DEL, [](void *data, Evas *, Evas_Object *, void *) { *static_cast<bool *>(data) = true; },
        flag);
}

class SettingTest : public AppTest {
protected:
    /* Opens the settings screen by a click on its main-menu entry. */
    void open_settings()
    {
        tap_row(elm_object_item_content_get(elm_naviframe_top_item_get(ad_->nf)), "Settings");
        run_loop(0.35);
        ASSERT_NE(ad_->setting_list, nullptr);
    }

    std::vector<Elm_Object_Item *> items() const
    {
        std::vector<Elm_Object_Item *> out;
        for (Elm_Object_Item *it = elm_genlist_first_item_get(ad_->setting_list); it;
             it = elm_genlist_item_next_get(it))
            out.push_back(it);
        return out;
    }
    Elm_Object_Item *item(int index) const { return items().at(static_cast<std::size_t>(index)); }

    static std::string text(Elm_Object_Item *it, const char *part)
    {
        const char *t = elm_object_item_part_text_get(it, part);
        return t ? t : "";
    }
    /* The control at the right of a row (switch or button). */
    Evas_Object *control(int index) const
    {
        return elm_object_item_part_content_get(item(index), "elm.swallow.end");
    }
    static bool on(Evas_Object *check) { return elm_check_state_get(check) == EINA_TRUE; }

    /* A click on a row's text, left of its control. */
    void tap_row_text(int index) const
    {
        Evas_Object *view = elm_object_item_track(item(index));
        int x, y, w, h;
        evas_object_geometry_get(view, &x, &y, &w, &h);
        elm_object_item_untrack(item(index));
        click_at(x + 150, y + h / 2);
    }

    /* The popup over the screen, or NULL. */
    static Evas_Object *shown_popup()
    {
        std::vector<Evas_Object *> shown = visible_popups();
        return shown.empty() ? nullptr : shown.front();
    }
    /* The box that holds the equalizer popup's list, and its radios. */
    static Evas_Object *list_box(Evas_Object *popup)
    {
        return elm_object_part_content_get(elm_object_content_get(popup), "elm.swallow.content");
    }
    static std::vector<Evas_Object *> radios(Evas_Object *popup)
    {
        Eina_List *children = elm_box_children_get(list_box(popup));
        auto *genlist = static_cast<Evas_Object *>(eina_list_data_get(children));
        eina_list_free(children);
        std::vector<Evas_Object *> out;
        for (Elm_Object_Item *it = elm_genlist_first_item_get(genlist); it;
             it = elm_genlist_item_next_get(it))
            out.push_back(elm_object_item_part_content_get(it, "elm.swallow.icon"));
        return out;
    }
    /* Opens the equalizer popup by a tap on its row, after one on the first
     * row (a row still selected opens nothing). */
    Evas_Object *open_equalizer()
    {
        tap_row_text(0);
        tap_row_text(1);
        run_loop(0.1);
        return shown_popup();
    }
    /* Opens the partition switch's popup by a click on "SWITCH". */
    Evas_Object *open_confirmation()
    {
        click(control(3));
        run_loop(0.1);
        return shown_popup();
    }
    static void press(Evas_Object *popup, const char *button)
    {
        click(elm_object_part_content_get(popup, button));
        run_loop(0.1);
    }
};

}  // namespace

TEST_F(SettingTest, MenuEntryOpensFourRowsInOrderAndMissingKeysShowOnUntilTheFirstFlipWritesZero)
{
    write_counter counter;
    open_settings();
    EXPECT_EQ(nf_items(), 2);
    EXPECT_STREQ(elm_object_item_text_get(elm_naviframe_top_item_get(ad_->nf)), "Settings");
    EXPECT_EQ(elm_object_item_content_get(elm_naviframe_top_item_get(ad_->nf)),
              ad_->setting_list);
    EXPECT_EQ(elm_genlist_mode_get(ad_->setting_list), ELM_LIST_COMPRESS);

    ASSERT_EQ(items().size(), 4u);
    const char *titles[] = {"Wi-Fi Direct 5G", "Equalizer Setting",
                            "Send ShelfPeek image to the server", "PXN Partition Switching"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(text(item(i), "elm.text"), titles[i]) << i;
        EXPECT_EQ(text(item(i), "elm.text.sub"), i ? "" : "Set Mirroring Operating Channel 5GHz");
        EXPECT_STREQ(elm_genlist_item_item_class_get(item(i))->item_style, "type1") << i;
    }
    EXPECT_STREQ(elm_object_style_get(control(0)), "on&off");
    EXPECT_EQ(control(1), nullptr);
    EXPECT_STREQ(elm_object_style_get(control(2)), "on&off");
    EXPECT_STREQ(elm_object_style_get(control(3)), "text");
    EXPECT_STREQ(elm_object_text_get(control(3)), "SWITCH");

    EXPECT_TRUE(logged("> Failed to get Wifi direct prefer 5g state"));
    EXPECT_TRUE(logged("> Failed to get shelfPeek Image to Server state"));
    EXPECT_TRUE(on(control(0)));
    EXPECT_TRUE(on(control(2)));
    run_loop(0.2);
    EXPECT_EQ(counter.total, 0) << "showing the preset wrote";

    click(control(0));
    EXPECT_FALSE(on(control(0)));
    EXPECT_EQ(read_key(vconf_get_bool, WIFI), 0);
    click(control(2));
    EXPECT_EQ(read_key(vconf_get_int, SHELF), 0);
    click(control(0));
    EXPECT_EQ(read_key(vconf_get_bool, WIFI), 1);
}

TEST_F(SettingTest, TapsBesideTheControlsDoNothingAndTheEqualizerRowOpensItsPopup)
{
    ASSERT_EQ(vconf_set_bool(WIFI, 0), VCONF_OK);
    set_int(SHELF, 1);
    open_settings();
    write_counter counter;
    for (int row : {0, 2, 3}) {
        tap_row_text(row);
        run_loop(0.1);
        EXPECT_EQ(shown_popup(), nullptr) << row;
    }
    EXPECT_EQ(counter.total, 0);
    EXPECT_FALSE(on(control(0)));
    EXPECT_TRUE(on(control(2)));
    EXPECT_EQ(read_key(vconf_get_int, PARTITION), std::nullopt);

    Evas_Object *popup = open_equalizer();
    ASSERT_NE(popup, nullptr);
    EXPECT_STREQ(elm_object_part_text_get(popup, "title,text"), "Equalizer Setting");
    EXPECT_TRUE(elm_genlist_item_selected_get(item(1))) << "the row stays selected";

    /* Still selected, the row opens nothing more until another row is. */
    press(popup, "button2");
    tap_row_text(1);
    run_loop(0.1);
    EXPECT_EQ(shown_popup(), nullptr);
    Evas_Object *again = open_equalizer();
    ASSERT_NE(again, nullptr);
    /* Left up: the application ends with the popup open. */
}

TEST_F(SettingTest, RealisingRowsReadsTheKeysAgainAndWritesNothing)
{
    ASSERT_EQ(vconf_set_bool(WIFI, 1), VCONF_OK);
    set_int(SHELF, 5);
    write_counter counter;
    open_settings();
    EXPECT_TRUE(logged("> value: 5"));
    EXPECT_TRUE(on(control(0)));
    EXPECT_TRUE(on(control(2))) << "any value but 0 shows on";
    run_loop(0.2);
    EXPECT_EQ(counter.total, 0);
    EXPECT_EQ(read_key(vconf_get_int, SHELF), 5);

    /* Another process changes the keys; the shown rows keep what they read. */
    ASSERT_EQ(vconf_set_bool(WIFI, 0), VCONF_OK);
    ASSERT_EQ(vconf_set_int(SHELF, 0), VCONF_OK);
    run_loop(0.2);
    EXPECT_TRUE(on(control(0)));
    counter.reset();

    /* The rows go out of view and come back: built anew from the keys. */
    bool old_deleted = false;
    watch_del(control(0), &old_deleted);
    for (Elm_Object_Item *it : items())
        elm_genlist_item_update(it);
    elm_genlist_realized_items_update(ad_->setting_list);
    run_loop(0.2);
    EXPECT_TRUE(old_deleted);
    EXPECT_FALSE(on(control(0)));
    EXPECT_FALSE(on(control(2)));
    EXPECT_EQ(counter.total, 0) << "realising a row wrote a key";

    click(control(2));
    run_loop(0.2);
    EXPECT_EQ(read_key(vconf_get_int, SHELF), 1) << "on is written as 1";
    EXPECT_EQ(counter.writes[SHELF], 1) << "the counter does see a flip";
}

/* The ShelfPeek switch's refusal is checked end to end (tests/e2e/settings_click.sh);
 * how a posted message shows, by NotificationToastTest. */
TEST_F(SettingTest, RefusedWriteIsShownAsAStatusNotification)
{
    ASSERT_EQ(vconf_set_bool(WIFI, 1), VCONF_OK);
    ASSERT_EQ(vconf_store_set_readonly(WIFI, 1), VCONF_OK);
    open_settings();
    click(control(0));
    EXPECT_FALSE(on(control(0))) << "the switch keeps its new position";
    EXPECT_EQ(read_key(vconf_get_bool, WIFI), 1);
    EXPECT_TRUE(logged("I/NOTIFICATION: status message: Failed to set wifi direct prefer 5g state"));
}

TEST_F(SettingTest, StoredModelIsPreselectedOnlyOnAnExactMatchInAListSizedByTheScale)
{
    open_settings();
    /* Another case, a trailing blank, an empty text, no key: nothing. */
    const std::pair<const char *, int> cases[] = {
        {"NUVR1_0_BMF_TYPE", 2}, {"nuvr1_0_bmf_type", 0}, {"NUVR1_0_BMF_TYPE ", 0},
        {"", 0},                 {nullptr, 0},            {"NUVR1_0_T_TYPE", 1},
    };
    for (auto [stored, selected] : cases) {
        SCOPED_TRACE(stored ? stored : "(no key)");
        if (stored)
            set_str(MODEL, stored);
        else
            ASSERT_EQ(vconf_unset(MODEL), VCONF_OK);
        Evas_Object *popup = open_equalizer();
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(radios(popup).size(), 3u);
        EXPECT_EQ(elm_radio_value_get(radios(popup)[0]), selected);
        int min_h = 0;
        evas_object_size_hint_min_get(list_box(popup), nullptr, &min_h);
        EXPECT_EQ(min_h, 288);
        press(popup, "button2");  // Close
        EXPECT_EQ(shown_popup(), nullptr);
    }

    elm_config_scale_set(1.3);  // the height is cut to whole pixels
    ASSERT_TRUE(press_back());
    open_settings();
    Evas_Object *popup = open_equalizer();
    ASSERT_NE(popup, nullptr);
    int min_h = 0;
    evas_object_size_hint_min_get(list_box(popup), nullptr, &min_h);
    EXPECT_EQ(min_h, 374);
}

TEST_F(SettingTest, OnlyOkWritesAndItWritesTheLastTappedRadioOfAnyPopup)
{
    set_str(MODEL, "NUVR1_0_T_TYPE");
    open_settings();
    write_counter counter;
    Evas_Object *popup = open_equalizer();
    ASSERT_NE(popup, nullptr);
    bool deleted = false;
    watch_del(popup, &deleted);
    press(popup, "button1");  // OK before any tap in this process
    EXPECT_TRUE(deleted);

    popup = open_equalizer();
    click(radios(popup)[1]);
    watch_del(popup, &deleted);
    ASSERT_TRUE(press_back());
    EXPECT_TRUE(deleted);
    EXPECT_EQ(nf_items(), 2) << "back closed the popup only";

    popup = open_equalizer();
    click(radios(popup)[2]);
    EXPECT_EQ(elm_radio_value_get(radios(popup)[0]), 3);
    press(popup, "button2");  // Close
    EXPECT_EQ(shown_popup(), nullptr);
    run_loop(0.2);
    EXPECT_EQ(counter.total, 0) << "OK without a tap, back or Close wrote";

    popup = open_equalizer();
    EXPECT_EQ(elm_radio_value_get(radios(popup)[0]), 1) << "the stored model is preselected";
    press(popup, "button1");  // OK without a tap: the earlier popup's choice
    EXPECT_EQ(get_str(MODEL), "NUVR2_0");
    run_loop(0.2);
    EXPECT_EQ(counter.total, 1);
}

TEST_F(SettingTest, PartitionSwitchAsksFirstAndOkClosesThenRequests)
{
    open_settings();
    write_counter counter;
    Evas_Object *popup = open_confirmation();
    ASSERT_NE(popup, nullptr);
    EXPECT_STREQ(elm_object_part_text_get(popup, "title,text"), "Alert");
    EXPECT_STREQ(elm_object_text_get(popup),
                 "This change needs rebooting.<br>If press OK, device will be reboot.");
    bool deleted = false;
    watch_del(popup, &deleted);
    press(popup, "button2");  // Cancel
    EXPECT_TRUE(deleted);
    run_loop(0.2);
    EXPECT_EQ(counter.total, 0);

    for (int round = 0; round < 2; ++round) {
        set_int(PARTITION, 0);
        popup = open_confirmation();
        ASSERT_NE(popup, nullptr);
        /* The popup is gone before the request is written. */
        std::optional<int> at_delete = -1;
        evas_object_event_callback_add(
            popup, EVAS_CALLBACK_DEL,
            [](void *data, Evas *, Evas_Object *, void *) {
                *static_cast<std::optional<int> *>(data) = read_key(vconf_get_int, PARTITION);
            },
            &at_delete);
        press(popup, "button1");
        EXPECT_EQ(at_delete, 0);
        EXPECT_EQ(read_key(vconf_get_int, PARTITION), 1);
        EXPECT_EQ(shown_popup(), nullptr);
    }
    EXPECT_EQ(nf_items(), 2);
}

TEST_F(SettingTest, EachBackPressPopsOneScreenHoweverOftenItWasOpenedAndMoreNeedsItsButton)
{
    for (int round = 0; round < 3; ++round) {
        open_settings();
        ASSERT_EQ(nf_items(), 2);
        ASSERT_TRUE(press_back()) << "round " << round;
        ASSERT_EQ(nf_items(), 1);
        EXPECT_EQ(ad_->setting_list, nullptr);
    }

    /* Leaving with a popup open takes the popup along. */
    open_settings();
    Evas_Object *popup = open_confirmation();
    ASSERT_NE(popup, nullptr);
    bool deleted = false;
    watch_del(popup, &deleted);
    ASSERT_TRUE(press_back());
    EXPECT_TRUE(deleted);
    EXPECT_EQ(nf_items(), 1);

    /* The more key clicks a "toolbar_more_btn" only, and there is none. */
    open_settings();
    press_more();
    EXPECT_EQ(nf_items(), 2);
    EXPECT_EQ(shown_popup(), nullptr);
    int clicks = 0;
    Evas_Object *more = elm_button_add(ad_->nf);
    evas_object_smart_callback_add(
        more, "clicked", [](void *data, Evas_Object *, void *) { ++*static_cast<int *>(data); }, &clicks);
    elm_object_item_part_content_set(elm_naviframe_top_item_get(ad_->nf), "toolbar_more_btn", more);
    press_more();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(nf_items(), 2);
}
