/*
 * Reference database access: a thin read-only layer over SQLite shared by
 * the diagnostic screens.
 *
 * State: one process-wide connection (db_info.db), opened read-only by
 * db_open when none is open and closed by db_close. Statement handles are
 * allocated by db_prepare and freed by db_finalize; the caller owns them in
 * between. No timers. Reads the database file of the refrigerator's model
 * (path from the profile directory and memory/refrigerator/ModelName);
 * writes nothing.
 *
 * The module's log lines carry no tag. A screen's table reader writes its
 * own failure lines from the condition that db_table_read::open reports.
 */
#include "db.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "log.h"
#include "micom_channel.h"
#include "text_util.h"

struct db_handle_s {
    sqlite3_stmt *stmt;
};

namespace {

struct db_info_s {
    sqlite3 *db;
};
db_info_s db_info = {nullptr};

/* A model name is one directory name under the profile directory, as the
 * profile application names them: 1 to 64 bytes of A-Z a-z 0-9 _ - . not
 * beginning with '.'. Anything else could name another directory ("..",
 * "a/b") or a file outside the profile. */
constexpr std::size_t MODEL_NAME_MAX = 64;

bool model_name_char(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '-' || c == '.';
}

}  // namespace

const char *db_model_name_fault(std::string_view name)
{
    if (name.empty())
        return "it is empty";
    if (name.size() > MODEL_NAME_MAX)
        return "it is longer than 64 bytes";
    if (name.find('/') != std::string_view::npos)
        return "it holds '/', a path separator";
    if (name.front() == '.')
        return "it begins with '.' (\".\", \"..\" or a hidden directory)";
    for (char c : name)
        if (!model_name_char(c))
            return "it holds a character outside A-Z a-z 0-9 _ - .";
    return nullptr;
}

/* Same prefix as the application's lines, no tag. */
#define DB_LOGD(fmt, ...) EM_LOG_PRINT(DLOG_DEBUG, NULL, fmt, ##__VA_ARGS__)
#define DB_LOGE(fmt, ...) EM_LOG_PRINT(DLOG_ERROR, NULL, fmt, ##__VA_ARGS__)

#define DB_RETV_IF(expr, val) EM_RETURN_IF(NULL, expr, #expr, val)
#define DB_RET_IF(expr) EM_RETURN_IF(NULL, expr, #expr)

int db_open(const char *db_file)
{
    DB_LOGD("db open : %s", db_file ? db_file : "(null)");
    DB_RETV_IF(NULL == db_file, PRIVATE_APP_ERROR_INVALID_PARAMETER);

    /* One connection for the whole process: whatever path is asked for,
     * an open connection is reused. */
    if (db_info.db)
        return PRIVATE_APP_ERROR_OK;

    /* Only a regular file: a FIFO would block the open (and the main loop
     * with it), a link or a device leads elsewhere. A missing file is left
     * to SQLite's own error. */
    struct stat st;
    const int fd = open(db_file, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const bool refused = fd >= 0 ? fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) : errno == ELOOP;
    if (fd >= 0)
        close(fd);
    if (refused) {
        DB_LOGE("%s is not a regular file (a link, a FIFO or a device): refused", db_file);
        return PRIVATE_APP_ERROR_DB_FAILED;
    }

    sqlite3 *db = nullptr;
    int ret = sqlite3_open_v2(db_file, &db, SQLITE_OPEN_READONLY, nullptr);
    if (ret != SQLITE_OK) {
        DB_LOGE("%s", db ? sqlite3_errmsg(db) : sqlite3_errstr(ret));
        sqlite3_close(db);
        return PRIVATE_APP_ERROR_DB_FAILED;
    }
    db_info.db = db;
    return PRIVATE_APP_ERROR_OK;
}

db_handle_s *db_prepare(const char *query)
{
    DB_RETV_IF(NULL == query, nullptr);
    /* Nothing to prepare on without a connection. */
    DB_RETV_IF(!db_info.db, nullptr);

    /* A plain C record: the caller hands it back to db_finalize. */
    auto *handle = static_cast<db_handle_s *>(calloc(1, sizeof(db_handle_s)));
    DB_RETV_IF(NULL == handle, nullptr);

    int ret = sqlite3_prepare_v2(db_info.db, query, static_cast<int>(strlen(query)),
                                 &handle->stmt, nullptr);
    if (ret != SQLITE_OK || !handle->stmt) {
        /* A text without a statement prepares to none; refusing it keeps
         * every handle finalizable. */
        sqlite3_finalize(handle->stmt);
        free(handle);
        DB_LOGE("%s", ret != SQLITE_OK ? sqlite3_errmsg(db_info.db) : "no statement in query");
        return nullptr;
    }
    return handle;
}

int db_next(db_handle_s *handle)
{
    DB_RETV_IF(NULL == handle, PRIVATE_APP_ERROR_DB_FAILED);

    int ret = sqlite3_step(handle->stmt);
    if (ret == SQLITE_ROW)
        return PRIVATE_APP_ERROR_OK;
    if (ret == SQLITE_DONE)
        return PRIVATE_APP_ERROR_NO_DATA;
    DB_LOGE("%s", db_info.db ? sqlite3_errmsg(db_info.db) : sqlite3_errstr(ret));
    return PRIVATE_APP_ERROR_DB_FAILED;
}

long long db_get_long_long(db_handle_s *handle, int column)
{
    DB_RETV_IF(NULL == handle, 0);
    return sqlite3_column_int64(handle->stmt, column);
}

const char *db_get_str(db_handle_s *handle, int column)
{
    DB_RETV_IF(NULL == handle, nullptr);
    return reinterpret_cast<const char *>(sqlite3_column_text(handle->stmt, column));
}

int db_finalize(db_handle_s *handle)
{
    DB_RETV_IF(NULL == handle, PRIVATE_APP_ERROR_INVALID_PARAMETER);
    DB_RETV_IF(NULL == handle->stmt, PRIVATE_APP_ERROR_INVALID_PARAMETER);

    /* sqlite3_finalize repeats the last step's error; the statement is
     * released in any case, and so is the handle. */
    int ret = sqlite3_finalize(handle->stmt);
    free(handle);
    if (ret != SQLITE_OK) {
        DB_LOGE("%s", db_info.db ? sqlite3_errmsg(db_info.db) : sqlite3_errstr(ret));
        return PRIVATE_APP_ERROR_DB_FAILED;
    }
    return PRIVATE_APP_ERROR_OK;
}

void db_close(void)
{
    DB_RET_IF(!db_info.db);
    sqlite3_close(db_info.db);
    db_info.db = nullptr;
}

std::optional<std::string> db_compose_path(const char *model_name)
{
    DB_RETV_IF(NULL == model_name, std::nullopt);
    if (const char *fault = db_model_name_fault(model_name)) {
        DB_LOGE("model name refused: \"%s\": %s; no database is opened",
                printable_text(model_name, MODEL_NAME_MAX).c_str(), fault);
        return std::nullopt;
    }

    const char *env = getenv("ENGINEER_MODE_PROFILE_DIR");
    std::string profile = env && *env ? env : EM_PROFILE_DIR_DEFAULT;
    std::string path = profile + "/" + model_name + "/db/" + ENGINEER_MODE_DB_NAME;
    if (path.size() > DB_PATH_BUFFER_SIZE - 1) {
        DB_LOGE("database path too long (%zu > %d): %s", path.size(), DB_PATH_BUFFER_SIZE - 1,
                path.c_str());
        return std::nullopt;
    }
    return path;
}

std::string db_get_text(db_handle_s *handle, int column, std::size_t max_chars)
{
    return cut_text(db_get_str(handle, column), max_chars);
}

const char *db_table_read::open(const char *table, const char *sql)
{
    table_ = table ? table : "";
    std::optional<std::string> model = key_get_str(VCONFKEY_REFRIGERATOR_MODEL_NAME);
    if (!model)
        return "NULL == modelNmae";
    std::optional<std::string> path = db_compose_path(model->c_str());
    if (!path || PRIVATE_APP_ERROR_OK != db_open(path->c_str()))
        return "PRIVATE_APP_ERROR_OK != db_open(dbFileName)";
    st_ = db_prepare(sql);
    if (NULL == st_) {
        /* A connection kept after a failed statement would be reused for
         * every later read, whatever model or file they name. */
        db_close();
        return "NULL == st";
    }
    return nullptr;
}

bool db_table_read::next()
{
    if (!st_ || db_next(st_) != PRIVATE_APP_ERROR_OK)
        return false;
    row_number_++;
    return true;
}

int db_table_read::int32(int column) const
{
    /* The stored type, asked before the value is converted. */
    const int type = st_ ? sqlite3_column_type(st_->stmt, column) : SQLITE_NULL;
    long long value = db_get_long_long(st_, column);
    auto low = static_cast<int>(static_cast<unsigned long long>(value) & 0xFFFFFFFFu);
    if (type != SQLITE_INTEGER)
        EM_LOG_PRINT(DLOG_WARN, NULL, "table %s row %d column %d: %s, not an integer: %d used",
                     table_, row_number_, column,
                     type == SQLITE_NULL ? "NULL" : type == SQLITE_FLOAT ? "a real number" : "a text",
                     low);
    else if (value != low)
        EM_LOG_PRINT(DLOG_WARN, NULL, "table %s row %d column %d: %lld does not fit 32 bits, %d used",
                     table_, row_number_, column, value, low);
    return low;
}

std::string db_table_read::text(int column, std::size_t max_chars)
{
    const char *value = db_get_str(st_, column);
    if (value && !cut_logged_ && strnlen(value, max_chars + 1) > max_chars) {
        cut_logged_ = true;
        EM_LOG_PRINT(DLOG_DEBUG, NULL,
                     "table %s row %d column %d: text of %zu bytes cut to %zu (said once per read)",
                     table_, row_number_, column, strlen(value), max_chars);
    }
    return cut_text(value, max_chars);
}

db_table_read::~db_table_read()
{
    if (st_) {
        db_finalize(st_);
        db_close();
    }
}
