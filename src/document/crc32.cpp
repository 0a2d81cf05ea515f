#include "crc32.h"

#include "chunk_file.h"

uint32_t g_crc_table[256];
uint32_t g_crc_zero_powers[64];

void build_crc_table()
{
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) {
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        }
        g_crc_table[n] = c;
    }
    g_crc_zero_powers[0] = 0x00800000u;  // x^8
    for (int k = 1; k < 64; k++) {
        g_crc_zero_powers[k] = crc_multiply(g_crc_zero_powers[k - 1], g_crc_zero_powers[k - 1]);
    }
}

uint32_t crc_multiply(uint32_t a, uint32_t b)
{
    uint32_t product = 0;
    for (uint32_t bit = 0x80000000u; bit && a; bit >>= 1) {
        if (a & bit) {
            product ^= b;
            a ^= bit;
        }
        b = (b & 1) ? (b >> 1) ^ 0xEDB88320u : b >> 1;
    }
    return product;
}

uint32_t crc_zero_bytes(uint32_t reg, uint64_t bytes)
{
    for (int k = 0; bytes; k++, bytes >>= 1) {
        if (bytes & 1) reg = crc_multiply(g_crc_zero_powers[k], reg);
    }
    return reg;
}

uint32_t crc_step(uint32_t reg, uint8_t byte)
{
    return g_crc_table[(reg ^ byte) & 0xFF] ^ (reg >> 8);
}

uint32_t chunk_crc(const ChunkRecord& record)
{
    uint32_t reg = 0xFFFFFFFFu;
    for (int k = 0; k < 4; k++) {
        reg = crc_step(reg, record.type[k]);
    }
    const uint8_t* data = record.data;
    for (uint32_t k = 0; k < record.length; k++) {
        reg = g_crc_table[(reg ^ data[k]) & 0xFF] ^ (reg >> 8);
    }
    return reg ^ 0xFFFFFFFFu;
}
