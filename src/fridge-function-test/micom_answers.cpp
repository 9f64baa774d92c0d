/*
 * The micom's answer texts taken apart: see micom_answers.h. No state, no
 * timers, no keys.
 */
#include "micom_answers.h"

#include <cstdlib>
#include <memory>

#include "log.h"
#include "reference_tables.h"
#include "text_util.h"

int error_list_connection_error(std::string_view error_list)
{
    std::string_view rest = error_list;
    while (!rest.empty()) {
        std::size_t start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        rest.remove_prefix(start);
        std::string_view token = rest.substr(0, rest.find(' '));
        if (token[0] == 'E')
            return 0;
        if (token.substr(0, 2) == "41")
            return 1;
        rest.remove_prefix(token.size());
    }
    return 1;
}

shown_error_list error_list_shown(std::string_view cut_list)
{
    /* replaceAll works on the C string, as the key's value is one. */
    std::string list(cut_list);
    std::unique_ptr<char, decltype(&free)> copy(replaceAll(list.c_str(), "E", "C"), &free);
    shown_error_list shown;
    if (!copy) {
        LOGE("replaceAll failed");
        return shown;
    }
    std::string_view replaced(copy.get());
    shown.text = markup_escape(replaced);
    shown.link_mark = replaced == "41";
    return shown;
}

std::string error_history_shown(std::string_view cut_history)
{
    if (!cut_history.empty() && cut_history[0] == 'E')
        return "No Error History";
    return markup_escape(cut_history);
}

std::vector<std::string_view> split_load_ids(std::string_view value)
{
    constexpr std::string_view separators = LOAD_ID_SEPARATORS;
    std::vector<std::string_view> pieces;
    for (std::size_t begin = value.find_first_not_of(separators); begin != std::string_view::npos;
         begin = value.find_first_not_of(separators, begin)) {
        std::size_t end = std::min(value.find_first_of(separators, begin), value.size());
        pieces.push_back(value.substr(begin, end - begin));
        begin = end;
    }
    return pieces;
}
