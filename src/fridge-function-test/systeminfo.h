/*
 * System information and model option screens.
 */
#ifndef EM_SYSTEMINFO_H
#define EM_SYSTEMINFO_H

#include <Elementary.h>

void init_systeminfo(void);
void init_modeloption(void);
int is_working_modeloption(void);
void stop_modeloption(void);
void delete_modeloption(void);

void _btn_systeminfo_cb(void *data, Evas_Object *obj, void *event_info);
void _btn_modeloption_cb(void *data, Evas_Object *obj, void *event_info);
Eina_Bool _timer1_modeloption_cb(void *data);

#endif
