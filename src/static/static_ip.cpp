/*
 * Static IP Wi-Fi screen, opened from the main menu: a scrolling form of
 * seven labelled fields (access point name, password, IP address, subnet
 * mask, gateway, DNS 1 and 2) with Connect in the title bar (what Connect
 * does is wifi_connect.cpp). Opening it initialises the Wi-Fi client
 * library and registers its four state callbacks; back deinitialises it and
 * pops the screen.
 *
 * State: the record static_ip_appdata inside the application record (widgets
 * of the open screen, the tracked popup, the form texts). The back-key
 * handler is attached to the shared naviframe while the screen exists only:
 * it is detached when the screen's widgets go (however the screen is left),
 * so back on the main menu or another screen is never taken by it, and
 * repeated openings never pile registrations up. Leaving the screen also
 * forgets its widgets and frees the texts, and closes the tracked progress
 * popup: it belongs to the screen (message popups stay for their time).
 *
 * No timers (popups close themselves). Keys: none here.
 */
#include "static/static_ip.h"

#include <app_i18n.h>
#include <efl_extension.h>
#include <wifi.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

#include "common.h"
#include "log.h"
#include "static/wifi_connect.h"

namespace {

constexpr std::size_t LABEL_BUFFER_SIZE = 128;
constexpr std::size_t BUTTON_BUFFER_SIZE = 128;

/* Field labels (catalogue identifiers) with their guide texts, top to bottom;
 * the guide also selects the field's kind (see create_entry). */
struct field {
    const char *label;
    const char *guide;
    Evas_Object *static_ip_appdata::*entry;
};

constexpr std::array<field, 7> FIELDS{{
    {"REFLCD_NV2_EM_AP_NAME", "ssid", &static_ip_appdata::entry_ssid},
    {"REFLCD_NV2_EM_PASSWORD", "password", &static_ip_appdata::entry_password},
    {"REFLCD_NV2_EM_IP_ADDRESS", "192.168.1.128", &static_ip_appdata::entry_ip},
    {"REFLCD_NV2_EM_SUBNET_MASK", "255.255.255.0", &static_ip_appdata::entry_subnet},
    {"REFLCD_NV2_EM_GATEWAY", "192.168.1.1", &static_ip_appdata::entry_gateway},
    /* The DNS guides: the usual home-router address, and the other common
     * private gateway address. */
    {"  Input DNS1 (*necessary in a specific AP)", "192.168.1.1", &static_ip_appdata::entry_dns1},
    {"  Input DNS2 (*necessary in a specific AP)", "192.168.0.1", &static_ip_appdata::entry_dns2},
}};

/* The form texts with the entry each comes from. */
constexpr std::array<std::pair<char *static_ip_appdata::*, Evas_Object *static_ip_appdata::*>, 7>
    TEXTS{{
        {&static_ip_appdata::ssid, &static_ip_appdata::entry_ssid},
        {&static_ip_appdata::password, &static_ip_appdata::entry_password},
        {&static_ip_appdata::ip, &static_ip_appdata::entry_ip},
        {&static_ip_appdata::subnet, &static_ip_appdata::entry_subnet},
        {&static_ip_appdata::gateway, &static_ip_appdata::entry_gateway},
        {&static_ip_appdata::dns1, &static_ip_appdata::entry_dns1},
        {&static_ip_appdata::dns2, &static_ip_appdata::entry_dns2},
    }};

void free_texts(static_ip_appdata *ad)
{
    for (const auto &[text, entry] : TEXTS) {
        free(ad->*text);
        ad->*text = nullptr;
    }
    free(ad->found_ssid);
    ad->found_ssid = nullptr;
}

/* Deletes the tracked progress popup, if any. A popup that holds a widget
 * (the progress bar) gives the focus back, when it goes, to what had it when
 * it opened (a field, Connect): done while the screen still exists, so
 * that the focus never goes back to a deleted widget. */
void close_progress(static_ip_appdata *ad)
{
    if (ad->popup) {
        evas_object_del(ad->popup);
        ad->popup = nullptr;
    }
}

/* The screen's widgets are going (back, a failed initialisation, the window
 * closing): forget them, free the texts, let back go to others again. Only
 * for the screen that is current: a quickly reopened screen has its own. */
void screen_del_cb(void *data, Evas *, Evas_Object *scroller, void *)
{
    auto *ad = static_cast<static_ip_appdata *>(data);
    if (ad->scroller != scroller)
        return;
    close_progress(ad);
    eext_object_event_callback_del(ad->navi, EEXT_CALLBACK_BACK, naviframe_back_cb);
    ad->scroller = nullptr;
    ad->box = nullptr;
    for (const field &f : FIELDS)
        ad->*f.entry = nullptr;
    free_texts(ad);
}

void popup_timeout_cb(void *, Evas_Object *popup, void *)
{
    evas_object_del(popup);
}

}  // namespace

/* The C callbacks and entry points below keep every exception inside
 * (function-try-blocks). */

void static_ip_cb(void *data, Evas_Object *, void *)
try {
    LOGD("");
    if (!data) {
        LOGD("appdata of static ip setting is NULL");
        return;
    }
    auto *ad = static_cast<static_ip_appdata *>(data);
    close_progress(ad);

    Evas_Object *scroller = elm_scroller_add(ad->navi);
    ad->scroller = scroller;
    evas_object_event_callback_add(scroller, EVAS_CALLBACK_DEL, screen_del_cb, ad);
    elm_scroller_policy_set(scroller, ELM_SCROLLER_POLICY_OFF, ELM_SCROLLER_POLICY_ON);
    elm_scroller_page_scroll_limit_set(scroller, 1, 0);
    elm_object_scroll_lock_x_set(scroller, EINA_TRUE);

    ad->box = elm_box_add(scroller);
    evas_object_size_hint_weight_set(ad->box, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    evas_object_size_hint_align_set(ad->box, EVAS_HINT_FILL, EVAS_HINT_FILL);
    elm_box_horizontal_set(ad->box, EINA_FALSE);
    elm_object_content_set(scroller, ad->box);

    for (const field &f : FIELDS) {
        create_label(ad->box, i18n_get_text(f.label));
        create_entry(ad->box, &(ad->*f.entry), f.guide);
    }
    add_bottom_padding(ad);
    evas_object_show(ad->box);

    Elm_Object_Item *item =
        elm_naviframe_item_push(ad->navi, i18n_get_text("REFLCD_NV2_EM_STATIC_IP_SETTING"), nullptr,
                                nullptr, scroller, nullptr);

    /* At most one registration, whatever happened before. */
    eext_object_event_callback_del(ad->navi, EEXT_CALLBACK_BACK, naviframe_back_cb);
    eext_object_event_callback_add(ad->navi, EEXT_CALLBACK_BACK, naviframe_back_cb, ad);

    Evas_Object *connect = elm_button_add(ad->navi);
    elm_object_style_set(connect, "textbutton");
    std::string label = format_cut(BUTTON_BUFFER_SIZE, "<font_size=30>%s</font_size>",
                                   i18n_get_text("REFLCD_NV2_EM_CONNECT"));
    elm_object_text_set(connect, label.c_str());
    evas_object_smart_callback_add(connect, "clicked", _wifi_connect_btn_cb, ad);
    elm_object_item_part_content_set(item, "title_right_btn", connect);
    evas_object_show(connect);

    int ret = wifi_initialize();
    if (ret != WIFI_ERROR_NONE) {
        LOGD("Fail to init Wi-Fi[%s]", wifi_error_text(ret).c_str());
        add_popup(ad, i18n_get_text("Fail to init Wi-Fi"), 3);
        wifi_deinitialize();
        /* Popped at once: the toolkit refuses a pop while the push is still
         * under way, so the screen's item is taken off directly. */
        elm_object_item_del(item);
        return;
    }
    wifi_set_device_state_changed_cb(device_state_cb, nullptr);
    wifi_set_background_scan_cb(bg_scan_completed_cb, nullptr);
    wifi_set_connection_state_changed_cb(connection_state_cb, nullptr);
    wifi_set_rssi_level_changed_cb(rssi_level_cb, nullptr);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void naviframe_back_cb(void *data, Evas_Object *, void *)
try {
    auto *ad = static_cast<static_ip_appdata *>(data);
    RET_IF(NULL == ad);
    wifi_deinitialize();
    close_progress(ad);
    /* Detached at once: a second press before the screen's widgets are gone
     * belongs to the main menu. */
    eext_object_event_callback_del(ad->navi, EEXT_CALLBACK_BACK, naviframe_back_cb);
    elm_naviframe_item_pop(ad->navi);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void create_label(Evas_Object *box, const char *text)
try {
    std::string markup =
        format_cut(LABEL_BUFFER_SIZE, "<font_size=30>%s</font_size>", text ? text : "");
    Evas_Object *label = elm_label_add(box);
    elm_object_text_set(label, keep_hangul_words(markup).c_str());
    evas_object_size_hint_align_set(label, 0, 0);
    evas_object_show(label);
    elm_box_pack_end(box, label);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void create_entry(Evas_Object *box, Evas_Object **entry_slot, const char *guide)
{
    RET_IF(NULL == entry_slot || NULL == guide);
    Evas_Object *layout = elm_layout_add(box);
    elm_layout_theme_set(layout, "layout", "editfield", "singleline");
    evas_object_size_hint_weight_set(layout, EVAS_HINT_EXPAND, 0);
    evas_object_size_hint_align_set(layout, EVAS_HINT_FILL, 0);
    evas_object_show(layout);

    Evas_Object *entry = elm_entry_add(layout);
    *entry_slot = entry;
    elm_entry_single_line_set(entry, EINA_TRUE);
    elm_entry_scrollable_set(entry, EINA_TRUE);
    elm_object_part_text_set(entry, "elm.guide", guide);
    /* Typed text as large as the labels: the stock entry's is too small to
     * read on the panel. */
    elm_entry_text_style_user_push(entry, "DEFAULT='font_size=30 color=#ffffff'");
    bool name = !strcmp(guide, "ssid");
    bool password = !strcmp(guide, "password");
    if (password)
        elm_entry_password_set(entry, EINA_TRUE);
    elm_object_part_content_set(layout, "elm.swallow.content", entry);
    elm_entry_input_panel_return_key_type_set(entry, ELM_INPUT_PANEL_RETURN_KEY_TYPE_DONE);
    if (!name && !password)
        elm_entry_input_panel_layout_set(entry, ELM_INPUT_PANEL_LAYOUT_IP);
    elm_box_pack_end(box, layout);
}

void add_bottom_padding(static_ip_appdata *ad)
{
    LOGD("");
    RET_IF(NULL == ad);
    Evas_Object *padding = elm_label_add(ad->box);
    elm_object_text_set(padding, "<font_size=800> </font_size>");
    evas_object_size_hint_align_set(padding, 0, 0);
    evas_object_show(padding);
    elm_box_pack_end(ad->box, padding);
}

Evas_Object *add_popup(static_ip_appdata *ad, const char *text, int timeout)
{
    RETV_IF(NULL == ad, nullptr);
    /* What the engineer is told, for those who follow the log. */
    LOGD("popup [%s] for %d s", text ? text : "", timeout);
    close_progress(ad);
    Evas_Object *popup = elm_popup_add(ad->navi);
    evas_object_size_hint_weight_set(popup, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    elm_object_text_set(popup, text ? keep_hangul_words(text).c_str() : nullptr);
    elm_popup_timeout_set(popup, static_cast<double>(timeout));
    /* The toolkit only hides a popup whose time is up. */
    evas_object_smart_callback_add(popup, "timeout", popup_timeout_cb, nullptr);
    evas_object_show(popup);
    return popup;
}

void track_popup(static_ip_appdata *ad, Evas_Object *popup)
{
    RET_IF(NULL == ad || NULL == popup);
    ad->popup = popup;
    forget_on_del(popup, &ad->popup);
}

void take_form_texts(static_ip_appdata *ad)
{
    RET_IF(NULL == ad);
    for (const auto &[text, entry] : TEXTS) {
        free(ad->*text);
        const char *markup = ad->*entry ? elm_object_part_text_get(ad->*entry, nullptr) : nullptr;
        ad->*text = markup ? elm_entry_markup_to_utf8(markup) : nullptr;
        if (!(ad->*text))
            ad->*text = strdup("");
    }
}

bool check_entry(static_ip_appdata *ad)
{
    RETV_IF(NULL == ad, false);
    for (const char *text : {ad->ssid, ad->ip, ad->subnet, ad->gateway})
        if (!text || text[0] == '\0')
            return false;
    return true;
}

std::string wifi_error_text(int error)
{
    std::unique_ptr<char, decltype(&free)> name(wifi_error_disp(error), &free);
    if (name)
        return name.get();
    return format_cut(32, "unnamed error 0x%08X", static_cast<unsigned>(error));
}
