/*
 * Application record, lifecycle callbacks, layout loading and mode switching.
 */
#ifndef EM_MAIN_H
#define EM_MAIN_H

#include <Elementary.h>
#include <app.h>

#include "static/static_ip_data.h"

struct appdata {
    const char *name;
    Evas_Object *win;
    Evas_Object *bg;
    Evas_Object *conform;
    Evas_Object *layout;
    Evas_Object *edje;
    Evas_Object *block_edje;
    Evas_Object *nf;
    Evas_Object *setting_list;
    int fridgeLaunchFlag;
    static_ip_appdata static_ip;
};
typedef struct appdata appdata_s;

/* The one record of the process (handed to the lifecycle callbacks). */
appdata_s *appdata_instance(void);

Evas_Object *appdata_get_win(void);
Evas_Object *appdata_get_bg(void);
void appdata_set_conform(Evas_Object *conform);
Evas_Object *appdata_get_layout(void);
void appdata_set_layout(Evas_Object *layout);
Evas_Object *appdata_get_edje(void);
void appdata_set_edje(Evas_Object *edje);
Evas_Object *appdata_get_block_edje(void);
void appdata_set_block_edje(Evas_Object *block_edje);
Evas_Object *appdata_get_nf(void);
void appdata_set_nf(Evas_Object *nf);
int appdata_get_fridgeLaunchFlag(void);
/* The settings list; the record forgets it when the list is deleted. */
void appdata_set_setting_list(Evas_Object *list);

bool _create(void *user_data);
void _terminate(void *user_data);
void _pause(void *user_data);
void _resume(void *user_data);
void _app_control(app_control_h app_control, void *user_data);

/* Layout under parent with group loaded from file, weight expand, not
 * shown; NULL when the layout or the group cannot be loaded. */
Evas_Object *load_edj(Evas_Object *parent, const char *file, const char *group);

/* Opens the refrigerator test view. event_info is the launch flag: 1 for
 * the direct launch, a list item handle when chosen from the main menu. */
void test_fridge_function_cb2(void *data, Evas_Object *obj, void *event_info);

/* 1 when the mode was taken, 0 when refused for a micom connection error. */
int start_mode(int mode);
int get_mode(void);
/* Deletes every test-view button and empties the button table. */
void delete_button(void);

#endif
