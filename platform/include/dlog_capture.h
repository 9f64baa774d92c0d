/*
 * In-process capture of platform log lines, for tests. While capturing,
 * every line that passes the priority filter is also kept in memory, in the
 * "P/TAG: MESSAGE" form (without line end).
 */
#ifndef PANEL_DLOG_CAPTURE_H
#define PANEL_DLOG_CAPTURE_H

#ifdef __cplusplus
extern "C" {
#endif

void dlog_capture_start(void);
void dlog_capture_stop(void);
void dlog_capture_clear(void);
/* Number of captured lines and line i (NULL when out of range). The text
 * stays valid until the next clear/start or log call. */
int dlog_capture_count(void);
const char *dlog_capture_line(int i);
/* 1 when a captured line contains the text. */
int dlog_capture_contains(const char *text);

#ifdef __cplusplus
}
#endif

#endif
