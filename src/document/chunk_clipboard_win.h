// The window half of the chunk clipboard forms (chunk_ops.h): one copy puts the
// binary form under a private registered format and the hexadecimal text form as
// CF_TEXT; a paste takes the private format first, else the text.
#pragma once
#include <windows.h>

#include "fields/field_model.h"

// The private format's registered name.
#define CHUNK_CLIPBOARD_FORMAT "VELMORA.PNGChunks"

enum ClipboardResult {
    CLIPBOARD_DONE,
    CLIPBOARD_BUSY,        // the clipboard cannot be opened (another program holds it)
    CLIPBOARD_NO_CHUNKS,   // neither form is on the clipboard
    CLIPBOARD_NO_MEMORY,   // nothing was changed
};

// Empties the clipboard and puts both forms on it, or neither.
int put_chunk_forms(HWND owner, const FieldBytes& binary, const FieldBytes& text);
// A copy of the form to read (owned by the caller, field_bytes_free): the private
// one cut to its own length, else the text up to its zero.
int take_chunk_form(HWND owner, FieldBytes* form);
