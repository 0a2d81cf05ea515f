// import and export: chunks travelling between files as raw chunk files (length,
// type, data and CRC, as the chunk stands in a PNG) and ICC profiles, read and
// made by the same core calls as the window's commands.
#include <string.h>

#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "cli/cli_edit.h"
#include "document/chunk_file.h"
#include "document/chunk_ops.h"
#include "document/memory.h"

namespace {

int has_profile_extension(const char* path)
{
    size_t length = strlen(path);
    if (length < 4 || path[length - 4] != '.') return 0;
    const char* tail = path + length - 3;
    int icc = (tail[0] | 0x20) == 'i' && (tail[1] | 0x20) == 'c';
    return icc && ((tail[2] | 0x20) == 'c' || (tail[2] | 0x20) == 'm');
}

// A profile by its extension; otherwise a raw chunk file, and when its bytes are
// not one, a profile by its content.
int import_source(const char* source, const uint8_t* bytes, uint32_t size, ChunkOpReport* done, int* raw_result)
{
    *raw_result = OP_DONE;
    if (has_profile_extension(source)) return import_icc_profile(&g_document, bytes, size, done);
    int result = import_raw_chunk(&g_document, bytes, size, done);
    if (result < OP_TOO_SHORT || result > OP_BAD_CRC) return result;
    *raw_result = result;
    int profile = import_icc_profile(&g_document, bytes, size, done);
    return profile == OP_NOT_ICC ? result : profile;
}

FileOutcome import_file(CliContext& cli, FileReport* report)
{
    const char* source = cli.options->operands[1];
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (!read_for_command(cli, source, report, &bytes, &size)) return finish_edit(cli, report, OUTCOME_REFUSED);
    ChunkOpReport done;
    int raw_result;
    int result = import_source(source, bytes, size, &done, &raw_result);
    // The type a refusal names: the raw chunk's own, or iCCP for a profile.
    char wanted[5] = "iCCP";
    if (raw_result == OP_DONE && !has_profile_extension(source) && size >= 8) memcpy(wanted, bytes + 4, 4);
    zero_free(bytes);
    json_key(&report->json, "edits");
    json_open(&report->json, '[');
    FileOutcome outcome = OUTCOME_REFUSED;
    if (result == OP_DONE) {
        report_chunk(report, cli, CLI_TEXT_INSERTED, done.row);
        report->changed = SWITCH_ON;
        outcome = OUTCOME_CHANGED;
    } else if (result == OP_REFUSED || result == OP_NO_MEMORY) {
        report_op_refusal(cli, report, result, wanted);
    } else {
        add_text(&report->lines, cli, CLI_TEXT_NOT_A_CHUNK_FILE, chunk_op_result_name(result));
        add_path(&report->lines, source);
        text_add(&report->lines, "\n");
        json_edit_error(report, chunk_op_result_name(result), nullptr);
    }
    json_close(&report->json, ']');
    return finish_edit(cli, report, outcome);
}

// export FILE NUMBER OUT [--profile]: written beside, never over the PNG itself.
FileOutcome export_file(CliContext& cli, FileReport* report)
{
    int32_t row;
    if (!chunk_operand(cli, report, &row)) return OUTCOME_REFUSED;
    const char* output = cli.options->operands[2];
    if (same_file(output, report->path)) {
        report_line(report, cli, CLI_TEXT_SAME_AS_INPUT);
        return OUTCOME_REFUSED;
    }
    FieldBytes bytes = {nullptr, 0};
    int result = cli.options->profile ? export_icc_profile(g_document, row, &bytes) : export_raw_chunk(g_document, row, &bytes);
    FileOutcome outcome = OUTCOME_FINE;
    if (result == OP_NO_PROFILE) {
        report_line(report, cli, CLI_TEXT_NO_PROFILE, (long)row + 1);
        outcome = OUTCOME_REFUSED;
    } else if (result != OP_DONE) {
        report_line(report, cli, CLI_TEXT_OUT_OF_MEMORY);
        outcome = OUTCOME_REFUSED;
    } else if (!write_for_command(cli, output, report, bytes.data, bytes.length)) {
        outcome = OUTCOME_NOT_WRITTEN;
    }
    field_bytes_free(&bytes);
    json_key(&report->json, "result");
    json_string(&report->json, outcome == OUTCOME_FINE ? "written" : outcome == OUTCOME_REFUSED ? "refused" : "not written");
    return outcome;
}

}  // namespace

int run_import(CliContext& cli)
{
    return run_batch_on_first(cli, import_file);
}

int run_export(CliContext& cli)
{
    return run_batch_on_first(cli, export_file);
}
