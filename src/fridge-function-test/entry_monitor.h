/*
 * Log box of the refrigerator test view.
 */
#ifndef EM_ENTRY_MONITOR_H
#define EM_ENTRY_MONITOR_H

#include <Elementary.h>

/* 1 when built, 255 when the window has no canvas. */
int entry_monitor_create(void);
void entry_monitor_show(void);
/* clear 1 empties the box first; every call starts a new line ("<br>"). */
void append_entry_data(const char *text, int clear);
void append_entry_data_no_br(const char *text);
void delete_logbox(void);

/* For tests: the entry (NULL when none) and the bound file name. */
Evas_Object *entry_monitor_get_entry(void);
const char *entry_monitor_file_name(void);

#endif
