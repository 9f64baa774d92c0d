/*
 * The checks of refdb-check (refdb_check.h): a model's reference database
 * against what the engineer-mode screens read from it and the rules they
 * apply. The screens' own statements, table sizes, field sizes, the
 * load-status separators, the force-run status rule and the option layout
 * come from em_rules, the one copy the application links.
 *
 * Findings, one line each:
 *   DB: table TABLE row N: error: TEXT      (N counts the rows of the
 *   DB: table TABLE: warning: TEXT           screen's statement from 1)
 *
 * State: none beyond one check. Reads the database; writes nothing.
 */
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "option_layout.h"
#include "reference_tables.h"
#include "refdb_check.h"

namespace {

/* Labels that mark a force-run entry as the cancel: status 0 is right for it. */
constexpr std::string_view CANCEL_WORD = "cancel";
constexpr std::string_view CANCEL_WORD_KR = "취소";
constexpr std::string_view DEVELOPER_PREFIX = "PreCool";
/* Values in findings are shown up to this many bytes. */
constexpr std::size_t SHOWN_MAX = 40;

struct stmt_finalizer {
    void operator()(sqlite3_stmt *st) const { sqlite3_finalize(st); }
};
using stmt_ptr = std::unique_ptr<sqlite3_stmt, stmt_finalizer>;

std::string printf_string(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string printf_string(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

/* A value quoted for a finding: at most SHOWN_MAX bytes, cut at a whole
 * UTF-8 character, control characters as \xHH, so a finding stays one line. */
std::string quoted(std::string_view text)
{
    bool cut = text.size() > SHOWN_MAX;
    if (cut) {
        std::size_t end = SHOWN_MAX;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
        text = text.substr(0, end);
    }
    std::string out = "\"";
    for (char ch : text) {
        auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F)
            out += printf_string("\\x%02X", byte);
        else
            out += ch;
    }
    return out + (cut ? "...\"" : "\"");
}

bool iequals_at(std::string_view text, std::size_t pos, std::string_view word)
{
    return std::equal(word.begin(), word.end(), text.begin() + pos, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

bool contains_word(std::string_view text, std::string_view word)
{
    for (std::size_t pos = 0; pos + word.size() <= text.size(); ++pos)
        if (iequals_at(text, pos, word))
            return true;
    return false;
}

/* The first markup in text other than the line break "<br>": a tag or an
 * entity such as "&amp;"; empty when there is none. */
std::string_view other_markup(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '<') {
            if (text.substr(i, 4) == "<br>") {
                i += 3;
                continue;
            }
            std::size_t end = text.find('>', i);
            return text.substr(i, end == std::string_view::npos ? end : end - i + 1);
        }
        if (text[i] == '&') {
            std::size_t end = text.find(';', i);
            if (end == std::string_view::npos || end == i + 1)
                continue;
            std::string_view name = text.substr(i + 1, end - i - 1);
            bool entity = std::all_of(name.begin(), name.end(), [](char c) {
                return std::isalnum(static_cast<unsigned char>(c)) || c == '#';
            });
            if (entity)
                return text.substr(i, end - i + 1);
        }
    }
    return {};
}

/* One column of one row, as the statement returned it. */
struct cell {
    int type = SQLITE_NULL;
    long long integer = 0;          /* sqlite3_column_int64: what a screen reads */
    /* sqlite3_column_text up to its first NUL byte, as the screens read
     * it (a C string); none for NULL. */
    std::optional<std::string> text;
    std::size_t bytes = 0;  /* the text's whole length */
};
using row_t = std::vector<cell>;

/* The columns and rows of one screen statement. */
struct table_data {
    std::string name;
    std::vector<std::string> columns;
    std::vector<row_t> rows;

    /* Position of a column in the statement; the checks only ask for
     * columns the statement names. */
    int col(std::string_view column) const
    {
        auto it = std::find(columns.begin(), columns.end(), column);
        return it == columns.end() ? -1 : static_cast<int>(it - columns.begin());
    }
};

/* Counts findings and writes them to out. */
class checker {
public:
    checker(std::string db, std::FILE *out) : db_(std::move(db)), out_(out) {}

    void report(bool error, const std::string &where, const std::string &text)
    {
        (error ? counts_.errors : counts_.warnings)++;
        std::fprintf(out_, "%s: %s%s%s: %s\n", db_.c_str(), where.c_str(), where.empty() ? "" : ": ",
                     error ? "error" : "warning", text.c_str());
    }
    refdb_findings counts() const { return counts_; }

private:
    std::string db_;
    std::FILE *out_;
    refdb_findings counts_;
};

/* Findings about one row of one table. */
class row_check {
public:
    row_check(checker &c, const table_data &t, std::size_t index)
        : c_(c), t_(t), row_(t.rows[index]), where_(printf_string("table %s row %zu", t.name.c_str(), index + 1))
    {
    }
    void error(const std::string &text) { c_.report(true, where_, text); }
    void warning(const std::string &text) { c_.report(false, where_, text); }

    const std::string &column_name(int col) const { return t_.columns[col]; }

    /* The column as the screens store it: the low 32 bits of its 64-bit
     * value. NULL, a value that is no integer and one that does not fit 32
     * bits are errors. */
    int int32(int col)
    {
        const cell &v = row_[col];
        auto low = static_cast<std::int32_t>(static_cast<std::uint64_t>(v.integer) & 0xFFFFFFFFu);
        const char *name = column_name(col).c_str();
        if (v.type == SQLITE_NULL)
            error(printf_string("%s is NULL: read as 0", name));
        else if (v.type != SQLITE_INTEGER)
            error(printf_string("%s is not an integer (%s): read as %d", name,
                                quoted(v.text.value_or("")).c_str(), low));
        else if (v.integer != low)
            error(printf_string("%s %lld does not fit 32 bits: read as %d", name, v.integer, low));
        return low;
    }

    /* The column's text; "" for NULL. */
    std::string text(int col) const { return row_[col].text.value_or(""); }

    /* A NULL or empty text is an error with its consequence. Returns
     * whether the text is there. */
    bool present(int col, const char *consequence)
    {
        const cell &v = row_[col];
        if (v.text && !v.text->empty())
            return true;
        error(printf_string("%s is %s: %s", column_name(col).c_str(), v.text ? "empty" : "NULL",
                            consequence));
        return false;
    }

    /* A text the screens show: cut to max bytes (warning); markup other
     * than <br> (error: the texts are shown as markup). */
    void shown(int col, std::size_t max)
    {
        std::string value = text(col);
        if (value.size() > max)
            warning(printf_string("%s is %zu bytes: the screen shows the first %zu", column_name(col).c_str(),
                                  value.size(), max));
        std::string_view markup = other_markup(value);
        if (!markup.empty())
            error(printf_string("%s holds markup other than <br>: %s", column_name(col).c_str(),
                                quoted(markup).c_str()));
    }

    /* Texts the screens show, one per panel language: each must be there
     * (an error with the consequence) and is checked as shown above. */
    void shown_in_both(std::initializer_list<const char *> columns, std::size_t max, const char *consequence)
    {
        for (const char *name : columns) {
            present(t_.col(name), consequence);
            shown(t_.col(name), max);
        }
    }

    /* A text the screens compare or send: cut to max bytes, it is no
     * longer itself (error). */
    void kept_whole(int col, std::size_t max, const char *consequence)
    {
        std::size_t size = text(col).size();
        if (size > max)
            error(printf_string("%s is %zu bytes: the screen keeps %zu, %s", column_name(col).c_str(), size,
                                max, consequence));
    }

private:
    checker &c_;
    const table_data &t_;
    const row_t &row_;
    std::string where_;
};

/* Column names and table of one of the screens' statements:
 * "SELECT a, \tb FROM t" gives {a, b} and t. */
void parse_statement(std::string_view sql, table_data &t)
{
    constexpr std::string_view select = "SELECT", from = " FROM ";
    std::size_t from_at = sql.find(from);
    std::string_view list = sql.substr(select.size(), from_at - select.size());
    t.name = std::string(sql.substr(from_at + from.size()));
    constexpr std::string_view blanks = " \t";
    while (!list.empty()) {
        std::size_t comma = std::min(list.find(','), list.size());
        std::string_view name = list.substr(0, comma);
        name.remove_prefix(std::min(name.find_first_not_of(blanks), name.size()));
        name = name.substr(0, name.find_last_not_of(blanks) + 1);
        t.columns.emplace_back(name);
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
}

/* Runs one screen statement. Reports a missing table, missing columns or a
 * failing statement and returns nothing then. */
std::optional<table_data> read_table(sqlite3 *db, const char *sql, checker &c)
{
    table_data t;
    parse_statement(sql, t);
    const std::string where = "table " + t.name;

    sqlite3_stmt *raw = nullptr;
    std::set<std::string> present;
    if (sqlite3_prepare_v2(db, ("PRAGMA table_info(" + t.name + ")").c_str(), -1, &raw, nullptr) == SQLITE_OK) {
        stmt_ptr info(raw);
        while (sqlite3_step(info.get()) == SQLITE_ROW) {
            std::string name = reinterpret_cast<const char *>(sqlite3_column_text(info.get(), 1));
            std::transform(name.begin(), name.end(), name.begin(), ::toupper);
            present.insert(name);
        }
    }
    if (present.empty()) {
        c.report(true, where, "missing: the screen that reads it shows nothing from it");
        return std::nullopt;
    }
    bool complete = true;
    for (const std::string &column : t.columns) {
        if (!present.count(column)) {
            c.report(true, where, "column " + column + " missing: the screen's statement fails");
            complete = false;
        }
    }
    if (!complete)
        return std::nullopt;

    raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        c.report(true, where, std::string("the screen's statement fails: ") + sqlite3_errmsg(db));
        return std::nullopt;
    }
    stmt_ptr st(raw);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        row_t &row = t.rows.emplace_back(t.columns.size());
        for (std::size_t i = 0; i < row.size(); ++i) {
            int col = static_cast<int>(i);
            row[i].type = sqlite3_column_type(st.get(), col);
            row[i].integer = sqlite3_column_int64(st.get(), col);
            if (const unsigned char *text = sqlite3_column_text(st.get(), col)) {
                row[i].text = std::string(reinterpret_cast<const char *>(text));
                row[i].bytes = static_cast<std::size_t>(sqlite3_column_bytes(st.get(), col));
            }
        }
    }
    if (rc != SQLITE_DONE)
        c.report(true, where, printf_string("reading stops after row %zu: %s", t.rows.size(), sqlite3_errmsg(db)));
    /* The checks below see what the screens see; what they do not see is
     * said here. */
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            const cell &v = t.rows[r][i];
            if (v.text && v.bytes > v.text->size())
                row_check(c, t, r).warning(printf_string("%s holds a NUL byte after %zu bytes: the screens read "
                                                         "only the text before it",
                                                         t.columns[i].c_str(), v.text->size()));
        }
    }
    if (t.rows.empty())
        c.report(false, where, "no rows: the screen that reads it shows nothing from it");
    return t;
}

/* Rows the screen keeps in a table of `size` records: those whose
 * USE_ENGINEER_MODE is not 0. Reports the rows beyond the table. */
std::vector<bool> rows_in_use(checker &c, const table_data &t, int size, const char *beyond)
{
    std::vector<bool> used(t.rows.size(), false);
    const int use = t.col("USE_ENGINEER_MODE");
    int kept = 0;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        row_check x(c, t, r);
        if (x.int32(use) == 0)
            continue;
        if (kept++ >= size) {
            x.error(beyond);
            continue;
        }
        used[r] = true;
    }
    return used;
}

void check_loadstatus(checker &c, const table_data &t)
{
    const int number = t.col("ERROR_NUMBER"), id = t.col("ID");
    std::vector<bool> used =
        rows_in_use(c, t, LOAD_TABLE_SIZE,
                    printf_string("beyond the %d loads the screen holds: never named", LOAD_TABLE_SIZE).c_str());
    std::size_t later = std::count(used.begin(), used.end(), true);
    std::map<std::string, std::size_t> seen;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        if (!used[r])
            continue;
        --later;
        row_check x(c, t, r);
        int n = x.int32(number);
        if (n < 0)
            x.error(printf_string("load number %d ends the table: this load and the %zu after it are never named", n,
                                  later));
        if (x.present(id, "the load is never named")) {
            std::string value = x.text(id);
            x.kept_whole(id, LOAD_TEXT_MAX, "so the load is never named");
            std::size_t at = value.find_first_of(LOAD_ID_SEPARATORS);
            if (at != std::string::npos)
                x.error(printf_string("ID %s holds '%c': the load-status splitter cuts it there, so the load is "
                                      "never named",
                                      quoted(value).c_str(), value[at]));
            auto [first, fresh] = seen.emplace(value, r + 1);
            if (!fresh)
                x.error(printf_string("ID %s repeats row %zu: only the first is named", quoted(value).c_str(),
                                      first->second));
        }
        x.shown_in_both({"NAME_EN_US", "NAME_KR"}, LOAD_TEXT_MAX, "the load shows as an empty line");
    }
}

void check_selfdiagnosis(checker &c, const table_data &t)
{
    const int number = t.col("ERROR_NUMBER"), id = t.col("ID");
    std::vector<bool> used =
        rows_in_use(c, t, ERROR_TABLE_SIZE,
                    printf_string("beyond the %d errors the screen holds: never listed", ERROR_TABLE_SIZE).c_str());
    std::map<int, std::size_t> seen;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        if (!used[r])
            continue;
        row_check x(c, t, r);
        int n = x.int32(number);
        if (n < 0)
            x.error(printf_string("error number %d is negative: no micom reports it", n));
        auto [first, fresh] = seen.emplace(n, r + 1);
        if (!fresh)
            x.error(printf_string("error number %d repeats row %zu: listed twice", n, first->second));
        if (x.text(id).size() > ERROR_ID_MAX)
            x.warning(printf_string("ID is %zu bytes: the screen keeps %zu", x.text(id).size(), ERROR_ID_MAX));
        x.shown_in_both({"NAME_EN_US", "NAME_KR"}, ERROR_NAME_MAX, "the error is not listed in that language");
        x.shown_in_both({"DESCRIPTION_EN_US", "DESCRIPTION_KR"}, ERROR_CONTENT_MAX,
                        "touching the error shows nothing in that language");
    }
}

/* Status 0 is the cancel; an entry says it is one in its MODE or a label. */
bool says_cancel(const std::string &mode, const std::string &en, const std::string &kr)
{
    return contains_word(mode, CANCEL_WORD) || contains_word(en, CANCEL_WORD) ||
           kr.find(CANCEL_WORD_KR) != std::string::npos;
}

void check_forcerun(checker &c, const table_data &t)
{
    const int mode = t.col("MODE"), en = t.col("TEXT_EN_US"), kr = t.col("TEXT_KR");
    std::map<int, std::size_t> status_row;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        row_check x(c, t, r);
        if (r >= static_cast<std::size_t>(FORCE_RUN_ENTRIES)) {
            x.error(printf_string("beyond the %d entries the screen holds: never listed", FORCE_RUN_ENTRIES));
            continue;
        }
        bool has_mode = x.present(mode, "its entry sends the empty text to the micom");
        x.kept_whole(mode, FORCE_RUN_TEXT_MAX, "so the micom gets another command");
        x.shown_in_both({"TEXT_EN_US", "TEXT_KR"}, FORCE_RUN_TEXT_MAX, "the entry is never listed in that language");
        if (has_mode) {
            /* The screen derives the status from the MODE it keeps. */
            std::string command = x.text(mode).substr(0, FORCE_RUN_TEXT_MAX);
            int status = forcerun_status_of(command.c_str());
            if (status == 0 && !says_cancel(command, x.text(en), x.text(kr)))
                x.error(printf_string("MODE %s maps to no force-run status: the screen records 0, the cancel, "
                                      "for it (a cancel entry says cancel in its MODE or label)",
                                      quoted(command).c_str()));
            auto [first, fresh] = status_row.emplace(status, r + 1);
            if (!fresh)
                x.warning(printf_string("status %d also belongs to row %zu: opening the screen re-selects only "
                                        "the first",
                                        status, first->second));
        }
        bool developer_en = x.text(en).starts_with(DEVELOPER_PREFIX);
        bool developer_kr = x.text(kr).starts_with(DEVELOPER_PREFIX);
        if (developer_en != developer_kr)
            x.warning(printf_string("only the %s label begins with \"PreCool\": the program is for developers "
                                    "in one language only",
                                    developer_en ? "English" : "Korean"));
    }
}

void check_controloption(checker &c, const table_data &t)
{
    const int main_col = t.col("MAIN_NUMBER"), sub_col = t.col("SUB_NUMBER"),
              length_col = t.col("COMM_BIT_LENGTH"), data_col = t.col("COMM_DATA"),
              shift_col = t.col("COMM_BIT_SHIFT");
    /* What the screen reads: it stops at the first number out of range; its
     * option count is the MAIN_NUMBER of the last row read plus 1. */
    bool stopped = false;
    int count = 0, highest = -1, previous = -1;
    std::map<int, std::map<int, std::size_t>> choices;  // option -> value -> row
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        row_check x(c, t, r);
        for (const char *name : {"DEVELOPER_ONLY", "SUPPORT", "COMM_MODE"})
            x.int32(t.col(name));
        int n = x.int32(main_col), s = x.int32(sub_col), length = x.int32(length_col),
            data = x.int32(data_col), shift = x.int32(shift_col);
        x.shown_in_both({"NAME_EN_US", "NAME_KR"}, CONTROL_OPTION_TEXT_MAX, "the option has no name in that language");
        x.shown_in_both({"DESCRIPTION_EN_US", "DESCRIPTION_KR"}, CONTROL_OPTION_TEXT_MAX,
                        "the choice shows no text in that language");

        const option_field *field = option_field_of(n);
        if (!field) {
            x.error(printf_string("MAIN_NUMBER %d is outside 0 to %d: %s", n, OPTION_COUNT - 1,
                                  stopped ? "the screen has stopped reading before"
                                          : "the screen stops reading here"));
            stopped = true;
            continue;
        }
        if (n < previous)
            x.error(printf_string("MAIN_NUMBER %d comes after %d: rows must ascend (the option count is the "
                                  "last row's MAIN_NUMBER + 1)",
                                  n, previous));
        previous = n;
        if (length != field->width)
            x.error(printf_string("COMM_BIT_LENGTH %d differs from option %d's field width %d", length, n,
                                  field->width));
        if (data != field->byte + 1 || shift != field->first_bit)
            x.warning(printf_string("COMM_DATA %d and COMM_BIT_SHIFT %d differ from option %d's field (byte %d, "
                                    "bit %d): the screens use the fixed layout",
                                    data, shift, n, field->byte + 1, field->first_bit));
        if (s < 0 || s >= OPTION_CHOICES) {
            x.error(printf_string("SUB_NUMBER %d is outside 0 to %d: %s", s, OPTION_CHOICES - 1,
                                  stopped ? "the screen has stopped reading before"
                                          : "the screen stops reading here"));
            stopped = true;
            continue;
        }
        if (s >= (1 << field->width))
            x.error(printf_string("SUB_NUMBER %d is outside option %d's %d values: never offered", s, n,
                                  1 << field->width));
        auto [first, fresh] = choices[n].emplace(s, r + 1);
        if (!fresh)
            x.warning(printf_string("option %d value %d repeats row %zu: this row's description replaces it", n,
                                    s, first->second));
        if (!stopped) {
            count = n + 1;
            highest = std::max(highest, n);
        }
    }
    const std::string where = "table " + t.name;
    if (highest + 1 > count)
        c.report(true, where,
                 printf_string("the option count is %d (the last row's MAIN_NUMBER + 1): options %d to %d are not "
                               "shown",
                               count, count, highest));
    for (const auto &[n, values] : choices) {
        for (int v = 0; v < (1 << option_field_of(n)->width); ++v)
            if (!values.count(v))
                c.report(false, where,
                         printf_string("option %d has no row for value %d: its choice shows no text", n, v));
    }
}

}  // namespace

refdb_findings refdb_check(sqlite3 *db, const std::string &name, std::FILE *out)
{
    checker c(name, out);
    if (auto t = read_table(db, LOAD_STATUS_QUERY, c))
        check_loadstatus(c, *t);
    if (auto t = read_table(db, SELF_DIAGNOSIS_QUERY, c))
        check_selfdiagnosis(c, *t);
    if (auto t = read_table(db, FORCE_RUN_QUERY, c))
        check_forcerun(c, *t);
    if (auto t = read_table(db, CONTROL_OPTION_QUERY, c))
        check_controloption(c, *t);
    return c.counts();
}
