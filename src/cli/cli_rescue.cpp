// rescue: reads each file with the tolerant scan instead of the strict load,
// writes the best reconstruction (every fix beyond doubt and every salvage; the
// probable ones only with --accept-probable), and lists the findings.
#include <stdio.h>

#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "document/chunk_file.h"
#include "rescue/rescue.h"
#include "rescue/rescue_text.h"

namespace {

const size_t FINDING_TEXT_SIZE = 512;

int32_t rescue_language(const CliContext& cli)
{
    return cli.language == CLI_ENGLISH ? RESCUE_ENGLISH : RESCUE_JAPANESE;
}

// "byte N: found -> proposal [certainty] (applied)" and its JSON object.
void report_finding(CliContext& cli, FileReport* report, const RescueFinding& finding)
{
    char found[FINDING_TEXT_SIZE], proposal[FINDING_TEXT_SIZE];
    int32_t language = rescue_language(cli);
    rescue_finding_text(finding, language, RESCUE_TEXT_FOUND, found, sizeof found);
    rescue_finding_text(finding, language, RESCUE_TEXT_PROPOSAL, proposal, sizeof proposal);
    TextBuilder* lines = &report->lines;
    add_text(lines, cli, CLI_TEXT_RESCUE_AT, (unsigned long long)finding.offset);
    add_cp932(lines, found);
    if (proposal[0]) {
        text_add(lines, " -> ");
        add_cp932(lines, proposal);
    }
    text_add(lines, " [");
    add_cp932(lines, rescue_certainty_name(finding.certainty, language));
    text_add(lines, "]");
    if (finding.accept == RESCUE_ACCEPTED) {
        add_text(lines, cli, CLI_TEXT_RESCUE_APPLIED);
    } else if (finding.certainty == RESCUE_PROBABLE) {
        add_text(lines, cli, CLI_TEXT_RESCUE_WAITING);
    }
    text_add(lines, "\n");
    TextBuilder* json = &report->json;
    json_open(json, '{');
    json_key(json, "offset");
    json_number(json, (int64_t)finding.offset);
    json_key(json, "kind");
    json_string(json, rescue_kind_key(finding.kind));
    json_key(json, "certainty");
    json_string(json, rescue_certainty_key(finding.certainty));
    json_key(json, "found");
    json_cp932(json, found);
    json_key(json, "proposal");
    json_cp932(json, proposal);
    json_key(json, "applied");
    json_bool(json, finding.accept == RESCUE_ACCEPTED);
    json_close(json, '}');
}

FileOutcome report_unreadable(CliContext& cli, FileReport* report, int read)
{
    CliText text = read == RESCUE_READ_NO_FILE     ? CLI_TEXT_RESCUE_NO_FILE
                   : read == RESCUE_READ_TOO_LARGE ? CLI_TEXT_RESCUE_TOO_LARGE
                   : read == RESCUE_READ_NO_MEMORY ? CLI_TEXT_OUT_OF_MEMORY
                                                   : CLI_TEXT_RESCUE_READ_FAILED;
    report_line(report, cli, text);
    json_key(&report->json, "error");
    json_string(&report->json, "unreadable");
    return OUTCOME_UNREADABLE;
}

FileOutcome outcome_of(int32_t rescued)
{
    switch (rescued) {
    case RESCUE_INTACT: return OUTCOME_FINE;
    case RESCUE_ENTIRE: return OUTCOME_CHANGED;
    case RESCUE_PARTIAL: return OUTCOME_LEFT;
    default: return OUTCOME_UNREADABLE;
    }
}

FileOutcome rescue_one(CliContext& cli, FileReport* report)
{
    RescueOptions options = {};
    options.stream_mode = cli.options->keep_cut_stream ? RESCUE_KEEP_CUT_STREAM : RESCUE_COMPLETE_STREAM;
    RescueResult result = {};
    int read = rescue_file(report->path, options, nullptr, &result);
    if (read != RESCUE_READ_OK) {
        release_rescue_result(&result);
        return report_unreadable(cli, report, read);
    }
    if (cli.options->accept_probable) accept_probable_findings(&result, RESCUE_ACCEPTED);
    json_key(&report->json, "findings");
    json_open(&report->json, '[');
    for (int32_t k = 0; k < result.finding_count; k++) report_finding(cli, report, result.findings[k]);
    json_close(&report->json, ']');
    int32_t rescued = rescue_outcome(result);
    json_key(&report->json, "outcome");
    json_string(&report->json, rescued == RESCUE_INTACT ? "intact" : rescued == RESCUE_ENTIRE ? "entire"
                               : rescued == RESCUE_PARTIAL ? "partial" : "unreadable");
    int adopted = rescued != RESCUE_UNREADABLE && adopt_rescue_result(result);
    release_rescue_result(&result);
    if (!adopted) {
        if (rescued != RESCUE_UNREADABLE) report_line(report, cli, CLI_TEXT_OUT_OF_MEMORY);
        return OUTCOME_UNREADABLE;
    }
    report->changed = rescued == RESCUE_INTACT ? SWITCH_OFF : SWITCH_ON;
    return finish_edit(cli, report, outcome_of(rescued));
}

}  // namespace

int run_rescue(CliContext& cli)
{
    return run_batch(cli, rescue_one);
}
