// The main window's commands: one table per feature group, each row a command id
// and its handler, looked up by the window's on_command. Handlers get the window's
// state as a MainContext (the window, its controls, the path buffer, the load and
// hand-over flags); nothing of it lives in the groups' files.
//
// A new group: a file of its own with its handlers and a `const CommandTable`
// (see FILE_COMMANDS below), declared here and added to the list in
// main_window.cpp. A new command of an existing group: one row in its table.
#pragma once
#include <windows.h>

#include "app/first_argument.h"

struct MainContext {
    HWND      window;                       // the main window, DIALOG_MAIN
    HWND      table;                        // the chunk table, IDC_CHUNK_TABLE
    HWND      status;                       // the status control, IDC_STATUS
    char      path[ARGUMENT_SIZE];          // the current file path
    char      handed_over[ARGUMENT_SIZE];   // a second start's file, not yet opened
    ULONG_PTR handover_kind;                // HANDOVER_OPEN_FILE or HANDOVER_PATH_CUT; 0 when none waits
    int       loading;                      // 1 while a load runs, its message boxes included
    WNDPROC   previous_table_proc;          // the list's own procedure, before subclassing
    HFONT     table_font;
};

// `lparam` is the WM_COMMAND's (the point of a right click for IDC_CHUNK_TABLE).
typedef void (*CommandHandler)(MainContext& main, LPARAM lparam);

struct MainCommand {
    WORD           id;
    CommandHandler run;
};

struct CommandTable {
    const MainCommand* commands;
    int                count;
};

// Open, Save As, Exit (file_commands.cpp).
extern const CommandTable FILE_COMMANDS;
// Delete, merge, repair, undo, redo and the selection commands (edit_commands.cpp).
extern const CommandTable EDIT_COMMANDS;
// The inspector, the metadata selection, the context menu, help and About (view_commands.cpp).
extern const CommandTable VIEW_COMMANDS;
// The preview window (preview_commands.cpp).
extern const CommandTable PREVIEW_COMMANDS;
// The findings list and the privacy review (check_commands.cpp).
extern const CommandTable CHECK_COMMANDS;

// Move, copy, cut, paste, split, chunk export and the ICC profile's import and
// export (chunk_commands.cpp).
extern const CommandTable CHUNK_COMMANDS;

// The chunk editors and the Insert submenu (editor_commands.cpp).
extern const CommandTable EDITOR_COMMANDS;
// Gives the Insert submenu's item in `menu` its command id, when `menu` holds it.
void number_insert_submenu(HMENU menu);

// Undo and redo offered only when there is a step, each naming it (edit_commands.cpp).
void name_undo_items(HMENU menu);

// Shared by the groups (main_window.cpp).
void set_status_text(MainContext& main, const char* text);
// The table, the status line and an open preview rebuilt from the document: every
// command that changes the document ends here (a load ends in load_and_show).
void show_document_again(MainContext& main);
// A handed-over file waits while the window is busy or a modal box is up; this
// looks again once the window may be free.
void look_for_handed_over_file(MainContext& main);

// The file group's steps that the window's drops and hand-overs use too.
// Before the document is discarded: an unchanged one goes without a word; for a
// changed one the user saves it (and goes on only if that worked), drops it, or
// stays. Returns 1 to go on.
int  may_discard(MainContext& main);
// Load, then status line (or the error text), then the table and an open preview.
void load_and_show(MainContext& main, const char* path);
// A path longer than the buffer is never cut and loaded: it gets the open failure.
void refuse_cut_path(MainContext& main, const char* shown);
// The save question, then the load.
void open_file(MainContext& main, const char* path);

// Rescue: reading a damaged file the strict load refuses (rescue_commands.cpp).
extern const CommandTable RESCUE_COMMANDS;
// The Open dialog over `path` (ARGUMENT_SIZE bytes, its contents the initial
// name); 1 after OK (file_commands.cpp).
int ask_open_path(HWND window, char* path);
