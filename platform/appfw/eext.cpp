/*
 * UI extension stand-in: hardware back and more keys.
 *
 * An Ecore event filter sees key presses before Elementary does (so the
 * naviframe's own Escape binding never pops a second item). Escape and
 * BackSpace are back, Menu and F2 are more; BackSpace stays a key for an
 * editable entry that has the focus. A press runs one callback: the newest
 * registration of its type whose object is visible. The matching key
 * release is swallowed too. Registrations are dropped when their object is
 * deleted.
 */
#include <efl_extension.h>
#include <dlog.h>

#include <Ecore.h>
#include <Ecore_Input.h>
#include <Elementary.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "appfw_internal.h"

namespace {

struct registration {
    Evas_Object *obj;
    Eext_Callback_Type type;
    Eext_Event_Cb func;
    void *data;
};

std::vector<registration> g_registrations;
Ecore_Event_Filter *g_filter = nullptr;

void object_del_cb(void *, Evas *, Evas_Object *obj, void *)
{
    std::erase_if(g_registrations, [obj](const registration &r) { return r.obj == obj; });
}

bool has_object(Evas_Object *obj)
{
    return std::any_of(g_registrations.begin(), g_registrations.end(),
                       [obj](const registration &r) { return r.obj == obj; });
}

bool editable_entry_focused()
{
    Evas_Object *focused = nullptr;
    for (const registration &r : g_registrations) {
        Evas_Object *top = elm_object_top_widget_get(r.obj);
        if (top && (focused = elm_object_focused_object_get(top)))
            break;
    }
    if (!focused)
        return false;
    const char *type = elm_object_widget_type_get(focused);
    return type && strstr(type, "entry") && elm_entry_editable_get(focused);
}

int key_type(const Ecore_Event_Key *ev)
{
    const char *key = ev->keyname ? ev->keyname : ev->key;
    if (!key)
        return -1;
    if (!strcmp(key, "Escape"))
        return EEXT_CALLBACK_BACK;
    if (!strcmp(key, "BackSpace"))
        return editable_entry_focused() ? -1 : EEXT_CALLBACK_BACK;
    if (!strcmp(key, "Menu") || !strcmp(key, "F2"))
        return EEXT_CALLBACK_MORE;
    return -1;
}

Eina_Bool key_filter_cb(void *, void *, int type, void *event)
{
    if (type != ECORE_EVENT_KEY_DOWN && type != ECORE_EVENT_KEY_UP)
        return EINA_TRUE;
    int which = key_type(static_cast<Ecore_Event_Key *>(event));
    if (which < 0)
        return EINA_TRUE;
    if (type == ECORE_EVENT_KEY_DOWN)
        eext_dispatch(static_cast<Eext_Callback_Type>(which));
    return EINA_FALSE;
}

}  // namespace

namespace appfw {

void eext_install_key_filter()
{
    if (!g_filter)
        g_filter = ecore_event_filter_add(nullptr, key_filter_cb, nullptr, nullptr);
}

void eext_remove_key_filter()
{
    if (g_filter)
        ecore_event_filter_del(g_filter);
    g_filter = nullptr;
}

}  // namespace appfw

void eext_object_event_callback_add(Evas_Object *obj, Eext_Callback_Type type, Eext_Event_Cb func,
                                    void *data)
{
    if (!obj || !func || type < EEXT_CALLBACK_BACK || type >= EEXT_CALLBACK_LAST) {
        dlog_print(DLOG_ERROR, "EEXT", "invalid key callback registration");
        return;
    }
    appfw::eext_install_key_filter();
    if (!has_object(obj))
        evas_object_event_callback_add(obj, EVAS_CALLBACK_DEL, object_del_cb, nullptr);
    g_registrations.push_back({obj, type, func, data});
}

void *eext_object_event_callback_del(Evas_Object *obj, Eext_Callback_Type type, Eext_Event_Cb func)
{
    for (auto it = g_registrations.rbegin(); it != g_registrations.rend(); ++it) {
        if (it->obj == obj && it->type == type && it->func == func) {
            void *data = it->data;
            g_registrations.erase(std::next(it).base());
            if (!has_object(obj))
                evas_object_event_callback_del(obj, EVAS_CALLBACK_DEL, object_del_cb);
            return data;
        }
    }
    return nullptr;
}

void eext_popup_back_cb(void *, Evas_Object *obj, void *)
{
    evas_object_del(obj);
}

int eext_dispatch(Eext_Callback_Type type)
{
    for (auto it = g_registrations.rbegin(); it != g_registrations.rend(); ++it) {
        if (it->type != type || !evas_object_visible_get(it->obj))
            continue;
        /* Copy: the callback may delete the object and so the registration. */
        registration r = *it;
        r.func(r.data, r.obj, nullptr);
        return 1;
    }
    return 0;
}
