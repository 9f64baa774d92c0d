/*
 * Device settings screen: the settings list and what its rows share.
 */
#ifndef EM_SETTING_H
#define EM_SETTING_H

#include <Elementary.h>

#include "main.h"

/* The main menu's entry: builds the settings list (data is the application
 * record) and pushes it onto the naviframe. */
void setting_cb(void *data, Evas_Object *obj, void *event_info);

/* Appends one row to ad->setting_list: an item class of style "type1" with
 * text_get and content_get (NULL for none) and no state or delete function,
 * the item with data, no parent, plain type, selection callback func with
 * func_data (NULL for none); the class is freed at once (the list keeps its
 * own reference). Returns false, with no row added, when the item class
 * could not be made; the row function logs that. */
bool setting_row_append(appdata_s *ad, Elm_Gen_Item_Text_Get_Cb text_get,
                        Elm_Gen_Item_Content_Get_Cb content_get, const void *data,
                        Evas_Smart_Cb func, const void *func_data);

/* The switch of a settings row: a check of style "on&off" on the genlist
 * that keeps its mouse events from the row, expanding and filling, on when
 * value is not 0; only then is "changed" connected to changed, with the
 * check as data, so that showing the value writes nothing. */
Evas_Object *setting_switch_add(Evas_Object *genlist, int value, Evas_Smart_Cb changed);

/* Ties a popup of the settings screen to the settings list: leaving the
 * screen (the list deleted) deletes the popup too. Nothing when the list
 * is not there. */
void setting_popup_bind(appdata_s *ad, Evas_Object *popup);

/* An action button of a popup: style "popup", the label, in the popup's
 * part ("button1", "button2"); "clicked" calls clicked with the popup. */
Evas_Object *setting_popup_button_add(Evas_Object *popup, const char *part, const char *label,
                                      Evas_Smart_Cb clicked);

/* New copy of text when part is wanted (the genlist frees it), else NULL;
 * for the rows' text functions. */
char *setting_text_dup(const char *part, const char *wanted, const char *text);

#endif
