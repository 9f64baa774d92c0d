/*
 * Static IP Wi-Fi screen through the real Wi-Fi library and soft AP over the
 * simulated radio: the form, its refusals, the popups, opening and leaving,
 * and every way a Connect press can end. Results arrive on the main loop,
 * so the tests run it until what a person would wait for shows.
 */
#include <wifi.h>
#include <wifi_radio.h>

#include <app_i18n.h>
#include <efl_extension.h>
#include <vconf.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fixture.h"
#include "static/static_ip.h"
#include "static/wifi_connect.h"

namespace {

using texts_t = std::vector<std::string>;

const char SUCCESS[] = "Success to connect AP";
const char FAILED[] = "Fail to connect AP";
const char NOT_FOUND[] = "Couldn't find AP";
const char INCOMPLETE[] =
    "Input all AP information needed.<br>(In a specific AP, you don't need DNS information.)";
const char CONNECTED_ALREADY[] =
    "Wi-Fi is already connected.<br>Please disconnect the Wi-Fi in Setting>Wi-Fi";

/* What is typed: the addresses of a working configuration unless given. */
struct form {
    std::string ssid, password, ip = "10.0.0.20", subnet = "255.255.255.0", gateway = "10.0.0.1",
                                dns1, dns2;
};

class StaticIpTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        radio([](wifi_radio::state &s) {
            s.activated = true;
            s.activation_time = 0.1;
            s.scan_time = 0.5;
            s.connect_time = 0.4;
            s.aps = {{"Office", true, "secret99", -55, true, 0},
                     {"Lab", false, "", -70, true, 0}};
        });
    }

    static void radio(const std::function<void(wifi_radio::state &)> &change)
    {
        std::string error;
        ASSERT_TRUE(wifi_radio::update(change, error)) << error;
    }
    static wifi_radio::state radio_state()
    {
        wifi_radio::state s;
        radio([&s](wifi_radio::state &current) { s = current; });
        return s;
    }
    static void fail_call(const char *call, int error, bool once = false)
    {
        radio([=](wifi_radio::state &s) { s.failures.push_back({call, error, once}); });
    }

    static_ip_appdata *rec() { return &ad_->static_ip; }

    /* Opens the screen from its main-menu entry, as a tap does. */
    void open()
    {
        Evas_Object *menu = elm_object_item_content_get(elm_naviframe_bottom_item_get(ad_->nf));
        Elm_Object_Item *entry = row(menu, i18n_get_text("REFLCD_NV2_EM_STATIC_IP_SETTING"));
        ASSERT_NE(entry, nullptr);
        elm_list_item_selected_set(entry, EINA_TRUE);
        run_loop(0.35);
    }

    static void type(Evas_Object *entry, const std::string &text)
    {
        char *markup = elm_entry_utf8_to_markup(text.c_str());
        elm_object_text_set(entry, markup);
        free(markup);
    }
    void fill(const form &f)
    {
        type(rec()->entry_ssid, f.ssid);
        type(rec()->entry_password, f.password);
        type(rec()->entry_ip, f.ip);
        type(rec()->entry_subnet, f.subnet);
        type(rec()->entry_gateway, f.gateway);
        type(rec()->entry_dns1, f.dns1);
        type(rec()->entry_dns2, f.dns2);
    }

    Evas_Object *connect_button() const
    {
        return elm_object_item_part_content_get(elm_naviframe_top_item_get(ad_->nf),
                                                "title_right_btn");
    }
    /* A popup takes every touch while it shows: the engineer waits until
     * the popups' time is up (their timers are run here), then presses.
     * The captured log then holds what follows the press only. */
    void press_connect()
    {
        for (Evas_Object *popup : visible_popups())
            evas_object_smart_callback_call(popup, "timeout", nullptr);
        settle();
        clear_log();
        Evas_Object *button = connect_button();
        ASSERT_NE(button, nullptr);
        click(button);
    }

    /* Their body texts, or their titles when a content replaced the body. */
    static texts_t popups()
    {
        texts_t out;
        for (Evas_Object *o : visible_popups()) {
            const char *body = elm_object_text_get(o);
            const char *title = elm_object_part_text_get(o, "title,text");
            out.emplace_back(body ? body : title ? title : "");
        }
        return out;
    }
    static bool showing(const std::string &text)
    {
        texts_t all = popups();
        return std::find(all.begin(), all.end(), text) != all.end();
    }

    static bool wait_log(const std::string &text)
    {
        return wait_until([&] { return logged(text); });
    }
    static bool wait_popup(const std::string &text)
    {
        return wait_until([&] { return showing(text); });
    }
};

}  // namespace

TEST_F(StaticIpTest, FormHasSevenLabelledFieldsOfTheirKindAndConnectInTheTitle)
{
    open();
    ASSERT_EQ(nf_items(), 2);
    EXPECT_EQ(elm_object_item_text_get(elm_naviframe_top_item_get(ad_->nf)),
              std::string(i18n_get_text("REFLCD_NV2_EM_STATIC_IP_SETTING")));
    EXPECT_EQ(elm_object_text_get(connect_button()),
              "<font_size=30>" + std::string(i18n_get_text("REFLCD_NV2_EM_CONNECT")) +
                  "</font_size>");
    EXPECT_STREQ(elm_object_style_get(connect_button()), "textbutton");

    /* Label, field, label, field ... and the tall padding last. */
    texts_t labels;
    const Eina_List *l;
    void *child;
    Eina_List *children = elm_box_children_get(rec()->box);
    EINA_LIST_FOREACH(children, l, child)
        if (!strcmp(elm_object_widget_type_get(static_cast<Evas_Object *>(child)), "Elm_Label"))
            labels.emplace_back(elm_object_text_get(static_cast<Evas_Object *>(child)));
    EXPECT_EQ(eina_list_count(children), 15u);
    eina_list_free(children);
    auto label = [](const char *id) {
        return "<font_size=30>" + std::string(i18n_get_text(id)) + "</font_size>";
    };
    EXPECT_EQ(labels, (texts_t{label("REFLCD_NV2_EM_AP_NAME"), label("REFLCD_NV2_EM_PASSWORD"),
                               label("REFLCD_NV2_EM_IP_ADDRESS"),
                               label("REFLCD_NV2_EM_SUBNET_MASK"), label("REFLCD_NV2_EM_GATEWAY"),
                               label("  Input DNS1 (*necessary in a specific AP)"),
                               label("  Input DNS2 (*necessary in a specific AP)"),
                               "<font_size=800> </font_size>"}));

    Evas_Object *entries[] = {rec()->entry_ssid,    rec()->entry_password, rec()->entry_ip,
                              rec()->entry_subnet,  rec()->entry_gateway,  rec()->entry_dns1,
                              rec()->entry_dns2};
    const char *guides[] = {"ssid",        "password",    "192.168.1.128", "255.255.255.0",
                            "192.168.1.1", "192.168.1.1", "192.168.0.1"};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        Evas_Object *entry = entries[i];
        ASSERT_NE(entry, nullptr);
        EXPECT_STREQ(elm_object_part_text_get(entry, "elm.guide"), guides[i]);
        EXPECT_STREQ(elm_object_text_get(entry), "") << "no field is pre-filled";
        EXPECT_EQ(elm_entry_password_get(entry), i == 1);
        EXPECT_EQ(elm_entry_input_panel_layout_get(entry),
                  i < 2 ? ELM_INPUT_PANEL_LAYOUT_NORMAL : ELM_INPUT_PANEL_LAYOUT_IP);
        EXPECT_EQ(elm_entry_input_panel_return_key_type_get(entry),
                  ELM_INPUT_PANEL_RETURN_KEY_TYPE_DONE);
        EXPECT_TRUE(elm_entry_single_line_get(entry));
    }
}

TEST_F(StaticIpTest, IncompleteFormsAreRefusedWhateverTheGuidesShow)
{
    open();
    press_connect();  // nothing typed: the guides' addresses do not count
    EXPECT_EQ(popups(), texts_t{INCOMPLETE});
    EXPECT_TRUE(logged("soft ap is NOT enabled. Activate wifi!"));
    EXPECT_FALSE(logged("check_wifi_and_activate("));

    /* A blank is a character; password and DNS are never required. */
    static_ip_appdata probe{};
    char blank[] = " ", full[] = "x", empty[] = "";
    probe.ssid = probe.ip = probe.subnet = probe.gateway = blank;
    EXPECT_TRUE(check_entry(&probe));
    for (char **field : {&probe.ssid, &probe.ip, &probe.subnet, &probe.gateway}) {
        *field = empty;
        EXPECT_FALSE(check_entry(&probe));
        *field = nullptr;
        EXPECT_FALSE(check_entry(&probe));
        *field = full;
    }
    EXPECT_FALSE(check_entry(nullptr));

    /* The refusal comes before anything else: when connected, even an
     * empty form gets the connected message only. */
    fill({.ip = "", .subnet = "", .gateway = ""});
    set_int("memory/wifi/state", 2);
    press_connect();
    EXPECT_EQ(popups(), texts_t{CONNECTED_ALREADY});
    EXPECT_EQ(log_count("Wifi is already connected"), 1);
}

TEST_F(StaticIpTest, ErrorNamesOfTheTableOnlyAndPopupsReplacingTheTrackedOne)
{
    const std::pair<int, const char *> table[] = {
        {0, "WIFI_ERROR_NONE"}, {-22, "WIFI_ERROR_INVALID_PARAMETER"},
        {-12, "WIFI_ERROR_OUT_OF_MEMORY"}, {-38, "WIFI_ERROR_INVALID_OPERATION"},
        {-97, "WIFI_ERROR_ADDRESS_FAMILY_NOT_SUPPORTED"}, {-29687039, "WIFI_ERROR_OPERATION_FAILED"},
        {-29687038, "WIFI_ERROR_NO_CONNECTION"}, {-115, "WIFI_ERROR_NOW_IN_PROGRESS"},
        {-29687037, "WIFI_ERROR_ALREADY_EXISTS"}, {-29687036, "WIFI_ERROR_OPERATION_ABORTED"},
        {-29687034, "WIFI_ERROR_DHCP_FAILED"}, {-29687033, "WIFI_ERROR_INVALID_KEY"},
        {-29687032, "WIFI_ERROR_NO_REPLY"}, {-29687031, "WIFI_ERROR_SECURITY_RESTRICTED"},
        {-13, "WIFI_ERROR_PERMISSION_DENIED"}, {-1073741822, "WIFI_ERROR_NOT_SUPPORTED"},
    };
    for (const auto &[value, name] : table) {
        char *text = wifi_error_disp(value);
        ASSERT_NE(text, nullptr) << value;
        EXPECT_STREQ(text, name);
        free(text);
    }
    for (int unnamed : {-29687035, 1, -1, -29687040, -29687030})
        EXPECT_EQ(wifi_error_disp(unnamed), nullptr) << unnamed;
    EXPECT_EQ(wifi_error_text(-29687035), "unnamed error 0xFE3B0305");

    open();
    Evas_Object *progress = add_popup(rec(), "Searching AP...", 10);
    track_popup(rec(), progress);
    Evas_Object *other = add_popup(rec(), "first", 3);  // replaces the tracked one
    EXPECT_EQ(rec()->popup, nullptr);
    settle();
    EXPECT_EQ(popups(), texts_t{"first"});
    add_popup(rec(), "second", 3);  // untracked ones stay side by side
    EXPECT_EQ(popups(), (texts_t{"second", "first"}));
    EXPECT_EQ(elm_popup_timeout_get(other), 3.0);
    evas_object_smart_callback_call(other, "timeout", nullptr);  // its time is up
    settle();
    EXPECT_EQ(popups(), texts_t{"second"}) << "a popup deletes itself after its time";
    EXPECT_EQ(add_popup(nullptr, "x", 3), nullptr);
}

TEST_F(StaticIpTest, FailedInitialisationTellsAndLeavesTheMainMenu)
{
    fail_call("wifi_initialize", WIFI_ERROR_PERMISSION_DENIED, true);
    open();
    EXPECT_TRUE(logged("Fail to init Wi-Fi[WIFI_ERROR_PERMISSION_DENIED]"));
    EXPECT_EQ(nf_items(), 1);
    EXPECT_EQ(popups(), texts_t{i18n_get_text("Fail to init Wi-Fi")});
    EXPECT_EQ(rec()->scroller, nullptr);
    bool activated = false;
    EXPECT_EQ(wifi_is_activated(&activated), WIFI_ERROR_INVALID_OPERATION) << "deinitialised";

    open();  // the next opening works, and back pops only the screen
    EXPECT_EQ(nf_items(), 2);
    EXPECT_EQ(wifi_is_activated(&activated), WIFI_ERROR_NONE);
    EXPECT_TRUE(press_back());
    EXPECT_EQ(nf_items(), 1);
}

TEST_F(StaticIpTest, EveryBackPressPopsOneItemAndLeavingEndsWhatTheScreenStarted)
{
    for (int visit = 0; visit < 3; ++visit) {
        open();
        ASSERT_EQ(nf_items(), 2);
        fill({.ssid = "Lab"});
        press_connect();  // texts taken: the record owns them until the screen goes
        ASSERT_TRUE(wait_log("wifi connect error code [WIFI_ERROR_NONE]"));
        radio([](wifi_radio::state &s) { s.connected_ap.clear(); s.connection = 0; });
        ASSERT_TRUE(press_back()) << visit;
        EXPECT_EQ(nf_items(), 1) << visit;
        run_loop(0.1);
        EXPECT_EQ(rec()->scroller, nullptr);
        EXPECT_EQ(rec()->entry_ssid, nullptr);
        EXPECT_EQ(rec()->ssid, nullptr);
        EXPECT_EQ(rec()->found_ssid, nullptr);
        bool activated = false;
        EXPECT_EQ(wifi_is_activated(&activated), WIFI_ERROR_INVALID_OPERATION);
    }

    /* Left before the soft AP reported itself off: no search then. */
    ASSERT_EQ(vconf_set_bool(wifi_radio::softap_key, 1), 0);
    open();
    fill({.ssid = "Office", .password = "secret99"});
    press_connect();
    ASSERT_TRUE(press_back());
    ASSERT_TRUE(wait_log("the static IP screen was closed: no search"));
    EXPECT_FALSE(logged("want to find AP"));

    /* Left while searching: the progress popup belongs to the screen. */
    radio([](wifi_radio::state &s) { s.scan_time = 3; });
    open();
    fill({.ssid = "Nowhere"});
    press_connect();
    ASSERT_TRUE(showing("Searching AP"));
    ASSERT_TRUE(press_back());
    EXPECT_EQ(rec()->popup, nullptr);
    EXPECT_TRUE(popups().empty());

    EXPECT_EQ(eext_object_event_callback_del(ad_->nf, EEXT_CALLBACK_BACK, naviframe_back_cb),
              nullptr)
        << "no registration left behind";
    /* Opened again while the last screen's message is up, the screen may
     * make the toolkit look up the focus of a widget of the screen gone
     * (the message holds it): logged by the toolkit, not yet mended. No
     * other error passes. */
    std::string errors = take_toolkit_errors();
    for (std::size_t at = 0; at < errors.size(); at = errors.find('\n', at) + 1)
        EXPECT_EQ(errors.compare(at, 42, "eo: efl_ui_focus_object_focus_manager_get:"), 0) << errors;
}

TEST_F(StaticIpTest, SoftApOnIsSwitchedOffAndTheSearchStartsWithTheFormAsItIsThen)
{
    ASSERT_EQ(vconf_set_bool(wifi_radio::softap_key, 1), 0);
    open();
    press_connect();  // incomplete: refused, the soft AP stays on
    EXPECT_TRUE(logged("Soft ap is enabled now. Disable soft ap..."));
    EXPECT_EQ(popups(), texts_t{INCOMPLETE});
    run_loop(0.4);
    int on = 0;
    ASSERT_EQ(vconf_get_bool(wifi_radio::softap_key, &on), 0);
    EXPECT_EQ(on, 1);

    fill({.ssid = "Office", .password = "wrong"});
    press_connect();
    EXPECT_TRUE(showing("Disabled soft AP. Try again."));
    EXPECT_FALSE(logged("want to find AP")) << "the search waits for the soft AP";
    type(rec()->entry_password, "secret99");  // corrected before the soft AP is off
    ASSERT_TRUE(wait_log("want to find AP [name:Office]"));
    vconf_get_bool(wifi_radio::softap_key, &on);
    EXPECT_EQ(on, 0);
    ASSERT_TRUE(wait_popup(SUCCESS));
    EXPECT_EQ(radio_state().connected_ap, "Office");
}

/* The static configuration a connection applies is checked end to end
 * (tests/e2e/static_ip_connect.sh). */
TEST_F(StaticIpTest, ConnectingShowsATrackedProgressPopupUntilTheResult)
{
    open();
    fill({.ssid = "Office", .password = "secret99"});
    press_connect();
    EXPECT_TRUE(logged("found AP you want! name[Office] SSID[Office]"));
    ASSERT_NE(rec()->popup, nullptr) << "the progress popup is tracked";
    EXPECT_STREQ(elm_object_part_text_get(rec()->popup, "title,text"), "Connecting AP");
    Evas_Object *bar = elm_object_part_content_get(rec()->popup, "elm.swallow.content");
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(elm_object_style_get(bar), "process_small");
    EXPECT_TRUE(elm_progressbar_pulse_get(bar));
    EXPECT_EQ(elm_popup_timeout_get(rec()->popup), 10.0);
    EXPECT_EQ(rec()->ap_state, AP_STATE_CONNECTING);
    EXPECT_FALSE(logged("Success")) << "the result comes later";

    ASSERT_TRUE(wait_popup(SUCCESS));
    EXPECT_EQ(rec()->popup, nullptr) << "the result replaced the progress popup";
}

TEST_F(StaticIpTest, NamesMatchExactlyAsTypedAndOnlyARequiredPassphraseCounts)
{
    open();
    fill({.ssid = "office", .password = "secret99"});
    press_connect();
    EXPECT_TRUE(logged("found AP name[Office]"));
    EXPECT_FALSE(logged("found AP you want!"));
    EXPECT_EQ(rec()->ap_state, AP_STATE_NOT_FOUND);
    ASSERT_TRUE(wait_popup(NOT_FOUND));
    EXPECT_TRUE(logged("FAIL! Couldn't find AP"));

    struct attempt {
        const char *ap, *password, *popup;
        int result;
        const char *failing = nullptr;  // a call of the radio failing once with result
    };
    const attempt attempts[] = {
        {"Lab", "", SUCCESS, WIFI_ERROR_NONE},               // open, empty field
        {"Lab", "anything", SUCCESS, WIFI_ERROR_NONE},       // open: not set
        {"Office", "", FAILED, WIFI_ERROR_INVALID_KEY},      // empty is passed as it is
        {"Office", "Secret99", FAILED, WIFI_ERROR_INVALID_KEY},
        {"Lab", "", SUCCESS, WIFI_ERROR_ALREADY_EXISTS, "wifi_connected_cb"},
        {"Café & <Bar>", "", SUCCESS, WIFI_ERROR_NONE},      // typed as markup, compared as text
    };
    radio([](wifi_radio::state &s) { s.aps.push_back({"Café & <Bar>", false, "", -60, true, 0}); });
    for (const attempt &a : attempts) {
        SCOPED_TRACE(std::string(a.ap) + "/" + a.password);
        radio([](wifi_radio::state &s) { s.connected_ap.clear(); s.connection = 0; });
        if (a.failing)
            fail_call(a.failing, a.result, true);
        fill({.ssid = a.ap, .password = a.password});
        press_connect();
        ASSERT_TRUE(wait_log("wifi connect error code ["));
        EXPECT_EQ(popups().front(), a.popup);
        EXPECT_EQ(radio_state().last_result, a.result);
        bool failed = a.popup == FAILED;
        EXPECT_EQ(logged("FAIL! Found AP but fail to connect"), failed);
        EXPECT_EQ(logged("Connection state changed callback, state : Failure, AP name : Office\n"),
                  failed);
        EXPECT_EQ(logged("state : Disconnected, AP name : Office\n"), failed);
    }
    EXPECT_EQ(radio_state().connected_ap, "Café & <Bar>");
}

TEST_F(StaticIpTest, EveryConfigurationStepFailingInTurnEndsTheWalk)
{
    struct step {
        const char *call;
        form typed;
        const char *setting;  // named in the failure's log line; none for the connect call
    };
    form both_dns = {.ssid = "Office", .password = "secret99", .dns1 = "10.0.0.53",
                     .dns2 = "10.0.0.54"};
    form dns2_only = {.ssid = "Office", .password = "secret99", .dns2 = "10.0.0.54"};
    const step steps[] = {
        {"wifi_ap_set_ip_config_type", both_dns, "static ip type"},
        {"wifi_ap_set_ip_address", both_dns, "ip address"},
        {"wifi_ap_set_subnet_mask", both_dns, "subnet mask"},
        {"wifi_ap_set_gateway_address", both_dns, "gateway"},
        {"wifi_ap_set_dns_address", both_dns, "dns1"},
        {"wifi_ap_set_dns_address", dns2_only, "dns2"},
        {"wifi_ap_set_passphrase", both_dns, "password"},
        {"wifi_connect", both_dns, nullptr},
    };
    radio([](wifi_radio::state &s) { std::swap(s.aps[0], s.aps[1]); });  // Lab, then Office
    radio([](wifi_radio::state &s) { s.aps.push_back({"After", false, "", -60, true, 0}); });
    open();
    for (const step &st : steps) {
        std::string log = st.setting ? "FAIL! Fail to set " + std::string(st.setting) +
                                           "[WIFI_ERROR_NOT_SUPPORTED]"
                                     : "wifi connect return val = WIFI_ERROR_NOT_SUPPORTED";
        SCOPED_TRACE(log);
        fail_call(st.call, WIFI_ERROR_NOT_SUPPORTED, true);
        fill(st.typed);
        press_connect();
        EXPECT_TRUE(logged(log));
        EXPECT_TRUE(logged("Fail exit"));
        EXPECT_EQ(popups().front(), FAILED);
        EXPECT_EQ(rec()->popup, nullptr) << "the failure replaced the progress popup";
        EXPECT_EQ(rec()->ap_state, AP_STATE_FAILED);
        EXPECT_FALSE(logged("found AP name[After]")) << "the walk ends at the failure";
        ASSERT_TRUE(wait_log("already show popup"));
    }

    /* The library's own refusal of a typed address ends the same way. */
    fill({.ssid = "Office", .password = "secret99", .ip = "10.0.0"});
    press_connect();
    EXPECT_TRUE(logged("FAIL! Fail to set ip address[WIFI_ERROR_INVALID_PARAMETER]"));
    EXPECT_EQ(popups().front(), FAILED);
    EXPECT_TRUE(radio_state().connected_ap.empty());
}

TEST_F(StaticIpTest, ActivationScanAndWalkRefusalsAndTheProgressPopupTimingOut)
{
    radio([](wifi_radio::state &s) { s.activated = false; });
    fail_call("wifi_activate", WIFI_ERROR_PERMISSION_DENIED, true);
    open();
    fill({.ssid = "Lab"});
    press_connect();
    EXPECT_EQ(popups(), texts_t{i18n_get_text("Fail to activate Wi-Fi device")});
    EXPECT_TRUE(logged("> Fail to activate Wi-Fi device"));
    EXPECT_FALSE(logged("wifi_scan"));

    /* Switched on by a press when it works: checked end to end
     * (tests/e2e/static_ip_connect.sh). */
    radio([](wifi_radio::state &s) { s.activated = true; });
    ASSERT_TRUE(wait_log("Device state changed cb"));

    fail_call("wifi_scan", WIFI_ERROR_NOW_IN_PROGRESS, true);
    press_connect();
    EXPECT_TRUE(logged("FAIL! Fail to scan wi-fi [WIFI_ERROR_NOW_IN_PROGRESS]"));
    EXPECT_EQ(popups().front(), "Fail to scan Wi-Fi");
    EXPECT_FALSE(showing("Searching AP"));
    EXPECT_FALSE(logged("want to find AP"));

    fail_call("wifi_foreach_found_aps", -29687035, true);  // a value without a name
    press_connect();
    EXPECT_TRUE(logged("FAIL! Fail wifi_foreach_found_aps() [unnamed error 0xFE3B0305]"));
    EXPECT_EQ(popups().front(), "Fail to find Wi-Fi");
    ASSERT_TRUE(wait_log("FAIL! Couldn't find AP"));

    /* A slow connection: the progress popup goes after its 10 s (its timer
     * is run here), the result comes later on its own. */
    radio([](wifi_radio::state &s) { s.connect_time = 1.0; });
    press_connect();
    ASSERT_NE(rec()->popup, nullptr);
    evas_object_smart_callback_call(rec()->popup, "timeout", nullptr);
    settle();
    EXPECT_EQ(rec()->popup, nullptr);
    EXPECT_FALSE(logged("wifi connect error code"));
    ASSERT_TRUE(wait_log("wifi connect error code [WIFI_ERROR_NONE]"));
    EXPECT_EQ(popups().front(), SUCCESS);
}

/* What the radio reports is logged by the state callbacks: disconnections
 * in the passphrase table, device changes with the refusals above. */
TEST_F(StaticIpTest, AStateReportWithoutAnApIsLoggedAsUnknown)
{
    open();
    connection_state_cb(static_cast<wifi_connection_state_e>(-2), nullptr, nullptr);
    EXPECT_TRUE(logged("Connection state changed callback, state : Unknown, Fail to get AP name "
                       "[WIFI_ERROR_INVALID_PARAMETER]\n"));
}
