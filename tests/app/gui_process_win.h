// The real velmora.exe in a process of its own, as a user meets it: started beside
// the test program, driven by posted commands and read from outside (window
// texts, message boxes, and the table's cells through memory in the program's own
// address space). The program may be the 32-bit build while the test program is
// 64-bit: the table is read in the layout of the program's own pointer width.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// velmora.exe beside the test program.
std::string program_path();
// Starts `program` with `arguments` (what follows the program name), in `folder`
// (null: the test's own). Null, with a failure, if it does not start.
HANDLE start_program(const std::string& arguments, const std::string& program = program_path(),
                     const char* folder = nullptr);

// Ends a started program whatever the test's outcome, so that no window of it
// is left for the next test to find.
struct Started {
    HANDLE process;
    explicit Started(HANDLE started) : process(started) {}
    ~Started();
};

// Visible main windows of one process (0: of any process).
std::vector<HWND> main_windows(DWORD process);
// The status line of a main window, in UTF-8.
std::string cross_process_status(HWND main);
// The table's rows, each as its twelve cells joined by "|", in UTF-8.
std::vector<std::string> cross_process_rows(HWND main);
std::vector<int> cross_process_selection(HWND main);
// Selects exactly these rows, as a click would.
void cross_process_select(HWND main, const std::vector<int>& rows);
// A visible dialog of the process that has a child with this id, or null.
HWND process_dialog(DWORD process, int control_id);
// A visible message box of the process, or null.
HWND process_box(DWORD process);

// A message box's caption and text as "caption|text", in UTF-8.
std::string box_text(HWND box);
// The common file dialog's file name control.
HWND file_name_control(HWND dialog);
// Types `path` into a common file dialog and presses its OK button.
void choose_file(HWND dialog, const std::string& path);

// Takes this thread's own messages, so that its windows answer.
void pump_own_messages();
// Waits for the process to end and gives its exit code.
bool wait_exit(HANDLE process, DWORD* code, const char* what);
