/*
 * The built refdb-check program: the sample passes, small databases built
 * here bring out every kind of finding (one exact line each), exit statuses.
 */
#include "tools_test_support.h"

#include <sys/stat.h>

#include <sstream>

namespace {

/* A clean database of the four tables: two loads, two errors, a run and
 * the cancel, and option 2 (byte 3, bit 1, one bit) with both values. */
const std::string SCHEMA =
    "CREATE TABLE loadstatus(ERROR_NUMBER INTEGER, ID TEXT, USE_ENGINEER_MODE INTEGER, NAME_EN_US TEXT, NAME_KR TEXT);"
    "CREATE TABLE selfdiagnosis(ERROR_NUMBER INTEGER, ID TEXT, USE_ENGINEER_MODE INTEGER,"
    " NAME_EN_US TEXT, NAME_KR TEXT, DESCRIPTION_EN_US TEXT, DESCRIPTION_KR TEXT);"
    "CREATE TABLE forcerun(MODE TEXT, FORCE_RUN_NUMBER INTEGER, TEXT_EN_US TEXT, TEXT_KR TEXT);"
    "CREATE TABLE controloption(DEVELOPER_ONLY INTEGER, SUPPORT INTEGER, MAIN_NUMBER INTEGER,"
    " SUB_NUMBER INTEGER, ENGINEER_MODE INTEGER, COMM_MODE INTEGER, COMM_DATA INTEGER,"
    " COMM_BIT_SHIFT INTEGER, COMM_BIT_LENGTH INTEGER, NAME_EN_US TEXT, NAME_KR TEXT,"
    " DESCRIPTION_EN_US TEXT, DESCRIPTION_KR TEXT);";
const std::string CLEAN =
    SCHEMA +
    "INSERT INTO loadstatus VALUES (1, 'COMP', 1, 'Compressor', '압축기'), (2, 'FAN', 1, 'Fan', '팬');"
    "INSERT INTO selfdiagnosis VALUES (1, '01', 1, 'Sensor', '센서', 'Open', '단선'),"
    " (2, '02', 1, 'Fan', '팬', 'Locked', '구속');"
    "INSERT INTO forcerun VALUES ('SET_KEY_FORCE_TEST_RUN1', 1, 'Cooling', '냉각'),"
    " ('SET_KEY_FORCE_TEST_CANCEL', 0, 'Stop', '중지');"
    "INSERT INTO controloption VALUES (0, -1, 2, 0, 1, 1, 3, 1, 1, 'Ice', '얼음', 'Off', '끔'),"
    " (0, -1, 2, 1, 1, 1, 3, 1, 1, 'Ice', '얼음', 'On', '켬');";

using lines_t = std::vector<std::string>;

class RefdbCheck : public ::testing::Test {
protected:
    /* A database file built from SQL; its path. */
    std::string make(const std::string &name, const std::string &sql)
    {
        std::string path = dir_ + "/" + name;
        sqlite3 *db = nullptr;
        EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        char *error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
        return path;
    }

    static test_support::RunResult check(const std::vector<std::string> &args)
    {
        std::vector<std::string> argv{REFDB_CHECK_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return test_support::run(argv);
    }

    /* The findings on a clean database changed by sql, without the path
     * prefix; exit status in *status. */
    lines_t findings(const std::string &sql, int *status = nullptr)
    {
        std::string path = make("case" + std::to_string(++cases_) + ".db", CLEAN + sql);
        test_support::RunResult result = check({path});
        if (status)
            *status = result.status;
        lines_t out;
        std::istringstream in(result.out);
        for (std::string line; std::getline(in, line);) {
            EXPECT_EQ(line.rfind(path + ": ", 0), 0u) << line;
            out.push_back(line.substr(path.size() + 2));
        }
        return out;
    }

    test_support::PlatformDir tmp_;
    const std::string dir_ = tmp_.path();
    int cases_ = 0;
};

}  // namespace

TEST_F(RefdbCheck, SampleAndCleanDatabasesPassUnusableInputIsRefused)
{
    test_support::RunResult sample = check({REFDB_PATH});
    EXPECT_EQ(sample.status, 0) << sample.out;
    EXPECT_EQ(sample.out, "");
    EXPECT_EQ(sample.err, std::string("refdb-check: ") + REFDB_PATH + ": 0 errors, 0 warnings\n");
    int status = -1;
    EXPECT_EQ(findings("", &status), lines_t{});
    EXPECT_EQ(status, 0);

    // Usage errors and files that are no regular file: status 2, one line on
    // standard error, nothing on standard output (missing and damaged
    // databases: the tools' fault matrix).
    std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{}, {"a.db", "b.db"}, {"--strict"}, {""}, {dir_}, {fifo}}) {
        test_support::RunResult result = check(args);
        EXPECT_EQ(result.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_NE(check({dir_}).err.find("not a regular file"), std::string::npos);
    EXPECT_EQ(check({"--help"}).status, 0);

    // An empty file is an empty database: every table missing.
    std::string empty = dir_ + "/empty.db";
    std::ofstream{empty};
    test_support::RunResult none = check({empty});
    EXPECT_EQ(none.status, 1);
    std::string missing;
    for (const char *table : {"loadstatus", "selfdiagnosis", "forcerun", "controloption"})
        missing += empty + ": table " + table + ": error: missing: the screen that reads it shows nothing from it\n";
    EXPECT_EQ(none.out, missing);
    EXPECT_EQ(none.err, "refdb-check: " + empty + ": 4 errors, 0 warnings\n");
}

TEST_F(RefdbCheck, ColumnsTheScreensReadAndIntegersThatDoNotFit)
{
    int status = -1;
    // Warnings alone pass.
    EXPECT_EQ(findings("DELETE FROM loadstatus;", &status),
              lines_t{"table loadstatus: warning: no rows: the screen that reads it shows nothing from it"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(findings("ALTER TABLE forcerun RENAME COLUMN TEXT_KR TO TEXT_KO;"
                       "ALTER TABLE selfdiagnosis DROP COLUMN ID; ALTER TABLE selfdiagnosis DROP COLUMN NAME_KR;",
                       &status),
              (lines_t{"table selfdiagnosis: error: column ID missing: the screen's statement fails",
                       "table selfdiagnosis: error: column NAME_KR missing: the screen's statement fails",
                       "table forcerun: error: column TEXT_KR missing: the screen's statement fails"}));
    EXPECT_EQ(status, 1);
    // Integers as the screens keep them: low 32 bits of the 64-bit value.
    EXPECT_EQ(findings("UPDATE loadstatus SET ERROR_NUMBER = 4294967298 WHERE ID = 'FAN';"
                       "UPDATE selfdiagnosis SET USE_ENGINEER_MODE = NULL WHERE ERROR_NUMBER = 2;"
                       "UPDATE controloption SET SUPPORT = 'all', COMM_MODE = 1.5 WHERE SUB_NUMBER = 1;"),
              (lines_t{"table loadstatus row 2: error: ERROR_NUMBER 4294967298 does not fit 32 bits: read as 2",
                       "table selfdiagnosis row 2: error: USE_ENGINEER_MODE is NULL: read as 0",
                       "table controloption row 2: error: SUPPORT is not an integer (\"all\"): read as 0",
                       "table controloption row 2: error: COMM_MODE is not an integer (\"1.5\"): read as 1"}));
}

TEST_F(RefdbCheck, LoadAndErrorTables)
{
    // A separator letter, a repeat, a negative number ending the table early,
    // a NULL name, markup, an ID and a name cut; rows not in use are not
    // checked.
    EXPECT_EQ(findings("INSERT INTO loadstatus VALUES (3, 'FbN', 1, 'Fan<br>bottom', '팬'),"
                       " (4, 'COMP', 1, 'Copy', '복사'), (5, 'X\n', 0, NULL, NULL),"
                       " (-1, 'END', 1, 'End', '끝'), (6, 'LAMP', 1, NULL, '<font_size=40>조명</font>'),"
                       " (7, '" + std::string(100, 'I') + "', 1, '" + std::string(100, 'n') + "', '이름');"),
              (lines_t{"table loadstatus row 3: error: ID \"FbN\" holds 'b': the load-status splitter cuts it "
                       "there, so the load is never named",
                       "table loadstatus row 4: error: ID \"COMP\" repeats row 1: only the first is named",
                       "table loadstatus row 6: error: load number -1 ends the table: this load and the 2 after "
                       "it are never named",
                       "table loadstatus row 7: error: NAME_EN_US is NULL: the load shows as an empty line",
                       "table loadstatus row 7: error: NAME_KR holds markup other than <br>: \"<font_size=40>\"",
                       "table loadstatus row 8: error: ID is 100 bytes: the screen keeps 99, so the load is "
                       "never named",
                       "table loadstatus row 8: warning: NAME_EN_US is 100 bytes: the screen shows the first 99"}));

    // Repeated and negative error numbers, missing texts, an entity.
    EXPECT_EQ(findings("INSERT INTO selfdiagnosis VALUES (2, '2b', 1, 'Again', '다시', 'x', 'x'),"
                       " (-3, '03', 1, 'Neg', '음수', 'x', 'x'), (2, '2c', 0, 'Unused', '', NULL, NULL),"
                       " (4, '04', 1, '', '넷', 'Fan &amp; motor', NULL);"),
              (lines_t{"table selfdiagnosis row 3: error: error number 2 repeats row 2: listed twice",
                       "table selfdiagnosis row 4: error: error number -3 is negative: no micom reports it",
                       "table selfdiagnosis row 6: error: NAME_EN_US is empty: the error is not listed in that "
                       "language",
                       "table selfdiagnosis row 6: error: DESCRIPTION_EN_US holds markup other than <br>: \"&amp;\"",
                       "table selfdiagnosis row 6: error: DESCRIPTION_KR is NULL: touching the error shows "
                       "nothing in that language"}));

    // A text is checked as the screens read it, up to its first NUL byte:
    // "\0X" is an empty ID, "Fan\0X" repeats "Fan"; the byte itself is said.
    EXPECT_EQ(findings("INSERT INTO loadstatus VALUES (3, CAST(x'0058' AS TEXT), 1, 'Nul', '널'),"
                       " (4, CAST(x'46414E0058' AS TEXT), 1, 'Fan', CAST(x'ED8CAC00' AS TEXT));"),
              (lines_t{"table loadstatus row 3: warning: ID holds a NUL byte after 0 bytes: the screens read only "
                       "the text before it",
                       "table loadstatus row 4: warning: ID holds a NUL byte after 3 bytes: the screens read only "
                       "the text before it",
                       "table loadstatus row 4: warning: NAME_KR holds a NUL byte after 3 bytes: the screens read "
                       "only the text before it",
                       "table loadstatus row 3: error: ID is empty: the load is never named",
                       "table loadstatus row 4: error: ID \"FAN\" repeats row 2: only the first is named"}));

    // More rows in use than the table holds: each of them is named (not
    // only the first one past the table).
    std::string sql = "DELETE FROM loadstatus;";
    for (int i = 1; i <= 102; i++)
        sql += "INSERT INTO loadstatus VALUES (" + std::to_string(i) + ", 'L" + std::to_string(i) +
               "', 1, 'Load', '부하');";
    EXPECT_EQ(findings(sql + "INSERT INTO loadstatus VALUES (0, 'OFF', 0, 'Unused', '');"),
              (lines_t{"table loadstatus row 101: error: beyond the 100 loads the screen holds: never named",
                       "table loadstatus row 102: error: beyond the 100 loads the screen holds: never named"}));
}

TEST_F(RefdbCheck, ForceRunTable)
{
    // Status by prefix: a MODE without one is the cancel only when it says
    // so (MODE, English or Korean label).
    EXPECT_EQ(findings("INSERT INTO forcerun VALUES ('SET_KEY_FORCE_TEST_LONG', 32, 'Long', '장시간'),"
                       " ('SET_KEY_FORCE_TEST_OFF', 0, 'Cancel all', '모두'),"
                       " ('SET_KEY_FORCE_TEST_STOP', 0, 'Off', '운전 취소');"),
              (lines_t{"table forcerun row 3: error: MODE \"SET_KEY_FORCE_TEST_LONG\" maps to no force-run "
                       "status: the screen records 0, the cancel, for it (a cancel entry says cancel in its MODE "
                       "or label)",
                       "table forcerun row 3: warning: status 0 also belongs to row 2: opening the screen "
                       "re-selects only the first",
                       "table forcerun row 4: warning: status 0 also belongs to row 2: opening the screen "
                       "re-selects only the first",
                       "table forcerun row 5: warning: status 0 also belongs to row 2: opening the screen "
                       "re-selects only the first"}));

    // NULL and long texts, markup, PreCool in one language, an eighth row.
    EXPECT_EQ(findings("INSERT INTO forcerun VALUES (NULL, 2, 'No command', '명령 없음'),"
                       " ('SET_KEY_FORCE_TEST_RUN2_" + std::string(20, 'X') + "', 2, NULL, '둘'),"
                       " ('SET_KEY_FORCE_TEST_RUN3', 3, 'PreCool run', '예냉'),"
                       " ('SET_KEY_FORCE_TEST_RUN4', 4, '" + std::string(40, 'r') + "', '<b>넷</b>'),"
                       " ('SET_KEY_FORCE_TEST_FDEF', 17, 'Freezer', '냉동'),"
                       " ('SET_KEY_FORCE_TEST_RDEF', 16, 'Fridge', '냉장');"),
              (lines_t{"table forcerun row 3: error: MODE is NULL: its entry sends the empty text to the micom",
                       "table forcerun row 4: error: MODE is 44 bytes: the screen keeps 39, so the micom gets "
                       "another command",
                       "table forcerun row 4: error: TEXT_EN_US is NULL: the entry is never listed in that language",
                       "table forcerun row 5: warning: only the English label begins with \"PreCool\": the "
                       "program is for developers in one language only",
                       "table forcerun row 6: warning: TEXT_EN_US is 40 bytes: the screen shows the first 39",
                       "table forcerun row 6: error: TEXT_KR holds markup other than <br>: \"<b>\"",
                       "table forcerun row 8: error: beyond the 7 entries the screen holds: never listed"}));
}

TEST_F(RefdbCheck, ControlOptionTable)
{
    // Rows against the fixed layout of option 2 (byte 3, bit 1, width 1) and
    // option 9 (byte 5, bit 1, width 2).
    EXPECT_EQ(findings("INSERT INTO controloption VALUES (0, -1, 9, 0, 1, 1, 5, 1, 3, 'Type', '종류', 'A', 'ㄱ'),"
                       " (0, -1, 9, 1, 1, 1, 6, 2, 2, 'Type', '종류', 'B', NULL),"
                       " (0, -1, 9, 4, 1, 1, 5, 1, 2, 'Type', '', 'E', 'ㅁ'),"
                       " (0, -1, 9, 1, 1, 1, 5, 1, 2, 'Type', '종류', 'B', 'ㄴ'),"
                       " (0, -1, 9, 2, 1, 1, 5, 1, 2, 'Type', '종류', '" + std::string(50, 'c') + "', 'ㄷ');"),
              (lines_t{"table controloption row 3: error: COMM_BIT_LENGTH 3 differs from option 9's field width 2",
                       "table controloption row 4: error: DESCRIPTION_KR is NULL: the choice shows no text in that "
                       "language",
                       "table controloption row 4: warning: COMM_DATA 6 and COMM_BIT_SHIFT 2 differ from option "
                       "9's field (byte 5, bit 1): the screens use the fixed layout",
                       "table controloption row 5: error: NAME_KR is empty: the option has no name in that language",
                       "table controloption row 5: error: SUB_NUMBER 4 is outside option 9's 4 values: never offered",
                       "table controloption row 6: warning: option 9 value 1 repeats row 4: this row's "
                       "description replaces it",
                       "table controloption row 7: warning: DESCRIPTION_EN_US is 50 bytes: the screen shows the "
                       "first 49",
                       "table controloption: warning: option 9 has no row for value 3: its choice shows no text"}));

    // Rows out of order cut the option count; numbers out of range stop the
    // read.
    int status = -1;
    EXPECT_EQ(findings("INSERT INTO controloption VALUES"
                       " (0, -1, 7, 0, 1, 1, 4, 1, 2, 'Fan', '팬', 'A', 'ㄱ'), (0, -1, 7, 1, 1, 1, 4, 1, 2, 'Fan', '팬', 'B', 'ㄴ'),"
                       " (0, -1, 7, 2, 1, 1, 4, 1, 2, 'Fan', '팬', 'C', 'ㄷ'), (0, -1, 7, 3, 1, 1, 4, 1, 2, 'Fan', '팬', 'D', 'ㄹ'),"
                       " (0, -1, 2, 1, 1, 1, 3, 1, 1, 'Ice', '얼음', 'On', '켬'),"
                       " (0, -1, 7, 16, 1, 1, 4, 1, 2, 'Fan', '팬', 'Q', 'ㅋ'),"
                       " (0, -1, 37, 0, 1, 1, 1, 1, 1, 'Extra', '추가', 'X', 'ㅌ');",
                       &status),
              (lines_t{"table controloption row 7: error: MAIN_NUMBER 2 comes after 7: rows must ascend (the "
                       "option count is the last row's MAIN_NUMBER + 1)",
                       "table controloption row 7: warning: option 2 value 1 repeats row 2: this row's "
                       "description replaces it",
                       "table controloption row 8: error: SUB_NUMBER 16 is outside 0 to 15: the screen stops "
                       "reading here",
                       "table controloption row 9: error: MAIN_NUMBER 37 is outside 0 to 36: the screen has "
                       "stopped reading before",
                       "table controloption: error: the option count is 3 (the last row's MAIN_NUMBER + 1): "
                       "options 3 to 7 are not shown"}));
    EXPECT_EQ(status, 1);
}
