/*
 * panel-wifi: scripts the simulated Wi-Fi radio and the soft AP of the
 * desktop platform, and shows what a connection applied.
 *
 * Every command is one locked change of DIR/wifi/radio (see wifi_radio.h),
 * so it can run beside the application. Exit status: 0 on success, 1 when
 * the radio's state cannot be read or written, 2 for a usage error; every
 * failure prints one line on standard error.
 *
 * State: none of its own. Reads and writes DIR/wifi/radio and the keys
 * "memory/wifi/state" and "memory/softap/enabled"; writes standard output.
 */
#include <wifi.h>
#include <wifi_radio.h>

#include "static/wifi_error.h"

#include <vconf.h>
#include <vconf_store.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char *kUsageText =
    "usage: panel-wifi show\n"
    "       panel-wifi on | off\n"
    "       panel-wifi ap NAME [--open | --passphrase TEXT] [--signal DBM]\n"
    "                          [--known | --after-scan] [--result OUTCOME]\n"
    "       panel-wifi remove NAME\n"
    "       panel-wifi scan\n"
    "       panel-wifi times [--activation S] [--scan S] [--connect S]\n"
    "       panel-wifi fail CALL ERROR [--once]     (ERROR none: no more failure)\n"
    "       panel-wifi disconnect\n"
    "       panel-wifi softap on | off\n"
    "       panel-wifi reset\n"
    "       panel-wifi errors\n"
    "\n"
    "OUTCOME: success, wrong-passphrase, dhcp-failure, association-failure,\n"
    "no-reply or any ERROR. ERROR: a name (WIFI_ERROR_INVALID_KEY or\n"
    "INVALID_KEY) or a number (-29687033, 0xFE3B0305). CALL: a function of the\n"
    "Wi-Fi library, or wifi_activated_cb, wifi_scan_finished_cb,\n"
    "wifi_connected_cb for the result their callback brings.\n";

using Args = std::vector<std::string_view>;

const std::vector<std::string_view> kCalls = {
    "wifi_initialize", "wifi_deinitialize", "wifi_is_activated", "wifi_activate", "wifi_scan",
    "wifi_foreach_found_aps", "wifi_connect", "wifi_ap_get_essid", "wifi_ap_set_ip_config_type",
    "wifi_ap_set_ip_address", "wifi_ap_set_subnet_mask", "wifi_ap_set_gateway_address",
    "wifi_ap_set_dns_address", "wifi_ap_is_passphrase_required", "wifi_ap_set_passphrase",
    "wifi_set_device_state_changed_cb", "wifi_unset_device_state_changed_cb",
    "wifi_set_background_scan_cb", "wifi_unset_background_scan_cb",
    "wifi_set_connection_state_changed_cb", "wifi_unset_connection_state_changed_cb",
    "wifi_set_rssi_level_changed_cb", "wifi_unset_rssi_level_changed_cb", "wifi_activated_cb",
    "wifi_scan_finished_cb", "wifi_connected_cb"};

const std::map<std::string_view, int> kOutcomes = {
    {"success", WIFI_ERROR_NONE},
    {"wrong-passphrase", WIFI_ERROR_INVALID_KEY},
    {"dhcp-failure", WIFI_ERROR_DHCP_FAILED},
    {"association-failure", WIFI_ERROR_OPERATION_FAILED},
    {"no-reply", WIFI_ERROR_NO_REPLY},
};

int fail(int status, const std::string &message)
{
    std::fprintf(stderr, "panel-wifi: %s\n", message.c_str());
    return status;
}

/* Applies change to the radio; 1 with the reason when it cannot. */
int change(const std::function<void(wifi_radio::state &)> &fn)
{
    std::string error;
    return wifi_radio::update(fn, error) ? kOk : fail(kFailed, error);
}

/* A name as the tool prints it: in double quotes, with C escapes for quotes,
 * backslashes and bytes that are not printable. */
std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string error_text(int error)
{
    for (const wifi_error_name &entry : wifi_error_names())
        if (entry.value == error)
            return entry.name;
    return std::to_string(error) + " (no name)";
}

/* A name with or without "WIFI_ERROR_" (any case), or a number: decimal, or
 * hex as the enumeration's 32-bit pattern (0xFE3B0307). */
std::optional<int> parse_error(std::string_view text)
{
    std::string upper;
    for (char c : text)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const wifi_error_name &entry : wifi_error_names())
        if (upper == entry.name || "WIFI_ERROR_" + upper == entry.name)
            return entry.value;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) {
        unsigned pattern = 0;
        std::string_view digits = text.substr(2);
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), pattern, 16);
        if (ec != std::errc() || ptr != digits.data() + digits.size())
            return std::nullopt;
        return static_cast<int>(pattern);
    }
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string outcome_text(int result)
{
    for (const auto &[word, value] : kOutcomes)
        if (value == result)
            return std::string(word);
    return error_text(result);
}

std::string seconds(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g s", value);
    return buffer;
}

std::optional<double> parse_seconds(std::string_view text)
{
    double value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() ||
        !std::isfinite(value) || value < 0 || value > 3600)
        return std::nullopt;
    return value;
}

const char *connection_word(int state)
{
    switch (state) {
    case WIFI_CONNECTION_STATE_ASSOCIATION: return "associating with";
    case WIFI_CONNECTION_STATE_CONFIGURATION: return "configuring for";
    case WIFI_CONNECTION_STATE_CONNECTED: return "connected to";
    default: return "none";
    }
}

void print_settings(const wifi_radio::ip_settings &s)
{
    auto line = [](const char *label, const std::string &value) {
        std::printf("  %-12s %s\n", label, value.empty() ? "-" : value.c_str());
    };
    line("ip address", s.ip);
    line("subnet mask", s.subnet);
    line("gateway", s.gateway);
    line("dns1", s.dns1);
    line("dns2", s.dns2);
}

bool softap_on()
{
    int value = 0;
    return vconf_store_type(wifi_radio::softap_key) == VCONF_TYPE_BOOL &&
           vconf_get_bool(wifi_radio::softap_key, &value) == VCONF_OK && value;
}

int cmd_show(const Args &)
{
    wifi_radio::state s;
    if (int status = change([&s](wifi_radio::state &current) { s = current; }))
        return status;
    double t = wifi_radio::now();
    std::printf("wifi: %s\n", s.activated ? "on" : "off");
    std::printf("soft AP: %s\n", softap_on() ? "on" : "off");
    if (s.connected_ap.empty()) {
        std::printf("connection: none\n");
    } else {
        bool connected = s.connection == WIFI_CONNECTION_STATE_CONNECTED;
        std::printf("connection: %s %s%s\n", connection_word(s.connection),
                    quoted(s.connected_ap).c_str(),
                    !connected ? ""
                    : s.applied.config_type == WIFI_IP_CONFIG_TYPE_STATIC ? " (static)"
                                                                           : " (dhcp)");
        if (connected)
            print_settings(s.applied);
    }
    if (s.has_last)
        std::printf("last connection: %s %s\n", quoted(s.last_ap).c_str(),
                    error_text(s.last_result).c_str());
    for (const wifi_radio::operation &op : s.pending) {
        const char *what = op.kind == wifi_radio::op_kind::activate ? "activation"
                           : op.kind == wifi_radio::op_kind::scan   ? "scan"
                                                                    : "connection to";
        std::printf("under way: %s%s%s, ends in %s with %s\n", what,
                    op.kind == wifi_radio::op_kind::connect ? " " : "",
                    op.kind == wifi_radio::op_kind::connect ? quoted(op.ap).c_str() : "",
                    seconds(op.done - t).c_str(), error_text(op.result).c_str());
    }
    std::printf("times: activation %s, scan %s, connect %s\n", seconds(s.activation_time).c_str(),
                seconds(s.scan_time).c_str(), seconds(s.connect_time).c_str());
    std::printf("access points:%s\n", s.aps.empty() ? " none" : "");
    for (const wifi_radio::access_point &ap : s.aps)
        std::printf("  %s  %s  signal %d dBm (level %d)  %s  ends: %s\n", quoted(ap.name).c_str(),
                    ap.secured ? ("passphrase " + quoted(ap.passphrase)).c_str() : "open",
                    ap.signal, wifi_radio::rssi_level(ap.signal),
                    ap.known ? "known" : "after a scan", outcome_text(ap.result).c_str());
    std::printf("failures:%s\n", s.failures.empty() ? " none" : "");
    for (const wifi_radio::failure &f : s.failures)
        std::printf("  %s  %s (%d)%s\n", f.call.c_str(), error_text(f.error).c_str(), f.error,
                    f.once ? "  once" : "");
    return kOk;
}

int switch_radio(bool on)
{
    return change([on](wifi_radio::state &s) {
        if (s.activated == on)
            return;
        s.activated = on;
        /* Off ends whatever was under way and drops the link. */
        if (!on) {
            wifi_radio::abort_pending(s);
            s.connected_ap.clear();
            s.connection = WIFI_CONNECTION_STATE_DISCONNECTED;
            s.applied = {};
        }
    });
}

int cmd_ap(const Args &args)
{
    if (args.empty() || args[0].empty())
        return fail(kUsage, "ap takes a NAME");
    std::string name(args[0]);
    std::optional<bool> secured, known;
    std::optional<std::string> passphrase;
    std::optional<int> signal, result;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string_view option = args[i];
        bool has_value = i + 1 < args.size();
        if (option == "--open") {
            secured = false;
        } else if (option == "--known" || option == "--after-scan") {
            known = option == "--known";
        } else if (option == "--passphrase" && has_value) {
            secured = true;
            passphrase = std::string(args[++i]);
        } else if (option == "--signal" && has_value) {
            int dbm = 0;
            std::string_view v = args[++i];
            auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), dbm);
            if (ec != std::errc() || ptr != v.data() + v.size() || dbm < -120 || dbm > 0)
                return fail(kUsage, "signal is in dBm, -120 to 0: " + std::string(v));
            signal = dbm;
        } else if (option == "--result" && has_value) {
            std::string_view v = args[++i];
            auto outcome = kOutcomes.find(v);
            result = outcome != kOutcomes.end() ? std::optional<int>(outcome->second)
                                                : parse_error(v);
            if (!result)
                return fail(kUsage, "unknown outcome: " + std::string(v));
        } else {
            return fail(kUsage, "unknown or incomplete option for ap: " + std::string(option));
        }
    }
    return change([&](wifi_radio::state &s) {
        wifi_radio::access_point *ap = s.find(name);
        if (!ap) {
            s.aps.push_back({});
            ap = &s.aps.back();
            ap->name = name;
        }
        if (secured)
            ap->secured = *secured;
        if (!ap->secured)
            ap->passphrase.clear();
        if (passphrase)
            ap->passphrase = *passphrase;
        if (signal)
            ap->signal = *signal;
        if (known)
            ap->known = *known;
        if (result)
            ap->result = *result;
    });
}

int cmd_remove(const Args &args)
{
    if (args.size() != 1)
        return fail(kUsage, "remove takes one NAME");
    std::string name(args[0]);
    bool found = false;
    int status = change([&](wifi_radio::state &s) {
        std::erase_if(s.aps, [&](const wifi_radio::access_point &ap) {
            return ap.name == name && (found = true);
        });
        if (found && s.connected_ap == name && s.connection == WIFI_CONNECTION_STATE_CONNECTED) {
            s.connected_ap.clear();
            s.connection = WIFI_CONNECTION_STATE_DISCONNECTED;
            s.applied = {};
        }
    });
    if (status == kOk && !found)
        return fail(kFailed, "no access point " + quoted(name));
    return status;
}

int cmd_scan(const Args &)
{
    return change([](wifi_radio::state &s) {
        for (wifi_radio::access_point &ap : s.aps)
            ap.known = true;
    });
}

int cmd_times(const Args &args)
{
    if (args.empty() || args.size() % 2)
        return fail(kUsage, "times takes --activation, --scan or --connect with SECONDS");
    std::map<std::string_view, double> given;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        std::optional<double> value = parse_seconds(args[i + 1]);
        if (args[i] != "--activation" && args[i] != "--scan" && args[i] != "--connect")
            return fail(kUsage, "unknown option for times: " + std::string(args[i]));
        if (!value)
            return fail(kUsage, "seconds from 0 to 3600: " + std::string(args[i + 1]));
        given[args[i]] = *value;
    }
    return change([&given](wifi_radio::state &s) {
        for (const auto &[option, value] : given)
            (option == "--activation" ? s.activation_time
             : option == "--scan"     ? s.scan_time
                                      : s.connect_time) = value;
    });
}

int cmd_fail(const Args &args)
{
    if (args.size() < 2 || args.size() > 3 || (args.size() == 3 && args[2] != "--once"))
        return fail(kUsage, "fail takes CALL ERROR [--once]");
    std::string call(args[0]);
    bool known_call = false;
    for (std::string_view c : kCalls)
        known_call = known_call || c == call;
    if (!known_call)
        return fail(kUsage, "unknown call: " + call);
    bool clear = args[1] == "none";
    std::optional<int> error = clear ? std::optional<int>(0) : parse_error(args[1]);
    if (!error || (!clear && *error == WIFI_ERROR_NONE))
        return fail(kUsage, "unknown error: " + std::string(args[1]));
    return change([&](wifi_radio::state &s) {
        std::erase_if(s.failures, [&](const wifi_radio::failure &f) { return f.call == call; });
        if (!clear)
            s.failures.push_back({call, *error, args.size() == 3});
    });
}

int cmd_disconnect(const Args &)
{
    return change([](wifi_radio::state &s) {
        wifi_radio::abort_pending(s, true);
        s.connected_ap.clear();
        s.connection = WIFI_CONNECTION_STATE_DISCONNECTED;
        s.applied = {};
    });
}

int cmd_softap(const Args &args)
{
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return fail(kUsage, "softap takes on or off");
    if (vconf_set_bool(wifi_radio::softap_key, args[0] == "on") != VCONF_OK)
        return fail(kFailed, std::string("cannot write ") + wifi_radio::softap_key);
    return kOk;
}

int cmd_reset(const Args &)
{
    return change([](wifi_radio::state &s) {
        wifi_radio::abort_pending(s);
        std::vector<std::pair<unsigned, int>> recent = s.recent;
        unsigned next_id = s.next_id;
        s = wifi_radio::state{};
        /* Processes waiting for an aborted operation still learn its end. */
        s.recent = recent;
        s.next_id = next_id;
    });
}

int cmd_errors(const Args &)
{
    for (const wifi_error_name &entry : wifi_error_names())
        std::printf("%-40s %11d  0x%08X\n", entry.name, entry.value,
                    static_cast<unsigned>(entry.value));
    return kOk;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || std::string_view(argv[1]) == "-h" || std::string_view(argv[1]) == "--help") {
        std::fputs(kUsageText, argc < 2 ? stderr : stdout);
        return argc < 2 ? kUsage : kOk;
    }
    struct command {
        std::string_view name;
        int (*run)(const Args &);
        bool takes_arguments;
    };
    static const command commands[] = {
        {"show", cmd_show, false},
        {"on", [](const Args &) { return switch_radio(true); }, false},
        {"off", [](const Args &) { return switch_radio(false); }, false},
        {"ap", cmd_ap, true},
        {"remove", cmd_remove, true},
        {"scan", cmd_scan, false},
        {"times", cmd_times, true},
        {"fail", cmd_fail, true},
        {"disconnect", cmd_disconnect, false},
        {"softap", cmd_softap, true},
        {"reset", cmd_reset, false},
        {"errors", cmd_errors, false},
    };
    std::string_view name = argv[1];
    Args args(argv + 2, argv + argc);
    for (const command &c : commands) {
        if (c.name != name)
            continue;
        if (!c.takes_arguments && !args.empty())
            return fail(kUsage, std::string(name) + " takes no argument");
        return c.run(args);
    }
    return fail(kUsage, "unknown command: " + std::string(name) + " (see --help)");
}
