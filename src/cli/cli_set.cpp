// set and insert: fields given as FIELD=VALUE, read and checked by the field
// model exactly as the editors read and check them, serialized with a fresh CRC;
// and the shorthands --dpi, --text and --time, which replace the chunk the file
// has or insert one where the window would. A value the model refuses leaves the
// file as it was, with the reason.
#include <stdlib.h>
#include <string.h>

#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "cli/cli_edit.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/chunk_ops.h"
#include "fields/field_names.h"
#include "fields/field_result_texts.h"

namespace {

// Why the model refused: the result's own text in Japanese; in English its C name
// made words ("FIELD_BAD_KEYWORD": "bad keyword").
void add_field_reason(TextBuilder* out, const CliContext& cli, int result)
{
    if (cli.language == CLI_JAPANESE) {
        add_cp932(out, field_result_text(result));
        return;
    }
    const char* name = field_result_name(result);
    if (strncmp(name, "FIELD_", 6) == 0) name += 6;
    for (const char* c = name; *c; c++) {
        char letter = *c == '_' ? ' ' : *c;
        text_format(out, "%c", letter >= 'A' && letter <= 'Z' ? letter + ('a' - 'A') : letter);
    }
}

void add_field_names(TextBuilder* out, int kind)
{
    size_t count = 0;
    const FieldSpec* specs = field_specs(kind, &count);
    for (size_t i = 0; i < count; i++) text_format(out, i ? ", %s" : ": %s", specs[i].name);
}

void report_refused_value(FileReport* report, const CliContext& cli, int kind, const char* assignment,
                          const FieldTextError& error)
{
    TextBuilder* out = &report->lines;
    add_text(out, cli, CLI_TEXT_VALUE_REFUSED);
    add_path(out, assignment);
    text_add(out, " (");
    if (error.code == TEXT_UNKNOWN_FIELD) {
        add_text(out, cli, CLI_TEXT_NO_SUCH_FIELD);
        add_field_names(out, kind);
    } else if (error.code == TEXT_NOT_A_NUMBER) {
        add_text(out, cli, CLI_TEXT_NOT_A_NUMBER);
    } else if (error.code == TEXT_OUT_OF_RANGE) {
        add_text(out, cli, CLI_TEXT_FIELD_RANGE, (long long)error.spec->min, (long long)error.spec->max);
        if (error.spec->unit[0]) text_format(out, " %s", error.spec->unit);
    } else {
        add_field_reason(out, cli, error.code == TEXT_NO_MEMORY ? FIELD_NO_MEMORY : error.fault);
    }
    text_add(out, ")\n");
    json_edit_error(report, "refused value", assignment);
}

// The serialize's own refusal (a fault between fields), or that of a shorthand.
void report_refused_fields(FileReport* report, const CliContext& cli, const char* what, int result)
{
    add_text(&report->lines, cli, CLI_TEXT_VALUE_REFUSED);
    text_format(&report->lines, "%s (", what);
    add_field_reason(&report->lines, cli, result);
    text_add(&report->lines, ")\n");
    json_edit_error(report, field_result_name(result), nullptr);
}

// The assignments applied in order, then the whole serialized; 0 with the report's
// line at the first refusal.
int fields_to_bytes(const CliContext& cli, FileReport* report, AnyFields* fields, char* const* assignments,
                    int32_t count, FieldBytes* out)
{
    FieldStore store = {};
    TextBuilder utf8 = {};
    int fine = 1;
    for (int32_t i = 0; fine && i < count; i++) {
        FieldTextError error;
        utf8.used = 0;
        add_path(&utf8, assignments[i]);
        if (!apply_field_assignment(fields->kind, fields, &store, utf8.text ? utf8.text : "", &error)) {
            report_refused_value(report, cli, fields->kind, assignments[i], error);
            fine = 0;
        }
    }
    int result = fine ? serialize_fields(*fields, layout_of_records(g_document.records, g_document.count), out) : FIELD_OK;
    if (fine && result != FIELD_OK) {
        report_refused_fields(report, cli, field_kind_type(fields->kind), result);
        fine = 0;
    }
    text_free(&utf8);
    field_store_free(&store);
    return fine;
}

// The record rewritten with `bytes` (its type may change, tEXt to iTXt); an
// unchanged record is left alone.
FileOutcome rewrite_chunk(const CliContext& cli, FileReport* report, int32_t row, const char* type,
                          const FieldBytes& bytes)
{
    const ChunkRecord& record = g_document.records[row];
    if (record.length == bytes.length && memcmp(record.type, type, 4) == 0 &&
        (bytes.length == 0 || memcmp(record.data, bytes.data, bytes.length) == 0) && !is_damaged(row)) {
        return OUTCOME_FINE;
    }
    ChunkOpReport done;
    int result = replace_chunk(&g_document, row, (const uint8_t*)type, bytes.data, bytes.length, &done);
    if (result != OP_DONE) return report_op_refusal(cli, report, result, type);
    report_chunk(report, cli, CLI_TEXT_REWRITTEN, row);
    report->changed = SWITCH_ON;
    return OUTCOME_CHANGED;
}

FileOutcome insert_new_chunk(const CliContext& cli, FileReport* report, const char* type, const FieldBytes& bytes)
{
    ChunkOpReport done;
    int result = insert_chunk(&g_document, (const uint8_t*)type, bytes.data, bytes.length, &done);
    if (result != OP_DONE) return report_op_refusal(cli, report, result, type);
    report_chunk(report, cli, CLI_TEXT_INSERTED, done.row);
    report->changed = SWITCH_ON;
    return OUTCOME_CHANGED;
}

// set FILE NUMBER FIELD=VALUE...
FileOutcome set_fields_file(CliContext& cli, FileReport* report)
{
    int32_t row;
    if (!chunk_operand(cli, report, &row)) return OUTCOME_REFUSED;
    AnyFields fields;
    int parsed = parse_record(g_document.records[row], layout_of_records(g_document.records, g_document.count), &fields);
    if (fields.kind == KIND_NONE) {
        report_line(report, cli, CLI_TEXT_NO_FIELDS, (long)row + 1);
        return finish_edit(cli, report, OUTCOME_REFUSED);
    }
    if (is_damaged(row) || !field_layout_read(parsed)) {
        if (is_damaged(row)) {
            report_line(report, cli, CLI_TEXT_DAMAGED_CHUNK, (long)row + 1);
        } else {
            add_text(&report->lines, cli, CLI_TEXT_FIELDS_UNREADABLE, (long)row + 1);
            add_field_reason(&report->lines, cli, parsed);
            text_add(&report->lines, "\n");
        }
        return finish_edit(cli, report, OUTCOME_REFUSED);
    }
    FieldBytes bytes = {nullptr, 0};
    json_key(&report->json, "edits");
    json_open(&report->json, '[');
    int fine = fields_to_bytes(cli, report, &fields, cli.options->operands + 2, cli.options->all_operands - 2, &bytes);
    FileOutcome outcome = fine ? rewrite_chunk(cli, report, row, field_kind_type(fields.kind), bytes) : OUTCOME_REFUSED;
    json_close(&report->json, ']');
    field_bytes_free(&bytes);
    return finish_edit(cli, report, outcome);
}

// insert FILE TYPE [FIELD=VALUE...]
FileOutcome insert_fields_file(CliContext& cli, FileReport* report)
{
    const char* type = cli.options->operands[1];
    IhdrFields image;
    int has_image = g_document.count > 0 && memcmp(g_document.records[0].type, "IHDR", 4) == 0 &&
                    parse_ihdr(g_document.records[0].data, g_document.records[0].length, &image) == FIELD_OK;
    AnyFields fields;
    default_fields(field_kind_of((const uint8_t*)type), has_image ? &image : nullptr, &fields);
    FieldBytes bytes = {nullptr, 0};
    json_key(&report->json, "edits");
    json_open(&report->json, '[');
    int fine = fields_to_bytes(cli, report, &fields, cli.options->operands + 2, cli.options->all_operands - 2, &bytes);
    FileOutcome outcome = fine ? insert_new_chunk(cli, report, type, bytes) : OUTCOME_REFUSED;
    json_close(&report->json, ']');
    field_bytes_free(&bytes);
    return finish_edit(cli, report, outcome);
}

// The first record of `type` (-1 when none).
int32_t find_type(const char* type)
{
    for (int32_t i = 0; i < g_document.count; i++) {
        if (memcmp(g_document.records[i].type, type, 4) == 0) return i;
    }
    return -1;
}

// The first text chunk (tEXt, zTXt or iTXt) whose keyword is the one that starts
// `data` (the keyword and its zero byte), -1 when none.
int32_t find_text_chunk(const FieldBytes& data)
{
    const uint8_t* end = (const uint8_t*)memchr(data.data, 0, data.length);
    uint32_t key = end ? (uint32_t)(end - data.data) + 1 : data.length;
    for (int32_t i = 0; i < g_document.count; i++) {
        const ChunkRecord& record = g_document.records[i];
        int text = memcmp(record.type, "tEXt", 4) == 0 || memcmp(record.type, "zTXt", 4) == 0 ||
                   memcmp(record.type, "iTXt", 4) == 0;
        if (text && record.length >= key && memcmp(record.data, data.data, key) == 0) return i;
    }
    return -1;
}

// The record `row` replaced by `bytes`, or a new chunk when `row` is -1.
FileOutcome put_chunk(const CliContext& cli, FileReport* report, int32_t row, const char* type, const FieldBytes& bytes)
{
    return row < 0 ? insert_new_chunk(cli, report, type, bytes) : rewrite_chunk(cli, report, row, type, bytes);
}

// A compressed text stays compressed: zTXt, or iTXt with its flag set.
TextCompression compression_of(int32_t row)
{
    const ChunkRecord& record = g_document.records[row];
    if (memcmp(record.type, "zTXt", 4) == 0) return TEXT_COMPRESSED;
    ItxtFields itxt;
    int itxt_read = memcmp(record.type, "iTXt", 4) == 0 && field_layout_read(parse_itxt(record.data, record.length, &itxt));
    return itxt_read && itxt.flag == 1 ? TEXT_COMPRESSED : TEXT_STORED;
}

// --text KEY=VALUE: the text chunk of that keyword rewritten, or a new one.
FileOutcome set_text(const CliContext& cli, FileReport* report, const char* assignment)
{
    TextBuilder utf8 = {};
    add_path(&utf8, assignment);
    char* equals = strchr(utf8.text, '=');
    *equals = 0;
    char type[5];
    FieldBytes bytes = {nullptr, 0};
    int result = text_chunk_from(utf8.text, equals + 1, TEXT_STORED, type, &bytes);
    int32_t row = result == FIELD_OK ? find_text_chunk(bytes) : -1;
    if (row >= 0 && compression_of(row) == TEXT_COMPRESSED) {
        field_bytes_free(&bytes);
        result = text_chunk_from(utf8.text, equals + 1, TEXT_COMPRESSED, type, &bytes);
    }
    FileOutcome outcome = OUTCOME_REFUSED;
    if (result != FIELD_OK) {
        report_refused_fields(report, cli, "--text", result);
    } else {
        outcome = put_chunk(cli, report, row, type, bytes);
    }
    field_bytes_free(&bytes);
    text_free(&utf8);
    return outcome;
}

// --dpi N and --time: the pHYs or tIME of the file rewritten, or a new one.
FileOutcome set_dpi_or_time(const CliContext& cli, FileReport* report, const char* type)
{
    AnyFields fields = {};
    int result = FIELD_OK;
    if (type[1] == 'H') {
        fields.kind = KIND_PHYS;
        result = phys_from_dpi((uint32_t)strtoul(cli.options->dpi, nullptr, 10), &fields.phys);
    } else {
        fields.kind = KIND_TIME;
        if (strcmp(cli.options->time, "now") == 0) {
            time_now(&fields.time);
        } else {
            result = time_from_text(cli.options->time, &fields.time);
        }
    }
    FieldBytes bytes = {nullptr, 0};
    if (result == FIELD_OK) result = serialize_fields(fields, UNKNOWN_LAYOUT, &bytes);
    FileOutcome outcome = OUTCOME_REFUSED;
    if (result != FIELD_OK) {
        report_refused_fields(report, cli, type[1] == 'H' ? "--dpi" : "--time", result);
    } else {
        outcome = put_chunk(cli, report, find_type(type), type, bytes);
    }
    field_bytes_free(&bytes);
    return outcome;
}

FileOutcome worse(FileOutcome a, FileOutcome b)
{
    return a > b ? a : b;
}

// set FILE... --dpi N --text KEY=VALUE... --time T: each in turn; the first
// refusal stops the rest and nothing is written.
FileOutcome set_shorthands_file(CliContext& cli, FileReport* report)
{
    const CliOptions& options = *cli.options;
    FileOutcome outcome = OUTCOME_FINE;
    json_key(&report->json, "edits");
    json_open(&report->json, '[');
    if (options.dpi) outcome = worse(outcome, set_dpi_or_time(cli, report, "pHYs"));
    for (int32_t i = 0; i < options.text_count && outcome != OUTCOME_REFUSED; i++) {
        outcome = worse(outcome, set_text(cli, report, options.texts[i]));
    }
    if (options.time && outcome != OUTCOME_REFUSED) outcome = worse(outcome, set_dpi_or_time(cli, report, "tIME"));
    json_close(&report->json, ']');
    if (outcome == OUTCOME_REFUSED) report->changed = SWITCH_OFF;   // the file is left as it was
    return finish_edit(cli, report, outcome);
}

}  // namespace

void json_edit_error(FileReport* report, const char* error, const char* value)
{
    json_open(&report->json, '{');
    json_key(&report->json, "error");
    json_string(&report->json, error);
    if (value) {
        json_key(&report->json, "value");
        json_path(&report->json, value);
    }
    json_close(&report->json, '}');
}

FileOutcome report_op_refusal(const CliContext& cli, FileReport* report, int result, const char* type)
{
    char name[5] = {0};
    memcpy(name, type, 4);
    if (result == OP_REFUSED) {
        report_line(report, cli, CLI_TEXT_NO_PLACE, name);
    } else if (result == OP_NO_MEMORY) {
        report_line(report, cli, CLI_TEXT_OUT_OF_MEMORY);
    } else {
        report_line(report, cli, CLI_TEXT_EDIT_FAILED);
        add_cp932(&report->lines, chunk_op_result_name(result));
        text_add(&report->lines, "\n");
    }
    json_edit_error(report, chunk_op_result_name(result), nullptr);
    return OUTCOME_REFUSED;
}

void report_chunk(FileReport* report, const CliContext& cli, CliText text, int32_t row)
{
    const ChunkRecord& record = g_document.records[row];
    char type[5] = {0};
    memcpy(type, record.type, 4);
    report_line(report, cli, text, (long)row + 1, type);
    json_open(&report->json, '{');
    json_key(&report->json, "done");
    json_string(&report->json, text == CLI_TEXT_INSERTED ? "inserted" : "rewritten");
    json_key(&report->json, "number");
    json_number(&report->json, row + 1);
    json_key(&report->json, "type");
    json_string(&report->json, type);
    json_close(&report->json, '}');
}

int run_set(CliContext& cli)
{
    if (takes_files_only(cli.options)) return run_batch(cli, set_shorthands_file);
    return run_batch_on_first(cli, set_fields_file);
}

int run_insert(CliContext& cli)
{
    return run_batch_on_first(cli, insert_fields_file);
}
