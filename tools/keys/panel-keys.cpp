/*
 * panel-keys: command-line access to the platform's key-value store.
 *
 *   panel-keys get KEY                 prints the value (strings as stored)
 *   panel-keys set KEY VALUE [--type int|bool|double|string]
 *   panel-keys unset KEY
 *   panel-keys list [PREFIX]           one "KEY=VALUE" line per key, name order
 *   panel-keys watch KEY...            one "KEY=VALUE" line per change
 *   panel-keys readonly KEY [on|off]   marks the key read-only or writable;
 *                                      without on/off prints "on" or "off"
 *   panel-keys record FILE PREFIX...   every change of the keys under the
 *                                      prefixes, with time stamps, to FILE
 *   panel-keys replay FILE [--speed X] [--from SECONDS] [--with-commands]
 *                          [--no-state] writes a recording's changes again
 *
 * Without --type, set keeps the type of an existing key and makes new keys
 * strings; it refuses a key that cannot be read (damaged), whose type is
 * unknown. get names what is wrong with such a key; unset removes it. Exit
 * status: 0 on success, 1 when the store refuses or lacks what was asked
 * (missing or unreadable key, failed write), 2 for a usage error (unknown
 * command, wrong arguments, bad value, refused key name); every failure
 * prints one line on standard error.
 *
 * record writes the recording format of recording.h: the keys' values when it
 * begins, then one line per change, flushed as it goes, until SIGINT or
 * SIGTERM. replay refuses a damaged recording before it writes anything, then
 * writes the state lines at once and the changes at their recorded times
 * divided by the speed; it leaves out the application's commands
 * (memory/refrigerator/TxMessage) unless told otherwise.
 *
 * State: none besides, for watch and record, the Ecore main loop and the
 * registrations, which run until SIGINT or SIGTERM, and the recording's file
 * and clock. Reads and writes keys under the platform directory; writes
 * standard output and, for record, FILE.
 */
#include "micom_channel.h"
#include "recording.h"

#include <vconf.h>
#include <vconf_store.h>

#include <Ecore.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char *kUsageText =
    "usage: panel-keys get KEY\n"
    "       panel-keys set KEY VALUE [--type int|bool|double|string]\n"
    "       panel-keys unset KEY\n"
    "       panel-keys list [PREFIX]\n"
    "       panel-keys watch KEY...\n"
    "       panel-keys readonly KEY [on|off]\n"
    "       panel-keys record FILE PREFIX...\n"
    "       panel-keys replay FILE [--speed X] [--from SECONDS] [--with-commands] [--no-state]\n"
    "\n"
    "Keys are \"db/...\" (persistent) or \"memory/...\" (cleared at boot), in the\n"
    "platform directory named by PANEL_PLATFORM_DIR. set keeps an existing key's\n"
    "type unless --type is given (a damaged key needs --type); new keys are\n"
    "strings. bool values: 0, 1, true, false. list and watch print KEY=VALUE\n"
    "lines; watch prints \"KEY (unset)\" when a key is removed and runs until\n"
    "interrupted. get names what is wrong with a damaged key; unset removes it.\n"
    "readonly marks a key so that every write and unset of it is refused (off\n"
    "removes the mark); without on or off it prints the key's mark.\n"
    "record writes the values of the keys whose names begin with a PREFIX\n"
    "(\"memory/refrigerator/\"), then every change with its time, to FILE (\"-\":\n"
    "standard output) until interrupted. replay writes a recording's values,\n"
    "then its changes at their times divided by X (2: twice as fast), from the\n"
    "recorded second SECONDS on (what changed before it is written at once);\n"
    "the application's commands (TxMessage) only with --with-commands, the\n"
    "values at the start of the recording unless --no-state.\n";

using Args = std::vector<std::string_view>;

int fail(int status, const std::string &message)
{
    std::fprintf(stderr, "panel-keys: %s\n", message.c_str());
    return status;
}

bool check_key(std::string_view key)
{
    return vconf_store_key_valid(std::string(key).c_str()) == 1;
}

int refused(std::string_view key)
{
    return fail(kUsage, "refused key name: " + std::string(key));
}

/* Writes to a key marked read-only are refused before the store is asked,
 * so that the one error line says why. */
int read_only(const std::string &key)
{
    return fail(kFailed, key + " is read-only: write refused");
}

struct FreeDeleter {
    void operator()(char *p) const { std::free(p); }
};
using CString = std::unique_ptr<char, FreeDeleter>;

/* The failure line of a key that cannot be read: missing, or what is wrong
 * with it (a damaged file, no regular file, a store that cannot be used). */
int unreadable(const std::string &key, const char *hint = "")
{
    char *why = nullptr;
    int state = vconf_store_check(key.c_str(), &why);
    CString reason(why);
    if (state == VCONF_TYPE_NONE)
        return fail(kFailed, "no such key: " + key);
    return fail(kFailed, "cannot read " + key + ": " + (reason ? reason.get() : "changed meanwhile") + hint);
}

int cmd_get(const Args &args)
{
    if (args.size() != 1)
        return fail(kUsage, "get takes one KEY");
    std::string key(args[0]);
    if (!check_key(key))
        return refused(key);
    CString text(vconf_store_get_text(key.c_str()));
    if (!text)
        return unreadable(key);
    std::printf("%s\n", text.get());
    return kOk;
}

/* A decimal int with at most one sign. */
bool parse_int(std::string_view text, int &out)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

bool parse_bool(std::string_view text, int &out)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "1" || lower == "true") {
        out = 1;
        return true;
    }
    if (lower == "0" || lower == "false") {
        out = 0;
        return true;
    }
    return false;
}

bool parse_double(std::string_view text, double &out)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

int cmd_set(const Args &all)
{
    Args args;
    std::string_view type;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] == "--type") {
            if (i + 1 >= all.size())
                return fail(kUsage, "--type needs int, bool, double or string");
            type = all[++i];
        } else if (all[i].substr(0, 7) == "--type=") {
            type = all[i].substr(7);
        } else {
            args.push_back(all[i]);
        }
    }
    if (args.size() != 2)
        return fail(kUsage, "set takes KEY VALUE [--type int|bool|double|string]");
    std::string key(args[0]);
    std::string value(args[1]);
    if (!check_key(key))
        return refused(key);
    if (vconf_store_is_readonly(key.c_str()))
        return read_only(key);
    int vtype = VCONF_TYPE_STRING;
    if (type.empty()) {
        // A key that cannot be read has no type to keep: guessing one could
        // turn a damaged number into a string.
        int existing = vconf_store_check(key.c_str(), nullptr);
        if (existing == VCONF_ERROR)
            return unreadable(key, " (give --type to replace it)");
        if (existing != VCONF_TYPE_NONE)
            vtype = existing;
    } else if (type == "int") {
        vtype = VCONF_TYPE_INT;
    } else if (type == "bool") {
        vtype = VCONF_TYPE_BOOL;
    } else if (type == "double") {
        vtype = VCONF_TYPE_DOUBLE;
    } else if (type != "string") {
        return fail(kUsage, "unknown type: " + std::string(type));
    }
    int rc = VCONF_ERROR;
    switch (vtype) {
    case VCONF_TYPE_INT: {
        int number = 0;
        if (!parse_int(value, number))
            return fail(kUsage, "bad int value: " + value);
        rc = vconf_set_int(key.c_str(), number);
        break;
    }
    case VCONF_TYPE_BOOL: {
        int flag = 0;
        if (!parse_bool(value, flag))
            return fail(kUsage, "bad bool value (0, 1, true or false): " + value);
        rc = vconf_set_bool(key.c_str(), flag);
        break;
    }
    case VCONF_TYPE_DOUBLE: {
        double number = 0.0;
        if (!parse_double(value, number))
            return fail(kUsage, "bad double value: " + value);
        rc = vconf_set_dbl(key.c_str(), number);
        break;
    }
    default:
        rc = vconf_set_str(key.c_str(), value.c_str());
        break;
    }
    if (rc != VCONF_OK)
        return fail(kFailed, "cannot write " + key);
    return kOk;
}

int cmd_unset(const Args &args)
{
    if (args.size() != 1)
        return fail(kUsage, "unset takes one KEY");
    std::string key(args[0]);
    if (!check_key(key))
        return refused(key);
    // A key that cannot be read is removed all the same.
    if (vconf_store_check(key.c_str(), nullptr) == VCONF_TYPE_NONE)
        return fail(kFailed, "no such key: " + key);
    if (vconf_store_is_readonly(key.c_str()))
        return read_only(key);
    if (vconf_unset(key.c_str()) != VCONF_OK)
        return fail(kFailed, "cannot remove " + key);
    return kOk;
}

int cmd_readonly(const Args &args)
{
    if (args.empty() || args.size() > 2)
        return fail(kUsage, "readonly takes KEY and optionally on or off");
    std::string key(args[0]);
    if (!check_key(key))
        return refused(key);
    if (args.size() == 1) {
        std::puts(vconf_store_is_readonly(key.c_str()) ? "on" : "off");
        return kOk;
    }
    if (args[1] != "on" && args[1] != "off")
        return fail(kUsage, "readonly takes on or off, not " + std::string(args[1]));
    if (vconf_store_set_readonly(key.c_str(), args[1] == "on") != VCONF_OK)
        return fail(kFailed, "cannot change the read-only mark of " + key);
    return kOk;
}

void print_entry(const char *key, void *)
{
    CString text(vconf_store_get_text(key));
    if (text)  // a key removed since the listing is skipped
        std::printf("%s=%s\n", key, text.get());
}

int cmd_list(const Args &args)
{
    if (args.size() > 1)
        return fail(kUsage, "list takes at most one PREFIX");
    std::string prefix = args.empty() ? "" : std::string(args[0]);
    if (vconf_store_list(prefix.c_str(), print_entry, nullptr) < 0)
        return fail(kFailed, std::string("cannot read the store in ") + vconf_store_dir());
    return kOk;
}

/* The value a change callback's node holds, as text (ints and bools in
 * decimal, doubles in their shortest exact form); nullopt once removed. */
std::optional<std::string> node_text(keynode_t *node)
{
    switch (vconf_keynode_get_type(node)) {
    case VCONF_TYPE_STRING:
        return std::string(vconf_keynode_get_str(node));
    case VCONF_TYPE_INT:
        return std::to_string(vconf_keynode_get_int(node));
    case VCONF_TYPE_BOOL:
        return std::to_string(vconf_keynode_get_bool(node));
    case VCONF_TYPE_DOUBLE: {
        char text[64];
        auto end = std::to_chars(text, text + sizeof text, vconf_keynode_get_dbl(node)).ptr;
        return std::string(text, end);
    }
    default:
        return std::nullopt;
    }
}

void watch_cb(keynode_t *node, void *)
{
    const char *name = vconf_keynode_get_name(node);
    if (std::optional<std::string> text = node_text(node))
        std::printf("%s=%s\n", name, text->c_str());
    else
        std::printf("%s (unset)\n", name);
    std::fflush(stdout);
}

Eina_Bool exit_signal_cb(void *, int, void *)
{
    ecore_main_loop_quit();
    return ECORE_CALLBACK_DONE;
}

/* Registers cb for every name with add (a key, or a prefix), calls ready
 * once all are registered, runs the main loop until SIGINT or SIGTERM (not
 * when ready returns false), then removes the registrations. kOk, or kFailed
 * (one error line) when a registration fails. */
int watch_until_signal(const std::vector<std::string> &names,
                       int (*add)(const char *, vconf_callback_fn, void *),
                       int (*remove)(const char *, vconf_callback_fn), vconf_callback_fn cb,
                       const std::function<bool()> &ready)
{
    ecore_app_no_system_modules();
    ecore_init();
    Ecore_Event_Handler *handler =
        ecore_event_handler_add(ECORE_EVENT_SIGNAL_EXIT, exit_signal_cb, nullptr);
    int status = kOk;
    size_t registered = 0;
    for (; registered < names.size(); ++registered) {
        if (add(names[registered].c_str(), cb, nullptr) != VCONF_OK) {
            status = fail(kFailed, "cannot watch " + names[registered]);
            break;
        }
    }
    if (status == kOk && ready())
        ecore_main_loop_begin();
    for (size_t i = 0; i < registered; ++i)
        remove(names[i].c_str(), cb);
    ecore_event_handler_del(handler);
    ecore_shutdown();
    return status;
}

int cmd_watch(const Args &args)
{
    if (args.empty())
        return fail(kUsage, "watch takes one or more KEYs");
    std::vector<std::string> keys;
    for (std::string_view key : args) {
        if (!check_key(key))
            return refused(key);
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            keys.emplace_back(key);
    }
    return watch_until_signal(keys, vconf_notify_key_changed, vconf_ignore_key_changed, watch_cb,
                              [] { return true; });
}

// ---- record -----------------------------------------------------------------

struct recorder_state {
    std::FILE *out = nullptr;
    timespec start{};
    long changes = 0;
    bool failed = false;
};
recorder_state recorder;

double seconds_since(const timespec &start)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec - start.tv_sec) + (now.tv_nsec - start.tv_nsec) / 1e9;
}

/* Writes one line of the recording and flushes it; a failure ends the
 * recording (the main loop is left). */
void record_line(const std::string &line)
{
    if (recorder.failed)
        return;
    if (std::fputs(line.c_str(), recorder.out) < 0 || std::fputc('\n', recorder.out) < 0 ||
        std::fflush(recorder.out) != 0) {
        recorder.failed = true;
        ecore_main_loop_quit();
    }
}

void record_cb(keynode_t *node, void *)
{
    recording::Change change;
    change.seconds = seconds_since(recorder.start);
    change.key = vconf_keynode_get_name(node);
    change.type = vconf_keynode_get_type(node);
    if (std::optional<std::string> text = node_text(node))
        change.value = std::move(*text);
    else
        change.type = VCONF_TYPE_NONE;
    record_line(recording::format(change));
    ++recorder.changes;
}

/* A state line for each key that exists now; a key that changes meanwhile
 * is left to its change line. */
void record_state_entry(const char *key, void *)
{
    int type = vconf_store_check(key, nullptr);
    CString text(vconf_store_get_text(key));
    if (type == VCONF_ERROR || type == VCONF_TYPE_NONE || !text || vconf_store_check(key, nullptr) != type)
        return;
    recording::Change change;
    change.state = true;
    change.key = key;
    change.type = type;
    change.value = text.get();
    record_line(recording::format(change));
}

/* Prefixes that another one given covers are dropped: each change is
 * recorded once. */
std::vector<std::string> distinct_prefixes(const Args &args)
{
    std::vector<std::string> prefixes;
    for (std::string_view arg : args) {
        bool covered = std::find(prefixes.begin(), prefixes.end(), arg) != prefixes.end();
        for (std::string_view other : args)
            covered = covered || (other != arg && arg.starts_with(other));
        if (!covered)
            prefixes.emplace_back(arg);
    }
    return prefixes;
}

std::string local_time_text()
{
    char text[64];
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local);
    return text;
}

int cmd_record(const Args &args)
{
    if (args.size() < 2)
        return fail(kUsage, "record takes FILE and one or more PREFIXes");
    std::string file(args[0]);
    Args given(args.begin() + 1, args.end());
    for (std::string_view prefix : given)
        if (!check_key(std::string(prefix) + "x"))
            return fail(kUsage, "refused prefix: " + std::string(prefix) +
                                    " (it begins with db/ or memory/, like a key name)");
    std::vector<std::string> prefixes = distinct_prefixes(given);
    bool to_stdout = file == "-";
    std::FILE *out = to_stdout ? stdout : std::fopen(file.c_str(), "w");
    if (out == nullptr)
        return fail(kFailed, "cannot write " + file + ": " + std::strerror(errno));
    recorder.out = out;

    // The state is read once the prefixes are registered, so that no change
    // falls between; the clock starts with it.
    auto begin = [&] {
        clock_gettime(CLOCK_MONOTONIC, &recorder.start);
        std::string joined;
        for (const std::string &prefix : prefixes)
            joined += " " + prefix;
        record_line(std::string(recording::kHeader));
        record_line("# recorded from " + local_time_text() + ", keys beginning with" + joined);
        for (const std::string &prefix : prefixes)
            vconf_store_list(prefix.c_str(), record_state_entry, nullptr);
        return !recorder.failed;
    };
    int status =
        watch_until_signal(prefixes, vconf_store_notify_prefix, vconf_store_ignore_prefix, record_cb, begin);
    if (!to_stdout && std::fclose(out) != 0)
        recorder.failed = true;
    if (recorder.failed)
        return fail(kFailed, "cannot write " + file + ": " + std::strerror(errno));
    if (status == kOk && !to_stdout)
        std::printf("recorded %ld changes in %.1f s to %s\n", recorder.changes,
                    seconds_since(recorder.start), file.c_str());
    return status;
}

// ---- replay -------------------------------------------------------------------

struct replay_options {
    std::string file;
    double speed = 1.0;
    double from = 0.0;
    bool with_commands = false;
    bool with_state = true;
};

/* The options of replay; a usage error's text, or "" when they are fine. */
std::string parse_replay_options(const Args &args, replay_options &options)
{
    std::vector<std::string_view> files;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg == "--speed" || arg == "--from") {
            double value = 0;
            if (i + 1 >= args.size() || !parse_double(args[i + 1], value))
                return std::string(arg) + " takes a number";
            if (arg == "--speed" && !(value >= 0.01 && value <= 10000))
                return "--speed takes a number from 0.01 to 10000";
            if (arg == "--from" && !(value >= 0))
                return "--from takes the seconds of the recording to begin at (0 or more)";
            (arg == "--speed" ? options.speed : options.from) = value;
            ++i;
        } else if (arg == "--with-commands") {
            options.with_commands = true;
        } else if (arg == "--no-state") {
            options.with_state = false;
        } else if (arg.starts_with("--")) {
            return "unknown option for replay: " + std::string(arg);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 1)
        return "replay takes one FILE [--speed X] [--from SECONDS] [--with-commands] [--no-state]";
    options.file = files[0];
    return "";
}

/* Writes one change of a recording; false (with one line on standard error)
 * when the store refuses it. Removing a key that is missing is no failure. */
bool replay_write(const recording::Change &change)
{
    const char *key = change.key.c_str();
    const std::string where = "line " + std::to_string(change.line) + ": ";
    if (vconf_store_is_readonly(key)) {
        read_only(where + change.key);
        return false;
    }
    int rc = VCONF_OK;
    switch (change.type) {
    case VCONF_TYPE_STRING:
        rc = vconf_set_str(key, change.value.c_str());
        break;
    case VCONF_TYPE_INT: {
        int number = 0;
        parse_int(change.value, number);
        rc = vconf_set_int(key, number);
        break;
    }
    case VCONF_TYPE_BOOL:
        rc = vconf_set_bool(key, change.value == "1");
        break;
    case VCONF_TYPE_DOUBLE: {
        double number = 0;
        parse_double(change.value, number);
        rc = vconf_set_dbl(key, number);
        break;
    }
    default:
        if (vconf_store_check(key, nullptr) != VCONF_TYPE_NONE)
            rc = vconf_unset(key);
        break;
    }
    if (rc == VCONF_OK)
        return true;
    fail(kFailed, where + "cannot write " + change.key);
    return false;
}

void sleep_until(const timespec &start, double seconds)
{
    timespec when = start;
    auto whole = static_cast<time_t>(seconds);
    when.tv_sec += whole;
    when.tv_nsec += static_cast<long>((seconds - static_cast<double>(whole)) * 1e9);
    if (when.tv_nsec >= 1000000000L) {
        when.tv_sec += 1;
        when.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr) == EINTR) {
    }
}

int cmd_replay(const Args &args)
{
    replay_options options;
    if (std::string usage = parse_replay_options(args, options); !usage.empty())
        return fail(kUsage, usage);
    std::ifstream in(options.file, std::ios::binary);
    if (!in)
        return fail(kFailed, "cannot read " + options.file + ": " + std::strerror(errno));
    std::stringstream text;
    text << in.rdbuf();  // an empty or unreadable file is refused below
    std::vector<recording::Change> changes;
    std::string error;
    if (!recording::parse(text.str(), changes, error))
        return fail(kFailed, options.file + ": " + error + ": nothing replayed");

    // What is written at once: the state, and of the changes before --from
    // the last of each key. The application's commands are left out.
    std::vector<const recording::Change *> at_once, timed;
    std::map<std::string, size_t> last_before;
    long skipped = 0;
    for (const recording::Change &change : changes) {
        if (change.key == VCONFKEY_REFRIGERATOR_TX_MESSAGE && !options.with_commands) {
            ++skipped;
        } else if (change.state ? options.with_state : change.seconds < options.from) {
            last_before[change.key] = at_once.size();
            at_once.push_back(&change);
        } else if (!change.state) {
            timed.push_back(&change);
        }
    }
    int failures = 0;
    for (size_t i = 0; i < at_once.size(); ++i)
        if (last_before[at_once[i]->key] == i && !replay_write(*at_once[i]))
            ++failures;
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (const recording::Change *change : timed) {
        sleep_until(start, (change->seconds - options.from) / options.speed);
        if (!replay_write(*change))
            ++failures;
    }
    std::printf("replayed %zu changes in %.1f s after %zu values at once; %ld commands left out\n",
                timed.size(), seconds_since(start), last_before.size(), skipped);
    return failures > 0 ? kFailed : kOk;
}

}  // namespace

int main(int argc, char **argv)
{
    Args args(argv + 1, argv + argc);
    if (args.empty())
        return fail(kUsage, "missing command (see panel-keys --help)");
    std::string_view command = args.front();
    Args rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsageText, stdout);
        return kOk;
    }
    if (command == "get")
        return cmd_get(rest);
    if (command == "set")
        return cmd_set(rest);
    if (command == "unset")
        return cmd_unset(rest);
    if (command == "list")
        return cmd_list(rest);
    if (command == "watch")
        return cmd_watch(rest);
    if (command == "readonly")
        return cmd_readonly(rest);
    if (command == "record")
        return cmd_record(rest);
    if (command == "replay")
        return cmd_replay(rest);
    return fail(kUsage, "unknown command: " + std::string(command) + " (see panel-keys --help)");
}
