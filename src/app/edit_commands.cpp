// The Edit menu's commands that change the document (delete, merge, repair, undo)
// and the selection commands. Every command that changes the document runs
// through run_edit, which makes it one undo step.
#include <windows.h>

#include "app/app.h"
#include "app/chunk_view.h"
#include "app/main_commands.h"
#include "app/shell_texts.h"
#include "app/undo_texts.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "document/slimming.h"
#include "document/undo_history.h"
#include "present/list_view_win.h"
#include "repair/progress_window_win.h"
#include "resource_ids.h"

namespace {

const int PROGRESS_TEXT_SIZE = 64;
const DWORD PROGRESS_INTERVAL_MS = 50;

// One undo step of `kind`; none when the edit changed nothing.
void run_edit(MainContext& main, StepKind kind, void (*edit)(MainContext& main, void* context), void* context)
{
    begin_step(kind);
    edit(main, context);
    end_step();
}

// The progress text, written at most every PROGRESS_INTERVAL_MS and at the end.
struct ProgressText {
    MainContext* main;
    DWORD        last;
};

void write_progress(void* context, int32_t done, int32_t selected)
{
    ProgressText* progress = (ProgressText*)context;
    DWORD now = GetTickCount();
    if (done != selected && now - progress->last < PROGRESS_INTERVAL_MS) {
        return;
    }
    progress->last = now;
    char text[PROGRESS_TEXT_SIZE];
    wsprintfA(text, STATUS_PROCESSING, done, selected, (int)((int64_t)done * 100 / selected));
    set_status_text(*progress->main, text);
}

// The question about an animation or iDOT is part of the edit, so that undo
// also takes back an iDOT deleted with the merge.
struct RowEditRun {
    RowEdit    edit;
    EditResult result;
};

void apply_row_edit(MainContext& main, void* context)
{
    RowEditRun* run = (RowEditRun*)context;
    int selected = list_selected_count(main.table);
    int32_t* rows = (int32_t*)zero_alloc((size_t)(selected > 0 ? selected : 0) * sizeof(int32_t));
    if (!rows) {
        run->result = EDIT_NO_MEMORY;
        return;
    }
    int32_t count = list_selected_rows(main.table, rows, selected);
    RowEditPlan plan = plan_row_edit(run->edit, rows, count);
    RowEditAnswer answer = ask_slimming_question(main.window, plan.question);
    ProgressText progress = {&main, GetTickCount()};
    EditProgress port = {&progress, write_progress};
    run->result = apply_row_edit_plan(plan, answer, &port);
    zero_free(rows);
}

// The delete and merge commands: every selected row, in one pass over the
// document that ends where deleting or merging the rows one by one from the last
// to the first ends (see edit_rows). An edit that ran out of memory changed
// nothing, and the status line says so.
void edit_selected_rows(MainContext& main, RowEdit edit)
{
    RowEditRun run = {edit, EDIT_UNCHANGED};
    run_edit(main, edit == ROW_EDIT_DELETE ? STEP_DELETE : STEP_MERGE, apply_row_edit, &run);
    show_document_again(main);
    if (run.result == EDIT_NO_MEMORY) {
        set_status_text(main, STATUS_EDIT_NO_MEMORY);
    }
}

void delete_command(MainContext& main, LPARAM)
{
    edit_selected_rows(main, ROW_EDIT_DELETE);
}

void merge_command(MainContext& main, LPARAM)
{
    edit_selected_rows(main, ROW_EDIT_MERGE);
}

void repair_row(MainContext& main, void* context)
{
    repair_chunk(*(int*)context, repair_window_ports(main.window));
}

// After the repair's boxes the window is enabled and active again, so keys reach it.
void repair_command(MainContext& main, LPARAM)
{
    int selected = list_selected_count(main.table);
    if (selected > 1) {
        MessageBoxA(main.window, TEXT_SELECT_ONE, CAPTION_SEVERAL, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (selected != 1) {
        return;
    }
    int row = list_first_selected(main.table);
    if (!is_damaged(row)) {
        return;
    }
    run_edit(main, STEP_REPAIR, repair_row, &row);
    EnableWindow(main.window, TRUE);
    SetForegroundWindow(main.window);
    SetActiveWindow(main.window);
    show_document_again(main);
    list_set_selected(main.table, row, 1);
    look_for_handed_over_file(main);
}

void undo_command(MainContext& main, LPARAM)
{
    if (undo_last_edit()) {
        show_document_again(main);
    }
}

void redo_command(MainContext& main, LPARAM)
{
    if (redo_edit()) {
        show_document_again(main);
    }
}

// The list repaints each row whose state changes unless redrawing is off; on a
// large table that costs more than the change itself.
void select_all_command(MainContext& main, LPARAM)
{
    SendMessageA(main.table, WM_SETREDRAW, FALSE, 0);
    list_set_selected(main.table, -1, 1);
    SendMessageA(main.table, WM_SETREDRAW, TRUE, 0);
    SetFocus(main.table);
}

void invert_command(MainContext& main, LPARAM)
{
    SendMessageA(main.table, WM_SETREDRAW, FALSE, 0);
    int rows = list_row_count(main.table);
    for (int row = 0; row < rows; row++) {
        list_set_selected(main.table, row, !list_is_selected(main.table, row));
    }
    SendMessageA(main.table, WM_SETREDRAW, TRUE, 0);
    SetFocus(main.table);
}

const int STEP_ITEM_SIZE = 96;

// The item `id` of `menu` (when the menu has it) enabled and naming the step, or
// greyed with its plain text.
void name_step_item(HMENU menu, UINT id, int available, const char* plain, const char* named, StepKind kind)
{
    if (GetMenuState(menu, id, MF_BYCOMMAND) == (UINT)-1) {
        return;
    }
    char text[STEP_ITEM_SIZE];
    if (available) {
        wsprintfA(text, named, STEP_NAMES[kind]);
    } else {
        lstrcpynA(text, plain, sizeof text);
    }
    ModifyMenuA(menu, id, MF_BYCOMMAND | MF_STRING | (available ? MF_ENABLED : MF_GRAYED), id, text);
}

const MainCommand COMMANDS[] = {
    {IDC_DELETE, delete_command},
    {IDC_MERGE, merge_command},
    {IDC_REPAIR, repair_command},
    {IDM_SELECT_ALL, select_all_command},
    {IDM_INVERT, invert_command},
    {IDM_UNDO, undo_command},
    {IDM_REDO, redo_command},
};

}  // namespace

const CommandTable EDIT_COMMANDS = {COMMANDS, sizeof COMMANDS / sizeof COMMANDS[0]};

void name_undo_items(HMENU menu)
{
    name_step_item(menu, IDM_UNDO, can_undo(), UNDO_ITEM, UNDO_ITEM_NAMED, undo_step_kind());
    name_step_item(menu, IDM_REDO, can_redo(), REDO_ITEM, REDO_ITEM_NAMED, redo_step_kind());
}
