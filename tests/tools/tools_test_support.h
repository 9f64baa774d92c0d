/*
 * Shared helpers of the tools tests: key readers and the sample reference
 * database opened read-only (the platform directory and the programs run
 * come from the platform tests' helpers).
 */
#ifndef TOOLS_TEST_SUPPORT_H
#define TOOLS_TEST_SUPPORT_H

#include "test_support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <vconf.h>
#include <vconf_store.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

/* A missing key gives nullopt (checked first, so the store logs nothing). */
inline std::optional<std::string> get_str(const std::string &key)
{
    if (vconf_store_type(key.c_str()) != VCONF_TYPE_STRING)
        return std::nullopt;
    std::unique_ptr<char, decltype(&std::free)> value(vconf_get_str(key.c_str()), &std::free);
    return std::string(value.get());
}

inline std::optional<int> get_int(const std::string &key)
{
    int value = 0;
    if (vconf_store_type(key.c_str()) != VCONF_TYPE_INT || vconf_get_int(key.c_str(), &value) != VCONF_OK)
        return std::nullopt;
    return value;
}

/* The rows of the SQL text as strings (SQL NULL as "<NULL>"). */
inline std::vector<std::vector<std::string>> query(const std::string &sql)
{
    std::vector<std::vector<std::string>> rows;
    sqlite3 *db = nullptr;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_open_v2(REFDB_PATH, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        ADD_FAILURE() << REFDB_PATH << ": " << sql << ": " << sqlite3_errmsg(db);
    while (st != nullptr && sqlite3_step(st) == SQLITE_ROW) {
        rows.emplace_back();
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const unsigned char *text = sqlite3_column_text(st, c);
            rows.back().emplace_back(text ? reinterpret_cast<const char *>(text) : "<NULL>");
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

#endif
