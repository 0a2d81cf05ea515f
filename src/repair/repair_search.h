// The single-byte repair search: finds the one data byte whose replacement makes
// the computed CRC equal to the stored one. It reaches the window system only
// through RepairPorts.
#pragma once
#include <stdint.h>

struct RepairPorts {
    void*    owner;
    void     (*enable_owner)(void* owner, int enabled);
    void     (*open_progress)(void* owner);
    void     (*show_number)(int field, uint32_t value);       // unsigned decimal
    void     (*show_text)(int field, const char* text);
    uint32_t (*read_clock)();                                  // milliseconds, wraps
    void     (*pump_one_event)();
    void     (*info_box)(void* owner, const char* text, const char* caption);
    int      (*ask_yes_no)(void* owner, const char* text, const char* caption);   // 1 = Yes
    void     (*close_progress)();
};

extern int g_busy;      // 1 while a search runs
extern int g_cancel;    // set by the progress window's Cancel button

void repair_chunk(int32_t index, const RepairPorts& ports);
