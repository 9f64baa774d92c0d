/*
 * What the fuzz targets share: the invariant check that stops the run with
 * the input saved, a scratch platform directory for the targets that go
 * through the key store, and small text predicates the invariants use.
 */
#ifndef FUZZ_SUPPORT_H
#define FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

/* A broken invariant: says which and aborts, so that libFuzzer keeps the
 * input as a crash. */
#define FUZZ_CHECK(cond, ...)                                                          \
    do {                                                                               \
        if (!(cond)) {                                                                 \
            std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, \
                         #cond);                                                       \
            std::fprintf(stderr, "" __VA_ARGS__);                                      \
            std::fputc('\n', stderr);                                                  \
            std::abort();                                                              \
        }                                                                              \
    } while (0)

namespace fuzz {

inline std::string_view as_text(const std::uint8_t *data, std::size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

/* The text up to its first NUL byte: what a C string of it holds. */
inline std::string_view c_string_part(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

/* A fresh directory (mode 0700) under TMPDIR or /tmp, made the platform
 * directory of this process (PANEL_PLATFORM_DIR) and removed at exit. The
 * platform's log lines are silenced (PANEL_LOG_LEVEL=F) unless
 * FUZZ_PLATFORM_LOG is set. Returns its path. */
const std::string &platform_dir();

/* Removes everything below dir, keeping dir. */
void empty_dir(const std::string &dir);

/* True when text is well-formed UTF-8 (no overlong forms, no surrogates,
 * nothing above U+10FFFF). */
bool valid_utf8(std::string_view text);

/* The cut of text to at most max bytes is right: a prefix of text, at most
 * max bytes, all of text when it fits, and for UTF-8 text a whole number of
 * characters that leaves out less than one character. */
bool cut_is_right(std::string_view text, std::string_view cut, std::size_t max);

/* markup_escape undone; false when out holds '<', '>', '"', '\'' or an '&'
 * that starts none of the five entities markup_escape writes. */
bool unescape_markup(std::string_view escaped, std::string &out);

}  // namespace fuzz

#endif
