/*
 * The bad inputs of the fault matrix: see fault_inputs.h.
 */
#include "fault_inputs.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace faults {

namespace {

using bytes = std::optional<std::string>;

std::string repeated(const std::string &token, const std::string &separator, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; i++)
        out += (i ? separator : "") + token;
    return out;
}

std::string type_word(const key_input &in)
{
    static const char *const words[] = {"int", "bool", "string"};
    return words[static_cast<int>(in.type)];
}

std::string as_key(const key_input &in, const std::string &value) { return type_word(in) + "\n" + value; }

/* Every byte value, NUL included, after markup that must never take effect
 * (a size change, a link to a local file) and a broken UTF-8 sequence. */
std::string binary()
{
    std::string out = "<font_size=90>FAKE</font_size><item href=file:///etc/passwd>&amp;\xE2\x82";
    for (int i = 0; i < 256; i++)
        out += static_cast<char>(i);
    return out;
}

/* 1 MiB, the store's bound on a value. */
std::string mib_value(const key_input &in)
{
    std::string unit = in.type == kind::string ? std::string(in.token) + in.separator : "7";
    std::string value;
    while (value.size() < 1048576)
        value += unit;
    value.resize(1048576);
    return value;
}

const std::string DIGITS(200, '9');

void write_file(const std::string &path, const std::string &data)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void remove_file(const std::string &path)
{
    fs::create_directories(fs::path(path).parent_path());
    fs::remove(path);
}

/* Runs SQL on a database file, made anew unless keep is set. */
void exec(const std::string &path, const std::string &sql, bool keep = false)
{
    if (!keep)
        remove_file(path);
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

/* The four tables of the sample, empty and without its NOT NULL constraints
 * (a table made by a SELECT has none). */
std::string tables_of(const std::string &sample)
{
    std::string sql = "ATTACH DATABASE '" + sample + "' AS sample;";
    for (const char *table : {"loadstatus", "selfdiagnosis", "forcerun", "controloption"})
        sql += std::string("CREATE TABLE ") + table + " AS SELECT * FROM sample." + table + " WHERE 0;";
    return sql + "DETACH DATABASE sample;";
}

/* Rows 1 .. 10000 of a recursive counter, for INSERT ... SELECT. */
const std::string COUNTER = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) ";

/* Every text of the sample 10 KB long: one ASCII letter, then Korean
 * syllables (three bytes each), so that a cut at a field's size falls inside
 * a character. */
void make_long_texts(const std::string &path, const std::string &sample)
{
    write_file(path, read_bytes(sample));
    std::string text = "x";
    while (text.size() + 3 <= 10240)
        text += "가";
    const std::string t = "'" + text + "'";
    exec(path,
         "UPDATE loadstatus SET ID = " + t + " || rowid, NAME_EN_US = " + t + ", NAME_KR = " + t + ";" +
             "UPDATE selfdiagnosis SET ID = " + t + ", NAME_EN_US = " + t + ", NAME_KR = " + t +
             ", DESCRIPTION_EN_US = " + t + ", DESCRIPTION_KR = " + t + ";" +
             "UPDATE forcerun SET MODE = 'SET_KEY_FORCE_TEST_RUN1' || " + t + ", TEXT_EN_US = " + t +
             ", TEXT_KR = " + t + ";" + "UPDATE controloption SET NAME_EN_US = " + t + ", NAME_KR = " + t +
             ", DESCRIPTION_EN_US = " + t + ", DESCRIPTION_KR = " + t + ";",
         true);
}

}  // namespace

const std::vector<key_case> &key_cases()
{
    static const std::vector<key_case> cases = {
        {"missing", [](const key_input &) -> bytes { return std::nullopt; },
         [](const key_input &) -> bytes { return std::nullopt; }, false},
        {"wrong_type",
         [](const key_input &in) -> bytes { return in.type == kind::string ? "int\n7" : "string\nseven"; },
         [](const key_input &) -> bytes { return std::nullopt; }, true},
        {"one_mib", [](const key_input &in) -> bytes { return as_key(in, mib_value(in)); },
         [](const key_input &in) -> bytes { return mib_value(in); }, false},
        {"binary", [](const key_input &in) -> bytes { return as_key(in, binary()); },
         [](const key_input &) -> bytes { return binary(); }, false},
        {"tokens_10000",
         [](const key_input &in) -> bytes {
             return as_key(in, in.type == kind::string ? repeated(in.token, in.separator, 10000)
                                                       : repeated("7", " ", 10000));
         },
         [](const key_input &in) -> bytes { return repeated(in.token, "\n", 10000) + "\n"; }, false},
        {"digits_200",
         [](const key_input &in) -> bytes {
             return as_key(in, in.type == kind::string ? repeated(DIGITS, in.separator, 5) : DIGITS);
         },
         [](const key_input &) -> bytes { return DIGITS + "\n"; }, false},
        {"negative",
         [](const key_input &in) -> bytes {
             if (in.type == kind::string)
                 return as_key(in, std::string("-1") + in.separator + "-22" + in.separator +
                                       "-2147483648");
             return as_key(in, in.type == kind::boolean ? "-1" : "-2147483648");
         },
         [](const key_input &) -> bytes { return "-1\n-2147483648\n"; }, false},
        /* A number's type line that never ends; a list that stops inside its
         * separator, without the end a writer would give it. */
        {"no_terminator",
         [](const key_input &in) -> bytes {
             if (in.type != kind::string)
                 return type_word(in);
             const std::string separator = in.separator;
             return as_key(in, std::string(in.token) + separator + in.token +
                                   separator.substr(0, (separator.size() + 1) / 2));
         },
         [](const key_input &in) -> bytes { return std::string(in.token) + "\n" + in.token; }, false},
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
    return name != "negative" || input.type == kind::boolean;
}

bool must_name(const key_case &c, const key_input &input)
{
    const std::string name = c.name;
    if (input.named == naming::never || (input.named == naming::unless_missing && name == "missing"))
        return false;
    const bool overlong = input.type == kind::string &&
                          (name == "one_mib" || name == "tokens_10000" || name == "digits_200");
    return unreadable(c, input) || (overlong && input.says_cut);
}

std::string key_path(const std::string &dir, const std::string &key)
{
    return dir + (key.rfind("db/", 0) == 0 ? "/" : "/run/") + key + ".key";
}

void put_key(const std::string &dir, const std::string &key, const std::optional<std::string> &data)
{
    put_file(key_path(dir, key), data);
}

void put_file(const std::string &path, const std::optional<std::string> &data, bool fifo)
{
    std::error_code ec;
    fs::remove_all(path, ec);
    if (fifo) {
        fs::create_directories(fs::path(path).parent_path());
        if (mkfifo(path.c_str(), 0600) != 0)
            throw std::runtime_error("cannot make a FIFO at " + path);
    } else if (data) {
        write_file(path, *data);
    }
}

std::string read_bytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool give_to_nobody(const std::string &root)
{
    if (geteuid() != 0)
        return true;
    bool ok = chown(root.c_str(), 65534, 65534) == 0;
    for (const auto &entry : fs::recursive_directory_iterator(root))
        ok = lchown(entry.path().c_str(), 65534, 65534) == 0 && ok;
    return ok;
}

bool chmod_dirs(const std::string &dir, unsigned mode)
{
    bool ok = chmod(dir.c_str(), mode) == 0;
    for (const auto &entry : fs::recursive_directory_iterator(dir))
        if (entry.is_directory())
            ok = chmod(entry.path().c_str(), mode) == 0 && ok;
    return ok;
}

key_snapshot snapshot_keys(const std::string &dir)
{
    key_snapshot keys;
    for (const char *part : {"db", "run/memory"}) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(fs::path(dir) / part, ec); !ec && it != fs::end(it);
             it.increment(ec)) {
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
    for (const auto &[key, data] : after) {
        auto it = before.find(key);
        if (it == before.end() || it->second != data)
            changed.push_back(key);
    }
    for (const auto &[key, data] : before)
        if (!after.count(key))
            changed.push_back(key);
    return changed;
}

const std::vector<db_case> &db_cases()
{
    using path = const std::string &;
    static const std::vector<db_case> cases = {
        {"missing", [](path p, path) { remove_file(p); },
         {"unable to open database file", "PRIVATE_APP_ERROR_OK != db_open(dbFileName)"}, 2, "No such file"},
        {"zero_bytes", [](path p, path) { write_file(p, ""); }, {"no such table", "NULL == st"}, 1,
         "table loadstatus"},
        /* Bytes of a fixed pseudo-random sequence: the same garbage every run. */
        {"garbage",
         [](path p, path) {
             std::string data(65536, '\0');
             std::uint32_t x = 2463534242u;
             for (char &c : data) {
                 x ^= x << 13;
                 x ^= x >> 17;
                 x ^= x << 5;
                 c = static_cast<char>(x);
             }
             write_file(p, data);
         },
         {"file is not a database", "NULL == st"}, 2, "cannot be read as a database"},
        /* A database header whose pages are missing. */
        {"truncated",
         [](path p, path sample) {
             std::string data = read_bytes(sample);
             write_file(p, data.substr(0, data.size() / 2));
         },
         {"malformed"}, 2, "malformed"},
        {"without_tables",
         [](path p, path) { exec(p, "CREATE TABLE notes(text TEXT); INSERT INTO notes VALUES('no tables here');"); },
         {"no such table: loadstatus", "no such table: selfdiagnosis", "no such table: forcerun",
          "no such table: controloption", "NULL == st"},
         1, "table loadstatus"},
        {"null_columns",
         [](path p, path sample) {
             std::string sql = tables_of(sample);
             for (int row = 0; row < 3; row++)
                 sql += "INSERT INTO loadstatus VALUES(NULL, NULL, NULL, NULL, NULL);"
                        "INSERT INTO selfdiagnosis VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL);"
                        "INSERT INTO forcerun VALUES(NULL, NULL, NULL, NULL);"
                        "INSERT INTO controloption VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL,"
                        " NULL, NULL, NULL, NULL, NULL, NULL);";
             exec(p, sql);
         },
         {"table loadstatus row 1 column 0: NULL, not an integer: 0 used",
          "table selfdiagnosis row 1 column 0: NULL", "force run row 1 has no MODE",
          "table controloption row 1 column 2: NULL"},
         1, "NULL"},
        {"texts_10kb", make_long_texts,
         {"table loadstatus row 1 column 1: text of", "table selfdiagnosis row 1", "table forcerun row 1",
          "table controloption row 1", "cut to"},
         1, "shows the first 99"},
        {"rows_10000",
         [](path p, path sample) {
             exec(p, tables_of(sample) + COUNTER +
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
         },
         {"Out of range load status", "Out of range self diagnosis", "Out of range force run",
          "Out of range: Main number"},
         1, "row 10000"},
        /* Integers beyond 32 bits, at both ends of 64 bits, reals and texts
         * where the screens read integers. */
        {"numbers_out_of_range",
         [](path p, path sample) {
             write_file(p, read_bytes(sample));
             exec(p,
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
                  "UPDATE controloption SET MAIN_NUMBER = 2147483648 WHERE rowid = 20;",
                  true);
         },
         {"table loadstatus row 1 column 0: 1099511627811 does not fit 32 bits",
          "table loadstatus row 4 column 0: a real number, not an integer",
          "table selfdiagnosis row 1 column 0: -9223372036854775808 does not fit",
          "table selfdiagnosis row 3 column 2: a text, not an integer: 12 used",
          "table controloption row 1 column 1: 4294967295 does not fit"},
         1, "does not fit"},
    };
    return cases;
}

}  // namespace faults
