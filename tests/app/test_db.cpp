/*
 * Reference database layer: the one shared read-only connection, statement
 * handles, result codes, path composition and the table-reading sequence
 * that the screens share.
 */
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "db.h"
#include "fixture.h"

namespace {

class DbTest : public AppTest {
protected:
    void TearDown() override
    {
        /* The connection is process-wide; leave none behind. */
        clear_log();
        db_close();
        AppTest::TearDown();
    }

    /* Texts of column 0 of every row of sql on the open connection. */
    static std::vector<std::string> column0(const char *sql)
    {
        std::vector<std::string> out;
        db_handle_s *st = db_prepare(sql);
        EXPECT_NE(st, nullptr);
        while (st && db_next(st) == PRIVATE_APP_ERROR_OK) {
            const char *text = db_get_str(st, 0);
            out.emplace_back(text ? text : "(null)");
        }
        if (st) {
            EXPECT_EQ(db_finalize(st), PRIVATE_APP_ERROR_OK);
        }
        return out;
    }
};

}  // namespace

TEST_F(DbTest, OpenIsReadOnlyAndOneConnectionIsShared)
{
    std::string path = dir_ + "/profile/M1/db/engineer_mode.db";

    // A missing file is not created (read-only open) and gives DB_FAILED.
    EXPECT_EQ(db_open(path.c_str()), PRIVATE_APP_ERROR_DB_FAILED);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(logged("E/-: db.cpp: db_open("));
    // The failed open left no connection behind.
    clear_log();
    db_close();
    EXPECT_TRUE(logged("(!db_info.db) -> db_close() return"));

    // Once the file exists, the same path opens; the lines carry no tag.
    make_db("M1", "CREATE TABLE t(v TEXT); INSERT INTO t VALUES('first');");
    clear_log();
    EXPECT_EQ(db_open(path.c_str()), PRIVATE_APP_ERROR_OK);
    EXPECT_TRUE(logged("D/-: db.cpp: db_open(") && logged("> db open : " + path));

    // A second open with another existing database reuses the connection.
    std::string other = make_db("M2", "CREATE TABLE t(v TEXT); INSERT INTO t VALUES('second');");
    EXPECT_EQ(db_open(other.c_str()), PRIVATE_APP_ERROR_OK);
    EXPECT_EQ(column0("SELECT v FROM t"), std::vector<std::string>{"first"});

    // Writing through the connection is refused.
    db_handle_s *st = db_prepare("INSERT INTO t VALUES('x')");
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(db_next(st), PRIVATE_APP_ERROR_DB_FAILED);
    EXPECT_EQ(db_finalize(st), PRIVATE_APP_ERROR_DB_FAILED);

    // Closed, the next open takes the new path; a second close only logs.
    db_close();
    EXPECT_EQ(db_open(other.c_str()), PRIVATE_APP_ERROR_OK);
    EXPECT_EQ(column0("SELECT v FROM t"), std::vector<std::string>{"second"});
    db_close();
    clear_log();
    db_close();
    EXPECT_EQ(log_count("E/-: db.cpp: db_close("), 1);
    EXPECT_TRUE(logged("(!db_info.db) -> db_close() return"));

    clear_log();
    EXPECT_EQ(db_open(nullptr), PRIVATE_APP_ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(logged("(NULL == db_file) -> db_open() return"));
}

TEST_F(DbTest, StatementsRowsAndColumns)
{
    std::string path = make_db("M1",
                               "CREATE TABLE t(n INTEGER, s TEXT);"
                               "INSERT INTO t VALUES(5000000000, NULL);"
                               "INSERT INTO t VALUES(-3, 'abc');");
    ASSERT_EQ(db_open(path.c_str()), PRIVATE_APP_ERROR_OK);

    db_handle_s *st = db_prepare("SELECT n, s FROM t ORDER BY rowid");
    ASSERT_NE(st, nullptr);
    ASSERT_EQ(db_next(st), PRIVATE_APP_ERROR_OK);
    EXPECT_EQ(db_get_long_long(st, 0), 5000000000LL);
    EXPECT_EQ(db_get_str(st, 1), nullptr);  // SQL NULL
    EXPECT_EQ(db_get_text(st, 1, 99), "");
    ASSERT_EQ(db_next(st), PRIVATE_APP_ERROR_OK);
    EXPECT_EQ(db_get_long_long(st, 0), -3);
    EXPECT_STREQ(db_get_str(st, 1), "abc");
    EXPECT_EQ(db_get_text(st, 1, 2), "ab");
    EXPECT_EQ(db_next(st), PRIVATE_APP_ERROR_NO_DATA);
    EXPECT_EQ(db_finalize(st), PRIVATE_APP_ERROR_OK);

    // An empty result ends at the first step.
    st = db_prepare("SELECT n FROM t WHERE n > 1e12");
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(db_next(st), PRIVATE_APP_ERROR_NO_DATA);
    EXPECT_EQ(db_finalize(st), PRIVATE_APP_ERROR_OK);

    // Bad statements give no handle and log SQLite's message.
    clear_log();
    EXPECT_EQ(db_prepare("SELECT x FROM missing_table"), nullptr);
    EXPECT_TRUE(logged("no such table: missing_table"));
    EXPECT_EQ(db_prepare(""), nullptr);
    clear_log();
    EXPECT_EQ(db_prepare(nullptr), nullptr);
    EXPECT_TRUE(logged("(NULL == query) -> db_prepare() return"));

    // A null handle is refused everywhere with the fixed results.
    clear_log();
    EXPECT_EQ(db_next(nullptr), PRIVATE_APP_ERROR_DB_FAILED);
    EXPECT_EQ(db_get_long_long(nullptr, 0), 0);
    EXPECT_EQ(db_get_str(nullptr, 0), nullptr);
    EXPECT_EQ(db_finalize(nullptr), PRIVATE_APP_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(log_count("(NULL == handle)"), 4);

    // Without a connection nothing is prepared.
    db_close();
    EXPECT_EQ(db_prepare("SELECT 1"), nullptr);
}

TEST_F(DbTest, PathFromProfileDirectoryAndModel)
{
    std::string profile = dir_ + "/profile";
    EXPECT_EQ(db_profile_dir(), profile);
    EXPECT_EQ(db_compose_path("RF85").value(), profile + "/RF85/db/engineer_mode.db");

    // 99 characters fit the 100-byte buffer; 100 do not (a cut path would
    // name another file).
    std::size_t fixed = profile.size() + std::string("//db/engineer_mode.db").size();
    ASSERT_LT(fixed, 99u);
    std::string model(99 - fixed, 'm');
    EXPECT_EQ(db_compose_path(model.c_str()).value().size(), 99u);
    clear_log();
    EXPECT_EQ(db_compose_path((model + "m").c_str()), std::nullopt);
    EXPECT_TRUE(logged("E/-: db.cpp: db_compose_path("));
    EXPECT_EQ(db_compose_path(nullptr), std::nullopt);

    unsetenv("ENGINEER_MODE_PROFILE_DIR");
    EXPECT_EQ(db_profile_dir(), EM_PROFILE_DIR_DEFAULT);
}

TEST_F(DbTest, ReadTableSequenceAndItsFailureLines)
{
    const char *sql = "SELECT n, s FROM t";
    int readies = 0;
    std::vector<std::string> seen;
    auto on_ready = [&] { readies++; };
    auto per_row = [&](db_handle_s *st) {
        seen.push_back(db_get_text(st, 1, 99));
        return seen.size() < 2;  // stop after two rows
    };
    const std::string tagged = "E/" EM_PACKAGE_ID ": test_db.cpp: TestBody(";

    // No model name.
    clear_log();
    EXPECT_FALSE(db_read_table(DB_CALLER_HERE, sql, on_ready, per_row));
    EXPECT_TRUE(logged(tagged));
    EXPECT_TRUE(logged("> (NULL == modelNmae) -> TestBody() return"));

    // Model name whose path does not fit, then one without a database.
    set_str("memory/refrigerator/ModelName", std::string(120, 'x').c_str());
    clear_log();
    EXPECT_FALSE(db_read_table(DB_CALLER_HERE, sql, on_ready, per_row));
    EXPECT_TRUE(logged("> (PRIVATE_APP_ERROR_OK != db_open(dbFileName)) -> TestBody() return"));
    set_str("memory/refrigerator/ModelName", "NoSuchModel");
    clear_log();
    EXPECT_FALSE(db_read_table(DB_CALLER_HERE, sql, on_ready, per_row));
    EXPECT_TRUE(logged("> (PRIVATE_APP_ERROR_OK != db_open(dbFileName)) -> TestBody() return"));

    // A statement that does not prepare; the connection stays open.
    make_db("M1",
            "CREATE TABLE t(n INTEGER, s TEXT);"
            "INSERT INTO t VALUES(1, 'a'); INSERT INTO t VALUES(2, 'b');"
            "INSERT INTO t VALUES(3, 'c');");
    clear_log();
    EXPECT_FALSE(db_read_table(DB_CALLER_HERE, "SELECT nothing FROM t", on_ready, per_row));
    EXPECT_TRUE(logged("> (NULL == st) -> TestBody() return"));
    EXPECT_EQ(readies, 0);
    EXPECT_TRUE(seen.empty());

    // Success: rows until per_row says stop, then the connection is closed.
    EXPECT_TRUE(db_read_table(DB_CALLER_HERE, sql, on_ready, per_row));
    EXPECT_EQ(readies, 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
    clear_log();
    db_close();
    EXPECT_TRUE(logged("(!db_info.db) -> db_close() return"));

    // A throwing row reader is contained; statement and connection close.
    EXPECT_FALSE(db_read_table(DB_CALLER_HERE, sql, nullptr, [](db_handle_s *) -> bool {
        throw std::runtime_error("row reader failed");
    }));
    EXPECT_TRUE(logged("row reader failed"));
    clear_log();
    db_close();
    EXPECT_TRUE(logged("(!db_info.db) -> db_close() return"));
}
