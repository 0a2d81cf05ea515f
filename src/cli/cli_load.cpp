// Reading and writing for the commands: the document's own load and save, with
// their boxes caught and turned into the report's reason.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "cli/cli_batch.h"
#include "document/alert.h"
#include "document/chunk_file.h"
#include "document/document_texts.h"

namespace {

// The alert hook takes no context, so the reasons it is given collect here; they
// are read and cleared around each load or save.
struct BoxReasons {
    char text[768];
};
BoxReasons s_reasons;

// A file error puts the path in the box and the reason in its caption; other
// boxes say the reason in their text.
void record_box(const char* text, const char* caption, uint32_t)
{
    int plain = strcmp(caption, CAPTION_PRODUCT) == 0 || strcmp(caption, CAPTION_ERROR) == 0;
    const char* reason = plain ? text : caption;
    size_t used = strlen(s_reasons.text);
    snprintf(s_reasons.text + used, sizeof s_reasons.text - used, "%s%s", used ? "\n" : "", reason);
}

void begin_catching()
{
    s_reasons.text[0] = 0;
    set_alert_hook(record_box);
}

// The reasons, each in the user's language, after `lead`.
void add_reasons(FileReport* report, const CliContext& cli, CliText lead, CliText fallback, CliText hint)
{
    set_alert_hook(nullptr);
    add_text(&report->lines, cli, lead);
    TextBuilder reasons = {};
    char* reason = s_reasons.text;
    if (!*reason) add_text(&reasons, cli, fallback);
    while (*reason) {
        char* end = strchr(reason, '\n');
        if (end) *end = 0;
        if (reasons.used) text_add(&reasons, " ");
        add_cp932(&reasons, cli_reason(reason, cli.language));
        reason = end ? end + 1 : reason + strlen(reason);
    }
    text_add(&report->lines, reasons.text, reasons.used);
    text_add(&report->lines, " ");
    add_text(&report->lines, cli, hint);
    text_add(&report->lines, "\n");
    json_key(&report->json, "message");
    json_string(&report->json, reasons.text, reasons.used);
    text_free(&reasons);
}

}  // namespace

void begin_catching_boxes()
{
    begin_catching();
}

int end_catching_boxes(FileReport* report, const CliContext& cli)
{
    set_alert_hook(nullptr);
    if (!s_reasons.text[0]) return 0;
    add_reasons(report, cli, CLI_TEXT_EDIT_FAILED, CLI_TEXT_OUT_OF_MEMORY, CLI_TEXT_EDIT_HINT);
    return 1;
}

void report_line(FileReport* report, const CliContext& cli, CliText text, ...)
{
    va_list numbers;
    va_start(numbers, text);
    add_text_list(&report->lines, cli, text, numbers);
    va_end(numbers);
    text_add(&report->lines, "\n");
}

// A file that could not be read: the reasons, `hint` the way on, and the JSON error.
static int report_unreadable(CliContext& cli, FileReport* report, CliText hint)
{
    add_reasons(report, cli, CLI_TEXT_UNREADABLE, CLI_TEXT_OUT_OF_MEMORY, hint);
    json_key(&report->json, "error");
    json_string(&report->json, "unreadable");
    return 0;
}

int load_for_command(CliContext& cli, const char* path, FileReport* report)
{
    begin_catching();
    int result = load_png(path);
    set_alert_hook(nullptr);
    return result == LOAD_OK ? 1 : report_unreadable(cli, report, CLI_TEXT_RESCUE_HINT);
}

int read_for_command(CliContext& cli, const char* path, FileReport* report, uint8_t** bytes, uint32_t* size)
{
    begin_catching();
    int result = read_file_bytes(path, bytes, size);
    set_alert_hook(nullptr);
    return result == LOAD_OK ? 1 : report_unreadable(cli, report, CLI_TEXT_EDIT_HINT);
}

int write_for_command(CliContext& cli, const char* path, FileReport* report, const uint8_t* bytes, uint32_t size)
{
    begin_catching();
    if (save_file_bytes(path, bytes, size) != SAVE_OK) {
        add_reasons(report, cli, CLI_TEXT_WRITE_FAILED, CLI_TEXT_OUT_OF_MEMORY, CLI_TEXT_WRITE_HINT);
        return 0;
    }
    set_alert_hook(nullptr);
    add_text(&report->lines, cli, CLI_TEXT_WRITTEN);
    add_path(&report->lines, path);
    text_add(&report->lines, "\n");
    json_key(&report->json, "output");
    json_path(&report->json, path);
    return 1;
}

namespace {

const char* base_name(const char* path)
{
    const char* name = path;
    for (const char* c = path; *c; c++) {
        if (is_path_separator(*c)) name = c + 1;
    }
    return name;
}

// Where the document goes; null (with the refusal in the report) when it must not.
const char* destination_of(CliContext& cli, FileReport* report, PathList* folder_path)
{
    const CliOptions& options = *cli.options;
    const char* target = report->path;
    if (options.destination == DESTINATION_FILE) target = options.output;
    if (options.destination == DESTINATION_FOLDER) {
        if (!make_folder(options.output) || !path_list_add_joined(folder_path, options.output, base_name(report->path))) {
            return options.output;   // the save then says why it cannot write there
        }
        target = folder_path->paths[0];
    }
    CliText refusal = CLI_TEXT_COUNT;
    if (options.destination != DESTINATION_IN_PLACE && same_file(target, report->path)) refusal = CLI_TEXT_SAME_AS_INPUT;
    for (int32_t i = 0; cli.written && i < cli.written->count; i++) {
        if (strcmp(cli.written->paths[i], target) == 0 || same_file(cli.written->paths[i], target)) {
            refusal = CLI_TEXT_OUTPUT_TAKEN;
        }
    }
    if (refusal == CLI_TEXT_COUNT) return target;
    report_line(report, cli, refusal);
    return nullptr;
}

void report_result(FileReport* report, const char* result)
{
    json_key(&report->json, "result");
    json_string(&report->json, result);
}

FileOutcome write_document(CliContext& cli, FileReport* report, FileOutcome edited)
{
    PathList folder_path = {};
    const char* target = destination_of(cli, report, &folder_path);
    FileOutcome outcome = edited;
    if (!target) {
        report_result(report, "refused");
        outcome = OUTCOME_REFUSED;
    } else {
        begin_catching();
        if (save_png(target) != SAVE_OK) {
            add_reasons(report, cli, CLI_TEXT_WRITE_FAILED, CLI_TEXT_OUT_OF_MEMORY, CLI_TEXT_WRITE_HINT);
            report_result(report, "not written");
            outcome = OUTCOME_NOT_WRITTEN;
        } else {
            set_alert_hook(nullptr);
            if (cli.written) path_list_add(cli.written, target);
            add_text(&report->lines, cli, CLI_TEXT_WRITTEN);
            add_path(&report->lines, target);
            text_add(&report->lines, "\n");
            json_key(&report->json, "output");
            json_path(&report->json, target);
        }
    }
    path_list_free(&folder_path);
    return outcome;
}

}  // namespace

FileOutcome finish_edit(CliContext& cli, FileReport* report, FileOutcome edited)
{
    const CliOptions& options = *cli.options;
    json_key(&report->json, "changed");
    json_bool(&report->json, report->changed);
    if (edited == OUTCOME_REFUSED) {
        report_result(report, "refused");
        return edited;
    }
    if (g_trailing.count && !options.drop_trailing) {
        report_line(report, cli, CLI_TEXT_TRAILING_GUARD, (unsigned long)g_trailing.count);
        report_result(report, "refused");
        return OUTCOME_REFUSED;
    }
    if (!report->changed) report_line(report, cli, CLI_TEXT_UNCHANGED);
    if (options.dry_run) {
        report_result(report, "dry run");
        return edited;
    }
    if (options.destination == DESTINATION_IN_PLACE && !report->changed) {
        report_result(report, "unchanged");
        return edited;
    }
    FileOutcome outcome = write_document(cli, report, edited);
    if (outcome == edited) report_result(report, report->changed ? "changed" : "unchanged");
    return outcome;
}
