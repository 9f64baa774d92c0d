/*
 * The notification library: one escaped, time-stamped line per status
 * message, whole lines from several processes, clear failures.
 */
#include <notification.h>
#include <dlog_capture.h>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "test_support.h"

using test_support::PlatformDir;
using test_support::read_file;

namespace {

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

TEST(Notification, EachMessageIsOneTimeStampedEscapedLineAndALogLine)
{
    PlatformDir dir;
    dlog_capture_start();
    EXPECT_EQ(notification_status_message_post("Failed to set x"), NOTIFICATION_ERROR_NONE);
    EXPECT_EQ(notification_status_message_post("two\nlines, a \\ and\r<b>&</b>"),
              NOTIFICATION_ERROR_NONE);
    EXPECT_EQ(notification_status_message_post(""), NOTIFICATION_ERROR_NONE);
    dlog_capture_stop();

    std::vector<std::string> lines = lines_of(read_file(dir.path() + "/notifications"));
    ASSERT_EQ(lines.size(), 3u);
    const std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} status (.*))");
    const char *expected[] = {"Failed to set x", "two\\nlines, a \\\\ and\\r<b>&</b>", ""};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, stamp)) << lines[i];
        EXPECT_EQ(m[1].str(), expected[i]);
    }
    EXPECT_TRUE(dlog_capture_contains("I/NOTIFICATION: status message: Failed to set x"));
}

TEST(Notification, LinesOfSeveralProcessesStayWhole)
{
    PlatformDir dir;
    constexpr int processes = 4, posts = 200;
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::string text = "process " + std::to_string(p) + " " + std::string(300, 'x');
            for (int i = 0; i < posts; ++i)
                if (notification_status_message_post(text.c_str()) != NOTIFICATION_ERROR_NONE)
                    _exit(1);
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<std::string> lines = lines_of(read_file(dir.path() + "/notifications"));
    ASSERT_EQ(lines.size(), std::size_t(processes * posts));
    const std::regex whole(R"(\S+ \S+ status process \d x{300})");
    for (const std::string &line : lines)
        ASSERT_TRUE(std::regex_match(line, whole)) << line;
}

TEST(Notification, NoMessageOrNoRecordFailsClearly)
{
    PlatformDir dir;
    dlog_capture_start();
    EXPECT_EQ(notification_status_message_post(nullptr), NOTIFICATION_ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/notifications"));
    EXPECT_TRUE(dlog_capture_contains("E/NOTIFICATION: notification_status_message_post: no message"));

    // A directory in the record's place: the post fails, the log still has it.
    std::filesystem::create_directory(dir.path() + "/notifications");
    EXPECT_EQ(notification_status_message_post("still logged"), NOTIFICATION_ERROR_IO_ERROR);
    dlog_capture_stop();
    EXPECT_TRUE(dlog_capture_contains("E/NOTIFICATION: cannot open "));
    EXPECT_TRUE(dlog_capture_contains("I/NOTIFICATION: status message: still logged"));
}
