/*
 * Read-only access to the reference database of the refrigerator model:
 * one process-wide connection, statements wrapped in a small handle.
 */
#ifndef EM_DB_H
#define EM_DB_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#define PRIVATE_APP_ERROR_OK 0
#define PRIVATE_APP_ERROR_DB_FAILED (-1)
#define PRIVATE_APP_ERROR_INVALID_PARAMETER (-4)
#define PRIVATE_APP_ERROR_NO_DATA (-5)

#define ENGINEER_MODE_DB_NAME "engineer_mode.db"
#define DB_PATH_BUFFER_SIZE 100

typedef struct db_handle_s db_handle_s;

int db_open(const char *path);
db_handle_s *db_prepare(const char *sql);
int db_next(db_handle_s *handle);
long long db_get_long_long(db_handle_s *handle, int column);
/* Belongs to SQLite until the next db_next or db_finalize. */
const char *db_get_str(db_handle_s *handle, int column);
int db_finalize(db_handle_s *handle);
void db_close(void);

/* Why a model name is no plain directory name of the profile (the rule
 * below), or nullptr when it is one. */
const char *db_model_name_fault(std::string_view name);

/* "PROFILE/MODEL/db/engineer_mode.db" with the profile directory from
 * ENGINEER_MODE_PROFILE_DIR (else the build-time one), or nullopt (logged)
 * when the model name is not a plain directory name (1 to 64 bytes of
 * A-Z a-z 0-9 _ - . not beginning with '.') or the path does not fit the
 * 100-byte path buffer: a cut path would name another file. */
std::optional<std::string> db_compose_path(const char *model_name);

/* Column text cut to at most max_chars bytes; "" for SQL NULL. */
std::string db_get_text(db_handle_s *handle, int column, std::size_t max_chars);

/* One read of a table of the model's reference database, in the sequence
 * every reading screen follows. open() reads the model name key, composes
 * the path, opens the database and prepares the statement; the screen then
 * clears its table and takes the rows with next() and row(). The destructor
 * finalizes the statement and closes the connection when open() succeeded. */
class db_table_read {
public:
    db_table_read() = default;
    ~db_table_read();
    db_table_read(const db_table_read &) = delete;
    db_table_read &operator=(const db_table_read &) = delete;

    /* table names the table in log lines. nullptr when the statement is ready. Otherwise the condition that failed,
     * for the screen's "(%s) -> %s() return" line: "NULL == modelNmae" (no
     * model name), "PRIVATE_APP_ERROR_OK != db_open(dbFileName)" (path too long
     * or not opened) or "NULL == st" (not prepared; the connection is closed,
     * so the next read opens its own file). */
    const char *open(const char *table, const char *sql);
    /* True while a row is available; false at the end or on an error. */
    bool next();
    db_handle_s *row() const { return st_; }
    /* The current row's integer column as its low 32 bits (0 for SQL NULL),
     * as the screens store it. A value that does not fit 32 bits, and one
     * that is no integer (NULL, a real number, a text), is logged as a
     * warning naming the table, the row (1-based) and the value used. */
    int int32(int column) const;
    /* The current row's text column cut to its field's max_chars bytes, as
     * db_get_text. The first cut of a read is logged (debug) with the table,
     * row, column and length; later cuts of the same read are not. */
    std::string text(int column, std::size_t max_chars);

private:
    db_handle_s *st_ = nullptr;
    const char *table_ = "";
    int row_number_ = 0;
    bool cut_logged_ = false;
};

#endif
