/*
 * Helper program of the log tests: logs through the platform log in a fresh
 * process, so that PANEL_LOG_LEVEL is read as a program reads it at start.
 *
 *   dlog_probe levels        one line per priority 2..7 (message "pN"), then
 *                            one with a NULL and one with an empty tag;
 *                            prints each return value on standard output
 *   dlog_probe threads N M   N threads log M lines of about 1000 bytes each
 */
#include <dlog.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "levels") == 0) {
        for (int prio = DLOG_VERBOSE; prio <= DLOG_FATAL; ++prio)
            std::printf("%d\n", __dlog_print(LOG_ID_MAIN, prio, "PROBE", "p%d", prio));
        std::printf("%d\n", __dlog_print(LOG_ID_MAIN, DLOG_ERROR, nullptr, "null tag"));
        std::printf("%d\n", dlog_print(DLOG_ERROR, "", "empty tag"));
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "threads") == 0) {
        int threads = std::atoi(argv[2]);
        int lines = std::atoi(argv[3]);
        std::string filler(1000, 'x');
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t)
            pool.emplace_back([t, lines, &filler] {
                for (int i = 0; i < lines; ++i)
                    dlog_print(DLOG_INFO, "T", "%d %d %s end", t, i, filler.c_str());
            });
        for (std::thread &th : pool)
            th.join();
        return 0;
    }
    std::fprintf(stderr, "usage: dlog_probe levels | threads N M\n");
    return 2;
}
