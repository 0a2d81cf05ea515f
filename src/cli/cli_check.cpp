// check: the conformance check's findings of each file, every one of them, as
// lines or JSON; with --privacy also what the file would give away. Exit 1 when
// an error or a warning is left.
#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "check/check.h"
#include "check/privacy.h"
#include "document/chunk_file.h"

namespace {

const size_t MESSAGE_SIZE = 512;

CheckLanguage check_language(const CliContext& cli)
{
    return cli.language == CLI_ENGLISH ? CHECK_ENGLISH : CHECK_JAPANESE;
}

const char* severity_key(int32_t severity)
{
    return severity == SEVERITY_ERROR ? "error" : severity == SEVERITY_WARNING ? "warning" : "info";
}

// "chunk N TYPE: " or "file: ", and the chunk's number (or null) in JSON.
void where_it_is(CliContext& cli, FileReport* report, int32_t chunk, TextBuilder* json)
{
    if (chunk == FINDING_FILE) {
        add_text(&report->lines, cli, CLI_TEXT_CHECK_FILE);
        json_key(json, "chunk");
        text_add(json, "null");
        return;
    }
    char type[5] = {0};
    for (int k = 0; k < 4; k++) {
        uint8_t c = g_document.records[chunk].type[k];
        type[k] = c >= 0x20 && c < 0x7F ? (char)c : '?';
    }
    add_text(&report->lines, cli, CLI_TEXT_CHECK_CHUNK, (long)chunk + 1, type);
    json_key(json, "chunk");
    json_number(json, chunk + 1);
    json_key(json, "type");
    json_string(json, type);
}

void report_finding(CliContext& cli, FileReport* report, const Finding& finding)
{
    CheckLanguage language = check_language(cli);
    char message[MESSAGE_SIZE];
    finding_message(finding, language, message, sizeof message);
    int32_t severity = finding_severity(finding);
    TextBuilder* json = &report->json;
    json_open(json, '{');
    where_it_is(cli, report, finding.chunk, json);
    add_cp932(&report->lines, severity_text(severity, language));
    text_add(&report->lines, ": ");
    add_cp932(&report->lines, message);
    text_add(&report->lines, "\n");
    json_key(json, "severity");
    json_string(json, severity_key(severity));
    json_key(json, "rule");
    json_string(json, rule_name(finding.rule));
    json_key(json, "message");
    json_cp932(json, message);
    json_close(json, '}');
}

void report_privacy(CliContext& cli, FileReport* report, const PrivacyFinding& finding)
{
    TextBuilder* json = &report->json;
    json_open(json, '{');
    where_it_is(cli, report, finding.chunk, json);
    add_text(&report->lines, cli, CLI_TEXT_PRIVACY);
    add_cp932(&report->lines, privacy_kind_text(finding.kind, check_language(cli)));
    text_add(&report->lines, " (");
    text_add(&report->lines, finding.where);
    text_add(&report->lines, "): ");
    text_add(&report->lines, finding.excerpt);
    text_add(&report->lines, "\n");
    json_key(json, "kind");
    json_string(json, privacy_kind_name(finding.kind));
    json_key(json, "where");
    json_string(json, finding.where);
    json_key(json, "excerpt");
    json_string(json, finding.excerpt);
    json_close(json, '}');
}

// The privacy review's findings; answers how many there are.
int32_t review_file(CliContext& cli, FileReport* report)
{
    PrivacyList privacy = {};
    review_privacy(&privacy);
    json_key(&report->json, "privacy");
    json_open(&report->json, '[');
    for (int32_t k = 0; k < privacy.count; k++) report_privacy(cli, report, privacy.items[k]);
    json_close(&report->json, ']');
    int32_t count = privacy.count;
    if (privacy.out_of_memory) report_line(report, cli, CLI_TEXT_OUT_OF_MEMORY);
    privacy_free(&privacy);
    return count;
}

FileOutcome check_file(CliContext& cli, FileReport* report)
{
    FindingList findings = {};
    check_document(&findings);
    json_key(&report->json, "findings");
    json_open(&report->json, '[');
    for (int32_t k = 0; k < findings.count; k++) report_finding(cli, report, findings.items[k]);
    json_close(&report->json, ']');
    int32_t left = count_severity(findings, SEVERITY_ERROR) + count_severity(findings, SEVERITY_WARNING);
    if (findings.out_of_memory) report_line(report, cli, CLI_TEXT_OUT_OF_MEMORY);
    int32_t given_away = cli.options->privacy ? review_file(cli, report) : 0;
    if (findings.count == 0 && given_away == 0) report_line(report, cli, CLI_TEXT_CHECK_CLEAN);
    int incomplete = findings.out_of_memory;
    findings_free(&findings);
    return left || given_away || incomplete ? OUTCOME_LEFT : OUTCOME_FINE;
}

}  // namespace

int run_check(CliContext& cli)
{
    return run_batch(cli, check_file);
}
