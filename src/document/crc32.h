// CRC-32 as PNG uses it: reflected polynomial 0xEDB88320, register preset to
// all ones, final value inverted. One process-wide 256-entry table.
#pragma once
#include <stdint.h>

struct ChunkRecord;

extern uint32_t g_crc_table[256];
// x to the power 8 * 2^k modulo the CRC's polynomial, for k from 0 to 63.
extern uint32_t g_crc_zero_powers[64];

// Fills the tables. Cheap and idempotent; must run before the first chunk_crc.
void     build_crc_table();
// The register advanced by one byte; the register is never inverted here.
uint32_t crc_step(uint32_t reg, uint8_t byte);
// CRC over the four type bytes and the `length` data bytes of a record.
uint32_t chunk_crc(const ChunkRecord& record);

// A register is a polynomial modulo the CRC's own, held reflected (x^0 in the top
// bit). Bytes are linear in it: the register over A || B is the register over A
// times x^(8 |B|), plus the register over B begun at zero. The product of two:
uint32_t crc_multiply(uint32_t a, uint32_t b);
// The register times x^(8 `bytes`): what `bytes` zero bytes make of it.
uint32_t crc_zero_bytes(uint32_t reg, uint64_t bytes);
