/*
 * Control option screen and its option data.
 */
#ifndef EM_CONTROLOPTION_H
#define EM_CONTROLOPTION_H

#include <Elementary.h>

/* Builds the button, reads the developer value and the option table; called
 * when the test view is built. */
void init_controloption(void);
/* True (1) while the save series or the refresh is pending. */
int is_working_controloption(void);
/* delete_controloption, then the view is unblocked. */
void stop_controloption(void);
/* Cancels the refresh and the save series; touches no widget. */
void delete_controloption(void);

void _btn_controloption_cb(void *data, Evas_Object *obj, void *event_info);
/* Tick of the 0.1 s save series; ends the timer after "SET_OPTION_13". */
Eina_Bool onOptionSavedCb(void *data);
/* The one-shot refresh: unblocks, re-reads the keys, shows the micom's
 * values. */
Eina_Bool onOptionAllSavedCb(void *data);

/* Re-reads the option table and count; 0 in every case. */
int _controloption_db_read(void);
/* Reads the 13 keys into the saved copy and copies it to the working one.
 * An unreadable key keeps its byte as last read (0 before any read). */
void _read_option_vconf(void);
/* Value of option n in the saved / working copy; 255 for n outside 0 to 36. */
int _get_saved_option_value(int n);
int _get_changing_option_value(int n);
/* Stores the low (width) bits of value in option n of the working copy;
 * nothing for n outside 0 to 36. */
void _set_changing_option_value(int n, int value);
/* The reports of the saved (micom's) and the working values in the log box. */
void _display_saved_option_value(void);
void _display_changing_option_value(void);

#endif
