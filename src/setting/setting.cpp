/*
 * Device settings screen: a genlist of four rows pushed onto the naviframe
 * from the main menu: Wi-Fi Direct 5G and ShelfPeek image switches, the
 * equalizer row that opens the product-model popup, and the partition
 * switch row. Also the pieces the row modules share: the one way a row is
 * appended, the rows' switch, and the tie of a popup to the screen.
 *
 * State: the list lives in the application record (setting_list) and is
 * built anew at each opening. The back and more keys of the screen are
 * registered on the naviframe at each opening and removed when the list is
 * deleted with its naviframe item, so that one press runs one handler and
 * the handlers of the screen below are in charge again afterwards.
 * No timers; reads and writes no keys itself (the rows do).
 */
#include "setting/setting.h"

#include <app_i18n.h>
#include <efl_extension.h>

#include <cstring>

#include "app_base_view.h"
#include "log.h"
#include "setting/PXN_partition_switch.h"
#include "setting/equalizer_setting.h"
#include "setting/shelfPeek_image.h"
#include "setting/wifi_direct_5g.h"

namespace {

constexpr const char *EQUALIZER_ROW_TEXT = "Equalizer Setting";

/* The same as the main view's handlers; distinct functions so that the
 * screen can remove exactly its own registrations. */
void setting_back_cb(void *data, Evas_Object *obj, void *event_info)
{
    main_back_cb(data, obj, event_info);
}

void setting_more_cb(void *data, Evas_Object *obj, void *event_info)
{
    main_more_cb(data, obj, event_info);
}

/* The list went with its naviframe item: the screen's key handlers go too. */
void setting_list_del_cb(void *data, Evas *, Evas_Object *, void *)
{
    auto *nf = static_cast<Evas_Object *>(data);
    eext_object_event_callback_del(nf, EEXT_CALLBACK_BACK, setting_back_cb);
    eext_object_event_callback_del(nf, EEXT_CALLBACK_MORE, setting_more_cb);
}

char *equalizer_text_get_cb(void *data, Evas_Object *, const char *part)
{
    return setting_text_dup(part, "elm.text", static_cast<const char *>(data));
}

/* The equalizer row: its text is its item data; selecting it opens the
 * product-model popup, and the row stays selected. */
void equalizer_setting(appdata_s *ad)
{
    if (!setting_row_append(ad, equalizer_text_get_cb, nullptr, EQUALIZER_ROW_TEXT,
                            equalizer_setting_cb, ad))
        LOGD("elm_genlist_item_append returned null");
}

void popup_list_del_cb(void *data, Evas *, Evas_Object *, void *)
{
    evas_object_del(static_cast<Evas_Object *>(data));
}

void bound_popup_del_cb(void *data, Evas *, Evas_Object *popup, void *)
{
    evas_object_event_callback_del_full(static_cast<Evas_Object *>(data), EVAS_CALLBACK_DEL,
                                        popup_list_del_cb, popup);
}

}  // namespace

void setting_cb(void *data, Evas_Object *, void *)
{
    LOGD("START\n");
    auto *ad = static_cast<appdata_s *>(data);
    RET_IF(NULL == ad);

    Evas_Object *genlist = elm_genlist_add(ad->nf);
    appdata_set_setting_list(genlist);
    elm_genlist_mode_set(genlist, ELM_LIST_COMPRESS);

    wifi_direct(ad);
    equalizer_setting(ad);
    shelfPeek_direct(ad);
    PXN_partition_switch(ad);

    elm_naviframe_item_push(ad->nf, i18n_get_text("REFLCD_NV2_EM_SETTING"), nullptr, nullptr,
                            genlist, nullptr);
    eext_object_event_callback_add(ad->nf, EEXT_CALLBACK_BACK, setting_back_cb, ad->nf);
    eext_object_event_callback_add(ad->nf, EEXT_CALLBACK_MORE, setting_more_cb, ad->nf);
    evas_object_event_callback_add(genlist, EVAS_CALLBACK_DEL, setting_list_del_cb, ad->nf);
    LOGD("END\n");
}

bool setting_row_append(appdata_s *ad, Elm_Gen_Item_Text_Get_Cb text_get,
                        Elm_Gen_Item_Content_Get_Cb content_get, const void *data,
                        Evas_Smart_Cb func, const void *func_data)
{
    Elm_Genlist_Item_Class *itc = elm_genlist_item_class_new();
    if (!itc)
        return false;
    itc->item_style = "type1";
    itc->func.text_get = text_get;
    itc->func.content_get = content_get;
    itc->func.state_get = nullptr;
    itc->func.del = nullptr;
    elm_genlist_item_append(ad->setting_list, itc, data, nullptr, ELM_GENLIST_ITEM_NONE, func,
                            func_data);
    elm_genlist_item_class_free(itc);
    return true;
}

Evas_Object *setting_switch_add(Evas_Object *genlist, int value, Evas_Smart_Cb changed)
{
    Evas_Object *check = elm_check_add(genlist);
    elm_object_style_set(check, "on&off");
    evas_object_propagate_events_set(check, EINA_FALSE);
    evas_object_size_hint_weight_set(check, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    evas_object_size_hint_align_set(check, EVAS_HINT_FILL, EVAS_HINT_FILL);
    elm_check_state_set(check, value != 0 ? EINA_TRUE : EINA_FALSE);
    evas_object_smart_callback_add(check, "changed", changed, check);
    return check;
}

void setting_popup_bind(appdata_s *ad, Evas_Object *popup)
{
    if (!ad->setting_list || !popup)
        return;
    evas_object_event_callback_add(ad->setting_list, EVAS_CALLBACK_DEL, popup_list_del_cb, popup);
    evas_object_event_callback_add(popup, EVAS_CALLBACK_DEL, bound_popup_del_cb,
                                   ad->setting_list);
}

Evas_Object *setting_popup_button_add(Evas_Object *popup, const char *part, const char *label,
                                      Evas_Smart_Cb clicked)
{
    Evas_Object *button = elm_button_add(popup);
    elm_object_style_set(button, "popup");
    elm_object_text_set(button, label);
    elm_object_part_content_set(popup, part, button);
    evas_object_smart_callback_add(button, "clicked", clicked, popup);
    return button;
}

char *setting_text_dup(const char *part, const char *wanted, const char *text)
{
    if (!part || !text || strcmp(part, wanted) != 0)
        return nullptr;
    return strdup(text);
}
