/*
 * Names of the Wi-Fi client library's error values. State: the constant
 * table only.
 */
#include "static/wifi_error.h"

#include <wifi.h>

#include <array>
#include <cstring>

namespace {

constexpr std::array<wifi_error_name, 16> NAMES{{
    {WIFI_ERROR_NONE, "WIFI_ERROR_NONE"},
    {WIFI_ERROR_INVALID_PARAMETER, "WIFI_ERROR_INVALID_PARAMETER"},
    {WIFI_ERROR_OUT_OF_MEMORY, "WIFI_ERROR_OUT_OF_MEMORY"},
    {WIFI_ERROR_INVALID_OPERATION, "WIFI_ERROR_INVALID_OPERATION"},
    {WIFI_ERROR_ADDRESS_FAMILY_NOT_SUPPORTED, "WIFI_ERROR_ADDRESS_FAMILY_NOT_SUPPORTED"},
    {WIFI_ERROR_OPERATION_FAILED, "WIFI_ERROR_OPERATION_FAILED"},
    {WIFI_ERROR_NO_CONNECTION, "WIFI_ERROR_NO_CONNECTION"},
    {WIFI_ERROR_NOW_IN_PROGRESS, "WIFI_ERROR_NOW_IN_PROGRESS"},
    {WIFI_ERROR_ALREADY_EXISTS, "WIFI_ERROR_ALREADY_EXISTS"},
    {WIFI_ERROR_OPERATION_ABORTED, "WIFI_ERROR_OPERATION_ABORTED"},
    {WIFI_ERROR_DHCP_FAILED, "WIFI_ERROR_DHCP_FAILED"},
    {WIFI_ERROR_INVALID_KEY, "WIFI_ERROR_INVALID_KEY"},
    {WIFI_ERROR_NO_REPLY, "WIFI_ERROR_NO_REPLY"},
    {WIFI_ERROR_SECURITY_RESTRICTED, "WIFI_ERROR_SECURITY_RESTRICTED"},
    {WIFI_ERROR_PERMISSION_DENIED, "WIFI_ERROR_PERMISSION_DENIED"},
    {WIFI_ERROR_NOT_SUPPORTED, "WIFI_ERROR_NOT_SUPPORTED"},
}};

}  // namespace

std::span<const wifi_error_name> wifi_error_names(void)
{
    return NAMES;
}

char *wifi_error_disp(int error)
{
    for (const wifi_error_name &entry : NAMES)
        if (entry.value == error)
            return strdup(entry.name);
    return nullptr;
}
