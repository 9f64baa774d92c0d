/*
 * The application utility library with a real companion: whether an
 * application runs, bringing one to the front, launching one.
 */
#include <app_control.h>
#include <aul.h>
#include <vconf_store.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using test_support::PlatformDir;

namespace {

const char COMPANION_ID[] = "org.fridge.panelfunctiontest";

void write_pid_file(const PlatformDir &dir, const std::string &id, int pid)
{
    std::filesystem::create_directories(dir.path() + "/run/apps");
    std::ofstream(dir.path() + "/run/apps/" + id + ".pid") << pid << "\n";
}

bool eventually(double seconds, const std::function<bool()> &done)
{
    for (double deadline = test_support::now() + seconds; !done(); usleep(20000))
        if (test_support::now() > deadline)
            return false;
    return true;
}

}  // namespace

TEST(Aul, RunningFollowsTheRecordAndItsProcess)
{
    PlatformDir dir;
    for (const char *bad : {(const char *)nullptr, "", "../x", ".hidden", "a/b"}) {
        EXPECT_EQ(aul_app_is_running(bad), 0);
        EXPECT_EQ(aul_open_app(bad), AUL_R_EINVAL);
    }
    EXPECT_EQ(aul_app_is_running("org.none"), 0);
    EXPECT_EQ(aul_open_app("org.none"), AUL_R_ERROR) << "nothing registered to launch";

    write_pid_file(dir, "org.self", getpid());
    EXPECT_EQ(aul_app_is_running("org.self"), 1);
    // A record whose process has ended.
    pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    write_pid_file(dir, "org.gone", child);
    EXPECT_EQ(aul_app_is_running("org.gone"), 0);
}

TEST(Aul, RunningCompanionComesToTheFrontWithoutASecondInstance)
{
    PlatformDir dir;
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // the toolkit's caches at exit
    test_support::Child companion({PANEL_TEST_COMPANION});
    auto logged = [&companion](const std::string &text) {
        return eventually(15, [&] { return companion.err().find(text) != std::string::npos; });
    };
    ASSERT_TRUE(logged("started")) << companion.err();
    ASSERT_EQ(aul_app_is_running(COMPANION_ID), 1);
    std::string pid_file = test_support::read_file(dir.path() + "/run/apps/" + COMPANION_ID + ".pid");

    int pid = aul_open_app(COMPANION_ID);
    EXPECT_EQ(std::to_string(pid) + "\n", pid_file);
    ASSERT_TRUE(logged("I/APP_FW: " + std::string(COMPANION_ID) + " brought to the front")) << companion.err();

    // A launch request while it runs reaches the running instance.
    app_control_h request = nullptr;
    ASSERT_EQ(app_control_create(&request), APP_CONTROL_ERROR_NONE);
    app_control_set_app_id(request, COMPANION_ID);
    EXPECT_EQ(app_control_send_launch_request(request, nullptr, nullptr), APP_CONTROL_ERROR_NONE);
    app_control_destroy(request);
    ASSERT_TRUE(logged("asked to launch again")) << companion.err();
    EXPECT_EQ(test_support::read_file(dir.path() + "/run/apps/" + COMPANION_ID + ".pid"), pid_file);

    EXPECT_EQ(companion.stop(SIGTERM), 0);
    EXPECT_EQ(aul_app_is_running(COMPANION_ID), 0);
}

TEST(Aul, OpeningAnApplicationThatDoesNotRunLaunchesIt)
{
    PlatformDir dir;
    std::filesystem::create_directories(dir.path() + "/apps");
    std::string exe = dir.path() + "/apps/org.sleeper";
    std::ofstream(exe) << "#!/bin/sh\necho \"$@\" > \"$0.args\"\nexec sleep 30\n";
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);

    int pid = aul_open_app("org.sleeper");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(aul_app_is_running("org.sleeper"), 1);
    eventually(5, [&] { return !test_support::read_file(exe + ".args").empty(); });
    EXPECT_EQ(test_support::read_file(exe + ".args"),
              std::string("--operation ") + APP_CONTROL_OPERATION_DEFAULT + "\n");
    kill(pid, SIGTERM);
    EXPECT_TRUE(eventually(10, [] { return aul_app_is_running("org.sleeper") == 0; }));
}
