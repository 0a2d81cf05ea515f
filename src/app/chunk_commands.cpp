// The chunk commands of the Edit and context menus: move up and down, copy, cut
// and paste through the clipboard, split an IDAT, write a chunk to a raw chunk
// file, and read and write the ICC profile of an iCCP. Each command that changes
// the document is one undo step around one core call; a refused command leaves
// the table as it was and says why in the status line.
#include <windows.h>

#include "app/app.h"
#include "app/chunk_command_texts.h"
#include "app/main_commands.h"
#include "app/shell_texts.h"
#include "app/split_dialog.h"
#include "check/chunk_order.h"
#include "document/chunk_clipboard_win.h"
#include "document/chunk_file.h"
#include "document/chunk_ops.h"
#include "document/memory.h"
#include "document/undo_history.h"
#include "present/list_view_win.h"
#include "resource_ids.h"

namespace {

const char* const OP_TEXTS[] = {CHUNK_OP_TEXT_LIST};
static_assert(sizeof OP_TEXTS / sizeof OP_TEXTS[0] == OP_RESULT_COUNT, "a text for every ChunkOpResult");
const char* const VERDICT_TEXTS[] = {ORDER_VERDICT_TEXT_LIST};
static_assert(sizeof VERDICT_TEXTS / sizeof VERDICT_TEXTS[0] == ORDER_ONLY_ONE + 1, "a text for every OrderVerdict");

const int REASON_SIZE = 192;
// A split of a chunk longer than this offers pieces of this size; a shorter one, halves.
const uint32_t SPLIT_DEFAULT_SIZE = 8192;

void show_refusal(MainContext& main, int result, const ChunkOpReport& report)
{
    if (result == OP_DONE || result < 0 || result >= OP_RESULT_COUNT) {
        return;
    }
    char text[REASON_SIZE];
    if (result == OP_REFUSED && report.verdict > ORDER_ALLOWED && report.verdict <= ORDER_ONLY_ONE) {
        wsprintfA(text, STATUS_ORDER_REFUSED, (int)report.row + 1, VERDICT_TEXTS[report.verdict]);
    } else {
        lstrcpynA(text, OP_TEXTS[result], sizeof text);
    }
    set_status_text(main, text);
}

void show_clipboard_failure(MainContext& main, int result)
{
    if (result == CLIPBOARD_BUSY) {
        set_status_text(main, STATUS_CLIPBOARD_BUSY);
    } else if (result == CLIPBOARD_NO_CHUNKS) {
        set_status_text(main, STATUS_CLIPBOARD_EMPTY);
    } else if (result == CLIPBOARD_NO_MEMORY) {
        set_status_text(main, STATUS_EDIT_NO_MEMORY);
    }
}

// The selected rows, ascending; rows is null (and count 0) when none is selected
// or memory runs out (then `failed`).
struct Selection {
    int32_t* rows;
    int32_t  count;
    int      failed;
};

Selection read_selection(MainContext& main)
{
    Selection selection = {nullptr, 0, 0};
    int selected = list_selected_count(main.table);
    if (selected <= 0) {
        return selection;
    }
    selection.rows = (int32_t*)zero_alloc((size_t)selected * sizeof(int32_t));
    selection.failed = selection.rows == nullptr;
    if (selection.rows) {
        selection.count = list_selected_rows(main.table, selection.rows, selected);
    }
    return selection;
}

// Selects row (rows ? rows[k] : k) + offset for k below count, the first with
// the focus mark, and shows the first; redrawing is off meanwhile, as it is for
// Select All.
void select_rows(MainContext& main, const int32_t* rows, int32_t count, int32_t offset)
{
    if (count <= 0) {
        return;
    }
    SendMessageA(main.table, WM_SETREDRAW, FALSE, 0);
    int32_t first = (rows ? rows[0] : 0) + offset;
    list_select_only(main.table, first);
    for (int32_t k = 1; k < count; k++) {
        list_set_selected(main.table, (rows ? rows[k] : k) + offset, 1);
    }
    SendMessageA(main.table, WM_SETREDRAW, TRUE, 0);
    list_show_row(main.table, first);
}

// After a command that may have changed the document: the table again with the
// rows the report names selected, or the reason of a refusal.
void show_outcome(MainContext& main, int result, const ChunkOpReport& report)
{
    if (result != OP_DONE) {
        show_refusal(main, result, report);
        return;
    }
    show_document_again(main);
    select_rows(main, nullptr, report.count, report.row);
}

void move_selected(MainContext& main, MoveDirection direction)
{
    Selection selection = read_selection(main);
    if (selection.failed) {
        set_status_text(main, STATUS_EDIT_NO_MEMORY);
        return;
    }
    ChunkOpReport report = {};
    begin_step(STEP_MOVE);
    int result = move_rows(&g_document, selection.rows, selection.count, direction, &report);
    end_step();
    if (result == OP_DONE) {
        show_document_again(main);
        select_rows(main, selection.rows, selection.count, direction == MOVE_UP ? -1 : 1);
    } else {
        show_refusal(main, result, report);
    }
    zero_free(selection.rows);
}

void move_up_command(MainContext& main, LPARAM)
{
    move_selected(main, MOVE_UP);
}

void move_down_command(MainContext& main, LPARAM)
{
    move_selected(main, MOVE_DOWN);
}

// Both clipboard forms of the selected rows; OP_DONE or why not.
int copy_forms(const Selection& selection, FieldBytes* binary, FieldBytes* text)
{
    *binary = {nullptr, 0};
    *text = {nullptr, 0};
    int result = copy_rows(g_document, selection.rows, selection.count, CLIP_BINARY, binary);
    if (result == OP_DONE) {
        result = copy_rows(g_document, selection.rows, selection.count, CLIP_HEX_TEXT, text);
    }
    return result;
}

void copy_command(MainContext& main, LPARAM)
{
    Selection selection = read_selection(main);
    FieldBytes binary, text;
    int result = selection.failed ? OP_NO_MEMORY : copy_forms(selection, &binary, &text);
    if (result == OP_DONE) {
        show_clipboard_failure(main, put_chunk_forms(main.window, binary, text));
    } else {
        ChunkOpReport none = {};
        show_refusal(main, result, none);
    }
    field_bytes_free(&binary);
    field_bytes_free(&text);
    zero_free(selection.rows);
}

// The text form is made before the cut and the binary form by it; when the
// clipboard then refuses both, the cut is taken back, so no chunk is lost.
void cut_command(MainContext& main, LPARAM)
{
    Selection selection = read_selection(main);
    FieldBytes binary = {nullptr, 0}, text = {nullptr, 0};
    ChunkOpReport report = {};
    int result = selection.failed ? OP_NO_MEMORY
                                  : copy_rows(g_document, selection.rows, selection.count, CLIP_HEX_TEXT, &text);
    if (result == OP_DONE) {
        begin_step(STEP_CUT);
        result = cut_rows(&g_document, selection.rows, selection.count, CLIP_BINARY, &binary, &report);
        end_step();
    }
    int clipboard = result == OP_DONE ? put_chunk_forms(main.window, binary, text) : CLIPBOARD_DONE;
    if (clipboard != CLIPBOARD_DONE) {
        undo_last_edit();
    }
    if (result == OP_DONE) {
        show_document_again(main);
        show_clipboard_failure(main, clipboard);
    } else {
        show_refusal(main, result, report);
    }
    field_bytes_free(&binary);
    field_bytes_free(&text);
    zero_free(selection.rows);
}

// In front of the first selected row, or in front of IEND without a selection.
void paste_command(MainContext& main, LPARAM)
{
    FieldBytes form;
    int clipboard = take_chunk_form(main.window, &form);
    if (clipboard != CLIPBOARD_DONE) {
        show_clipboard_failure(main, clipboard);
        return;
    }
    ChunkBatch chunks = {nullptr, 0};
    ChunkOpReport report = {};
    int result = read_clipboard(form.data, form.length, &chunks);
    field_bytes_free(&form);
    if (result == OP_DONE) {
        begin_step(STEP_PASTE);
        result = paste_chunks(&g_document, &chunks, list_first_selected(main.table), &report);
        end_step();
    }
    chunk_batch_free(&chunks);
    show_outcome(main, result, report);
}

// The one selected row, or -1 with the reason in the status line.
int32_t single_row(MainContext& main)
{
    if (!g_document.loaded) {
        set_status_text(main, OP_TEXTS[OP_NO_DOCUMENT]);
        return -1;
    }
    int selected = list_selected_count(main.table);
    if (selected != 1) {
        set_status_text(main, selected == 0 ? OP_TEXTS[OP_NO_ROW] : STATUS_SELECT_ONE_CHUNK);
        return -1;
    }
    return list_first_selected(main.table);
}

// split_idat checks the size after everything else, so a size of 0 asks only
// whether the row can be split at all.
void split_command(MainContext& main, LPARAM)
{
    int32_t row = single_row(main);
    ChunkOpReport report = {};
    if (row < 0) {
        return;
    }
    uint32_t length = g_document.records[row].length;
    int result = split_idat(&g_document, row, 0, SPLIT_ONCE, &report);
    if (result != OP_BAD_SIZE || length < 2) {
        show_refusal(main, result, report);
        return;
    }
    SplitChoice choice = {length > SPLIT_DEFAULT_SIZE ? SPLIT_DEFAULT_SIZE : length / 2, SPLIT_ONCE};
    if (!ask_split(main.window, length, &choice)) {
        return;
    }
    begin_step(STEP_SPLIT);
    result = split_idat(&g_document, row, choice.size, choice.mode, &report);
    end_step();
    show_outcome(main, result, report);
}

// Writes `bytes` to a file the Save As dialog names, starting from `name`.
void save_chosen_file(MainContext& main, const FieldBytes& bytes, const char* name, const char* filter,
                      const char* extension)
{
    char path[ARGUMENT_SIZE];
    lstrcpynA(path, name, sizeof path);
    if (!ask_for_file(main.window, DIALOG_EXPORT, filter, extension, path)) {
        return;
    }
    char text[REASON_SIZE];
    if (save_file_bytes(path, bytes.data, bytes.length) == SAVE_OK) {
        wsprintfA(text, STATUS_EXPORTED, path);
        set_status_text(main, text);
    } else {
        set_status_text(main, STATUS_SAVE_ERROR);
    }
}

// The chunk's type as the file's name; bytes that are not letters become '_'.
void export_chunk_command(MainContext& main, LPARAM)
{
    int32_t row = single_row(main);
    FieldBytes raw = {nullptr, 0};
    int result = row < 0 ? OP_DONE : export_raw_chunk(g_document, row, &raw);
    if (row >= 0 && result == OP_DONE) {
        char type[5] = {};
        for (int k = 0; k < 4; k++) {
            uint8_t c = g_document.records[row].type[k];
            type[k] = (char)(((c | 0x20) >= 'a' && (c | 0x20) <= 'z') ? c : '_');
        }
        char name[ARGUMENT_SIZE];
        wsprintfA(name, CHUNK_FILE_NAME, type);
        save_chosen_file(main, raw, name, CHUNK_FILE_FILTER, CHUNK_FILE_EXTENSION);
    }
    ChunkOpReport none = {};
    show_refusal(main, result, none);
    field_bytes_free(&raw);
}

void export_profile_command(MainContext& main, LPARAM)
{
    int32_t row = single_row(main);
    FieldBytes profile = {nullptr, 0};
    int result = row < 0 ? OP_DONE : export_icc_profile(g_document, row, &profile);
    if (row >= 0 && result == OP_DONE) {
        save_chosen_file(main, profile, ICC_FILE_NAME, ICC_FILE_FILTER, ICC_FILE_EXTENSION);
    }
    ChunkOpReport none = {};
    show_refusal(main, result, none);
    field_bytes_free(&profile);
}

// The profile becomes an iCCP at the first place the ordering rules allow; a
// file that cannot be read has had the load's boxes.
void import_profile_command(MainContext& main, LPARAM)
{
    if (!g_document.loaded) {
        set_status_text(main, OP_TEXTS[OP_NO_DOCUMENT]);
        return;
    }
    char path[ARGUMENT_SIZE] = "";
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (!ask_for_file(main.window, DIALOG_OPEN, ICC_FILE_FILTER, ICC_FILE_EXTENSION, path)) {
        return;
    }
    if (read_file_bytes(path, &bytes, &size) != LOAD_OK) {
        set_status_text(main, STATUS_LOAD_ERROR);
        return;
    }
    ChunkOpReport report = {};
    begin_step(STEP_IMPORT);
    int result = import_icc_profile(&g_document, bytes, size, &report);
    end_step();
    zero_free(bytes);
    if (result == OP_DONE) {
        report.count = 1;
    }
    show_outcome(main, result, report);
}

const MainCommand COMMANDS[] = {
    {IDM_MOVE_UP, move_up_command},
    {IDM_MOVE_DOWN, move_down_command},
    {IDM_COPY_CHUNKS, copy_command},
    {IDM_CUT_CHUNKS, cut_command},
    {IDM_PASTE_CHUNKS, paste_command},
    {IDM_SPLIT_IDAT, split_command},
    {IDM_EXPORT_CHUNK, export_chunk_command},
    {IDM_IMPORT_PROFILE, import_profile_command},
    {IDM_EXPORT_PROFILE, export_profile_command},
};

}  // namespace

const CommandTable CHUNK_COMMANDS = {COMMANDS, sizeof COMMANDS / sizeof COMMANDS[0]};
