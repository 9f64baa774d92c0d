/*
 * Helper program of the log tests: logs one line "pN" per priority 2..7
 * through the platform log in a fresh process, so that PANEL_LOG_LEVEL is
 * read as a program reads it at start; with an argument, logs only that
 * text as one debug message.
 */
#include <dlog.h>

int main(int argc, char **argv)
{
    if (argc > 1) {
        __dlog_print(LOG_ID_MAIN, DLOG_DEBUG, "PROBE", "%s", argv[1]);
        return 0;
    }
    for (int prio = DLOG_VERBOSE; prio <= DLOG_FATAL; ++prio)
        __dlog_print(LOG_ID_MAIN, prio, "PROBE", "p%d", prio);
    return 0;
}
