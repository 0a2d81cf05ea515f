// The repair search done the long way, as the reference the fast search is held to:
// every position in rising order, every value 0 to 255 at it, each trial feeding the
// whole tail behind the position again. Slow (256 times the tail per position) but
// plainly right. It drives the same RepairPorts, flags and document as repair_chunk,
// so any test program (unit tests, fuzzers, the benchmark) can run both and compare.
#pragma once
#include <stdint.h>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "repair/repair_search.h"
#include "repair/repair_texts.h"
#include "resource_ids.h"

inline void plain_repair_chunk(int32_t index, const RepairPorts& ports)
{
    g_cancel = 0;
    if (!is_damaged(index)) {
        return;
    }
    ChunkRecord& record = g_document.records[index];
    const uint8_t* data = record.data;
    const uint32_t length = record.length;
    g_busy = 1;
    ports.enable_owner(ports.owner, 0);
    ports.open_progress(ports.owner);
    ports.show_number(IDC_REPAIR_LENGTH, length);

    uint32_t prefix = 0xFFFFFFFFu;
    for (int k = 0; k < 4; k++) {
        prefix = crc_step(prefix, record.type[k]);
    }
    uint32_t last_time = 0;
    uint32_t last_position = 0;
    int found = 0;
    int cancelled = 0;
    uint32_t found_position = 0;
    uint8_t found_value = 0;
    for (uint32_t i = 0; i < length && !found && !cancelled; i++) {
        for (uint32_t c = 0; c < 256; c++) {
            uint32_t trial = crc_step(prefix, (uint8_t)c);
            for (uint32_t k = i + 1; k < length; k++) {
                trial = g_crc_table[(trial ^ data[k]) & 0xFF] ^ (trial >> 8);
            }
            if ((trial ^ 0xFFFFFFFFu) == record.stored_crc) {
                found = 1;
                found_position = i;
                found_value = (uint8_t)c;
                break;
            }
        }
        if (found) {
            break;
        }
        uint32_t now = ports.read_clock();
        if (now - last_time > 1000) {
            ports.show_number(IDC_REPAIR_POSITION, i);
            uint32_t d = i - last_position;
            if (d > 10) {
                ports.show_number(IDC_REPAIR_ESTIMATE, (length - i) / d);
            } else {
                ports.show_text(IDC_REPAIR_ESTIMATE, "----");
            }
            last_position = i;
            last_time = ports.read_clock();
        }
        prefix = crc_step(prefix, data[i]);
        ports.pump_one_event();
        if (g_cancel) {
            cancelled = 1;
        }
    }

    if (found) {
        ports.show_number(IDC_REPAIR_POSITION, found_position);
        record.data[found_position] = found_value;
        record.computed_crc = record.stored_crc;
        ports.info_box(ports.owner, TEXT_REPAIRED, CAPTION_INFORMATION);
    } else if (!cancelled) {
        if (ports.ask_yes_no(ports.owner, TEXT_NOT_REPAIRABLE, CAPTION_INFORMATION) == 1) {
            record.stored_crc = record.computed_crc;
        }
    }
    g_busy = 0;
    ports.enable_owner(ports.owner, 1);
    ports.close_progress();
}
