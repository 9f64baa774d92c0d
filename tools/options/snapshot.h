/*
 * The snapshot file of panel-options: the text written from the 13 option
 * bytes and the model's option texts, and the parse that checks a text and
 * takes the model and the bytes back. No keys, no files, no clock: the tool
 * reads and writes the file and gives the time.
 */
#ifndef PANEL_OPTIONS_SNAPSHOT_H
#define PANEL_OPTIONS_SNAPSHOT_H

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "option_layout.h"

inline constexpr const char *SNAPSHOT_HEADER = "panel-options snapshot 1";

struct option_snapshot {
    std::string model;
    option_bytes bytes{};
};

/* The decimal int that is the whole of text ('-' allowed, no '+', no
 * blanks); nullopt for anything else or a value outside int. */
std::optional<int> whole_int(std::string_view text);

/* The 13 bytes in hex, two upper-case digits each, separated by blanks. */
std::string snapshot_hex(const option_bytes &bytes);

/* The snapshot text: the header, two comment lines (the first names the
 * time `saved`), the model, the bytes, a line per option (all 37) and the
 * end line. describe(n, value) gives "NAME: DESCRIPTION" for an option of
 * the model, "" for another; line breaks in it become blanks. The model
 * must hold no line break (the caller refuses one). */
std::string snapshot_text(const std::string &model, const option_bytes &bytes,
                          const std::string &saved,
                          const std::function<std::string(int n, int value)> &describe);

/* Why a text is not a snapshot: the line (from 1) where that showed, or
 * none when an option line disagrees with the bytes, and the reason. */
struct snapshot_damage {
    std::optional<int> line;
    std::string why;
};

/* Checks a snapshot text (the header, one model, 13 bytes, every option line
 * agreeing with the bytes, the end line and nothing after it; empty lines,
 * lines beginning with '#' and a '\r' before a line end are ignored) and
 * returns its model and bytes; nullopt with *damage filled when it is
 * damaged. */
std::optional<option_snapshot> snapshot_parse(std::string_view text, snapshot_damage &damage);

#endif
