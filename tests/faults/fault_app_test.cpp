/*
 * The application's fault matrix: every bad input against every screen. A
 * case (a reference database broken in one way, the keys and files the
 * screens read bad in one way, a model name that leaves the profile, a micom
 * that never answers, a store that cannot be written) is one process taking
 * the whole tour of the screens (screen_tour.h) on the buffer engine. After
 * each screen: it ended (nothing left blocked or running), it changed no key
 * but its own, no foreign markup took effect; after the case: every unusable
 * input was named in a log line. A crash or a hang fails the case's process.
 */
#include <vconf.h>
#include <wifi_radio.h>

#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
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

using faults::key_input;
using faults::kind;
using faults::naming;

namespace {

const char MODEL[] = "RF-DEMO-01";
const char TX[] = VCONFKEY_REFRIGERATOR_TX_MESSAGE;
const char BRIGHTNESS[] = "memory/device/display0/brightness";
const std::string PANEL_TEST_ID = EM_PANEL_TEST_APP_ID;

/* How a screen treats an input file: shown as it stands (named when missing
 * or not a regular file), parsed (named whenever present but bad; missing is
 * a fresh start) or optional (a record that may say anything). */
enum class file_rule { shown, parsed, optional };

struct file_input {
    std::string path;  // below the system root or the platform directory
    bool platform;
    file_rule rule;
    const char *token;
};

/* A step of the matrix: a screen's keys and files, the keys it may change,
 * how a person uses it, and the keys the micom writes while it runs (made
 * bad once it has started). */
struct screen {
    const char *name;
    std::vector<key_input> keys;
    std::vector<file_input> files;
    std::vector<std::string> writes;
    void (*run)(ScreenTour &);
    std::vector<key_input> live = {};
};

class FaultMatrix;

/* One bad condition, made before the first screen (key cases: before each
 * screen), and what must be logged. */
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

key_input named_unless_missing(const char *key, kind type)
{
    return {key, type, "7", " ", false, naming::unless_missing};
}

/* The control-option screen reads every option byte and writes them back. */
std::vector<key_input> option_keys()
{
    static std::vector<std::string> names;
    for (int k = 0; names.size() < std::size_t(OPTION_BYTES); k++)
        names.push_back(option_byte_key(k));
    std::vector<key_input> keys = {{VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER, kind::integer}};
    for (const std::string &name : names)
        keys.push_back({name.c_str(), kind::integer});
    return keys;
}

std::vector<std::string> option_writes()
{
    std::vector<std::string> writes = {TX};
    for (int k = 0; k < OPTION_BYTES; k++)
        writes.push_back(option_byte_key(k));
    return writes;
}

/* In the order a person goes through them; a screen's inputs are made bad
 * just before it runs (the self diagnosis, whose error list also tells
 * whether the link is up, after the screens that need the link). */
const std::vector<screen> &screens()
{
    using T = ScreenTour;
    const std::vector<std::string> wifi = {wifi_radio::state_key, wifi_radio::softap_key};
    static const std::vector<screen> all = {
        {"test view",
         {{VCONFKEY_LANGSET, kind::string, "ko_KR.UTF-8", "."},
          {VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE, kind::integer},
          named_unless_missing("db/device/display0/max_brightness", kind::integer)},
         {}, {TX, BRIGHTNESS, VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE}, T::open_view},
        {"system information",
         {{VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR, kind::integer},
          {VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT, kind::integer},
          {VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION, kind::integer},
          {VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH, kind::integer}},
         {}, {}, T::system_info},
        {"model option", {{VCONFKEY_REFRIGERATOR_MODELDIODEOPTION, kind::integer}}, {}, {TX}, T::model_option},
        {"load status", {{VCONFKEY_REFRIGERATOR_LOAD_STATUS, kind::string, "COMP", "<br>", true}}, {}, {TX},
         T::load_status},
        {"force run", {{VCONFKEY_REFRIGERATOR_FORCERUN_STATUS, kind::integer}}, {},
         {TX, VCONFKEY_REFRIGERATOR_FORCERUN_STATUS}, T::force_run},
        {"control option", option_keys(), {}, option_writes(), T::control_option},
        {"energy",
         {{VCONFKEY_REFRIGERATOR_SMART_GRID_WATT1, kind::integer},
          {VCONFKEY_REFRIGERATOR_SMART_GRID_WATT2, kind::integer},
          {VCONFKEY_REFRIGERATOR_SMART_GRID_WATT3, kind::integer},
          {VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4, kind::integer},
          named_unless_missing("memory/device/lcd_power", kind::integer)},
         {}, {}, T::energy},
        {"LCD check", {}, {}, {BRIGHTNESS}, T::lcd_check},
        {"error history", {{VCONFKEY_REFRIGERATOR_ERROR_HISTORY, kind::string, "22", " ", true}}, {}, {},
         T::error_history},
        {"self diagnosis", {}, {}, {TX}, T::self_diagnosis,
         {{VCONFKEY_REFRIGERATOR_ERROR_LIST, kind::string, "22", " ", true}}},
        {"leaving the test view", {}, {}, {}, T::leave_view},
        {"system information popup",
         {{VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION, kind::integer},
          named_unless_missing("db/device/micom_version", kind::integer)},
         {{"proc/sys/kernel/osrelease", false, file_rule::shown, "6.1.0-18-amd64"},
          {"proc/sys/kernel/version", false, file_rule::shown, "#1 SMP PREEMPT_DYNAMIC"},
          {"etc/bsp_version", false, file_rule::shown, "BSP 1.0"}},
         {}, T::system_info_popup},
        {"panel function test", {}, {{"run/apps/" + PANEL_TEST_ID + ".pid", true, file_rule::optional, "1"}},
         {"memory/private/appfw/" + PANEL_TEST_ID + "/open"}, T::panel_function_test},
        {"static IP",
         {{wifi_radio::state_key, kind::integer, "7", " ", false, naming::never},
          named_unless_missing(wifi_radio::softap_key, kind::boolean)},
         {}, wifi, T::static_ip},
        /* Again with the radio's state file bad (Wi-Fi cannot start then). */
        {"static IP, radio", {}, {{"wifi/radio", true, file_rule::parsed, "activated 1"}}, wifi, T::static_ip},
        {"settings",
         {{VCONFKEY_WIFI_DIRECT_PREFER_5G, kind::boolean},
          {VCONFKEY_EQUALIZER_PRODUCT_MODEL, kind::string, "NUVR2.0", " "},
          {VCONFKEY_SHELFPEEK_IMAGE_TO_SERVER, kind::integer},
          {VCONFKEY_REQ_PARTITION_SWITCH, kind::integer, "7", " ", false, naming::never}},
         {}, {}, T::settings},
    };
    return all;
}

class FaultMatrix : public ScreenTour, public ::testing::WithParamInterface<fault> {
public:
    std::string input_path(const file_input &f) const
    {
        return (f.platform ? platform() : system_root()) + "/" + f.path;
    }

    /* The store's directories made read-only for this process, which as root
     * first becomes an unprivileged user owning the test's files. */
    void drop_write_permission()
    {
        ASSERT_TRUE(faults::give_to_nobody(dir_));
        if (geteuid() == 0) {
            ASSERT_EQ(setresgid(65534, 65534, 65534), 0);
            ASSERT_EQ(setresuid(65534, 65534, 65534), 0);
            prctl(PR_SET_DUMPABLE, 1);  // the leak check attaches to its own threads
        }
        unwritable_ = true;
        ASSERT_TRUE(faults::chmod_dirs(platform(), 0500));
        ASSERT_NE(vconf_set_int(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS, 2), VCONF_OK) << "still writable";
    }

    std::unique_ptr<test_support::Child> micom_;

protected:
    void TearDown() override
    {
        micom_.reset();
        if (unwritable_)
            faults::chmod_dirs(dir_, 0700);  // removable again
        ScreenTour::TearDown();
    }

    /* The case's faults in the live keys of the screen running now; the
     * test's own writes are no writes of the screen. */
    void during_self_test() override
    {
        if (!GetParam().keys)
            return;
        for (const key_input &in : running_->live) {
            std::optional<std::string> bytes = GetParam().keys->key_file(in);
            faults::put_key(platform(), in.key, bytes);
            if (bytes)
                before_[in.key] = *bytes;
            else
                before_.erase(in.key);
        }
    }

    /* A change of the fourth watt key that ends as the case made it. */
    bool energy_report() override
    {
        if (unwritable_)
            return true;  // the micom could not write either
        const int before = log_count("_vconf_callback_fn");
        const std::string key = VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4;
        std::optional<std::string> report;
        if (std::filesystem::exists(faults::key_path(platform(), key)))
            report = faults::read_bytes(faults::key_path(platform(), key));
        faults::put_key(platform(), key, "int\n5");
        faults::put_key(platform(), key, report);
        return wait_until([before] { return log_count("_vconf_callback_fn") >= before + 2; }, 3);
    }

    void run_case()
    {
        const std::string db_before = faults::read_bytes(db_path(MODEL));
        const faults::key_case *c = GetParam().keys;
        for (const screen &s : screens()) {
            SCOPED_TRACE(s.name);
            for (const key_input &in : c ? s.keys : std::vector<key_input>{})
                faults::put_key(platform(), in.key, c->key_file(in));
            for (const file_input &f : c ? s.files : std::vector<file_input>{})
                faults::put_file(input_path(f), c->plain_file({f.token, kind::string, f.token, "\n"}), c->fifo);
            before_ = faults::snapshot_keys(platform());
            running_ = &s;
            s.run(*this);
            for (const std::string &key : faults::changed_keys(before_, faults::snapshot_keys(platform())))
                EXPECT_TRUE(!unwritable_ && std::count(s.writes.begin(), s.writes.end(), key)) << "changed " << key;
            /* The markup of the binary values never takes effect. */
            for (const char *markup : {"<font_size=90>", "<item href"})
                EXPECT_EQ(log_text().find(markup), std::string::npos) << "shown as markup: " << log_text();
            if (HasFatalFailure())
                return;
        }
        EXPECT_EQ(faults::read_bytes(db_path(MODEL)), db_before) << "the database was changed";
        for (const std::string &line : GetParam().log)
            EXPECT_TRUE(logged(line)) << "no log line with: " << line;
    }

    bool unwritable_ = false;
    const screen *running_ = nullptr;
    faults::key_snapshot before_;  // the keys as the running screen found them
};

std::vector<fault> all_faults()
{
    std::vector<fault> out;
    for (const faults::db_case &c : faults::db_cases())
        out.push_back({std::string("database_") + c.name,
                       [&c](FaultMatrix &t) { c.make(t.db_path(MODEL), REFDB_PATH); },
                       std::vector<std::string>(c.log.begin(), c.log.end())});
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
    for (const faults::key_case &c : faults::key_cases())
        out.push_back({std::string("keys_") + c.name, [](FaultMatrix &) {}, {}, &c});
    out.push_back({"micom_never_answers",
                   [](FaultMatrix &t) {
                       t.micom_ = std::make_unique<test_support::Child>(
                           std::vector<std::string>{MICOM_SERVICE_PATH, "--silent"});
                       ASSERT_TRUE(t.micom_->wait_output("ready", 10)) << t.micom_->err();
                   },
                   {}});
    out.push_back({"store_not_writable", [](FaultMatrix &t) { t.drop_write_permission(); }, {"Permission denied"}});
    return out;
}

}  // namespace

TEST_P(FaultMatrix, EveryScreen)
{
    GetParam().apply(*this);
    ASSERT_FALSE(HasFatalFailure());
    run_case();

    /* Every input a key case made unusable was named in a log line. */
    if (const faults::key_case *c = GetParam().keys) {
        const bool missing = std::string(c->name) == "missing";
        for (const screen &s : screens()) {
            for (const auto *keys : {&s.keys, &s.live})
                for (const key_input &in : *keys)
                    EXPECT_TRUE(!faults::must_name(*c, in) || logged(in.key)) << in.key << " is named in no log line";
            for (const file_input &f : s.files) {
                const bool bad = f.rule == file_rule::shown ? missing || c->fifo
                                                            : f.rule == file_rule::parsed && !missing;
                EXPECT_TRUE(!bad || logged(f.path)) << f.path << " is named in no log line";
            }
        }
    }
    /* A silent service heard the commands and answered none. */
    for (const char *command : {"REQ_STATUS_LOAD_STATUS", "REQ_STATUS_WORK_SELF_TEST", "REQ_STATUS_OPTION_DATA"})
        EXPECT_TRUE(!micom_ || micom_->out().find(command) != std::string::npos) << command;
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(all_faults()),
                         [](const ::testing::TestParamInfo<fault> &info) { return info.param.name; });
