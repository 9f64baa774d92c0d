/*
 * The simulated Wi-Fi radio behind the desktop Wi-Fi library (desktop only,
 * C++): its state file and how it moves on with time. Used
 * by the library, by panel-wifi and by tests; the panel application never
 * includes this header.
 *
 * The state is one text file, DIR/wifi/radio (DIR: the platform directory of
 * the key store). Changes are read-modify-write under flock(DIR/wifi/lock),
 * written to a temporary file and renamed over the state file, so that any
 * process sees a whole state. Operations under way (activation, scan,
 * connection) are stored with the times they end; whoever reads the state
 * later moves it on to the present (advance), so a connection finishes in the
 * radio even when the process that asked for it has gone.
 * "memory/wifi/state" follows every saved state: 0 off, 1 on and not
 * connected, 2 connected.
 */
#ifndef PANEL_WIFI_RADIO_H
#define PANEL_WIFI_RADIO_H

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wifi_radio {

/* The platform's Wi-Fi state key (0 off, 1 on, 2 connected) and the soft
 * AP's key (bool, missing = off). */
inline constexpr const char *state_key = "memory/wifi/state";
inline constexpr const char *softap_key = "memory/softap/enabled";

/* What a connection applies to the panel. */
struct ip_settings {
    int config_type = 0;  // wifi_ip_config_type_e
    std::string ip, subnet, gateway, dns1, dns2;
    bool operator==(const ip_settings &) const = default;
};

struct access_point {
    std::string name;                  // ESSID, any bytes but NUL
    bool secured = false;              // a passphrase is required
    std::string passphrase;            // the right one
    int signal = -50;                  // dBm
    bool known = true;                 // false: found only by a scan
    int result = 0;                    // how a connection ends (wifi_error_e)
};

/* An error value chosen for one call of the library (the call returns it)
 * or for the result a callback brings (wifi_activated_cb,
 * wifi_scan_finished_cb, wifi_connected_cb). */
struct failure {
    std::string call;
    int error = 0;
    bool once = false;  // dropped after its first use
};

enum class op_kind { activate, scan, connect };

/* An operation under way. A connection passes association (from start),
 * configuration (from the middle, when it gets that far) and ends at done. */
struct operation {
    unsigned id = 0;
    op_kind kind = op_kind::activate;
    double start = 0, done = 0;  // seconds of the real-time clock
    int result = 0;              // what it ends with
    std::string ap;              // connect: the access point's name
    ip_settings settings;        // connect: what it applies
    bool same = false;           // connect: to the connected access point again
};

struct state {
    bool activated = false;
    double activation_time = 1.0, scan_time = 2.0, connect_time = 3.0;
    std::vector<access_point> aps;
    std::vector<failure> failures;

    std::string connected_ap;  // with the connection's state below
    int connection = 0;        // wifi_connection_state_e
    ip_settings applied;       // while connected
    std::string last_ap;       // the last connection that ended
    int last_result = 0;
    bool has_last = false;

    std::vector<operation> pending;
    /* Results of the latest finished or aborted operations (id, result). */
    std::vector<std::pair<unsigned, int>> recent;
    unsigned next_id = 1;

    access_point *find(std::string_view name);
};

/* DIR/wifi, created when missing. */
std::string dir();
double now();

/* Loads the state (defaults when there is no file yet). False with a reason
 * when the file cannot be read or does not parse. */
bool load(state &out, std::string &error);

/* Read-modify-write under the lock: loads, moves the state on to now (an
 * operation with id force_done is taken as finished), calls change, and saves
 * when anything differs. change may be empty. Returns false with a reason
 * when the state cannot be read or written (change is not called then). */
bool update(const std::function<void(state &)> &change, std::string &error,
            unsigned force_done = 0);

/* Moves s on to time t: finished operations take effect and leave their
 * result in recent. */
void advance(state &s, double t, unsigned force_done = 0);

/* Ends the operations under way (only connections when connections_only)
 * with WIFI_ERROR_OPERATION_ABORTED: the tool switching Wi-Fi off,
 * disconnecting, resetting. */
void abort_pending(state &s, bool connections_only = false);

/* Result of operation id: in recent, or nullopt while under way/unknown. */
std::optional<int> result_of(const state &s, unsigned id);
bool is_pending(const state &s, unsigned id);

/* The chosen error for call (0 when none); a once-only one is used up. */
int take_failure(state &s, std::string_view call);

/* Level 0 to 4 of a signal in dBm. */
int rssi_level(int dbm);

/* The text of the state file (also what tests compare). */
std::string serialize(const state &s);
bool parse(std::string_view text, state &out, std::string &error);

}  // namespace wifi_radio

#endif
