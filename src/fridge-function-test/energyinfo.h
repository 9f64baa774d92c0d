/*
 * Energy information screen.
 */
#ifndef EM_ENERGYINFO_H
#define EM_ENERGYINFO_H

#include <Elementary.h>

void init_energyinfo(void);
void _btn_energyinfo_cb(void *data, Evas_Object *obj, void *event_info);
/* Stops a running measurement: the micom report's notification is removed
 * and the sampling thread cancelled (waiting, at most 2 s, until it has
 * left its sample). Safe to call when nothing runs. */
void delete_energyinfo(void);

/* For tests: one sample of the LCD's power as the sampling thread takes it,
 * on the calling thread; and the thread's pause between samples (1 s unless
 * changed). */
void energyinfo_sample_once(void);
void energyinfo_set_sample_period_us(unsigned int microseconds);

#endif
