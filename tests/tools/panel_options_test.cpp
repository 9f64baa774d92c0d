/*
 * The built panel-options program on a test reference database: show, save,
 * diff, set and restore, the save order a watcher sees, every refusal.
 */
#include "tools_test_support.h"

#include "option_layout.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

const char TX[] = "memory/refrigerator/TxMessage";
const char MODEL[] = "memory/refrigerator/ModelName";

/* Options 3 (4 bits), 17 (1 bit, developer only), 16 (needs the pitcher,
 * 4), and two options both named "Twin". */
const char OPTIONS_SQL[] =
    "CREATE TABLE controloption(DEVELOPER_ONLY INTEGER, SUPPORT INTEGER, MAIN_NUMBER INTEGER,"
    " SUB_NUMBER INTEGER, ENGINEER_MODE INTEGER, COMM_MODE INTEGER, COMM_DATA INTEGER,"
    " COMM_BIT_SHIFT INTEGER, COMM_BIT_LENGTH INTEGER, NAME_EN_US TEXT, NAME_KR TEXT,"
    " DESCRIPTION_EN_US TEXT, DESCRIPTION_KR TEXT);INSERT INTO controloption VALUES"
    " (0, -1, 3, 0, 1, 1, 3, 2, 4, 'Fridge offset', '냉장 보정', '-4 C', '-4도'),"
    " (0, -1, 3, 1, 1, 1, 3, 2, 4, 'Fridge offset', '냉장 보정', '-3 C', '-3도'),"
    " (0, -1, 3, 10, 1, 1, 3, 2, 4, 'Fridge offset', '냉장 보정', '+1 C', '+1도'),"
    " (0, 4, 16, 0, 1, 1, 8, 1, 2, 'Pitcher', '피처', 'None', '없음'),"
    " (1, -1, 17, 0, 1, 1, 5, 7, 1, 'Door-in-door', '도어인도어', 'No', '아니오'),"
    " (1, -1, 17, 1, 1, 1, 5, 7, 1, 'Door-in-door', '도어인도어', 'Yes', '예'),"
    " (0, -1, 20, 0, 1, 1, 7, 2, 3, 'Twin', '쌍둥이', 'a', 'a'), (0, -1, 21, 0, 1, 1, 8, 3, 2, 'twin', '쌍둥이2', 'b', 'b');";

option_bytes key_bytes()
{
    option_bytes bytes{};
    for (int k = 0; k < OPTION_BYTES; ++k)
        bytes[k] = static_cast<std::uint8_t>(get_int(option_byte_key(k)).value_or(-1));
    return bytes;
}

class PanelOptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        profile_ = dir_.path() + "/profile";
        ::setenv("ENGINEER_MODE_PROFILE_DIR", profile_.c_str(), 1);
        ::unsetenv("PANEL_LOG_LEVEL");
        make_db("RF-OPT-1");
        ASSERT_EQ(vconf_set_str(MODEL, "RF-OPT-1"), VCONF_OK);
        ASSERT_EQ(vconf_set_int("db/refrigerator/ModelSupportedIceMaker", 3), VCONF_OK);
        ASSERT_EQ(vconf_set_str("db/menu_widget/language", "en_US.UTF-8"), VCONF_OK);
        initial_[0] = 0x01;
        option_value_set(initial_, 3, 10);
        set_bytes(initial_);
    }

    void make_db(const std::string &model)
    {
        std::string dir = profile_ + "/" + model + "/db";
        std::filesystem::create_directories(dir);
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open((dir + "/engineer_mode.db").c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, OPTIONS_SQL, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    static void set_bytes(const option_bytes &bytes)
    {
        for (int k = 0; k < OPTION_BYTES; ++k)
            ASSERT_EQ(vconf_set_int(option_byte_key(k).c_str(), bytes[k]), VCONF_OK);
    }
    static test_support::RunResult tool(std::vector<std::string> args)
    {
        args.insert(args.begin(), PANEL_OPTIONS_PATH);
        return test_support::run(args);
    }
    std::string file(const std::string &name, const std::string &text)
    {
        std::string path = dir_.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    /* A refusal: the status, one line naming the reason, nothing written. */
    void expect_refused(const std::vector<std::string> &args, int status, const std::string &reason)
    {
        option_bytes before = key_bytes();
        test_support::RunResult r = tool(args);
        EXPECT_EQ(r.status, status) << args[0] << " " << r.err;
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("panel-options: ", 0), 0u) << r.err;
        EXPECT_EQ(key_bytes(), before);
        EXPECT_FALSE(get_str(TX)) << "a command was sent";
    }

    test_support::PlatformDir dir_;
    std::string profile_;
    option_bytes initial_{};
};

/* Every write to TxMessage and the option keys while a program runs, as a
 * watcher sees it (the value read when its notification runs). */
struct save_watch {
    std::vector<std::string> writes, keys{TX};
    static void changed_cb(keynode_t *node, void *data)
    {
        std::string value = vconf_keynode_get_type(node) == VCONF_TYPE_STRING
                                ? vconf_keynode_get_str(node)
                                : std::to_string(vconf_keynode_get_int(node));
        static_cast<save_watch *>(data)->writes.push_back(std::string(vconf_keynode_get_name(node)) + "=" + value);
    }
    save_watch()
    {
        for (int k = 0; k < OPTION_BYTES; ++k)
            keys.push_back(option_byte_key(k));
        for (const std::string &key : keys)
            vconf_notify_key_changed(key.c_str(), changed_cb, this);
        /* The watches started Ecore, whose SIGCHLD handler would reap the
         * tool before the test reads its exit status. */
        std::signal(SIGCHLD, SIG_DFL);
    }
    ~save_watch()
    {
        for (const std::string &key : keys)
            vconf_ignore_key_changed(key.c_str(), changed_cb);
    }
    /* Runs the program to its end; it must save bytes as the screen does:
     * the empty text, the 13 keys, then the 13 commands ascending, 0.1 s
     * apart (a late notification may show the next command). */
    void expect_saves(const std::vector<std::string> &argv, const option_bytes &bytes)
    {
        const std::string command = std::string(TX) + "=SET_OPTION_";
        double start = test_support::now();
        test_support::Child child(argv);
        test_support::spin_until(30, [&] { return !writes.empty() && writes.back() == command + "13"; });
        test_support::spin_until(0.2, [] { return false; });
        EXPECT_GE(test_support::now() - start, 1.3) << "13 commands 0.1 s apart";
        EXPECT_EQ(child.stop(0), 0);
        EXPECT_EQ(key_bytes(), bytes);
        ASSERT_EQ(writes.size(), 27u);
        EXPECT_TRUE(writes[0] == std::string(TX) + "=" || writes[0].rfind(command, 0) == 0) << writes[0];
        for (int k = 0; k < OPTION_BYTES; ++k)
            EXPECT_EQ(writes[1 + k], option_byte_key(k) + "=" + std::to_string(bytes[k]));
        for (std::size_t i = 14; i < writes.size(); ++i) {
            EXPECT_EQ(writes[i].rfind(command, 0), 0u) << writes[i];
            EXPECT_GE(writes[i], writes[i - 1]) << "commands out of order";
        }
        EXPECT_EQ(writes.back(), command + "13");
    }
};

}  // namespace

TEST_F(PanelOptions, ShowListsTheModelsOptionsInEitherLanguage)
{
    test_support::RunResult r = tool({"show"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "model RF-OPT-1, option bytes 01 00 28 00 00 00 00 00 00 00 00 00 00\n"
                     "03  Fridge offset: 10 (+1 C)\n"
                     "16  Pitcher: 0 (None) [not supported with ice maker 3]\n"
                     "17  Door-in-door: 0 (No) [developer only]\n"
                     "20  Twin: 0 (a)\n"
                     "21  twin: 0 (b)\n");
    EXPECT_EQ(r.err, "");

    ASSERT_EQ(vconf_set_str("db/menu_widget/language", "ko_KR.UTF-8"), VCONF_OK);
    r = tool({"show"});
    EXPECT_NE(r.out.find("03  냉장 보정: 10 (+1도)\n"), std::string::npos) << r.out;
    r = tool({"show", "--lang", "en"});
    EXPECT_NE(r.out.find("03  Fridge offset: 10 (+1 C)\n"), std::string::npos) << r.out;
    ASSERT_EQ(vconf_set_int(option_byte_key(7).c_str(), 0x02), VCONF_OK);  // value without description
    ASSERT_EQ(vconf_set_int(option_byte_key(4).c_str(), 0x80), VCONF_OK);
    r = tool({"show", "--lang", "ko"});
    EXPECT_NE(r.out.find("17  도어인도어: 1 (예) [developer only]\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("16  피처: 1 (no description)"), std::string::npos) << r.out;

    expect_refused({"show", "--lang", "fr"}, 2, "--lang takes en or ko");
    expect_refused({"show", "extra"}, 2, "show takes no argument");
    expect_refused({"frobnicate"}, 2, "unknown command frobnicate");
    EXPECT_EQ(tool({}).status, 2);
    EXPECT_EQ(tool({"--help"}).status, 0);
    ASSERT_EQ(vconf_set_str(MODEL, "RF-NONE"), VCONF_OK);
    expect_refused({"show"}, 1, "cannot open the reference database of model RF-NONE");
    ASSERT_EQ(vconf_unset(MODEL), VCONF_OK);
    expect_refused({"show"}, 1, "no model name in memory/refrigerator/ModelName");
}

TEST_F(PanelOptions, SnapshotDiffAndRestoreByName)
{
    std::string snap = dir_.path() + "/snap.txt";
    test_support::RunResult r = tool({"save", snap});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = test_support::read_file(snap);
    EXPECT_EQ(text.rfind("panel-options snapshot 1\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nmodel RF-OPT-1\nbytes 01 00 28 00 00 00 00 00 00 00 00 00 00\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("\noption 03 10 Fridge offset: +1 C\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\noption 04 0\n"), std::string::npos) << text;  // no option of the model
    EXPECT_EQ(text.substr(text.size() - 4), "end\n");

    r = tool({"diff", snap});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "no differences\n");

    option_bytes changed = key_bytes();
    option_value_set(changed, 3, 1);
    option_value_set(changed, 17, 1);
    option_value_set(changed, 6, 2);  // not an option of the model
    changed[0] = 0x00;                // bit 0 cleared
    set_bytes(changed);
    r = tool({"diff", snap, "--lang", "ko"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "냉장 보정 (option 03): 10 (+1도) -> 1 (-3도)\n"
                     "(not an option of the model) (option 06): 0 (no description) -> 2 (no description)\n"
                     "도어인도어 (option 17): 0 (아니오) -> 1 (예)\n"
                     "bit 0 of db/refrigerator/RefOption01 (no option): 1 -> 0\n");

    save_watch().expect_saves({PANEL_OPTIONS_PATH, "restore", snap}, initial_);

    // Another model's snapshot is refused, by diff too.
    make_db("RF-OPT-2");
    ASSERT_EQ(vconf_set_str(MODEL, "RF-OPT-2"), VCONF_OK);
    ASSERT_EQ(vconf_unset(TX), VCONF_OK);
    expect_refused({"restore", snap}, 1, "is a snapshot of model RF-OPT-1, the refrigerator is RF-OPT-2");
    expect_refused({"diff", snap}, 1, "is a snapshot of model RF-OPT-1");
}

TEST_F(PanelOptions, SetChangesOneOptionAndSavesAsTheScreenDoes)
{
    option_bytes expected = initial_;
    option_value_set(expected, 3, 1);
    save_watch().expect_saves({PANEL_OPTIONS_PATH, "set", "FRIDGE OFFSET", "1"}, expected);

    test_support::RunResult r = tool({"set", "도어인도어", "1"});  // a Korean name
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Door-in-door (option 17): 0 (No) -> 1 (Yes)");
    option_value_set(expected, 17, 1);
    EXPECT_EQ(key_bytes(), expected);
    r = tool({"set", "17", "1"});  // unchanged: saved again all the same
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Door-in-door (option 17): 1 (Yes), unchanged");
    EXPECT_EQ(get_str(TX), "SET_OPTION_13");

    ASSERT_EQ(vconf_unset(TX), VCONF_OK);
    expect_refused({"set", "3", "16"}, 2, "option 03 takes 0 to 15, not 16");
    expect_refused({"set", "17", "2"}, 2, "option 17 takes 0 to 1, not 2");
    expect_refused({"set", "3", "-1"}, 2, "takes 0 to 15");
    expect_refused({"set", "3", "ten"}, 2, "takes 0 to 15");
    expect_refused({"set", "4", "1"}, 2, "model RF-OPT-1 has no option 4");
    expect_refused({"set", "37", "1"}, 2, "has no option 37");
    expect_refused({"set", "Ice maker", "1"}, 2, "has no option named \"Ice maker\"");
    expect_refused({"set", "twin", "1"}, 2, "\"twin\" names options 20 and 21");
    expect_refused({"set", "3"}, 2, "set takes NAME-OR-NUMBER and VALUE");
}

TEST_F(PanelOptions, DamagedSnapshotsAreRefused)
{
    const std::string head = "panel-options snapshot 1\nmodel RF-OPT-1\n",
                      bytes = "bytes 01 00 28 00 00 00 00 00 00 00 00 00 00\n";
    test_support::RunResult r = tool({"diff", file("good.txt", head + bytes + "option 03 10 x\nend\n")});
    ASSERT_EQ(r.status, 0) << r.err;  // the hand-written form is accepted

    const std::pair<std::string, const char *> cases[] = {
        {"", "empty file"},
        {"hello\n", "not a panel-options snapshot"},
        {head + bytes, "cut short (no end line)"},
        {head + "bytes 01 00 28 00 00 00 00 00 00 00 00 00\nend\n", "13 bytes expected, 12 found"},
        {head + "bytes 01 00 28 00 00 00 00 00 00 00 00 00 0G\nend\n", "\"0G\" is not a byte in hex"},
        {head + "bytes 01 00 28 00 00 00 00 00 00 00 00 00 100\nend\n", "\"100\" is not a byte in hex"},
        {head + bytes + "option 03 9 x\nend\n", "option 03 reads 9 but its bytes hold 10"},
        {head + bytes + "option 40 0\nend\n", "bad option line"},
        {"panel-options snapshot 1\n" + bytes + "end\n", "no model line"},
        {head + "model RF-OPT-1\nend\n", "a second or empty model line"},
        {head + bytes + "colour blue\nend\n", "unknown line \"colour blue\""},
        {head + bytes + "end\noption 03 10\n", "text after the end line"},
    };
    for (const auto &[text, reason] : cases) {
        SCOPED_TRACE(text);
        expect_refused({"restore", file("damaged.txt", text)}, 1, std::string("damaged snapshot: ") + reason);
    }
    expect_refused({"restore", dir_.path() + "/missing.txt"}, 1, "cannot read");
    expect_refused({"restore"}, 2, "restore takes one FILE");
    expect_refused({"save"}, 2, "save takes one FILE");
    expect_refused({"save", dir_.path() + "/no/such/dir/snap.txt"}, 1, "cannot write");
}
