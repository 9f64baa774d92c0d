/*
 * Static IP Wi-Fi screen: the main-menu entry. The form and the connection
 * are not built yet; the entry only logs.
 */
#include "static/static_ip.h"

#include "log.h"

void static_ip_cb(void *, Evas_Object *, void *)
{
    LOGD("START");
    LOGD("static IP setting is not available in this build");
}
