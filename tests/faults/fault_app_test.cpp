/*
 * The application's fault matrix: every bad input against every screen.
 * A case (a reference database broken in one way, the keys and files the
 * screens read bad in one way, a model name that leaves the profile, a
 * micom that never answers, a store that cannot be written) is one process;
 * it takes the whole tour of the screens (screen_tour.h) through the
 * application's real modules on the buffer engine. After each screen the
 * matrix checks that it ended (nothing left blocked or running), that it
 * changed no key but its own and that nothing else was lost; after the case,
 * that every unusable input was named in a log line. A crash or a hang fails
 * the case's process.
 */
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

#include "fault_inputs.h"
#include "fridge-function-test/micom_channel.h"
#include "fridge-function-test/option_layout.h"
#include "setting/PXN_partition_switch.h"
#include "setting/equalizer_setting.h"
#include "setting/shelfPeek_image.h"
#include "setting/wifi_direct_5g.h"
#include "screen_tour.h"
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

/* A step of the matrix: a screen's keys and files, the keys it may change
 * and how a person uses it. */
struct screen {
    const char *name;
    std::vector<key_input> keys;
    std::vector<file_input> files;
    std::vector<std::string> writes;
    void (*run)(ScreenTour &);
    /* Keys the micom writes while the screen runs: made bad once it has
     * started (its step calls during_self_test). */
    std::vector<key_input> live = {};
};

class FaultMatrix;

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

class FaultMatrix : public ScreenTour, public ::testing::WithParamInterface<fault> {
public:
    static const std::vector<screen> &screens();

    std::string input_path(const file_input &f) const
    {
        return (f.platform ? platform() : system_root()) + "/" + f.path;
    }
    /* The store's directories made read-only for this process. */
    void drop_write_permission();

    /* A micom service started by the case. */
    std::unique_ptr<test_support::Child> micom_;

protected:
    void TearDown() override;
    void run_case();

    /* Faults of one kind in the keys and files a screen reads. */
    void apply_key_case(const faults::key_case &c, const screen &s);
    /* The case's faults in the live keys of the screen running now. */
    void during_self_test() override;
    /* A change of the fourth watt key that ends as the case made it (a
     * missing key is written and removed). */
    bool energy_report() override;
    void expect_named(const std::string &what, const std::string &why) const;

    bool unwritable_ = false;
    const screen *running_ = nullptr;
    faults::key_snapshot before_;  // the keys as the running screen found them
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

void FaultMatrix::TearDown()
{
    micom_.reset();
    /* The directories made unwritable must be removable again. */
    if (unwritable_)
        for (const auto &entry : fs::recursive_directory_iterator(dir_))
            if (entry.is_directory())
                chmod(entry.path().c_str(), 0700);
    ScreenTour::TearDown();
}

void FaultMatrix::apply_key_case(const faults::key_case &c, const screen &s)
{
    for (const key_input &in : s.keys)
        faults::put_key(platform(), in.key, c.key_file(in));
    for (const file_input &f : s.files)
        faults::put_file(input_path(f), c.plain_file({f.token, kind::string, f.token, "\n"}), c.fifo);
}

void FaultMatrix::during_self_test()
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

bool FaultMatrix::energy_report()
{
    if (unwritable_)
        return true;  // the micom could not write either
    const int before = log_count("_vconf_callback_fn");
    const std::string key = VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4;
    const std::string path = faults::key_path(platform(), key);
    std::optional<std::string> report;
    if (fs::exists(path))
        report = faults::read_bytes(path);
    faults::put_key(platform(), key, "int\n5");
    faults::put_key(platform(), key, report);
    return wait_until([before] { return log_count("_vconf_callback_fn") >= before + 2; }, 3);
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
            bool allowed =
                !unwritable_ && std::find(s.writes.begin(), s.writes.end(), key) != s.writes.end();
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
                       const std::string name(300, 'M');
                       ASSERT_EQ(vconf_set_str(VCONFKEY_REFRIGERATOR_MODEL_NAME, name.c_str()), VCONF_OK);
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
        for (const char *command :
             {"REQ_STATUS_LOAD_STATUS", "REQ_STATUS_WORK_SELF_TEST", "REQ_STATUS_OPTION_DATA"})
            EXPECT_NE(micom_->out().find(command), std::string::npos) << command;
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(all_faults()),
                         [](const ::testing::TestParamInfo<fault> &info) { return info.param.name; });
