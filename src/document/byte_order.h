// Big-endian 32-bit values as PNG stores them, read and written with shifts.
#pragma once
#include <stdint.h>

inline uint32_t read_u32(const uint8_t* p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

inline void write_u32(uint8_t* p, uint32_t value)
{
    p[0] = (uint8_t)(value >> 24);
    p[1] = (uint8_t)(value >> 16);
    p[2] = (uint8_t)(value >> 8);
    p[3] = (uint8_t)value;
}

// The four type bytes as one word, so that types compare in one step and case counts.
inline uint32_t type_word(const uint8_t* type)
{
    return read_u32(type);
}

inline uint32_t type_word(const char* name)
{
    return read_u32(reinterpret_cast<const uint8_t*>(name));
}
