/*
 * Fuzz target: the snapshot file of panel-options.
 *
 * Any input is parsed as a snapshot text; an input beginning with the byte
 * 0x01 instead makes one (model, 13 bytes and option texts from the rest),
 * which must parse back.
 *
 * Invariants: a damaged text names a line within it (or none, for an option
 * line that disagrees with the bytes) and a reason; an accepted one has a
 * model without a line break and 13 bytes with which every option line
 * agrees, and written again it reads back the same; a written snapshot
 * reads back to its model and bytes, whatever its option texts hold.
 */
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <string>

#include "fuzz_support.h"
#include "snapshot.h"

namespace {

/* The lines of text as the parser counts them. */
int line_count(std::string_view text)
{
    int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    return text.empty() || text.back() == '\n' ? lines : lines + 1;
}

void check_round_trip(const std::string &model, const option_bytes &bytes,
                      const std::array<std::string, OPTION_COUNT> &texts)
{
    std::string text = snapshot_text(model, bytes, "2025-01-31 10:12:00",
                                      [&texts](int n, int) { return texts[n]; });
    snapshot_damage damage;
    std::optional<option_snapshot> snap = snapshot_parse(text, damage);
    FUZZ_CHECK(snap.has_value(), "written snapshot refused: line %d: %s", damage.line.value_or(0),
               damage.why.c_str());
    FUZZ_CHECK(snap->model == model && snap->bytes == bytes);
}

void check_parse(std::string_view text)
{
    snapshot_damage damage;
    std::optional<option_snapshot> snap = snapshot_parse(text, damage);
    if (!snap) {
        FUZZ_CHECK(!damage.why.empty());
        FUZZ_CHECK(!damage.line || (*damage.line >= 0 && *damage.line <= line_count(text)),
                   "line %d of %d", *damage.line, line_count(text));
        return;
    }
    FUZZ_CHECK(!snap->model.empty() && snap->model.find('\n') == std::string::npos);
    FUZZ_CHECK(text.find(SNAPSHOT_HEADER) != std::string_view::npos);
    /* What panel-options save would write for it reads back the same (it
     * refuses a model holding a carriage return). */
    if (snap->model.find('\r') == std::string::npos)
        check_round_trip(snap->model, snap->bytes, {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0 || data[0] != 0x01) {
        check_parse(fuzz::as_text(data, size));
        return 0;
    }
    FuzzedDataProvider in(data + 1, size - 1);
    option_bytes bytes{};
    std::vector<std::uint8_t> given = in.ConsumeBytes<std::uint8_t>(OPTION_BYTES);
    std::copy(given.begin(), given.end(), bytes.begin());
    std::string model = in.ConsumeRandomLengthString(80);
    if (model.empty() || model.find_first_of("\r\n") != std::string::npos)
        model = "RF-DEMO-01";
    std::array<std::string, OPTION_COUNT> texts;
    for (std::string &text : texts)
        text = in.ConsumeRandomLengthString(60);
    check_round_trip(model, bytes, texts);
    return 0;
}
