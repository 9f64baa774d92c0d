/*
 * refdb-check DB: the checks of refdb_check.h over a database file, the
 * findings on standard output and a summary on standard error. Exit status:
 * 0 without errors (warnings do not fail), 1 with errors, 2 for a usage
 * error or a file that cannot be read as a database.
 *
 * State: none beyond one run. Reads DB (read-only); writes nothing.
 */
#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "refdb_check.h"

namespace {

constexpr const char *USAGE =
    "usage: refdb-check DB\n"
    "Checks a model's reference database (engineer_mode.db) against what the\n"
    "engineer-mode screens read. One line per finding on standard output;\n"
    "exit status 0 without errors, 1 with errors, 2 for a usage error or an\n"
    "unreadable file.\n";

struct db_closer {
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};
using db_ptr = std::unique_ptr<sqlite3, db_closer>;

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '\0' || (argv[1][0] == '-' && argv[1][1] != '\0')) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const std::string path = argv[1];

    /* Only a regular file: a FIFO or a device would hang or never end. */
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        std::fprintf(stderr, "refdb-check: %s: %s\n", path.c_str(), std::strerror(errno));
        return 2;
    }
    if (!S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "refdb-check: %s: not a regular file\n", path.c_str());
        return 2;
    }
    sqlite3 *raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db_ptr db(raw);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "refdb-check: %s: cannot be read as a database: %s\n", path.c_str(),
                     db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc));
        return 2;
    }

    refdb_findings found = refdb_check(db.get(), path, stdout);
    std::fprintf(stderr, "refdb-check: %s: %d error%s, %d warning%s\n", path.c_str(), found.errors,
                 found.errors == 1 ? "" : "s", found.warnings, found.warnings == 1 ? "" : "s");
    return found.errors > 0 ? 1 : 0;
}
