/*
 * Micom message channel: commands are strings written to
 * memory/refrigerator/TxMessage; the micom service answers in other keys.
 * Nothing acknowledges a command. No state, no timers.
 */
#include "micom_channel.h"

#include <vconf.h>

int micom_send(const char *command)
{
    return vconf_set_str(VCONFKEY_REFRIGERATOR_TX_MESSAGE, command ? command : "");
}
