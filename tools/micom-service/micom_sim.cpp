/*
 * Simulated micom service: what the refrigerator's micom answers on the
 * micom message channel, and when.
 *
 * State (module-wide, reset by micom_sim_start): the configuration; the
 * simulated refrigerator run (whole seconds since the start, which decide
 * the loads that are on); the energy used since the last report; the
 * load-status window; the self test in progress; a pending force-run
 * rollback; the micom's 13 option bytes and its error condition.
 * Timers: none of its own; the caller drives micom_sim_tick.
 * Reads: the start-up keys (existing values are kept), the key
 * "db/refrigerator/RefOptionNN" on "SET_OPTION_NN", the error history
 * before adding a code to it.
 * Writes: the answer keys of the micom message channel and, at start, the
 * keys the application reads when its test view is built.
 */
#include "micom_sim.h"
#include "micom_channel.h"
#include "option_layout.h"
#include "reference_tables.h"

#include <dlog.h>
#include <vconf.h>
#include <vconf_store.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

namespace {

constexpr const char *TAG = "MICOM_SERVICE";

constexpr std::array<const char *, 4> KEY_WATT = {
    VCONFKEY_REFRIGERATOR_SMART_GRID_WATT1, VCONFKEY_REFRIGERATOR_SMART_GRID_WATT2,
    VCONFKEY_REFRIGERATOR_SMART_GRID_WATT3, VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4};

/* Firmware identity reported on the version request. */
constexpr int FIRMWARE_YEAR = 0x25;
constexpr int FIRMWARE_PROJECT = 0x1A;
constexpr int FIRMWARE_VERSION = 0x105;
constexpr int USED_MONTHS = 14;
/* Model-option diode bits: options 1, 3, 4 and 6 inserted. */
constexpr int MODEL_DIODE_OPTION = 0x2D;
/* Ice-maker value: 1 ice maker, 2 dispenser, 4 auto-fill pitcher. */
constexpr int ICE_MAKER_VALUE = 3;
/* What the micom reports after a cancelled force run. */
constexpr int FORCE_RUN_CANCELLED = 15;

constexpr double LOAD_STATUS_WINDOW = 35.0;   /* the screen reads for 30 s */
constexpr double SELF_TEST_IDLE_END = 5.0;    /* no request for that long ends it */
constexpr double SELF_TEST_FIRST_FIND = 3.0;  /* first error found after 3 s */
constexpr double SELF_TEST_NEXT_FIND = 2.0;   /* then one more every 2 s */
constexpr double ROLLBACK_DELAY = 0.1;
constexpr int MAX_CATCH_UP_SECONDS = 120;     /* a larger clock jump is not replayed */

/* Loads as the micom names them (the IDs of the sample database's
 * loadstatus table) and their power draw. */
enum load_index {
    COMP, FAN_F, FAN_R, FAN_C, DMP_R, HTR_DEF_F, HTR_DEF_R, HTR_MUL, HTR_DISP, LAMP_R,
    LAMP_F, VALVE_ICE, VALVE_DISP, ICE_HTR, ICE_MOTOR, AUGER, SOL_CUBE, UV_LED, PUMP_DRN,
    HTR_ICE_RM, LOAD_COUNT
};
struct load_def {
    const char *id;
    int watts;
};
constexpr std::array<load_def, LOAD_COUNT> LOADS = {{
    {"COMP", 110}, {"FAN_F", 8}, {"FAN_R", 6}, {"FAN_C", 9}, {"DMP_R", 2},
    {"HTR_DEF_F", 220}, {"HTR_DEF_R", 150}, {"HTR_MUL", 12}, {"HTR_DISP", 8}, {"LAMP_R", 4},
    {"LAMP_F", 3}, {"VALVE_ICE", 10}, {"VALVE_DISP", 10}, {"ICE_HTR", 90}, {"ICE_MOTOR", 5},
    {"AUGER", 45}, {"SOL_CUBE", 8}, {"UV_LED", 2}, {"PUMP_DRN", 15}, {"HTR_ICE_RM", 10},
}};
constexpr int CONTROL_BOARD_WATTS = 6;
using load_set = std::array<bool, LOAD_COUNT>;

/* The value each control option starts with, by option number (the layout
 * of the bytes is the application's, option_layout.h). Byte 0 has its bit 0
 * set (valid-data mark). */
constexpr std::array<int, OPTION_COUNT> INITIAL_OPTION_VALUES = {{
    0, 4, 1, 8, 4, 0, 1, 3, 3, 1, 1, 2, 1, 1, 2, 1, 0, 0, 1,
    0, 0, 0, 2, 3, 2, 2, 0, 2, 2, 2, 0, 0, 2, 5, 3, 0, 3,
}};

/* The cancel command of the sample database; the micom reports 15 after it. */
constexpr std::string_view FORCE_RUN_CANCEL_COMMAND = "SET_KEY_FORCE_TEST_CANCEL";

struct sim_state {
    micom_config config;
    std::vector<std::string> errors;  /* the micom's current error codes */
    bool link_down = false;
    long second = 0;                  /* simulated seconds done */
    double next_second = 0;
    long long energy = 0;             /* hundredths of a watt-second not yet reported */
    double next_energy = 0;
    double load_until = -1;           /* LoadStatus refreshed while before this */
    bool self_test = false;
    double self_test_start = 0;
    double self_test_request = 0;     /* last "REQ_STATUS_WORK_SELF_TEST" */
    std::size_t self_test_found = 0;  /* errors found so far in this run */
    double rollback_at = -1;
    option_bytes options{};
};

sim_state sim;

struct free_deleter {
    void operator()(char *p) const { std::free(p); }
};
using key_text = std::unique_ptr<char, free_deleter>;

bool key_exists(const char *key)
{
    return vconf_store_type(key) != VCONF_TYPE_NONE;
}

/* Writes that failed since the start (each logged). */
int write_failures = 0;

void put_int(const char *key, int value)
{
    if (vconf_set_int(key, value) != VCONF_OK) {
        dlog_print(DLOG_ERROR, TAG, "cannot write %s = %d", key, value);
        write_failures++;
    }
}

void put_str(const char *key, const std::string &value)
{
    if (vconf_set_str(key, value.c_str()) != VCONF_OK) {
        dlog_print(DLOG_ERROR, TAG, "cannot write %s = \"%s\"", key, value.c_str());
        write_failures++;
    }
}

option_bytes initial_option_bytes()
{
    option_bytes bytes{};
    bytes[0] = 0x01;
    for (int n = 0; n < OPTION_COUNT; ++n)
        option_value_set(bytes, n, INITIAL_OPTION_VALUES[static_cast<std::size_t>(n)]);
    return bytes;
}


/* The error list as the micom reports it now. */
std::string error_list_text(std::size_t count)
{
    return error_list_compose(sim.errors, count, sim.link_down);
}

/* Takes the condition from an error list already in the store. */
void adopt_error_list(std::string_view text)
{
    error_list_condition condition = error_list_parse(text);
    sim.errors.insert(sim.errors.end(), condition.codes.begin(), condition.codes.end());
    if (condition.link_down)
        sim.link_down = true;
}

/* Adds a code to the stored error history unless it is there already. */
void record_in_history(const std::string &code)
{
    key_text stored(key_exists(VCONFKEY_REFRIGERATOR_ERROR_HISTORY) ? vconf_get_str(VCONFKEY_REFRIGERATOR_ERROR_HISTORY) : nullptr);
    std::optional<std::string> text = error_history_add(stored ? stored.get() : "", code);
    if (!text)
        return;
    put_str(VCONFKEY_REFRIGERATOR_ERROR_HISTORY, *text);
    dlog_print(DLOG_INFO, TAG, "error %s recorded in the history", code.c_str());
}

bool within(long s, long period, long from, long to)
{
    long phase = s % period;
    return phase >= from && phase < to;
}

/* Loads on during second s of the run: the compressor cycles (25 s on,
 * 15 s off) and the condenser and freezer fans follow it; the fridge fan
 * and its damper cycle on their own; a fridge door opening every 50 s
 * lights the lamp and stops the fans behind it; the defrost heaters,
 * the ice maker, the dispenser and the drain pump come on now and then. */
load_set loads_at(long s)
{
    load_set on{};
    const bool freezer_defrost = within(s, 240, 200, 215);
    const bool fridge_defrost = within(s, 240, 100, 108);
    const bool door_open = within(s, 50, 10, 15);
    on[COMP] = !freezer_defrost && within(s, 40, 0, 25);
    on[FAN_F] = on[COMP] && !door_open;
    on[FAN_C] = on[COMP];
    on[FAN_R] = !door_open && !fridge_defrost && within(s, 20, 0, 12);
    on[DMP_R] = on[FAN_R];
    on[HTR_DEF_F] = freezer_defrost;
    on[HTR_DEF_R] = fridge_defrost;
    on[HTR_MUL] = within(s, 30, 0, 10);
    on[HTR_DISP] = within(s, 60, 0, 15);
    on[LAMP_R] = door_open;
    on[LAMP_F] = within(s, 110, 70, 74);
    on[VALVE_ICE] = within(s, 90, 30, 34);
    on[ICE_HTR] = within(s, 90, 60, 68);
    on[ICE_MOTOR] = within(s, 90, 64, 70);
    on[VALVE_DISP] = within(s, 70, 40, 44);
    on[AUGER] = within(s, 70, 55, 58);
    on[SOL_CUBE] = on[AUGER] && (s / 70) % 2 == 0;
    on[UV_LED] = within(s, 120, 0, 60);
    on[PUMP_DRN] = within(s, 240, 215, 225);
    on[HTR_ICE_RM] = within(s, 45, 0, 20);
    return on;
}

std::string load_status_text(const load_set &on)
{
    std::string text;
    for (int i = 0; i < LOAD_COUNT; ++i) {
        if (!on[i])
            continue;
        if (!text.empty())
            text += "<br>";
        text += LOADS[i].id;
    }
    return text;
}

int power_of(const load_set &on)
{
    int watts = CONTROL_BOARD_WATTS;
    for (int i = 0; i < LOAD_COUNT; ++i)
        if (on[i])
            watts += LOADS[i].watts;
    return watts;
}

/* One second of the refrigerator's run. */
void step_second()
{
    const load_set on = loads_at(sim.second);
    sim.energy += power_of(on) * 100LL;
    if (sim.next_second < sim.load_until)
        put_str(VCONFKEY_REFRIGERATOR_LOAD_STATUS, load_status_text(on));
    ++sim.second;
    sim.next_second += 1.0;
}

/* Energy used since the last report, in hundredths of a watt-hour, as four
 * bytes from the most significant; the fourth key goes last because its
 * change is what the application listens to. */
void report_energy()
{
    const auto value = static_cast<std::uint32_t>(sim.energy / 3600);
    sim.energy %= 3600;
    for (int i = 0; i < 4; ++i)
        put_int(KEY_WATT[i], static_cast<int>((value >> (24 - 8 * i)) & 0xFF));
}

void end_self_test(const char *why)
{
    sim.self_test = false;
    put_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, error_list_text(sim.errors.size()));
    dlog_print(DLOG_INFO, TAG, "self test ended (%s)", why);
}

/* The self test finds the errors one after another: the first after 3 s,
 * then one every 2 s; each one found goes into the history at once. */
void self_test_progress(double now)
{
    if (!sim.self_test)
        return;
    if (now - sim.self_test_request > SELF_TEST_IDLE_END) {
        end_self_test("no longer requested");
        return;
    }
    if (sim.link_down)
        return;
    std::size_t due = 0;
    while (due < sim.errors.size() &&
           now >= sim.self_test_start + SELF_TEST_FIRST_FIND + SELF_TEST_NEXT_FIND * due)
        ++due;
    if (due == sim.self_test_found)
        return;
    for (std::size_t i = sim.self_test_found; i < due; ++i)
        record_in_history(sim.errors[i]);
    sim.self_test_found = due;
    put_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, error_list_text(due));
}

void start_self_test(double now)
{
    sim.self_test_request = now;
    if (sim.self_test)
        return;
    sim.self_test = true;
    sim.self_test_start = now;
    sim.self_test_found = 0;
    put_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, error_list_text(0));
    dlog_print(DLOG_INFO, TAG, "self test started");
}

void answer_version()
{
    put_int(VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR, FIRMWARE_YEAR);
    put_int(VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT, FIRMWARE_PROJECT);
    put_int(VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION, FIRMWARE_VERSION);
    put_int(VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH, USED_MONTHS);
}

void answer_option_data()
{
    for (int k = 0; k < OPTION_BYTES; ++k)
        put_int(option_byte_key(k).c_str(), sim.options[k]);
}

/* "SET_OPTION_NN": the application has written key RefOptionNN; the micom
 * takes it as its option byte NN. Returns -1 for a malformed number. */
int take_option(std::string_view command)
{
    std::string_view digits = command.substr(std::string_view("SET_OPTION_").size());
    if (digits.size() != 2 || digits[0] < '0' || digits[0] > '9' || digits[1] < '0' ||
        digits[1] > '9') {
        dlog_print(DLOG_WARN, TAG, "bad option command \"%.*s\" ignored",
                   static_cast<int>(command.size()), command.data());
        return -1;
    }
    const int number = (digits[0] - '0') * 10 + (digits[1] - '0');
    if (number < 1 || number > OPTION_BYTES) {
        dlog_print(DLOG_WARN, TAG, "option byte %d does not exist; command ignored", number);
        return -1;
    }
    const std::string key = option_byte_key(number - 1);
    int value = 0;
    if (vconf_get_int(key.c_str(), &value) != VCONF_OK) {
        dlog_print(DLOG_WARN, TAG, "cannot read %s; option byte %d kept", key.c_str(), number);
        return 1;
    }
    if (value < 0 || value > 255)
        dlog_print(DLOG_WARN, TAG, "%s holds %d; its low byte is taken", key.c_str(), value);
    sim.options[number - 1] = static_cast<std::uint8_t>(value & 0xFF);
    dlog_print(DLOG_INFO, TAG, "option byte %d := %d", number, sim.options[number - 1]);
    return 1;
}

void force_run(int status, double now)
{
    put_int(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS, status);
    sim.rollback_at = (sim.config.rollback && status != FORCE_RUN_CANCELLED)
                          ? now + ROLLBACK_DELAY
                          : -1;
}

void write_start_keys()
{
    const micom_config &c = sim.config;
    auto wanted = [&](const char *key) { return c.reset || !key_exists(key); };

    if (c.model_given || wanted(VCONFKEY_REFRIGERATOR_MODEL_NAME))
        put_str(VCONFKEY_REFRIGERATOR_MODEL_NAME, c.model);
    if (wanted(VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER))
        put_int(VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER, ICE_MAKER_VALUE);
    if (wanted(VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE))
        put_int(VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE, 0);
    if (wanted(VCONFKEY_LANGSET))
        put_str(VCONFKEY_LANGSET, "en_US.UTF-8");
    if (wanted(VCONFKEY_REGIONCODE))
        put_str(VCONFKEY_REGIONCODE, "KR");
    if (wanted(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS))
        put_int(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS, 0);

    if (c.link_down || c.errors_given || wanted(VCONFKEY_REFRIGERATOR_ERROR_LIST)) {
        put_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, error_list_text(sim.errors.size()));
    } else {
        key_text stored(vconf_get_str(VCONFKEY_REFRIGERATOR_ERROR_LIST));
        if (stored)
            adopt_error_list(stored.get());
    }
    if (c.history_given)
        put_str(VCONFKEY_REFRIGERATOR_ERROR_HISTORY, c.history);
    else if (wanted(VCONFKEY_REFRIGERATOR_ERROR_HISTORY))
        put_str(VCONFKEY_REFRIGERATOR_ERROR_HISTORY, "E");

    /* The firmware identity is an answer: a silent micom gives none. */
    if (!c.silent &&
        (wanted(VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR) || wanted(VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT) || wanted(VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION) || wanted(VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH)))
        answer_version();

    for (int k = 0; k < OPTION_BYTES; ++k) {
        const std::string key = option_byte_key(k);
        int value = 0;
        if (!c.reset && key_exists(key.c_str()) && vconf_get_int(key.c_str(), &value) == VCONF_OK)
            sim.options[k] = static_cast<std::uint8_t>(value & 0xFF);
        else
            put_int(key.c_str(), sim.options[k]);
    }
}

}  // namespace

std::vector<std::string> split_words(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string_view::npos)
            break;
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        words.emplace_back(text.substr(start, end - start));
        pos = end;
    }
    return words;
}

std::string error_list_compose(const std::vector<std::string> &codes, std::size_t count,
                               bool link_down)
{
    if (link_down)
        return "41";
    std::string text;
    for (std::size_t i = 0; i < count && i < codes.size(); ++i)
        text += codes[i] + " ";
    return text + "E";
}

error_list_condition error_list_parse(std::string_view text)
{
    error_list_condition condition;
    for (std::string &word : split_words(text)) {
        if (word[0] == 'E') {
            condition.closed = true;
            break;
        }
        if (word.compare(0, 2, "41") == 0) {
            condition.link_down = true;
            break;
        }
        condition.codes.push_back(std::move(word));
    }
    return condition;
}

std::optional<std::string> error_history_add(std::string_view history, const std::string &code)
{
    std::string text;
    for (const std::string &word : split_words(history)) {
        if (word[0] == 'E')
            break;
        if (word == code)
            return std::nullopt;
        text += word + " ";
    }
    return text + code + " E";
}

bool micom_sim_start(const micom_config &config, double now)
{
    sim = sim_state{};
    write_failures = 0;
    sim.config = config;
    if (!(sim.config.energy_period > 0)) {
        dlog_print(DLOG_WARN, TAG, "energy period %g refused; 5 s used", sim.config.energy_period);
        sim.config.energy_period = 5.0;
    }
    sim.errors = config.errors;
    sim.link_down = config.link_down;
    sim.next_second = now + 1.0;
    sim.next_energy = now + sim.config.energy_period;
    sim.options = initial_option_bytes();
    write_start_keys();
    dlog_print(DLOG_INFO, TAG, "started: model %s, error list \"%s\"%s", config.model.c_str(),
               error_list_text(sim.errors.size()).c_str(), config.silent ? ", silent" : "");
    return write_failures == 0;
}

void micom_sim_tick(double now)
{
    if (sim.config.silent)
        return;
    for (int steps = 0; sim.next_second <= now; ++steps) {
        if (steps == MAX_CATCH_UP_SECONDS) {
            sim.next_second = now + 1.0;
            break;
        }
        step_second();
    }
    if (sim.rollback_at >= 0 && now >= sim.rollback_at) {
        sim.rollback_at = -1;
        put_int(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS, 0);
        dlog_print(DLOG_INFO, TAG, "force-run status overwritten with 0");
    }
    self_test_progress(now);
    if (now - sim.next_energy > 10 * sim.config.energy_period)
        sim.next_energy = now;
    while (sim.next_energy <= now) {
        report_energy();
        sim.next_energy += sim.config.energy_period;
    }
}

int micom_sim_command(const char *command, double now)
{
    if (command == nullptr) {
        dlog_print(DLOG_WARN, TAG, "command without text ignored");
        return 0;
    }
    const std::string_view cmd(command);
    if (cmd.find_first_not_of(' ') == std::string_view::npos)
        return 0;
    if (sim.config.silent)
        return 0;
    micom_sim_tick(now);

    if (cmd == "REQ_STATUS_REQUEST_VERSION") {
        answer_version();
    } else if (cmd == "REQ_STATUS_REQUEST_MODELOPTION") {
        put_int(VCONFKEY_REFRIGERATOR_MODELDIODEOPTION, MODEL_DIODE_OPTION);
    } else if (cmd == "REQ_STATUS_LOAD_STATUS") {
        sim.load_until = now + LOAD_STATUS_WINDOW;
        put_str(VCONFKEY_REFRIGERATOR_LOAD_STATUS, load_status_text(loads_at(sim.second)));
    } else if (cmd == "REQ_STATUS_WORK_SELF_TEST") {
        start_self_test(now);
    } else if (cmd == "REQ_STATUS_STOP_SELF_TEST") {
        if (sim.self_test)
            end_self_test("stopped");
    } else if (cmd == "REQ_STATUS_OPTION_DATA") {
        answer_option_data();
    } else if (cmd.starts_with("SET_OPTION_")) {
        return take_option(cmd);
    } else {
        if (cmd == FORCE_RUN_CANCEL_COMMAND) {
            force_run(FORCE_RUN_CANCELLED, now);
            return 1;
        }
        /* The micom takes the commands the screens map to a status, exactly. */
        for (const forcerun_status_prefix &run : FORCE_RUN_STATUS_BY_PREFIX) {
            if (cmd == run.prefix) {
                force_run(run.status, now);
                return 1;
            }
        }
        dlog_print(DLOG_WARN, TAG, "unknown command \"%.100s\" ignored", command);
        return -1;
    }
    return 1;
}
