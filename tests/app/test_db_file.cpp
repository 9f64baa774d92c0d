/*
 * The reference database is opened only when it is a regular file: a FIFO in
 * its place used to block the opening, and the application with it.
 */
#include <csignal>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "db.h"
#include "fixture.h"

namespace {

class DbFileTest : public AppTest {
protected:
    void TearDown() override
    {
        db_close();  // the connection is process-wide; leave none behind
        AppTest::TearDown();
    }
};

}  // namespace

TEST_F(DbFileTest, AFifoOrALinkInPlaceOfTheDatabaseIsRefusedAtOnce)
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
