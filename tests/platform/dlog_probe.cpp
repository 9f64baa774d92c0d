/*
 * Helper program of the log tests: logs one line "pN" per priority 2..7
 * through the platform log in a fresh process, so that PANEL_LOG_LEVEL is
 * read as a program reads it at start.
 */
#include <dlog.h>

int main()
{
    for (int prio = DLOG_VERBOSE; prio <= DLOG_FATAL; ++prio)
        __dlog_print(LOG_ID_MAIN, prio, "PROBE", "p%d", prio);
    return 0;
}
