/*
 * Two-level list panel of the refrigerator test view: the main list at
 * (20, 650) and the sub list at (530, 650), 500 x 500 each, each packed in
 * a box that owns it. The boxes are children of the window, placed by
 * absolute position. The headings are the test view's text parts
 * "list.name" (main) and "content.text" (sub).
 *
 * State: the two boxes and the two lists, or nothing while the test view is
 * closed. No timers.
 */
#include "list_panel.h"

#include "log.h"
#include "main.h"

namespace {

Evas_Object *bx_main = nullptr;
Evas_Object *li_main = nullptr;
Evas_Object *bx_sub = nullptr;
Evas_Object *li_sub = nullptr;

constexpr int LIST_SIZE = 500;
constexpr int NA_ROWS = 7;

void forget_cb(void *data, Evas *, Evas_Object *obj, void *)
{
    auto **slot = static_cast<Evas_Object **>(data);
    if (*slot == obj)
        *slot = nullptr;
}

void build_side(Evas_Object *win, int x, Evas_Object **box, Evas_Object **list)
{
    *box = elm_box_add(win);
    evas_object_event_callback_add(*box, EVAS_CALLBACK_DEL, forget_cb, box);
    evas_object_size_hint_weight_set(*box, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    evas_object_resize(*box, LIST_SIZE, LIST_SIZE);
    evas_object_move(*box, x, 650);
    evas_object_show(*box);

    *list = elm_list_add(win);
    evas_object_event_callback_add(*list, EVAS_CALLBACK_DEL, forget_cb, list);
    elm_object_style_set(*list, "engineer");
    evas_object_size_hint_weight_set(*list, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    evas_object_size_hint_align_set(*list, EVAS_HINT_FILL, EVAS_HINT_FILL);
    elm_box_pack_end(*box, *list);
    evas_object_show(*list);
}

void clear_side(Evas_Object *list, const char *heading)
{
    Evas_Object *edje = appdata_get_edje();
    if (edje)
        elm_object_part_text_set(edje, heading, "");
    if (list)
        elm_list_clear(list);
}

}  // namespace

void init_list(void)
{
    LOGD("START");
    Evas_Object *win = appdata_get_win();
    elm_policy_set(ELM_POLICY_QUIT, ELM_POLICY_QUIT_LAST_WINDOW_CLOSED);
    elm_win_autodel_set(win, EINA_TRUE);

    build_side(win, 20, &bx_main, &li_main);
    build_side(win, 530, &bx_sub, &li_sub);

    for (int i = 0; i < NA_ROWS; ++i)
        elm_list_item_append(li_main, "N/A", nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < NA_ROWS; ++i)
        elm_list_item_append(li_sub, "N/A", nullptr, nullptr, nullptr, nullptr);
    elm_list_go(li_main);
    elm_list_go(li_sub);
}

Evas_Object *get_li_main(void)
{
    return li_main;
}

Evas_Object *get_li_sub(void)
{
    return li_sub;
}

void clear_list(int main, int sub)
{
    if (main == 1)
        clear_side(li_main, "list.name");
    if (sub == 1)
        clear_side(li_sub, "content.text");
}

void delete_box(void)
{
    if (bx_main)
        evas_object_del(bx_main);
    if (bx_sub)
        evas_object_del(bx_sub);
    bx_main = li_main = bx_sub = li_sub = nullptr;
}
