/*
 * The micom's fixed option layout and the codec over the 13 option bytes.
 * No state, no timers, no keys: see option_layout.h.
 */
#include "option_layout.h"

#include <cstdio>

#include "micom_channel.h"

namespace {

/* The layout of the micom's option data. The order of the options within a
 * byte does not follow their numbers (option 4 shares byte 0 with option 0,
 * option 17 lives in byte 4 while option 16 lives in byte 7): it is fixed by
 * the micom. */
constexpr std::array<option_field, OPTION_COUNT> LAYOUT = {{
    {0, 1, 4},  {1, 1, 4},  {2, 1, 1},  {2, 2, 4},  {0, 5, 3},  {1, 5, 3},  {2, 6, 2},
    {3, 1, 2},  {3, 3, 2},  {4, 1, 2},  {3, 5, 3},  {4, 3, 2},  {4, 5, 2},  {5, 1, 2},
    {5, 3, 2},  {5, 5, 2},  {7, 1, 2},  {4, 7, 1},  {5, 7, 1},  {6, 1, 1},  {6, 2, 3},
    {7, 3, 2},  {8, 1, 2},  {6, 5, 3},  {8, 3, 2},  {9, 1, 2},  {7, 5, 3},  {8, 5, 3},
    {9, 3, 2},  {10, 1, 2}, {10, 3, 2}, {9, 5, 3},  {10, 5, 3}, {11, 1, 4}, {12, 1, 4},
    {11, 5, 3}, {12, 5, 3},
}};

}  // namespace

const option_field *option_field_of(int n)
{
    if (n < 0 || n >= OPTION_COUNT)
        return nullptr;
    return &LAYOUT[static_cast<std::size_t>(n)];
}

unsigned option_mask(int n)
{
    const option_field *f = option_field_of(n);
    if (!f)
        return 0;
    return ((1u << f->width) - 1u) << f->first_bit;
}

int option_value_get(const option_bytes &bytes, int n)
{
    const option_field *f = option_field_of(n);
    if (!f)
        return OPTION_OUT_OF_RANGE;
    return (bytes[static_cast<std::size_t>(f->byte)] >> f->first_bit) & ((1 << f->width) - 1);
}

bool option_value_set(option_bytes &bytes, int n, int value)
{
    const option_field *f = option_field_of(n);
    if (!f)
        return false;
    unsigned mask = option_mask(n);
    std::uint8_t &byte = bytes[static_cast<std::size_t>(f->byte)];
    unsigned bits = (static_cast<unsigned>(value) << f->first_bit) & mask;
    byte = static_cast<std::uint8_t>((byte & ~mask) | bits);
    return true;
}

std::string option_byte_key(int k)
{
    if (k < 0 || k >= OPTION_BYTES)
        return {};
    char number[3];
    std::snprintf(number, sizeof number, "%02d", k + 1);
    return std::string(VCONFKEY_REFRIGERATOR_REF_OPTION_PREFIX) + number;
}

std::string option_save_command(int s)
{
    if (s < 1 || s > OPTION_BYTES)
        return {};
    char command[16];
    std::snprintf(command, sizeof command, "SET_OPTION_%02d", s);
    return command;
}

bool option_supported(int support, int icemaker)
{
    return support == -1 || (support & ~icemaker) == 0;
}
