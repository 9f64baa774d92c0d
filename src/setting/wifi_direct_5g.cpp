/*
 * Wi-Fi Direct 5G row of the settings list: an on/off switch bound to the
 * bool key "db/wifi/wifi_direct_prefer_5g". The switch is built from the
 * key each time the row is realised (on when the key cannot be read) and
 * writes the key at each flip; a refused write is logged and posted as a
 * status notification, and the switch keeps its new position.
 *
 * State: none; the key is the only store. No timers.
 */
#include "setting/wifi_direct_5g.h"

#include <notification.h>
#include <vconf.h>

#include <cstring>

#include "log.h"
#include "setting/setting.h"

namespace {

constexpr const char *WRITE_FAILED = "Failed to set wifi direct prefer 5g state";

char *wifi_direct_text_get_cb(void *, Evas_Object *, const char *part)
{
    if (char *text = setting_text_dup(part, "elm.text", "Wi-Fi Direct 5G"))
        return text;
    return setting_text_dup(part, "elm.text.sub", "Set Mirroring Operating Channel 5GHz");
}

void toggle_changed_cb(void *data, Evas_Object *, void *)
{
    int value = elm_check_state_get(static_cast<Evas_Object *>(data)) ? 1 : 0;
    LOGD("toggle value is %d", value);
    if (vconf_set_bool(VCONFKEY_WIFI_DIRECT_PREFER_5G, value) != 0) {
        LOGD("%s", WRITE_FAILED);
        notification_status_message_post(WRITE_FAILED);
    }
}

Evas_Object *content_get_cb(void *, Evas_Object *obj, const char *part)
{
    if (!part || strcmp(part, "elm.swallow.end") != 0)
        return nullptr;
    int value = 1;
    if (vconf_get_bool(VCONFKEY_WIFI_DIRECT_PREFER_5G, &value) == -1) {
        value = 1;
        LOGD("Failed to get Wifi direct prefer 5g state");
    } else {
        LOGD("value: %d", value);
    }
    return setting_switch_add(obj, value, toggle_changed_cb);
}

}  // namespace

void wifi_direct(appdata_s *ad)
{
    if (!setting_row_append(ad, wifi_direct_text_get_cb, content_get_cb, nullptr, nullptr,
                            nullptr))
        LOGD("elm_genlist_item_append returned null");
}
