/*
 * What the Connect button of the static IP screen does: make sure the soft
 * AP is off, refuse when the panel is connected already or the form lacks
 * name, address, mask or gateway, switch Wi-Fi on when needed, show the
 * progress popup, request a scan and walk at once over the access points
 * the library knows; the one whose name equals the typed name exactly gets
 * the typed static IPv4 configuration (and passphrase) and is connected.
 * Every outcome is a popup and a debug log line.
 *
 * Two choices of ours:
 * - Soft AP on: the form texts are taken and checked before the soft AP is
 *   switched off (an incomplete form or a connected panel is refused and
 *   the soft AP stays on); when the soft AP reports itself off, the texts
 *   are taken and checked again from the form as it is then, so the search
 *   never runs with stale or empty texts. A screen closed meanwhile starts
 *   nothing.
 * - A failed configuration ends the walk: its failure popup is already
 *   shown, and a further access point of the same name would only fail on
 *   the same typed texts or, worse, connect after the engineer was told it
 *   failed.
 *
 * State: the record's texts, found_ssid, softap, popup and ap_state. No
 * timers (the libraries call back on the main loop). Reads
 * "memory/wifi/state".
 */
#include "static/wifi_connect.h"

#include <app_i18n.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "common.h"
#include "log.h"
#include "static/static_ip.h"

namespace {

constexpr const char *WIFI_STATE_KEY = "memory/wifi/state";
constexpr int WIFI_STATE_CONNECTED = 2;

const char *text_or_empty(const char *text)
{
    return text ? text : "";
}

/* Takes the form's texts and refuses (with its popup) a panel that is
 * connected already or a form without the four needed fields. */
bool take_and_check_form(static_ip_appdata *ad)
{
    take_form_texts(ad);
    /* A failed read counts as not connected. */
    if (key_get_int(WIFI_STATE_KEY).value_or(0) == WIFI_STATE_CONNECTED) {
        LOGD("Wifi is already connected");
        add_popup(ad,
                  "Wi-Fi is already connected.<br>Please disconnect the Wi-Fi in Setting>Wi-Fi", 3);
        return false;
    }
    if (!check_entry(ad)) {
        add_popup(ad,
                  "Input all AP information needed.<br>(In a specific AP, you don't need DNS "
                  "information.)",
                  3);
        return false;
    }
    return true;
}

/* The progress popup: tracked, titled, with a pulsing bar. */
void show_progress(static_ip_appdata *ad)
{
    Evas_Object *popup = add_popup(ad, "Searching AP...", 10);
    track_popup(ad, popup);
    elm_object_part_text_set(popup, "title,text", "Searching AP");
    Evas_Object *bar = elm_progressbar_add(popup);
    elm_object_style_set(bar, "process_small");
    elm_progressbar_horizontal_set(bar, EINA_TRUE);
    evas_object_size_hint_align_set(bar, EVAS_HINT_FILL, EVAS_HINT_FILL);
    elm_progressbar_value_set(bar, 0.0);
    elm_progressbar_pulse_set(bar, EINA_TRUE);
    elm_progressbar_pulse(bar, EINA_TRUE);
    elm_object_part_content_set(popup, "elm.swallow.content", bar);
    evas_object_show(bar);
}

/* Gives ap the typed configuration in the fixed order; false (logged) at the
 * first step that fails. */
bool configure_ap(wifi_ap_h ap, static_ip_appdata *ad)
{
    struct step {
        const char *failure;  // logged as "FAILURE[ERROR NAME]"
        bool wanted;
        std::function<int()> call;
    };
    const step steps[] = {
        {"FAIL! Fail to set static ip type", true,
         [&] {
             return wifi_ap_set_ip_config_type(ap, WIFI_ADDRESS_FAMILY_IPV4,
                                               WIFI_IP_CONFIG_TYPE_STATIC);
         }},
        {"FAIL! Fail to set ip address", true,
         [&] { return wifi_ap_set_ip_address(ap, WIFI_ADDRESS_FAMILY_IPV4, ad->ip); }},
        {"FAIL! Fail to set subnet mask", true,
         [&] { return wifi_ap_set_subnet_mask(ap, WIFI_ADDRESS_FAMILY_IPV4, ad->subnet); }},
        {"FAIL! Fail to set gateway", true,
         [&] { return wifi_ap_set_gateway_address(ap, WIFI_ADDRESS_FAMILY_IPV4, ad->gateway); }},
        {"FAIL! Fail to set dns1", ad->dns1 && ad->dns1[0],
         [&] { return wifi_ap_set_dns_address(ap, 1, WIFI_ADDRESS_FAMILY_IPV4, ad->dns1); }},
        {"FAIL! Fail to set dns2", ad->dns2 && ad->dns2[0],
         [&] { return wifi_ap_set_dns_address(ap, 2, WIFI_ADDRESS_FAMILY_IPV4, ad->dns2); }},
    };
    for (const step &s : steps) {
        if (!s.wanted)
            continue;
        int ret = s.call();
        if (ret != WIFI_ERROR_NONE) {
            LOGD("%s[%s]", s.failure, wifi_error_text(ret).c_str());
            return false;
        }
    }

    bool required = false;
    if (wifi_ap_is_passphrase_required(ap, &required) != WIFI_ERROR_NONE || !required)
        return true;
    if (!ad->password)
        return false;
    int ret = wifi_ap_set_passphrase(ap, ad->password);
    if (ret != WIFI_ERROR_NONE) {
        LOGD("FAIL! Fail to set password[%s]", wifi_error_text(ret).c_str());
        return false;
    }
    return true;
}

}  // namespace

/* The C callbacks below keep every exception inside (function-try-blocks). */

void _wifi_connect_btn_cb(void *data, Evas_Object *, void *)
try {
    LOGD("");
    auto *ad = static_cast<static_ip_appdata *>(data);
    RET_IF(NULL == ad);
    softap_destroy(ad->softap);
    ad->softap = nullptr;
    softap_create(&ad->softap);

    bool enabled = false;
    if (softap_is_enabled(ad->softap, &enabled) != SOFTAP_ERROR_NONE)
        return;
    if (enabled) {
        LOGD("Soft ap is enabled now. Disable soft ap...");
        if (!take_and_check_form(ad))
            return;
        softap_set_disabled_cb(ad->softap, _init_softap_diabled_after, ad);
        softap_disable(ad->softap);
        add_popup(ad, "Disabled soft AP. Try again.", 3);
        return;
    }
    LOGD("soft ap is NOT enabled. Activate wifi!");
    if (!take_and_check_form(ad))
        return;
    check_wifi_and_activate(ad);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _init_softap_diabled_after(softap_error_e, softap_disabled_cause_e, void *user_data)
try {
    LOGD("");
    auto *ad = static_cast<static_ip_appdata *>(user_data);
    RET_IF(NULL == ad);
    softap_unset_disabled_cb(ad->softap);
    if (!ad->scroller) {
        LOGD("the static IP screen was closed: no search");
        return;
    }
    if (!take_and_check_form(ad))
        return;
    check_wifi_and_activate(ad);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void check_wifi_and_activate(static_ip_appdata *ad)
try {
    LOGD("");
    RET_IF(NULL == ad);
    bool activated = false;
    if (wifi_is_activated(&activated) != WIFI_ERROR_NONE)
        activated = false;
    if (!activated && wifi_activate(_activated_cb, nullptr) != WIFI_ERROR_NONE) {
        const char *text = i18n_get_text("Fail to activate Wi-Fi device");
        LOGD("%s", text);
        add_popup(ad, text, 3);
        return;
    }

    ad->ap_state = AP_STATE_NOT_FOUND;
    show_progress(ad);

    int ret = wifi_scan(_scan_complete_cb, ad);
    if (ret != WIFI_ERROR_NONE) {
        LOGD("FAIL! Fail to scan wi-fi [%s]", wifi_error_text(ret).c_str());
        add_popup(ad, "Fail to scan Wi-Fi", 3);
        return;
    }
    LOGD("want to find AP [name:%s]", text_or_empty(ad->ssid));
    ret = wifi_foreach_found_aps(_ap_found_cb, ad);
    if (ret != WIFI_ERROR_NONE) {
        LOGD("FAIL! Fail wifi_foreach_found_aps() [%s]", wifi_error_text(ret).c_str());
        add_popup(ad, "Fail to find Wi-Fi", 3);
    }
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

bool _ap_found_cb(wifi_ap_h ap, void *user_data)
try {
    auto *ad = static_cast<static_ip_appdata *>(user_data);
    RETV_IF(NULL == ad, false);
    free(ad->found_ssid);
    ad->found_ssid = nullptr;
    if (wifi_ap_get_essid(ap, &ad->found_ssid) != WIFI_ERROR_NONE)
        ad->found_ssid = nullptr;
    LOGD("found AP name[%s]", text_or_empty(ad->found_ssid));
    if (!ad->found_ssid || !ad->ssid || strcmp(ad->ssid, ad->found_ssid) != 0)
        return true;

    LOGD("found AP you want! name[%s] SSID[%s]", ad->found_ssid, ad->ssid);
    if (ad->popup)
        elm_object_part_text_set(ad->popup, "title,text", "Connecting AP");
    ad->ap_state = AP_STATE_SETTING;

    if (configure_ap(ap, ad)) {
        ad->ap_state = AP_STATE_CONNECTING;
        int ret = wifi_connect(ap, _wifi_connected_cb, ad);
        if (ret == WIFI_ERROR_NONE)
            return false;
        LOGD("wifi connect return val = %s", wifi_error_text(ret).c_str());
    }
    LOGD("Fail exit");
    add_popup(ad, "Fail to connect AP", 3);
    ad->ap_state = AP_STATE_FAILED;
    return false;
} catch (const std::exception &e) {
    LOGE("%s", e.what());
    return false;
}

void _scan_complete_cb(wifi_error_e, void *user_data)
try {
    LOGD("");
    auto *ad = static_cast<static_ip_appdata *>(user_data);
    RET_IF(NULL == ad);
    switch (ad->ap_state) {
    case AP_STATE_NOT_FOUND:
        LOGD("FAIL! Couldn't find AP");
        add_popup(ad, "Couldn't find AP", 3);
        break;
    case AP_STATE_SETTING:
        LOGD("FAIL! Found AP but fail to set");
        add_popup(ad, "Fail to connect AP", 3);
        break;
    default:
        LOGD("already show popup");
        break;
    }
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _wifi_connected_cb(wifi_error_e result, void *user_data)
try {
    auto *ad = static_cast<static_ip_appdata *>(user_data);
    LOGD("wifi connect error code [%s]", wifi_error_text(result).c_str());
    RET_IF(NULL == ad);
    if (result == WIFI_ERROR_NONE || result == WIFI_ERROR_ALREADY_EXISTS) {
        add_popup(ad, "Success to connect AP", 3);
        return;
    }
    LOGD("FAIL! Found AP but fail to connect");
    add_popup(ad, "Fail to connect AP", 3);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _activated_cb(wifi_error_e result, void *)
{
    if (result == WIFI_ERROR_NONE)
        LOGD("Wi-Fi Activation succeeded");
    else
        LOGD("FAIL! Wi-Fi Activation Failed");
}

void device_state_cb(wifi_device_state_e, void *)
{
    LOGD("Device state changed cb");
}

void bg_scan_completed_cb(wifi_error_e, void *)
{
    LOGD("");
}

void rssi_level_cb(wifi_rssi_level_e, void *)
{
    LOGD("");
}

void connection_state_cb(wifi_connection_state_e state, wifi_ap_h ap, void *)
try {
    std::string line = "Connection state changed callback";
    switch (state) {
    case WIFI_CONNECTION_STATE_CONNECTED: line += ", state : Connected"; break;
    case WIFI_CONNECTION_STATE_ASSOCIATION: line += ", state : Association"; break;
    case WIFI_CONNECTION_STATE_CONFIGURATION: line += ", state : Configuration"; break;
    case WIFI_CONNECTION_STATE_DISCONNECTED: line += ", state : Disconnected"; break;
    case WIFI_CONNECTION_STATE_FAILURE: line += ", state : Failure"; break;
    default: line += ", state : Unknown"; break;
    }
    char *raw = nullptr;
    int ret = wifi_ap_get_essid(ap, &raw);
    std::unique_ptr<char, decltype(&free)> name(raw, &free);
    if (ret == WIFI_ERROR_NONE && name)
        line += std::string(", AP name : ") + name.get() + "\n";
    else
        line += ", Fail to get AP name [" + wifi_error_text(ret) + "]\n";
    LOGD("%s", line.c_str());
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}
