/*
 * Shared parts of the fuzz targets: see fuzz_support.h.
 *
 * State: the scratch platform directory of the process (made on first use,
 * removed at exit).
 */
#include "fuzz_support.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace fuzz {

namespace {

std::string scratch;

void remove_scratch()
{
    std::error_code ec;
    if (!scratch.empty())
        std::filesystem::remove_all(scratch, ec);
}

}  // namespace

const std::string &platform_dir()
{
    if (scratch.empty()) {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-platform-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("fuzz: mkdtemp");
            std::abort();
        }
        scratch = pattern;
        std::atexit(remove_scratch);
        setenv("PANEL_PLATFORM_DIR", scratch.c_str(), 1);
        if (!std::getenv("FUZZ_PLATFORM_LOG"))
            setenv("PANEL_LOG_LEVEL", "F", 1);
    }
    return scratch;
}

void empty_dir(const std::string &dir)
{
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(dir, ec))
        std::filesystem::remove_all(entry.path(), ec);
}

bool valid_utf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length;
        std::uint32_t code;
        if (byte < 0x80) {
            i++;
            continue;
        } else if ((byte & 0xE0) == 0xC0) {
            length = 2;
            code = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            code = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            code = byte & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        constexpr std::array<std::uint32_t, 5> lowest = {0, 0, 0x80, 0x800, 0x10000};
        if (code < lowest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool cut_is_right(std::string_view text, std::string_view cut, std::size_t max)
{
    if (cut.size() > max || text.substr(0, cut.size()) != cut)
        return false;
    if (text.size() <= max)
        return cut.size() == text.size();
    if (!valid_utf8(text))
        return true;
    /* A whole number of characters, and the next one would not fit. */
    if (!valid_utf8(cut))
        return false;
    auto lead = static_cast<unsigned char>(text[cut.size()]);
    std::size_t next = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 4;
    return cut.size() + next > max;
}

bool unescape_markup(std::string_view escaped, std::string &out)
{
    constexpr std::array<std::pair<std::string_view, char>, 5> entities = {{
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''},
    }};
    out.clear();
    for (std::size_t i = 0; i < escaped.size();) {
        char c = escaped[i];
        if (c == '<' || c == '>' || c == '"' || c == '\'')
            return false;
        if (c != '&') {
            out += c;
            i++;
            continue;
        }
        bool known = false;
        for (const auto &[entity, plain] : entities) {
            if (escaped.substr(i, entity.size()) == entity) {
                out += plain;
                i += entity.size();
                known = true;
                break;
            }
        }
        if (!known)
            return false;
    }
    return true;
}

}  // namespace fuzz
