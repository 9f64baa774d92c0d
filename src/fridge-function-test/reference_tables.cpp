/*
 * Rules the screens apply to reference-database rows: see reference_tables.h.
 * No state.
 */
#include "reference_tables.h"

#include <array>

namespace {

struct status_prefix {
    std::string_view prefix;
    int status;
};

/* Tried in this order; each is a prefix test over exactly the prefix's
 * length, so "SET_KEY_FORCE_TEST_RUN12" is RUN1 and a truncated
 * "SET_KEY_FORCE_TEST_LONG" is nothing. */
constexpr std::array<status_prefix, 8> STATUS_BY_PREFIX = {{
    {"SET_KEY_FORCE_TEST_RUN1", 1},
    {"SET_KEY_FORCE_TEST_RUN2", 2},
    {"SET_KEY_FORCE_TEST_RUN3", 3},
    {"SET_KEY_FORCE_TEST_RUN4", 4},
    {"SET_KEY_FORCE_TEST_RDEF", 16},
    {"SET_KEY_FORCE_TEST_FDEF", 17},
    {"SET_KEY_FORCE_TEST_FCVDEF", 18},
    {"SET_KEY_FORCE_TEST_LONGDEF", 32},
}};

}  // namespace

int forcerun_status_of(const char *mode)
{
    if (!mode)
        return 0;
    std::string_view text(mode);
    for (const status_prefix &entry : STATUS_BY_PREFIX) {
        if (text.substr(0, entry.prefix.size()) == entry.prefix)
            return entry.status;
    }
    return 0;
}
