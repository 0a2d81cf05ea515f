// The window half of the repair search: the progress window DIALOG_REPAIR with its
// Cancel button, and the RepairPorts that map the search's needs onto Win32.
#pragma once
#include <windows.h>

#include "repair/repair_search.h"

// The window half of one search: what its ports work on, held by the caller for
// as long as the search runs.
struct RepairWindow {
    HWND  owner;      // the main window: disabled during the search, owns every window of it
    HWND  progress;   // the open progress window, or null
    DWORD last_look;  // clock reading at the pump's last look at the queue
};

// Ports for a search that work on `window` (its owner set, the rest zero).
RepairPorts repair_window_ports(RepairWindow* window);

// The ports of one search together with the window half they work on, for a
// caller that hands them straight to repair_chunk: the temporary lives until the
// end of that statement. Neither copied nor moved, since the ports point into it.
struct RepairWindowPorts {
    RepairWindow window;
    RepairPorts  ports;
    explicit RepairWindowPorts(HWND owner);
    RepairWindowPorts(const RepairWindowPorts&) = delete;
    RepairWindowPorts& operator=(const RepairWindowPorts&) = delete;
    operator const RepairPorts&() const { return ports; }
};
// Ports for a search owned by `owner` (the main window), as in
// `repair_chunk(row, repair_window_ports(window))`.
RepairWindowPorts repair_window_ports(HWND owner);

// The progress window's procedure: Cancel (IDC_REPAIR_CANCEL) sets the cancel flag; every other
// command is swallowed, so nothing but Cancel ends or interrupts a search.
INT_PTR CALLBACK progress_window_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The pump looks at the message queue at most once per this many milliseconds: a
// look costs about 40 microseconds, far more than a byte position of a fast search,
// while a click still gets through within a few looks.
const DWORD PUMP_INTERVAL_MS = 4;
