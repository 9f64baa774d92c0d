/*
 * The control options' data over the keys and the reference database: see
 * option_data.h. No state of its own (the callers own the records and the
 * bytes), no timers. Reads the controloption table of the model's database
 * and the keys "db/refrigerator/RefOption01" .. "RefOption13"; writes those
 * keys and memory/refrigerator/TxMessage.
 */
#include "option_data.h"

#include <vconf.h>

#include <algorithm>

#include "db.h"
#include "micom_channel.h"
#include "reference_tables.h"
#include "text_util.h"

namespace {

/* Column positions in the rows of CONTROL_OPTION_QUERY. */
enum option_column {
    COL_DEVELOPER_ONLY = 0,
    COL_SUPPORT = 1,
    COL_MAIN_NUMBER = 2,
    COL_SUB_NUMBER = 3,
    COL_COMM_MODE = 5,
    COL_COMM_DATA = 6,
    COL_COMM_BIT_SHIFT = 7,
    COL_COMM_BIT_LENGTH = 8,
    COL_NAME_EN_US = 9,
    COL_NAME_KR = 10,
    COL_DESCRIPTION_EN_US = 11,
    COL_DESCRIPTION_KR = 12,
};

/* Report lines and the long form: 25- and 800-byte buffers. */
constexpr std::size_t REPORT_LINE_SIZE = 25;
constexpr std::size_t LONG_FORM_SIZE = 800;
constexpr int LONG_FORM_PER_ROW = 5;

/* A column's text, cut to the record's field (the read's first cut is
 * logged); "" for NULL. */
std::string column_text(db_table_read &table, int column)
{
    return table.text(column, OPTION_TEXT_MAX);
}

}  // namespace

option_table_read_result option_table_read(option_records &records, int &count, bool korean)
{
    option_table_read_result result;
    db_table_read table;
    if (const char *failed = table.open("controloption", CONTROL_OPTION_QUERY)) {
        result.failed = failed;
        return result;
    }
    for (option_record &record : records) {
        record.mainNumber = record.commMode = record.commData = -1;
        record.commBitShift = record.commBitLength = -1;
        record.name.clear();
        for (option_choice &choice : record.sub)
            choice.description.clear();
    }
    count = 0;

    while (table.next()) {
        int n = table.int32(COL_MAIN_NUMBER);
        if (n < 0 || n >= OPTION_COUNT) {
            result.stopped = "Out of range: Main number";
            break;
        }
        option_record &record = records[static_cast<std::size_t>(n)];
        record.developerOnly = table.int32(COL_DEVELOPER_ONLY);
        record.mainNumber = n;
        record.support = table.int32(COL_SUPPORT);
        record.commMode = table.int32(COL_COMM_MODE);
        record.commData = table.int32(COL_COMM_DATA);
        record.commBitShift = table.int32(COL_COMM_BIT_SHIFT);
        record.commBitLength = table.int32(COL_COMM_BIT_LENGTH);

        int s = table.int32(COL_SUB_NUMBER);
        if (s < 0 || s >= OPTION_CHOICES) {
            result.stopped = "Out of range: Sub number";
            break;
        }
        std::string name = column_text(table, korean ? COL_NAME_KR : COL_NAME_EN_US);
        if (!name.empty())
            record.name = std::move(name);
        std::string description =
            column_text(table, korean ? COL_DESCRIPTION_KR : COL_DESCRIPTION_EN_US);
        if (!description.empty())
            record.sub[static_cast<std::size_t>(s)].description = std::move(description);
        count = n + 1;
    }
    return result;
}

std::vector<int> option_keys_read(option_bytes &bytes)
{
    std::vector<int> unreadable;
    for (int k = 0; k < OPTION_BYTES; ++k) {
        std::optional<int> value = key_get_int(option_byte_key(k).c_str());
        if (value)
            bytes[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(*value & 0xFF);
        else
            unreadable.push_back(k);
    }
    return unreadable;
}

int option_keys_write(const option_bytes &bytes)
{
    int failed = 0;
    for (int k = 0; k < OPTION_BYTES; ++k) {
        if (vconf_set_int(option_byte_key(k).c_str(), bytes[static_cast<std::size_t>(k)]) !=
            VCONF_OK)
            failed++;
    }
    return failed;
}

int option_save_begin(const option_bytes &bytes, int *failed_keys)
{
    int ret = micom_send("");
    int failed = option_keys_write(bytes);
    if (failed_keys)
        *failed_keys += failed;
    return ret;
}

int option_save_send(int state)
{
    std::string command = option_save_command(state);
    if (command.empty())
        return -1;
    return micom_send(command.c_str());
}

std::string option_report_line(int n, int value)
{
    return format_cut(REPORT_LINE_SIZE, "Opt  %02d : %d", n, value);
}

std::string option_long_form(const option_bytes &bytes)
{
    std::string text;
    for (int n = 0; n < OPTION_COUNT; ++n) {
        int column = n % LONG_FORM_PER_ROW;
        if (column == 0)
            text += "\t\t\t";
        else
            text += "     ";
        text += option_report_line(n, option_value_get(bytes, n));
        if (column == LONG_FORM_PER_ROW - 1)
            text += "<br>";
    }
    return cut_text(text.c_str(), LONG_FORM_SIZE - 1);
}

std::vector<std::string> option_report_body(const option_bytes &bytes,
                                            const option_records &records, int options,
                                            int developer, bool (*shown)(const option_record &))
{
    if (developer == 1)
        return {option_long_form(bytes)};
    std::vector<std::string> lines;
    for (int n = 0; n < std::min(options, OPTION_COUNT); n++) {
        if (shown(records[static_cast<std::size_t>(n)]))
            lines.push_back(option_report_line(n, option_value_get(bytes, n)));
    }
    return lines;
}
