/*
 * Helpers without widgets that the application and the tools share: text
 * cut to the size of a fixed buffer at a whole UTF-8 character, text from
 * outside made safe for markup, string replacement, configuration-key reads
 * and the panel language.
 */
#ifndef EM_TEXT_UTIL_H
#define EM_TEXT_UTIL_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

/* What snprintf leaves in a buffer of bufsize bytes: the formatted text cut
 * to at most bufsize - 1 bytes, at the end of the last whole UTF-8 character
 * that fits (ASCII text is cut exactly as snprintf cuts it). */
std::string format_cut(std::size_t bufsize, const char *fmt, ...)
    __attribute__((format(printf, 2, 3)));
/* text cut to at most max_chars bytes, never inside a UTF-8 character
 * (NULL gives ""). */
std::string cut_text(const char *text, std::size_t max_chars);
/* Length of the longest prefix of text (length bytes) that is at most max
 * bytes and does not end inside a UTF-8 multi-byte character. */
std::size_t utf8_cut_length(const char *text, std::size_t length, std::size_t max);

/* Text from outside (micom keys, files) made safe to show in a markup
 * widget: '&', '<', '>', '"' and '\'' become entities, so that the text is
 * shown as it stands and never becomes tags. */
std::string markup_escape(std::string_view text);

/* Text from outside as a log line or a one-line message can show it:
 * printable ASCII as it stands, every other byte (and '\\') as \xNN; at
 * most max bytes of text, followed by "..." when there was more. */
std::string printable_text(std::string_view text, std::size_t max);

/* New copy of text with every non-overlapping old replaced by replacement
 * (free() it); text itself when old is empty; NULL when memory runs out. */
char *replaceAll(const char *text, const char *old, const char *replacement);

/* Key reads; nullopt when the key is missing or of another type. */
std::optional<std::string> key_get_str(const char *key);
std::optional<int> key_get_int(const char *key);

/* Panel language read into a 15-byte buffer; Korean when it begins with
 * "ko_KR". A missing key counts as not Korean. */
bool is_korean_language(void);

#endif
