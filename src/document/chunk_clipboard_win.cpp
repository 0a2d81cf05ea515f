#include "document/chunk_clipboard_win.h"

#include <string.h>

#include "document/chunk_ops.h"
#include "document/memory.h"

static UINT chunk_format()
{
    return RegisterClipboardFormatA(CHUNK_CLIPBOARD_FORMAT);
}

// A movable global block holding `length` bytes (and a zero after them), or null.
static HGLOBAL global_copy(const uint8_t* bytes, uint32_t length)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)length + 1);
    void* to = block ? GlobalLock(block) : nullptr;
    if (!to) {
        if (block) GlobalFree(block);
        return NULL;
    }
    memcpy(to, bytes, length);
    ((uint8_t*)to)[length] = 0;
    GlobalUnlock(block);
    return block;
}

int put_chunk_forms(HWND owner, const FieldBytes& binary, const FieldBytes& text)
{
    HGLOBAL blocks[2] = {global_copy(binary.data, binary.length), global_copy(text.data, text.length)};
    const UINT formats[2] = {chunk_format(), CF_TEXT};
    int result = blocks[0] && blocks[1] && formats[0] ? CLIPBOARD_DONE : CLIPBOARD_NO_MEMORY;
    if (result == CLIPBOARD_DONE && !OpenClipboard(owner)) result = CLIPBOARD_BUSY;
    if (result == CLIPBOARD_DONE) {
        EmptyClipboard();
        for (int k = 0; k < 2; k++) {
            if (SetClipboardData(formats[k], blocks[k])) {
                blocks[k] = NULL;   // the clipboard owns it now
            } else {
                result = CLIPBOARD_NO_MEMORY;
            }
        }
        if (result != CLIPBOARD_DONE) EmptyClipboard();   // both forms or neither
        CloseClipboard();
    }
    for (HGLOBAL block : blocks) {
        if (block) GlobalFree(block);
    }
    return result;
}

// The block's bytes copied out: `zero_ended` stops at the first zero.
static int copy_block(HANDLE block, int zero_ended, FieldBytes* form)
{
    SIZE_T size = GlobalSize(block);
    const uint8_t* from = (const uint8_t*)GlobalLock(block);
    if (!from) return CLIPBOARD_NO_CHUNKS;
    uint32_t length = size > 0x7FFFFFFF ? 0x7FFFFFFF : (uint32_t)size;
    if (zero_ended) {
        const void* end = memchr(from, 0, length);
        if (end) length = (uint32_t)((const uint8_t*)end - from);
    } else {
        length = clipboard_form_size(from, length);
    }
    form->data = (uint8_t*)zero_alloc(length);
    if (form->data) {
        memcpy(form->data, from, length);
        form->length = length;
    }
    GlobalUnlock(block);
    return form->data ? CLIPBOARD_DONE : CLIPBOARD_NO_MEMORY;
}

int take_chunk_form(HWND owner, FieldBytes* form)
{
    *form = {nullptr, 0};
    UINT format = chunk_format();
    if (!OpenClipboard(owner)) return CLIPBOARD_BUSY;
    int result = CLIPBOARD_NO_CHUNKS;
    HANDLE binary = format ? GetClipboardData(format) : NULL;
    HANDLE text = binary ? NULL : GetClipboardData(CF_TEXT);
    if (binary) {
        result = copy_block(binary, 0, form);
    } else if (text) {
        result = copy_block(text, 1, form);
    }
    CloseClipboard();
    return result;
}
