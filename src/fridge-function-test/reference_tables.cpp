/*
 * Rules the screens apply to reference-database rows: see reference_tables.h.
 * No state.
 */
#include "reference_tables.h"

int forcerun_status_of(const char *mode)
{
    if (!mode)
        return 0;
    std::string_view text(mode);
    for (const forcerun_status_prefix &entry : FORCE_RUN_STATUS_BY_PREFIX) {
        if (text.substr(0, entry.prefix.size()) == entry.prefix)
            return entry.status;
    }
    return 0;
}
