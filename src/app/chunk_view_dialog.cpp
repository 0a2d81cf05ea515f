// The chunk inspector's window: the core's UTF-8 text for one chunk in a
// read-only edit control, shown through the wide-character calls so that every
// language reads as written, with buttons to copy that text and to save the
// chunk's raw data.
#include <windows.h>
#include <commdlg.h>

#include "app/app.h"
#include "app/chunk_view.h"
#include "app/chunk_view_texts.h"
#include "app/first_argument.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "present/chunk_fields.h"
#include "rescue/rescue_report.h"
#include "resource_ids.h"

namespace {

struct Inspector {
    int32_t  index;
    wchar_t* text;   // what the edit control shows, line ends CR LF
    size_t   length;
};

// UTF-8 with LF line ends to UTF-16 with CR LF; null when memory runs out.
wchar_t* to_wide_lines(const char* utf8, size_t bytes, size_t* length)
{
    TextBuilder lines = {};
    size_t start = 0;
    for (size_t k = 0; k <= bytes; k++) {
        if (k == bytes || utf8[k] == '\n') {
            text_add(&lines, utf8 + start, k - start);
            text_add(&lines, k == bytes ? "" : "\r\n");
            start = k + 1;
        }
    }
    wchar_t* wide = nullptr;
    if (!lines.failed && lines.text) {
        int count = MultiByteToWideChar(CP_UTF8, 0, lines.text, (int)lines.used, NULL, 0);
        wide = (wchar_t*)zero_alloc(((size_t)count + 1) * sizeof(wchar_t));
        if (wide) {
            MultiByteToWideChar(CP_UTF8, 0, lines.text, (int)lines.used, wide, count);
            *length = (size_t)count;
        }
    }
    text_free(&lines);
    return wide;
}

void copy_text(HWND dialog, const Inspector* inspector)
{
    size_t bytes = (inspector->length + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) {
        return;
    }
    memcpy(GlobalLock(block), inspector->text, bytes);
    GlobalUnlock(block);
    if (!OpenClipboard(dialog)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block)) {
        GlobalFree(block);   // the clipboard took nothing
    }
    CloseClipboard();
}

// The Save As dialog for the raw data; the file is written like a saved PNG,
// through a temporary file, and the document layer reports its own failures.
void save_raw_data(HWND dialog, int32_t index)
{
    char path[ARGUMENT_SIZE];
    wsprintfA(path, RAW_FILE_NAME, (const char*)g_document.records[index].type);
    for (char* c = path; *c; c++) {
        if (!IsCharAlphaNumericA(*c) && *c != '.') *c = '_';
    }
    if (ask_for_file(dialog, DIALOG_EXPORT, RAW_FILE_FILTER, RAW_DEFAULT_EXTENSION, path)) {
        save_chunk_data(path, index);
    }
}

// The text fills the dialog above a row of buttons: Copy and Save at the left,
// Close at the right. Dialog units, turned into pixels by the dialog's font.
void lay_out(HWND dialog, int width, int height)
{
    if (!GetDlgItem(dialog, IDCANCEL)) {
        return;   // sized while the dialog is still being created
    }
    RECT unit = {4, 4, 14, 14};   // margin, margin, button height, row height
    MapDialogRect(dialog, &unit);
    int margin = unit.left, button = unit.right, row = button + 2 * margin;
    RECT close = {};
    GetWindowRect(GetDlgItem(dialog, IDCANCEL), &close);
    int close_width = close.right - close.left;
    MoveWindow(GetDlgItem(dialog, IDC_INSPECTOR_TEXT), margin, margin, width - 2 * margin, height - margin - row, TRUE);
    const int buttons[] = {IDC_INSPECTOR_COPY, IDC_INSPECTOR_SAVE};
    for (int id : buttons) {
        HWND item = GetDlgItem(dialog, id);
        RECT box = {};
        GetWindowRect(item, &box);
        POINT at = {box.left, 0};
        ScreenToClient(dialog, &at);
        MoveWindow(item, at.x, height - margin - button, box.right - box.left, button, TRUE);
    }
    MoveWindow(GetDlgItem(dialog, IDCANCEL), width - margin - close_width, height - margin - button, close_width, button,
               TRUE);
}

// The dialog keeps room for its buttons and a few lines of text.
void keep_minimum_size(HWND dialog, MINMAXINFO* limits)
{
    RECT least = {0, 0, 240, 80};
    MapDialogRect(dialog, &least);
    limits->ptMinTrackSize.x = least.right;
    limits->ptMinTrackSize.y = least.bottom;
}

INT_PTR on_init_dialog(HWND dialog, Inspector* inspector)
{
    SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)inspector);
    HWND text = GetDlgItem(dialog, IDC_INSPECTOR_TEXT);
    SendMessageW(text, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(text, inspector->text);
    SetFocus(text);
    return FALSE;   // the focus is set
}

INT_PTR on_command(HWND dialog, WPARAM wparam)
{
    Inspector* inspector = (Inspector*)GetWindowLongPtrW(dialog, DWLP_USER);
    switch (LOWORD(wparam)) {
    case IDC_INSPECTOR_COPY:
        copy_text(dialog, inspector);
        return TRUE;
    case IDC_INSPECTOR_SAVE:
        save_raw_data(dialog, inspector->index);
        return TRUE;
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK inspector_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(dialog, (Inspector*)lparam);
    case WM_COMMAND:
        return on_command(dialog, wparam);
    case WM_SIZE:
        lay_out(dialog, LOWORD(lparam), HIWORD(lparam));
        return TRUE;
    case WM_GETMINMAXINFO:
        keep_minimum_size(dialog, (MINMAXINFO*)lparam);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void show_inspector(HWND owner, int32_t index)
{
    if (!g_document.loaded || index < 0 || index >= g_document.count) {
        return;
    }
    TextBuilder text = {};
    describe_rescue_notes(&text, g_document.records[index]);
    describe_chunk(&text, index);
    Inspector inspector = {index, nullptr, 0};
    if (!text.failed && text.text) {
        inspector.text = to_wide_lines(text.text, text.used, &inspector.length);
    }
    text_free(&text);
    if (!inspector.text) {
        MessageBoxA(owner, TEXT_INSPECTOR_NO_MEMORY, CAPTION_INSPECTOR, MB_OK | MB_ICONERROR);
        return;
    }
    DialogBoxParamW(g_instance, L"" RES_INSPECTOR_DIALOG, owner, inspector_proc, (LPARAM)&inspector);
    zero_free(inspector.text);
}
