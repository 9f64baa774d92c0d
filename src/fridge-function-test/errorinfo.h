/*
 * Self diagnosis and error history screens.
 */
#ifndef EM_ERRORINFO_H
#define EM_ERRORINFO_H

#include <Elementary.h>

void init_selfdiagnosis(void);
void init_errorhistory(void);
int is_working_selfdiagnosis(void);
void stop_selfdiagnosis(void);
int is_working_errorHistory(void);
void stop_errorHistory(void);
void delete_selfdiagnosis(void);

void _btn_selfdiagnosis_cb(void *data, Evas_Object *obj, void *event_info);
Eina_Bool _timer1_selfdiagnosis_cb(void *data);
void _btn_errorhistory_cb(void *data, Evas_Object *obj, void *event_info);
Eina_Bool _timer1_errorHistory_cb(void *data);
void _selfdiagnosis_db_read(void);

#endif
