/*
 * Device settings screen: the main-menu entry. The settings list is not
 * built yet; the entry only logs.
 */
#include "setting/setting.h"

#include "log.h"

void setting_cb(void *, Evas_Object *, void *)
{
    LOGD("START");
    LOGD("settings are not available in this build");
}
