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
#include "app/chunk_view.h"
#include "app/shell_texts.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "document/memory.h"
#include "present/list_view_win.h"
#include "repair/progress_window_win.h"
#include "resource_ids.h"

namespace {

char    s_path[ARGUMENT_SIZE];          // the current file path
char    s_handed_over[ARGUMENT_SIZE];   // a second start's file, not yet opened
ULONG_PTR s_handover_kind;              // HANDOVER_OPEN_FILE or HANDOVER_PATH_CUT; 0 when none waits
int     s_loading;                      // 1 while a load runs, its message boxes included
HWND    s_table;                        // the chunk table, IDC_CHUNK_TABLE
HWND    s_status;                       // the status control, IDC_STATUS
WNDPROC s_previous_table_proc;          // the list's own procedure, before subclassing
HFONT   s_table_font;

const int PROGRESS_TEXT_SIZE = 64;
const DWORD PROGRESS_INTERVAL_MS = 50;

enum FileDialog {
    DIALOG_OPEN,
    DIALOG_SAVE,
};

void set_status_text(const char* text)
{
    SendMessageA(s_status, WM_SETTEXT, 0, (LPARAM)text);
}

// While a repair or a load runs, nothing may change or replace the document.
int ignoring_commands()
{
    return g_busy || s_loading;
}

void show_document_again()
{
    fill_table(s_table);
    write_status_line(s_status, s_path);
}

// A handed-over file waits while the window is busy or a modal box is up; this
// looks again once the window may be free.
void look_for_handed_over_file(HWND window)
{
    if (s_handover_kind) {
        PostMessageA(window, WM_OPEN_HANDED_OVER, 0, 0);
    }
}

// The standard file dialog over `path` (261 bytes, its contents the initial name);
// returns 1 after OK.
int ask_for_path(HWND window, FileDialog kind, char* path)
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = FILE_FILTER;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = ARGUMENT_SIZE;
    if (kind == DIALOG_SAVE) {
        dialog.Flags = OFN_OVERWRITEPROMPT;
        dialog.lpstrDefExt = DEFAULT_EXTENSION;
        return GetSaveFileNameA(&dialog) != 0;
    }
    dialog.Flags = OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&dialog) != 0;
}

// Save As. The path buffer takes the new name only once the file is written, and
// the status line then names it; a failure leaves the buffer on the file it was.
// Returns 1 when the document was saved.
int save_as(HWND window)
{
    char target[ARGUMENT_SIZE];
    lstrcpynA(target, s_path, sizeof target);
    if (!g_document.loaded || !ask_for_path(window, DIALOG_SAVE, target)) {
        return 0;
    }
    if (!ask_before_save(window)) {   // bytes after IEND would be lost
        return 0;
    }
    if (save_png(target) != SAVE_OK) {
        set_status_text(STATUS_SAVE_ERROR);
        return 0;
    }
    lstrcpynA(s_path, target, sizeof s_path);
    write_status_line(s_status, s_path);
    return 1;
}

// Before the document is discarded: an unchanged one goes without a word; for a
// changed one the user saves it (and goes on only if that worked), drops it, or stays.
int may_discard(HWND window)
{
    if (!g_document.loaded || !g_document.changed) {
        return 1;
    }
    switch (MessageBoxA(window, TEXT_SAVE_CHANGES, CAPTION_SAVE_CHANGES, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        return save_as(window);
    case IDNO:
        return 1;
    default:
        return 0;
    }
}

// Load, then status line (or the error text), then the table: empty after a
// failure, and the path buffer back on the previous file's path. Commands and
// drops are ignored until the load and its boxes are over.
void load_and_show(HWND window, const char* path)
{
    s_loading = 1;
    if (load_png(path) == LOAD_OK) {
        lstrcpynA(s_path, path, sizeof s_path);
        write_status_line(s_status, s_path);
    } else {
        set_status_text(STATUS_LOAD_ERROR);
    }
    fill_table(s_table);
    s_loading = 0;
    look_for_handed_over_file(window);
}

// A path longer than the buffer is never cut and loaded: it gets the open
// failure, and the document stays as it is.
void refuse_cut_path(const char* shown)
{
    report_open_failure(shown);
    if (!g_document.loaded) {
        set_status_text(STATUS_LOAD_ERROR);
    }
}

void open_file(HWND window, const char* path)
{
    if (may_discard(window)) {
        load_and_show(window, path);
    }
}

void open_chosen_file(HWND window)
{
    char chosen[ARGUMENT_SIZE];
    lstrcpynA(chosen, s_path, sizeof chosen);
    if (may_discard(window) && ask_for_path(window, DIALOG_OPEN, chosen)) {
        load_and_show(window, chosen);
    }
}

void open_handed_over_file(HWND window)
{
    if (!s_handover_kind || ignoring_commands() || !IsWindowEnabled(window)) {
        return;
    }
    char path[ARGUMENT_SIZE];
    lstrcpynA(path, s_handed_over, sizeof path);
    ULONG_PTR kind = s_handover_kind;
    s_handover_kind = 0;
    if (kind == HANDOVER_PATH_CUT) {
        refuse_cut_path(path);
    } else {
        open_file(window, path);
    }
}

// A second start's file: the data must be a zero-terminated path that fits the
// buffer. It is opened from the window's own queue, so that the second start is
// not kept waiting by the save question.
INT_PTR on_copy_data(HWND window, const COPYDATASTRUCT* data)
{
    if (!data || (data->dwData != HANDOVER_OPEN_FILE && data->dwData != HANDOVER_PATH_CUT) || !data->lpData ||
        data->cbData == 0 || data->cbData > ARGUMENT_SIZE || ((const char*)data->lpData)[data->cbData - 1] != 0) {
        return FALSE;
    }
    lstrcpynA(s_handed_over, (const char*)data->lpData, sizeof s_handed_over);
    s_handover_kind = data->dwData;
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    SetForegroundWindow(GetLastActivePopup(window));
    look_for_handed_over_file(window);
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

// Every command that changes the document goes through here: the snapshot for
// undo is taken before, and dropped again when the edit changed nothing.
void run_edit(HWND window, void (*edit)(HWND window, void* context), void* context)
{
    take_undo_snapshot();
    edit(window, context);
    settle_undo_snapshot();
}

// The progress text, written at most every PROGRESS_INTERVAL_MS and at the end.
struct ProgressText {
    DWORD last;
};

void write_progress(void* context, int32_t done, int32_t selected)
{
    ProgressText* progress = (ProgressText*)context;
    DWORD now = GetTickCount();
    if (done != selected && now - progress->last < PROGRESS_INTERVAL_MS) {
        return;
    }
    progress->last = now;
    char text[PROGRESS_TEXT_SIZE];
    wsprintfA(text, STATUS_PROCESSING, done, selected, (int)((int64_t)done * 100 / selected));
    set_status_text(text);
}

// The question about an animation or iDOT is part of the edit, so that undo
// also takes back an iDOT deleted with the merge. The question may change the
// selection (and, for iDOT, the table), so the rows are read after it.
void apply_row_edit(HWND window, void* context)
{
    RowEdit edit = *(const RowEdit*)context;
    int go_on = edit == ROW_EDIT_DELETE ? ask_before_delete(window, s_table) : ask_before_merge(window, s_table);
    if (!go_on) {
        return;
    }
    int selected = list_selected_count(s_table);
    int32_t* rows = (int32_t*)zero_alloc((size_t)(selected > 0 ? selected : 0) * sizeof(int32_t));
    if (!rows) {
        return;
    }
    int32_t count = list_selected_rows(s_table, rows, selected);
    ProgressText progress = {GetTickCount()};
    EditProgress port = {&progress, write_progress};
    edit_rows(edit, rows, count, &port);
    zero_free(rows);
}

// The delete and merge commands: every selected row, in one pass over the
// document that ends where deleting or merging the rows one by one from the last
// to the first ends (see edit_rows).
void edit_selected_rows(HWND window, RowEdit edit)
{
    run_edit(window, apply_row_edit, &edit);
    show_document_again();
}

void repair_row(HWND window, void* context)
{
    repair_chunk(*(int*)context, repair_window_ports(window));
}

// After the repair's boxes the window is enabled and active again, so keys reach it.
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
    run_edit(window, repair_row, &row);
    EnableWindow(window, TRUE);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    show_document_again();
    list_set_selected(s_table, row, 1);
    look_for_handed_over_file(window);
}

void undo_last_command()
{
    if (undo_last_edit()) {
        show_document_again();
    }
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

// A right click on a row that is not selected selects that row alone first, so
// the menu's commands act on the chunk the user pointed at; on a selected row or
// below the last one the selection stays. The click itself never reaches the list.
LRESULT CALLBACK table_proc(HWND table, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_RBUTTONDOWN) {
        int row = list_row_at(table, (short)LOWORD(lparam), (short)HIWORD(lparam));
        if (row >= 0 && !list_is_selected(table, row)) {
            list_select_only(table, row);
        }
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

// The start-up argument: loaded, or refused when it did not fit its buffer.
void open_startup_argument(HWND window)
{
    if (g_startup_argument_cut) {
        refuse_cut_path(g_startup_argument);
    } else {
        load_and_show(window, g_startup_argument);
    }
}

INT_PTR on_init_dialog(HWND window)
{
    s_table = GetDlgItem(window, IDC_CHUNK_TABLE);
    s_status = GetDlgItem(window, IDC_STATUS);
    s_path[0] = 0;
    SIZE size = main_window_minimum(window);
    SetWindowPos(window, NULL, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    set_table_font(window);
    write_status_line(s_status, s_path);
    create_columns(s_table);
    build_crc_table();
    if (g_startup_argument) {
        open_startup_argument(window);
        ShowWindow(window, SW_SHOWNORMAL);
    }
    // Only now: keys pressed in a box of the start-up load are not translated.
    install_accelerators(window);
    s_previous_table_proc = (WNDPROC)SetWindowLongPtrA(s_table, GWLP_WNDPROC, (LONG_PTR)table_proc);
    return TRUE;
}

INT_PTR on_command(HWND window, WPARAM wparam, LPARAM lparam)
{
    if (ignoring_commands()) {
        return TRUE;
    }
    switch (LOWORD(wparam)) {
    case IDC_LOAD:
        open_chosen_file(window);
        return TRUE;
    case IDC_SAVE:
        save_as(window);
        return TRUE;
    case IDC_DELETE:
        edit_selected_rows(window, ROW_EDIT_DELETE);
        return TRUE;
    case IDC_MERGE:
        edit_selected_rows(window, ROW_EDIT_MERGE);
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
    case IDM_UNDO:
        undo_last_command();
        return TRUE;
    case IDM_ABOUT:
        show_about(window);
        return TRUE;
    case IDM_HELP:
        show_help(window);
        return TRUE;
    // The chunk inspector and the metadata selection; Enter in the table arrives
    // as the dialog's default command.
    case IDM_INSPECT:
    case IDOK:
        inspect_current_row(window, s_table);
        return TRUE;
    case IDM_SELECT_METADATA:
        select_metadata(s_table);
        SetFocus(s_table);
        return TRUE;
    default:
        return FALSE;
    }
}

// A drop is always finished, also when it is ignored during a repair or a load.
// A path longer than the buffer is refused rather than cut.
INT_PTR on_drop_files(HWND window, HDROP drop)
{
    if (ignoring_commands()) {
        DragFinish(drop);
        return TRUE;
    }
    char path[ARGUMENT_SIZE];
    UINT length = DragQueryFileA(drop, 0, NULL, 0);
    DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    if (length >= sizeof path) {
        refuse_cut_path(path);
    } else {
        open_file(window, path);
    }
    return TRUE;
}

// Undo is offered only when there is something to undo.
INT_PTR on_init_menu_popup(HMENU menu)
{
    EnableMenuItem(menu, IDM_UNDO, MF_BYCOMMAND | (can_undo() ? MF_ENABLED : MF_GRAYED));
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
    if (header->code == NM_DBLCLK) {
        int row = ((const NMITEMACTIVATE*)header)->iItem;
        if (row >= 0) {
            show_inspector(window, row);
        }
        return TRUE;
    }
    if (header->code == LVN_ODFINDITEMA || header->code == LVN_ODFINDITEMW) {
        SetWindowLongPtrA(window, DWLP_MSGRESULT, answer_find_request(header));
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
    s_handover_kind = 0;
    s_loading = 0;
    return TRUE;
}

}  // namespace

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
        return on_drop_files(window, (HDROP)wparam);
    case WM_COPYDATA:
        return on_copy_data(window, (const COPYDATASTRUCT*)lparam);
    case WM_OPEN_HANDED_OVER:
        open_handed_over_file(window);
        return TRUE;
    case WM_ENABLE:
        if (wparam) {
            look_for_handed_over_file(window);
        }
        return FALSE;
    case WM_INITMENUPOPUP:
        return on_init_menu_popup((HMENU)wparam);
    case WM_SIZE:
        layout_main_window(window, LOWORD(lparam), HIWORD(lparam));
        return TRUE;
    case WM_SIZING:
        apply_minimum_size(wparam, (RECT*)lparam, main_window_minimum(window));
        return TRUE;
    case WM_SYSCOMMAND:
        if (wparam != SC_CLOSE) {
            return FALSE;
        }
        // A close during a repair or a load would destroy the window under it.
        if (!ignoring_commands()) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return TRUE;
    case WM_CLOSE:
        if (!ignoring_commands() && may_discard(window)) {
            DestroyWindow(window);
        }
        return TRUE;
    case WM_DESTROY:
        return on_destroy();
    default:
        return FALSE;
    }
}
