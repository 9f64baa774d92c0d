/*
 * The micom's answer texts as the screens take them apart, without widgets
 * or keys: the walk of the error list that decides whether the link is up,
 * the error list and history as the log box shows them, and the load-status
 * value cut into load IDs. The screens read the keys and call these.
 */
#ifndef EM_MICOM_ANSWERS_H
#define EM_MICOM_ANSWERS_H

#include <string>
#include <string_view>
#include <vector>

/* The walk of check_connection_error over an error list: its blank-separated
 * tokens from the first; a token beginning with "E" ends it with 0 (link up),
 * one beginning with "41" ends it with 1 (link broken); 1 when the tokens run
 * out first (an empty list included). */
int error_list_connection_error(std::string_view error_list);

/* The self-diagnosis line for an error list already cut to its size: every
 * "E" shown as "C", then escaped for markup. link_mark is set when the
 * replaced text is exactly "41": the screen adds " C" after it. */
struct shown_error_list {
    std::string text;
    bool link_mark = false;
};
shown_error_list error_list_shown(std::string_view cut_list);

/* What the error-history screen writes for a history already cut to its
 * size: "No Error History" when it begins with "E", else the text escaped
 * for markup (an empty history is the empty text). */
std::string error_history_shown(std::string_view cut_history);

/* The load-status value cut into IDs at every run of '<', 'b', 'r' and '>'
 * (LOAD_ID_SEPARATORS), in order; empty pieces are dropped, so no piece is
 * empty or holds a separator. The pieces point into value. */
std::vector<std::string_view> split_load_ids(std::string_view value);

#endif
