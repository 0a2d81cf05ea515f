// The editors' commands: edit the selected chunk in its editor, insert a new chunk
// of a type of the field model (its editor opens on sensible values first) or
// from a raw chunk file. Insert and edit are one undo step each; Cancel in the
// editor of a new chunk inserts nothing.
#include <windows.h>
#include <commdlg.h>
#include <stdio.h>

#include "app/app.h"
#include "app/main_commands.h"
#include "app/shell_texts.h"
#include "document/chunk_file.h"
#include "document/chunk_ops.h"
#include "document/file_layer.h"
#include "document/memory.h"
#include "document/undo_history.h"
#include "fields/editor_dialogs_win.h"
#include "fields/editor_texts.h"
#include "fields/field_result_texts.h"
#include "present/list_view_win.h"
#include "resource_ids.h"

namespace {

// The Insert submenu's types in its order: item IDM_INSERT_FIRST + place.
const char* const INSERT_TYPES[] = {
    "IHDR", "PLTE", "tRNS", "bKGD", "gAMA", "cHRM", "sRGB", "iCCP", "sBIT", "pHYs", "tIME", "tEXt", "zTXt",
    "iTXt", "cICP", "mDCV", "cLLI", "acTL", "fcTL", "oFFs", "pCAL", "sCAL", "sTER", "gIFg", "gIFx",
};
const int MESSAGE_SIZE = 512;

void say(MainContext& main, const char* text)
{
    MessageBoxA(main.window, text, CAPTION_EDITOR, MB_OK | MB_ICONWARNING);
}

const uint8_t* type_bytes(const char* type)
{
    return (const uint8_t*)type;
}

// The document's layout and its first well-formed PLTE (kept in `palette`).
void prepare_request(EditorRequest* request, PlteFields* palette)
{
    request->layout = layout_of_records(g_document.records, g_document.count);
    request->palette = nullptr;
    for (int32_t i = 0; i < g_document.count; i++) {
        const ChunkRecord& record = g_document.records[i];
        if (memcmp(record.type, "PLTE", 4) == 0) {
            if (parse_plte(record.data, record.length, request->layout, palette) == FIELD_OK) request->palette = palette;
            return;
        }
    }
}

// After an insert or an edit: the table again, the chunk selected, a refusal said.
void show_outcome(MainContext& main, int result, const ChunkOpReport& report, int32_t row)
{
    show_document_again(main);
    if (result == OP_DONE) {
        list_select_only(main.table, row);
    } else if (result == OP_REFUSED) {
        say(main, order_refusal(report.verdict));
    } else {
        say(main, TEXT_EDITOR_NO_MEMORY);
    }
}

void edit_row(MainContext& main, int32_t row)
{
    EditorRequest request = {};
    PlteFields palette = {};
    prepare_request(&request, &palette);
    int parsed = parse_record(g_document.records[row], request.layout, &request.fields);
    char message[MESSAGE_SIZE];
    if (request.fields.kind == KIND_NONE) {
        say(main, TEXT_NOT_EDITABLE);
        return;
    }
    if (!field_layout_read(parsed)) {
        snprintf(message, sizeof message, TEXT_CANNOT_READ, field_result_text(parsed));
        say(main, message);
        return;
    }
    EditorOutcome outcome = run_editor(main.window, &request);
    if (outcome == EDITOR_NONE) say(main, TEXT_NO_FIELDS);
    if (outcome != EDITOR_WRITE) return;
    ChunkOpReport report;
    begin_step(STEP_EDIT);
    int result = replace_chunk(&g_document, row, type_bytes(request.type), request.bytes.data, request.bytes.length,
                               &report);
    end_step();
    field_bytes_free(&request.bytes);
    show_outcome(main, result, report, row);
}

void edit_command(MainContext& main, LPARAM)
{
    int selected = list_selected_count(main.table);
    if (selected > 1) {
        MessageBoxA(main.window, TEXT_SELECT_ONE, CAPTION_SEVERAL, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (g_document.loaded && selected == 1) {
        edit_row(main, list_first_selected(main.table));
    }
}

// The new chunk's fields: defaults for this image, then its editor. A kind with
// nothing to edit by name (tRNS of a palette image) is inserted with its defaults.
int new_chunk(MainContext& main, const char* type, EditorRequest* request)
{
    PlteFields palette = {};
    prepare_request(request, &palette);
    IhdrFields image = {};
    const ChunkRecord* first = g_document.count > 0 ? &g_document.records[0] : nullptr;
    int has_image = first && memcmp(first->type, "IHDR", 4) == 0 &&
                    parse_ihdr(first->data, first->length, &image) == FIELD_OK;
    default_fields(field_kind_of(type_bytes(type)), has_image ? &image : nullptr, &request->fields);
    EditorOutcome outcome = run_editor(main.window, request);
    if (outcome == EDITOR_NONE) {
        lstrcpynA(request->type, type, sizeof request->type);
        return serialize_fields(request->fields, request->layout, &request->bytes) == FIELD_OK;
    }
    return outcome == EDITOR_WRITE;
}

void insert_type(MainContext& main, const char* type)
{
    if (!g_document.loaded) return;
    int32_t verdict = 0;
    if (first_allowed_position(g_document, type_bytes(type), &verdict) < 0) {
        char message[MESSAGE_SIZE];
        snprintf(message, sizeof message, TEXT_INSERT_REFUSED, type, order_refusal(verdict));
        say(main, message);
        return;
    }
    EditorRequest request = {};
    if (!new_chunk(main, type, &request)) return;
    ChunkOpReport report;
    begin_step(STEP_INSERT);
    int result = insert_chunk(&g_document, type_bytes(request.type), request.bytes.data, request.bytes.length, &report);
    end_step();
    field_bytes_free(&request.bytes);
    show_outcome(main, result, report, report.row);
}

template <int PLACE>
void insert_command(MainContext& main, LPARAM)
{
    insert_type(main, INSERT_TYPES[PLACE]);
}

// A whole small file (a raw chunk is never larger than a PNG the program loads).
uint8_t* read_small_file(const char* path, uint32_t* size)
{
    const FileLayer* files = file_layer();
    FileHandle file = files->open_existing(path);
    if (file == FILE_NONE) return nullptr;
    uint64_t length = 0;
    uint8_t* bytes = nullptr;
    if (files->size(file, &length) && length < PNG_SIZE_LIMIT) {
        bytes = (uint8_t*)zero_alloc((size_t)length);
        if (bytes && files->read(file, bytes, (uint32_t)length) != (uint32_t)length) {
            zero_free(bytes);
            bytes = nullptr;
        }
    }
    files->close(file);
    *size = (uint32_t)length;
    return bytes;
}

void insert_file_command(MainContext& main, LPARAM)
{
    if (!g_document.loaded) return;
    char path[MAX_PATH] = "";
    OPENFILENAMEA box = {};
    box.lStructSize = sizeof box;
    box.hwndOwner = main.window;
    box.lpstrFilter = CHUNK_FILE_FILTER;
    box.lpstrFile = path;
    box.nMaxFile = sizeof path;
    box.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&box)) return;
    uint32_t size = 0;
    uint8_t* bytes = read_small_file(path, &size);
    ChunkOpReport report = {};
    begin_step(STEP_IMPORT);
    int result = bytes ? import_raw_chunk(&g_document, bytes, size, &report) : OP_TOO_SHORT;
    end_step();
    zero_free(bytes);
    if (result == OP_DONE || result == OP_REFUSED || result == OP_NO_MEMORY) {
        show_outcome(main, result, report, report.row);
        return;
    }
    char message[MESSAGE_SIZE];
    snprintf(message, sizeof message, TEXT_IMPORT_FAILED, chunk_op_result_name(result));
    say(main, message);
}

const MainCommand COMMANDS[] = {
    {IDM_EDIT_CHUNK, edit_command},
    {IDM_INSERT_FILE, insert_file_command},
    {IDM_INSERT_FIRST + 0, insert_command<0>},   {IDM_INSERT_FIRST + 1, insert_command<1>},
    {IDM_INSERT_FIRST + 2, insert_command<2>},   {IDM_INSERT_FIRST + 3, insert_command<3>},
    {IDM_INSERT_FIRST + 4, insert_command<4>},   {IDM_INSERT_FIRST + 5, insert_command<5>},
    {IDM_INSERT_FIRST + 6, insert_command<6>},   {IDM_INSERT_FIRST + 7, insert_command<7>},
    {IDM_INSERT_FIRST + 8, insert_command<8>},   {IDM_INSERT_FIRST + 9, insert_command<9>},
    {IDM_INSERT_FIRST + 10, insert_command<10>}, {IDM_INSERT_FIRST + 11, insert_command<11>},
    {IDM_INSERT_FIRST + 12, insert_command<12>}, {IDM_INSERT_FIRST + 13, insert_command<13>},
    {IDM_INSERT_FIRST + 14, insert_command<14>}, {IDM_INSERT_FIRST + 15, insert_command<15>},
    {IDM_INSERT_FIRST + 16, insert_command<16>}, {IDM_INSERT_FIRST + 17, insert_command<17>},
    {IDM_INSERT_FIRST + 18, insert_command<18>}, {IDM_INSERT_FIRST + 19, insert_command<19>},
    {IDM_INSERT_FIRST + 20, insert_command<20>}, {IDM_INSERT_FIRST + 21, insert_command<21>},
    {IDM_INSERT_FIRST + 22, insert_command<22>}, {IDM_INSERT_FIRST + 23, insert_command<23>},
    {IDM_INSERT_FIRST + 24, insert_command<24>},
};
static_assert(sizeof INSERT_TYPES / sizeof INSERT_TYPES[0] + 2 == sizeof COMMANDS / sizeof COMMANDS[0],
              "one command for each type of the Insert submenu");

}  // namespace

const CommandTable EDITOR_COMMANDS = {COMMANDS, sizeof COMMANDS / sizeof COMMANDS[0]};

// The Insert submenu's own item carries IDM_INSERT_CHUNK (a resource's pop-up has no id).
void number_insert_submenu(HMENU menu)
{
    int count = GetMenuItemCount(menu);
    for (int k = 0; k < count; k++) {
        HMENU sub = GetSubMenu(menu, k);
        if (sub && GetMenuItemID(sub, 0) == IDM_INSERT_FIRST) {
            MENUITEMINFOA item = {};
            item.cbSize = sizeof item;
            item.fMask = MIIM_ID;
            item.wID = IDM_INSERT_CHUNK;
            SetMenuItemInfoA(menu, (UINT)k, TRUE, &item);
        }
    }
}
