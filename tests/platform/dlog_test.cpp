/*
 * Tests of the platform log: line format, tags, return values, long
 * messages, the priority filter from PANEL_LOG_LEVEL (in fresh processes
 * through dlog_probe) and the in-process capture under several threads.
 */
#include <dlog.h>
#include <dlog_capture.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using test_support::run;

namespace {

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

test_support::RunResult run_probe(const char *level, std::vector<std::string> args)
{
    if (level != nullptr)
        ::setenv("PANEL_LOG_LEVEL", level, 1);
    else
        ::unsetenv("PANEL_LOG_LEVEL");
    args.insert(args.begin(), DLOG_PROBE_PATH);
    return run(args);
}

}  // namespace

// The tests run with PANEL_LOG_LEVEL=D (debug and up).
TEST(DlogFormat, LineHasLetterTagAndMessageAndReturnsMessageLength)
{
    dlog_capture_start();
    EXPECT_EQ(dlog_print(DLOG_DEBUG, "TAG", "msg %d", 5), 5);
    EXPECT_EQ(__dlog_print(LOG_ID_MAIN, DLOG_INFO, "app", "%s: %s(%d) > START", "a.cpp", "f", 7),
              int(std::strlen("a.cpp: f(7) > START")));
    __dlog_print(LOG_ID_SYSTEM, DLOG_WARN, "W", "w");
    __dlog_print(LOG_ID_APPS, DLOG_ERROR, "E", "e");
    __dlog_print(LOG_ID_MAIN, DLOG_FATAL, "F", "f");
    dlog_print(DLOG_DEFAULT, "DEF", "default is info");
    ASSERT_EQ(dlog_capture_count(), 6);
    EXPECT_STREQ(dlog_capture_line(0), "D/TAG: msg 5");
    EXPECT_STREQ(dlog_capture_line(1), "I/app: a.cpp: f(7) > START");
    EXPECT_STREQ(dlog_capture_line(2), "W/W: w");
    EXPECT_STREQ(dlog_capture_line(3), "E/E: e");
    EXPECT_STREQ(dlog_capture_line(4), "F/F: f");
    EXPECT_STREQ(dlog_capture_line(5), "I/DEF: default is info");
    EXPECT_EQ(dlog_capture_line(6), nullptr);
    EXPECT_EQ(dlog_capture_line(-1), nullptr);
}

TEST(DlogFormat, MissingTagIsADash)
{
    dlog_capture_start();
    __dlog_print(LOG_ID_MAIN, DLOG_ERROR, nullptr, "no tag");
    dlog_print(DLOG_ERROR, "", "empty tag");
    ASSERT_EQ(dlog_capture_count(), 2);
    EXPECT_STREQ(dlog_capture_line(0), "E/-: no tag");
    EXPECT_STREQ(dlog_capture_line(1), "E/-: empty tag");
}

TEST(DlogFormat, InvalidArgumentsAndFilteredLinesReturnNegative)
{
    dlog_capture_start();
    EXPECT_LT(__dlog_print(LOG_ID_MAIN, DLOG_UNKNOWN, "T", "x"), 0);
    EXPECT_LT(__dlog_print(LOG_ID_MAIN, DLOG_SILENT, "T", "x"), 0);
    EXPECT_LT(__dlog_print(LOG_ID_MAIN, 99, "T", "x"), 0);
    EXPECT_LT(__dlog_print(LOG_ID_MAIN, -3, "T", "x"), 0);
    const char *no_format = nullptr;
    EXPECT_LT(dlog_print(DLOG_ERROR, "T", no_format), 0);
    EXPECT_LT(dlog_print(DLOG_VERBOSE, "T", "below the debug level"), 0);
    EXPECT_EQ(dlog_capture_count(), 0);
}

TEST(DlogFormat, LongMessageIsNotCut)
{
    std::string big(100000, 'a');
    big += "END";
    dlog_capture_start();
    EXPECT_EQ(dlog_print(DLOG_INFO, "T", "%s", big.c_str()), int(big.size()));
    ASSERT_EQ(dlog_capture_count(), 1);
    EXPECT_EQ(std::string(dlog_capture_line(0)), "I/T: " + big);
}

TEST(DlogCapture, StartClearsStopKeepsAndContainsFinds)
{
    dlog_print(DLOG_ERROR, "T", "before start");
    dlog_capture_start();
    EXPECT_EQ(dlog_capture_count(), 0);
    dlog_print(DLOG_ERROR, "T", "first");
    dlog_print(DLOG_ERROR, "T", "second");
    dlog_capture_stop();
    dlog_print(DLOG_ERROR, "T", "after stop");
    EXPECT_EQ(dlog_capture_count(), 2);
    EXPECT_TRUE(dlog_capture_contains("E/T: sec"));
    EXPECT_FALSE(dlog_capture_contains("after stop"));
    EXPECT_FALSE(dlog_capture_contains("before start"));
    EXPECT_FALSE(dlog_capture_contains(nullptr));
    dlog_capture_clear();
    EXPECT_EQ(dlog_capture_count(), 0);
    dlog_capture_start();
    dlog_print(DLOG_ERROR, "T", "again");
    EXPECT_EQ(dlog_capture_count(), 1);
    dlog_capture_stop();
}

TEST(DlogCapture, ThreadsLoseNoLine)
{
    constexpr int kThreads = 4;
    constexpr int kLines = 500;
    dlog_capture_start();
    std::vector<std::thread> pool;
    for (int t = 0; t < kThreads; ++t)
        pool.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                dlog_print(DLOG_DEBUG, "thr", "t%d line %d", t, i);
        });
    for (std::thread &th : pool)
        th.join();
    dlog_capture_stop();
    ASSERT_EQ(dlog_capture_count(), kThreads * kLines);
    std::vector<int> next(kThreads, 0);
    std::regex form(R"(D/thr: t(\d) line (\d+))");
    for (int i = 0; i < dlog_capture_count(); ++i) {
        std::cmatch m;
        ASSERT_TRUE(std::regex_match(dlog_capture_line(i), m, form)) << dlog_capture_line(i);
        int t = std::stoi(m[1]);
        EXPECT_EQ(std::stoi(m[2]), next[t]++) << "lines of one thread out of order";
    }
}

TEST(DlogStderr, EveryPriorityWithoutLevelSetting)
{
    auto r = run_probe(nullptr, {"levels"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "V/PROBE: p2\nD/PROBE: p3\nI/PROBE: p4\nW/PROBE: p5\nE/PROBE: p6\n"
                     "F/PROBE: p7\nE/-: null tag\nE/-: empty tag\n");
    EXPECT_EQ(r.out, "2\n2\n2\n2\n2\n2\n8\n9\n");
}

TEST(DlogStderr, LevelLetterDropsLowerPriorities)
{
    auto r = run_probe("W", {"levels"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "W/PROBE: p5\nE/PROBE: p6\nF/PROBE: p7\nE/-: null tag\nE/-: empty tag\n");
    auto rc = lines_of(r.out);
    ASSERT_EQ(rc.size(), 8u);
    for (int i = 0; i < 3; ++i)
        EXPECT_LT(std::stoi(rc[i]), 0) << "priority " << i + 2 << " should be filtered";
    EXPECT_EQ(std::stoi(rc[3]), 2);
}

TEST(DlogStderr, LevelAcceptsLowerCaseAndNumbers)
{
    EXPECT_EQ(run_probe("e", {"levels"}).err,
              "E/PROBE: p6\nF/PROBE: p7\nE/-: null tag\nE/-: empty tag\n");
    EXPECT_EQ(run_probe("7", {"levels"}).err, "F/PROBE: p7\n");
    EXPECT_EQ(run_probe("3", {"levels"}).err.substr(0, 12), "D/PROBE: p3\n");
}

TEST(DlogStderr, InvalidLevelWarnsOnceAndFiltersNothing)
{
    for (const char *bad : {"X", "9", "debug", "1"}) {
        auto r = run_probe(bad, {"levels"});
        auto lines = lines_of(r.err);
        ASSERT_EQ(lines.size(), 9u) << bad;
        EXPECT_NE(lines[0].find("W/DLOG: PANEL_LOG_LEVEL"), std::string::npos) << lines[0];
        EXPECT_EQ(lines[1], "V/PROBE: p2");
    }
}

TEST(DlogStderr, LinesOfThreadsDoNotInterleave)
{
    constexpr int kThreads = 4, kLines = 200;
    auto r = run_probe("I", {"threads", std::to_string(kThreads), std::to_string(kLines)});
    ASSERT_EQ(r.status, 0);
    auto lines = lines_of(r.err);
    ASSERT_EQ(lines.size(), size_t(kThreads * kLines));
    std::regex form(R"(I/T: \d \d+ x{1000} end)");
    for (const std::string &line : lines)
        ASSERT_TRUE(std::regex_match(line, form)) << line.substr(0, 80);
}
