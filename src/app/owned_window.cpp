// What the main window's modeless windows (the preview, the findings list) share:
// at most one of each, opened beside the main window inside the work area, and
// closed by Cancel or the close box.
#include <windows.h>

#include "app/app.h"
#include "document/memory.h"

namespace {

void place_by_owner(HWND window, HWND main_window, OwnedPlace place)
{
    RECT owner, own, work;
    GetWindowRect(main_window, &owner);
    GetWindowRect(window, &own);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int x = place == PLACE_RIGHT_OF_OWNER ? owner.right : owner.left;
    int y = place == PLACE_RIGHT_OF_OWNER ? owner.top : owner.bottom;
    if (x + (own.right - own.left) > work.right) x = work.right - (own.right - own.left);
    if (y + (own.bottom - own.top) > work.bottom) y = work.bottom - (own.bottom - own.top);
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(window, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void open_owned_window(HWND* open, const OwnedWindow& kind, HWND main_window)
{
    if (*open) {
        ShowWindow(*open, IsIconic(*open) ? SW_RESTORE : SW_SHOW);
        SetActiveWindow(*open);
        return;
    }
    void* state = zero_alloc(kind.state_size);
    if (!state) {
        return;
    }
    *open = CreateDialogParamA(g_instance, kind.resource, main_window, kind.proc, (LPARAM)state);
    if (!*open) {
        zero_free(state);
        return;
    }
    place_by_owner(*open, main_window, kind.place);
    kind.fill(*open);
    ShowWindow(*open, SW_SHOW);
}

int close_owned_window(HWND window, UINT message, WPARAM wparam)
{
    if ((message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) || message == WM_CLOSE) {
        DestroyWindow(window);
        return 1;
    }
    return message == WM_COMMAND;
}
