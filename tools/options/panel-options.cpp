/*
 * panel-options: the refrigerator's control options by name, for the people
 * who maintain refrigerators.
 *
 *   panel-options show [--lang en|ko]          every option of the model
 *   panel-options save FILE [--lang en|ko]     a snapshot of the 13 bytes
 *   panel-options diff FILE [--lang en|ko]     snapshot against the keys
 *   panel-options set NAME-OR-NUMBER VALUE     one option changed and saved
 *   panel-options restore FILE                 the snapshot's bytes saved
 *
 * Works on the key store of the platform directory (PANEL_PLATFORM_DIR) and
 * on the reference database of the model named by
 * memory/refrigerator/ModelName, found as the application finds it; the
 * option layout, the key reads and the save order are the application's
 * (option_layout.h, option_data.h). A save is the control-option screen's:
 * the empty text to memory/refrigerator/TxMessage, the 13 keys, then
 * "SET_OPTION_01" .. "SET_OPTION_13" one every 0.1 s.
 *
 * Exit status: 0 done, 1 failure (keys, database or snapshot unusable,
 * snapshot of another model), 2 usage (unknown command, wrong arguments,
 * unknown option, value outside the option's range). Every failure is one
 * line on standard error; nothing is written after a refusal.
 *
 * State: none beyond the run. No timers: the save sleeps between commands.
 */
#include <dlog.h>
#include <vconf.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <unistd.h>

#include "db.h"
#include "micom_channel.h"
#include "option_data.h"
#include "option_layout.h"
#include "snapshot.h"
#include "text_util.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char *kUsageText =
    "usage: panel-options show [--lang en|ko]\n"
    "       panel-options save FILE [--lang en|ko]\n"
    "       panel-options diff FILE [--lang en|ko]\n"
    "       panel-options set NAME-OR-NUMBER VALUE\n"
    "       panel-options restore FILE\n"
    "\n"
    "The control options of the refrigerator's model (memory/refrigerator/ModelName)\n"
    "from the 13 keys db/refrigerator/RefOption01..13, named by the model's\n"
    "reference database. set and restore save as the control-option screen does.\n"
    "Names are in the panel language unless --lang is given.\n";

/* A snapshot is a few kilobytes; anything much larger is not one. */
constexpr std::uintmax_t kSnapshotMaxSize = 1 << 20;

/* A refusal or failure: the exit status and its one line. */
struct tool_error {
    int status;
    std::string message;
};

[[noreturn]] void fail(int status, std::string message)
{
    throw tool_error{status, std::move(message)};
}

std::string two_digits(int n)
{
    char text[12];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

std::string lower_ascii(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

/* The model's option table in one language. */
struct model_options {
    std::string model;
    option_records records;
    int count = 0;

    /* Option n is the model's when a row of its table filled record n. */
    bool has(int n) const
    {
        return n >= 0 && n < count && records[static_cast<std::size_t>(n)].mainNumber == n;
    }
    std::string name(int n) const
    {
        const std::string &name = records[static_cast<std::size_t>(n)].name;
        return name.empty() ? "(no name)" : name;
    }
    std::string description(int n, int value) const
    {
        std::string text;
        if (value >= 0 && value < OPTION_CHOICES)
            text = records[static_cast<std::size_t>(n)].sub[static_cast<std::size_t>(value)].description;
        return text.empty() ? "no description" : text;
    }
    /* "VALUE (DESCRIPTION)". */
    std::string value_text(int n, int value) const
    {
        return std::to_string(value) + " (" + description(n, value) + ")";
    }
};

std::string current_model()
{
    std::optional<std::string> model = key_get_str(VCONFKEY_REFRIGERATOR_MODEL_NAME);
    if (!model || model->empty())
        fail(kFailed, "no model name in " VCONFKEY_REFRIGERATOR_MODEL_NAME);
    return *model;
}

model_options load_options(bool korean)
{
    model_options options;
    options.model = current_model();
    option_table_read_result result = option_table_read(options.records, options.count, korean);
    if (result.failed) {
        std::optional<std::string> path = db_compose_path(options.model.c_str());
        /* The model name may hold anything: the database module's line
         * above shows it safely, with the reason. */
        if (!path)
            fail(kFailed, "the model name in " VCONFKEY_REFRIGERATOR_MODEL_NAME
                          " gives no reference database path: refused, or longer than the"
                          " application's 100-byte path buffer");
        if (std::string_view(result.failed) == "NULL == st")
            fail(kFailed, *path + ": no readable controloption table");
        fail(kFailed, "cannot open the reference database of model " + options.model + ": " + *path);
    }
    if (result.stopped)
        std::fprintf(stderr, "panel-options: warning: the controloption table stops early (%s)\n",
                     result.stopped);
    return options;
}

option_bytes read_keys()
{
    option_bytes bytes{};
    std::vector<int> unreadable = option_keys_read(bytes);
    if (!unreadable.empty())
        fail(kFailed, "cannot read " + option_byte_key(unreadable.front()) +
                          " (missing or not an integer)");
    return bytes;
}

/* The changes from one copy of the bytes to another, one line each: the
 * options that differ, and bit 0 of a byte (which no option owns). */
std::vector<std::string> changes(const model_options &options, const option_bytes &from,
                                 const option_bytes &to)
{
    std::vector<std::string> lines;
    for (int n = 0; n < OPTION_COUNT; ++n) {
        int old_value = option_value_get(from, n), new_value = option_value_get(to, n);
        if (old_value == new_value)
            continue;
        std::string name = options.has(n) ? options.name(n) : "(not an option of the model)";
        lines.push_back(name + " (option " + two_digits(n) + "): " +
                        options.value_text(n, old_value) + " -> " +
                        options.value_text(n, new_value));
    }
    for (int k = 0; k < OPTION_BYTES; ++k) {
        int old_bit = from[static_cast<std::size_t>(k)] & 1, new_bit = to[static_cast<std::size_t>(k)] & 1;
        if (old_bit != new_bit)
            lines.push_back("bit 0 of " + option_byte_key(k) + " (no option): " +
                            std::to_string(old_bit) + " -> " + std::to_string(new_bit));
    }
    return lines;
}

/* ---- snapshot file ---------------------------------------------------- */

std::string local_time()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string snapshot_of(const model_options &options, const option_bytes &bytes)
{
    if (options.model.find_first_of("\r\n") != std::string::npos)
        fail(kFailed, "the model name holds a line break; no snapshot written");
    return snapshot_text(options.model, bytes, local_time(), [&options](int n, int value) {
        return options.has(n) ? options.name(n) + ": " + options.description(n, value) : std::string();
    });
}

/* Writes the file whole or not at all: a temporary file beside it, renamed
 * over it. */
void write_file(const std::string &path, const std::string &text)
{
    std::string tmp = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        fail(kFailed, "cannot write " + path + ": " + std::strerror(errno));
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(tmp.c_str());
        fail(kFailed, "cannot write " + path + ": " + std::strerror(error));
    }
}

/* Reads and checks a snapshot file (snapshot_parse). */
option_snapshot read_snapshot(const std::string &path)
{
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec)
        fail(kFailed, "cannot read " + path + ": " + ec.message());
    if (size > kSnapshotMaxSize)
        fail(kFailed, path + ": damaged snapshot: " + std::to_string(size) + " bytes is too long");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail(kFailed, "cannot read " + path);
    std::stringstream whole;
    whole << in.rdbuf();

    snapshot_damage damage;
    std::optional<option_snapshot> snap = snapshot_parse(whole.str(), damage);
    if (!snap)
        fail(kFailed, path + (damage.line ? ":" + std::to_string(*damage.line) : "") +
                          ": damaged snapshot: " + damage.why);
    return *snap;
}

void check_model(const option_snapshot &snap, const std::string &path)
{
    std::string model = current_model();
    if (snap.model != model)
        fail(kFailed, path + " is a snapshot of model " + snap.model + ", the refrigerator is " + model);
}

/* ---- the save, as the control-option screen does it ------------------- */

void save_to_micom(const option_bytes &bytes)
{
    int failed_keys = 0;
    auto start = std::chrono::steady_clock::now();
    if (option_save_begin(bytes, &failed_keys) != VCONF_OK)
        fail(kFailed, "cannot write " VCONFKEY_REFRIGERATOR_TX_MESSAGE);
    if (failed_keys > 0)
        fail(kFailed, "cannot write " + std::to_string(failed_keys) + " of the 13 option keys");
    for (int state = OPTION_SAVE_FIRST; state < OPTION_SAVE_DONE; ++state) {
        std::this_thread::sleep_until(start + std::chrono::duration<double>(OPTION_SAVE_INTERVAL * state));
        if (option_save_send(state) != VCONF_OK)
            fail(kFailed, "cannot send " + option_save_command(state));
    }
    std::printf("saved: the 13 option keys written, %s .. %s sent\n",
                option_save_command(OPTION_SAVE_FIRST).c_str(),
                option_save_command(OPTION_SAVE_DONE - 1).c_str());
}

/* ---- commands --------------------------------------------------------- */

/* The language: --lang en|ko in args (taken out), else the panel's. */
bool take_language(std::vector<std::string_view> &args)
{
    bool korean = is_korean_language();
    for (auto it = args.begin(); it != args.end();) {
        if (*it != "--lang") {
            ++it;
            continue;
        }
        if (it + 1 == args.end() || (it[1] != "en" && it[1] != "ko"))
            fail(kUsage, "--lang takes en or ko");
        korean = it[1] == "ko";
        it = args.erase(it, it + 2);
    }
    return korean;
}

int cmd_show(std::vector<std::string_view> args)
{
    bool korean = take_language(args);
    if (!args.empty())
        fail(kUsage, "show takes no argument besides --lang");
    model_options options = load_options(korean);
    option_bytes bytes = read_keys();
    int icemaker = key_get_int(VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER).value_or(-1);
    std::printf("model %s, option bytes %s\n", options.model.c_str(), snapshot_hex(bytes).c_str());
    for (int n = 0; n < OPTION_COUNT; ++n) {
        if (!options.has(n))
            continue;
        const option_record &record = options.records[static_cast<std::size_t>(n)];
        std::string line = two_digits(n) + "  " + options.name(n) + ": " +
                           options.value_text(n, option_value_get(bytes, n));
        if (record.developerOnly == 1)
            line += " [developer only]";
        if (!option_supported(record.support, icemaker))
            line += " [not supported with ice maker " + std::to_string(icemaker) + "]";
        std::printf("%s\n", line.c_str());
    }
    return kOk;
}

int cmd_save(std::vector<std::string_view> args)
{
    bool korean = take_language(args);
    if (args.size() != 1)
        fail(kUsage, "save takes one FILE");
    model_options options = load_options(korean);
    option_bytes bytes = read_keys();
    write_file(std::string(args[0]), snapshot_of(options, bytes));
    std::printf("saved the options of model %s to %s\n", options.model.c_str(),
                std::string(args[0]).c_str());
    return kOk;
}

int cmd_diff(std::vector<std::string_view> args)
{
    bool korean = take_language(args);
    if (args.size() != 1)
        fail(kUsage, "diff takes one FILE");
    std::string path(args[0]);
    option_snapshot snap = read_snapshot(path);
    check_model(snap, path);
    model_options options = load_options(korean);
    std::vector<std::string> lines = changes(options, snap.bytes, read_keys());
    if (lines.empty())
        std::printf("no differences\n");
    for (const std::string &line : lines)
        std::printf("%s\n", line.c_str());
    return kOk;
}

/* Option number of NAME-OR-NUMBER: a number of one of the model's options,
 * or the name of exactly one of them, in English or Korean, ignoring the
 * case of ASCII letters. */
int find_option(std::string_view wanted)
{
    model_options english = load_options(false);
    if (std::optional<int> n = whole_int(wanted)) {
        if (!english.has(*n))
            fail(kUsage, "model " + english.model + " has no option " + std::string(wanted));
        return *n;
    }
    model_options korean = load_options(true);
    std::string key = lower_ascii(wanted);
    std::vector<int> found;
    for (int n = 0; n < OPTION_COUNT; ++n) {
        if (english.has(n) && (lower_ascii(english.records[n].name) == key ||
                               lower_ascii(korean.records[n].name) == key))
            found.push_back(n);
    }
    if (found.empty())
        fail(kUsage, "model " + english.model + " has no option named \"" + std::string(wanted) + "\"");
    if (found.size() > 1)
        fail(kUsage, "\"" + std::string(wanted) + "\" names options " + two_digits(found[0]) +
                         " and " + two_digits(found[1]) + "; give the number");
    return found.front();
}

int cmd_set(std::vector<std::string_view> args)
{
    if (args.size() != 2)
        fail(kUsage, "set takes NAME-OR-NUMBER and VALUE");
    int n = find_option(args[0]);
    const option_field *field = option_field_of(n);
    int top = (1 << field->width) - 1;
    std::optional<int> value = whole_int(args[1]);
    if (!value || *value < 0 || *value > top)
        fail(kUsage, "option " + two_digits(n) + " takes 0 to " + std::to_string(top) + ", not " +
                         std::string(args[1]));
    model_options options = load_options(is_korean_language());
    option_bytes before = read_keys();
    option_bytes after = before;
    option_value_set(after, n, *value);
    std::vector<std::string> lines = changes(options, before, after);
    if (lines.empty())
        std::printf("%s (option %s): %s, unchanged\n", options.name(n).c_str(),
                    two_digits(n).c_str(), options.value_text(n, *value).c_str());
    for (const std::string &line : lines)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    save_to_micom(after);
    return kOk;
}

int cmd_restore(std::vector<std::string_view> args)
{
    if (args.size() != 1)
        fail(kUsage, "restore takes one FILE");
    std::string path(args[0]);
    option_snapshot snap = read_snapshot(path);
    check_model(snap, path);
    model_options options = load_options(is_korean_language());
    option_bytes before{};
    option_keys_read(before);  // only to tell what changes: every key is written
    std::vector<std::string> lines = changes(options, before, snap.bytes);
    if (lines.empty())
        std::printf("the keys already hold the snapshot; saving it again\n");
    for (const std::string &line : lines)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    save_to_micom(snap.bytes);
    return kOk;
}

}  // namespace

int main(int argc, char **argv)
{
    /* The platform's own log lines only when asked for: the tool speaks in
     * its one-line messages. */
    setenv("PANEL_LOG_LEVEL", "F", 0);
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help") {
        std::fputs(kUsageText, args.empty() ? stderr : stdout);
        return args.empty() ? kUsage : kOk;
    }
    std::string_view command = args.front();
    args.erase(args.begin());
    try {
        if (command == "show")
            return cmd_show(args);
        if (command == "save")
            return cmd_save(args);
        if (command == "diff")
            return cmd_diff(args);
        if (command == "set")
            return cmd_set(args);
        if (command == "restore")
            return cmd_restore(args);
        fail(kUsage, "unknown command " + std::string(command) + " (see --help)");
    } catch (const tool_error &e) {
        std::fprintf(stderr, "panel-options: %s\n", e.message.c_str());
        return e.status;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "panel-options: %s\n", e.what());
        return kFailed;
    }
}
