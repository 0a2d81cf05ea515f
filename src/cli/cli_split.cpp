// split FILE NUMBER SIZE [--repeat]: an IDAT split after SIZE bytes, once or into
// pieces of SIZE bytes.
#include <stdlib.h>

#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "document/chunk_file.h"
#include "document/chunk_ops.h"

namespace {

FileOutcome split_file(CliContext& cli, FileReport* report)
{
    int32_t row;
    if (!chunk_operand(cli, report, &row)) return OUTCOME_REFUSED;
    char* end = nullptr;
    unsigned long long size = strtoull(cli.options->operands[2], &end, 10);
    if (cli.options->all_operands != 3 || *end != 0 || cli.options->operands[2][0] == '-' || size > UINT32_MAX) {
        report_line(report, cli, CLI_TEXT_CHUNK_OPERANDS);
        return OUTCOME_REFUSED;
    }
    ChunkOpReport done;
    SplitMode mode = cli.options->repeat ? SPLIT_REPEAT : SPLIT_ONCE;
    int result = split_idat(&g_document, row, (uint32_t)size, mode, &done);
    json_key(&report->json, "result");
    json_string(&report->json, chunk_op_result_name(result));
    if (result == OP_NO_MEMORY) {
        report_line(report, cli, CLI_TEXT_OUT_OF_MEMORY);
        return OUTCOME_REFUSED;
    }
    if (result != OP_DONE) {
        report_line(report, cli, CLI_TEXT_SPLIT_REFUSED, (long)row + 1);
        return OUTCOME_REFUSED;
    }
    json_key(&report->json, "pieces");
    json_number(&report->json, done.count);
    report_line(report, cli, CLI_TEXT_SPLIT, (long)row + 1, (long)done.count);
    report->changed = SWITCH_ON;
    return finish_edit(cli, report, OUTCOME_CHANGED);
}

}  // namespace

int run_split(CliContext& cli)
{
    return run_batch_on_first(cli, split_file);
}
