/*
 * Equalizer product-model popup of the settings screen.
 */
#ifndef EM_EQUALIZER_SETTING_H
#define EM_EQUALIZER_SETTING_H

#include <Elementary.h>

/* Product model the equalizer setting applies to, as text:
 * "NUVR1_0_T_TYPE", "NUVR1_0_BMF_TYPE" or "NUVR2_0". */
#define VCONFKEY_EQUALIZER_PRODUCT_MODEL "db/audio/volume/sorvaeq/product_model"

/* Selection of the equalizer row (data is the application record): opens
 * the popup with the three product models. */
void equalizer_setting_cb(void *data, Evas_Object *obj, void *event_info);

#endif
