// The main window: its dialog procedure is the program's command dispatcher. It
// turns buttons, menu items, accelerators, dropped files and right clicks into
// calls of the command handlers (one table per feature group, main_commands.h),
// which act on the chunk document and rebuild the table and the status line.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/app.h"
#include "app/chunk_view.h"
#include "app/first_argument.h"
#include "app/main_commands.h"
#include "app/preview_win.h"
#include "check/check_win.h"
#include "app/shell_texts.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "document/undo_history.h"
#include "present/list_view_win.h"
#include "repair/progress_window_win.h"
#include "resource_ids.h"

namespace {

MainContext s_main;   // the one main window's state, handed to every command

// Every command group, looked up in this order.
const CommandTable* const COMMAND_GROUPS[] = {
    &FILE_COMMANDS,
    &EDIT_COMMANDS,
    &VIEW_COMMANDS,
    &PREVIEW_COMMANDS,
    &CHUNK_COMMANDS,
    &RESCUE_COMMANDS,
    &CHECK_COMMANDS,
    &EDITOR_COMMANDS,
};

// While a repair or a load runs, nothing may change or replace the document.
int ignoring_commands()
{
    return g_busy || s_main.loading;
}

void open_handed_over_file()
{
    if (!s_main.handover_kind || ignoring_commands() || !IsWindowEnabled(s_main.window)) {
        return;
    }
    char path[ARGUMENT_SIZE];
    lstrcpynA(path, s_main.handed_over, sizeof path);
    ULONG_PTR kind = s_main.handover_kind;
    s_main.handover_kind = 0;
    if (kind == HANDOVER_PATH_CUT) {
        refuse_cut_path(s_main, path);
    } else {
        open_file(s_main, path);
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
    lstrcpynA(s_main.handed_over, (const char*)data->lpData, sizeof s_main.handed_over);
    s_main.handover_kind = data->dwData;
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    SetForegroundWindow(GetLastActivePopup(window));
    look_for_handed_over_file(s_main);
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
    return TRUE;
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
    return CallWindowProcA(s_main.previous_table_proc, table, message, wparam, lparam);
}

void set_table_font(HWND window)
{
    HDC dc = GetDC(window);
    int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(window, dc);
    s_main.table_font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH,
                                    TABLE_FONT_FACE);
    SendMessageA(s_main.table, WM_SETFONT, (WPARAM)s_main.table_font, TRUE);
}

// The start-up argument: loaded, or refused when it did not fit its buffer.
void open_startup_argument()
{
    if (g_startup_argument_cut) {
        refuse_cut_path(s_main, g_startup_argument);
    } else {
        load_and_show(s_main, g_startup_argument);
    }
}

INT_PTR on_init_dialog(HWND window)
{
    s_main.window = window;
    s_main.table = GetDlgItem(window, IDC_CHUNK_TABLE);
    s_main.status = GetDlgItem(window, IDC_STATUS);
    s_main.path[0] = 0;
    set_table_font(window);
    write_status_line(s_main.status, s_main.path);
    create_columns(s_main.table);
    build_crc_table();
    // Sized after the start-up load, whose rows may have widened the number column.
    if (g_startup_argument) {
        open_startup_argument();
    }
    open_at_full_width(window);
    if (g_startup_argument) {
        ShowWindow(window, SW_SHOWNORMAL);
    }
    // Only now: keys pressed in a box of the start-up load are not translated.
    install_accelerators(window);
    s_main.previous_table_proc =
        (WNDPROC)SetWindowLongPtrA(s_main.table, GWLP_WNDPROC, (LONG_PTR)table_proc);
    return TRUE;
}

CommandHandler find_command(WORD id)
{
    for (const CommandTable* group : COMMAND_GROUPS) {
        for (int i = 0; i < group->count; i++) {
            if (group->commands[i].id == id) {
                return group->commands[i].run;
            }
        }
    }
    return nullptr;
}

INT_PTR on_command(WPARAM wparam, LPARAM lparam)
{
    if (ignoring_commands()) {
        return TRUE;
    }
    CommandHandler run = find_command(LOWORD(wparam));
    if (!run) {
        return FALSE;
    }
    run(s_main, lparam);
    return TRUE;
}

// A drop is always finished, also when it is ignored during a repair or a load.
// A path longer than the buffer is refused rather than cut.
INT_PTR on_drop_files(HDROP drop)
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
        refuse_cut_path(s_main, path);
    } else {
        open_file(s_main, path);
    }
    return TRUE;
}

INT_PTR on_init_menu_popup(HMENU menu)
{
    name_undo_items(menu);
    number_insert_submenu(menu);
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
    if (s_main.table_font) {
        DeleteObject(s_main.table_font);
    }
    s_main.table_font = NULL;
    s_main.table = NULL;
    s_main.status = NULL;
    s_main.previous_table_proc = NULL;
    s_main.handover_kind = 0;
    s_main.loading = 0;
    return TRUE;
}

}  // namespace

void set_status_text(MainContext& main, const char* text)
{
    SendMessageA(main.status, WM_SETTEXT, 0, (LPARAM)text);
}

void show_document_again(MainContext& main)
{
    fill_table(main.table);
    write_status_line(main.status, main.path);
    preview_document_changed();
    findings_document_changed();
}

void look_for_handed_over_file(MainContext& main)
{
    if (main.handover_kind) {
        PostMessageA(main.window, WM_OPEN_HANDED_OVER, 0, 0);
    }
}

INT_PTR CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(window);
    case WM_COMMAND:
        return on_command(wparam, lparam);
    case WM_NOTIFY:
        return on_notify(window, (const NMHDR*)lparam);
    case WM_DROPFILES:
        return on_drop_files((HDROP)wparam);
    case WM_COPYDATA:
        return on_copy_data(window, (const COPYDATASTRUCT*)lparam);
    case WM_OPEN_HANDED_OVER:
        open_handed_over_file();
        return TRUE;
    case WM_ENABLE:
        if (wparam) {
            look_for_handed_over_file(s_main);
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
        if (!ignoring_commands() && may_discard(s_main)) {
            DestroyWindow(window);
        }
        return TRUE;
    case WM_DESTROY:
        return on_destroy();
    default:
        return FALSE;
    }
}
