// The File menu and the Open and Save As buttons: the file dialogs, the save
// question before a document is discarded, and loading with its status line.
#include <windows.h>
#include <commdlg.h>

#include "app/app.h"
#include "app/chunk_view.h"
#include "app/main_commands.h"
#include "app/preview_win.h"
#include "check/check_win.h"
#include "app/shell_texts.h"
#include "document/chunk_file.h"
#include "present/list_view_win.h"
#include "rescue/rescue_report.h"
#include "resource_ids.h"

namespace {

int ask_for_path(HWND window, FileDialog kind, char* path)
{
    return ask_for_file(window, kind, FILE_FILTER, DEFAULT_EXTENSION, path);
}

// Save As. Errors the loaded file did not have are asked about before the file
// dialog, so that No leaves at once. The path buffer takes the new name only once the file is written, and
// the status line then names it; a failure leaves the buffer on the file it was.
// Returns 1 when the document was saved.
int save_as(MainContext& main)
{
    char target[ARGUMENT_SIZE];
    lstrcpynA(target, main.path, sizeof target);
    if (!g_document.loaded || !ask_about_new_errors(main.window) ||
        !ask_for_path(main.window, DIALOG_SAVE, target)) {
        return 0;
    }
    if (!ask_before_save(main.window)) {   // bytes after IEND would be lost
        return 0;
    }
    if (save_png(target) != SAVE_OK) {
        set_status_text(main, STATUS_SAVE_ERROR);
        return 0;
    }
    lstrcpynA(main.path, target, sizeof main.path);
    write_status_line(main.status, main.path);
    return 1;
}

void open_chosen_file(MainContext& main, LPARAM)
{
    char chosen[ARGUMENT_SIZE];
    lstrcpynA(chosen, main.path, sizeof chosen);
    if (may_discard(main) && ask_for_path(main.window, DIALOG_OPEN, chosen)) {
        load_and_show(main, chosen);
    }
}

void save_command(MainContext& main, LPARAM)
{
    save_as(main);
}

void exit_command(MainContext& main, LPARAM)
{
    PostMessageA(main.window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

const MainCommand COMMANDS[] = {
    {IDC_LOAD, open_chosen_file},
    {IDC_SAVE, save_command},
    {IDM_EXIT, exit_command},
};

}  // namespace

const CommandTable FILE_COMMANDS = {COMMANDS, sizeof COMMANDS / sizeof COMMANDS[0]};

int ask_for_file(HWND window, FileDialog kind, const char* filter, const char* extension, char* path)
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = ARGUMENT_SIZE;
    if (kind != DIALOG_OPEN) {
        dialog.Flags = kind == DIALOG_EXPORT ? OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR : OFN_OVERWRITEPROMPT;
        dialog.lpstrDefExt = extension;
        return GetSaveFileNameA(&dialog) != 0;
    }
    dialog.Flags = OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&dialog) != 0;
}

int ask_open_path(HWND window, char* path)
{
    return ask_for_path(window, DIALOG_OPEN, path);
}

int may_discard(MainContext& main)
{
    if (!g_document.loaded || !g_document.changed) {
        return 1;
    }
    switch (MessageBoxA(main.window, TEXT_SAVE_CHANGES, CAPTION_SAVE_CHANGES, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        return save_as(main);
    case IDNO:
        return 1;
    default:
        return 0;
    }
}

// An empty table after a failure, and the path buffer back on the previous file's
// path. Commands and drops are ignored until the load and its boxes are over.
void load_and_show(MainContext& main, const char* path)
{
    main.loading = 1;
    forget_rescue_notes();   // the chunks the inspector shows are the file's own now
    if (load_png(path) == LOAD_OK) {
        lstrcpynA(main.path, path, sizeof main.path);
        write_status_line(main.status, main.path);
    } else {
        set_status_text(main, STATUS_LOAD_ERROR);
    }
    keep_findings_of_loaded_file();
    fill_table(main.table);
    preview_document_changed();
    main.loading = 0;
    look_for_handed_over_file(main);
}

// The document stays as it is.
void refuse_cut_path(MainContext& main, const char* shown)
{
    report_open_failure(shown);
    if (!g_document.loaded) {
        set_status_text(main, STATUS_LOAD_ERROR);
    }
}

void open_file(MainContext& main, const char* path)
{
    if (may_discard(main)) {
        load_and_show(main, path);
    }
}
