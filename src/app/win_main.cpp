// The program's entry point: one instance at a time.
#include <windows.h>

#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int)
{
    if (!previous && !register_main_window_class(instance, MAIN_WINDOW_CLASS)) {
        return 0;
    }
    // Never waited on, released or closed: its existence marks a running instance.
    CreateMutexA(NULL, FALSE, INSTANCE_MUTEX);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Bring the running instance's most recently active window to the front;
        // this instance's argument is not opened anywhere.
        HWND found = FindWindowA(MAIN_WINDOW_CLASS, NULL);
        if (found) {
            SetForegroundWindow(GetLastActivePopup(found));
        }
        return 0;
    }
    return run_first_instance(instance, command_line);
}
