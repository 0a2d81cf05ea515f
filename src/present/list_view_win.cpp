#include "present/list_view_win.h"

#include "document/chunk_file.h"
#include "present/chunk_table.h"

#include <string.h>

// The number column is made for three digits; beyond them it grows by the width
// of a digit for each one more, so that no row number is cut to "...".
static void fit_number_column(HWND table)
{
    int digits = 1;
    for (int32_t n = g_document.count; n >= 10; n /= 10) {
        digits++;
    }
    int width = column_specs()[0].width;
    if (digits > 3) {
        int digit = (int)SendMessageA(table, LVM_GETSTRINGWIDTHA, 0, (LPARAM)"0");
        width += (digits - 3) * digit;
    }
    SendMessageA(table, LVM_SETCOLUMNWIDTH, 0, width);
}

int list_columns_width(HWND table)
{
    HWND header = (HWND)SendMessageA(table, LVM_GETHEADER, 0, 0);
    int count = header ? (int)SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    int width = 0;
    for (int c = 0; c < count; c++) {
        width += (int)SendMessageA(table, LVM_GETCOLUMNWIDTH, c, 0);
    }
    return width;
}

void create_columns(HWND table)
{
    const ColumnSpec* specs = column_specs();
    for (int c = 0; c < COLUMN_COUNT; c++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = specs[c].alignment;
        column.cx = specs[c].width;
        column.pszText = const_cast<char*>(specs[c].header);
        column.iSubItem = c;
        SendMessageA(table, LVM_INSERTCOLUMNA, c, (LPARAM)&column);
    }
    // Exactly grid lines and full-row selection; every other extended bit cleared.
    SendMessageA(table, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

void fill_table(HWND table)
{
    SendMessageA(table, LVM_DELETEALLITEMS, 0, 0);
    if (!g_document.loaded) {
        return;
    }
    LONG_PTR style = GetWindowLongPtrA(table, GWL_STYLE);
    SetWindowLongPtrA(table, GWL_STYLE, style | LVS_NOSCROLL);
    SendMessageA(table, LVM_SETITEMCOUNT, g_document.count, 0);
    // Row i shows record i from here on; a fresh table has no row selected.
    list_set_selected(table, -1, 0);
    fit_number_column(table);
    SetWindowLongPtrA(table, GWL_STYLE, style);
}

void write_status_line(HWND status, const char* path)
{
    char text[STATUS_SIZE];
    format_status_line(text, path);
    SendMessageA(status, WM_SETTEXT, 0, (LPARAM)text);
}

void answer_cell_request(NMLVDISPINFOA* request)
{
    LVITEMA& item = request->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) {
        return;
    }
    // A row the document no longer has (the list is rebuilt only after an edit
    // loop) shows nothing rather than another record's texts.
    char cell[CELL_SIZE];
    cell[0] = 0;
    if (item.iSubItem >= 0 && item.iSubItem < COLUMN_COUNT) {
        format_cell(cell, item.iItem, item.iSubItem);
    }
    lstrcpynA(item.pszText, cell, item.cchTextMax);
}

int list_row_count(HWND table)
{
    return (int)SendMessageA(table, LVM_GETITEMCOUNT, 0, 0);
}

int list_selected_count(HWND table)
{
    return (int)SendMessageA(table, LVM_GETSELECTEDCOUNT, 0, 0);
}

int list_is_selected(HWND table, int row)
{
    return (SendMessageA(table, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

int list_first_selected(HWND table)
{
    return (int)SendMessageA(table, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

void list_set_selected(HWND table, int row, int selected)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(table, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

int list_selected_rows(HWND table, int32_t* rows, int room)
{
    int count = 0;
    int row = -1;
    while (count < room && (row = (int)SendMessageA(table, LVM_GETNEXTITEM, (WPARAM)row, LVNI_SELECTED)) >= 0) {
        rows[count++] = row;
    }
    return count;
}

int list_row_at(HWND table, int x, int y)
{
    LVHITTESTINFO hit = {};
    hit.pt.x = x;
    hit.pt.y = y;
    int row = (int)SendMessageA(table, LVM_SUBITEMHITTEST, 0, (LPARAM)&hit);
    return row >= 0 && (hit.flags & LVHT_ONITEM) ? row : -1;
}

void list_select_only(HWND table, int row)
{
    list_set_selected(table, -1, 0);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(table, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
    SendMessageA(table, LVM_SETSELECTIONMARK, 0, row);
}

// Whether the number of `row` matches the typed text.
static int number_matches(int row, const char* typed, int partial)
{
    char cell[CELL_SIZE];
    format_cell(cell, row, 0);
    const char* number = cell;
    while (*number == ' ') {
        number++;
    }
    size_t length = strlen(typed);
    return partial ? strncmp(number, typed, length) == 0 : strcmp(number, typed) == 0;
}

// Windows sends the ANSI request to an ANSI window; Wine's list view sends the
// wide one whatever its parent is. Row numbers are plain digits either way.
int answer_find_request(const NMHDR* header)
{
    UINT flags;
    int start;
    char typed[CELL_SIZE] = "";
    if (header->code == LVN_ODFINDITEMW) {
        const NMLVFINDITEMW* request = (const NMLVFINDITEMW*)header;
        flags = request->lvfi.flags;
        start = request->iStart;
        if (request->lvfi.psz) {
            WideCharToMultiByte(CP_ACP, 0, request->lvfi.psz, -1, typed, sizeof typed, NULL, NULL);
        }
    } else {
        const NMLVFINDITEMA* request = (const NMLVFINDITEMA*)header;
        flags = request->lvfi.flags;
        start = request->iStart;
        if (request->lvfi.psz) {
            lstrcpynA(typed, request->lvfi.psz, sizeof typed);
        }
    }
    return find_row_by_number(typed, flags, start);
}

int find_row_by_number(const char* typed, UINT flags, int start)
{
    int rows = g_document.loaded ? g_document.count : 0;
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || !typed[0] || rows == 0) {
        return -1;
    }
    start = start >= 0 && start < rows ? start : 0;
    int tries = flags & LVFI_WRAP ? rows : rows - start;
    for (int k = 0; k < tries; k++) {
        int row = (start + k) % rows;
        if (number_matches(row, typed, (flags & LVFI_PARTIAL) != 0)) {
            return row;
        }
    }
    return -1;
}

void list_show_row(HWND table, int row)
{
    SendMessageA(table, LVM_ENSUREVISIBLE, (WPARAM)row, FALSE);
}

void list_add_columns(HWND list, HWND dialog, const int* widths, const char* const* headers, int count)
{
    for (int c = 0; c < count; c++) {
        RECT units = {0, 0, widths[c], 0};
        MapDialogRect(dialog, &units);
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.cx = units.right;
        column.pszText = const_cast<char*>(headers[c]);
        column.iSubItem = c;
        SendMessageA(list, LVM_INSERTCOLUMNA, c, (LPARAM)&column);
    }
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

void list_fill_last_column(HWND list, int index)
{
    SendMessageA(list, LVM_SETCOLUMNWIDTH, index, LVSCW_AUTOSIZE_USEHEADER);
}

int list_add_row(HWND list, LPARAM data)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = list_row_count(list);
    item.lParam = data;
    return (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
}

LPARAM list_row_data(HWND list, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&item) ? item.lParam : 0;
}

void list_set_cell(HWND list, int row, int column, const char* text, UINT code_page)
{
    WCHAR wide[512];
    int length = MultiByteToWideChar(code_page, 0, text, -1, wide, sizeof wide / sizeof wide[0]);
    wide[length > 0 ? length - 1 : 0] = 0;
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = wide;
    SendMessageW(list, LVM_SETITEMTEXTW, (WPARAM)row, (LPARAM)&item);
}

void list_show_only(HWND table, int row)
{
    list_select_only(table, row);
    SendMessageA(table, LVM_ENSUREVISIBLE, (WPARAM)row, FALSE);
}
