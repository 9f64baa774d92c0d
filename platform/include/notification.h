/*
 * Notification library of the panel platform (desktop stand-in): status
 * messages, the short texts the panel shows for a moment over whatever is
 * on screen.
 *
 * notification_status_message_post() records the message, logs it and shows
 * it: one line is appended to DIR/notifications (DIR the platform directory
 * of the key store), one information line "I/NOTIFICATION: status message:
 * MESSAGE" goes to the log (standard error), and in a process that runs
 * Elementary on its main loop the message appears as a toast near the bottom
 * of its window for three seconds.
 *
 * Record line: "YYYY-MM-DD HH:MM:SS.mmm status MESSAGE", local time; in the
 * message a backslash is written as "\\", a line feed as "\n" and a carriage
 * return as "\r", so that every message is exactly one line. Each line is
 * appended with one write to a file opened for appending: lines of several
 * processes never interleave. The file grows until someone removes it.
 */
#ifndef PANEL_NOTIFICATION_H
#define PANEL_NOTIFICATION_H

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    NOTIFICATION_ERROR_NONE = 0,
    NOTIFICATION_ERROR_INVALID_PARAMETER = -22,
    NOTIFICATION_ERROR_IO_ERROR = -5,
} notification_error_e;

/* Posts a status message. Returns NOTIFICATION_ERROR_NONE;
 * NOTIFICATION_ERROR_INVALID_PARAMETER for NULL (logged, nothing shown);
 * NOTIFICATION_ERROR_IO_ERROR when the record could not be written (logged
 * with the reason; the message is still logged and shown). */
int notification_status_message_post(const char *message);

#ifdef __cplusplus
}
#endif

#endif
