/*
 * Partition switch row of the settings list.
 */
#ifndef EM_PXN_PARTITION_SWITCH_H
#define EM_PXN_PARTITION_SWITCH_H

#include "main.h"

/* Request of a firmware partition switch (and reboot) to the platform: int,
 * written 1, never read here. */
#define VCONFKEY_REQ_PARTITION_SWITCH "memory/developer/reqPartitionSwitch"

/* Appends the row with its "SWITCH" button to the settings list. */
void PXN_partition_switch(appdata_s *ad);

#endif
