/*
 * The simulated Wi-Fi radio: its state file DIR/wifi/radio, the lock that
 * serialises changes between processes, how operations under way finish
 * with time (see wifi_radio.h).
 *
 * File format: one entry per line, a word and then "key=value" fields; values
 * are percent-encoded (every byte outside A-Z a-z 0-9 . _ : / - becomes %XX),
 * so names with blanks or any other byte survive. Lines starting with '#'
 * are comments.
 *
 *   wifi on|off
 *   times activation=S scan=S connect=S
 *   ap name=N secured=0|1 passphrase=P signal=DBM known=0|1 result=E
 *   fail call=C error=E once=0|1
 *   connection ap=N state=S type=T ip=.. subnet=.. gateway=.. dns1=.. dns2=..
 *   last ap=N result=E
 *   op id=I kind=activate|scan|connect start=T done=T result=E [ap=N same=0|1 type=..]
 *   recent id=I result=E
 *   next id=I
 *
 * State: none in memory; every call reads or writes the file. Writes
 * "memory/wifi/state" of the key store. Logs failures with tag "WIFI".
 */
#include <wifi.h>
#include <wifi_radio.h>

#include <dlog.h>
#include <vconf.h>
#include <vconf_store.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wifi_radio {
namespace {

constexpr const char *TAG = "WIFI";
constexpr std::size_t RECENT_MAX = 32;

/* An open file descriptor closed on scope exit. */
struct fd_owner {
    int fd = -1;
    ~fd_owner()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

std::string encode(std::string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '.' || c == '_' || c == ':' || c == '/' || c == '-') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

/* A line of the state file as an error message can show it: printable
 * ASCII as it stands, other bytes as \xNN, at most 80 bytes of it. */
std::string shown_line(std::string_view line)
{
    static const char hex[] = "0123456789ABCDEF";
    constexpr std::size_t shown_max = 80;
    std::string out;
    for (unsigned char c : line.substr(0, shown_max)) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    if (line.size() > shown_max)
        out += "...";
    return out;
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> decode(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        int hi = hex_digit(text[i + 1]);
        int lo = hex_digit(text[i + 2]);
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0))  // no NUL inside a text
            return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::string number(double value)
{
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : "0";
}

template <typename T>
bool parse_number(std::string_view text, T &out)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

/* One line's fields. */
class fields {
public:
    bool parse(std::string_view text)
    {
        while (!text.empty()) {
            std::size_t space = text.find(' ');
            std::string_view token = text.substr(0, space);
            text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
            if (token.empty())
                continue;
            std::size_t eq = token.find('=');
            if (eq == std::string_view::npos)
                return false;
            std::optional<std::string> value = decode(token.substr(eq + 1));
            if (!value)
                return false;
            values_[std::string(token.substr(0, eq))] = *value;
        }
        return true;
    }
    std::string text(const char *key) const
    {
        auto it = values_.find(key);
        return it == values_.end() ? std::string() : it->second;
    }
    template <typename T>
    bool get(const char *key, T &out) const
    {
        auto it = values_.find(key);
        return it == values_.end() || parse_number(std::string_view(it->second), out);
    }
    bool flag(const char *key, bool &out) const
    {
        int value = out;
        if (!get(key, value) || (value != 0 && value != 1))
            return false;
        out = value;
        return true;
    }

private:
    std::map<std::string, std::string> values_;
};

const char *kind_word(op_kind kind)
{
    switch (kind) {
    case op_kind::activate: return "activate";
    case op_kind::scan: return "scan";
    case op_kind::connect: return "connect";
    }
    return "?";
}

std::string settings_fields(const ip_settings &s)
{
    return " type=" + std::to_string(s.config_type) + " ip=" + encode(s.ip) +
           " subnet=" + encode(s.subnet) + " gateway=" + encode(s.gateway) +
           " dns1=" + encode(s.dns1) + " dns2=" + encode(s.dns2);
}

bool read_settings(const fields &f, ip_settings &s)
{
    s.ip = f.text("ip");
    s.subnet = f.text("subnet");
    s.gateway = f.text("gateway");
    s.dns1 = f.text("dns1");
    s.dns2 = f.text("dns2");
    return f.get("type", s.config_type);
}

bool is_connected_result(int result)
{
    return result == WIFI_ERROR_NONE || result == WIFI_ERROR_ALREADY_EXISTS;
}

void remember(state &s, unsigned id, int result)
{
    s.recent.emplace_back(id, result);
    if (s.recent.size() > RECENT_MAX)
        s.recent.erase(s.recent.begin());
}

void drop_connection(state &s)
{
    s.connected_ap.clear();
    s.connection = WIFI_CONNECTION_STATE_DISCONNECTED;
    s.applied = ip_settings{};
}

void finish(state &s, const operation &op)
{
    int result = op.result;
    switch (op.kind) {
    case op_kind::activate:
        if (result == WIFI_ERROR_NONE)
            s.activated = true;
        break;
    case op_kind::scan:
        if (!s.activated)
            result = WIFI_ERROR_OPERATION_FAILED;
        if (result == WIFI_ERROR_NONE)
            for (access_point &ap : s.aps)
                ap.known = true;
        break;
    case op_kind::connect:
        if (op.same)
            break;
        if (!s.find(op.ap))  // went out of range meanwhile
            result = WIFI_ERROR_OPERATION_FAILED;
        if (is_connected_result(result)) {
            s.connected_ap = op.ap;
            s.connection = WIFI_CONNECTION_STATE_CONNECTED;
            s.applied = op.settings;
        } else {
            drop_connection(s);
        }
        s.last_ap = op.ap;
        s.last_result = result;
        s.has_last = true;
        break;
    }
    remember(s, op.id, result);
}

bool write_all(int fd, const std::string &text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool save(const state &s, std::string &error)
{
    std::string path = dir();
    std::string tmp = path + "/.tmp-XXXXXX";
    fd_owner file{::mkstemp(tmp.data())};
    if (file.fd < 0) {
        error = "cannot create a file in " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!write_all(file.fd, serialize(s)) || ::close(file.fd) != 0) {
        file.fd = -1;
        error = "cannot write " + tmp + ": " + std::strerror(errno);
        ::unlink(tmp.c_str());
        return false;
    }
    file.fd = -1;
    if (::rename(tmp.c_str(), (path + "/radio").c_str()) != 0) {
        error = "cannot rename onto " + path + "/radio: " + std::strerror(errno);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

/* "memory/wifi/state" follows the radio; written only when it differs, so
 * watchers of the key see real changes. */
void sync_state_key(const state &s)
{
    int wanted = !s.activated ? 0 : s.connection == WIFI_CONNECTION_STATE_CONNECTED ? 2 : 1;
    int current = -1;
    if (vconf_store_type(state_key) == VCONF_TYPE_INT && vconf_get_int(state_key, &current) == 0 &&
        current == wanted)
        return;
    vconf_set_int(state_key, wanted);
}

}  // namespace

access_point *state::find(std::string_view name)
{
    for (access_point &ap : aps)
        if (ap.name == name)
            return &ap;
    return nullptr;
}

std::string dir()
{
    std::string path = std::string(vconf_store_dir()) + "/wifi";
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        dlog_print(DLOG_ERROR, TAG, "cannot create %s: %s", path.c_str(), std::strerror(errno));
    return path;
}

double now()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::string serialize(const state &s)
{
    std::string out = "# simulated Wi-Fi radio (panel-wifi show explains it)\n";
    out += std::string("wifi ") + (s.activated ? "on" : "off") + "\n";
    out += "times activation=" + number(s.activation_time) + " scan=" + number(s.scan_time) +
           " connect=" + number(s.connect_time) + "\n";
    for (const access_point &ap : s.aps)
        out += "ap name=" + encode(ap.name) + " secured=" + (ap.secured ? "1" : "0") +
               " passphrase=" + encode(ap.passphrase) + " signal=" + std::to_string(ap.signal) +
               " known=" + (ap.known ? "1" : "0") + " result=" + std::to_string(ap.result) + "\n";
    for (const failure &f : s.failures)
        out += "fail call=" + encode(f.call) + " error=" + std::to_string(f.error) +
               " once=" + (f.once ? "1" : "0") + "\n";
    if (!s.connected_ap.empty())
        out += "connection ap=" + encode(s.connected_ap) +
               " state=" + std::to_string(s.connection) + settings_fields(s.applied) + "\n";
    if (s.has_last)
        out += "last ap=" + encode(s.last_ap) + " result=" + std::to_string(s.last_result) + "\n";
    for (const operation &op : s.pending) {
        out += "op id=" + std::to_string(op.id) + " kind=" + kind_word(op.kind) +
               " start=" + number(op.start) + " done=" + number(op.done) +
               " result=" + std::to_string(op.result);
        if (op.kind == op_kind::connect)
            out += " ap=" + encode(op.ap) + " same=" + (op.same ? "1" : "0") +
                   settings_fields(op.settings);
        out += "\n";
    }
    for (const auto &[id, result] : s.recent)
        out += "recent id=" + std::to_string(id) + " result=" + std::to_string(result) + "\n";
    out += "next id=" + std::to_string(s.next_id) + "\n";
    return out;
}

bool parse(std::string_view text, state &out, std::string &error)
{
    state s;
    int line_no = 0;
    while (!text.empty()) {
        ++line_no;
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        std::size_t space = line.find(' ');
        std::string_view word = line.substr(0, space);
        std::string_view rest = space == std::string_view::npos ? "" : line.substr(space + 1);
        fields f;
        bool ok = true;
        if (word == "wifi") {
            ok = rest == "on" || rest == "off";
            s.activated = rest == "on";
        } else if (!f.parse(rest)) {
            ok = false;
        } else if (word == "times") {
            ok = f.get("activation", s.activation_time) && f.get("scan", s.scan_time) &&
                 f.get("connect", s.connect_time);
        } else if (word == "ap") {
            access_point ap;
            ap.name = f.text("name");
            ap.passphrase = f.text("passphrase");
            ok = f.flag("secured", ap.secured) && f.get("signal", ap.signal) &&
                 f.flag("known", ap.known) && f.get("result", ap.result) && !ap.name.empty();
            s.aps.push_back(ap);
        } else if (word == "fail") {
            failure fl;
            fl.call = f.text("call");
            ok = f.get("error", fl.error) && f.flag("once", fl.once) && !fl.call.empty();
            s.failures.push_back(fl);
        } else if (word == "connection") {
            s.connected_ap = f.text("ap");
            ok = f.get("state", s.connection) && read_settings(f, s.applied);
        } else if (word == "last") {
            s.last_ap = f.text("ap");
            s.has_last = true;
            ok = f.get("result", s.last_result);
        } else if (word == "op") {
            operation op;
            std::string kind = f.text("kind");
            op.kind = kind == "scan" ? op_kind::scan : kind == "connect" ? op_kind::connect
                                                                          : op_kind::activate;
            op.ap = f.text("ap");
            ok = (kind == "activate" || kind == "scan" || kind == "connect") &&
                 f.get("id", op.id) && f.get("start", op.start) && f.get("done", op.done) && f.get("result", op.result) &&
                 f.flag("same", op.same) && read_settings(f, op.settings);
            s.pending.push_back(op);
        } else if (word == "recent") {
            unsigned id = 0;
            int result = 0;
            ok = f.get("id", id) && f.get("result", result);
            s.recent.emplace_back(id, result);
        } else if (word == "next") {
            ok = f.get("id", s.next_id);
        } else {
            ok = false;
        }
        if (!ok) {
            error = "line " + std::to_string(line_no) + " is not understood: " + shown_line(line);
            return false;
        }
    }
    out = std::move(s);
    return true;
}

bool load(state &out, std::string &error)
{
    std::string path = dir() + "/radio";
    /* Not blocking: a FIFO in the file's place is refused, not waited on. */
    fd_owner file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) {
        if (errno == ENOENT) {
            out = state{};
            return true;
        }
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = path + " is not a regular file";
        return false;
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    if (!parse(text, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

void advance(state &s, double t, unsigned force_done)
{
    for (operation &op : s.pending)
        if (op.id == force_done)
            op.done = std::min(op.done, t);
    /* Earliest end first: an activation ends before the scan that waits
     * for it. */
    std::stable_sort(s.pending.begin(), s.pending.end(),
                     [](const operation &a, const operation &b) { return a.done < b.done; });
    while (!s.pending.empty() && s.pending.front().done <= t) {
        operation op = s.pending.front();
        s.pending.erase(s.pending.begin());
        finish(s, op);
    }
    /* A connection under way shows its stage. */
    for (const operation &op : s.pending) {
        if (op.kind != op_kind::connect || op.same || t < op.start)
            continue;
        bool configures = is_connected_result(op.result) || op.result == WIFI_ERROR_DHCP_FAILED;
        s.connected_ap = op.ap;
        s.connection = configures && t >= (op.start + op.done) / 2
                           ? WIFI_CONNECTION_STATE_CONFIGURATION
                           : WIFI_CONNECTION_STATE_ASSOCIATION;
    }
}

void abort_pending(state &s, bool connections_only)
{
    std::erase_if(s.pending, [&s, connections_only](const operation &op) {
        if (connections_only && op.kind != op_kind::connect)
            return false;
        remember(s, op.id, WIFI_ERROR_OPERATION_ABORTED);
        if (op.kind == op_kind::connect && !op.same && s.connected_ap == op.ap &&
            s.connection != WIFI_CONNECTION_STATE_CONNECTED)
            drop_connection(s);
        return true;
    });
}

bool update(const std::function<void(state &)> &change, std::string &error, unsigned force_done)
{
    std::string path = dir();
    fd_owner lock{::open((path + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)};
    if (lock.fd < 0) {
        error = "cannot open " + path + "/lock: " + std::strerror(errno);
        return false;
    }
    while (::flock(lock.fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            error = "cannot lock " + path + "/lock: " + std::strerror(errno);
            return false;
        }
    }
    state s;
    if (!load(s, error))
        return false;
    std::string before = serialize(s);
    advance(s, now(), force_done);
    if (change)
        change(s);
    if (serialize(s) != before && !save(s, error))
        return false;
    sync_state_key(s);
    return true;
}

std::optional<int> result_of(const state &s, unsigned id)
{
    for (const auto &[done_id, result] : s.recent)
        if (done_id == id)
            return result;
    return std::nullopt;
}

bool is_pending(const state &s, unsigned id)
{
    return std::any_of(s.pending.begin(), s.pending.end(),
                       [id](const operation &op) { return op.id == id; });
}

int take_failure(state &s, std::string_view call)
{
    for (auto it = s.failures.begin(); it != s.failures.end(); ++it) {
        if (it->call != call)
            continue;
        int error = it->error;
        if (it->once)
            s.failures.erase(it);
        return error;
    }
    return WIFI_ERROR_NONE;
}

int rssi_level(int dbm)
{
    if (dbm >= -60)
        return 4;
    if (dbm >= -70)
        return 3;
    if (dbm >= -80)
        return 2;
    if (dbm >= -90)
        return 1;
    return 0;
}

}  // namespace wifi_radio
