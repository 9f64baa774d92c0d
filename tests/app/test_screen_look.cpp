/*
 * How the main menu's screens and popups look, measured on the pixels the
 * buffer engine renders: the contrast of their key texts, pages that fill
 * their areas, and Korean popup bodies that wrap only between words.
 */
#include <wifi_radio.h>

#include <app.h>
#include <app_i18n.h>
#include <vconf.h>
#include <vconf_store.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "look.h"
#include "static/static_ip.h"

namespace {

using namespace look;

/* Main-menu rows, by their centres (96 px rows under the 96 px title). */
enum menu_row { MENU_SYSTEM_INFO = 144, MENU_STATIC_IP = 432, MENU_SETTINGS = 528 };

class ScreenLookTest : public LookTest {
protected:
    void SetUp() override
    {
        LookTest::SetUp();
        radio([](wifi_radio::state &s) {
            s.activated = true;
            s.scan_time = 0.4;
            s.connect_time = 0.3;
            s.aps = {{"Office", true, "secret99", -55, true, 0}};
        });
    }

    static void radio(const std::function<void(wifi_radio::state &)> &change)
    {
        std::string error;
        ASSERT_TRUE(wifi_radio::update(change, error)) << error;
    }
    /* The panel language, for the screens built from now on. */
    static void language(const char *locale)
    {
        set_str("db/menu_widget/language", locale);
        app_platform_locale_apply();
    }
    static void menu(int row_y)
    {
        click_at(540, row_y);
        run_loop(0.35);
    }

    /* Runs the loop until a popup with this body or title shows. */
    static bool wait_popup(const std::string &text)
    {
        return wait_until(
            [&text] {
                for (Evas_Object *popup : visible_popups())
                    for (const char *part : {"default", "title,text"})
                        if (const char *t = elm_object_part_text_get(popup, part); t && text == t)
                            return true;
                return false;
            },
            5);
    }
    /* The popups' time is up (what their timers do), as the engineer waits. */
    static void time_out_popups()
    {
        for (Evas_Object *popup : visible_popups())
            evas_object_smart_callback_call(popup, "timeout", nullptr);
        settle();
    }
    void type_form(const std::vector<std::string> &texts)
    {
        Evas_Object *fields[] = {ad_->static_ip.entry_ssid,   ad_->static_ip.entry_password,
                                 ad_->static_ip.entry_ip,     ad_->static_ip.entry_subnet,
                                 ad_->static_ip.entry_gateway};
        for (std::size_t i = 0; i < texts.size() && i < std::size(fields); ++i)
            elm_object_text_set(fields[i], texts[i].c_str());
    }
    void press_connect()
    {
        click(elm_object_item_part_content_get(elm_naviframe_top_item_get(ad_->nf),
                                               "title_right_btn"));
    }
    /* A row of the settings list; its control at the right. */
    Elm_Object_Item *setting_row(int index) const
    {
        Elm_Object_Item *it = elm_genlist_first_item_get(ad_->setting_list);
        for (int i = 0; i < index && it; ++i)
            it = elm_genlist_item_next_get(it);
        return it;
    }
    void tap_setting_control(int index)
    {
        click(elm_object_item_part_content_get(setting_row(index), "elm.swallow.end"));
        run_loop(0.1);
    }
    void tap_setting_row(int index)
    {
        Evas_Object *view = elm_object_item_track(setting_row(index));
        rect r = geometry(view);
        elm_object_item_untrack(setting_row(index));
        click_at(r.x + 150, r.y + r.h / 2);
        run_loop(0.1);
    }
    /* Each text (the topmost one containing it) reads on what it stands on. */
    void measure(const std::vector<std::string> &texts)
    {
        for (const std::string &text : texts) {
            drawn_text found = find_text(ad_->win, text);
            ASSERT_NE(found.object, nullptr) << "no text " << text;
            expect_readable(found.area, text);
        }
    }
    static void press_popup_button(const char *part)
    {
        std::vector<Evas_Object *> shown = visible_popups();
        ASSERT_FALSE(shown.empty());
        click(elm_object_part_content_get(shown.front(), part));
        run_loop(0.1);
    }
};

}  // namespace

TEST_F(ScreenLookTest, KeyTextsOfTheMenuScreensAndTheirPopupsReadWell)
{
    menu(MENU_SETTINGS);
    ASSERT_EQ(vconf_store_set_readonly("db/webservice/ShelfPeekImageToServer", 1), VCONF_OK);
    tap_setting_control(2);
    measure({"Wi-Fi Direct 5G", "Set Mirroring Operating Channel 5GHz", "Equalizer Setting",
             "Send ShelfPeek image to the server", "PXN Partition Switching", "SWITCH",
             "Failed to set status of sending shelfPeek image to server"});
    tap_setting_row(1);
    measure({"Equalizer Setting", "NUVR1.0 BMF TYPE", "OK", "Close"});
    press_popup_button("button2");
    tap_setting_control(3);
    measure({"Alert", "This change needs rebooting.", "Cancel"});
    press_popup_button("button2");
    ASSERT_TRUE(press_back());
    menu(MENU_SYSTEM_INFO);
    measure({i18n_get_text("REFLCD_NV2_EM_SYSTEM_INFORMATION"), "Kernel Version", "OK"});
    press_popup_button("button1");

    menu(MENU_STATIC_IP);
    type_form({"Office"});
    run_loop(0.1);
    measure({i18n_get_text("REFLCD_NV2_EM_AP_NAME"), "Office", "password", "192.168.1.128",
             i18n_get_text("  Input DNS2 (*necessary in a specific AP)")});
    add_popup(&ad_->static_ip, "Couldn't find AP", 3);
    run_loop(0.1);
    measure({"Couldn't find AP"});
    time_out_popups();
    type_form({"Office", "secret99", "10.0.0.20", "255.255.255.0", "10.0.0.1"});
    radio([](wifi_radio::state &s) { s.connect_time = 3; });
    press_connect();
    ASSERT_TRUE(wait_popup("Connecting AP"));
    measure({"Connecting AP"});
}

TEST_F(ScreenLookTest, SettingsAndTheFormFillTheirPages)
{
    /* Below the last setting the rows' surface goes on, even, to the
     * bottom of the window. */
    menu(MENU_SETTINGS);
    rect first = geometry(elm_object_item_track(setting_row(0)));
    rect last = geometry(elm_object_item_track(setting_row(3)));
    snapshot settings(ad_->win);
    rect below = {0, last.y + last.h, 1080, 1645 - last.y - last.h};
    ASSERT_GT(below.h, 0);
    EXPECT_TRUE(settings.uniform(below));
    EXPECT_EQ(settings.at(540, 1640), settings.background(first)) << "the rows' colour";
    elm_object_item_untrack(setting_row(0));
    elm_object_item_untrack(setting_row(3));
    ASSERT_TRUE(press_back());

    /* Each field is one even panel under its text, and the page below the
     * last field is even too (but for the scroll bar at its right edge). */
    menu(MENU_STATIC_IP);
    /* The pointer off the form (over a field it shows a text cursor). */
    evas_event_feed_mouse_move(evas_object_evas_get(ad_->win), 2, 2, (unsigned int)(ecore_time_get() * 1000),
                               nullptr);
    settle();
    snapshot form(ad_->win);
    Evas_Object *fields[] = {ad_->static_ip.entry_ssid, ad_->static_ip.entry_password,
                             ad_->static_ip.entry_ip, ad_->static_ip.entry_dns2};
    for (Evas_Object *entry : fields) {
        rect field = geometry(elm_object_parent_widget_get(entry));
        EXPECT_TRUE(form.uniform({field.x + field.w / 2, field.y + 10, field.w / 2 - 24,
                                  field.h - 24}))
            << "field at y " << field.y;
    }
    rect last_field = geometry(elm_object_parent_widget_get(ad_->static_ip.entry_dns2));
    int bottom = last_field.y + last_field.h;
    /* The stock scroller marks its bottom edge with a faint shade (content
     * goes on below): at most a step or two of grey. */
    rect page = {0, bottom, 1060, 1645 - bottom};
    EXPECT_LE(form.spread(page, form.at(0, bottom)), 2);
}

TEST_F(ScreenLookTest, KoreanPopupBodiesWrapOnlyBetweenWords)
{
    language("ko_KR.UTF-8");
    menu(MENU_STATIC_IP);
    const std::string body = "무선공유기를 찾지 못했습니다. 무선공유기의 전원상태와 "
                             "네트워크이름을 확인하신 뒤에 다시 연결하세요. 설정화면에서 "
                             "무선연결을 끄신 뒤 다시 켜세요.";
    add_popup(&ad_->static_ip, body.c_str(), 3);
    run_loop(0.1);
    drawn_text shown = find_text(ad_->win, body);
    ASSERT_NE(shown.object, nullptr);
    expect_wraps_between_words(shown.object);

    /* The form's labels keep their words too (a label shows one line). */
    Eina_List *children = elm_box_children_get(ad_->static_ip.box);
    std::string label = elm_object_text_get(static_cast<Evas_Object *>(eina_list_data_get(children)));
    eina_list_free(children);
    EXPECT_NE(label.find("이\u2060름"), std::string::npos) << label;
}
