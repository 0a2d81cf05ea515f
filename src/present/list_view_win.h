// The window half of the chunk table and the status line: the core's texts put into
// the list view (IDC_CHUNK_TABLE) and the status control (IDC_STATUS).
//
// The table is a virtual list (LVS_OWNERDATA): filling it only sets the row count,
// and the list asks for each cell it shows through LVN_GETDISPINFOA, which the main
// window answers with answer_cell_request. A fill therefore costs the same for ten
// rows as for three hundred thousand, and LVM_GETITEMTEXTA still returns exactly
// the cell texts of format_cell.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <stdint.h>

void create_columns(HWND table);
// The widths of every column added up, in pixels.
int  list_columns_width(HWND table);
// Rebuilds the table from g_document: every row removed, then one row per record,
// none of them selected.
void fill_table(HWND table);
void write_status_line(HWND status, const char* path);

// Puts the text of the requested cell into the list's buffer.
void answer_cell_request(NMLVDISPINFOA* request);
// Type-ahead: the row whose number (column 0, without its leading blanks) starts
// with the typed text (or equals it, without LVFI_PARTIAL), from the start row on
// and wrapping round with LVFI_WRAP; -1 when none does. The request is an
// LVN_ODFINDITEMA or LVN_ODFINDITEMW notification.
int answer_find_request(const NMHDR* request);
int find_row_by_number(const char* typed, UINT flags, int start);

// Small forwards to the list's selection messages. Row -1 means every row.
int  list_row_count(HWND table);
int  list_selected_count(HWND table);
int  list_is_selected(HWND table, int row);
int  list_first_selected(HWND table);
void list_set_selected(HWND table, int row, int selected);
// The selected rows in rising order, at most `room` of them; returns how many.
int  list_selected_rows(HWND table, int32_t* rows, int room);
// The row under a point of the list's client area, or -1.
int  list_row_at(HWND table, int x, int y);
// Selects `row` alone and gives it the focus mark.
void list_select_only(HWND table, int row);
// Scrolls the list so that `row` is shown whole.
void list_show_row(HWND table, int row);

// Forwards for the lists of the check's windows (report views of their own).
// Adds `count` columns, `widths` in dialog units of `dialog`, with grid lines and
// full-row selection as the chunk table has them.
void list_add_columns(HWND list, HWND dialog, const int* widths, const char* const* headers, int count);
// Widens the last column to the list's right edge (its header's text at least).
void list_fill_last_column(HWND list, int index);
// Adds an empty row at the end, holding `data` as its item data; returns its index.
int  list_add_row(HWND list, LPARAM data);
LPARAM list_row_data(HWND list, int row);
// Sets a cell to `text`, read in `code_page` (932 or CP_UTF8) and shown as Unicode,
// so that a UTF-8 text keeps the characters code page 932 lacks.
void list_set_cell(HWND list, int row, int column, const char* text, UINT code_page);
// Selects `row` alone, as list_select_only, and scrolls it into view.
void list_show_only(HWND table, int row);
