/*
 * Fuzz target: the rows of the four reference tables (loadstatus,
 * selfdiagnosis, forcerun, controloption) as a model's reference database
 * holds them.
 *
 * The input is text, one row a line: the table's letter (L, S, F, C), then
 * its values separated by tabs, in the column order of the sample database.
 * A value is an integer when it reads as a 64-bit decimal, "\N" is NULL,
 * "t:TEXT" a text, "f:NUMBER" a real, "b:BYTES" a blob, "*N:TEXT" the text
 * repeated N times (long texts); anything else is a text. Missing values are
 * NULL. A line "-L" leaves table L out, "-L2" leaves out its column 2 (from
 * 0); "=plain" declares the columns without types (no conversions).
 *
 * The rows go into an in-memory SQLite database, which refdb-check's checks
 * read; then it is written as the model's engineer_mode.db and read through
 * the application's own code: option_table_read in both languages and the
 * screens' statements through db_table_read with their field sizes.
 *
 * Invariants: a read fails exactly when its table or one of its columns is
 * missing, and leaves no connection open; integers read as their low 32
 * bits and texts cut right to their fields; the option table's records sit
 * at their own number, its count is at most 37; refdb-check's findings are
 * one line each and counted; and whatever the screens would read wrong
 * (an integer that is NULL, no integer or too wide, a load ID the splitter
 * cannot find, a load or error number that ends or repeats, rows beyond a
 * table's size, an option or choice number that stops the option read)
 * is an error of refdb-check on that very row.
 */
#include <sqlite3.h>
#include <vconf.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "db.h"
#include "fuzz_support.h"
#include "micom_answers.h"
#include "micom_channel.h"
#include "option_data.h"
#include "refdb_check.h"
#include "reference_tables.h"

namespace {

constexpr const char *MODEL = "FUZZ-MODEL";
/* Bounds that keep one input quick. */
constexpr std::size_t MAX_ROWS = 1000;
constexpr std::size_t MAX_REPEATED = 20000;

struct table_def {
    char letter;
    const char *name;
    const char *query;
    std::vector<std::pair<const char *, const char *>> columns;  // name, declared type
};

const std::array<table_def, 4> TABLES = {{
    {'L', "loadstatus", LOAD_STATUS_QUERY,
     {{"ERROR_NUMBER", "INTEGER"}, {"ID", "TEXT"}, {"USE_ENGINEER_MODE", "INTEGER"},
      {"NAME_EN_US", "TEXT"}, {"NAME_KR", "TEXT"}}},
    {'S', "selfdiagnosis", SELF_DIAGNOSIS_QUERY,
     {{"ERROR_NUMBER", "INTEGER"}, {"ID", "TEXT"}, {"USE_ENGINEER_MODE", "INTEGER"},
      {"NAME_EN_US", "TEXT"}, {"NAME_KR", "TEXT"}, {"DESCRIPTION_EN_US", "TEXT"},
      {"DESCRIPTION_KR", "TEXT"}}},
    {'F', "forcerun", FORCE_RUN_QUERY,
     {{"MODE", "TEXT"}, {"FORCE_RUN_NUMBER", "INTEGER"}, {"TEXT_EN_US", "TEXT"},
      {"TEXT_KR", "TEXT"}}},
    {'C', "controloption", CONTROL_OPTION_QUERY,
     {{"DEVELOPER_ONLY", "INTEGER"}, {"SUPPORT", "INTEGER"}, {"MAIN_NUMBER", "INTEGER"},
      {"SUB_NUMBER", "INTEGER"}, {"ENGINEER_MODE", "INTEGER"}, {"COMM_MODE", "INTEGER"},
      {"COMM_DATA", "INTEGER"}, {"COMM_BIT_SHIFT", "INTEGER"}, {"COMM_BIT_LENGTH", "INTEGER"},
      {"NAME_EN_US", "TEXT"}, {"NAME_KR", "TEXT"}, {"DESCRIPTION_EN_US", "TEXT"},
      {"DESCRIPTION_KR", "TEXT"}}},
}};
enum { LOADS, ERRORS, FORCE_RUN, OPTIONS };

struct layout {
    bool plain = false;
    std::array<bool, 4> dropped{};
    std::array<std::set<std::size_t>, 4> dropped_columns;
    std::vector<std::pair<std::size_t, std::vector<std::string_view>>> rows;

    bool readable(std::size_t t) const { return !dropped[t] && dropped_columns[t].empty(); }
};

int table_of(char letter)
{
    for (std::size_t t = 0; t < TABLES.size(); ++t)
        if (TABLES[t].letter == letter)
            return static_cast<int>(t);
    return -1;
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

layout parse_input(std::string_view input)
{
    layout l;
    for (std::string_view line : split(input, '\n')) {
        if (line == "=plain") {
            l.plain = true;
            continue;
        }
        if (line.size() >= 2 && line[0] == '-') {
            int t = table_of(line[1]);
            if (t < 0)
                continue;
            std::size_t column = 0;
            std::string_view digits = line.substr(2);
            if (digits.empty())
                l.dropped[t] = true;
            else if (std::from_chars(digits.data(), digits.data() + digits.size(), column).ec == std::errc() &&
                     column < TABLES[t].columns.size())
                l.dropped_columns[t].insert(column);
            continue;
        }
        if (line.empty() || l.rows.size() == MAX_ROWS)
            continue;
        int t = table_of(line[0]);
        if (t < 0)
            continue;
        std::vector<std::string_view> values = split(line.substr(1), '\t');
        if (!values.empty() && values[0].empty())
            values.erase(values.begin());  // the tab after the letter
        l.rows.emplace_back(static_cast<std::size_t>(t), std::move(values));
    }
    return l;
}

void bind_value(sqlite3_stmt *st, int index, std::string_view value)
{
    long long integer = 0;
    if (value == "\\N") {
        sqlite3_bind_null(st, index);
    } else if (value.starts_with("t:")) {
        sqlite3_bind_text(st, index, value.data() + 2, static_cast<int>(value.size() - 2), SQLITE_TRANSIENT);
    } else if (value.starts_with("b:")) {
        sqlite3_bind_blob(st, index, value.data() + 2, static_cast<int>(value.size() - 2), SQLITE_TRANSIENT);
    } else if (double real = 0;
               value.starts_with("f:") &&
               std::from_chars(value.data() + 2, value.data() + value.size(), real).ec == std::errc()) {
        sqlite3_bind_double(st, index, real);
    } else if (std::size_t colon = value.find(':'), count = 0;
               value.starts_with("*") && colon != std::string_view::npos &&
               std::from_chars(value.data() + 1, value.data() + colon, count).ec == std::errc()) {
        std::string_view unit = value.substr(colon + 1);
        std::string text;
        while (count-- > 0 && !unit.empty() && text.size() + unit.size() <= MAX_REPEATED)
            text += unit;
        sqlite3_bind_text(st, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    } else if (auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), integer);
               ec == std::errc() && end == value.data() + value.size()) {
        sqlite3_bind_int64(st, index, integer);
    } else {
        sqlite3_bind_text(st, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
}

bool exec(sqlite3 *db, const std::string &sql)
{
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

void build(sqlite3 *db, const layout &l)
{
    std::array<sqlite3_stmt *, 4> inserts{};
    std::array<std::vector<std::size_t>, 4> kept;  // the columns each table has
    for (std::size_t t = 0; t < TABLES.size(); ++t) {
        if (l.dropped[t])
            continue;
        std::string create = std::string("CREATE TABLE ") + TABLES[t].name + " (";
        std::string marks;
        for (std::size_t c = 0; c < TABLES[t].columns.size(); ++c) {
            if (l.dropped_columns[t].count(c))
                continue;
            const auto &[name, type] = TABLES[t].columns[c];
            create += std::string(kept[t].empty() ? "" : ", ") + name + (l.plain ? "" : " ") +
                      (l.plain ? "" : type);
            marks += kept[t].empty() ? "?" : ", ?";
            kept[t].push_back(c);
        }
        if (kept[t].empty())
            continue;  // a table needs a column
        FUZZ_CHECK(exec(db, create + ")"));
        std::string insert = std::string("INSERT INTO ") + TABLES[t].name + " VALUES (" + marks + ")";
        FUZZ_CHECK(sqlite3_prepare_v2(db, insert.c_str(), -1, &inserts[t], nullptr) == SQLITE_OK);
    }
    exec(db, "BEGIN");
    for (const auto &[t, values] : l.rows) {
        sqlite3_stmt *st = inserts[t];
        if (!st)
            continue;
        for (std::size_t i = 0; i < kept[t].size(); ++i) {
            std::size_t c = kept[t][i];
            if (c < values.size())
                bind_value(st, static_cast<int>(i + 1), values[c]);
            else
                sqlite3_bind_null(st, static_cast<int>(i + 1));
        }
        FUZZ_CHECK(sqlite3_step(st) == SQLITE_DONE, "%s", sqlite3_errmsg(db));
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
    exec(db, "COMMIT");
    for (sqlite3_stmt *st : inserts)
        sqlite3_finalize(st);
}

/* ---- what the database holds, read directly (the oracle) ---------------- */

struct cell {
    int type = SQLITE_NULL;
    long long integer = 0;
    std::optional<std::string> text;  // as a C string: up to a NUL
};
using row_t = std::vector<cell>;

std::vector<row_t> oracle_rows(sqlite3 *db, const table_def &table)
{
    std::vector<row_t> rows;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, table.query, -1, &st, nullptr) != SQLITE_OK)
        return rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        row_t &row = rows.emplace_back(static_cast<std::size_t>(sqlite3_column_count(st)));
        for (std::size_t c = 0; c < row.size(); ++c) {
            int col = static_cast<int>(c);
            row[c].type = sqlite3_column_type(st, col);
            row[c].integer = sqlite3_column_int64(st, col);
            if (const unsigned char *text = sqlite3_column_text(st, col))
                row[c].text = std::string(reinterpret_cast<const char *>(text));
        }
    }
    sqlite3_finalize(st);
    return rows;
}

int low32(long long value)
{
    return static_cast<int>(static_cast<unsigned long long>(value) & 0xFFFFFFFFu);
}

/* An integer column a screen would misread: NULL or no integer (read as
 * 0 or a prefix), or wider than 32 bits (its low bits). */
bool misread(const cell &v)
{
    return v.type != SQLITE_INTEGER || v.integer != low32(v.integer);
}

/* ---- refdb-check's findings ------------------------------------------- */

struct findings {
    std::map<std::string, std::set<std::size_t>> error_rows;  // table -> rows (from 1)

    /* A row the screens read wrong must be an error of refdb-check. */
    void expect_flagged(std::size_t t, std::size_t row, bool read_wrong) const
    {
        auto rows = error_rows.find(TABLES[t].name);
        FUZZ_CHECK(!read_wrong || (rows != error_rows.end() && rows->second.count(row)),
                   "%s row %zu is read wrong but not flagged", TABLES[t].name, row);
    }
};

findings check_with_refdb_check(sqlite3 *db)
{
    char *text = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&text, &size);
    FUZZ_CHECK(out != nullptr);
    refdb_findings counts = refdb_check(db, "fuzz", out);
    std::fclose(out);
    std::string all(text, size);
    std::free(text);

    findings f;
    int lines = 0;
    for (std::string_view line : split(all, '\n')) {
        if (line.empty())
            continue;
        lines++;
        constexpr std::string_view prefix = "fuzz: table ";
        FUZZ_CHECK(line.starts_with(prefix), "%.*s", static_cast<int>(line.size()), line.data());
        line.remove_prefix(prefix.size());
        std::size_t end = line.find_first_of(" :");
        std::string table(line.substr(0, end));
        line.remove_prefix(end);
        std::size_t row = 0;
        if (line.starts_with(" row ")) {
            line.remove_prefix(5);
            auto [p, ec] = std::from_chars(line.data(), line.data() + line.size(), row);
            FUZZ_CHECK(ec == std::errc() && row > 0);
            line.remove_prefix(static_cast<std::size_t>(p - line.data()));
        }
        bool error = line.starts_with(": error: ");
        FUZZ_CHECK(error || line.starts_with(": warning: "));
        if (error && row)
            f.error_rows[table].insert(row);
    }
    FUZZ_CHECK(lines == counts.errors + counts.warnings, "%d lines for %d findings", lines,
               counts.errors + counts.warnings);
    return f;
}

/* ---- the application's reads ------------------------------------------ */

/* No read leaves the connection open: a statement now has nothing to run on. */
void check_closed()
{
    db_handle_s *st = db_prepare("SELECT 1");
    FUZZ_CHECK(st == nullptr, "a read left the database open");
}

/* Reads a table with a screen's statement through db_table_read; checks
 * each value it gives against the oracle and hands the rows on. */
template <typename Row>
void read_table(const layout &l, std::size_t t, const std::vector<row_t> &oracle,
                const std::vector<std::pair<int, std::size_t>> &texts, Row &&on_row)
{
    {
        db_table_read table;
        const char *failed = table.open(TABLES[t].name, TABLES[t].query);
        FUZZ_CHECK((failed == nullptr) == l.readable(t), "%s: %s", TABLES[t].name,
                   failed ? failed : "read");
        std::size_t r = 0;
        while (!failed && table.next()) {
            FUZZ_CHECK(r < oracle.size());
            const row_t &row = oracle[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (row[c].type == SQLITE_INTEGER)
                    FUZZ_CHECK(table.int32(static_cast<int>(c)) == low32(row[c].integer));
            }
            for (auto [column, max] : texts) {
                std::string text = table.text(column, max);
                std::string source = row[column].text.value_or("");
                FUZZ_CHECK(fuzz::cut_is_right(source, text, max), "%s row %zu column %d",
                           TABLES[t].name, r + 1, column);
            }
            on_row(table, row, r + 1);
            r++;
        }
        FUZZ_CHECK(failed || r == oracle.size());
    }
    check_closed();
}

void check_loads(const layout &l, const std::vector<row_t> &oracle, const findings &f)
{
    int in_use = 0;
    std::set<std::string> ids;
    read_table(l, LOADS, oracle, {{1, LOAD_TEXT_MAX}, {3, LOAD_TEXT_MAX}, {4, LOAD_TEXT_MAX}},
               [&](db_table_read &table, const row_t &row, std::size_t r) {
                   bool wrong = misread(row[2]);
                   bool used = table.int32(2) != 0 && ++in_use <= LOAD_TABLE_SIZE;
                   wrong = wrong || (table.int32(2) != 0 && !used);
                   if (used) {
                       std::string raw = row[1].text.value_or("");
                       std::string id = table.text(1, LOAD_TEXT_MAX);
                       std::vector<std::string_view> pieces = split_load_ids(id);
                       /* Found by the load-status screen only when the ID is
                        * whole, one piece and the first of its kind. */
                       bool findable = id == raw && pieces.size() == 1 && pieces[0] == id;
                       wrong = wrong || misread(row[0]) || table.int32(0) < 0 || !findable ||
                               !ids.insert(id).second;
                   }
                   f.expect_flagged(LOADS, r, wrong);
               });
}

void check_errors(const layout &l, const std::vector<row_t> &oracle, const findings &f)
{
    int in_use = 0;
    std::set<int> numbers;
    read_table(l, ERRORS, oracle,
               {{1, ERROR_ID_MAX}, {3, ERROR_NAME_MAX}, {4, ERROR_NAME_MAX}, {5, ERROR_CONTENT_MAX},
                {6, ERROR_CONTENT_MAX}},
               [&](db_table_read &table, const row_t &row, std::size_t r) {
                   bool wrong = misread(row[2]);
                   bool used = table.int32(2) != 0 && ++in_use <= ERROR_TABLE_SIZE;
                   wrong = wrong || (table.int32(2) != 0 && !used);
                   if (used) {
                       int number = table.int32(0);
                       bool named = !table.text(3, ERROR_NAME_MAX).empty() &&
                                    !table.text(4, ERROR_NAME_MAX).empty();
                       wrong = wrong || misread(row[0]) || number < 0 || !numbers.insert(number).second ||
                               !named;
                   }
                   f.expect_flagged(ERRORS, r, wrong);
               });
}

void check_force_run(const layout &l, const std::vector<row_t> &oracle, const findings &f)
{
    read_table(l, FORCE_RUN, oracle,
               {{0, FORCE_RUN_TEXT_MAX}, {2, FORCE_RUN_TEXT_MAX}, {3, FORCE_RUN_TEXT_MAX}},
               [&](db_table_read &table, const row_t &row, std::size_t r) {
                   std::string mode = table.text(0, FORCE_RUN_TEXT_MAX);
                   int status = forcerun_status_of(mode.c_str());
                   FUZZ_CHECK(status == 0 || mode.starts_with("SET_KEY_FORCE_TEST_"));
                   /* Beyond the seventh entry, or a command that is not sent
                    * as the database has it. */
                   bool wrong = r > static_cast<std::size_t>(FORCE_RUN_ENTRIES) || mode.empty() ||
                                mode != row[0].text.value_or("");
                   f.expect_flagged(FORCE_RUN, r, wrong);
               });
}

void check_options(const layout &l, const std::vector<row_t> &oracle, const findings &f, bool korean)
{
    option_records records;
    records[5].name = "untouched";
    int count = -7;
    option_table_read_result result = option_table_read(records, count, korean);
    check_closed();
    FUZZ_CHECK((result.failed == nullptr) == l.readable(OPTIONS));
    if (result.failed) {
        FUZZ_CHECK(count == -7 && records[5].name == "untouched");
        return;
    }
    FUZZ_CHECK(count >= 0 && count <= OPTION_COUNT);
    for (int n = 0; n < OPTION_COUNT; ++n) {
        const option_record &record = records[n];
        FUZZ_CHECK(record.mainNumber == -1 || record.mainNumber == n);
        FUZZ_CHECK(record.name.size() <= OPTION_TEXT_MAX);
        for (const option_choice &choice : record.sub)
            FUZZ_CHECK(choice.description.size() <= OPTION_TEXT_MAX);
    }
    /* Every row the screen reads wrong, refdb-check flags; the row that
     * stops the read is one of them. */
    bool stopped = false;
    for (std::size_t r = 0; r < oracle.size(); ++r) {
        const row_t &row = oracle[r];
        bool wrong = false;
        for (int c : {0, 1, 2, 3, 5, 6, 7, 8})
            wrong = wrong || misread(row[c]);
        int n = low32(row[2].integer), s = low32(row[3].integer);
        bool stops = n < 0 || n >= OPTION_COUNT || s < 0 || s >= OPTION_CHOICES;
        stopped = stopped || stops;
        f.expect_flagged(OPTIONS, r + 1, wrong || stops);
    }
    FUZZ_CHECK((result.stopped != nullptr) == stopped);
}

std::string database_path()
{
    return fuzz::platform_dir() + "/profile/" + MODEL + "/db/" + ENGINEER_MODE_DB_NAME;
}

void write_database(sqlite3 *db)
{
    sqlite3_int64 size = 0;
    unsigned char *bytes = sqlite3_serialize(db, "main", &size, 0);
    std::FILE *file = std::fopen(database_path().c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    if (bytes && size > 0)
        FUZZ_CHECK(std::fwrite(bytes, 1, static_cast<std::size_t>(size), file) == static_cast<std::size_t>(size));
    std::fclose(file);
    sqlite3_free(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const std::string &dir = fuzz::platform_dir();
    std::filesystem::create_directories(dir + "/profile/" + MODEL + "/db");
    setenv("ENGINEER_MODE_PROFILE_DIR", (dir + "/profile").c_str(), 1);
    FUZZ_CHECK(db_compose_path(MODEL).has_value(), "TMPDIR too long for the 100-byte path buffer");
    FUZZ_CHECK(vconf_set_str(VCONFKEY_REFRIGERATOR_MODEL_NAME, MODEL) == VCONF_OK);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    layout l = parse_input(fuzz::as_text(data, size));
    sqlite3 *db = nullptr;
    FUZZ_CHECK(sqlite3_open(":memory:", &db) == SQLITE_OK);
    build(db, l);
    findings f = check_with_refdb_check(db);
    std::array<std::vector<row_t>, 4> oracle;
    for (std::size_t t = 0; t < TABLES.size(); ++t)
        oracle[t] = oracle_rows(db, TABLES[t]);
    write_database(db);
    sqlite3_close(db);

    check_loads(l, oracle[LOADS], f);
    check_errors(l, oracle[ERRORS], f);
    check_force_run(l, oracle[FORCE_RUN], f);
    /* One language a run keeps each input quick; the input decides. */
    check_options(l, oracle[OPTIONS], f, size % 2 == 1);
    return 0;
}
