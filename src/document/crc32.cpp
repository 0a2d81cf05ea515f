#include "crc32.h"

#include "chunk_file.h"

uint32_t g_crc_table[256];

void build_crc_table()
{
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) {
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        }
        g_crc_table[n] = c;
    }
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
