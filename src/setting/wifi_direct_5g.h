/*
 * Wi-Fi Direct 5G row of the settings list.
 */
#ifndef EM_WIFI_DIRECT_5G_H
#define EM_WIFI_DIRECT_5G_H

#include "main.h"

/* Whether the panel's Wi-Fi Direct (screen mirroring) link prefers a 5 GHz
 * channel: bool, 1 on. */
#define VCONFKEY_WIFI_DIRECT_PREFER_5G "db/wifi/wifi_direct_prefer_5g"

/* Appends the row with its on/off switch to the settings list. */
void wifi_direct(appdata_s *ad);

#endif
