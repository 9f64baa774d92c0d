/*
 * Partition switch row of the settings list: a "SWITCH" button that asks
 * for confirmation in a popup warning of the reboot; OK closes the popup
 * and then writes 1 to "memory/developer/reqPartitionSwitch", the request
 * that the platform acts on. Cancel only closes the popup. The row itself
 * does nothing when tapped.
 *
 * State: none; each press opens a new popup. No timers; never reads the key.
 */
#include "setting/PXN_partition_switch.h"

#include <vconf.h>

#include <cstring>

#include "log.h"
#include "setting/setting.h"

namespace {

char *text_get_cb(void *, Evas_Object *, const char *part)
{
    return setting_text_dup(part, "elm.text", "PXN Partition Switching");
}

void popup_ok_clicked_cb(void *data, Evas_Object *, void *)
{
    LOGD("START");
    evas_object_del(static_cast<Evas_Object *>(data));
    vconf_set_int(VCONFKEY_REQ_PARTITION_SWITCH, 1);
}

void popup_cancel_clicked_cb(void *data, Evas_Object *, void *)
{
    LOGD("START");
    evas_object_del(static_cast<Evas_Object *>(data));
}

void confirm_popup(void *data, Evas_Object *, void *)
{
    LOGD("START");
    auto *ad = static_cast<appdata_s *>(data);
    RET_IF(NULL == ad);

    Evas_Object *popup = elm_popup_add(ad->nf);
    evas_object_size_hint_weight_set(popup, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    elm_object_part_text_set(popup, "title,text", "Alert");
    elm_object_text_set(popup, "This change needs rebooting.<br>If press OK, device will be reboot.");
    setting_popup_button_add(popup, "button1", "OK", popup_ok_clicked_cb);
    setting_popup_button_add(popup, "button2", "Cancel", popup_cancel_clicked_cb);
    evas_object_show(popup);
    setting_popup_bind(ad, popup);
}

Evas_Object *content_get_cb(void *data, Evas_Object *obj, const char *part)
{
    if (!part || strcmp(part, "elm.swallow.end") != 0)
        return nullptr;
    Evas_Object *button = elm_button_add(obj);
    elm_object_style_set(button, "text");
    elm_object_text_set(button, "SWITCH");
    evas_object_smart_callback_add(button, "clicked", confirm_popup, data);
    return button;
}

}  // namespace

void PXN_partition_switch(appdata_s *ad)
{
    LOGD("START\n");
    if (!setting_row_append(ad, text_get_cb, content_get_cb, ad, nullptr, nullptr))
        LOGD("elm_genlist_item_append returned null");
}
