// CRC-32 as PNG uses it: reflected polynomial 0xEDB88320, register preset to
// all ones, final value inverted. One process-wide 256-entry table.
#pragma once
#include <stdint.h>

struct ChunkRecord;

extern uint32_t g_crc_table[256];

// Fills the table. Cheap and idempotent; must run before the first chunk_crc.
void     build_crc_table();
// The register advanced by one byte; the register is never inverted here.
uint32_t crc_step(uint32_t reg, uint8_t byte);
// CRC over the four type bytes and the `length` data bytes of a record.
uint32_t chunk_crc(const ChunkRecord& record);
