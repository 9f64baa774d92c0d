/*
 * Reference database layer: the one shared read-only connection, statement
 * handles and result codes, path composition, the screens' table read, and
 * only regular files opened.
 */
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "db.h"
#include "fixture.h"

namespace {

class DbTest : public AppTest {
protected:
    void TearDown() override
    {
        db_close();  // the connection is process-wide; leave none behind
        AppTest::TearDown();
    }
};

}  // namespace

TEST_F(DbTest, OneReadOnlyConnectionOpenedOnDemand)
{
    std::string path = dir_ + "/profile/M1/db/engineer_mode.db";
    std::string nowhere = dir_ + "/nowhere.db";
    EXPECT_EQ(db_open(path.c_str()), PRIVATE_APP_ERROR_DB_FAILED);
    EXPECT_FALSE(std::filesystem::exists(path));  // read-only: not created
    make_db("M1", "CREATE TABLE t(v TEXT);");
    clear_log();
    EXPECT_EQ(db_open(path.c_str()), PRIVATE_APP_ERROR_OK);
    EXPECT_TRUE(logged("D/-: db.cpp: db_open(") && logged("> db open : " + path));  // no tag
    EXPECT_EQ(db_open(nowhere.c_str()), PRIVATE_APP_ERROR_OK);  // reused, whatever the path

    db_close();
    EXPECT_EQ(db_open(nowhere.c_str()), PRIVATE_APP_ERROR_DB_FAILED);  // a real open again
    clear_log();
    db_close();  // with nothing open: only logs
    EXPECT_EQ(log_count("E/-: db.cpp: db_close("), 1);
    EXPECT_TRUE(logged("(!db_info.db) -> db_close() return"));
    EXPECT_EQ(db_prepare("SELECT 1"), nullptr);
}

TEST_F(DbTest, RowsColumnsAndBadArguments)
{
    std::string path = make_db("M1", "CREATE TABLE t(n INTEGER, s TEXT);"
                                      "INSERT INTO t VALUES(5000000000, NULL);");
    ASSERT_EQ(db_open(path.c_str()), PRIVATE_APP_ERROR_OK);
    db_handle_s *st = db_prepare("SELECT n, s FROM t");
    ASSERT_EQ(db_next(st), PRIVATE_APP_ERROR_OK);
    EXPECT_EQ(db_get_long_long(st, 0), 5000000000LL);
    EXPECT_EQ(db_get_str(st, 1), nullptr);  // SQL NULL
    EXPECT_EQ(db_get_text(st, 0, 3), "500");
    EXPECT_EQ(db_next(st), PRIVATE_APP_ERROR_NO_DATA);
    EXPECT_EQ(db_finalize(st), PRIVATE_APP_ERROR_OK);
    st = db_prepare("SELECT n FROM t WHERE n < 0");
    EXPECT_EQ(db_next(st), PRIVATE_APP_ERROR_NO_DATA);  // empty result: at once
    EXPECT_EQ(db_finalize(st), PRIVATE_APP_ERROR_OK);

    clear_log();
    EXPECT_EQ(db_prepare("SELECT x FROM missing_table"), nullptr);
    EXPECT_TRUE(logged("no such table: missing_table"));
    EXPECT_EQ(db_prepare(""), nullptr);
    EXPECT_EQ(db_prepare(nullptr), nullptr);
    EXPECT_EQ(db_open(nullptr), PRIVATE_APP_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(db_next(nullptr), PRIVATE_APP_ERROR_DB_FAILED);
    EXPECT_EQ(db_get_long_long(nullptr, 0), 0);
    EXPECT_EQ(db_get_str(nullptr, 0), nullptr);
    EXPECT_EQ(db_finalize(nullptr), PRIVATE_APP_ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(logged("(NULL == query) -> db_prepare() return") &&
                logged("(NULL == db_file) -> db_open() return"));
    EXPECT_EQ(log_count("(NULL == handle)"), 4);
}

TEST_F(DbTest, TableReadPathAndFailedSteps)
{
    std::string profile = dir_ + "/profile";
    std::string model(99 - (profile + "//db/engineer_mode.db").size(), 'm');
    EXPECT_EQ(db_compose_path(model.c_str()).value().size(), 99u);
    EXPECT_EQ(db_compose_path((model + "m").c_str()), std::nullopt);  // past 99 characters
    // A name that would leave the profile, or is no plain name, is refused.
    const std::vector<std::string> refused{"../outside", "..",   "a/b", "/abs", ".hidden",
                                           "RF 1",       "RF\n1", "RF<1>", "",    std::string(65, 'm')};
    for (const std::string &name : refused) {
        clear_log();
        EXPECT_EQ(db_compose_path(name.c_str()), std::nullopt) << name;
        EXPECT_TRUE(logged("E/-: db.cpp: db_compose_path(") && logged("> model name refused: "));
    }
    EXPECT_EQ(db_compose_path("RF-DEMO_01.v2").value(), profile + "/RF-DEMO_01.v2/db/engineer_mode.db");

    auto failed_step = [](const char *sql) {
        db_table_read table;
        const char *failed = table.open("t", sql);
        return std::string(failed ? failed : "");
    };
    EXPECT_EQ(failed_step("SELECT s FROM t"), "NULL == modelNmae");
    set_str("memory/refrigerator/ModelName", (model + "m").c_str());
    EXPECT_EQ(failed_step("SELECT s FROM t"), "PRIVATE_APP_ERROR_OK != db_open(dbFileName)");
    set_str("memory/refrigerator/ModelName", "NoSuchModel");
    EXPECT_EQ(failed_step("SELECT s FROM t"), "PRIVATE_APP_ERROR_OK != db_open(dbFileName)");
    make_db("M1", "CREATE TABLE t(s TEXT); INSERT INTO t VALUES('a'), ('b');");
    EXPECT_EQ(failed_step("SELECT nothing FROM t"), "NULL == st");
    // Closed: the next open takes its own path (here a missing file).
    EXPECT_EQ(db_open((dir_ + "/x.db").c_str()), PRIVATE_APP_ERROR_DB_FAILED);

    std::string seen;
    {
        db_table_read table;
        ASSERT_EQ(table.open("t", "SELECT s FROM t"), nullptr);
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

TEST_F(DbTest, IntegersKeepTheirLow32BitsWithAWarning)
{
    make_db("M1", "CREATE TABLE t(n INTEGER); INSERT INTO t VALUES(35), (1099511627811),"
                  " (-1), (4294967296), (NULL), (-2147483648), (2.5), ('12abc');");
    std::vector<int> seen;
    {
        db_table_read table;
        ASSERT_EQ(table.open("t", "SELECT n FROM t"), nullptr);
        while (table.next())
            seen.push_back(table.int32(0));
    }
    EXPECT_EQ(seen, (std::vector<int>{35, 35, -1, 0, 0, INT32_MIN, 2, 12}));  // 2^40 + 35 shows as 35
    EXPECT_TRUE(logged("W/-: db.cpp: int32(") &&
                logged("> table t row 2 column 0: 1099511627811 does not fit 32 bits, 35 used"));
    EXPECT_TRUE(logged("table t row 4 column 0: 4294967296 does not fit 32 bits, 0 used"));
    EXPECT_EQ(log_count("does not fit 32 bits"), 2);
    /* A value that is no integer is used converted, with a word. */
    EXPECT_TRUE(logged("table t row 5 column 0: NULL, not an integer: 0 used"));
    EXPECT_TRUE(logged("table t row 7 column 0: a real number, not an integer: 2 used"));
    EXPECT_TRUE(logged("table t row 8 column 0: a text, not an integer: 12 used"));
}

/* A FIFO in place of the database used to block the opening, and the
 * application with it. */
TEST_F(DbTest, AFifoOrALinkInPlaceOfTheDatabaseIsRefusedAtOnce)
{
    // An open that blocks ends the test (Ecore catches SIGALRM otherwise).
    std::signal(SIGALRM, SIG_DFL);
    ::alarm(60);
    const std::string good = make_db("M2", "CREATE TABLE t(v TEXT);");
    const std::string db_dir = dir_ + "/profile/M1/db", path = db_dir + "/engineer_mode.db";
    std::filesystem::create_directories(db_dir);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    set_str("memory/refrigerator/ModelName", "M1");
    {
        db_table_read table;  // the screens' read fails as at a missing database
        EXPECT_STREQ(table.open("t", "SELECT v FROM t"), "PRIVATE_APP_ERROR_OK != db_open(dbFileName)");
    }
    EXPECT_TRUE(logged("> " + path + " is not a regular file (a link, a FIFO or a device): refused"));

    std::filesystem::remove(path);
    std::filesystem::create_symlink(good, path);
    clear_log();
    EXPECT_EQ(db_open(path.c_str()), PRIVATE_APP_ERROR_DB_FAILED);
    EXPECT_TRUE(logged(path + " is not a regular file"));
    EXPECT_EQ(db_open(good.c_str()), PRIVATE_APP_ERROR_OK);  // the file itself is fine
    ::alarm(0);
}
