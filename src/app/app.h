// The program's entry points and the process-wide state of the shell. Everything
// here is Win32; the portable parts of start-up live in first_argument.h.
#pragma once
#include <windows.h>

extern HINSTANCE g_instance;            // the program's module, for every resource load
extern const char* g_startup_argument;  // the first command-line argument, or null

// The names of the single-instance objects.
#define MAIN_WINDOW_CLASS "VELMORACLASS"
#define INSTANCE_MUTEX    "VELMORAMUTEX"

// Start-up: registers the class, checks for another instance, runs the main window.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);
// The first instance's part of start-up (after the single-instance check): keeps the
// instance, takes the first argument of `command_line`, runs the main window as a
// modal dialog, then releases the document and removes the accelerators. Returns 0.
int run_first_instance(HINSTANCE instance, const char* command_line);

ATOM register_main_window_class(HINSTANCE instance, const char* class_name);

// The document layer's message boxes: MessageBoxA with no owner and the layer's
// flags. run_first_instance installs it for the length of a run.
void install_alert_box();
void remove_alert_box();

void install_accelerators(HWND main_window);
LRESULT CALLBACK accelerator_hook(int code, WPARAM removal, LPARAM message);
void remove_accelerators();

INT_PTR CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The main window's smallest outer size; a drag on an edge stops there.
const int MAIN_MIN_WIDTH = 530;
const int MAIN_MIN_HEIGHT = 234;
// Pulls the dragged edge of `rect` (a WM_SIZING edge code) out to the smallest size.
void apply_minimum_size(WPARAM edge, RECT* rect);

void show_about(HWND main_window);
INT_PTR CALLBACK about_box_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void show_help(HWND main_window);
// Cuts a path in a MAX_PATH buffer down to its drive and directory, trailing
// separator included; the second byte of a double-byte character is never taken
// for a separator.
void keep_folder_of(char* path);
