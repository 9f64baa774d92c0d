/*
 * Shared helpers of the tools tests: a fresh platform directory per test,
 * key readers, and the sample reference database opened read-only.
 */
#ifndef TOOLS_TEST_SUPPORT_H
#define TOOLS_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <vconf.h>
#include <vconf_store.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

/* Gives each test its own empty platform directory (PANEL_PLATFORM_DIR). */
class PlatformDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tools-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("PANEL_PLATFORM_DIR", dir_.c_str(), 1);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string dir_;
};

/* A missing key gives nullopt (checked first, so the store logs nothing). */
inline std::optional<std::string> get_str(const char *key)
{
    if (vconf_store_type(key) == VCONF_TYPE_NONE)
        return std::nullopt;
    char *value = vconf_get_str(key);
    if (value == nullptr)
        return std::nullopt;
    std::string text(value);
    std::free(value);
    return text;
}

inline std::optional<int> get_int(const char *key)
{
    if (vconf_store_type(key) == VCONF_TYPE_NONE)
        return std::nullopt;
    int value = 0;
    if (vconf_get_int(key, &value) != VCONF_OK)
        return std::nullopt;
    return value;
}

inline std::string option_key(int byte)
{
    char key[40];
    std::snprintf(key, sizeof key, "db/refrigerator/RefOption%02d", byte + 1);
    return key;
}

/* The SQL text's rows as strings (SQL NULL as "<NULL>"). */
inline std::vector<std::vector<std::string>> query(const char *sql)
{
    std::vector<std::vector<std::string>> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(REFDB_PATH, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << REFDB_PATH;
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot prepare " << sql << ": " << sqlite3_errmsg(db);
        sqlite3_close(db);
        return rows;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const unsigned char *text = sqlite3_column_text(st, c);
            row.emplace_back(text ? reinterpret_cast<const char *>(text) : "<NULL>");
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

/* Load IDs that the application names: loadstatus rows in use. */
inline std::set<std::string> used_load_ids()
{
    std::set<std::string> ids;
    for (const auto &row : query("SELECT ID FROM loadstatus WHERE USE_ENGINEER_MODE <> 0"))
        ids.insert(row[0]);
    return ids;
}

/* Cuts a load-status value as the application does: at every run of the
 * characters '<', 'b', 'r' and '>', dropping empty pieces. */
inline std::vector<std::string> split_like_app(const std::string &value)
{
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : value) {
        if (c == '<' || c == 'b' || c == 'r' || c == '>') {
            if (!piece.empty())
                pieces.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty())
        pieces.push_back(piece);
    return pieces;
}

#endif
