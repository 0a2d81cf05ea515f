// The findings window and the question before Save As. The window is a virtual
// list over the findings of its last check: a file with a damaged CRC in each of
// a hundred thousand chunks still refreshes at once after every edit.
// The check's header comes first: winerror.h defines SEVERITY_ERROR as a macro,
// which would rename the check's own severity; it is undefined again below.
#include "check/check.h"
#include <windows.h>
#include <commctrl.h>
#undef SEVERITY_ERROR

#include <stdio.h>
#include <string.h>

#include "app/app.h"
#include "check/check_win.h"
#include "check/check_win_texts.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "present/list_view_win.h"
#include "resource_ids.h"

namespace {

HWND s_findings;          // the open findings window, or null
FindingList s_loaded;     // the findings of the file as it was loaded

// Layout in dialog units: the counts line at the top, the close button at the
// bottom right, the list between them.
const int MARGIN = 4;
const int COUNTS_HEIGHT = 10;
const int BUTTON_WIDTH = 64;
const int BUTTON_HEIGHT = 14;

enum FindingsColumn { COLUMN_SEVERITY, COLUMN_NUMBER, COLUMN_TYPE, COLUMN_MESSAGE, FINDINGS_COLUMNS };
const int COLUMN_WIDTHS[FINDINGS_COLUMNS] = {32, 24, 36, 240};
const char* const COLUMN_HEADERS[FINDINGS_COLUMNS] = {FINDINGS_COLUMN_SEVERITY, FINDINGS_COLUMN_NUMBER,
                                                      FINDINGS_COLUMN_TYPE, FINDINGS_COLUMN_MESSAGE};
const int MESSAGE_SIZE = 512;
const int NAMED_NEW_ERRORS = 2;   // how many new errors the Save As question names

// The window's own state, kept in DWLP_USER.
struct FindingsState {
    FindingList list;
};

FindingsState* state_of(HWND window)
{
    return (FindingsState*)GetWindowLongPtrA(window, DWLP_USER);
}

// The number and type cells of a finding: the table's row number and the type's
// bytes as the table shows them, or the marks of the whole file.
void write_place(const Finding& finding, int column, char* out)
{
    if (finding.chunk == FINDING_FILE) {
        lstrcpyA(out, column == COLUMN_NUMBER ? FINDINGS_WHOLE_FILE : FINDINGS_FILE_TYPE);
    } else if (column == COLUMN_NUMBER) {
        wsprintfA(out, "%d", (int)finding.chunk + 1);
    } else {
        memcpy(out, finding.type, 4);
        out[4] = 0;
    }
}

void answer_cell(HWND window, NMLVDISPINFOA* request)
{
    const FindingsState* state = state_of(window);
    LVITEMA& item = request->item;
    if (!state || !(item.mask & LVIF_TEXT) || item.iItem < 0 || item.iItem >= state->list.count) {
        return;
    }
    const Finding& finding = state->list.items[item.iItem];
    char cell[MESSAGE_SIZE];
    if (item.iSubItem == COLUMN_SEVERITY) {
        lstrcpyA(cell, severity_text(finding_severity(finding), CHECK_JAPANESE));
    } else if (item.iSubItem == COLUMN_MESSAGE) {
        finding_message(finding, CHECK_JAPANESE, cell, sizeof cell);
    } else {
        write_place(finding, item.iSubItem, cell);
    }
    lstrcpynA(item.pszText, cell, item.cchTextMax);
}

void write_counts(HWND window, const FindingList& list)
{
    char text[128];
    if (!g_document.loaded) {
        lstrcpyA(text, FINDINGS_NO_DOCUMENT);
    } else if (list.count == 0) {
        lstrcpyA(text, FINDINGS_NONE);
    } else {
        wsprintfA(text, FINDINGS_COUNTS, (int)count_severity(list, SEVERITY_ERROR),
                  (int)count_severity(list, SEVERITY_WARNING), (int)count_severity(list, SEVERITY_INFO));
    }
    SetDlgItemTextA(window, IDC_FINDINGS_COUNTS, text);
}

// The list shows `known` when given (the loaded file's findings, already made),
// else the document checked anew.
void show_findings_of(HWND window, const FindingList* known)
{
    FindingsState* state = state_of(window);
    findings_free(&state->list);
    if (!known || !copy_findings(*known, &state->list)) check_document(&state->list);
    HWND list = GetDlgItem(window, IDC_FINDINGS_LIST);
    SendMessageA(list, LVM_SETITEMCOUNT, (WPARAM)state->list.count, 0);
    InvalidateRect(list, NULL, TRUE);
    write_counts(window, state->list);
}

void check_again(HWND window)
{
    show_findings_of(window, nullptr);
}

// A double click (or Enter) on a finding selects its chunk in the main table;
// not while the main window is disabled (a repair or a box of its own is up and
// may be acting on the selection).
void select_finding_chunk(HWND window, int row)
{
    const FindingsState* state = state_of(window);
    HWND owner = GetWindow(window, GW_OWNER);
    if (!state || row < 0 || row >= state->list.count || state->list.items[row].chunk == FINDING_FILE ||
        !IsWindowEnabled(owner)) {
        return;
    }
    int32_t chunk = state->list.items[row].chunk;
    HWND table = GetDlgItem(owner, IDC_CHUNK_TABLE);
    if (table && chunk < list_row_count(table)) {
        list_show_only(table, chunk);
    }
}

void on_size(HWND window, int width, int height)
{
    RECT units = {MARGIN, COUNTS_HEIGHT, BUTTON_WIDTH, BUTTON_HEIGHT};
    MapDialogRect(window, &units);
    int margin = units.left, counts = units.top, button_width = units.right, button_height = units.bottom;
    MoveWindow(GetDlgItem(window, IDC_FINDINGS_COUNTS), margin, margin, width - 2 * margin, counts, TRUE);
    HWND list = GetDlgItem(window, IDC_FINDINGS_LIST);
    int list_top = 2 * margin + counts;
    MoveWindow(list, margin, list_top, width - 2 * margin, height - list_top - 2 * margin - button_height, TRUE);
    MoveWindow(GetDlgItem(window, IDCANCEL), width - margin - button_width, height - margin - button_height,
               button_width, button_height, TRUE);
    list_fill_last_column(list, COLUMN_MESSAGE);
}

INT_PTR on_init_dialog(HWND window, FindingsState* state)
{
    SetWindowLongPtrA(window, DWLP_USER, (LONG_PTR)state);
    HWND list = GetDlgItem(window, IDC_FINDINGS_LIST);
    list_add_columns(list, window, COLUMN_WIDTHS, COLUMN_HEADERS, FINDINGS_COLUMNS);
    RECT client;
    GetClientRect(window, &client);
    on_size(window, client.right, client.bottom);
    return TRUE;
}

INT_PTR on_notify(HWND window, const NMHDR* header)
{
    if (header->idFrom != IDC_FINDINGS_LIST) {
        return FALSE;
    }
    if (header->code == LVN_GETDISPINFOA) {
        answer_cell(window, (NMLVDISPINFOA*)header);
    } else if (header->code == NM_DBLCLK) {
        select_finding_chunk(window, ((const NMITEMACTIVATE*)header)->iItem);
    } else if (header->code == LVN_KEYDOWN && ((const NMLVKEYDOWN*)header)->wVKey == VK_RETURN) {
        select_finding_chunk(window, list_first_selected(header->hwndFrom));
    } else if (header->code == LVN_KEYDOWN && ((const NMLVKEYDOWN*)header)->wVKey == VK_ESCAPE) {
        DestroyWindow(window);   // the main window's dialog loop makes no IDCANCEL of it here
    }
    return TRUE;
}

void on_destroy(HWND window)
{
    FindingsState* state = state_of(window);
    if (state) {
        findings_free(&state->list);
        zero_free(state);
    }
    SetWindowLongPtrA(window, DWLP_USER, 0);
    if (s_findings == window) {
        s_findings = NULL;
    }
}

// The first new errors as lines of the Save As question.
void write_new_error_lines(const FindingList& now, const int32_t* first, int32_t count, char* out)
{
    out[0] = 0;
    for (int32_t k = 0; k < count && k < NAMED_NEW_ERRORS; k++) {
        const Finding& finding = now.items[first[k]];
        char message[MESSAGE_SIZE], type[5], line[MESSAGE_SIZE + 32];
        finding_message(finding, CHECK_JAPANESE, message, sizeof message);
        write_place(finding, COLUMN_TYPE, type);
        if (finding.chunk == FINDING_FILE) {
            snprintf(line, sizeof line, NEW_ERROR_FILE_LINE, message);
        } else {
            snprintf(line, sizeof line, NEW_ERROR_LINE, (int)finding.chunk + 1, type, message);
        }
        lstrcatA(out, line);
    }
    if (count > NAMED_NEW_ERRORS) {
        lstrcatA(out, NEW_ERRORS_MORE);
    }
}

}  // namespace

void show_findings(HWND main_window)
{
    const OwnedWindow kind = {RES_FINDINGS_DIALOG, findings_proc, sizeof(FindingsState), PLACE_BELOW_OWNER,
                              check_again};
    open_owned_window(&s_findings, kind, main_window);
}

void findings_document_changed()
{
    if (s_findings) {
        check_again(s_findings);
    }
}

INT_PTR CALLBACK findings_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(window, (FindingsState*)lparam);
    case WM_SIZE:
        on_size(window, LOWORD(lparam), HIWORD(lparam));
        return TRUE;
    case WM_NOTIFY:
        return on_notify(window, (const NMHDR*)lparam);
    case WM_COMMAND:
    case WM_CLOSE:
        return close_owned_window(window, message, wparam);
    case WM_DESTROY:
        on_destroy(window);
        return TRUE;
    default:
        return FALSE;
    }
}

void keep_findings_of_loaded_file()
{
    findings_free(&s_loaded);
    check_document(&s_loaded);
    if (s_findings) {
        show_findings_of(s_findings, &s_loaded);
    }
}

// A count the check could not make (memory ran out) asks nothing: the save
// itself is as safe as ever.
int ask_about_new_errors(HWND window)
{
    FindingList now = FindingList();
    check_document(&now);
    int32_t first[NAMED_NEW_ERRORS];
    int32_t fresh = list_new_errors(s_loaded, now, first, NAMED_NEW_ERRORS);
    int go_on = 1;
    if (fresh > 0) {
        char lines[3 * (MESSAGE_SIZE + 32)], text[4 * (MESSAGE_SIZE + 32)];
        write_new_error_lines(now, first, fresh, lines);
        snprintf(text, sizeof text, TEXT_NEW_ERRORS, (int)fresh, lines);
        go_on = MessageBoxA(window, text, CAPTION_NEW_ERRORS, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    }
    findings_free(&now);
    return go_on;
}
