// Start-up of the first instance, the main window's class, the document layer's
// message boxes and the keyboard accelerators.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "app/first_argument.h"
#include "document/alert.h"
#include "document/chunk_file.h"
#include "repair/repair_search.h"
#include "resource_ids.h"

HINSTANCE g_instance;
const char* g_startup_argument;
int g_startup_argument_cut;

static HACCEL s_accelerators;   // IDR_ACCELERATORS; null until loaded
static HWND   s_accelerator_target;
static HHOOK  s_hook;

ATOM register_main_window_class(HINSTANCE instance, const char* class_name)
{
    WNDCLASSA window_class = {};
    window_class.style = CS_VREDRAW | CS_HREDRAW;
    window_class.lpfnWndProc = DefDlgProcA;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = DLGWINDOWEXTRA;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, RES_APP_ICON);
    window_class.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    window_class.hbrBackground = NULL;
    window_class.lpszMenuName = NULL;
    window_class.lpszClassName = class_name;
    return RegisterClassA(&window_class);
}

static void alert_message_box(const char* text, const char* caption, uint32_t flags)
{
    MessageBoxA(NULL, text, caption, flags);
}

void install_alert_box()
{
    set_alert_hook(alert_message_box);
}

void remove_alert_box()
{
    set_alert_hook(nullptr);
}

// The parser stops at the buffer's size: the argument was cut unless it ends right
// there, at the end of the line, at a blank outside quotes or at a closing quote.
// An odd number of quotes before the stop means the parser was inside quotes.
int argument_was_cut(const char* command_line, const char* rest, const char* argument)
{
    if (!argument || lstrlenA(argument) < ARGUMENT_SIZE - 1 || !rest || !*rest) {
        return 0;
    }
    int quotes = 0;
    for (const char* p = command_line; p < rest; p++) {
        quotes += *p == '"';
    }
    return (quotes % 2 == 1) ? *rest != '"' : *rest != ' ';
}

int run_first_instance(HINSTANCE instance, const char* command_line)
{
    g_instance = instance;
    const char* line = command_line ? command_line : "";
    const char* cursor = line;
    g_startup_argument = first_argument(&cursor);
    g_startup_argument_cut = argument_was_cut(line, cursor, g_startup_argument);
    // The list view's window class comes with the common controls.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    install_alert_box();

    DialogBoxParamA(instance, RES_MAIN_DIALOG, NULL, main_window_proc, 0);

    release_document();
    remove_accelerators();
    remove_alert_box();
    // The main window is destroyed rather than ended, so its quit message can still
    // be waiting; it has done its work and must not end whatever runs next on this
    // thread.
    MSG quit;
    PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
    g_startup_argument = nullptr;
    g_startup_argument_cut = 0;
    g_busy = 0;
    g_cancel = 0;
    return 0;
}

void install_accelerators(HWND main_window)
{
    s_accelerators = LoadAcceleratorsA(g_instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    s_accelerator_target = main_window;
    s_hook = SetWindowsHookExA(WH_GETMESSAGE, accelerator_hook, NULL, GetWindowThreadProcessId(main_window, NULL));
}

// Every key press removed from the thread's queue, by whichever loop, passes here;
// a matching key sends its command to the main window at once, and the key message
// itself still goes on to its window. A disabled main window (a modal box, a file
// dialog or a repair is up) takes no keyboard commands, which is also how Windows'
// own translation treats a disabled window.
LRESULT CALLBACK accelerator_hook(int code, WPARAM removal, LPARAM message)
{
    if (code >= 0 && s_accelerators) {
        MSG copy = *(const MSG*)message;
        if ((copy.message == WM_KEYDOWN || copy.message == WM_SYSKEYDOWN) && removal == PM_REMOVE &&
            IsWindowEnabled(s_accelerator_target) &&
            TranslateAcceleratorA(s_accelerator_target, s_accelerators, &copy)) {
            return 0;
        }
    }
    return CallNextHookEx(s_hook, code, removal, message);
}

void remove_accelerators()
{
    if (s_hook) {
        UnhookWindowsHookEx(s_hook);
    }
    s_hook = NULL;
    s_accelerators = NULL;
    s_accelerator_target = NULL;
}
