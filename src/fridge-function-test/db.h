/*
 * Read-only access to the reference database of the refrigerator model:
 * one process-wide connection, statements wrapped in a small handle.
 */
#ifndef EM_DB_H
#define EM_DB_H

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

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

/* Profile directory: ENGINEER_MODE_PROFILE_DIR, else the build-time one. */
std::string db_profile_dir(void);
/* "PROFILE/MODEL/db/engineer_mode.db", or nullopt (logged) when it does not
 * fit the 100-byte path buffer: a cut path would name another file. */
std::optional<std::string> db_compose_path(const char *model_name);

/* Column text cut to at most max_chars bytes; "" for SQL NULL. */
std::string db_get_text(db_handle_s *handle, int column, std::size_t max_chars);

/* Where a screen's table reader runs: its failure lines carry the reader's
 * file, function and line, and name the reader as the function that returns. */
struct db_caller {
    const char *file;
    const char *func;
    int line;
};
#define DB_CALLER_HERE (db_caller{__FILE__, __func__, __LINE__})

/* Reads one table of the model's reference database, the sequence every
 * reading screen follows: model name key, path, db_open, db_prepare(sql);
 * then on_ready() (the screen clears its table) and per_row(handle) for each
 * row until the rows end, db_next fails or per_row returns false; then
 * db_finalize and db_close.
 * Returns false, with the caller's "(COND) -> FUNC() return" line, when the
 * model name is missing ("NULL == modelNmae"), the path does not fit or the
 * database does not open ("PRIVATE_APP_ERROR_OK != db_open(dbFileName)") or
 * the statement does not prepare ("NULL == st"; the connection stays open);
 * the screen's table is then untouched. Also false when a callback threw
 * (logged; statement and connection are still closed). True otherwise. */
bool db_read_table(const db_caller &caller, const char *sql, const std::function<void()> &on_ready,
                   const std::function<bool(db_handle_s *)> &per_row);

#endif
