// The harness of the GUI tests: runs the program inside the test process on a
// user-interface thread of its own, drives it the way a user would (posted keys
// and clicks, dropped files, the real dialogs) and reads back what the user sees
// (cell texts, the status line, message boxes, window rectangles, menus).
//
// Texts read from the program are code page 932 and are handed to the tests as
// UTF-8, so expectations are written as u8"" literals and failures print
// readably. Every wait polls a condition and fails with a message on timeout.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

// Controls of the system's dialogs: the message box's icon and text; the common
// file dialog's file name (a combo box holding an edit, or an edit) and file types.
const int BOX_ICON = 0x0440;
const int BOX_TEXT = 0xFFFF;
const int FILE_NAME_COMBO = 0x047C;
const int FILE_NAME_EDIT = 0x0480;
const int FILE_TYPES = 0x0470;

// Code page 932 to UTF-8.
std::string utf8(const std::string& cp932);

// ---- one run of the program -------------------------------------------------

// Once per process: registers the main window class and starts the box watcher.
bool gui_prepare();

// Starts the program with `command_line` (what follows the program name) on a
// fresh user-interface thread and waits for its visible main window. Message
// boxes shown meanwhile are answered by the box watcher. False on timeout.
bool gui_start(const std::string& command_line);
// The same in two steps: start the thread with the first answers for message
// boxes already scripted, then wait for the main window.
bool gui_launch(const std::string& command_line, const std::vector<int>& answers);
bool gui_wait_shown();
// Closes whatever dialogs are open, closes the main window and waits for the
// program's thread to end. False (with a failure) if it does not end.
bool gui_stop();
// True once the program's thread has ended (run_first_instance returned).
bool gui_ended();
HWND gui_main();
HWND gui_item(int id);
DWORD gui_thread();
// Quotes a path for a command line.
std::string quote_path(const std::string& path);

// ---- synchronisation --------------------------------------------------------

// Waits until the user-interface thread has taken every message posted so far
// off its queue (each handled, or its handler inside a nested modal loop).
bool gui_sync();
// Polls `condition` every few milliseconds; fails with `what` after the timeout.
template <typename Condition>
bool wait_until(Condition condition, const char* what, int timeout_ms = 20000);
bool wait_failed(const char* what, int timeout_ms);
// Runs a function on the user-interface thread (between two of its messages)
// and waits for it to finish.
bool gui_call(void (*function)(void*), void* argument);

// Clicks the repair button so that the program's thread stops at the first
// message its search takes off the queue, and waits for that. Until
// gui_release(), messages posted to the program reach the search's own message
// pump one by one, however fast the search is. Texts are read with stored_text
// meanwhile: the held thread answers no message.
bool gui_start_repair_held();
void gui_release();

// ---- message boxes ----------------------------------------------------------

// What a message box showed, as "caption|text|icon|buttons|owner", in UTF-8.
// icon: none, error, warning, information, question. buttons: OK, OK/Cancel,
// Yes/No, ... owner: none, main, about, dialog (another dialog of the program);
// an ownerless box that disables the main window (task-modal) reads
// "none,task-modal".
struct BoxRecord {
    HWND        box;
    std::string line;
    std::string progress;   // the progress window's "length|position|estimate" when shown, else ""
    int         answer;     // the button pressed, 0 while held
};

const int HOLD_BOX = -1;    // an answer that leaves the box open until answer_held_box

// The buttons to press on the next boxes, in order; afterwards a box is answered
// with No, else Cancel, else OK (so nothing is ever opened or forced).
void script_answers(const std::vector<int>& buttons);
std::vector<BoxRecord> box_records();
std::vector<std::string> boxes_seen();
void clear_boxes();
bool wait_boxes(size_t count, int timeout_ms = 20000);
// Presses `button` on the box held by HOLD_BOX.
void answer_held_box(int button);

// ---- what else the program opened and wrote ---------------------------------

// Top-level dialogs and menus created by the program since the last clear, as
// "class|caption" in UTF-8 (#32770 for dialogs and message boxes, #32768 for
// pop-up menus).
std::vector<std::string> windows_opened();
void clear_windows_opened();
// Every text written into the status control since the last clear, in UTF-8.
std::vector<std::string> status_history();
void clear_status_history();

// ---- reading the windows ----------------------------------------------------

std::string window_text(HWND window);        // UTF-8
// The text a window keeps, read without sending it a message (for reading a
// window while the program's thread is busy).
std::string stored_text(HWND window);
std::string window_class(HWND window);
std::string status_text();
std::string notice_text();
int row_count();
// Row r as its twelve cell texts joined by "|", in UTF-8.
std::string table_row(int row);
std::vector<std::string> table_rows();
std::vector<int> selected_rows();
void select_rows(const std::vector<int>& rows);
RECT window_rect(HWND window);
// A child's rectangle in its parent's client coordinates.
RECT child_rect(HWND child);
// A visible top-level dialog of the program with this caption (UTF-8), or null.
HWND find_dialog(const std::string& caption);
// A visible top-level dialog of the program that has a child with this id.
HWND find_dialog_with(int control_id);
HWND find_popup_menu();
// The common file dialog (Open or Save As) while it is open; choose_file
// (gui_process_win.h) picks a file in it.
HWND file_dialog();
// A window's text read with the wide-character call, in UTF-8.
std::string wide_window_text(HWND window);
// Whether the mouse over the middle of a control reaches the control itself (a
// static text without the notify style lets it through to its parent, whose
// cursor then shows).
bool takes_mouse(HWND control);
// Focus of the user-interface thread (the window that receives keys).
HWND focused_window();
// The items of a menu as "text=id" ("-" for separators, "text>" for sub-menus),
// texts in UTF-8.
std::vector<std::string> menu_items(HMENU menu);

// A file's bytes, read with every kind of sharing: a test that watches for the
// program's output must not stand in the way of the program replacing the file.
std::vector<unsigned char> shared_read(const std::string& path);

// ---- input ------------------------------------------------------------------

// Posts a key press to the focused window, with Ctrl held when asked, so that it
// passes the program's accelerator hook. Does not wait.
void press_key(UINT virtual_key, bool control = false);
// Posts WM_COMMAND with this id to the main window, as a menu item does.
void post_command(int id);
// Clicks a push button of the main window (or of `dialog`) by its control id.
void click_button(int id, HWND dialog = nullptr);
// Drops files (code page 932 paths) on the main window through a real HDROP.
// Returns the handle so that a test can check that it was released.
HGLOBAL drop_files(const std::vector<std::string>& paths);
bool hdrop_released(HGLOBAL drop);

template <typename Condition>
bool wait_until(Condition condition, const char* what, int timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > (DWORD)timeout_ms) return wait_failed(what, timeout_ms);
        Sleep(5);
    }
}

// Every test that runs the program ends it, whatever happened.
struct GuiTest : testing::Test {
    void TearDown() override { gui_stop(); }
};
