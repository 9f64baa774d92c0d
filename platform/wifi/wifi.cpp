/*
 * Wi-Fi client library (desktop stand-in) over the simulated radio of
 * radio.cpp. See wifi.h for the interface and the README for the radio.
 *
 * State (one session per process, between wifi_initialize and
 * wifi_deinitialize): the registered callbacks, one access-point handle per
 * name, the operations this process asked for with the Ecore timer that
 * delivers each one's next step, an inotify watch on the radio's directory
 * (changes made by other processes become device-state, connection-state,
 * signal-level and background-scan callbacks), and what the callbacks told
 * last, so that nothing is reported twice.
 *
 * Timers: one per operation under way: activation and scan at their end; a
 * connection at its start (association), its middle (configuration, when it
 * gets that far) and its end. Every step arrives on the main loop, never
 * inside the call that asked.
 *
 * Every call first applies an error chosen for it in the radio (panel-wifi
 * fail CALL ERROR) and returns it, logged at warning level with tag "WIFI".
 */
#include <wifi.h>
#include <wifi_radio.h>

#include <dlog.h>

#include <Ecore.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <sys/inotify.h>
#include <unistd.h>

using wifi_radio::op_kind;

struct wifi_ap_s {
    std::string name;
    wifi_radio::ip_settings settings;
    std::string passphrase;
    bool passphrase_set = false;
};

namespace {

constexpr const char *TAG = "WIFI";

template <typename F>
struct slot {
    F cb = nullptr;
    void *data = nullptr;
};

/* An operation this process asked for and the timer of its next step. */
struct in_flight {
    unsigned id = 0;
    op_kind kind = op_kind::activate;
    Ecore_Timer *timer = nullptr;
    int step = 0;  // connect: 0 association, 1 configuration, 2 end
    wifi_activated_cb activated = nullptr;
    wifi_scan_finished_cb scanned = nullptr;
    wifi_connected_cb connected = nullptr;
    void *user_data = nullptr;
    std::string ap;
    bool configures = false;
    bool same = false;
    double start = 0, done = 0;
};

/* What the state callbacks reported last. */
struct seen_state {
    bool activated = false;
    std::string connected;  // name while connected
    int rssi = -1;
    std::set<std::string> known;
};

struct session {
    bool initialized = false;
    unsigned generation = 0;  // changes with every (de)initialisation
    slot<wifi_device_state_changed_cb> device;
    slot<wifi_scan_finished_cb> background_scan;
    slot<wifi_connection_state_changed_cb> connection;
    slot<wifi_rssi_level_changed_cb> rssi;
    std::vector<std::unique_ptr<wifi_ap_s>> handles;
    std::vector<std::unique_ptr<in_flight>> flights;
    int watch_fd = -1;
    Ecore_Fd_Handler *watch_handler = nullptr;
    seen_state seen;
};

session g;

/* Applies the radio's change under its lock; logs and returns false when the
 * radio cannot be read or written. */
bool radio_update(const std::function<void(wifi_radio::state &)> &change, unsigned force = 0)
{
    std::string error;
    if (wifi_radio::update(change, error, force))
        return true;
    dlog_print(DLOG_ERROR, TAG, "radio: %s", error.c_str());
    return false;
}

wifi_radio::state radio_now()
{
    wifi_radio::state s;
    radio_update([&s](wifi_radio::state &current) { s = current; });
    return s;
}

/* The error chosen for call, or WIFI_ERROR_NONE. */
int chosen_error(const char *call)
{
    int error = WIFI_ERROR_NONE;
    if (!radio_update([&](wifi_radio::state &s) { error = wifi_radio::take_failure(s, call); }))
        return WIFI_ERROR_OPERATION_FAILED;
    if (error != WIFI_ERROR_NONE)
        dlog_print(DLOG_WARN, TAG, "%s: returns the chosen error %d (0x%08X)", call, error,
                   static_cast<unsigned>(error));
    return error;
}

/* Entry of every call but wifi_initialize: initialised, and no chosen error. */
int enter(const char *call)
{
    if (!g.initialized) {
        dlog_print(DLOG_ERROR, TAG, "%s: Wi-Fi is not initialised", call);
        return WIFI_ERROR_INVALID_OPERATION;
    }
    return chosen_error(call);
}

wifi_ap_s *handle_for(const std::string &name)
{
    for (const auto &h : g.handles)
        if (h->name == name)
            return h.get();
    g.handles.push_back(std::make_unique<wifi_ap_s>());
    g.handles.back()->name = name;
    return g.handles.back().get();
}

bool valid_handle(wifi_ap_h ap)
{
    return ap && std::any_of(g.handles.begin(), g.handles.end(),
                             [ap](const auto &h) { return h.get() == ap; });
}

std::set<std::string> known_names(const wifi_radio::state &s)
{
    std::set<std::string> names;
    for (const wifi_radio::access_point &ap : s.aps)
        if (ap.known)
            names.insert(ap.name);
    return names;
}

int signal_level(const wifi_radio::state &s, const std::string &name)
{
    for (const wifi_radio::access_point &ap : s.aps)
        if (ap.name == name)
            return wifi_radio::rssi_level(ap.signal);
    return 0;
}

bool still(unsigned generation)
{
    return g.initialized && g.generation == generation;
}

void report_connection(wifi_connection_state_e state, const std::string &ap)
{
    if (g.connection.cb)
        g.connection.cb(state, handle_for(ap), g.connection.data);
}

bool owns(op_kind kind)
{
    return std::any_of(g.flights.begin(), g.flights.end(),
                       [kind](const auto &f) { return f->kind == kind; });
}

std::unique_ptr<in_flight> take_flight(in_flight *flight)
{
    auto it = std::find_if(g.flights.begin(), g.flights.end(),
                           [flight](const auto &f) { return f.get() == flight; });
    if (it == g.flights.end())
        return nullptr;
    std::unique_ptr<in_flight> owned = std::move(*it);
    g.flights.erase(it);
    return owned;
}

Eina_Bool flight_cb(void *data);

void arm(in_flight *flight, double at)
{
    flight->timer = ecore_timer_add(std::max(0.0, at - wifi_radio::now()), flight_cb, flight);
}

/* The end of an operation: the radio takes it as finished, the result goes
 * to the callbacks. */
void finish_flight(std::unique_ptr<in_flight> f)
{
    unsigned generation = g.generation;
    int result = WIFI_ERROR_OPERATION_FAILED;
    wifi_radio::state s;
    radio_update(
        [&](wifi_radio::state &current) {
            result = wifi_radio::result_of(current, f->id).value_or(WIFI_ERROR_OPERATION_FAILED);
            s = current;
        },
        f->id);
    switch (f->kind) {
    case op_kind::activate:
        if (result == WIFI_ERROR_NONE)
            g.seen.activated = true;
        if (f->activated)
            f->activated(static_cast<wifi_error_e>(result), f->user_data);
        if (result == WIFI_ERROR_NONE && still(generation) && g.device.cb)
            g.device.cb(WIFI_DEVICE_STATE_ACTIVATED, g.device.data);
        break;
    case op_kind::scan:
        g.seen.known = known_names(s);
        if (f->scanned)
            f->scanned(static_cast<wifi_error_e>(result), f->user_data);
        break;
    case op_kind::connect:
        if (!f->same) {
            bool connected =
                s.connection == WIFI_CONNECTION_STATE_CONNECTED && s.connected_ap == f->ap;
            g.seen.connected = connected ? f->ap : "";
            g.seen.rssi = connected ? signal_level(s, f->ap) : -1;
            if (connected) {
                report_connection(WIFI_CONNECTION_STATE_CONNECTED, f->ap);
            } else {
                if (result != WIFI_ERROR_OPERATION_ABORTED)
                    report_connection(WIFI_CONNECTION_STATE_FAILURE, f->ap);
                if (still(generation))
                    report_connection(WIFI_CONNECTION_STATE_DISCONNECTED, f->ap);
            }
        }
        if (f->connected && still(generation))
            f->connected(static_cast<wifi_error_e>(result), f->user_data);
        break;
    }
}

Eina_Bool flight_cb(void *data)
try {
    auto *flight = static_cast<in_flight *>(data);
    flight->timer = nullptr;
    bool last = flight->kind != op_kind::connect || flight->same || flight->step == 2;
    if (!last) {
        /* A step of a connection under way, unless it was aborted. */
        std::optional<int> result;
        radio_update([&](wifi_radio::state &s) { result = wifi_radio::result_of(s, flight->id); });
        if (result != WIFI_ERROR_OPERATION_ABORTED) {
            int step = flight->step;
            flight->step = step == 0 && flight->configures ? 1 : 2;
            arm(flight, flight->step == 1 ? (flight->start + flight->done) / 2 : flight->done);
            report_connection(step == 0 ? WIFI_CONNECTION_STATE_ASSOCIATION
                                        : WIFI_CONNECTION_STATE_CONFIGURATION,
                              flight->ap);
            return ECORE_CALLBACK_CANCEL;
        }
    }
    if (std::unique_ptr<in_flight> owned = take_flight(flight))
        finish_flight(std::move(owned));
    return ECORE_CALLBACK_CANCEL;
} catch (const std::exception &e) {
    dlog_print(DLOG_ERROR, TAG, "%s", e.what());
    return ECORE_CALLBACK_CANCEL;
}

in_flight *add_flight(const wifi_radio::operation &op)
{
    g.flights.push_back(std::make_unique<in_flight>());
    in_flight *f = g.flights.back().get();
    f->id = op.id;
    f->kind = op.kind;
    f->ap = op.ap;
    f->same = op.same;
    f->start = op.start;
    f->done = op.done;
    f->configures = op.result == WIFI_ERROR_NONE || op.result == WIFI_ERROR_ALREADY_EXISTS ||
                    op.result == WIFI_ERROR_DHCP_FAILED;
    arm(f, op.kind == op_kind::connect && !op.same ? op.start : op.done);
    return f;
}

/* What another process changed, as the state callbacks tell it. Steps of
 * this process's own operations are told by their timers instead. */
void report_changes()
{
    unsigned generation = g.generation;
    wifi_radio::state s;
    std::string error;
    if (!wifi_radio::load(s, error)) {
        dlog_print(DLOG_ERROR, TAG, "radio: %s", error.c_str());
        return;
    }
    wifi_radio::advance(s, wifi_radio::now());

    if (s.activated != g.seen.activated && !owns(op_kind::activate)) {
        g.seen.activated = s.activated;
        if (g.device.cb)
            g.device.cb(s.activated ? WIFI_DEVICE_STATE_ACTIVATED : WIFI_DEVICE_STATE_DEACTIVATED,
                        g.device.data);
        if (!still(generation))
            return;
    }
    std::string connected = s.connection == WIFI_CONNECTION_STATE_CONNECTED ? s.connected_ap : "";
    if (!owns(op_kind::connect) && connected != g.seen.connected) {
        std::string before = g.seen.connected;
        g.seen.connected = connected;
        g.seen.rssi = connected.empty() ? -1 : signal_level(s, connected);
        if (!before.empty())
            report_connection(WIFI_CONNECTION_STATE_DISCONNECTED, before);
        if (!connected.empty() && still(generation))
            report_connection(WIFI_CONNECTION_STATE_CONNECTED, connected);
        if (!still(generation))
            return;
    } else if (!connected.empty() && connected == g.seen.connected) {
        int level = signal_level(s, connected);
        if (level != g.seen.rssi) {
            g.seen.rssi = level;
            if (g.rssi.cb)
                g.rssi.cb(static_cast<wifi_rssi_level_e>(level), g.rssi.data);
            if (!still(generation))
                return;
        }
    }
    std::set<std::string> known = known_names(s);
    if (owns(op_kind::scan))
        return;
    bool found_more = std::any_of(known.begin(), known.end(),
                                  [](const std::string &n) { return !g.seen.known.count(n); });
    g.seen.known = known;
    if (found_more && g.background_scan.cb)
        g.background_scan.cb(WIFI_ERROR_NONE, g.background_scan.data);
}

Eina_Bool watch_cb(void *, Ecore_Fd_Handler *)
try {
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (;;) {
        ssize_t n = ::read(g.watch_fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (char *p = buffer; p < buffer + n;) {
            auto *ev = reinterpret_cast<inotify_event *>(p);
            if (ev->len && std::strcmp(ev->name, "radio") == 0)
                changed = true;
            p += sizeof(inotify_event) + ev->len;
        }
    }
    if (changed)
        report_changes();
    return ECORE_CALLBACK_RENEW;
} catch (const std::exception &e) {
    dlog_print(DLOG_ERROR, TAG, "%s", e.what());
    return ECORE_CALLBACK_RENEW;
}

void stop_watch()
{
    if (g.watch_handler)
        ecore_main_fd_handler_del(g.watch_handler);
    if (g.watch_fd >= 0)
        ::close(g.watch_fd);
    g.watch_handler = nullptr;
    g.watch_fd = -1;
}

void start_watch()
{
    g.watch_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (g.watch_fd < 0 || inotify_add_watch(g.watch_fd, wifi_radio::dir().c_str(),
                                            IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        dlog_print(DLOG_ERROR, TAG, "cannot watch the radio: %s", std::strerror(errno));
        stop_watch();
        return;
    }
    g.watch_handler = ecore_main_fd_handler_add(g.watch_fd, ECORE_FD_READ, watch_cb, nullptr,
                                                nullptr, nullptr);
}

bool valid_family(wifi_address_family_e family, int &error)
{
    if (family == WIFI_ADDRESS_FAMILY_IPV4)
        return true;
    error = family == WIFI_ADDRESS_FAMILY_IPV6 ? WIFI_ERROR_ADDRESS_FAMILY_NOT_SUPPORTED
                                               : WIFI_ERROR_INVALID_PARAMETER;
    return false;
}

bool valid_ipv4(const char *text)
{
    in_addr address{};
    return text && inet_pton(AF_INET, text, &address) == 1;
}

/* Common body of the address setters; field null refuses the call. */
int set_address(const char *call, wifi_ap_h ap, wifi_address_family_e family, const char *text,
                std::string wifi_radio::ip_settings::*field)
{
    int error = enter(call);
    if (error != WIFI_ERROR_NONE)
        return error;
    if (!valid_handle(ap) || !field)
        return WIFI_ERROR_INVALID_PARAMETER;
    if (!valid_family(family, error))
        return error;
    if (!valid_ipv4(text)) {
        dlog_print(DLOG_ERROR, TAG, "%s: not an IPv4 address", call);
        return WIFI_ERROR_INVALID_PARAMETER;
    }
    ap->settings.*field = text;
    return WIFI_ERROR_NONE;
}

/* What an access point configured for DHCP gets from the simulated network. */
wifi_radio::ip_settings dhcp_lease(const wifi_radio::state &s, const std::string &name)
{
    std::size_t index = 0;
    while (index < s.aps.size() && s.aps[index].name != name)
        ++index;
    wifi_radio::ip_settings lease;
    lease.config_type = WIFI_IP_CONFIG_TYPE_DYNAMIC;
    lease.ip = "192.168.0." + std::to_string(100 + index % 100);
    lease.subnet = "255.255.255.0";
    lease.gateway = "192.168.0.1";
    lease.dns1 = "192.168.0.1";
    return lease;
}

template <typename F>
int guarded(const char *call, F &&body) noexcept
{
    try {
        return body(call);
    } catch (const std::bad_alloc &) {
        return WIFI_ERROR_OUT_OF_MEMORY;
    } catch (const std::exception &e) {
        dlog_print(DLOG_ERROR, TAG, "%s: %s", call, e.what());
        return WIFI_ERROR_OPERATION_FAILED;
    }
}

template <typename F>
int set_slot(const char *call, slot<F> &target, F cb, void *data)
{
    return guarded(call, [&](const char *) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        if (!cb)
            return (int)WIFI_ERROR_INVALID_PARAMETER;
        target = {cb, data};
        return (int)WIFI_ERROR_NONE;
    });
}

template <typename F>
int unset_slot(const char *call, slot<F> &target)
{
    return guarded(call, [&](const char *) {
        int error = enter(call);
        if (error == WIFI_ERROR_NONE)
            target = {};
        return error;
    });
}

}  // namespace

int wifi_initialize(void)
{
    return guarded(__func__, [](const char *call) {
        int error = chosen_error(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        if (g.initialized)
            return (int)WIFI_ERROR_INVALID_OPERATION;
        /* Only matters when this call starts Ecore: the library needs no
         * system modules (nor their bus connections). */
        ecore_app_no_system_modules();
        ecore_init();
        g.initialized = true;
        g.generation++;
        wifi_radio::state s = radio_now();
        g.seen = seen_state{};
        g.seen.activated = s.activated;
        if (s.connection == WIFI_CONNECTION_STATE_CONNECTED) {
            g.seen.connected = s.connected_ap;
            g.seen.rssi = signal_level(s, s.connected_ap);
        }
        g.seen.known = known_names(s);
        start_watch();
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_deinitialize(void)
{
    return guarded(__func__, [](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        for (const auto &f : g.flights)
            if (f->timer)
                ecore_timer_del(f->timer);
        g.flights.clear();
        stop_watch();
        g.handles.clear();
        g.device = {};
        g.background_scan = {};
        g.connection = {};
        g.rssi = {};
        g.initialized = false;
        g.generation++;
        ecore_shutdown();
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_is_activated(bool *activated)
{
    return guarded(__func__, [activated](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        if (!activated)
            return (int)WIFI_ERROR_INVALID_PARAMETER;
        *activated = radio_now().activated;
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_activate(wifi_activated_cb callback, void *user_data)
{
    return guarded(__func__, [=](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        wifi_radio::operation op;
        bool ok = radio_update([&](wifi_radio::state &s) {
            bool under_way = std::any_of(s.pending.begin(), s.pending.end(), [](const auto &p) {
                return p.kind == op_kind::activate;
            });
            if (s.activated || under_way) {
                error = s.activated ? WIFI_ERROR_ALREADY_EXISTS : WIFI_ERROR_NOW_IN_PROGRESS;
                return;
            }
            op.id = s.next_id++;
            op.kind = op_kind::activate;
            op.start = wifi_radio::now();
            op.done = op.start + s.activation_time;
            op.result = wifi_radio::take_failure(s, "wifi_activated_cb");
            s.pending.push_back(op);
        });
        if (!ok)
            return (int)WIFI_ERROR_OPERATION_FAILED;
        if (error != WIFI_ERROR_NONE)
            return error;
        in_flight *f = add_flight(op);
        f->activated = callback;
        f->user_data = user_data;
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_scan(wifi_scan_finished_cb callback, void *user_data)
{
    return guarded(__func__, [=](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        wifi_radio::operation op;
        bool ok = radio_update([&](wifi_radio::state &s) {
            double begin = wifi_radio::now();
            bool switching_on = false;
            for (const wifi_radio::operation &p : s.pending) {
                if (p.kind == op_kind::activate) {
                    switching_on = true;
                    begin = std::max(begin, p.done);
                }
            }
            if (!s.activated && !switching_on) {
                error = WIFI_ERROR_INVALID_OPERATION;
                return;
            }
            op.id = s.next_id++;
            op.kind = op_kind::scan;
            op.start = wifi_radio::now();
            op.done = begin + s.scan_time;
            op.result = wifi_radio::take_failure(s, "wifi_scan_finished_cb");
            s.pending.push_back(op);
        });
        if (!ok)
            return (int)WIFI_ERROR_OPERATION_FAILED;
        if (error != WIFI_ERROR_NONE) {
            dlog_print(DLOG_ERROR, TAG, "wifi_scan: Wi-Fi is off");
            return error;
        }
        in_flight *f = add_flight(op);
        f->scanned = callback;
        f->user_data = user_data;
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_foreach_found_aps(wifi_found_ap_cb callback, void *user_data)
{
    return guarded(__func__, [=](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        if (!callback)
            return (int)WIFI_ERROR_INVALID_PARAMETER;
        wifi_radio::state s = radio_now();
        if (!s.activated)
            return (int)WIFI_ERROR_NONE;
        unsigned generation = g.generation;
        for (const wifi_radio::access_point &ap : s.aps) {
            if (!ap.known)
                continue;
            if (!callback(handle_for(ap.name), user_data) || !still(generation))
                break;
        }
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_connect(wifi_ap_h ap, wifi_connected_cb callback, void *user_data)
{
    return guarded(__func__, [=](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        if (!valid_handle(ap))
            return (int)WIFI_ERROR_INVALID_PARAMETER;
        if (ap->settings.config_type == WIFI_IP_CONFIG_TYPE_STATIC &&
            (ap->settings.ip.empty() || ap->settings.subnet.empty())) {
            dlog_print(DLOG_ERROR, TAG,
                       "wifi_connect: static configuration without address or mask");
            return (int)WIFI_ERROR_INVALID_PARAMETER;
        }
        wifi_radio::operation op;
        bool ok = radio_update([&](wifi_radio::state &s) {
            if (!s.activated) {
                error = WIFI_ERROR_INVALID_OPERATION;
                return;
            }
            for (const wifi_radio::operation &p : s.pending)
                if (p.kind == op_kind::connect)
                    error = WIFI_ERROR_NOW_IN_PROGRESS;
            if (error != WIFI_ERROR_NONE)
                return;
            op.id = s.next_id++;
            op.kind = op_kind::connect;
            op.ap = ap->name;
            op.start = wifi_radio::now();
            op.done = op.start + s.connect_time;
            op.same = s.connection == WIFI_CONNECTION_STATE_CONNECTED && s.connected_ap == ap->name;
            const wifi_radio::access_point *target = s.find(ap->name);
            /* A chosen result first, then what the radio makes of it. */
            op.result = wifi_radio::take_failure(s, "wifi_connected_cb");
            if (op.result == WIFI_ERROR_NONE) {
                if (op.same)
                    op.result = WIFI_ERROR_ALREADY_EXISTS;
                else if (!target)
                    op.result = WIFI_ERROR_OPERATION_FAILED;
                else if (target->secured &&
                         (!ap->passphrase_set || ap->passphrase != target->passphrase))
                    op.result = WIFI_ERROR_INVALID_KEY;
                else
                    op.result = target->result;
            }
            op.settings = ap->settings.config_type == WIFI_IP_CONFIG_TYPE_STATIC
                              ? ap->settings
                              : dhcp_lease(s, ap->name);
            s.pending.push_back(op);
            if (!op.same) {
                s.connected_ap = op.ap;
                s.connection = WIFI_CONNECTION_STATE_ASSOCIATION;
                s.applied = {};
            }
        });
        if (!ok)
            return (int)WIFI_ERROR_OPERATION_FAILED;
        if (error != WIFI_ERROR_NONE)
            return error;
        in_flight *f = add_flight(op);
        f->connected = callback;
        f->user_data = user_data;
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_ap_get_essid(wifi_ap_h ap, char **essid)
{
    return guarded(__func__, [=](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        if (!valid_handle(ap) || !essid)
            return (int)WIFI_ERROR_INVALID_PARAMETER;
        *essid = strdup(ap->name.c_str());
        return *essid ? (int)WIFI_ERROR_NONE : (int)WIFI_ERROR_OUT_OF_MEMORY;
    });
}

int wifi_ap_set_ip_config_type(wifi_ap_h ap, wifi_address_family_e address_family,
                               wifi_ip_config_type_e type)
{
    return guarded(__func__, [=](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        if (!valid_handle(ap) || type < WIFI_IP_CONFIG_TYPE_NONE ||
            type > WIFI_IP_CONFIG_TYPE_DYNAMIC)
            return (int)WIFI_ERROR_INVALID_PARAMETER;
        if (!valid_family(address_family, error))
            return error;
        ap->settings.config_type = type;
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_ap_set_ip_address(wifi_ap_h ap, wifi_address_family_e address_family,
                           const char *ip_address)
{
    return guarded(__func__, [=](const char *call) {
        return set_address(call, ap, address_family, ip_address, &wifi_radio::ip_settings::ip);
    });
}

int wifi_ap_set_subnet_mask(wifi_ap_h ap, wifi_address_family_e address_family,
                            const char *subnet_mask)
{
    return guarded(__func__, [=](const char *call) {
        return set_address(call, ap, address_family, subnet_mask,
                           &wifi_radio::ip_settings::subnet);
    });
}

int wifi_ap_set_gateway_address(wifi_ap_h ap, wifi_address_family_e address_family,
                                const char *gateway_address)
{
    return guarded(__func__, [=](const char *call) {
        return set_address(call, ap, address_family, gateway_address,
                           &wifi_radio::ip_settings::gateway);
    });
}

int wifi_ap_set_dns_address(wifi_ap_h ap, int order, wifi_address_family_e address_family,
                            const char *dns_address)
{
    return guarded(__func__, [=](const char *call) {
        return set_address(call, ap, address_family, dns_address,
                           order == 1   ? &wifi_radio::ip_settings::dns1
                           : order == 2 ? &wifi_radio::ip_settings::dns2
                                        : nullptr);
    });
}

int wifi_ap_is_passphrase_required(wifi_ap_h ap, bool *required)
{
    return guarded(__func__, [=](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        if (!valid_handle(ap) || !required)
            return (int)WIFI_ERROR_INVALID_PARAMETER;
        wifi_radio::state s = radio_now();
        const wifi_radio::access_point *target = s.find(ap->name);
        *required = target && target->secured;
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_ap_set_passphrase(wifi_ap_h ap, const char *passphrase)
{
    return guarded(__func__, [=](const char *call) {
        int error = enter(call);
        if (error != WIFI_ERROR_NONE)
            return error;
        if (!valid_handle(ap) || !passphrase)
            return (int)WIFI_ERROR_INVALID_PARAMETER;
        ap->passphrase = passphrase;
        ap->passphrase_set = true;
        return (int)WIFI_ERROR_NONE;
    });
}

int wifi_set_device_state_changed_cb(wifi_device_state_changed_cb callback, void *user_data)
{
    return set_slot(__func__, g.device, callback, user_data);
}

int wifi_unset_device_state_changed_cb(void)
{
    return unset_slot(__func__, g.device);
}

int wifi_set_background_scan_cb(wifi_scan_finished_cb callback, void *user_data)
{
    return set_slot(__func__, g.background_scan, callback, user_data);
}

int wifi_unset_background_scan_cb(void)
{
    return unset_slot(__func__, g.background_scan);
}

int wifi_set_connection_state_changed_cb(wifi_connection_state_changed_cb callback,
                                         void *user_data)
{
    return set_slot(__func__, g.connection, callback, user_data);
}

int wifi_unset_connection_state_changed_cb(void)
{
    return unset_slot(__func__, g.connection);
}

int wifi_set_rssi_level_changed_cb(wifi_rssi_level_changed_cb callback, void *user_data)
{
    return set_slot(__func__, g.rssi, callback, user_data);
}

int wifi_unset_rssi_level_changed_cb(void)
{
    return unset_slot(__func__, g.rssi);
}
