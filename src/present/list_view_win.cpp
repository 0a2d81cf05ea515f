#include "present/list_view_win.h"

#include "document/chunk_file.h"
#include "present/chunk_table.h"

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
