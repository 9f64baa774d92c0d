/*
 * The main menu's own actions: the system-information popup (last lines of
 * the system files, shown as they stand; the micom version from the key,
 * else the device, else 1) and the launches of the panel-function-test
 * application (brought to the front when it runs) and the firmware-update
 * client, with the real companion programs.
 */
#include <aul.h>
#include <dlog_capture.h>
#include <vconf.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "app_base_view.h"
#include "fixture.h"
#include "micom_channel.h"

namespace {

const char PANEL_TEST_ID[] = EM_PANEL_TEST_APP_ID;
const char FIRMWARE_ID[] = EM_FIRMWARE_UPDATE_APP_ID;

class MenuActionsTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        root_ = dir_ + "/system";
        setenv("ENGINEER_MODE_SYSTEM_ROOT", root_.c_str(), 1);
        /* Companions launched by a test inherit the environment; the
         * toolkit's caches at their exit are no leak of ours. */
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    }
    void TearDown() override
    {
        for (const char *id : {PANEL_TEST_ID, FIRMWARE_ID})
            if (int pid = recorded_pid(id); pid > 0 && aul_app_is_running(id))
                kill(pid, SIGTERM);
        unsetenv("ENGINEER_MODE_SYSTEM_ROOT");
        AppTest::TearDown();
    }

    void write_file(const std::string &path, const std::string &text)
    {
        std::filesystem::create_directories(std::filesystem::path(root_ + path).parent_path());
        std::ofstream(root_ + path) << text;
    }

    /* Selects a main-menu entry by a real click on its row. */
    void choose(int index)
    {
        Evas_Object *menu = elm_object_item_content_get(elm_naviframe_top_item_get(ad_->nf));
        auto *item = static_cast<Elm_Object_Item *>(eina_list_nth(elm_list_items_get(menu), index));
        click(elm_list_item_object_get(item));
        run_loop(0.1);
    }

    /* Opens the system-information popup and returns its text; closes it
     * with its OK button. */
    std::string system_information()
    {
        choose(0);
        std::vector<Evas_Object *> shown = visible_popups();
        if (shown.size() != 1) {
            ADD_FAILURE() << shown.size() << " popups";
            return "";
        }
        EXPECT_STREQ(elm_object_part_text_get(shown[0], "title,text"),
                     dcgettext(nullptr, "REFLCD_NV2_EM_SYSTEM_INFORMATION", LC_MESSAGES));
        std::string text = elm_object_text_get(shown[0]);
        Evas_Object *ok = elm_object_part_content_get(shown[0], "button1");
        EXPECT_STREQ(elm_object_text_get(ok), "OK");
        EXPECT_STREQ(elm_object_style_get(ok), "bottom");
        click(ok);
        run_loop(0.1);
        EXPECT_TRUE(visible_popups().empty()) << "OK leaves the popup";
        return text;
    }

    int recorded_pid(const char *id) const
    {
        int pid = 0;
        std::ifstream(dir_ + "/platform/run/apps/" + id + ".pid") >> pid;
        return pid;
    }

    void register_app(const char *id, const char *exe)
    {
        std::filesystem::create_directories(dir_ + "/platform/apps");
        std::filesystem::create_symlink(exe, dir_ + "/platform/apps/" + id);
    }

    std::string root_;
};

std::string popup_text(const std::string &release, const std::string &version,
                       const std::string &bsp, int micom)
{
    return "<font_size=33><br> Kernel Version<br> - Linux " + release + " " + version +
           "<br><br> BSP Version<br> - " + bsp + "<br><br> Micom Version<br> - " +
           std::to_string(micom) + "</font_size>";
}

}  // namespace

TEST_F(MenuActionsTest, SystemInformationShowsLastLinesAsTheyStandAndTheMicomVersionItFinds)
{
    set_int(VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION, 37);
    set_int("db/device/micom_version", 12);
    // No system files at all: empty texts, the popup still shows.
    EXPECT_EQ(system_information(), popup_text("", "", "", 37));
    EXPECT_TRUE(logged("cannot open " + root_ + "/etc/bsp_version"));

    // Only the last line, with its line end; file texts never become markup.
    write_file("/proc/sys/kernel/osrelease", "6.1.0-panel\n");
    write_file("/proc/sys/kernel/version", "#1 SMP <b>&more\n");
    write_file("/etc/bsp_version", "BSP 1.0\nBSP 1.1\nBSP 2.0 <final>\n");
    std::string expected = popup_text("6.1.0-panel\n", "#1 SMP &lt;b&gt;&amp;more\n",
                                      "BSP 2.0 &lt;final&gt;\n", 37);
    EXPECT_EQ(system_information(), expected);
    EXPECT_TRUE(logged("system information: " + expected));

    // A line longer than the 299-character buffer: its last piece is what
    // the buffer holds at the end. The micom version from the key, else the
    // device, else 1.
    write_file("/etc/bsp_version", std::string(299, 'a') + "tail\n");
    auto shown = [](int micom) {
        return popup_text("6.1.0-panel\n", "#1 SMP &lt;b&gt;&amp;more\n", "tail\n", micom);
    };
    EXPECT_EQ(system_information(), shown(37));
    ASSERT_EQ(vconf_unset(VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION), 0);
    EXPECT_EQ(system_information(), shown(12));
    set_int("memory/device/fail/device_get_micom_version", -1);
    EXPECT_EQ(system_information(), shown(1));
}

TEST_F(MenuActionsTest, RunningPanelFunctionTestIsBroughtToTheFront)
{
    register_app(PANEL_TEST_ID, PANEL_TEST_COMPANION);
    EXPECT_EQ(launch_alt_app(nullptr), 0);
    EXPECT_EQ(launch_alt_app(""), 0);
    EXPECT_EQ(log_count("launch app error"), 2);

    // Not running: launched, and it stays (it is the one recorded instance).
    // What the companion logs goes to the standard error it inherits.
    std::string companion_log = dir_ + "/companion.log";
    int saved_stderr = dup(STDERR_FILENO);
    FILE *log = fopen(companion_log.c_str(), "w");
    ASSERT_NE(log, nullptr);
    dup2(fileno(log), STDERR_FILENO);
    choose(1);
    dup2(saved_stderr, STDERR_FILENO);
    close(saved_stderr);
    fclose(log);
    auto companion_said = [&](const std::string &text) {
        std::ifstream in(companion_log);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return all.find(text) != std::string::npos;
    };
    auto wait_companion = [&](const std::string &text) {
        for (int i = 0; i < 100 && !companion_said(text); ++i)
            run_loop(0.1);
        return companion_said(text);
    };
    EXPECT_TRUE(logged("app is no running: 0"));
    int pid = recorded_pid(PANEL_TEST_ID);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(wait_companion(std::string(PANEL_TEST_ID) + " started"));
    EXPECT_EQ(aul_app_is_running(PANEL_TEST_ID), 1) << "the launched application ended";

    // Running: brought to the front; no second launch.
    clear_log();
    choose(1);
    EXPECT_TRUE(logged("app is running: 1"));
    EXPECT_FALSE(logged("launched " + std::string(PANEL_TEST_ID)));
    EXPECT_EQ(recorded_pid(PANEL_TEST_ID), pid);
    EXPECT_TRUE(wait_companion(std::string(PANEL_TEST_ID) + " in front (1)"));
    run_loop(0.3);  // time for a second instance to hand its request over
    EXPECT_FALSE(companion_said("asked to launch again"));
}

TEST_F(MenuActionsTest, FileTransferLaunchesTheFirmwareUpdateClient)
{
    choose(5);  // nothing registered: every failure is logged, nothing shown
    EXPECT_TRUE(logged("app_control_send_launch_request failed"));
    EXPECT_TRUE(visible_popups().empty());

    register_app(FIRMWARE_ID, FIRMWARE_COMPANION);
    clear_log();
    choose(5);
    EXPECT_FALSE(logged("failed"));
    run_loop(1.0);
    EXPECT_EQ(aul_app_is_running(FIRMWARE_ID), 1);
}
