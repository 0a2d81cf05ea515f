// The window half of the repair search: the progress window DIALOG_REPAIR with its
// Cancel button, and the RepairPorts that map the search's needs onto Win32.
#pragma once
#include <windows.h>

#include "repair/repair_search.h"

// Ports for a search owned by `owner` (the main window).
RepairPorts repair_window_ports(HWND owner);

// The progress window's procedure: Cancel (IDC_REPAIR_CANCEL) sets the cancel flag; every other
// command is swallowed, so nothing but Cancel ends or interrupts a search.
INT_PTR CALLBACK progress_window_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The open progress window, or null.
HWND progress_window();

// The pump looks at the message queue at most once per this many milliseconds: a
// look costs about 40 microseconds, far more than a byte position of a fast search,
// while a click still gets through within a few looks.
const DWORD PUMP_INTERVAL_MS = 4;
