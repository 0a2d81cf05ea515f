// move FILE NUMBER up|down|to N: the window's move of one chunk, refused where the
// ordering rules forbid the new place.
#include <stdlib.h>
#include <string.h>

#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "document/chunk_file.h"
#include "document/chunk_ops.h"

namespace {

// The third operand (and the fourth for "to"): 0 when it is none of the three forms.
int run_move_operands(const CliOptions& options, int32_t row, int* result, ChunkOpReport* done)
{
    const char* how = options.operands[2];
    if (options.all_operands == 3 && (strcmp(how, "up") == 0 || strcmp(how, "down") == 0)) {
        *result = move_rows(&g_document, &row, 1, how[0] == 'u' ? MOVE_UP : MOVE_DOWN, done);
        return 1;
    }
    if (options.all_operands != 4 || strcmp(how, "to") != 0) return 0;
    char* end = nullptr;
    long target = strtol(options.operands[3], &end, 10);
    if (*end != 0 || target < 1 || target > g_document.count) {
        *result = OP_NO_ROW;
        return 1;
    }
    *result = move_row_to(&g_document, row, (int32_t)(target - 1), done);
    return 1;
}

FileOutcome move_file(CliContext& cli, FileReport* report)
{
    int32_t row;
    if (!chunk_operand(cli, report, &row)) return OUTCOME_REFUSED;
    int result;
    ChunkOpReport done;
    if (!run_move_operands(*cli.options, row, &result, &done)) {
        report_line(report, cli, CLI_TEXT_CHUNK_OPERANDS);
        return OUTCOME_REFUSED;
    }
    json_key(&report->json, "result");
    json_string(&report->json, chunk_op_result_name(result));
    if (result == OP_DONE) {
        report_line(report, cli, CLI_TEXT_MOVED, (long)row + 1, (long)done.row + 1);
        report->changed = SWITCH_ON;
        return finish_edit(cli, report, OUTCOME_CHANGED);
    }
    if (result == OP_REFUSED) {
        report_line(report, cli, CLI_TEXT_ORDER_REFUSED, (long)done.row + 1);
    } else if (result == OP_NO_ROW) {
        report_line(report, cli, CLI_TEXT_NO_SUCH_CHUNK, strtol(cli.options->operands[3], nullptr, 10),
                    (long)g_document.count);
    } else if (result == OP_AT_EDGE) {
        report_line(report, cli, CLI_TEXT_AT_EDGE, (long)row + 1);
    } else {
        report_line(report, cli, CLI_TEXT_OUT_OF_MEMORY);
    }
    return OUTCOME_REFUSED;
}

}  // namespace

int run_move(CliContext& cli)
{
    return run_batch_on_first(cli, move_file);
}
