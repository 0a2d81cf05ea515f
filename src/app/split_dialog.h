// The split dialog (DIALOG_SPLIT): the size of the pieces an IDAT is cut into,
// and whether it is cut once or repeatedly.
#pragma once
#include <windows.h>
#include <stdint.h>

#include "document/chunk_ops.h"

struct SplitChoice {
    uint32_t  size;   // 1 to the chunk's length - 1
    SplitMode mode;
};

// Modal, owned by `owner`, for a chunk of `length` bytes (at least 2); `choice`
// holds the initial values and, after OK, the chosen ones. 1 after OK.
int ask_split(HWND owner, uint32_t length, SplitChoice* choice);
