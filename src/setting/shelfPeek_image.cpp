/*
 * ShelfPeek image row of the settings list: an on/off switch bound to the
 * int key "db/webservice/ShelfPeekImageToServer" (1 on, 0 off as written
 * here; any value but 0 shows as on). The switch is built from the key each
 * time the row is realised (on when the key cannot be read) and writes the
 * key at each flip; a refused write is logged and posted as a status
 * notification, and the switch keeps its new position.
 *
 * State: none; the key is the only store. No timers.
 */
#include "setting/shelfPeek_image.h"

#include <notification.h>
#include <vconf.h>

#include <cstring>
#include <optional>

#include "common.h"
#include "log.h"
#include "setting/setting.h"

namespace {

constexpr const char *WRITE_FAILED = "Failed to set status of sending shelfPeek image to server";

char *shelfPeek_text_get_cb(void *, Evas_Object *, const char *part)
{
    return setting_text_dup(part, "elm.text", "Send ShelfPeek image to the server");
}

void toggle_changed_cb(void *data, Evas_Object *, void *)
{
    int value = elm_check_state_get(static_cast<Evas_Object *>(data)) ? 1 : 0;
    LOGD("toggle value is %d", value);
    if (vconf_set_int(VCONFKEY_SHELFPEEK_IMAGE_TO_SERVER, value) != 0) {
        LOGD("%s", WRITE_FAILED);
        notification_status_message_post(WRITE_FAILED);
    }
}

Evas_Object *content_get_cb(void *, Evas_Object *obj, const char *part)
{
    if (!part || strcmp(part, "elm.swallow.end") != 0)
        return nullptr;
    std::optional<int> value = key_get_int(VCONFKEY_SHELFPEEK_IMAGE_TO_SERVER);
    if (value)
        LOGD("value: %d", *value);
    else
        LOGD("Failed to get shelfPeek Image to Server state");
    return setting_switch_add(obj, value.value_or(1), toggle_changed_cb);
}

}  // namespace

void shelfPeek_direct(appdata_s *ad)
{
    if (!setting_row_append(ad, shelfPeek_text_get_cb, content_get_cb, nullptr, nullptr,
                            nullptr))
        LOGD("elm_genlist_item_append returned null");
}
