// The questions asked before slimming a file that has an animation or iDOT (the
// core decides when, see slimming.h), and before saving a file whose bytes after
// IEND will be lost.
#include <windows.h>

#include "app/chunk_view.h"
#include "app/chunk_view_texts.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "document/slimming.h"
#include "present/list_view_win.h"

namespace {

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

int metadata(int32_t row, const void*)
{
    return is_metadata_chunk(row);
}

int marked_row(int32_t row, const void* marked)
{
    return ((const uint8_t*)marked)[row] != 0;
}

}  // namespace

RowEditAnswer ask_slimming_question(HWND window, SlimmingQuestion question)
{
    if (question == QUESTION_NONE) {
        return ANSWER_YES;
    }
    int answer = question == QUESTION_WHOLE_ANIMATION
                     ? MessageBoxA(window, TEXT_ANIMATION, CAPTION_ANIMATION, MB_YESNOCANCEL | MB_ICONWARNING)
                     : MessageBoxA(window, TEXT_IDOT, CAPTION_IDOT, MB_YESNOCANCEL | MB_ICONWARNING);
    return answer == IDYES ? ANSWER_YES : answer == IDNO ? ANSWER_NO : ANSWER_CANCEL;
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

void select_marked_rows(HWND table, const uint8_t* marked)
{
    write_selection(table, marked_row, marked);
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
