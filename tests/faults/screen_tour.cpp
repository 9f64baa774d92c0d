/*
 * The tour of the screens: see screen_tour.h.
 */
#include "screen_tour.h"

#include <app_i18n.h>
#include <dlog_capture.h>
#include <vconf.h>
#include <wifi_radio.h>

#include <string>
#include <vector>

#include "app_base_view.h"
#include "main.h"
#include "fault_inputs.h"
#include "fridge-function-test/controloption.h"
#include "fridge-function-test/energyinfo.h"
#include "fridge-function-test/errorinfo.h"
#include "fridge-function-test/lcdcheck.h"
#include "fridge-function-test/loadstatus.h"
#include "fridge-function-test/micom_channel.h"
#include "fridge-function-test/option_layout.h"
#include "fridge-function-test/systeminfo.h"
#include "setting/equalizer_setting.h"
#include "setting/shelfPeek_image.h"
#include "setting/PXN_partition_switch.h"
#include "setting/wifi_direct_5g.h"

std::string ScreenTour::db_path(const std::string &model) const
{
    return dir_ + "/profile/" + model + "/db/engineer_mode.db";
}

void ScreenTour::SetUp()
{
    AppTest::SetUp();
    elm_config_transition_duration_factor_set(0.05);  // quick naviframe transitions
    main_layout_ = appdata_get_layout();
    setenv("ENGINEER_MODE_SYSTEM_ROOT", system_root().c_str(), 1);
    /* The energy thread samples once at each start, then pauses. */
    energyinfo_set_sample_period_us(3600u * 1000000u);
    set_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, "E");
    set_str(VCONFKEY_LANGSET, "en_US.UTF-8");
    set_str(VCONFKEY_REGIONCODE, "KR");
    set_str(VCONFKEY_REFRIGERATOR_MODEL_NAME, "RF-DEMO-01");
    set_str(VCONFKEY_REFRIGERATOR_LOAD_STATUS, "COMP<br>FAN_F");
    set_str(VCONFKEY_REFRIGERATOR_ERROR_HISTORY, "22 35 E");
    set_str(VCONFKEY_EQUALIZER_PRODUCT_MODEL, "NUVR2.0");
    for (const char *key : {VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR, VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT,
                            VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION, VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH,
                            VCONFKEY_REFRIGERATOR_MODELDIODEOPTION, VCONFKEY_REFRIGERATOR_FORCERUN_STATUS,
                            VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE, VCONFKEY_REFRIGERATOR_SMART_GRID_WATT1,
                            VCONFKEY_REFRIGERATOR_SMART_GRID_WATT2, VCONFKEY_REFRIGERATOR_SMART_GRID_WATT3,
                            VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4, "memory/device/lcd_power",
                            "db/device/micom_version", VCONFKEY_SHELFPEEK_IMAGE_TO_SERVER,
                            VCONFKEY_REQ_PARTITION_SWITCH})
        set_int(key, 1);
    set_int(VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER, 3);
    set_int("db/device/display0/max_brightness", 100);
    set_int(wifi_radio::state_key, 1);
    ASSERT_EQ(vconf_set_bool(wifi_radio::softap_key, 0), VCONF_OK);
    ASSERT_EQ(vconf_set_bool(VCONFKEY_WIFI_DIRECT_PREFER_5G, 1), VCONF_OK);
    for (int k = 0; k < OPTION_BYTES; k++)
        set_int(option_byte_key(k).c_str(), 0);
    faults::put_file(db_path("RF-DEMO-01"), faults::read_bytes(REFDB_PATH));
    faults::put_file(system_root() + "/proc/sys/kernel/osrelease", "6.1.0-18-amd64\n");
    faults::put_file(system_root() + "/proc/sys/kernel/version", "#1 SMP PREEMPT_DYNAMIC\n");
    faults::put_file(system_root() + "/etc/bsp_version", "BSP 1.0\n");
    std::string error;
    ASSERT_TRUE(wifi_radio::update(
        [](wifi_radio::state &s) {
            s.activated = true;
            s.activation_time = 0.1;
            s.scan_time = 0.1;
            s.connect_time = 0.1;
            s.aps = {{"Office", false, "", -55, true, 0}};
        },
        error))
        << error;
}

void ScreenTour::open_view(ScreenTour &t)
{
    /* As the main menu's entry opens it, with the quick transition. */
    Elm_Object_Item *menu_item = nullptr;
    test_fridge_function_cb2(t.ad_->nf, nullptr, &menu_item);
    run_loop(0.02);
    ASSERT_NE(get_li_main(), nullptr) << "no test view";
    EXPECT_FALSE(blocked());
}

void ScreenTour::system_info(ScreenTour &)
{
    click_at(10 + 105, 1390 + 30);
    EXPECT_NE(log_text().find("System Information"), std::string::npos) << log_text();
}

void ScreenTour::model_option(ScreenTour &)
{
    click_at(10 + 105, 1455 + 30);
    tick(_timer1_modeloption_cb, 2);
    EXPECT_NE(log_text().find("MODEL OPTION - FINISHED"), std::string::npos) << log_text();
    EXPECT_FALSE(blocked());
}

void ScreenTour::load_status(ScreenTour &t)
{
    click_at(230 + 105, 1390 + 30);
    if (get_mode() == 4) {
        tick(_timer1_loadstatus_cb, t.depth_ == depth::whole ? 30 : 3);
        if (t.depth_ == depth::short_visit)
            click_at(230 + 105, 1390 + 30);  // stopped by hand
    }
    EXPECT_EQ(is_working_loadstatus(), 0);
    EXPECT_FALSE(blocked());
}

void ScreenTour::self_diagnosis(ScreenTour &t)
{
    click_at(450 + 105, 1390 + 30);
    ASSERT_EQ(get_mode(), 8);
    EXPECT_EQ(is_working_errorHistory(), 0);
    t.during_self_test();
    tick(_timer1_selfdiagnosis_cb, t.depth_ == depth::whole ? 60 : 3);
    if (t.depth_ == depth::short_visit)
        click_at(450 + 105, 1390 + 30);  // stopped by hand
    EXPECT_EQ(is_working_selfdiagnosis(), 0);
    std::vector<std::string> errors = rows(get_li_main());
    EXPECT_LE(errors.size(), 100u);
    if (!errors.empty())
        tap_row(get_li_main(), errors.front());
    EXPECT_LE(part("content.text").size(), 499u);
}

void ScreenTour::error_history(ScreenTour &t)
{
    /* Part of its minute; the self diagnosis pressed next stops it. */
    const int ticks = t.depth_ == depth::whole ? 30 : 3;
    click_at(670 + 105, 1390 + 30);
    ASSERT_EQ(get_mode(), 7);
    tick(_timer1_errorHistory_cb, ticks);
    EXPECT_EQ(is_working_errorHistory(), 1);
    EXPECT_EQ(part("time"), std::to_string(60 - ticks));
}

void ScreenTour::force_run(ScreenTour &t)
{
    click_at(230 + 105, 1455 + 30);
    if (get_mode() != 5)
        return;  // refused while the link is down
    std::vector<std::string> programs = rows(get_li_main());
    EXPECT_LE(programs.size(), 7u);
    if (t.depth_ == depth::short_visit && !programs.empty())
        programs.resize(1);
    const int checks = log_count("Force run status:");
    for (const std::string &program : programs) {
        EXPECT_LE(program.size(), 39u);
        tap_row(get_li_main(), program);
    }
    /* The rollback check, 0.3 s after the last tap (a short visit leaves it
     * pending: the next tap replaces it). */
    if (!programs.empty() && t.depth_ == depth::whole) {
        EXPECT_TRUE(wait_until([checks] { return log_count("Force run status:") > checks; }, 2));
    }
    if (!programs.empty()) {
        EXPECT_NE(log_text().find("=== FORCE RUN NUMBER ==="), std::string::npos) << log_text();
    }
}

void ScreenTour::control_option(ScreenTour &t)
{
    click_at(450 + 105, 1455 + 30);
    if (get_mode() != 6)
        return;  // refused while the link is down
    delete_controloption();
    onOptionAllSavedCb(nullptr);  // the refresh two seconds later
    EXPECT_FALSE(blocked());
    std::vector<std::string> options = rows(get_li_main());
    ASSERT_FALSE(options.empty());
    EXPECT_LE(options.size(), 38u);
    EXPECT_EQ(options.back(), "Save Option");
    if (options.size() > 1 && t.depth_ == depth::whole) {
        tap_row(get_li_main(), options.front());
        std::vector<std::string> values = rows(get_li_sub());
        EXPECT_LE(values.size(), 16u);
        if (!values.empty())
            tap_row(get_li_sub(), values.back());
    }
    tap_row(get_li_main(), "Save Option");
    delete_controloption();
    tick(onOptionSavedCb, 13);  // the save series, one command a tick
    onOptionAllSavedCb(nullptr);
    EXPECT_FALSE(blocked());
    EXPECT_NE(log_text().find("=== DISPLAY MICOM OPTION ==="), std::string::npos) << log_text();
}

void ScreenTour::energy(ScreenTour &t)
{
    click_at(10 + 105, 1585 + 30);
    run_loop(0.03);  // the list lays out its rows
    if (get_mode() != 9)
        return;  // refused while the link is down
    auto command = [](const char *text) {
        Elm_Object_Item *item = row(get_li_main(), text);
        ASSERT_NE(item, nullptr) << text;
        click(elm_list_item_object_get(item));
    };
    command("Start Option");
    EXPECT_TRUE(t.energy_report());
    command("Stop Option");
    command("Clear Option");
    EXPECT_NE(log_text().find("Running Status : Stop"), std::string::npos) << log_text();
}

void ScreenTour::lcd_check(ScreenTour &)
{
    _btn_backlightcheck_cb(nullptr, nullptr, nullptr);  // its button is hidden
    tick(backlight_step_cb, 5);
    _btn_backlightcheck_cb(nullptr, nullptr, nullptr);
}

void ScreenTour::leave_view(ScreenTour &t)
{
    ASSERT_TRUE(t.press_back(0.02));
    EXPECT_TRUE(t.wait_until([&t] { return appdata_get_layout() == t.main_layout_; }, 5));
    EXPECT_EQ(t.nf_items(), 1);
}

void ScreenTour::system_info_popup(ScreenTour &t)
{
    t.choose(i18n_get_text("REFLCD_NV2_EM_SYSTEM_INFORMATION"));
    Evas_Object *shown = popup();
    ASSERT_NE(shown, nullptr);
    /* Long file texts cut the 300-byte text before the micom version. */
    const char *text = elm_object_text_get(shown);
    EXPECT_NE(std::string(text ? text : "").find("Kernel Version"), std::string::npos);
    click(elm_object_part_content_get(shown, "button1"));
    EXPECT_TRUE(wait_until([] { return popup() == nullptr; }, 2));
}

void ScreenTour::panel_function_test(ScreenTour &t)
{
    t.choose(i18n_get_text("REFLCD_NV2_EM_PANEL_FUNCTION_TEST"));
    EXPECT_TRUE(logged("test panel function"));
    EXPECT_EQ(t.nf_items(), 1);
}

void ScreenTour::static_ip(ScreenTour &t)
{
    /* The engineer waits until a popup's time is up. */
    auto dismiss_popups = [] {
        for (int i = 0; i < 5 && popup(); i++) {
            evas_object_smart_callback_call(popup(), "timeout", nullptr);
            settle();
        }
    };
    t.choose(i18n_get_text("REFLCD_NV2_EM_STATIC_IP_SETTING"));
    if (t.nf_items() == 1) {
        EXPECT_TRUE(logged("Fail to init Wi-Fi"));
        dismiss_popups();
        return;
    }
    static_ip_appdata *form = &t.ad_->static_ip;
    elm_object_text_set(form->entry_ssid, "Office");
    elm_object_text_set(form->entry_ip, "10.0.0.20");
    elm_object_text_set(form->entry_subnet, "255.255.255.0");
    elm_object_text_set(form->entry_gateway, "10.0.0.1");
    /* Every popup is logged; the outcome is one that is no progress popup. */
    auto outcomes = [] {
        int n = 0;
        for (int i = 0; i < dlog_capture_count(); i++) {
            std::string line = dlog_capture_line(i);
            n += line.find("add_popup(") != std::string::npos && line.find("popup [") != std::string::npos &&
                 line.find("AP...") == std::string::npos && line.find("Connecting") == std::string::npos;
        }
        return n;
    };
    const int before = outcomes();
    click(elm_object_item_part_content_get(elm_naviframe_top_item_get(t.ad_->nf), "title_right_btn"));
    EXPECT_TRUE(wait_until([&] { return outcomes() > before; }, 8));
    dismiss_popups();
    t.back_to_menu();
}

void ScreenTour::settings(ScreenTour &t)
{
    t.choose("Settings");
    ASSERT_NE(t.ad_->setting_list, nullptr);
    /* The rows come into view and read their keys. */
    Evas_Object *list = t.ad_->setting_list;
    EXPECT_TRUE(wait_until([list] { return elm_genlist_realized_items_get(list) != nullptr; }, 2));
    Elm_Object_Item *equalizer = elm_genlist_item_next_get(elm_genlist_first_item_get(list));
    ASSERT_NE(equalizer, nullptr);
    elm_genlist_item_selected_set(equalizer, EINA_TRUE);
    EXPECT_TRUE(wait_until([] { return popup() != nullptr; }, 2)) << "the equalizer popup";
    run_loop(0.1);  // laid out
    click(elm_object_part_content_get(popup(), "button2"));  // Close
    EXPECT_TRUE(wait_until([] { return popup() == nullptr; }, 2)) << "Close left the popup";
    t.back_to_menu();
    EXPECT_EQ(popup(), nullptr);
}

bool ScreenTour::energy_report()
{
    const int before = log_count("_vconf_callback_fn");
    set_int(VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4, 2);
    return wait_until([before] { return log_count("_vconf_callback_fn") > before; }, 3);
}

bool ScreenTour::blocked()
{
    return evas_object_visible_get(appdata_get_block_edje());
}

void ScreenTour::tick(Eina_Bool (*cb)(void *), int times)
{
    for (int i = 0; i < times; i++)
        cb(nullptr);
}

void ScreenTour::choose(const char *text)
{
    Evas_Object *menu = elm_object_item_content_get(elm_naviframe_bottom_item_get(ad_->nf));
    /* After a page went, the menu slides back in: tapped once in place. */
    EXPECT_TRUE(wait_until(
        [menu] {
            int x = -1;
            evas_object_geometry_get(menu, &x, nullptr, nullptr, nullptr);
            return x == 0 && evas_object_visible_get(menu);
        },
        3));
    tap_row(menu, text);
    run_loop(0.1);
}

void ScreenTour::back_to_menu()
{
    for (int i = 0; i < 5 && nf_items() > 1; i++) {
        const int pages = nf_items();
        ASSERT_TRUE(press_back(0.02));
        wait_until([this, pages] { return nf_items() < pages; }, 3);
    }
    EXPECT_EQ(nf_items(), 1);
}

Evas_Object *ScreenTour::popup()
{
    std::vector<Evas_Object *> shown = visible_popups();
    return shown.empty() ? nullptr : shown.front();
}

