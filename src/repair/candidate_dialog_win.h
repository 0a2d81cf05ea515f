// The window half of the candidate dialog DIALOG_CANDIDATES: lists the changes
// that would make a damaged chunk's CRC match and lets the user apply one, force
// the CRC or leave the chunk as it is.
#pragma once
#include <windows.h>

#include "repair/repair_search.h"

// Modal, owned by the owner of the search's RepairWindow `context`; answers a row
// index or a RepairChoice (leave it when the dialog cannot be shown).
int32_t choose_candidate_window(void* context, const RepairOffer& offer);

INT_PTR CALLBACK candidate_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
