/*
 * Main layout, naviframe, main menu, refrigerator test view containers and
 * the blocking overlay.
 */
#ifndef EM_APP_BASE_VIEW_H
#define EM_APP_BASE_VIEW_H

#include <Elementary.h>

#include "main.h"

void load_base_view(appdata_s *ad);
Evas_Object *_create_layout_main(Evas_Object *parent);
Evas_Object *create_main_list(appdata_s *ad);
void load_base_view2(void);

void block_view(void);
void unblock_view(void);

Eina_Bool _navi_item_pop_cb(void *data, Elm_Object_Item *item);
void list_selected_cb(void *data, Evas_Object *obj, void *event_info);
void main_back_cb(void *data, Evas_Object *obj, void *event_info);
void main_more_cb(void *data, Evas_Object *obj, void *event_info);
void ok_btn_clicked_cb(void *data, Evas_Object *obj, void *event_info);

/* Main-menu actions. get_system_info_cb's data is the main-menu list, the
 * popup's parent. */
void get_system_info_cb(void *data, Evas_Object *obj, void *event_info);
void test_panel_function_cb(void *data, Evas_Object *obj, void *event_info);
void fota_update_cb(void *data, Evas_Object *obj, void *event_info);
/* 1 when the application already ran and was brought to the front; 0 when
 * a launch was requested or the ID is null or empty. */
int launch_alt_app(const char *appid);

#endif
