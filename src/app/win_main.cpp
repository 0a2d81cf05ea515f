// The program's entry point: one instance at a time.
#include <windows.h>

#include "app/app.h"
#include "app/first_argument.h"

// A second start hands its file (if it has one) to the running instance, which
// asks about unsaved changes and loads it, and brings that instance's most
// recently active window to the front.
static void hand_over(HWND found, const char* command_line)
{
    const char* line = command_line ? command_line : "";
    const char* cursor = line;
    const char* argument = first_argument(&cursor);
    if (argument) {
        COPYDATASTRUCT data;
        data.dwData = argument_was_cut(line, cursor, argument) ? HANDOVER_PATH_CUT : HANDOVER_OPEN_FILE;
        data.cbData = (DWORD)lstrlenA(argument) + 1;
        data.lpData = (void*)argument;
        DWORD process = 0;
        GetWindowThreadProcessId(found, &process);
        AllowSetForegroundWindow(process);
        DWORD_PTR ignored;
        SendMessageTimeoutA(found, WM_COPYDATA, 0, (LPARAM)&data, SMTO_ABORTIFHUNG, 10000, &ignored);
    }
    SetForegroundWindow(GetLastActivePopup(found));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int)
{
    if (!previous && !register_main_window_class(instance, MAIN_WINDOW_CLASS)) {
        return 0;
    }
    // Never waited on, released or closed: its existence marks a running instance.
    CreateMutexA(NULL, FALSE, INSTANCE_MUTEX);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND found = FindWindowA(MAIN_WINDOW_CLASS, NULL);
        if (found) {
            hand_over(found, command_line);
        }
        return 0;
    }
    return run_first_instance(instance, command_line);
}
