// The program's entry points and the process-wide state of the shell. Everything
// here is Win32; the portable parts of start-up live in first_argument.h.
#pragma once
#include <windows.h>

extern HINSTANCE g_instance;            // the program's module, for every resource load
extern const char* g_startup_argument;  // the first command-line argument, or null
extern int g_startup_argument_cut;      // 1 when that argument did not fit its buffer

// The names of the single-instance objects.
#define MAIN_WINDOW_CLASS "VELMORACLASS"
#define INSTANCE_MUTEX    "VELMORAMUTEX"

// Start-up: registers the class, checks for another instance, runs the main window.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);
// The first instance's part of start-up (after the single-instance check): keeps the
// instance, takes the first argument of `command_line`, runs the main window as a
// modal dialog, then releases the document and removes the accelerators. Returns 0.
int run_first_instance(HINSTANCE instance, const char* command_line);

// A second start hands its file to the running instance in a WM_COPYDATA whose
// data is the zero-terminated path (at most ARGUMENT_SIZE bytes with the zero).
const ULONG_PTR HANDOVER_OPEN_FILE = 0x564C4D31;   // the path as it stands
const ULONG_PTR HANDOVER_PATH_CUT  = 0x564C4D32;   // the first 260 bytes of a longer path
// Whether the argument `first_argument` returned, ending just before `rest` of
// `command_line`, was cut at the buffer's size.
int argument_was_cut(const char* command_line, const char* rest, const char* argument);
// Posted by the main window to itself to open a handed-over file once it is free.
const UINT WM_OPEN_HANDED_OVER = WM_APP + 1;

ATOM register_main_window_class(HINSTANCE instance, const char* class_name);

// The document layer's message boxes: MessageBoxA with no owner and the layer's
// flags. run_first_instance installs it for the length of a run.
void install_alert_box();
void remove_alert_box();

void install_accelerators(HWND main_window);
LRESULT CALLBACK accelerator_hook(int code, WPARAM removal, LPARAM message);
void remove_accelerators();

INT_PTR CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The main window's smallest outer size at the template's font; a larger font or
// DPI needs more (main_window_minimum). A drag on an edge stops there.
const int MAIN_MIN_WIDTH = 530;
const int MAIN_MIN_HEIGHT = 234;
SIZE main_window_minimum(HWND main_window);
// Pulls the dragged edge of `rect` (a WM_SIZING edge code) out to `minimum`.
void apply_minimum_size(WPARAM edge, RECT* rect, SIZE minimum);
// The opening size and place: wide enough for every column of the table (up to the
// work area), centred in the work area.
void open_at_full_width(HWND main_window);
// Places the controls for a client area of `width` x `height` pixels.
void layout_main_window(HWND main_window, int width, int height);

// The main window's modeless windows: how one is made and where it opens.
enum OwnedPlace { PLACE_RIGHT_OF_OWNER, PLACE_BELOW_OWNER };
struct OwnedWindow {
    const char* resource;     // the dialog template
    DLGPROC     proc;         // takes a zeroed state of state_size bytes at WM_INITDIALOG
    size_t      state_size;
    OwnedPlace  place;        // beside the main window, moved into the work area
    void (*fill)(HWND window);   // from the document, before it is first shown and after every change
};
// Makes, fills and shows the window and keeps it in *open; when *open is already
// one, shows it and makes it active instead.
void open_owned_window(HWND* open, const OwnedWindow& kind, HWND main_window);
// Cancel and the close box destroy the window: 1 when `message` was one
// of them or another command (which the window ignores).
int close_owned_window(HWND window, UINT message, WPARAM wparam);

void show_about(HWND main_window);
INT_PTR CALLBACK about_box_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void show_help(HWND main_window);
// Cuts a path in a MAX_PATH buffer down to its drive and directory, trailing
// separator included; the second byte of a double-byte character is never taken
// for a separator.
void keep_folder_of(char* path);

// The standard Open or Save As dialog over `path` (ARGUMENT_SIZE bytes, its
// contents the initial name), showing `filter` (pairs of name and pattern ended
// by an empty name); Save As adds `extension` to a name without one and asks
// before replacing a file. Returns 1 after OK (file_commands.cpp).
enum FileDialog {
    DIALOG_OPEN,
    DIALOG_SAVE,
    DIALOG_EXPORT,   // Save As for a part of the document: the current folder stays
};
int  ask_for_file(HWND window, FileDialog kind, const char* filter, const char* extension, char* path);
