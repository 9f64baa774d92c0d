/*
 * Equalizer product-model popup: the three product models as radio buttons
 * in a genlist, the stored one preselected, OK writing the chosen model to
 * "db/audio/volume/sorvaeq/product_model"; Close and the back key only
 * close the popup.
 *
 * State, process-wide: radio_index, the state value (1 to 3) of the radio
 * last tapped in any popup of this process (0 before the first tap). It is
 * neither reset when a popup opens nor changed by the preselection, so OK
 * in a later popup writes the model tapped in an earlier one when nothing
 * was tapped since. One item class is shared by every popup. No timers.
 */
#include "setting/equalizer_setting.h"

#include <efl_extension.h>
#include <vconf.h>

#include <array>
#include <cstring>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "common.h"
#include "log.h"
#include "main.h"
#include "setting/setting.h"

namespace {

struct product_model {
    const char *label;
    const char *value;
};

/* Row n has the radio state value n + 1. */
constexpr std::array<product_model, 3> product_models{{
    {"NUVR1.0 T TYPE", "NUVR1_0_T_TYPE"},
    {"NUVR1.0 BMF TYPE", "NUVR1_0_BMF_TYPE"},
    {"NUVR2.0", "NUVR2_0"},
}};

/* Height of the radio list at scale 1.0. */
constexpr double LIST_HEIGHT = 288;

int radio_index = 0;
Elm_Genlist_Item_Class itc{};

const product_model *model_of_row(void *data)
{
    auto row = reinterpret_cast<intptr_t>(data);
    if (row < 0 || row >= static_cast<intptr_t>(product_models.size()))
        return nullptr;
    return &product_models[static_cast<std::size_t>(row)];
}

char *gl_text_get_cb(void *data, Evas_Object *, const char *)
{
    const product_model *model = model_of_row(data);
    return model ? strdup(model->label) : nullptr;
}

void radio_changed_cb(void *data, Evas_Object *, void *)
{
    Evas_Object *selected = elm_radio_selected_object_get(static_cast<Evas_Object *>(data));
    if (selected)
        radio_index = elm_radio_state_value_get(selected);
}

Evas_Object *gl_content_get_cb(void *data, Evas_Object *obj, const char *part)
try {
    if (!part || strcmp(part, "elm.swallow.icon") != 0 || !model_of_row(data))
        return nullptr;
    auto *group = static_cast<Evas_Object *>(evas_object_data_get(obj, "radio"));
    Evas_Object *radio = elm_radio_add(obj);
    elm_radio_group_add(radio, group);
    elm_radio_state_value_set(radio, static_cast<int>(reinterpret_cast<intptr_t>(data)) + 1);

    std::optional<std::string> stored = key_get_str(VCONFKEY_EQUALIZER_PRODUCT_MODEL);
    if (stored == product_models[0].value) {
        LOGD("[%s:%d] t type!!\n", __func__, __LINE__);
        elm_radio_value_set(group, 1);
    } else if (stored == product_models[1].value) {
        elm_radio_value_set(group, 2);
    } else if (stored == product_models[2].value) {
        elm_radio_value_set(group, 3);
    }

    evas_object_size_hint_weight_set(radio, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    evas_object_size_hint_align_set(radio, EVAS_HINT_FILL, EVAS_HINT_FILL);
    evas_object_propagate_events_set(radio, EINA_FALSE);
    evas_object_show(radio);
    evas_object_smart_callback_add(radio, "changed", radio_changed_cb, group);
    return radio;
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return nullptr;
}

void ok_btn_clicked_cb(void *data, Evas_Object *, void *)
{
    LOGD("[%s:%d] radio index = %d\n", "ok_btn_clicked_cb", __LINE__, radio_index);
    if (radio_index >= 1 && radio_index <= static_cast<int>(product_models.size()))
        vconf_set_str(VCONFKEY_EQUALIZER_PRODUCT_MODEL,
                      product_models[static_cast<std::size_t>(radio_index - 1)].value);
    evas_object_del(static_cast<Evas_Object *>(data));
}

void close_btn_clicked_cb(void *data, Evas_Object *, void *)
{
    evas_object_del(static_cast<Evas_Object *>(data));
}

}  // namespace

void equalizer_setting_cb(void *data, Evas_Object *, void *)
{
    auto *ad = static_cast<appdata_s *>(data);
    RET_IF(NULL == ad);

    Evas_Object *popup = elm_popup_add(ad->nf);
    eext_object_event_callback_add(popup, EEXT_CALLBACK_BACK, eext_popup_back_cb, nullptr);
    elm_object_part_text_set(popup, "title,text", "Equalizer Setting");
    evas_object_size_hint_weight_set(popup, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);

    Evas_Object *layout = elm_layout_add(popup);
    elm_layout_theme_set(layout, "layout", "application", "default");
    evas_object_size_hint_weight_set(layout, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);

    Evas_Object *box = elm_box_add(ad->nf);
    evas_object_size_hint_weight_set(box, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    Evas_Object *genlist = elm_genlist_add(box);
    evas_object_size_hint_weight_set(genlist, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    evas_object_size_hint_align_set(genlist, EVAS_HINT_FILL, EVAS_HINT_FILL);

    /* The group every row's radio joins; never shown. */
    Evas_Object *group = elm_radio_add(genlist);
    elm_radio_state_value_set(group, 0);
    elm_radio_value_set(group, 0);
    evas_object_data_set(genlist, "radio", group);

    itc.version = ELM_GENLIST_ITEM_CLASS_VERSION;
    itc.item_style = "default";
    itc.func.text_get = gl_text_get_cb;
    itc.func.content_get = gl_content_get_cb;
    itc.func.state_get = nullptr;
    itc.func.del = nullptr;
    for (intptr_t row = 0; row < static_cast<intptr_t>(product_models.size()); ++row)
        elm_genlist_item_append(genlist, &itc, reinterpret_cast<void *>(row), nullptr,
                                ELM_GENLIST_ITEM_NONE, nullptr, nullptr);

    elm_box_pack_end(box, genlist);
    evas_object_size_hint_min_set(box, -1, static_cast<int>(LIST_HEIGHT * elm_config_scale_get()));
    evas_object_show(genlist);

    setting_popup_button_add(popup, "button2", "Close", close_btn_clicked_cb);
    setting_popup_button_add(popup, "button1", "OK", ok_btn_clicked_cb);

    elm_object_part_content_set(layout, "elm.swallow.content", box);
    elm_object_content_set(popup, layout);
    evas_object_show(popup);
    setting_popup_bind(ad, popup);
}
