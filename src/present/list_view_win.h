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
