/*
 * refdb-build SQLFILE OUTDB: executes an SQL script into a fresh SQLite
 * database file. The file is built under a temporary name beside OUTDB and
 * renamed into place only when every statement succeeded, so OUTDB is
 * either the complete new database or left as it was.
 *
 * State: none. Timers: none. Reads SQLFILE, writes OUTDB.
 */
#include <sqlite3.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

struct db_closer {
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};

/* Returns false (with a message on standard error) when the script fails. */
bool build(const std::string &sql, const std::string &path)
{
    sqlite3 *raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, db_closer> db(raw);
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "refdb-build: cannot create %s: %s\n", path.c_str(),
                     db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc));
        return false;
    }
    char *error = nullptr;
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "refdb-build: %s\n", error ? error : "SQL error");
        sqlite3_free(error);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: refdb-build SQLFILE OUTDB\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "refdb-build: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream sql;
    sql << in.rdbuf();

    const std::string out = argv[2];
    const std::string temp = out + ".tmp." + std::to_string(getpid());
    std::remove(temp.c_str());
    if (!build(sql.str(), temp)) {
        std::remove(temp.c_str());
        return 1;
    }
    if (std::rename(temp.c_str(), out.c_str()) != 0) {
        std::perror("refdb-build: rename");
        std::remove(temp.c_str());
        return 1;
    }
    return 0;
}
