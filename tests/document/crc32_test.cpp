#include <gtest/gtest.h>

#include "document/chunk_file.h"
#include "document/crc32.h"

// Bit by bit, straight from the polynomial: the table must agree with it.
static uint32_t bitwise_crc(const uint8_t* bytes, size_t count)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; i++) {
        c ^= bytes[i];
        for (int k = 0; k < 8; k++) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

TEST(Crc32, KnownVectors)
{
    build_crc_table();
    ChunkRecord iend = {0, {'I', 'E', 'N', 'D'}, 0, 0, nullptr};
    EXPECT_EQ(0xAE426082u, chunk_crc(iend));

    uint32_t reg = 0xFFFFFFFFu;
    for (const char* p = "123456789"; *p; p++) reg = crc_step(reg, (uint8_t)*p);
    EXPECT_EQ(0xCBF43926u, reg ^ 0xFFFFFFFFu);
}

TEST(Crc32, HighBitTypeBytesAndDataMatchPlainCrc)
{
    build_crc_table();
    uint8_t data[300];
    for (int i = 0; i < 300; i++) data[i] = (uint8_t)(i * 37 + 200);
    ChunkRecord record = {300, {0xFF, 0x80, 0x00, 0xE9}, 0, 0, data};
    uint8_t all[304];
    for (int k = 0; k < 4; k++) all[k] = record.type[k];
    for (int i = 0; i < 300; i++) all[4 + i] = data[i];
    EXPECT_EQ(bitwise_crc(all, sizeof(all)), chunk_crc(record));
    // A changed length takes effect at once.
    record.length = 10;
    EXPECT_EQ(bitwise_crc(all, 14), chunk_crc(record));
}

// The register over A || B is the register over A times x^(8 |B|) plus B's own.
TEST(Crc32, ZeroBytesAdvanceTheRegisterAsBytesDo)
{
    build_crc_table();
    for (uint32_t count : {0u, 1u, 7u, 300u, 65537u}) {
        uint32_t reg = 0x12345678u, zeros = reg, b = 0;
        for (uint32_t i = 0; i < count; i++) {
            zeros = crc_step(zeros, 0);
            b = crc_step(b, (uint8_t)(i * 13 + 1));
            reg = crc_step(reg, (uint8_t)(i * 13 + 1));
        }
        EXPECT_EQ(zeros, crc_zero_bytes(0x12345678u, count)) << count;
        EXPECT_EQ(reg, crc_zero_bytes(0x12345678u, count) ^ b) << count;
    }
}
