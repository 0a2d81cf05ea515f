// The main window: its dialog procedure is the program's command dispatcher. It
// turns buttons, menu items, accelerators, dropped files and right clicks into
// calls on the chunk document, and rebuilds the table and the status line from the
// document after every command that loads or changes it.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include "app/app.h"
#include "app/first_argument.h"
#include "app/shell_texts.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "present/list_view_win.h"
#include "repair/progress_window_win.h"
#include "resource_ids.h"

namespace {

char    s_path[ARGUMENT_SIZE];   // the current file path
HWND    s_table;                 // the chunk table, IDC_CHUNK_TABLE
HWND    s_status;                // the status control, IDC_STATUS
WNDPROC s_previous_table_proc;   // the list's own procedure, before subclassing
HFONT   s_table_font;

const int PROGRESS_TEXT_SIZE = 64;

void set_status_text(const char* text)
{
    SendMessageA(s_status, WM_SETTEXT, 0, (LPARAM)text);
}

// Load, then status line (or the error text), then the table: empty after a failure.
void load_path_and_show()
{
    if (load_png(s_path) == LOAD_OK) {
        write_status_line(s_status, s_path);
    } else {
        set_status_text(STATUS_LOAD_ERROR);
    }
    fill_table(s_table);
}

void show_document_again()
{
    fill_table(s_table);
    write_status_line(s_status, s_path);
}

// The standard file dialog over the path buffer; returns 1 after OK.
int ask_for_path(HWND window, int saving)
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = FILE_FILTER;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = s_path;
    dialog.nMaxFile = sizeof s_path;
    if (saving) {
        dialog.Flags = OFN_OVERWRITEPROMPT;
        dialog.lpstrDefExt = DEFAULT_EXTENSION;
        return GetSaveFileNameA(&dialog) != 0;
    }
    dialog.Flags = OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&dialog) != 0;
}

void save_as(HWND window)
{
    if (!g_document.loaded || !ask_for_path(window, 1)) {
        return;
    }
    if (save_png(s_path) != SAVE_OK) {
        set_status_text(STATUS_SAVE_ERROR);
    }
}

// Walks the selected rows from the last to the first, so that the rows still to be
// visited keep their chunk indices: a deletion moves only later records, and a
// merge removes the record after the row, which was visited already.
void edit_selected_rows(int merging)
{
    int rows = list_row_count(s_table);
    int selected = list_selected_count(s_table);
    int done = 0;
    char text[PROGRESS_TEXT_SIZE];
    for (int row = rows - 1; row >= 0; row--) {
        if (!list_is_selected(s_table, row)) {
            continue;
        }
        if (merging) {
            if (is_mergeable(row)) {
                merge_with_next(row);
            }
        } else if (is_deletable(row)) {
            delete_chunk(row, 0);
        }
        done++;
        wsprintfA(text, STATUS_PROCESSING, done, selected, done * 100 / selected);
        set_status_text(text);
    }
    show_document_again();
}

void repair_selected_row(HWND window)
{
    int selected = list_selected_count(s_table);
    if (selected > 1) {
        MessageBoxA(window, TEXT_SELECT_ONE, CAPTION_SEVERAL, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (selected != 1) {
        return;
    }
    int row = list_first_selected(s_table);
    if (!is_damaged(row)) {
        return;
    }
    repair_chunk(row, repair_window_ports(window));
    show_document_again();
    list_set_selected(s_table, row, 1);
}

// The list repaints each row whose state changes unless redrawing is off; on a
// large table that costs more than the change itself.
void select_all()
{
    SendMessageA(s_table, WM_SETREDRAW, FALSE, 0);
    list_set_selected(s_table, -1, 1);
    SendMessageA(s_table, WM_SETREDRAW, TRUE, 0);
}

void invert_selection()
{
    SendMessageA(s_table, WM_SETREDRAW, FALSE, 0);
    int rows = list_row_count(s_table);
    for (int row = 0; row < rows; row++) {
        list_set_selected(s_table, row, !list_is_selected(s_table, row));
    }
    SendMessageA(s_table, WM_SETREDRAW, TRUE, 0);
}

// The point comes from the list's right click, in the list's client coordinates.
void show_context_menu(HWND window, LPARAM point)
{
    POINT at = {(LONG)(WORD)LOWORD(point), (LONG)(WORD)HIWORD(point)};
    ClientToScreen(s_table, &at);
    HMENU menu = LoadMenuA(g_instance, MAKEINTRESOURCEA(IDR_CONTEXT_MENU));
    if (!menu) {
        return;
    }
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTBUTTON, at.x, at.y, 0, window, NULL);
    DestroyMenu(menu);
}

// A right click becomes the context-menu command and never reaches the list, so
// it does not change the selection.
LRESULT CALLBACK table_proc(HWND table, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_RBUTTONDOWN) {
        SendMessageA(GetParent(table), WM_COMMAND, MAKEWPARAM(IDC_CHUNK_TABLE, 0xFFFF), lparam);
        return 0;
    }
    return CallWindowProcA(s_previous_table_proc, table, message, wparam, lparam);
}

void set_table_font(HWND window)
{
    HDC dc = GetDC(window);
    int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(window, dc);
    s_table_font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH, TABLE_FONT_FACE);
    SendMessageA(s_table, WM_SETFONT, (WPARAM)s_table_font, TRUE);
}

INT_PTR on_init_dialog(HWND window)
{
    s_table = GetDlgItem(window, IDC_CHUNK_TABLE);
    s_status = GetDlgItem(window, IDC_STATUS);
    s_path[0] = 0;
    SetWindowPos(window, NULL, 0, 0, MAIN_MIN_WIDTH, MAIN_MIN_HEIGHT, SWP_NOMOVE | SWP_NOZORDER);
    set_table_font(window);
    write_status_line(s_status, s_path);
    create_columns(s_table);
    build_crc_table();
    if (g_startup_argument) {
        lstrcpynA(s_path, g_startup_argument, sizeof s_path);
        if (load_png(s_path) == LOAD_OK) {
            write_status_line(s_status, s_path);
        } else {
            set_status_text(STATUS_LOAD_ERROR);
        }
        ShowWindow(window, SW_SHOWNORMAL);
        fill_table(s_table);
    }
    // Only now: keys pressed in a box of the start-up load are not translated.
    install_accelerators(window);
    s_previous_table_proc = (WNDPROC)SetWindowLongPtrA(s_table, GWLP_WNDPROC, (LONG_PTR)table_proc);
    return TRUE;
}

INT_PTR on_command(HWND window, WPARAM wparam, LPARAM lparam)
{
    // During a repair nothing may change the document under the search.
    if (g_busy) {
        return TRUE;
    }
    switch (LOWORD(wparam)) {
    case IDC_LOAD:
        if (ask_for_path(window, 0)) {
            load_path_and_show();
        }
        return TRUE;
    case IDC_SAVE:
        save_as(window);
        return TRUE;
    case IDC_DELETE:
        edit_selected_rows(0);
        return TRUE;
    case IDC_MERGE:
        edit_selected_rows(1);
        return TRUE;
    case IDC_REPAIR:
        repair_selected_row(window);
        return TRUE;
    case IDC_CHUNK_TABLE:
        show_context_menu(window, lparam);
        return TRUE;
    case IDM_EXIT:
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return TRUE;
    case IDM_SELECT_ALL:
        select_all();
        SetFocus(s_table);
        return TRUE;
    case IDM_INVERT:
        invert_selection();
        SetFocus(s_table);
        return TRUE;
    case IDM_ABOUT:
        show_about(window);
        return TRUE;
    case IDM_HELP:
        show_help(window);
        return TRUE;
    default:
        return FALSE;
    }
}

// A drop is always finished, also when it is ignored during a repair.
INT_PTR on_drop_files(HDROP drop)
{
    if (g_busy) {
        DragFinish(drop);
        return TRUE;
    }
    DragQueryFileA(drop, 0, s_path, sizeof s_path);
    DragFinish(drop);
    load_path_and_show();
    return TRUE;
}

// The list fills the room right of the buttons; the status line and, under it,
// the empty control and the notice line (which keeps its size) take the bottom.
INT_PTR on_size(HWND window, int width, int height)
{
    HWND table = GetDlgItem(window, IDC_CHUNK_TABLE);
    HWND notice = GetDlgItem(window, IDC_NOTICE);
    RECT box;
    if (!table || !notice || !GetWindowRect(notice, &box)) {
        return TRUE;   // sized while the dialog is still being created
    }
    int w = box.right - box.left;
    int h = box.bottom - box.top;
    const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE;
    MoveWindow(table, 106, 2, width - 104, height - 40, TRUE);
    SetWindowPos(GetDlgItem(window, IDC_STATUS), NULL, 0, height - 2 * h, width, h, keep);
    SetWindowPos(GetDlgItem(window, IDC_STATUS_LEFT), NULL, 0, height - h, width - w, h, keep);
    SetWindowPos(notice, NULL, width - w, height - h, 0, 0, keep | SWP_NOSIZE);
    return TRUE;
}

INT_PTR on_notify(HWND window, const NMHDR* header)
{
    if (header->idFrom != IDC_CHUNK_TABLE) {
        return FALSE;
    }
    if (header->code == LVN_GETDISPINFOA) {
        answer_cell_request((NMLVDISPINFOA*)header);
        return TRUE;
    }
    if (header->code == LVN_ODFINDITEMA) {
        // Typing in the table searches nothing.
        SetWindowLongPtrA(window, DWLP_MSGRESULT, -1);
        return TRUE;
    }
    return FALSE;
}

INT_PTR on_destroy()
{
    PostQuitMessage(0);
    if (s_table_font) {
        DeleteObject(s_table_font);
    }
    s_table_font = NULL;
    s_table = NULL;
    s_status = NULL;
    s_previous_table_proc = NULL;
    return TRUE;
}

}  // namespace

void apply_minimum_size(WPARAM edge, RECT* rect)
{
    if (rect->right - rect->left < MAIN_MIN_WIDTH) {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) {
            rect->left = rect->right - MAIN_MIN_WIDTH;
        } else if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) {
            rect->right = rect->left + MAIN_MIN_WIDTH;
        }
    }
    if (rect->bottom - rect->top < MAIN_MIN_HEIGHT) {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) {
            rect->top = rect->bottom - MAIN_MIN_HEIGHT;
        } else if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) {
            rect->bottom = rect->top + MAIN_MIN_HEIGHT;
        }
    }
}

INT_PTR CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(window);
    case WM_COMMAND:
        return on_command(window, wparam, lparam);
    case WM_NOTIFY:
        return on_notify(window, (const NMHDR*)lparam);
    case WM_DROPFILES:
        return on_drop_files((HDROP)wparam);
    case WM_SIZE:
        return on_size(window, LOWORD(lparam), HIWORD(lparam));
    case WM_SIZING:
        apply_minimum_size(wparam, (RECT*)lparam);
        return TRUE;
    case WM_SYSCOMMAND:
        if (wparam != SC_CLOSE) {
            return FALSE;
        }
        // A close during a repair would destroy the window under the running search.
        if (!g_busy) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return TRUE;
    case WM_CLOSE:
        if (!g_busy) {
            DestroyWindow(window);
        }
        return TRUE;
    case WM_DESTROY:
        return on_destroy();
    default:
        return FALSE;
    }
}
