/*
 * Reference database layer: the one shared read-only connection, statement
 * handles, result codes, path composition and the table-reading sequence
 * that the screens share.
 */
#include <filesystem>
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

TEST_F(DbTest, TableReadPathAndFailedSteps)
{
    std::string profile = dir_ + "/profile";
    std::string model(99 - (profile + "//db/engineer_mode.db").size(), 'm');
    EXPECT_EQ(db_compose_path(model.c_str()).value().size(), 99u);
    EXPECT_EQ(db_compose_path((model + "m").c_str()), std::nullopt);  // past 99 characters

    auto failed_step = [](const char *sql) {
        db_table_read table;
        const char *failed = table.open(sql);
        return std::string(failed ? failed : "");
    };
    EXPECT_EQ(failed_step("SELECT s FROM t"), "NULL == modelNmae");
    set_str("memory/refrigerator/ModelName", (model + "m").c_str());
    EXPECT_EQ(failed_step("SELECT s FROM t"), "PRIVATE_APP_ERROR_OK != db_open(dbFileName)");
    set_str("memory/refrigerator/ModelName", "NoSuchModel");
    EXPECT_EQ(failed_step("SELECT s FROM t"), "PRIVATE_APP_ERROR_OK != db_open(dbFileName)");
    make_db("M1", "CREATE TABLE t(s TEXT); INSERT INTO t VALUES('a'), ('b');");
    EXPECT_EQ(failed_step("SELECT nothing FROM t"), "NULL == st");
    EXPECT_EQ(db_open((dir_ + "/x.db").c_str()), PRIVATE_APP_ERROR_OK);  // left open

    std::string seen;
    {
        db_table_read table;
        ASSERT_EQ(table.open("SELECT s FROM t"), nullptr);
        while (table.next())
            seen += db_get_text(table.row(), 0, 99);
    }
    EXPECT_EQ(seen, "ab");
    clear_log();
    db_close();  // the read closed it already
    EXPECT_TRUE(logged("(!db_info.db) -> db_close() return"));
    unsetenv("ENGINEER_MODE_PROFILE_DIR");
    EXPECT_EQ(db_compose_path("RF85").value(), EM_PROFILE_DIR_DEFAULT "/RF85/db/engineer_mode.db");
}
