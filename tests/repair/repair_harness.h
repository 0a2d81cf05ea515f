// What a repair test needs around the search: a document holding the chunk under
// repair, and RepairPorts that record every call in order as one text while a
// scripted clock, pump and question answer it. Header-only, so that the unit tests,
// a fuzzer or the benchmark can include it without further build rules.
#pragma once
#include <stdint.h>
#include <string.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include <zlib.h>

#include "document/chunk_file.h"
#include "document/crc32.h"
#include "document/memory.h"
#include "repair/repair_search.h"
#include "repair/stream_check.h"
#include "support/test_support.h"

// CRC of a chunk with these type bytes and data.
inline uint32_t repair_crc_of(const uint8_t* type, const std::vector<uint8_t>& data)
{
    build_crc_table();
    ChunkRecord record = {};
    record.length = (uint32_t)data.size();
    memcpy(record.type, type, 4);
    record.data = const_cast<uint8_t*>(data.data());
    return chunk_crc(record);
}

// Replaces the document by two records: the chunk under repair at index 0, then IEND.
inline void install_repair_document(const uint8_t* type, const std::vector<uint8_t>& data, uint32_t stored_crc)
{
    release_document();
    build_crc_table();
    ChunkRecord* records = (ChunkRecord*)zero_alloc(2 * sizeof(ChunkRecord));
    ChunkRecord& chunk = records[0];
    chunk.length = (uint32_t)data.size();
    memcpy(chunk.type, type, 4);
    chunk.data = (uint8_t*)zero_alloc(data.size());
    if (!data.empty()) {
        memcpy(chunk.data, data.data(), data.size());
    }
    chunk.stored_crc = stored_crc;
    chunk.computed_crc = chunk_crc(chunk);
    ChunkRecord& end = records[1];
    memcpy(end.type, "IEND", 4);
    end.data = (uint8_t*)zero_alloc(0);
    end.computed_crc = chunk_crc(end);
    end.stored_crc = end.computed_crc;
    g_document.records = records;
    g_document.count = 2;
    g_document.loaded = 1;
}

// Replaces the document by these chunks, every one intact.
inline void install_chunks(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks)
{
    release_document();
    build_crc_table();
    ChunkRecord* records = (ChunkRecord*)zero_alloc(chunks.size() * sizeof(ChunkRecord));
    for (size_t k = 0; k < chunks.size(); k++) {
        ChunkRecord& record = records[k];
        const std::vector<uint8_t>& data = chunks[k].second;
        record.length = (uint32_t)data.size();
        memcpy(record.type, chunks[k].first.data(), 4);
        record.data = (uint8_t*)zero_alloc(data.size());
        if (!data.empty()) memcpy(record.data, data.data(), data.size());
        record.computed_crc = chunk_crc(record);
        record.stored_crc = record.computed_crc;
    }
    g_document.records = records;
    g_document.count = (int32_t)chunks.size();
    g_document.loaded = 1;
}

// Changes one data byte of a record behind its stored CRC's back.
inline void damage_byte(int32_t index, uint32_t position, uint8_t change)
{
    ChunkRecord& record = g_document.records[index];
    record.data[position] ^= change;
    record.computed_crc = chunk_crc(record);
}

// The inflated rows of an image: each row a filter byte 0 to 4, then its bytes
// random (`random_rows`) or a gentle gradient that compresses well.
inline std::vector<uint8_t> image_rows(const ImageLayout& layout, uint32_t seed, bool random_rows)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> raw;
    raw.reserve(layout.size);
    for (int32_t p = 0; p < layout.passes; p++) {
        for (uint32_t r = 0; r < layout.rows[p]; r++) {
            raw.push_back((uint8_t)(rng() % 5));
            for (uint64_t k = 0; k < layout.row_bytes[p]; k++) {
                raw.push_back(random_rows ? (uint8_t)rng() : (uint8_t)(k / 7 + r));
            }
        }
    }
    return raw;
}

struct PortScript {
    uint32_t clock_start = 0;             // the first clock reading
    std::vector<uint32_t> clock_steps;    // added after each reading, cycling; none: the clock stands still
    uint64_t cancel_at_pump = 0;          // this pump call (counted from 1) sets the cancel flag; 0: none
    int answer = 0;                       // what the Yes/No question returns (1 = Yes)
    int32_t choice = REPAIR_CHOICE_LEAVE; // what the candidate dialog answers
    bool log_clock = true;                // whether clock readings appear in the calls
};

// The record of one search: handed to every port as its context, so that each
// test holds its own and nothing is kept in statics.
struct PortLog {
    explicit PortLog(const PortScript& script_ = PortScript()) : script(script_), now(script_.clock_start) {}
    PortScript script;
    uint32_t now = 0;
    size_t next_step = 0;
    uint64_t pumps = 0;
    std::string calls;  // one line per port call, in order
};

inline PortLog& port_log(void* context)
{
    return *(PortLog*)context;
}

inline void port_line(void* context, const std::string& line)
{
    port_log(context).calls += line + '\n';
}

inline void port_enable_owner(void* context, int enabled)
{
    port_line(context, "enable " + std::to_string(enabled) + " busy " + std::to_string(g_busy));
}

inline void port_open_progress(void* context)
{
    port_line(context, "open");
}

inline void port_show_number(void* context, int field, uint32_t value)
{
    port_line(context, "number " + std::to_string(field) + " " + std::to_string(value));
}

inline void port_show_text(void* context, int field, const char* text)
{
    port_line(context, "text " + std::to_string(field) + " " + text);
}

inline uint32_t port_read_clock(void* context)
{
    PortLog& log = port_log(context);
    uint32_t reading = log.now;
    if (!log.script.clock_steps.empty()) {
        log.now += log.script.clock_steps[log.next_step++ % log.script.clock_steps.size()];
    }
    if (log.script.log_clock) {
        port_line(context, "clock " + std::to_string(reading));
    }
    return reading;
}

inline void port_pump_one_event(void* context)
{
    port_line(context, "pump");
    if (++port_log(context).pumps == port_log(context).script.cancel_at_pump) {
        g_cancel = 1;
    }
}

inline void port_info_box(void* context, const char* text, const char* caption)
{
    port_line(context, std::string("info ") + caption + "|" + text + " busy " + std::to_string(g_busy));
}

inline int port_ask_yes_no(void* context, const char* text, const char* caption)
{
    port_line(context, std::string("ask ") + caption + "|" + text + " busy " + std::to_string(g_busy));
    return port_log(context).script.answer;
}

// The offer as one line: each candidate "position:old>new/check" (check N, P, p
// for partial, F), each dimension pair "WxH".
inline int32_t port_choose_candidate(void* context, const RepairOffer& offer)
{
    static const char CHECKS[] = "NPpF";
    std::string line = "choose " + std::to_string(offer.count) + "/" + std::to_string(offer.total);
    for (int32_t k = 0; k < offer.count; k++) {
        const RepairCandidate& c = offer.candidates[k];
        line += " " + std::to_string(c.position) + ":" + std::to_string(c.old_value) + ">" +
                std::to_string(c.new_value) + "/" + CHECKS[c.check & 3];
    }
    for (int32_t k = 0; k < offer.pairs; k++) {
        line += " " + std::to_string(offer.widths[k]) + "x" + std::to_string(offer.heights[k]);
    }
    port_line(context, line + " busy " + std::to_string(g_busy));
    return port_log(context).script.choice;
}

inline void port_close_progress(void* context)
{
    port_line(context, "close busy " + std::to_string(g_busy));
}

// The ports that write to `log` and answer as its script says.
inline RepairPorts recording_ports(PortLog& log)
{
    return RepairPorts{&log,            port_enable_owner, port_open_progress, port_show_number,
                       port_show_text,  port_read_clock,   port_pump_one_event, port_info_box,
                       port_ask_yes_no, port_close_progress, port_choose_candidate};
}
