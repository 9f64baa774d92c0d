/*
 * The micom's control options as bits of its 13 option bytes: the fixed
 * layout that places each of the 37 options in a bit field of one byte, the
 * value codec over a copy of the bytes, the key that mirrors each byte and
 * the command that makes the micom take it. No widgets and no key access:
 * the application, the micom service and the option tool link this one
 * table.
 */
#ifndef EM_OPTION_LAYOUT_H
#define EM_OPTION_LAYOUT_H

#include <array>
#include <cstdint>
#include <string>

inline constexpr int OPTION_COUNT = 37;    /* options 0 to 36 */
inline constexpr int OPTION_BYTES = 13;    /* bytes 0 to 12 */
inline constexpr int OPTION_CHOICES = 16;  /* choice texts an option record holds */
/* What the value getters give for an option number outside 0 to 36. */
inline constexpr int OPTION_OUT_OF_RANGE = 255;

using option_bytes = std::array<std::uint8_t, OPTION_BYTES>;

/* Where option n lives: bits first_bit .. first_bit + width - 1 of byte
 * `byte`. Bit 0 of every byte belongs to no option. */
struct option_field {
    int byte;
    int first_bit;
    int width;
};

/* The field of option n; nullptr when n is outside 0 to 36. */
const option_field *option_field_of(int n);

/* Mask of option n's bits within its byte; 0 outside 0 to 36. */
unsigned option_mask(int n);

/* Value of option n in bytes: (byte >> first bit) & (2^width - 1);
 * OPTION_OUT_OF_RANGE when n is outside 0 to 36. */
int option_value_get(const option_bytes &bytes, int n);

/* Stores the low width bits of value into option n's field, leaving every
 * other bit of the byte alone. Returns false (and changes nothing) when n is
 * outside 0 to 36. */
bool option_value_set(option_bytes &bytes, int n, int value);

/* Key that mirrors byte k (0 to 12): "db/refrigerator/RefOption01" ..
 * "db/refrigerator/RefOption13"; "" outside. */
std::string option_byte_key(int k);

/* Command that makes the micom take the key of byte number s (1 to 13):
 * "SET_OPTION_01" .. "SET_OPTION_13"; "" outside. */
std::string option_save_command(int s);

/* An option is supported when its support mask is -1 or every bit set in
 * it is also set in the ice-maker value. */
bool option_supported(int support, int icemaker);

#endif
