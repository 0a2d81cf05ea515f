// The main window's layout and its smallest size, in dialog units: every control
// keeps its place relative to the others at any font and DPI. At the template's
// font at 96 DPI (1.5 pixels to a dialog unit each way) the places are those the
// window has always had: the list at 106, 2, reaching 2 pixels past the right
// edge and 2 pixels above the status line, which with the notice line below it
// takes the bottom; the window at least 530 x 234 pixels.
#include <windows.h>

#include "app/app.h"
#include "present/list_view_win.h"
#include "resource_ids.h"

namespace {

// Dialog units.
const int LIST_LEFT = 71;            // right of the buttons (4 + 52) with a gap
const int LIST_TOP = 1;
const int LIST_PAST_RIGHT = 1;       // the list's right border lies outside the window
const int LIST_ABOVE_STATUS = 1;     // room between the list and the status line
const int BUTTONS_BOTTOM = 98;       // the Save button's lower edge in the template
const int MIN_CLIENT_WIDTH = 244;    // the notice line's width

int units_x(HWND window, int units)
{
    RECT r = {0, 0, units, 0};
    MapDialogRect(window, &r);
    return r.right;
}

int units_y(HWND window, int units)
{
    RECT r = {0, 0, 0, units};
    MapDialogRect(window, &r);
    return r.bottom;
}

}  // namespace

// The list fills the room right of the buttons; the status line and, under it,
// the empty control and the notice line (which keeps its size) take the bottom.
void layout_main_window(HWND window, int width, int height)
{
    HWND table = GetDlgItem(window, IDC_CHUNK_TABLE);
    HWND notice = GetDlgItem(window, IDC_NOTICE);
    RECT box;
    if (!table || !notice || !GetWindowRect(notice, &box)) {
        return;   // sized while the dialog is still being created
    }
    int w = box.right - box.left;
    int h = box.bottom - box.top;
    int left = units_x(window, LIST_LEFT);
    int top = units_y(window, LIST_TOP);
    int bottom = height - 2 * h - units_y(window, LIST_ABOVE_STATUS);
    const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE;
    MoveWindow(table, left, top, width + units_x(window, LIST_PAST_RIGHT) - left, bottom - top, TRUE);
    SetWindowPos(GetDlgItem(window, IDC_STATUS), NULL, 0, height - 2 * h, width, h, keep);
    SetWindowPos(GetDlgItem(window, IDC_STATUS_LEFT), NULL, 0, height - h, width - w, h, keep);
    SetWindowPos(notice, NULL, width - w, height - h, 0, 0, keep | SWP_NOSIZE);
}

// 530 x 234 pixels, or more where the font needs it: the buttons above the status
// line and the notice line, and the notice line's full width.
SIZE main_window_minimum(HWND window)
{
    HWND notice = GetDlgItem(window, IDC_NOTICE);
    RECT box = {0, 0, 0, 0};
    if (notice) {
        GetWindowRect(notice, &box);
    }
    int h = box.bottom - box.top;
    RECT client = {0, 0, units_x(window, MIN_CLIENT_WIDTH),
                   units_y(window, BUTTONS_BOTTOM + LIST_ABOVE_STATUS) + 2 * h};
    AdjustWindowRectEx(&client, (DWORD)GetWindowLongPtrA(window, GWL_STYLE), GetMenu(window) != NULL,
                       (DWORD)GetWindowLongPtrA(window, GWL_EXSTYLE));
    SIZE minimum = {client.right - client.left, client.bottom - client.top};
    if (minimum.cx < MAIN_MIN_WIDTH) {
        minimum.cx = MAIN_MIN_WIDTH;
    }
    if (minimum.cy < MAIN_MIN_HEIGHT) {
        minimum.cy = MAIN_MIN_HEIGHT;
    }
    return minimum;
}

void apply_minimum_size(WPARAM edge, RECT* rect, SIZE minimum)
{
    if (rect->right - rect->left < minimum.cx) {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) {
            rect->left = rect->right - minimum.cx;
        } else if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) {
            rect->right = rect->left + minimum.cx;
        }
    }
    if (rect->bottom - rect->top < minimum.cy) {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) {
            rect->top = rect->bottom - minimum.cy;
        } else if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) {
            rect->bottom = rect->top + minimum.cy;
        }
    }
}

// As wide as the table needs to show every column, the summary to its end, beside
// a vertical scroll bar, but never wider than the work area; at least the smallest
// size. Centred in the work area. The controls keep their template places (the
// list only grows to the right).
void open_at_full_width(HWND window)
{
    SIZE size = main_window_minimum(window);
    HWND table = GetDlgItem(window, IDC_CHUNK_TABLE);
    RECT outer = {0, 0, 0, 0}, inner = {0, 0, 0, 0};
    GetWindowRect(table, &outer);
    GetClientRect(table, &inner);
    int scroll_bar = GetSystemMetrics(SM_CXVSCROLL);
    int list_border = (outer.right - outer.left) - inner.right -
                      ((GetWindowLongPtrA(table, GWL_STYLE) & WS_VSCROLL) ? scroll_bar : 0);
    RECT client = {0, 0,
                   units_x(window, LIST_LEFT) + list_columns_width(table) + scroll_bar +
                       list_border - units_x(window, LIST_PAST_RIGHT),
                   0};
    AdjustWindowRectEx(&client, (DWORD)GetWindowLongPtrA(window, GWL_STYLE), GetMenu(window) != NULL,
                       (DWORD)GetWindowLongPtrA(window, GWL_EXSTYLE));
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int wanted = client.right - client.left;
    int room = work.right - work.left;
    if (wanted > size.cx) {
        size.cx = wanted < room ? wanted : room;
    }
    int x = work.left + (room - size.cx) / 2;
    int y = work.top + (work.bottom - work.top - size.cy) / 2;
    SetWindowPos(window, NULL, x > work.left ? x : work.left, y > work.top ? y : work.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
