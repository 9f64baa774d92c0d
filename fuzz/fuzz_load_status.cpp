/*
 * Fuzz target: the load-status value the micom writes
 * (memory/refrigerator/LoadStatus), cut to the screen's 499 characters and
 * split into load IDs as the load-status screen does.
 *
 * Invariants: no piece is empty or holds a separator; the pieces lie in the
 * value in order, apart, and together are the value without its separators;
 * IDs joined by "<br>" split back into the same IDs.
 */
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "micom_answers.h"
#include "reference_tables.h"
#include "text_util.h"

namespace {

/* The reported value is kept to 499 characters. */
constexpr std::size_t LOAD_VALUE_MAX = 499;

void check_split(std::string_view value)
{
    std::vector<std::string_view> pieces = split_load_ids(value);
    std::string joined, without;
    const char *after_last = value.data();
    for (std::string_view piece : pieces) {
        FUZZ_CHECK(!piece.empty());
        FUZZ_CHECK(piece.find_first_of(LOAD_ID_SEPARATORS) == std::string_view::npos);
        /* Inside the value, after the previous piece and not touching it. */
        FUZZ_CHECK(piece.data() >= value.data() &&
                   piece.data() + piece.size() <= value.data() + value.size());
        FUZZ_CHECK(piece.data() > after_last || (piece.data() == value.data() && joined.empty()));
        after_last = piece.data() + piece.size();
        joined += piece;
    }
    for (char c : value)
        if (LOAD_ID_SEPARATORS.find(c) == std::string_view::npos)
            without += c;
    FUZZ_CHECK(joined == without);

    /* The micom joins the IDs of the loads that are on with "<br>". */
    std::string reported;
    for (std::string_view piece : pieces)
        reported += (reported.empty() ? "" : "<br>") + std::string(piece);
    std::vector<std::string_view> again = split_load_ids(reported);
    FUZZ_CHECK(again.size() == pieces.size() && std::equal(again.begin(), again.end(), pieces.begin()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view text = fuzz::c_string_part(fuzz::as_text(data, size));
    std::string value = cut_text(std::string(text).c_str(), LOAD_VALUE_MAX);
    FUZZ_CHECK(fuzz::cut_is_right(text, value, LOAD_VALUE_MAX));
    check_split(value);
    /* The splitter itself takes any bytes, NUL included. */
    check_split(fuzz::as_text(data, size));
    return 0;
}
