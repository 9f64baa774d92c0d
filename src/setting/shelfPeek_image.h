/*
 * ShelfPeek image row of the settings list.
 */
#ifndef EM_SHELFPEEK_IMAGE_H
#define EM_SHELFPEEK_IMAGE_H

#include "main.h"

/* Whether the ShelfPeek image is sent to the server: int, 1 on, 0 off (any
 * value but 0 reads as on). */
#define VCONFKEY_SHELFPEEK_IMAGE_TO_SERVER "db/webservice/ShelfPeekImageToServer"

/* Appends the row with its on/off switch to the settings list. */
void shelfPeek_direct(appdata_s *ad);

#endif
