/*
 * The application's fault matrix: every bad input against every screen.
 * A case (a reference database broken in one way, the keys and files the
 * screens read bad in one way, a model name that leaves the profile, a
 * micom that never answers, a store that cannot be written) is one process;
 * it runs every screen in turn through the application's real modules on the
 * buffer engine, driven as a person drives them (clicks, list taps, back;
 * the screens' one-second ticks called directly). After each screen the
 * matrix checks that it ended (nothing left blocked or running), that it
 * changed no key but its own and that nothing else was lost; after the case,
 * that every unusable input was named in a log line. A crash or a hang fails
 * the case's process.
 */
#include <app_i18n.h>
#include <dlog_capture.h>
#include <vconf.h>
#include <wifi_radio.h>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app_base_view.h"
#include "fault_inputs.h"
#include "fixture.h"
#include "fridge-function-test/controloption.h"
#include "fridge-function-test/energyinfo.h"
#include "fridge-function-test/errorinfo.h"
#include "fridge-function-test/lcdcheck.h"
#include "fridge-function-test/loadstatus.h"
#include "fridge-function-test/micom_channel.h"
#include "fridge-function-test/option_layout.h"
#include "fridge-function-test/systeminfo.h"
#include "setting/PXN_partition_switch.h"
#include "setting/equalizer_setting.h"
#include "setting/shelfPeek_image.h"
#include "setting/wifi_direct_5g.h"
#include "test_support.h"

namespace fs = std::filesystem;
using faults::key_input;
using faults::kind;
using faults::naming;

namespace {

const char MODEL[] = "RF-DEMO-01";
const char TX[] = VCONFKEY_REFRIGERATOR_TX_MESSAGE;
const char BRIGHTNESS[] = "memory/device/display0/brightness";
const char DEVELOPER[] = VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE;
const char PANEL_TEST_ID[] = EM_PANEL_TEST_APP_ID;
/* Markup that text from outside must never turn into (fault_inputs.cpp
 * puts it in the binary values). */
const char *const FOREIGN_MARKUP[] = {"<font_size=90>", "<item href"};

/* How a screen treats an input file: shown as it stands (named in a log
 * line when missing or not a regular file), parsed (named whenever it is
 * present but bad; missing is a fresh start) or optional (a record that may
 * say anything). */
enum class file_rule { shown, parsed, optional };

struct file_input {
    std::string path;  // below the system root or the platform directory
    bool platform;
    file_rule rule;
    const char *token;
};

class FaultMatrix;

/* A step of the matrix: a screen's keys and files, the keys it may change
 * and how a person uses it. */
struct screen {
    const char *name;
    std::vector<key_input> keys;
    std::vector<file_input> files;
    std::vector<std::string> writes;
    void (*run)(FaultMatrix &);
    /* Keys the micom writes while the screen runs: made bad once it has
     * started (its step calls make_live_faults). */
    std::vector<key_input> live = {};
};

/* One bad condition: how it is made before the first screen (or, for the
 * keys, before each screen), and what must be logged. */
struct fault {
    std::string name;
    std::function<void(FaultMatrix &)> apply;
    std::vector<std::string> log;
    const faults::key_case *keys = nullptr;
};

void PrintTo(const fault &f, std::ostream *os)
{
    *os << f.name;
}

class FaultMatrix : public AppTest, public ::testing::WithParamInterface<fault> {
public:
    /* Test-view screens. */
    static void open_view(FaultMatrix &t);
    static void system_info(FaultMatrix &t);
    static void model_option(FaultMatrix &t);
    static void load_status(FaultMatrix &t);
    static void self_diagnosis(FaultMatrix &t);
    static void error_history(FaultMatrix &t);
    static void force_run(FaultMatrix &t);
    static void control_option(FaultMatrix &t);
    static void energy(FaultMatrix &t);
    static void lcd_check(FaultMatrix &t);
    static void leave_view(FaultMatrix &t);
    /* Main-menu screens. */
    static void system_info_popup(FaultMatrix &t);
    static void panel_function_test(FaultMatrix &t);
    static void static_ip(FaultMatrix &t);
    static void settings(FaultMatrix &t);

    static const std::vector<screen> &screens();

    std::string platform() const { return dir_ + "/platform"; }
    std::string system_root() const { return dir_ + "/system"; }
    std::string db_path(const std::string &model) const
    {
        return dir_ + "/profile/" + model + "/db/engineer_mode.db";
    }
    std::string input_path(const file_input &f) const
    {
        return (f.platform ? platform() : system_root()) + "/" + f.path;
    }

    void SetUp() override;
    void TearDown() override;
    void baseline();
    void run_case();

    /* Faults of one kind in the keys and files a screen reads. */
    void apply_key_case(const faults::key_case &c, const screen &s);
    /* The case's faults in the live keys of the screen running now. */
    void make_live_faults();
    void expect_named(const std::string &what, const std::string &why) const;
    void drop_write_permission();

    static bool blocked() { return evas_object_visible_get(appdata_get_block_edje()); }
    static void tick(Eina_Bool (*cb)(void *), int times)
    {
        for (int i = 0; i < times; i++)
            cb(nullptr);
    }
    void choose(const char *text);
    bool wait_until(const std::function<bool()> &done, double seconds);
    static Evas_Object *popup();

    Evas_Object *main_layout_ = nullptr;
    const screen *running_ = nullptr;
    faults::key_snapshot before_;  // the keys as the running screen found them
    std::unique_ptr<test_support::Child> micom_;
    bool unwritable_ = false;
};

/* Keys of the option bytes, all read by the control-option screen. */
std::vector<key_input> option_keys()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (int k = 0; k < OPTION_BYTES; k++)
            out.push_back(option_byte_key(k));
        return out;
    }();
    std::vector<key_input> keys;
    for (const std::string &name : names)
        keys.push_back({name.c_str(), kind::integer});
    keys.push_back({VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER, kind::integer});
    return keys;
}

std::vector<std::string> option_writes()
{
    std::vector<std::string> writes = {TX};
    for (int k = 0; k < OPTION_BYTES; k++)
        writes.push_back(option_byte_key(k));
    return writes;
}

/* In the order a person would go through them. A screen's keys and files
 * are made bad just before it runs (so the self diagnosis, whose error list
 * also tells whether the micom link is up, comes after the screens that need
 * the link); keys read while the test view is built belong to the view. */
const std::vector<screen> &FaultMatrix::screens()
{
    static const std::vector<screen> all = {
        {"test view",
         {{VCONFKEY_LANGSET, kind::string, "ko_KR.UTF-8", "."}, {DEVELOPER, kind::integer},
          {"db/device/display0/max_brightness", kind::integer, "7", " ", false, naming::unless_missing}},
         {}, {TX, BRIGHTNESS, DEVELOPER}, open_view},
        {"system information",
         {{VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR, kind::integer},
          {VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT, kind::integer},
          {VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION, kind::integer},
          {VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH, kind::integer}},
         {}, {}, system_info},
        {"model option", {{VCONFKEY_REFRIGERATOR_MODELDIODEOPTION, kind::integer}}, {}, {TX},
         model_option},
        {"load status", {{VCONFKEY_REFRIGERATOR_LOAD_STATUS, kind::string, "COMP", "<br>", true}},
         {}, {TX}, load_status},
        {"force run", {{VCONFKEY_REFRIGERATOR_FORCERUN_STATUS, kind::integer}}, {},
         {TX, VCONFKEY_REFRIGERATOR_FORCERUN_STATUS}, force_run},
        {"control option", option_keys(), {}, option_writes(), control_option},
        {"energy",
         {{VCONFKEY_REFRIGERATOR_SMART_GRID_WATT1, kind::integer},
          {VCONFKEY_REFRIGERATOR_SMART_GRID_WATT2, kind::integer},
          {VCONFKEY_REFRIGERATOR_SMART_GRID_WATT3, kind::integer},
          {VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4, kind::integer},
          {"memory/device/lcd_power", kind::integer, "7", " ", false, naming::unless_missing}},
         {}, {}, energy},
        {"LCD check", {}, {}, {BRIGHTNESS}, lcd_check},
        {"error history",
         {{VCONFKEY_REFRIGERATOR_ERROR_HISTORY, kind::string, "22", " ", true}}, {}, {},
         error_history},
        {"self diagnosis", {}, {}, {TX}, self_diagnosis,
         {{VCONFKEY_REFRIGERATOR_ERROR_LIST, kind::string, "22", " ", true}}},
        {"leaving the test view", {}, {}, {}, leave_view},
        {"system information popup",
         {{VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION, kind::integer},
          {"db/device/micom_version", kind::integer, "7", " ", false, naming::unless_missing}},
         {{"proc/sys/kernel/osrelease", false, file_rule::shown, "6.1.0-18-amd64"},
          {"proc/sys/kernel/version", false, file_rule::shown, "#1 SMP PREEMPT_DYNAMIC"},
          {"etc/bsp_version", false, file_rule::shown, "BSP 1.0"}},
         {}, system_info_popup},
        {"panel function test", {},
         {{"run/apps/" + std::string(PANEL_TEST_ID) + ".pid", true, file_rule::optional, "1"}},
         {"memory/private/appfw/" + std::string(PANEL_TEST_ID) + "/open"}, panel_function_test},
        {"static IP",
         {{wifi_radio::state_key, kind::integer, "7", " ", false, naming::never},
          {wifi_radio::softap_key, kind::boolean, "7", " ", false, naming::unless_missing}},
         {}, {wifi_radio::state_key, wifi_radio::softap_key}, static_ip},
        /* Again with the radio's state file bad (Wi-Fi cannot start then). */
        {"static IP, radio", {}, {{"wifi/radio", true, file_rule::parsed, "activated 1"}},
         {wifi_radio::state_key, wifi_radio::softap_key}, static_ip},
        {"settings",
         {{VCONFKEY_WIFI_DIRECT_PREFER_5G, kind::boolean},
          {VCONFKEY_EQUALIZER_PRODUCT_MODEL, kind::string, "NUVR2.0", " "},
          {VCONFKEY_SHELFPEEK_IMAGE_TO_SERVER, kind::integer},
          {VCONFKEY_REQ_PARTITION_SWITCH, kind::integer, "7", " ", false, naming::never}},
         {}, {}, settings},
    };
    return all;
}

void FaultMatrix::SetUp()
{
    AppTest::SetUp();
    elm_config_transition_duration_factor_set(0.05);  // quick naviframe transitions
    main_layout_ = appdata_get_layout();
    setenv("ENGINEER_MODE_SYSTEM_ROOT", system_root().c_str(), 1);
    /* The energy thread samples once at each start, then pauses. */
    energyinfo_set_sample_period_us(3600u * 1000000u);
    baseline();
}

void FaultMatrix::TearDown()
{
    micom_.reset();
    /* The directories made unwritable must be removable again. */
    if (unwritable_)
        for (const auto &entry : fs::recursive_directory_iterator(dir_))
            if (entry.is_directory())
                chmod(entry.path().c_str(), 0700);
    unsetenv("ENGINEER_MODE_SYSTEM_ROOT");
    AppTest::TearDown();
}

/* A healthy refrigerator: the link up, every key the screens read, the
 * sample database, the system files, an active radio with one access
 * point. */
void FaultMatrix::baseline()
{
    set_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, "E");
    set_str(VCONFKEY_LANGSET, "en_US.UTF-8");
    set_str(VCONFKEY_REGIONCODE, "KR");
    set_str(VCONFKEY_REFRIGERATOR_MODEL_NAME, MODEL);
    set_str(VCONFKEY_REFRIGERATOR_LOAD_STATUS, "COMP<br>FAN_F");
    set_str(VCONFKEY_REFRIGERATOR_ERROR_HISTORY, "22 35 E");
    set_str(VCONFKEY_EQUALIZER_PRODUCT_MODEL, "NUVR2.0");
    for (const char *key : {VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR, VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT,
                            VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION, VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH,
                            VCONFKEY_REFRIGERATOR_MODELDIODEOPTION, VCONFKEY_REFRIGERATOR_FORCERUN_STATUS,
                            DEVELOPER, VCONFKEY_REFRIGERATOR_SMART_GRID_WATT1,
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
    faults::put_file(db_path(MODEL), faults::read_bytes(REFDB_PATH));
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

void FaultMatrix::apply_key_case(const faults::key_case &c, const screen &s)
{
    for (const key_input &in : s.keys)
        faults::put_key(platform(), in.key, c.key_file(in));
    for (const file_input &f : s.files)
        faults::put_file(input_path(f), c.plain_file({f.token, kind::string, f.token, "\n"}), c.fifo);
}

void FaultMatrix::make_live_faults()
{
    const faults::key_case *c = GetParam().keys;
    if (!c)
        return;
    for (const key_input &in : running_->live) {
        std::optional<std::string> bytes = c->key_file(in);
        faults::put_key(platform(), in.key, bytes);
        /* The test's own write: no write of the screen. */
        if (bytes)
            before_[in.key] = *bytes;
        else
            before_.erase(in.key);
    }
}

void FaultMatrix::expect_named(const std::string &what, const std::string &why) const
{
    EXPECT_TRUE(logged(what)) << what << " (" << why << ") is named in no log line";
}

/* The store's directories made read-only for this process: as root (which
 * writes anywhere) the process first becomes an unprivileged user owning
 * the test's files. */
void FaultMatrix::drop_write_permission()
{
    if (geteuid() == 0) {
        for (const auto &entry : fs::recursive_directory_iterator(dir_))
            ASSERT_EQ(lchown(entry.path().c_str(), 65534, 65534), 0) << entry.path();
        ASSERT_EQ(chown(dir_.c_str(), 65534, 65534), 0);
        ASSERT_EQ(setresgid(65534, 65534, 65534), 0);
        ASSERT_EQ(setresuid(65534, 65534, 65534), 0);
        prctl(PR_SET_DUMPABLE, 1);  // the leak check attaches to its own threads
    }
    unwritable_ = true;
    for (const auto &entry : fs::recursive_directory_iterator(platform())) {
        if (entry.is_directory()) {
            ASSERT_EQ(chmod(entry.path().c_str(), 0500), 0);
        }
    }
    ASSERT_EQ(chmod(platform().c_str(), 0500), 0);
    ASSERT_NE(vconf_set_int(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS, 2), VCONF_OK) << "still writable";
}

void FaultMatrix::run_case()
{
    const std::string db_before = faults::read_bytes(db_path(MODEL));
    for (const screen &s : screens()) {
        SCOPED_TRACE(s.name);
        if (GetParam().keys)
            apply_key_case(*GetParam().keys, s);
        before_ = faults::snapshot_keys(platform());
        running_ = &s;
        s.run(*this);
        for (const std::string &key : faults::changed_keys(before_, faults::snapshot_keys(platform()))) {
            bool allowed = !unwritable_ && std::find(s.writes.begin(), s.writes.end(), key) != s.writes.end();
            EXPECT_TRUE(allowed) << "changed " << key;
        }
        for (const char *markup : FOREIGN_MARKUP)
            EXPECT_EQ(log_text().find(markup), std::string::npos) << "shown as markup: " << log_text();
        if (HasFatalFailure())
            return;
    }
    EXPECT_EQ(faults::read_bytes(db_path(MODEL)), db_before) << "the database was changed";
    for (const std::string &line : GetParam().log)
        EXPECT_TRUE(logged(line)) << "no log line with: " << line;
}

/* ---- the screens, as a person uses them --------------------------------- */

void FaultMatrix::open_view(FaultMatrix &t)
{
    t.open_test_view();
    ASSERT_NE(get_li_main(), nullptr) << "no test view";
    EXPECT_FALSE(blocked());
}

void FaultMatrix::system_info(FaultMatrix &)
{
    click_at(10 + 105, 1390 + 30);
    EXPECT_NE(log_text().find("System Information"), std::string::npos) << log_text();
}

void FaultMatrix::model_option(FaultMatrix &)
{
    click_at(10 + 105, 1455 + 30);
    tick(_timer1_modeloption_cb, 2);
    EXPECT_NE(log_text().find("MODEL OPTION - FINISHED"), std::string::npos) << log_text();
    EXPECT_FALSE(blocked());
}

void FaultMatrix::load_status(FaultMatrix &)
{
    click_at(230 + 105, 1390 + 30);
    if (get_mode() == 4)
        tick(_timer1_loadstatus_cb, 30);
    EXPECT_EQ(is_working_loadstatus(), 0);
    EXPECT_FALSE(blocked());
}

void FaultMatrix::self_diagnosis(FaultMatrix &t)
{
    click_at(450 + 105, 1390 + 30);
    ASSERT_EQ(get_mode(), 8);
    EXPECT_EQ(is_working_errorHistory(), 0);
    t.make_live_faults();  // what the micom reports during the self test
    tick(_timer1_selfdiagnosis_cb, 60);
    EXPECT_EQ(is_working_selfdiagnosis(), 0);
    std::vector<std::string> errors = rows(get_li_main());
    EXPECT_LE(errors.size(), 100u);
    if (!errors.empty())
        tap_row(get_li_main(), errors.front());
    EXPECT_LE(part("content.text").size(), 499u);
}

void FaultMatrix::error_history(FaultMatrix &)
{
    /* Half of its minute; the self diagnosis pressed next stops it. */
    click_at(670 + 105, 1390 + 30);
    ASSERT_EQ(get_mode(), 7);
    tick(_timer1_errorHistory_cb, 30);
    EXPECT_EQ(is_working_errorHistory(), 1);
    EXPECT_EQ(part("time"), "30");
}

void FaultMatrix::force_run(FaultMatrix &)
{
    click_at(230 + 105, 1455 + 30);
    if (get_mode() != 5)
        return;  // refused while the link is down
    std::vector<std::string> programs = rows(get_li_main());
    EXPECT_LE(programs.size(), 7u);
    for (const std::string &program : programs) {
        EXPECT_LE(program.size(), 39u);
        tap_row(get_li_main(), program);
    }
    run_loop(0.4);  // the rollback check
    if (!programs.empty()) {
        EXPECT_NE(log_text().find("=== FORCE RUN NUMBER ==="), std::string::npos) << log_text();
    }
}

void FaultMatrix::control_option(FaultMatrix &)
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
    if (options.size() > 1) {
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

void FaultMatrix::energy(FaultMatrix &t)
{
    click_at(10 + 105, 1585 + 30);
    run_loop(0.1);
    if (get_mode() != 9)
        return;  // refused while the link is down
    auto command = [](const char *text) {
        Elm_Object_Item *item = row(get_li_main(), text);
        ASSERT_NE(item, nullptr) << text;
        click(elm_list_item_object_get(item));
    };
    command("Start Option");
    /* The micom's report: a change of the fourth key, which ends as the
     * case made it (a missing key is written and removed). */
    if (!t.unwritable_) {
        const std::string key = VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4;
        const std::string path = faults::key_path(t.platform(), key);
        std::optional<std::string> report;
        if (fs::exists(path))
            report = faults::read_bytes(path);
        faults::put_key(t.platform(), key, "int\n5");
        faults::put_key(t.platform(), key, report);
        EXPECT_TRUE(t.wait_until([] { return log_count("_vconf_callback_fn") >= 2; }, 3));
    }
    command("Stop Option");
    command("Clear Option");
    EXPECT_NE(log_text().find("Running Status : Stop"), std::string::npos) << log_text();
}

void FaultMatrix::lcd_check(FaultMatrix &)
{
    _btn_backlightcheck_cb(nullptr, nullptr, nullptr);  // its button is hidden
    tick(backlight_step_cb, 5);
    _btn_backlightcheck_cb(nullptr, nullptr, nullptr);
}

void FaultMatrix::leave_view(FaultMatrix &t)
{
    ASSERT_TRUE(t.press_back());
    EXPECT_TRUE(t.wait_until([&t] { return appdata_get_layout() == t.main_layout_; }, 5));
    EXPECT_EQ(t.nf_items(), 1);
}

void FaultMatrix::system_info_popup(FaultMatrix &t)
{
    t.choose(i18n_get_text("REFLCD_NV2_EM_SYSTEM_INFORMATION"));
    Evas_Object *shown = popup();
    ASSERT_NE(shown, nullptr);
    /* Long file texts cut the 300-byte text before the micom version. */
    const char *text = elm_object_text_get(shown);
    EXPECT_NE(std::string(text ? text : "").find("Kernel Version"), std::string::npos);
    click(elm_object_part_content_get(shown, "button1"));
    run_loop(0.1);
    EXPECT_EQ(popup(), nullptr);
}

void FaultMatrix::panel_function_test(FaultMatrix &t)
{
    t.choose(i18n_get_text("REFLCD_NV2_EM_PANEL_FUNCTION_TEST"));
    EXPECT_TRUE(logged("test panel function"));
    EXPECT_EQ(t.nf_items(), 1);
}

void FaultMatrix::static_ip(FaultMatrix &t)
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
    click(elm_object_item_part_content_get(elm_naviframe_top_item_get(t.ad_->nf), "title_right_btn"));
    /* Every popup is logged; the outcome is the first one that is no
     * progress popup. */
    EXPECT_TRUE(t.wait_until(
        [] {
            for (int i = 0; i < dlog_capture_count(); i++) {
                std::string line = dlog_capture_line(i);
                if (line.find("add_popup(") != std::string::npos &&
                    line.find("popup [") != std::string::npos &&
                    line.find("AP...") == std::string::npos && line.find("Connecting") == std::string::npos)
                    return true;
            }
            return false;
        },
        8));
    dismiss_popups();
    for (int i = 0; i < 5 && t.nf_items() > 1; i++)
        ASSERT_TRUE(t.press_back());
    EXPECT_EQ(t.nf_items(), 1);
}

void FaultMatrix::settings(FaultMatrix &t)
{
    t.choose("Settings");
    ASSERT_NE(t.ad_->setting_list, nullptr);
    run_loop(0.2);  // the rows come into view and read their keys
    Elm_Object_Item *equalizer = elm_genlist_item_next_get(elm_genlist_first_item_get(t.ad_->setting_list));
    ASSERT_NE(equalizer, nullptr);
    elm_genlist_item_selected_set(equalizer, EINA_TRUE);
    run_loop(0.1);
    EXPECT_NE(popup(), nullptr) << "the equalizer popup";
    for (int i = 0; i < 3 && t.nf_items() > 1; i++)
        ASSERT_TRUE(t.press_back());
    EXPECT_EQ(t.nf_items(), 1);
    EXPECT_EQ(popup(), nullptr);
}

/* ---- helpers ------------------------------------------------------------- */

void FaultMatrix::choose(const char *text)
{
    Evas_Object *menu = elm_object_item_content_get(elm_naviframe_bottom_item_get(ad_->nf));
    Elm_Object_Item *entry = row(menu, text);
    ASSERT_NE(entry, nullptr) << text;
    click(elm_list_item_object_get(entry));
    run_loop(0.35);
}

bool FaultMatrix::wait_until(const std::function<bool()> &done, double seconds)
{
    for (double waited = 0; waited < seconds && !done(); waited += 0.05)
        run_loop(0.05);
    return done();
}

Evas_Object *FaultMatrix::popup()
{
    Evas *evas = evas_object_evas_get(appdata_get_win());
    for (Evas_Object *o = evas_object_top_get(evas); o; o = evas_object_below_get(o)) {
        const char *type = elm_object_widget_type_get(o);
        if (type && std::string(type) == "Elm_Popup" && evas_object_visible_get(o))
            return o;
    }
    return nullptr;
}

/* ---- the cases ----------------------------------------------------------- */

std::vector<fault> database_faults()
{
    std::vector<fault> out;
    for (const faults::db_case &c : faults::db_cases()) {
        std::vector<std::string> log(c.log.begin(), c.log.end());
        out.push_back({std::string("database_") + c.name,
                       [&c](FaultMatrix &t) { c.make(t.db_path(MODEL), REFDB_PATH); }, log});
    }
    /* A model name that would leave the profile finds a database planted
     * there; one of 300 characters would not fit the path. */
    out.push_back({"model_name_traversal",
                   [](FaultMatrix &t) {
                       faults::put_file(t.db_path("../planted"), faults::read_bytes(REFDB_PATH));
                       ASSERT_EQ(vconf_set_str(VCONFKEY_REFRIGERATOR_MODEL_NAME, "../planted"), VCONF_OK);
                   },
                   {"model name refused: \"../planted\": it holds '/'"}});
    out.push_back({"model_name_300_characters",
                   [](FaultMatrix &) {
                       ASSERT_EQ(vconf_set_str(VCONFKEY_REFRIGERATOR_MODEL_NAME, std::string(300, 'M').c_str()),
                                 VCONF_OK);
                   },
                   {"it is longer than 64 bytes"}});
    return out;
}

std::vector<fault> key_faults()
{
    std::vector<fault> out;
    for (const faults::key_case &c : faults::key_cases())
        out.push_back({std::string("keys_") + c.name, [](FaultMatrix &) {}, {}, &c});
    return out;
}

std::vector<fault> environment_faults()
{
    return {
        {"micom_never_answers",
         [](FaultMatrix &t) {
             t.micom_ = std::make_unique<test_support::Child>(
                 std::vector<std::string>{MICOM_SERVICE_PATH, "--silent"});
             ASSERT_TRUE(t.micom_->wait_output("ready", 10)) << t.micom_->err();
         },
         {}},
        {"store_not_writable", [](FaultMatrix &t) { t.drop_write_permission(); },
         {"Permission denied"}},
    };
}

std::vector<fault> all_faults()
{
    std::vector<fault> all = database_faults();
    for (auto *more : {key_faults, environment_faults})
        for (fault &f : more())
            all.push_back(std::move(f));
    return all;
}

}  // namespace

TEST_P(FaultMatrix, EveryScreen)
{
    GetParam().apply(*this);
    ASSERT_FALSE(HasFatalFailure());
    run_case();

    /* Every input a key case made unusable was named in a log line. */
    if (const faults::key_case *keys = GetParam().keys) {
        const faults::key_case &c = *keys;
        const bool missing = std::string(c.name) == "missing";
        for (const screen &s : screens()) {
            for (const auto *keys : {&s.keys, &s.live})
                for (const key_input &in : *keys)
                    if (faults::must_name(c, in))
                        expect_named(in.key, "unusable key");
            for (const file_input &f : s.files) {
                if (f.rule == file_rule::shown ? missing || c.fifo : f.rule == file_rule::parsed && !missing)
                    expect_named(f.path, "unusable file");
            }
        }
    }
    if (micom_) {
        /* The service heard the commands and answered none. */
        for (const char *command : {"REQ_STATUS_LOAD_STATUS", "REQ_STATUS_WORK_SELF_TEST", "REQ_STATUS_OPTION_DATA"})
            EXPECT_NE(micom_->out().find(command), std::string::npos) << command << "\n" << micom_->out();
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(all_faults()),
                         [](const ::testing::TestParamInfo<fault> &info) { return info.param.name; });
