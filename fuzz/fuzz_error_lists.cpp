/*
 * Fuzz target: the error list and the error history as the micom writes them
 * (memory/refrigerator/ErrorList, db/refrigerator/ErrorHistory).
 *
 * The input is the key's text. It goes through the application's walk that
 * decides whether the micom link is up, the self-diagnosis and history lines
 * of the log box, the micom service's reading of a list and its history
 * update, and replaceAll. Invariants: the application and the micom service
 * read a list alike; a list the service composes reads back as it was made;
 * the shown texts are cut right, carry no markup and unescape to the text
 * with every "E" shown as "C"; a history update keeps the earlier codes in
 * order, adds a code once and is idempotent; replaceAll's result has the
 * length its count of replacements gives.
 */
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "micom_answers.h"
#include "micom_sim.h"
#include "text_util.h"

namespace {

/* Error lists and histories are kept to 799 characters. */
constexpr std::size_t ERROR_TEXT_MAX = 799;

std::string replaced_e(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c == 'E')
            c = 'C';
    return out;
}

/* The words of a history before its first word beginning with "E". */
std::vector<std::string> history_codes(std::string_view history)
{
    std::vector<std::string> codes;
    for (std::string &word : split_words(history)) {
        if (word[0] == 'E')
            break;
        codes.push_back(std::move(word));
    }
    return codes;
}

void check_list(std::string_view list)
{
    /* The application's walk and the micom service's reading agree: the link
     * is up exactly when an "E" word closes the list before any "41" word. */
    int broken = error_list_connection_error(list);
    error_list_condition condition = error_list_parse(list);
    FUZZ_CHECK(broken == (condition.closed ? 0 : 1));
    FUZZ_CHECK(!(condition.closed && condition.link_down));
    for (const std::string &code : condition.codes)
        FUZZ_CHECK(!code.empty() && code.find(' ') == std::string::npos && code[0] != 'E' &&
                   code.compare(0, 2, "41") != 0);

    /* What the service writes back from that reading means the same, for
     * every number of codes found so far. */
    for (std::size_t count : {std::size_t{0}, condition.codes.size() / 2, condition.codes.size()}) {
        std::string composed = error_list_compose(condition.codes, count, condition.link_down);
        error_list_condition again = error_list_parse(composed);
        FUZZ_CHECK(again.link_down == condition.link_down);
        FUZZ_CHECK(error_list_connection_error(composed) == (condition.link_down ? 1 : 0));
        if (!condition.link_down) {
            FUZZ_CHECK(again.closed);
            FUZZ_CHECK(again.codes.size() == count &&
                       std::equal(again.codes.begin(), again.codes.end(), condition.codes.begin()));
        }
    }

    /* The self-diagnosis line: the cut text, every "E" shown as "C", never
     * markup; the " C" mark only after exactly "41". */
    std::string cut = cut_text(std::string(list).c_str(), ERROR_TEXT_MAX);
    FUZZ_CHECK(fuzz::cut_is_right(fuzz::c_string_part(list), cut, ERROR_TEXT_MAX));
    shown_error_list shown = error_list_shown(cut);
    std::string plain;
    FUZZ_CHECK(fuzz::unescape_markup(shown.text, plain), "%s", shown.text.c_str());
    FUZZ_CHECK(plain == replaced_e(cut));
    FUZZ_CHECK(shown.text.find('E') == std::string::npos);
    FUZZ_CHECK(shown.link_mark == (plain == "41"));

    /* The history line: "No Error History" for a history closed at once,
     * else the text itself, never markup. */
    std::string history = error_history_shown(cut);
    if (!cut.empty() && cut[0] == 'E') {
        FUZZ_CHECK(history == "No Error History");
    } else {
        FUZZ_CHECK(fuzz::unescape_markup(history, plain));
        FUZZ_CHECK(plain == cut);
    }
}

void check_history_add(std::string_view history, const std::string &code)
{
    std::vector<std::string> before = history_codes(history);
    std::optional<std::string> added = error_history_add(history, code);
    bool known = std::find(before.begin(), before.end(), code) != before.end();
    FUZZ_CHECK(added.has_value() == !known);
    if (!added)
        return;
    std::vector<std::string> words = split_words(*added);
    before.push_back(code);
    before.push_back("E");
    FUZZ_CHECK(words == before, "history \"%s\" + %s gave \"%s\"", std::string(history).c_str(),
               code.c_str(), added->c_str());
    FUZZ_CHECK(!error_history_add(*added, code).has_value());
}

/* replaceAll over a C string: the result's length follows from the number of
 * non-overlapping matches, scanned from the left. */
void check_replace(const std::string &text, const char *old, const char *replacement)
{
    std::unique_ptr<char, decltype(&free)> result(replaceAll(text.c_str(), old, replacement), &free);
    FUZZ_CHECK(result != nullptr);
    std::string_view source(text.c_str()), from(old), to(replacement);
    std::size_t count = 0;
    for (std::size_t at = source.find(from); at != std::string_view::npos;
         at = source.find(from, at + from.size()))
        count++;
    FUZZ_CHECK(std::strlen(result.get()) == source.size() - count * from.size() + count * to.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input = fuzz::as_text(data, size);
    /* A key's value is a C string. */
    std::string_view text = fuzz::c_string_part(input);
    check_list(text);

    /* The history takes a code the micom found: one from the text's own
     * reading, or a real one when it has none. */
    error_list_condition condition = error_list_parse(text);
    check_history_add(text, condition.codes.empty() ? std::string("22") : condition.codes.back());

    std::string copy(text);
    check_replace(copy, "E", "C");
    check_replace(copy, "E", "");
    check_replace(copy, " ", "<br>");
    /* The pattern and replacement from the input itself. */
    if (std::size_t tab = input.find('\t'); tab != std::string_view::npos) {
        std::string old(fuzz::c_string_part(input.substr(tab + 1)).substr(0, 3));
        if (!old.empty())
            check_replace(copy, old.c_str(), "<br>");
    }
    return 0;
}
