// show FILE NUMBER: the chunk inspector's text of one chunk (numbered from 1, as
// the table shows it).
#include <stdlib.h>

#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "present/chunk_fields.h"

namespace {

FileOutcome show_file(CliContext& cli, FileReport* report)
{
    int32_t row;
    if (!chunk_operand(cli, report, &row)) return OUTCOME_REFUSED;
    long number = row + 1;
    report->headed = SWITCH_ON;
    TextBuilder text = {};
    describe_chunk(&text, (int32_t)(number - 1));
    if (cli.options->json) {
        json_key(&report->json, "chunk");
        json_number(&report->json, number);
        json_key(&report->json, "text");
        json_string(&report->json, text.text ? text.text : "", text.used);
    } else if (text.text) {
        // The inspector's lines are UTF-8 already, each ended by a line feed.
        text_add(&report->lines, text.text, text.used);
        if (text.used && text.text[text.used - 1] != '\n') text_add(&report->lines, "\n");
    }
    text_free(&text);
    for (int32_t i = 0; i < g_document.count; i++) {
        if (is_damaged(i)) return OUTCOME_LEFT;
    }
    return OUTCOME_FINE;
}

}  // namespace

int run_show(CliContext& cli)
{
    return run_batch_on_first(cli, show_file);
}
