// How a difference in the CRC register travels through the bytes that follow it.
//
// The table is linear: T[a ^ b] = T[a] ^ T[b]. A register difference D is carried
// through any later byte by the zero-byte step Z(D) = T[D & 0xFF] ^ (D >> 8),
// whatever that byte is, and the final inversion cancels out of a difference.
// Z can be undone: its top byte is the top byte of T[D & 0xFF], and the 256 table
// entries have 256 distinct top bytes. With top_inverse[T[k] >> 24] = k,
// Z^-1(Y) = ((Y ^ T[k]) << 8) | k where k = top_inverse[Y >> 24].
#pragma once
#include <stdint.h>

#include "document/crc32.h"

inline uint32_t zero_step(uint32_t difference)
{
    return g_crc_table[difference & 0xFF] ^ (difference >> 8);
}

inline uint32_t zero_step_back(uint32_t difference, const uint8_t* top_inverse)
{
    uint8_t low = top_inverse[difference >> 24];
    return ((difference ^ g_crc_table[low]) << 8) | low;
}

inline void build_top_inverse(uint8_t* top_inverse)
{
    for (uint32_t k = 0; k < 256; k++) {
        top_inverse[g_crc_table[k] >> 24] = (uint8_t)k;
    }
}
