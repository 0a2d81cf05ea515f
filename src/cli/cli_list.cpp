// list: the chunk table as the window shows it (the same cells), then the facts
// of the status line.
#include <stdio.h>
#include <string.h>

#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "document/byte_order.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "present/chunk_summary.h"
#include "present/chunk_table.h"
#include "present/present_texts.h"

namespace {

enum TableColumn {
    COLUMN_TYPE = 1,
    COLUMN_SUMMARY = 11,
};
const char* const PROPERTY_KEYS[] = {"ancillary", "private", "reserved", "safe_to_copy"};

// The window's cell on one line: in English the marks read "yes" and " --" (three
// wide, under their headers); a summary's line feeds and tabs become spaces.
void add_cell(TextBuilder* out, const CliContext& cli, int32_t row, int column)
{
    char cell[CELL_SIZE];
    format_cell(cell, row, column);
    int mark = column != COLUMN_SUMMARY && column != COLUMN_TYPE && (strcmp(cell, MARK_YES) == 0 || strcmp(cell, MARK_NO) == 0);
    if (cli.language == CLI_ENGLISH && mark) {
        add_text(out, cli, strcmp(cell, MARK_YES) == 0 ? CLI_TEXT_YES : CLI_TEXT_NO);
        return;
    }
    for (char* c = cell; *c; c++) {
        if (*c == '\n' || *c == '\r' || *c == '\t') *c = ' ';
    }
    add_cp932(out, cell);
}

void add_header(TextBuilder* out, const CliContext& cli)
{
    if (cli.language == CLI_ENGLISH) {
        add_text(out, cli, CLI_TEXT_LIST_HEADER);
    } else {
        const ColumnSpec* specs = column_specs();
        for (int column = 0; column < COLUMN_COUNT; column++) {
            if (column) text_add(out, " ");
            add_cp932(out, specs[column].header);
        }
    }
    text_add(out, "\n");
}

void add_facts(TextBuilder* out, const CliContext& cli)
{
    const ChunkRecord* header = g_document.count > 0 ? &g_document.records[0] : nullptr;
    if (cli.language == CLI_JAPANESE) {
        char status[STATUS_SIZE];
        // The window's status line names the file last; here the file heads the lines.
        format_status_line(status, "");
        size_t length = strlen(status);
        if (length >= 3 && strcmp(status + length - 3, " / ") == 0) status[length - 3] = 0;
        add_cp932(out, status);
    } else if (header && type_word(header->type) == type_word("IHDR") && header->length >= 9) {
        add_text(out, cli, CLI_TEXT_IMAGE_FACTS, (unsigned)read_u32(header->data), (unsigned)read_u32(header->data + 4),
                 (unsigned)header->data[8], (unsigned long long)saved_file_size());
    } else {
        add_text(out, cli, CLI_TEXT_NO_IHDR);
    }
    text_add(out, "\n");
}

void add_rows(TextBuilder* out, const CliContext& cli)
{
    for (int32_t row = 0; row < g_document.count; row++) {
        for (int column = 0; column < COLUMN_COUNT; column++) {
            if (column) text_add(out, " ");
            add_cell(out, cli, row, column);
        }
        text_add(out, "\n");
    }
}

void add_json_chunk(TextBuilder* out, int32_t row)
{
    const ChunkRecord& record = g_document.records[row];
    char cell[CELL_SIZE];
    json_open(out, '{');
    json_key(out, "number");
    json_number(out, row + 1);
    json_key(out, "type");
    char type[32] = {0};
    for (int i = 0, at = 0; i < 4; i++) {
        uint8_t c = record.type[i];
        at += snprintf(type + at, sizeof type - at, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
    }
    json_string(out, type);
    json_key(out, "length");
    json_number(out, record.length);
    snprintf(cell, sizeof cell, "%08X", (unsigned)record.stored_crc);
    json_key(out, "crc");
    json_string(out, cell);
    snprintf(cell, sizeof cell, "%08X", (unsigned)record.computed_crc);
    json_key(out, "computed_crc");
    json_string(out, cell);
    json_key(out, "damaged");
    json_bool(out, is_damaged(row));
    for (int bit = 0; bit < 4; bit++) {
        json_key(out, PROPERTY_KEYS[bit]);
        json_bool(out, property_bit(row, bit));
    }
    json_key(out, "deletable");
    json_bool(out, is_deletable(row));
    json_key(out, "mergeable");
    json_bool(out, is_mergeable(row));
    chunk_summary(cell, record);
    json_key(out, "summary");
    json_cp932(out, cell);
    json_close(out, '}');
}

void add_json_facts(TextBuilder* out, int32_t damaged)
{
    const ChunkRecord* header = g_document.count > 0 ? &g_document.records[0] : nullptr;
    if (header && type_word(header->type) == type_word("IHDR") && header->length >= 9) {
        json_key(out, "width");
        json_number(out, read_u32(header->data));
        json_key(out, "height");
        json_number(out, read_u32(header->data + 4));
        json_key(out, "bit_depth");
        json_number(out, header->data[8]);
    }
    json_key(out, "size");
    json_number(out, (int64_t)saved_file_size());
    json_key(out, "damaged_chunks");
    json_number(out, damaged);
    json_key(out, "trailing_bytes");
    json_number(out, g_trailing.count);
}

FileOutcome list_file(CliContext& cli, FileReport* report)
{
    int32_t damaged = 0;
    for (int32_t row = 0; row < g_document.count; row++) damaged += is_damaged(row) != 0;
    if (cli.options->json) {
        json_key(&report->json, "chunks");
        json_open(&report->json, '[');
        for (int32_t row = 0; row < g_document.count; row++) add_json_chunk(&report->json, row);
        json_close(&report->json, ']');
        add_json_facts(&report->json, damaged);
    } else if (!cli.options->quiet) {
        report->headed = SWITCH_ON;
        add_header(&report->lines, cli);
        add_rows(&report->lines, cli);
        add_facts(&report->lines, cli);
    }
    return damaged ? OUTCOME_LEFT : OUTCOME_FINE;
}

}  // namespace

int run_list(CliContext& cli)
{
    return run_batch(cli, list_file);
}
