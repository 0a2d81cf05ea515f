// What a repair test needs around the search: a document holding the chunk under
// repair, and RepairPorts that record every call in order as one text while a
// scripted clock, pump and question answer it. Header-only, so that the unit tests,
// a fuzzer or the benchmark can include it without further build rules.
#pragma once
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "document/chunk_file.h"
#include "document/crc32.h"
#include "document/memory.h"
#include "repair/repair_search.h"

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

struct PortScript {
    uint32_t clock_start = 0;             // the first clock reading
    std::vector<uint32_t> clock_steps;    // added after each reading, cycling; none: the clock stands still
    uint64_t cancel_at_pump = 0;          // this pump call (counted from 1) sets the cancel flag; 0: none
    int answer = 0;                       // what the Yes/No question returns (1 = Yes)
    bool log_clock = true;                // whether clock readings appear in the calls
};

struct PortLog {
    PortScript script;
    uint32_t now = 0;
    size_t next_step = 0;
    uint64_t pumps = 0;
    std::string calls;  // one line per port call, in order
};

inline PortLog g_port_log;
inline int g_port_owner;  // its address is the owner handed to the search

inline void port_line(const std::string& line)
{
    g_port_log.calls += line;
    g_port_log.calls += '\n';
}

inline const char* port_owner_mark(void* owner)
{
    return owner == &g_port_owner ? "" : " (foreign owner)";
}

inline void port_enable_owner(void* owner, int enabled)
{
    port_line("enable " + std::to_string(enabled) + " busy " + std::to_string(g_busy) + port_owner_mark(owner));
}

inline void port_open_progress(void* owner)
{
    port_line(std::string("open") + port_owner_mark(owner));
}

inline void port_show_number(int field, uint32_t value)
{
    port_line("number " + std::to_string(field) + " " + std::to_string(value));
}

inline void port_show_text(int field, const char* text)
{
    port_line("text " + std::to_string(field) + " " + text);
}

inline uint32_t port_read_clock()
{
    PortLog& log = g_port_log;
    uint32_t reading = log.now;
    if (!log.script.clock_steps.empty()) {
        log.now += log.script.clock_steps[log.next_step++ % log.script.clock_steps.size()];
    }
    if (log.script.log_clock) {
        port_line("clock " + std::to_string(reading));
    }
    return reading;
}

inline void port_pump_one_event()
{
    port_line("pump");
    if (++g_port_log.pumps == g_port_log.script.cancel_at_pump) {
        g_cancel = 1;
    }
}

inline void port_info_box(void* owner, const char* text, const char* caption)
{
    port_line(std::string("info ") + caption + "|" + text + " busy " + std::to_string(g_busy) +
              port_owner_mark(owner));
}

inline int port_ask_yes_no(void* owner, const char* text, const char* caption)
{
    port_line(std::string("ask ") + caption + "|" + text + " busy " + std::to_string(g_busy) +
              port_owner_mark(owner));
    return g_port_log.script.answer;
}

inline void port_close_progress()
{
    port_line("close busy " + std::to_string(g_busy));
}

// Starts a fresh log that follows `script` and returns the ports that write to it.
inline RepairPorts recording_ports(const PortScript& script)
{
    g_port_log = PortLog();
    g_port_log.script = script;
    g_port_log.now = script.clock_start;
    return RepairPorts{&g_port_owner,   port_enable_owner, port_open_progress, port_show_number,
                       port_show_text,  port_read_clock,   port_pump_one_event, port_info_box,
                       port_ask_yes_no, port_close_progress};
}
