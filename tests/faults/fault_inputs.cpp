/*
 * The bad inputs of the fault matrix: see fault_inputs.h.
 */
#include "fault_inputs.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace faults {

namespace {

constexpr std::size_t MIB = 1048576;  // the store's bound on a value

std::string type_word(kind type)
{
    switch (type) {
    case kind::integer: return "int";
    case kind::boolean: return "bool";
    case kind::string: break;
    }
    return "string";
}

std::string repeated(const std::string &token, const std::string &separator, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; i++)
        out += (i ? separator : "") + token;
    return out;
}

/* Every byte value, NUL included, with markup that must never take effect
 * (a size change, a link to a local file) and a broken UTF-8 sequence. */
std::string binary()
{
    std::string out = "<font_size=90>FAKE</font_size><item href=file:///etc/passwd>&amp;\xE2\x82";
    for (int i = 0; i < 256; i++)
        out += static_cast<char>(i);
    return out;
}

std::string digits() { return std::string(200, '9'); }

std::string as_key(const key_input &in, const std::string &value)
{
    return type_word(in.type) + "\n" + value;
}

std::optional<std::string> none(const key_input &) { return std::nullopt; }

std::optional<std::string> wrong_type(const key_input &in)
{
    return in.type == kind::string ? "int\n7" : "string\nseven";
}

std::optional<std::string> mib_value(const key_input &in)
{
    std::string unit = in.type == kind::string ? std::string(in.token) + in.separator : "7";
    std::string value;
    while (value.size() < MIB)
        value += unit;
    value.resize(MIB);
    return value;
}
std::optional<std::string> mib_key(const key_input &in) { return as_key(in, *mib_value(in)); }

std::optional<std::string> binary_value(const key_input &) { return binary(); }
std::optional<std::string> binary_key(const key_input &in) { return as_key(in, binary()); }

std::optional<std::string> tokens_key(const key_input &in)
{
    return as_key(in, in.type == kind::string ? repeated(in.token, in.separator, 10000)
                                              : repeated("7", " ", 10000));
}
std::optional<std::string> tokens_file(const key_input &in)
{
    return repeated(in.token, "\n", 10000) + "\n";
}

std::optional<std::string> digits_key(const key_input &in)
{
    return as_key(in, in.type == kind::string ? repeated(digits(), in.separator, 5) : digits());
}
std::optional<std::string> digits_file(const key_input &) { return digits() + "\n"; }

std::optional<std::string> negative_key(const key_input &in)
{
    if (in.type == kind::string)
        return as_key(in, std::string("-1") + in.separator + "-22" + in.separator + "-2147483648");
    return as_key(in, in.type == kind::boolean ? "-1" : "-2147483648");
}
std::optional<std::string> negative_file(const key_input &) { return "-1\n-2147483648\n"; }

/* A number's type line that never ends; a list that stops inside its
 * separator, without the end a writer would give it. */
std::optional<std::string> unterminated_key(const key_input &in)
{
    if (in.type != kind::string)
        return type_word(in.type);
    std::string separator = in.separator;
    return as_key(in, std::string(in.token) + separator + in.token +
                          separator.substr(0, (separator.size() + 1) / 2));
}
std::optional<std::string> unterminated_file(const key_input &in)
{
    return std::string(in.token) + "\n" + in.token;
}

void write_file(const std::string &path, const std::string &bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

/* Runs SQL on a database file (created when missing). */
void exec(const std::string &path, const std::string &sql)
{
    sqlite3 *db = nullptr;
    int rc = sqlite3_open(path.c_str(), &db);
    char *error = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    std::string message = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error(path + ": " + message);
}

void copy_sample(const std::string &path, const std::string &sample)
{
    write_file(path, read_bytes(sample));
}

/* The four tables of the sample, empty and without its NOT NULL
 * constraints (a table made by a SELECT has none). */
std::string tables_of(const std::string &sample)
{
    std::string sql = "ATTACH DATABASE '" + sample + "' AS sample;";
    for (const char *table : {"loadstatus", "selfdiagnosis", "forcerun", "controloption"})
        sql += std::string("CREATE TABLE ") + table + " AS SELECT * FROM sample." + table + " WHERE 0;";
    return sql + "DETACH DATABASE sample;";
}

/* Rows 1 .. 10000 of a recursive counter, for INSERT ... SELECT. */
const char *const COUNTER = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                            " WHERE i < 10000) ";

void make_missing(const std::string &path, const std::string &)
{
    fs::create_directories(fs::path(path).parent_path());
    fs::remove(path);
}

void make_empty(const std::string &path, const std::string &) { write_file(path, ""); }

/* Bytes of a fixed pseudo-random sequence: the same garbage every run. */
void make_garbage(const std::string &path, const std::string &)
{
    std::string bytes(65536, '\0');
    std::uint32_t x = 2463534242u;
    for (char &c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    write_file(path, bytes);
}

/* The sample cut in the middle: a database header whose pages are missing. */
void make_truncated(const std::string &path, const std::string &sample)
{
    std::string bytes = read_bytes(sample);
    write_file(path, bytes.substr(0, bytes.size() / 2));
}

void make_without_tables(const std::string &path, const std::string &)
{
    make_missing(path, "");
    exec(path, "CREATE TABLE notes(text TEXT); INSERT INTO notes VALUES('no tables here');");
}

void make_nulls(const std::string &path, const std::string &sample)
{
    make_missing(path, "");
    std::string sql = tables_of(sample);
    for (int row = 0; row < 3; row++)
        sql += "INSERT INTO loadstatus VALUES(NULL, NULL, NULL, NULL, NULL);"
               "INSERT INTO selfdiagnosis VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL);"
               "INSERT INTO forcerun VALUES(NULL, NULL, NULL, NULL);"
               "INSERT INTO controloption VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL,"
               " NULL, NULL, NULL, NULL, NULL, NULL);";
    exec(path, sql);
}

/* Every text of the sample 10 KB long: one ASCII letter, then Korean
 * syllables (three bytes each), so that a cut at a field's size falls inside
 * a character. */
void make_long_texts(const std::string &path, const std::string &sample)
{
    copy_sample(path, sample);
    std::string text = "x";
    while (text.size() + 3 <= 10240)
        text += "가";
    const std::string t = "'" + text + "'";
    exec(path, "UPDATE loadstatus SET ID = " + t + " || rowid, NAME_EN_US = " + t +
                   ", NAME_KR = " + t + ";"
                   "UPDATE selfdiagnosis SET ID = " + t + ", NAME_EN_US = " + t + ", NAME_KR = " +
                   t + ", DESCRIPTION_EN_US = " + t + ", DESCRIPTION_KR = " + t + ";"
                   "UPDATE forcerun SET MODE = 'SET_KEY_FORCE_TEST_RUN1' || " + t +
                   ", TEXT_EN_US = " + t + ", TEXT_KR = " + t + ";"
                   "UPDATE controloption SET NAME_EN_US = " + t + ", NAME_KR = " + t +
                   ", DESCRIPTION_EN_US = " + t + ", DESCRIPTION_KR = " + t + ";");
}

void make_many_rows(const std::string &path, const std::string &sample)
{
    make_missing(path, "");
    exec(path, tables_of(sample) + COUNTER +
                   "INSERT INTO loadstatus SELECT i, 'L' || i, 1, 'Load ' || i, '부하 ' || i FROM n;" +
                   COUNTER +
                   "INSERT INTO selfdiagnosis SELECT i, i, 1, 'Error ' || i, '오류 ' || i,"
                   " 'About ' || i, '설명 ' || i FROM n;" +
                   COUNTER +
                   "INSERT INTO forcerun SELECT 'SET_KEY_FORCE_TEST_RUN1_' || i, i, 'Run ' || i,"
                   " '운전 ' || i FROM n;" +
                   COUNTER +
                   "INSERT INTO controloption SELECT 0, -1, i / 16, i % 16, 1, 1, 1, 1, 4,"
                   " 'Option ' || (i / 16), '옵션 ' || (i / 16), 'Value ' || i, '값 ' || i FROM n;");
}

/* Integers beyond 32 bits, at both ends of 64 bits, reals and texts where
 * the screens read integers. */
void make_out_of_range(const std::string &path, const std::string &sample)
{
    copy_sample(path, sample);
    exec(path,
         "UPDATE loadstatus SET ERROR_NUMBER = 1099511627811 WHERE rowid = 1;"
         "UPDATE loadstatus SET USE_ENGINEER_MODE = 4294967296 WHERE rowid = 2;"
         "UPDATE loadstatus SET ERROR_NUMBER = 9223372036854775807 WHERE rowid = 3;"
         "UPDATE loadstatus SET ERROR_NUMBER = 1e300 WHERE rowid = 4;"
         "UPDATE selfdiagnosis SET ERROR_NUMBER = -9223372036854775808 WHERE rowid = 1;"
         "UPDATE selfdiagnosis SET ERROR_NUMBER = 4294967331 WHERE rowid = 2;"
         "UPDATE selfdiagnosis SET USE_ENGINEER_MODE = '12abc' WHERE rowid = 3;"
         "UPDATE forcerun SET FORCE_RUN_NUMBER = 1099511627776 WHERE rowid = 1;"
         "UPDATE forcerun SET FORCE_RUN_NUMBER = -1e300 WHERE rowid = 2;"
         "UPDATE controloption SET SUPPORT = 4294967295 WHERE rowid = 1;"
         "UPDATE controloption SET COMM_BIT_LENGTH = 4294967300 WHERE rowid = 2;"
         "UPDATE controloption SET SUB_NUMBER = -1 WHERE rowid = 3;"
         "UPDATE controloption SET MAIN_NUMBER = 2147483648 WHERE rowid = 20;");
}

}  // namespace

const std::vector<key_case> &key_cases()
{
    static const std::vector<key_case> cases = {
        {"missing", none, none, false},
        {"wrong_type", wrong_type, none, true},
        {"one_mib", mib_key, mib_value, false},
        {"binary", binary_key, binary_value, false},
        {"tokens_10000", tokens_key, tokens_file, false},
        {"digits_200", digits_key, digits_file, false},
        {"negative", negative_key, negative_file, false},
        {"no_terminator", unterminated_key, unterminated_file, false},
    };
    return cases;
}

bool unreadable(const key_case &c, const key_input &input)
{
    const std::string name = c.name;
    if (name == "missing" || name == "wrong_type")
        return true;
    if (input.type == kind::string)
        return name == "binary";  // a NUL byte in a string is refused
    if (name == "negative")
        return input.type == kind::boolean;
    return true;
}

bool must_name(const key_case &c, const key_input &input)
{
    if (input.named == naming::never)
        return false;
    if (input.named == naming::unless_missing && std::string(c.name) == "missing")
        return false;
    return unreadable(c, input) || (overlong(c, input) && input.says_cut);
}

bool overlong(const key_case &c, const key_input &input)
{
    const std::string name = c.name;
    return input.type == kind::string &&
           (name == "one_mib" || name == "tokens_10000" || name == "digits_200");
}

std::string key_path(const std::string &dir, const std::string &key)
{
    return dir + (key.rfind("db/", 0) == 0 ? "/" : "/run/") + key + ".key";
}

void put_key(const std::string &dir, const std::string &key, const std::optional<std::string> &bytes)
{
    put_file(key_path(dir, key), bytes);
}

void put_file(const std::string &path, const std::optional<std::string> &bytes, bool fifo)
{
    std::error_code ec;
    fs::remove_all(path, ec);
    if (fifo) {
        fs::create_directories(fs::path(path).parent_path());
        if (mkfifo(path.c_str(), 0600) != 0)
            throw std::runtime_error("cannot make a FIFO at " + path);
    } else if (bytes) {
        write_file(path, *bytes);
    }
}

key_snapshot snapshot_keys(const std::string &dir)
{
    key_snapshot keys;
    for (const char *part : {"db", "run/memory"}) {
        const fs::path root = fs::path(dir) / part;
        std::error_code ec;
        if (!fs::is_directory(root, ec))
            continue;
        for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::end(it); it.increment(ec)) {
            const fs::path &p = it->path();
            if (!it->is_regular_file(ec) || p.extension() != ".key")
                continue;
            std::string name = fs::relative(p, fs::path(dir) / (part[0] == 'd' ? "" : "run")).string();
            keys[name.substr(0, name.size() - 4)] = read_bytes(p.string());
        }
    }
    return keys;
}

std::vector<std::string> changed_keys(const key_snapshot &before, const key_snapshot &after)
{
    std::vector<std::string> changed;
    for (const auto &[key, bytes] : after) {
        auto it = before.find(key);
        if (it == before.end() || it->second != bytes)
            changed.push_back(key);
    }
    for (const auto &[key, bytes] : before)
        if (!after.count(key))
            changed.push_back(key);
    return changed;
}

void restore_keys(const std::string &dir, const key_snapshot &snapshot)
{
    key_snapshot now = snapshot_keys(dir);
    for (const std::string &key : changed_keys(snapshot, now)) {
        auto it = snapshot.find(key);
        put_key(dir, key, it == snapshot.end() ? std::nullopt : std::optional(it->second));
    }
}

const std::vector<db_case> &db_cases()
{
    static const std::vector<db_case> cases = {
        {"missing", make_missing,
         {"unable to open database file", "PRIVATE_APP_ERROR_OK != db_open(dbFileName)"}, 2,
         "No such file"},
        {"zero_bytes", make_empty, {"no such table", "NULL == st"}, 1, "table loadstatus"},
        {"garbage", make_garbage, {"file is not a database", "NULL == st"}, 2, "not"},
        {"truncated", make_truncated, {"malformed"}, 2, "malformed"},
        {"without_tables", make_without_tables,
         {"no such table: loadstatus", "no such table: selfdiagnosis", "no such table: forcerun",
          "no such table: controloption", "NULL == st"},
         1, "table loadstatus"},
        {"null_columns", make_nulls,
         {"table loadstatus row 1 column 0: NULL, not an integer: 0 used",
          "table selfdiagnosis row 1 column 0: NULL", "force run row 1 has no MODE",
          "table controloption row 1 column 2: NULL"},
         1, "NULL"},
        {"texts_10kb", make_long_texts,
         {"table loadstatus row 1 column 1: text of", "table selfdiagnosis row 1",
          "table forcerun row 1", "table controloption row 1", "cut to"},
         1, "shows the first 99"},
        {"rows_10000", make_many_rows,
         {"Out of range load status", "Out of range self diagnosis", "Out of range force run",
          "Out of range: Main number"},
         1, "row 10000"},
        {"numbers_out_of_range", make_out_of_range,
         {"table loadstatus row 1 column 0: 1099511627811 does not fit 32 bits",
          "table loadstatus row 4 column 0: a real number, not an integer",
          "table selfdiagnosis row 1 column 0: -9223372036854775808 does not fit",
          "table selfdiagnosis row 3 column 2: a text, not an integer: 12 used",
          "table controloption row 1 column 1: 4294967295 does not fit"},
         1, "does not fit"},
    };
    return cases;
}

std::string read_bytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace faults
