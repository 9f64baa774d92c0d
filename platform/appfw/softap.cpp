/*
 * Soft AP stand-in. Whether the soft AP is on is the bool key
 * "memory/softap/enabled" (missing = off). softap_disable() turns it off
 * and reports through the disabled callback later on the main loop, never
 * inside the call. A key that holds no readable bool is taken as off, with a
 * warning (tag "SOFTAP").
 */
#include <dlog.h>
#include <softap.h>
#include <vconf.h>
#include <vconf_store.h>
#include <wifi_radio.h>

#include <Ecore.h>

#include <cstdlib>
#include <memory>

struct softap_s {
    softap_disabled_cb cb = nullptr;
    void *user_data = nullptr;
    Ecore_Timer *pending = nullptr;
};

namespace {

constexpr const char *TAG = "SOFTAP";

Eina_Bool disabled_report_cb(void *data)
{
    auto *h = static_cast<softap_s *>(data);
    h->pending = nullptr;
    if (h->cb)
        h->cb(SOFTAP_ERROR_NONE, SOFTAP_DISABLED_BY_REQUEST, h->user_data);
    return ECORE_CALLBACK_CANCEL;
}

}  // namespace

int softap_create(softap_h *softap)
{
    if (!softap)
        return SOFTAP_ERROR_INVALID_PARAMETER;
    *softap = std::make_unique<softap_s>().release();
    return SOFTAP_ERROR_NONE;
}

int softap_destroy(softap_h softap)
{
    if (!softap)
        return SOFTAP_ERROR_INVALID_PARAMETER;
    std::unique_ptr<softap_s> owner(softap);
    if (owner->pending)
        ecore_timer_del(owner->pending);
    return SOFTAP_ERROR_NONE;
}

int softap_is_enabled(softap_h softap, bool *enable)
{
    if (!softap || !enable)
        return SOFTAP_ERROR_INVALID_PARAMETER;
    int value = 0;
    /* A missing key is a soft AP that was never switched on (not an error);
     * one that holds no bool is taken as off, with a word. */
    char *why = nullptr;
    int type = vconf_store_check(wifi_radio::softap_key, &why);
    if (type != VCONF_TYPE_NONE && type != VCONF_TYPE_BOOL)
        dlog_print(DLOG_WARN, TAG, "%s cannot be used (%s): the soft AP is taken as off",
                   wifi_radio::softap_key, why ? why : "not a bool");
    free(why);
    *enable = type == VCONF_TYPE_BOOL && vconf_get_bool(wifi_radio::softap_key, &value) == VCONF_OK && value;
    return SOFTAP_ERROR_NONE;
}

int softap_disable(softap_h softap)
{
    if (!softap)
        return SOFTAP_ERROR_INVALID_PARAMETER;
    if (vconf_set_bool(wifi_radio::softap_key, 0) != VCONF_OK)
        return SOFTAP_ERROR_OPERATION_FAILED;
    if (!softap->pending)
        softap->pending = ecore_timer_add(0.2, disabled_report_cb, softap);
    return SOFTAP_ERROR_NONE;
}

int softap_set_disabled_cb(softap_h softap, softap_disabled_cb callback, void *user_data)
{
    if (!softap || !callback)
        return SOFTAP_ERROR_INVALID_PARAMETER;
    softap->cb = callback;
    softap->user_data = user_data;
    return SOFTAP_ERROR_NONE;
}

int softap_unset_disabled_cb(softap_h softap)
{
    if (!softap)
        return SOFTAP_ERROR_INVALID_PARAMETER;
    softap->cb = nullptr;
    softap->user_data = nullptr;
    return SOFTAP_ERROR_NONE;
}
