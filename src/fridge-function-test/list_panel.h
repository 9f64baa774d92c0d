/*
 * Two-level list panel of the refrigerator test view: the main list on the
 * left, the sub list on the right.
 */
#ifndef EM_LIST_PANEL_H
#define EM_LIST_PANEL_H

#include <Elementary.h>

void init_list(void);
Evas_Object *get_li_main(void);
Evas_Object *get_li_sub(void);
/* 1 clears that side (rows and heading text); any other value leaves it. */
void clear_list(int main, int sub);
void delete_box(void);

#endif
