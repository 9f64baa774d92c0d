/*
 * Platform log (desktop stand-in).
 *
 * Every line goes to standard error as "P/TAG: MESSAGE", P being the
 * priority letter (V D I W E F) and TAG the tag, or "-" when none.
 * PANEL_LOG_LEVEL (a letter or a number 2..7) sets the lowest priority
 * written; the default writes everything from verbose up.
 */
#ifndef PANEL_DLOG_H
#define PANEL_DLOG_H

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    DLOG_UNKNOWN = 0,
    DLOG_DEFAULT,
    DLOG_VERBOSE,
    DLOG_DEBUG,
    DLOG_INFO,
    DLOG_WARN,
    DLOG_ERROR,
    DLOG_FATAL,
    DLOG_SILENT,
    DLOG_PRIO_MAX
} log_priority;

typedef enum {
    LOG_ID_MAIN = 0,
    LOG_ID_RADIO,
    LOG_ID_SYSTEM,
    LOG_ID_APPS,
    LOG_ID_MAX
} log_id_t;

/* Returns the number of bytes of the message, or a negative value when the
 * priority is filtered out or the arguments are invalid. */
int __dlog_print(log_id_t log_id, int prio, const char *tag, const char *fmt, ...)
    __attribute__((format(printf, 4, 5)));

int dlog_print(log_priority prio, const char *tag, const char *fmt, ...)
    __attribute__((format(printf, 3, 4)));

#ifdef __cplusplus
}
#endif

#endif
