/*
 * The platform log: line format, tags, return values, and the priority
 * filter of PANEL_LOG_LEVEL in fresh processes (dlog_probe).
 */
#include <dlog.h>
#include <dlog_capture.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <cstring>

// The tests run with PANEL_LOG_LEVEL=D (debug and up).
TEST(Dlog, LineFormatReturnValuesAndCapture)
{
    dlog_print(DLOG_ERROR, "T", "before start");
    dlog_capture_start();
    EXPECT_EQ(dlog_print(DLOG_DEBUG, "TAG", "msg %d", 5), 5);
    EXPECT_EQ(__dlog_print(LOG_ID_MAIN, DLOG_INFO, "app", "%s: %s(%d) > START", "a.cpp", "f", 7),
              int(std::strlen("a.cpp: f(7) > START")));
    __dlog_print(LOG_ID_SYSTEM, DLOG_WARN, nullptr, "no tag");
    __dlog_print(LOG_ID_APPS, DLOG_ERROR, "", "empty tag");
    dlog_print(DLOG_DEFAULT, "DEF", "default is info");
    std::string big(100000, 'a');
    EXPECT_EQ(dlog_print(DLOG_FATAL, "F", "%s END", big.c_str()), int(big.size() + 4));
    // Bad priorities, no format and lines below the level give negative values.
    const char *no_format = nullptr;
    for (int prio : {int(DLOG_UNKNOWN), int(DLOG_SILENT), 99, -3, int(DLOG_VERBOSE)})
        EXPECT_LT(__dlog_print(LOG_ID_MAIN, prio, "T", "x"), 0) << prio;
    EXPECT_LT(dlog_print(DLOG_ERROR, "T", no_format), 0);
    dlog_capture_stop();
    dlog_print(DLOG_ERROR, "T", "after stop");

    ASSERT_EQ(dlog_capture_count(), 6);
    EXPECT_STREQ(dlog_capture_line(0), "D/TAG: msg 5");
    EXPECT_STREQ(dlog_capture_line(1), "I/app: a.cpp: f(7) > START");
    EXPECT_STREQ(dlog_capture_line(2), "W/-: no tag");
    EXPECT_STREQ(dlog_capture_line(3), "E/-: empty tag");
    EXPECT_STREQ(dlog_capture_line(4), "I/DEF: default is info");
    EXPECT_EQ(dlog_capture_line(5), "F/F: " + big + " END");
    EXPECT_EQ(dlog_capture_line(6), nullptr);
}

TEST(Dlog, AMessageIsOneLineWhateverItHolds)
{
    // Control characters escaped, the closing line end the line's own, UTF-8 kept.
    ::setenv("PANEL_LOG_LEVEL", "D", 1);
    auto r = test_support::run({DLOG_PROBE_PATH, "a\nE/VCONF: forged\r\x1b[2J\tb \xea\xb0\x80\n"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "D/PROBE: a\\nE/VCONF: forged\\r\\x1B[2J\tb \xea\xb0\x80\n");
}

TEST(Dlog, LevelFromTheEnvironmentDropsLowerPriorities)
{
    // The level setting ("" as none) and the lowest priority then written.
    const std::pair<const char *, int> cases[] = {{"", 2}, {"W", 5}, {"e", 6}, {"3", 3}, {"7", 7}, {"X", 2}};
    for (auto [level, lowest] : cases) {
        ::setenv("PANEL_LOG_LEVEL", level, 1);
        std::string expected = level == std::string("X")
            ? "W/DLOG: PANEL_LOG_LEVEL=\"X\" is not one of V D I W E F or 2..7; ignored\n" : "";
        for (int prio = lowest; prio <= DLOG_FATAL; ++prio)
            expected += std::string(1, "??VDIWEF"[prio]) + "/PROBE: p" + std::to_string(prio) + "\n";
        auto r = test_support::run({DLOG_PROBE_PATH});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, expected) << "PANEL_LOG_LEVEL=" << level;
    }
}
