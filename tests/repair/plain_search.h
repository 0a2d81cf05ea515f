// The repair search done the long way, as the reference the fast search is held to:
// every position in rising order, every value 0 to 255 at it, each trial feeding the
// whole tail behind the position again. Slow (256 times the tail per position) but
// plainly right. It drives the same RepairPorts, flags and document as repair_chunk
// and hands what it found to the same ending (conclude_repair), so any test program
// (unit tests, fuzzers, the benchmark) can run both and compare.
#pragma once
#include <stdint.h>

#include <vector>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "repair/repair_search.h"
#include "repair/repair_texts.h"
#include "repair/structure_check.h"
#include "resource_ids.h"

// Every value at position i that makes the CRC match, given the register after the
// type and the bytes in front of i.
inline std::vector<RepairCandidate> plain_candidates_at(const ChunkRecord& record, uint32_t prefix, uint32_t i)
{
    std::vector<RepairCandidate> found;
    for (uint32_t c = 0; c < 256; c++) {
        uint32_t trial = crc_step(prefix, (uint8_t)c);
        for (uint32_t k = i + 1; k < record.length; k++) {
            trial = g_crc_table[(trial ^ record.data[k]) & 0xFF] ^ (trial >> 8);
        }
        if ((trial ^ 0xFFFFFFFFu) == record.stored_crc) {
            found.push_back(RepairCandidate{i, record.data[i], (uint8_t)c, REPAIR_CHECK_NONE});
        }
    }
    return found;
}

// Every candidate of a chunk, unchecked.
inline std::vector<RepairCandidate> plain_candidates(const ChunkRecord& record)
{
    std::vector<RepairCandidate> all;
    uint32_t prefix = 0xFFFFFFFFu;
    for (int k = 0; k < 4; k++) prefix = crc_step(prefix, record.type[k]);
    for (uint32_t i = 0; i < record.length; i++) {
        for (const RepairCandidate& found : plain_candidates_at(record, prefix, i)) all.push_back(found);
        prefix = crc_step(prefix, record.data[i]);
    }
    return all;
}

inline void plain_repair_chunk(int32_t index, const RepairPorts& ports)
{
    g_cancel = 0;
    if (!is_damaged(index)) {
        return;
    }
    ChunkRecord& record = g_document.records[index];
    const uint32_t length = record.length;
    g_busy = 1;
    ports.enable_owner(ports.context, 0);
    ports.open_progress(ports.context);
    ports.show_number(ports.context, IDC_REPAIR_LENGTH, length);

    uint32_t prefix = 0xFFFFFFFFu;
    for (int k = 0; k < 4; k++) {
        prefix = crc_step(prefix, record.type[k]);
    }
    uint32_t last_time = 0;
    uint32_t last_position = 0;
    int cancelled = 0;
    RepairCandidate shown[REPAIR_ROWS_SHOWN];
    int32_t total = 0;
    for (uint32_t i = 0; i < length && !cancelled; i++) {
        for (const RepairCandidate& found : plain_candidates_at(record, prefix, i)) {
            if (total < REPAIR_ROWS_SHOWN) shown[total] = found;
            total++;
        }
        uint32_t now = ports.read_clock(ports.context);
        if (now - last_time > 1000) {
            ports.show_number(ports.context, IDC_REPAIR_POSITION, i);
            uint32_t d = i - last_position;
            if (d > 10) {
                ports.show_number(ports.context, IDC_REPAIR_ESTIMATE, (length - i) / d);
            } else {
                ports.show_text(ports.context, IDC_REPAIR_ESTIMATE, "----");
            }
            last_position = i;
            last_time = ports.read_clock(ports.context);
        }
        prefix = crc_step(prefix, record.data[i]);
        ports.pump_one_event(ports.context);
        if (g_cancel) {
            cancelled = 1;
        }
    }

    if (!cancelled) {
        int32_t count = total < REPAIR_ROWS_SHOWN ? total : REPAIR_ROWS_SHOWN;
        for (int32_t k = 0; k < count; k++) shown[k].check = check_repair_candidate(index, shown[k]);
        conclude_repair(index, shown, count, total, ports);
    }
    g_busy = 0;
    ports.enable_owner(ports.context, 1);
    ports.close_progress(ports.context);
}
