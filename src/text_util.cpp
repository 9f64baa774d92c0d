/*
 * Text cuts, markup escaping, string replacement, key reads and the panel
 * language: see text_util.h. No state, no timers; reads the keys it is asked
 * for and "db/menu_widget/language".
 */
#include "text_util.h"

#include <vconf.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fridge-function-test/micom_channel.h"

namespace {

constexpr std::size_t LANGUAGE_BUFFER_SIZE = 15;

}  // namespace

std::size_t utf8_cut_length(const char *text, std::size_t length, std::size_t max)
{
    if (!text || length <= max)
        return text ? length : 0;
    /* text[max] is the first byte dropped: when it continues a character,
     * that character started before the cut and goes too. A valid
     * character has at most three continuation bytes. */
    std::size_t cut = max;
    for (int back = 0; back < 3 && cut > 0; ++back) {
        if ((static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80)
            break;
        cut--;
    }
    if ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        return max; /* not UTF-8 at all: a plain byte cut */
    return cut;
}

std::string format_cut(std::size_t bufsize, const char *fmt, ...)
{
    if (bufsize == 0 || !fmt)
        return {};
    va_list ap;
    va_start(ap, fmt);
    va_list again;
    va_copy(again, ap);
    int n = vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    if (n < 0) {
        va_end(again);
        return {};
    }
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    vsnprintf(out.data(), out.size(), fmt, again);
    va_end(again);
    out.resize(utf8_cut_length(out.data(), static_cast<std::size_t>(n), bufsize - 1));
    return out;
}

std::string cut_text(const char *text, std::size_t max_chars)
{
    if (!text)
        return {};
    std::size_t length = strnlen(text, max_chars + 1);
    return std::string(text, utf8_cut_length(text, length, max_chars));
}

std::string markup_escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string printable_text(std::string_view text, std::size_t max)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text.substr(0, max)) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
    }
    if (text.size() > max)
        out += "...";
    return out;
}

std::optional<std::string> key_get_str(const char *key)
{
    std::unique_ptr<char, decltype(&free)> value(vconf_get_str(key), &free);
    if (!value)
        return std::nullopt;
    return std::string(value.get());
}

std::optional<int> key_get_int(const char *key)
{
    int value = 0;
    if (vconf_get_int(key, &value) != VCONF_OK)
        return std::nullopt;
    return value;
}

bool is_korean_language(void)
{
    std::optional<std::string> lang = key_get_str(VCONFKEY_LANGSET);
    if (!lang)
        return false;
    return cut_text(lang->c_str(), LANGUAGE_BUFFER_SIZE - 1).compare(0, 5, "ko_KR") == 0;
}

char *replaceAll(const char *text, const char *old, const char *replacement)
{
    if (!text || !old || !replacement)
        return nullptr;
    std::size_t old_len = strlen(old);
    if (old_len == 0)
        return const_cast<char *>(text); /* the very same text, not a copy */
    std::size_t new_len = strlen(replacement);
    std::size_t text_len = strlen(text);
    std::size_t result_len = text_len;
    if (new_len != old_len) {
        std::size_t count = 0;
        for (const char *p = text; (p = strstr(p, old)) != nullptr; p += old_len)
            count++;
        result_len = text_len + count * new_len - count * old_len;
    }
    char *result = static_cast<char *>(malloc(result_len + 1));
    if (!result)
        return nullptr;
    char *out = result;
    for (const char *p = text; *p;) {
        if (strncmp(p, old, old_len) == 0) {
            memcpy(out, replacement, new_len);
            out += new_len;
            p += old_len;
        } else {
            *out++ = *p++;
        }
    }
    *out = '\0';
    return result;
}
