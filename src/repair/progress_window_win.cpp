#include "repair/progress_window_win.h"

#include "app/app.h"
#include "repair/candidate_dialog_win.h"
#include "resource_ids.h"

INT_PTR CALLBACK progress_window_proc(HWND, UINT message, WPARAM wparam, LPARAM)
{
    if (message != WM_COMMAND) {
        return FALSE;
    }
    if (LOWORD(wparam) == IDC_REPAIR_CANCEL) {
        g_cancel = 1;
    }
    return TRUE;
}

static RepairWindow& window_of(void* context)
{
    return *(RepairWindow*)context;
}

static void enable_owner(void* context, int enabled)
{
    EnableWindow(window_of(context).owner, enabled);
}

// A number field grows into the gaps of 4 dialog units beside it (first to the
// left, then to the right) until seven digits fit: no data length reaches eight.
static void widen_number_field(HWND dialog, int id)
{
    HWND field = GetDlgItem(dialog, id);
    HDC dc = GetDC(field);
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(field, WM_GETFONT, 0, 0));
    SIZE digits = {0, 0};
    GetTextExtentPoint32A(dc, "8888888", 7, &digits);
    SelectObject(dc, old);
    ReleaseDC(field, dc);
    RECT box, gap = {0, 0, 4, 0};
    GetWindowRect(field, &box);
    MapWindowPoints(NULL, dialog, (POINT*)&box, 2);
    MapDialogRect(dialog, &gap);
    int missing = digits.cx + 2 - (box.right - box.left);
    int to_left = missing < gap.right ? missing : gap.right;
    if (missing > 0) {
        box.left -= to_left;
        box.right += missing - to_left < gap.right ? missing - to_left : gap.right;
        MoveWindow(field, box.left, box.top, box.right - box.left, box.bottom - box.top, FALSE);
    }
}

static void open_progress(void* context)
{
    RepairWindow& window = window_of(context);
    window.progress = CreateDialogParamA(g_instance, RES_REPAIR_DIALOG, window.owner, progress_window_proc, 0);
    widen_number_field(window.progress, IDC_REPAIR_LENGTH);
    widen_number_field(window.progress, IDC_REPAIR_POSITION);
    window.last_look = GetTickCount() - PUMP_INTERVAL_MS;
}

static void show_number(void* context, int field, uint32_t value)
{
    SetDlgItemInt(window_of(context).progress, field, value, FALSE);
}

static void show_text(void* context, int field, const char* text)
{
    SetDlgItemTextA(window_of(context).progress, field, text);
}

static uint32_t read_clock(void*)
{
    return GetTickCount();
}

// At most one message, never waiting. A quit message is not the search's to
// swallow: it is posted again so that the main loop still ends once the search has.
static void pump_one_event(void* context)
{
    RepairWindow& window = window_of(context);
    DWORD now = GetTickCount();
    if (now - window.last_look < PUMP_INTERVAL_MS) {
        return;
    }
    window.last_look = now;
    MSG message;
    if (!PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        return;
    }
    if (message.message == WM_QUIT) {
        PostQuitMessage((int)message.wParam);
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

static void info_box(void* context, const char* text, const char* caption)
{
    MessageBoxA(window_of(context).owner, text, caption, MB_OK | MB_ICONINFORMATION);
}

static int ask_yes_no(void* context, const char* text, const char* caption)
{
    return MessageBoxA(window_of(context).owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The window is destroyed, not only hidden, so that repeated repairs leave no
// windows behind.
static void close_progress(void* context)
{
    RepairWindow& window = window_of(context);
    if (window.progress) {
        EndDialog(window.progress, 0);
        DestroyWindow(window.progress);
        window.progress = NULL;
    }
}

RepairPorts repair_window_ports(RepairWindow* window)
{
    RepairPorts ports;
    ports.context = window;
    ports.enable_owner = enable_owner;
    ports.open_progress = open_progress;
    ports.show_number = show_number;
    ports.show_text = show_text;
    ports.read_clock = read_clock;
    ports.pump_one_event = pump_one_event;
    ports.info_box = info_box;
    ports.ask_yes_no = ask_yes_no;
    ports.close_progress = close_progress;
    ports.choose_candidate = choose_candidate_window;
    return ports;
}

RepairWindowPorts::RepairWindowPorts(HWND owner) : window{owner, NULL, 0}, ports(repair_window_ports(&window))
{
}

RepairWindowPorts repair_window_ports(HWND owner)
{
    return RepairWindowPorts(owner);
}
