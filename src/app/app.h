// The program's entry points and the process-wide state of the shell. Everything
// here is Win32; the portable parts of start-up live in first_argument.h.
#pragma once
#include <windows.h>

extern HINSTANCE g_instance;            // the program's module, for every resource load
extern const char* g_startup_argument;  // the first command-line argument, or null

// Start-up: registers the class, checks for another instance, runs the main window.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);
// The first instance's part of start-up (after the single-instance check): keeps the
// instance, takes the first argument of `command_line`, runs the main window as a
// modal dialog, then releases the document and removes the accelerators. Returns 0.
int run_first_instance(HINSTANCE instance, const char* command_line);

ATOM register_main_window_class(HINSTANCE instance, const char* class_name);

void install_accelerators(HWND main_window);
LRESULT CALLBACK accelerator_hook(int code, WPARAM removal, LPARAM message);
void remove_accelerators();

INT_PTR CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

void show_about(HWND main_window);
INT_PTR CALLBACK about_box_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void show_help(HWND main_window);
