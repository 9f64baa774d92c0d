/*
 * Load status screen.
 */
#ifndef EM_LOADSTATUS_H
#define EM_LOADSTATUS_H

#include <Elementary.h>

void init_loadstatus(void);
int is_working_loadstatus(void);
void stop_loadstatus(void);
void delete_loadstatus(void);

void _btn_loadstatus_cb(void *data, Evas_Object *obj, void *event_info);
Eina_Bool _timer1_loadstatus_cb(void *data);
void _loadStatus_db_read(void);

#endif
