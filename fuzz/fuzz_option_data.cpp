/*
 * Fuzz target: the control options' codec over the 13 option bytes and the
 * two reports of the control-option screen (a line per option, and the long
 * form of all 37 values for developer value 1), with random bytes, option
 * numbers, values, records, developer and ice-maker values.
 *
 * Invariants: setting an option then reading it gives the value's low bits
 * and leaves every other option and every bit 0 alone; an option number
 * outside 0 to 36 changes nothing and reads 255; more ice-maker features
 * never take an option's support away; a report line fits its 25-byte
 * buffer and reads back; the long form stays under 800 bytes, has eight
 * rows and reads back to the 37 values; a report shows exactly the options
 * its filter lets through, in order, below the option count.
 */
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "option_data.h"
#include "option_layout.h"

namespace {

int icemaker = -1;

/* The filters of the screen's two reports: the micom's values show the
 * supported options that are not developer-only; the working values show
 * the options that are not developer-only. */
bool saved_report_shows(const option_record &record)
{
    return option_supported(record.support, icemaker) && record.developerOnly != 1;
}

bool changing_report_shows(const option_record &record)
{
    return record.developerOnly == 0;
}

int width_of(int n)
{
    return option_field_of(n)->width;
}

void check_set(option_bytes &bytes, int n, int value)
{
    const option_bytes before = bytes;
    bool done = option_value_set(bytes, n, value);
    const option_field *field = option_field_of(n);
    FUZZ_CHECK(done == (field != nullptr));
    if (!field) {
        FUZZ_CHECK(bytes == before);
        FUZZ_CHECK(option_value_get(bytes, n) == OPTION_OUT_OF_RANGE);
        FUZZ_CHECK(option_mask(n) == 0);
        return;
    }
    FUZZ_CHECK(option_value_get(bytes, n) == (value & ((1 << field->width) - 1)),
               "option %d set to %d reads %d", n, value, option_value_get(bytes, n));
    for (int other = 0; other < OPTION_COUNT; ++other)
        if (other != n)
            FUZZ_CHECK(option_value_get(bytes, other) == option_value_get(before, other),
                       "setting option %d changed option %d", n, other);
    for (int k = 0; k < OPTION_BYTES; ++k) {
        FUZZ_CHECK((bytes[k] & 1) == (before[k] & 1));
        if (k != field->byte)
            FUZZ_CHECK(bytes[k] == before[k]);
    }
}

/* "Opt  %02d : %d" read back. */
bool read_line(const std::string &line, int &n, int &value)
{
    int used = 0;
    return std::sscanf(line.c_str(), "Opt  %d : %d%n", &n, &value, &used) == 2 &&
           static_cast<std::size_t>(used) == line.size();
}

void check_report_line(int n, int value)
{
    std::string line = option_report_line(n, value);
    FUZZ_CHECK(line.size() <= 24 && line.compare(0, 5, "Opt  ") == 0, "%s", line.c_str());
    int read_n = 0, read_value = 0;
    if (line.size() < 24)
        FUZZ_CHECK(read_line(line, read_n, read_value) && read_n == n && read_value == value, "%s",
                   line.c_str());
}

void check_long_form(const option_bytes &bytes)
{
    std::string text = option_long_form(bytes);
    FUZZ_CHECK(text.size() < 800);
    std::vector<std::string> rows;
    for (std::size_t start = 0;;) {
        std::size_t br = text.find("<br>", start);
        rows.push_back(text.substr(start, br == std::string::npos ? br : br - start));
        if (br == std::string::npos)
            break;
        start = br + 4;
    }
    FUZZ_CHECK(rows.size() == 8, "%zu rows", rows.size());
    int n = 0;
    for (const std::string &row : rows) {
        FUZZ_CHECK(row.compare(0, 3, "\t\t\t") == 0);
        std::string_view rest = std::string_view(row).substr(3);
        for (;;) {
            std::size_t gap = rest.find("     ");
            int read_n = -1, value = -1;
            FUZZ_CHECK(read_line(std::string(rest.substr(0, gap)), read_n, value));
            FUZZ_CHECK(read_n == n && value == option_value_get(bytes, n), "entry %d", n);
            n++;
            if (gap == std::string_view::npos)
                break;
            rest.remove_prefix(gap + 5);
        }
    }
    FUZZ_CHECK(n == OPTION_COUNT);
}

void check_report(const option_bytes &bytes, const option_records &records, int options,
                  int developer, bool (*shown)(const option_record &))
{
    std::vector<std::string> lines = option_report_body(bytes, records, options, developer, shown);
    if (developer == 1) {
        FUZZ_CHECK(lines.size() == 1 && lines[0] == option_long_form(bytes));
        return;
    }
    std::size_t next = 0;
    for (int n = 0; n < OPTION_COUNT; ++n) {
        if (n >= options || !shown(records[n]))
            continue;
        FUZZ_CHECK(next < lines.size());
        int read_n = -1, value = -1;
        FUZZ_CHECK(read_line(lines[next++], read_n, value));
        FUZZ_CHECK(read_n == n && value == option_value_get(bytes, n));
    }
    FUZZ_CHECK(next == lines.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    option_bytes bytes{};
    std::vector<std::uint8_t> first = in.ConsumeBytes<std::uint8_t>(OPTION_BYTES);
    std::copy(first.begin(), first.end(), bytes.begin());

    check_long_form(bytes);

    /* The records of a model's table, the option count and the screen's
     * developer and ice-maker values. */
    option_records records;
    for (option_record &record : records) {
        record.developerOnly = in.ConsumeIntegralInRange(-1, 2);
        record.support = in.ConsumeBool() ? -1 : in.ConsumeIntegralInRange(-8, 8);
    }
    int options = in.ConsumeIntegralInRange(-2, OPTION_COUNT + 2);
    int developer = in.PickValueInArray({0, 1, 2, -1, INT_MIN, INT_MAX});
    icemaker = in.ConsumeBool() ? -1 : in.ConsumeIntegralInRange(-8, 8);
    check_report(bytes, records, options, developer, saved_report_shows);
    check_report(bytes, records, options, developer, changing_report_shows);

    /* Support is monotonic: what an ice maker supports, a richer one does. */
    for (const option_record &record : records)
        if (option_supported(record.support, icemaker))
            FUZZ_CHECK(option_supported(record.support, icemaker | in.ConsumeIntegral<int>()));

    /* Edits as the sub list and panel-options make them, with any values. */
    while (in.remaining_bytes() > 0) {
        int n = in.ConsumeBool() ? in.ConsumeIntegralInRange(-2, OPTION_COUNT + 1)
                                 : in.ConsumeIntegral<int>();
        int value = in.ConsumeBool() ? in.ConsumeIntegralInRange(-1, 17) : in.ConsumeIntegral<int>();
        check_set(bytes, n, value);
        check_report_line(n, value);
        if (option_field_of(n))
            FUZZ_CHECK(__builtin_popcount(option_mask(n)) == width_of(n) && (option_mask(n) & 1) == 0);
        FUZZ_CHECK(option_byte_key(n).empty() == (n < 0 || n >= OPTION_BYTES));
        FUZZ_CHECK(option_save_command(n).empty() == (n < 1 || n > OPTION_BYTES));
    }
    check_long_form(bytes);
    check_report(bytes, records, options, developer, saved_report_shows);
    return 0;
}
