// The questions asked before slimming a file that has an animation or iDOT, and
// before saving a file whose bytes after IEND will be lost. Files without those
// chunks or bytes pass straight through, without a question.
#include <windows.h>

#include "app/chunk_view.h"
#include "app/chunk_view_texts.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "document/slimming.h"
#include "present/list_view_win.h"

namespace {

// The table's selection, one byte per row (and chunk); null when memory runs out.
uint8_t* read_selection(HWND table)
{
    int rows = list_row_count(table);
    uint8_t* selected = (uint8_t*)zero_alloc((size_t)(rows > 0 ? rows : 0));
    for (int row = 0; selected && row < rows; row++) {
        selected[row] = (uint8_t)(list_is_selected(table, row) != 0);
    }
    return selected;
}

// Sets the selection of every row, with repainting off (one repaint at the end).
void write_selection(HWND table, int (*selected)(int32_t row, const void* context), const void* context)
{
    SendMessageA(table, WM_SETREDRAW, FALSE, 0);
    int rows = list_row_count(table);
    for (int row = 0; row < rows; row++) {
        list_set_selected(table, row, selected(row, context));
    }
    SendMessageA(table, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(table, NULL, TRUE);
}

int keeps_or_animates(int32_t row, const void* context)
{
    return ((const uint8_t*)context)[row] || is_animation_chunk(row);
}

int kept(int32_t row, const void* context)
{
    return ((const uint8_t*)context)[row];
}

int metadata(int32_t row, const void*)
{
    return is_metadata_chunk(row);
}

}  // namespace

int ask_before_delete(HWND window, HWND table)
{
    if (!has_animation()) {
        return 1;
    }
    uint8_t* selected = read_selection(table);
    int go_on = 1;
    if (selected && selects_part_of_animation(selected)) {
        int answer = MessageBoxA(window, TEXT_ANIMATION, CAPTION_ANIMATION, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDYES) {
            write_selection(table, keeps_or_animates, selected);
        }
        go_on = answer != IDCANCEL;
    }
    zero_free(selected);
    return go_on;
}

int ask_before_merge(HWND window, HWND table)
{
    if (!has_idot()) {
        return 1;
    }
    uint8_t* selected = read_selection(table);
    int go_on = 1;
    if (selected && selection_would_merge(selected)) {
        int answer = MessageBoxA(window, TEXT_IDOT, CAPTION_IDOT, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDYES) {
            delete_idot(selected);
            fill_table(table);
            write_selection(table, kept, selected);
        }
        go_on = answer != IDCANCEL;
    }
    zero_free(selected);
    return go_on;
}

int ask_before_save(HWND window)
{
    if (!g_document.loaded || g_trailing.count == 0) {
        return 1;
    }
    char text[512];
    wsprintfA(text, TEXT_TRAILING, (unsigned long)g_trailing.count);
    return MessageBoxA(window, text, CAPTION_TRAILING, MB_OKCANCEL | MB_ICONWARNING) == IDOK;
}

void select_metadata(HWND table)
{
    write_selection(table, metadata, nullptr);
}

void inspect_current_row(HWND owner, HWND table)
{
    int row = (int)SendMessageA(table, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    if (row < 0 || !list_is_selected(table, row)) {
        row = list_first_selected(table);
    }
    if (row >= 0) {
        show_inspector(owner, row);
    }
}
