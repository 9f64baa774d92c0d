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
 *
 * Without --type, set keeps the type of an existing key and makes new keys
 * strings; it refuses a key that cannot be read (damaged), whose type is
 * unknown. get names what is wrong with such a key; unset removes it. Exit
 * status: 0 on success, 1 when the store refuses or lacks what was asked
 * (missing or unreadable key, failed write), 2 for a usage error (unknown
 * command, wrong arguments, bad value, refused key name); every failure
 * prints one line on standard error.
 *
 * State: none besides, for watch, the Ecore main loop and the registrations,
 * which run until SIGINT or SIGTERM. Reads and writes keys under the platform
 * directory; writes standard output.
 */
#include <vconf.h>
#include <vconf_store.h>

#include <Ecore.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
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
    "\n"
    "Keys are \"db/...\" (persistent) or \"memory/...\" (cleared at boot), in the\n"
    "platform directory named by PANEL_PLATFORM_DIR. set keeps an existing key's\n"
    "type unless --type is given (a damaged key needs --type); new keys are\n"
    "strings. bool values: 0, 1, true, false. list and watch print KEY=VALUE\n"
    "lines; watch prints \"KEY (unset)\" when a key is removed and runs until\n"
    "interrupted. get names what is wrong with a damaged key; unset removes it.\n"
    "readonly marks a key so that every write and unset of it is refused (off\n"
    "removes the mark); without on or off it prints the key's mark.\n";

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

void watch_cb(keynode_t *node, void *)
{
    const char *name = vconf_keynode_get_name(node);
    switch (vconf_keynode_get_type(node)) {
    case VCONF_TYPE_STRING:
        std::printf("%s=%s\n", name, vconf_keynode_get_str(node));
        break;
    case VCONF_TYPE_INT:
        std::printf("%s=%d\n", name, vconf_keynode_get_int(node));
        break;
    case VCONF_TYPE_BOOL:
        std::printf("%s=%d\n", name, vconf_keynode_get_bool(node));
        break;
    case VCONF_TYPE_DOUBLE: {
        char text[64];
        auto end = std::to_chars(text, text + sizeof text - 1, vconf_keynode_get_dbl(node)).ptr;
        *end = '\0';
        std::printf("%s=%s\n", name, text);
        break;
    }
    default:
        std::printf("%s (unset)\n", name);
        break;
    }
    std::fflush(stdout);
}

Eina_Bool exit_signal_cb(void *, int, void *)
{
    ecore_main_loop_quit();
    return ECORE_CALLBACK_DONE;
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
    ecore_app_no_system_modules();
    ecore_init();
    Ecore_Event_Handler *handler =
        ecore_event_handler_add(ECORE_EVENT_SIGNAL_EXIT, exit_signal_cb, nullptr);
    int status = kOk;
    size_t registered = 0;
    for (; registered < keys.size(); ++registered) {
        if (vconf_notify_key_changed(keys[registered].c_str(), watch_cb, nullptr) != VCONF_OK) {
            status = fail(kFailed, "cannot watch " + keys[registered]);
            break;
        }
    }
    if (status == kOk)
        ecore_main_loop_begin();
    for (size_t i = 0; i < registered; ++i)
        vconf_ignore_key_changed(keys[i].c_str(), watch_cb);
    ecore_event_handler_del(handler);
    ecore_shutdown();
    return status;
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
    return fail(kUsage, "unknown command: " + std::string(command) + " (see panel-keys --help)");
}
