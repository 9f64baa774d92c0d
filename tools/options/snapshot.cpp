/*
 * panel-options' snapshot text and its parse: see snapshot.h. No state.
 */
#include "snapshot.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>
#include <vector>

#include "text_util.h"

namespace {

/* A database text on one line of the snapshot. */
std::string one_line(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

std::vector<std::string> words_of(std::string_view text)
{
    std::vector<std::string> out;
    std::istringstream words{std::string(text)};
    for (std::string w; words >> w;)
        out.push_back(w);
    return out;
}

}  // namespace

std::optional<int> whole_int(std::string_view text)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string snapshot_hex(const option_bytes &bytes)
{
    std::string text;
    for (std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        text += text.empty() ? "" : " ";
        text += pair;
    }
    return text;
}

std::string snapshot_text(const std::string &model, const option_bytes &bytes,
                          const std::string &saved,
                          const std::function<std::string(int n, int value)> &describe)
{
    std::string text = std::string(SNAPSHOT_HEADER) + "\n";
    text += "# the micom's control options, saved " + saved + "\n";
    text += "# option NUMBER VALUE NAME: DESCRIPTION (for reading; restore takes the bytes)\n";
    text += "model " + model + "\n";
    text += "bytes " + snapshot_hex(bytes) + "\n";
    for (int n = 0; n < OPTION_COUNT; ++n) {
        int value = option_value_get(bytes, n);
        text += "option " + format_cut(12, "%02d", n) + " " + std::to_string(value);
        std::string description = describe(n, value);
        if (!description.empty())
            text += " " + one_line(std::move(description));
        text += "\n";
    }
    return text + "end\n";
}

std::optional<option_snapshot> snapshot_parse(std::string_view text, snapshot_damage &damage)
{
    option_snapshot snap;
    bool header = false, have_model = false, have_bytes = false, ended = false;
    std::vector<std::pair<int, int>> option_lines;
    std::string line;
    int number = 0;
    auto damaged = [&](std::optional<int> at, std::string why) {
        damage = snapshot_damage{at, std::move(why)};
        return std::nullopt;
    };
    for (std::istringstream lines{std::string(text)}; std::getline(lines, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (ended)
            return damaged(number, "text after the end line");
        if (!header) {
            if (line != SNAPSHOT_HEADER)
                return damaged(number, "not a panel-options snapshot");
            header = true;
            continue;
        }
        std::string_view rest(line);
        std::string_view word = rest.substr(0, rest.find(' '));
        rest.remove_prefix(std::min(rest.size(), word.size() + 1));
        if (word == "model") {
            if (have_model || rest.empty())
                return damaged(number, "a second or empty model line");
            snap.model = rest;
            have_model = true;
        } else if (word == "bytes") {
            if (have_bytes)
                return damaged(number, "a second bytes line");
            std::vector<std::string> pairs = words_of(rest);
            if (pairs.size() != OPTION_BYTES)
                return damaged(number, "13 bytes expected, " + std::to_string(pairs.size()) + " found");
            for (std::size_t k = 0; k < pairs.size(); ++k) {
                unsigned value = 0;
                const std::string &pair = pairs[k];
                auto [end, err] = std::from_chars(pair.data(), pair.data() + pair.size(), value, 16);
                if (pair.size() != 2 || err != std::errc() || end != pair.data() + pair.size())
                    return damaged(number, "\"" + pair + "\" is not a byte in hex");
                snap.bytes[k] = static_cast<std::uint8_t>(value);
            }
            have_bytes = true;
        } else if (word == "option") {
            std::string_view n_text = rest.substr(0, rest.find(' '));
            rest.remove_prefix(std::min(rest.size(), n_text.size() + 1));
            std::string_view v_text = rest.substr(0, rest.find(' '));
            std::optional<int> n = whole_int(n_text), v = whole_int(v_text);
            if (!n || !v || !option_field_of(*n))
                return damaged(number, "bad option line");
            option_lines.emplace_back(*n, *v);
        } else if (word == "end") {
            ended = true;
        } else {
            return damaged(number, "unknown line \"" + cut_text(line.c_str(), 40) + "\"");
        }
    }
    if (!header)
        return damaged(number, "empty file");
    if (!have_model || !have_bytes)
        return damaged(number, std::string("no ") + (have_model ? "bytes" : "model") + " line");
    if (!ended)
        return damaged(number, "cut short (no end line)");
    for (auto [n, v] : option_lines)
        if (option_value_get(snap.bytes, n) != v)
            return damaged(std::nullopt, "option " + format_cut(12, "%02d", n) + " reads " +
                                             std::to_string(v) + " but its bytes hold " +
                                             std::to_string(option_value_get(snap.bytes, n)));
    return snap;
}
