/*
 * Writing and reading the recording format of panel-keys (recording.h).
 * Reading checks everything replay relies on before anything is written:
 * the header, the order of the lines, key names, types and values.
 */
#include "recording.h"

#include <vconf.h>
#include <vconf_store.h>

#include <charconv>
#include <cstdio>

namespace recording {

namespace {

// Length of the valid UTF-8 sequence of two to four bytes at text, else 0
// (overlong forms, surrogates and code points above U+10FFFF are invalid).
std::size_t utf8_sequence(std::string_view text)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    auto continuation = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
    unsigned char lead = byte(0);
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if (!continuation(i))
            return 0;
    unsigned char second = byte(1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

const char *type_name(int type)
{
    switch (type) {
    case VCONF_TYPE_INT: return "int";
    case VCONF_TYPE_BOOL: return "bool";
    case VCONF_TYPE_DOUBLE: return "double";
    case VCONF_TYPE_STRING: return "string";
    default: return "unset";
    }
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes of a quoted value (the whole rest of the line); nullptr, or the
// reason it is damaged.
const char *unquote(std::string_view text, std::string &out)
{
    if (text.size() < 2 || text.front() != '"')
        return "a string value must be in double quotes";
    out.clear();
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (out.size() > VCONF_STORE_VALUE_MAX)
            return "a value larger than 1048576 bytes";
        char c = text[i];
        if (c == '"') {
            if (i + 1 != text.size())
                return "text after the closing quote";
            return out.size() > VCONF_STORE_VALUE_MAX ? "a value larger than 1048576 bytes" : nullptr;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return "a control byte that is not escaped";
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == text.size())
            return "an escape at the end of the line";
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            int high = i + 2 < text.size() ? hex_digit(text[i + 1]) : -1;
            int low = high >= 0 ? hex_digit(text[i + 2]) : -1;
            if (low < 0)
                return "\\x without two hex digits";
            if (high == 0 && low == 0)
                return "\\x00: a value holds no NUL byte";
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return "an unknown escape";
        }
    }
    return "no closing quote";
}

// Why a typed value is damaged, or nullptr. A string's bytes land in out.
const char *check_value(int type, std::string_view text, std::string &out)
{
    const char *end = text.data() + text.size();
    switch (type) {
    case VCONF_TYPE_STRING:
        return unquote(text, out);
    case VCONF_TYPE_INT: {
        int number = 0;
        auto [ptr, ec] = std::from_chars(text.data(), end, number);
        if (text.empty() || ec != std::errc() || ptr != end)
            return "bad int value";
        break;
    }
    case VCONF_TYPE_BOOL:
        if (text != "0" && text != "1")
            return "bad bool value (0 or 1)";
        break;
    case VCONF_TYPE_DOUBLE: {
        double number = 0;
        auto [ptr, ec] = std::from_chars(text.data(), end, number);
        if (text.empty() || ec != std::errc() || ptr != end)
            return "bad double value";
        break;
    }
    default:
        if (!text.empty())
            return "text after unset";
        break;
    }
    out.assign(text);
    return nullptr;
}

// Seconds: digits, optionally a point and more digits.
bool parse_seconds(std::string_view text, double &out)
{
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out,
                                     std::chars_format::fixed);
    return ec == std::errc() && ptr == text.data() + text.size() && out >= 0 && out < 1e9;
}

// The next blank-separated field of rest (moved past it and its blank).
std::string_view field(std::string_view &rest)
{
    std::size_t blank = rest.find(' ');
    std::string_view word = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    return word;
}

const char *parse_line(std::string_view line, Change &change, double last)
{
    std::string_view rest = line;
    std::string_view when = field(rest);
    if (when == "state") {
        change.state = true;
    } else if (!parse_seconds(when, change.seconds)) {
        return "a line begins with \"state\" or the seconds since the start";
    } else if (change.seconds < last) {
        return "earlier than the line before";
    }
    change.key = field(rest);
    if (!vconf_store_key_valid(change.key.c_str()))
        return "refused key name";
    bool has_value = rest.find(' ') != std::string_view::npos;
    std::string_view type = field(rest);
    if (type == "int")
        change.type = VCONF_TYPE_INT;
    else if (type == "bool")
        change.type = VCONF_TYPE_BOOL;
    else if (type == "double")
        change.type = VCONF_TYPE_DOUBLE;
    else if (type == "string")
        change.type = VCONF_TYPE_STRING;
    else if (type == "unset")
        change.type = VCONF_TYPE_NONE;
    else
        return "unknown type (int, bool, double, string or unset)";
    if (change.type == VCONF_TYPE_NONE && has_value)
        return "text after unset";
    if (change.type != VCONF_TYPE_NONE && !has_value)
        return "no value";
    if (change.state && change.type == VCONF_TYPE_NONE)
        return "a state line holds a value, never unset";
    return check_value(change.type, rest, change.value);
}

}  // namespace

std::string quote(std::string_view bytes)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            if (std::size_t length = utf8_sequence(bytes.substr(i))) {
                out.append(bytes.substr(i, length));
                i += length;
                continue;
            }
        }
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    return out + "\"";
}

std::string format(const Change &change)
{
    std::string line;
    if (change.state) {
        line = "state";
    } else {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.6f", change.seconds);
        line = seconds;
    }
    line += " " + change.key + " " + type_name(change.type);
    if (change.type == VCONF_TYPE_STRING)
        line += " " + quote(change.value);
    else if (change.type != VCONF_TYPE_NONE)
        line += " " + change.value;
    return line;
}

bool parse(std::string_view text, std::vector<Change> &out, std::string &error)
{
    out.clear();
    std::size_t number = 0;
    bool changes_begun = false;
    double last = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        const char *problem = nullptr;
        if (number == 1) {
            if (line != kHeader)
                problem = "not a panel-keys recording (the first line is not \"panel-keys recording 1\")";
        } else if (!line.empty() && line.front() != '#') {
            Change change;
            change.line = number;
            problem = parse_line(line, change, last);
            if (problem == nullptr && change.state && changes_begun)
                problem = "a state line after the first change";
            if (problem == nullptr) {
                changes_begun = changes_begun || !change.state;
                last = change.seconds;
                out.push_back(std::move(change));
            }
        }
        if (problem != nullptr) {
            error = "line " + std::to_string(number) + ": " + problem;
            return false;
        }
    }
    if (number == 0) {
        error = "empty file: not a panel-keys recording";
        return false;
    }
    return true;
}

}  // namespace recording
