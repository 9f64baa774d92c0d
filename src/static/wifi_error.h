/*
 * Names of the Wi-Fi client library's error values, as the static IP screen
 * logs them. No widgets: panel-wifi shares it.
 */
#ifndef EM_WIFI_ERROR_H
#define EM_WIFI_ERROR_H

#include <span>

struct wifi_error_name {
    int value;
    const char *name;
};

/* The sixteen named values, in the enumeration's order (0xFE3B0305 has no
 * name). */
std::span<const wifi_error_name> wifi_error_names(void);

/* Name of a Wi-Fi error value as a malloc'ed copy the caller frees; NULL for
 * a value without a name (or when memory runs out). */
char *wifi_error_disp(int error);

#endif
