/*
 * Platform log (desktop stand-in): formats each message and writes it to
 * standard error as one line "P/TAG: MESSAGE", P being the priority letter
 * (V D I W E F) and TAG the tag or "-" when it is NULL or empty. Each line
 * goes out in a single write() so that lines of several threads never mix.
 * Messages have no length limit (they are formatted into a growing string).
 * On standard error their control characters are escaped (\n, \r, \xNN;
 * line ends at the end are dropped), so that a message holding text from
 * outside stays one line and cannot forge another; a capture keeps the
 * message as it was formatted.
 *
 * State: the lowest priority written, read once from PANEL_LOG_LEVEL (a
 * letter V D I W E F in either case, or a number 2..7) on the first call;
 * the capture switch and the captured lines for tests, under a mutex.
 * No timers. Reads the environment; writes standard error.
 */
#include "dlog.h"
#include "dlog_capture.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

// Priority letter by priority number; 0, 1 and 8 have none.
constexpr std::string_view kLetters = "??VDIWEF";

std::once_flag level_once;
int min_priority = DLOG_VERBOSE;

std::mutex capture_mutex;
bool capturing = false;
std::deque<std::string> captured;  // a deque keeps line addresses stable

void write_all(std::string_view text)
{
    while (!text.empty()) {
        ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
}

// 2..7 for a valid level text, 0 otherwise.
int parse_level(std::string_view text)
{
    if (text.size() == 1) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        if (c >= '2' && c <= '7')
            return c - '0';
        size_t pos = kLetters.find(c);
        if (c != '?' && pos != std::string_view::npos)
            return static_cast<int>(pos);
    }
    return 0;
}

void read_level()
{
    const char *env = std::getenv("PANEL_LOG_LEVEL");
    if (env == nullptr || *env == '\0')
        return;
    int level = parse_level(env);
    if (level == 0) {
        std::string warning = "W/DLOG: PANEL_LOG_LEVEL=\"";
        warning += env;
        warning += "\" is not one of V D I W E F or 2..7; ignored\n";
        write_all(warning);
        return;
    }
    min_priority = level;
}

// Control characters of the message from position start on, written as
// \n, \r or \xNN (a tab stays): a message is always one line, whatever
// text from outside it holds. Line ends that close the message are dropped
// (the line end is the log's own).
void escape_controls(std::string &line, size_t start)
{
    static const char hex[] = "0123456789ABCDEF";
    size_t end = line.size();
    while (end > start && (line[end - 1] == '\n' || line[end - 1] == '\r'))
        --end;
    std::string out;
    for (size_t i = start; i < end; ++i) {
        auto c = static_cast<unsigned char>(line[i]);
        if ((c >= 0x20 && c != 0x7F) || c == '\t') {
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    line.replace(start, std::string::npos, out);
}

// Appends the formatted message to out; the number of message bytes or -1.
int append_formatted(std::string &out, const char *fmt, va_list ap)
{
    std::array<char, 512> buf;
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(buf.data(), buf.size(), fmt, copy);
    va_end(copy);
    if (n < 0)
        return -1;
    if (static_cast<size_t>(n) < buf.size()) {
        out.append(buf.data(), static_cast<size_t>(n));
        return n;
    }
    size_t start = out.size();
    out.resize(start + static_cast<size_t>(n));
    // The string owns one more byte for the terminator that vsnprintf writes.
    std::vsnprintf(out.data() + start, static_cast<size_t>(n) + 1, fmt, ap);
    return n;
}

int vprint(int prio, const char *tag, const char *fmt, va_list ap) noexcept
{
    if (prio == DLOG_DEFAULT)
        prio = DLOG_INFO;
    if (fmt == nullptr || prio < DLOG_VERBOSE || prio > DLOG_FATAL)
        return -1;
    std::call_once(level_once, read_level);
    if (prio < min_priority)
        return -1;
    try {
        std::string line;
        line += kLetters[static_cast<size_t>(prio)];
        line += '/';
        line += (tag != nullptr && *tag != '\0') ? tag : "-";
        line += ": ";
        const size_t start = line.size();
        int n = append_formatted(line, fmt, ap);
        if (n < 0)
            return -1;
        {
            std::lock_guard<std::mutex> lock(capture_mutex);
            if (capturing)
                captured.push_back(line);
        }
        escape_controls(line, start);
        line += '\n';
        write_all(line);
        return n;
    } catch (...) {
        // Out of memory: the line is lost, the caller goes on.
        return -1;
    }
}

}  // namespace

extern "C" int __dlog_print(log_id_t, int prio, const char *tag, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = vprint(prio, tag, fmt, ap);
    va_end(ap);
    return n;
}

extern "C" int dlog_print(log_priority prio, const char *tag, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = vprint(prio, tag, fmt, ap);
    va_end(ap);
    return n;
}

extern "C" void dlog_capture_start(void)
{
    std::lock_guard<std::mutex> lock(capture_mutex);
    captured.clear();
    capturing = true;
}

extern "C" void dlog_capture_stop(void)
{
    std::lock_guard<std::mutex> lock(capture_mutex);
    capturing = false;
}

extern "C" void dlog_capture_clear(void)
{
    std::lock_guard<std::mutex> lock(capture_mutex);
    captured.clear();
}

extern "C" int dlog_capture_count(void)
{
    std::lock_guard<std::mutex> lock(capture_mutex);
    return static_cast<int>(captured.size());
}

extern "C" const char *dlog_capture_line(int i)
{
    std::lock_guard<std::mutex> lock(capture_mutex);
    if (i < 0 || static_cast<size_t>(i) >= captured.size())
        return nullptr;
    return captured[static_cast<size_t>(i)].c_str();
}

extern "C" int dlog_capture_contains(const char *text)
{
    if (text == nullptr)
        return 0;
    std::lock_guard<std::mutex> lock(capture_mutex);
    for (const std::string &line : captured)
        if (line.find(text) != std::string::npos)
            return 1;
    return 0;
}
