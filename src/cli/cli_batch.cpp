#include "cli_batch.h"

#include <stdlib.h>
#include <string.h>

#include "cli/cli_commands.h"
#include "cli/path_list.h"
#include "document/chunk_file.h"

namespace {

struct Batch {
    CliContext* cli;
    PathList    files;
    PathList    written;      // outputs of this batch, so that none is overwritten
    PathList    folders;      // operands that name folders (without -r): reported, not read
    int         failed;       // memory ran out while collecting
    uint32_t    started;
    size_t      progress_shown;
};

int ends_with_png(const char* path)
{
    size_t length = strlen(path);
    if (length < 4) return 0;
    const char* tail = path + length - 4;
    return tail[0] == '.' && (tail[1] | 0x20) == 'p' && (tail[2] | 0x20) == 'n' && (tail[3] | 0x20) == 'g';
}

// Inside a walked folder: PNG files, and the folders below.
int take_walked(void* context, const char* path, PathKind kind)
{
    Batch* batch = (Batch*)context;
    if (kind == PATH_FOLDER) {
        list_folder(path, take_walked, batch);   // an unreadable folder below is passed over
        return !batch->failed;
    }
    if (kind == PATH_FILE && ends_with_png(path) && !path_list_add(&batch->files, path)) batch->failed = 1;
    return !batch->failed;
}

// An operand: a file (or a name that is not there, reported when its turn comes),
// or a folder, walked with -r and otherwise reported.
int take_operand(void* context, const char* path, PathKind kind)
{
    Batch* batch = (Batch*)context;
    if (kind == PATH_FOLDER && batch->cli->options->walk) return take_walked(context, path, kind);
    if (!path_list_add(&batch->files, path) || (kind == PATH_FOLDER && !path_list_add(&batch->folders, path))) {
        batch->failed = 1;
    }
    return !batch->failed;
}

void clear_progress(Batch& batch)
{
    if (batch.progress_shown == 0) return;
    TextBuilder out = {};
    text_add(&out, "\r");
    for (size_t i = 0; i < batch.progress_shown; i++) text_add(&out, " ");
    text_add(&out, "\r");
    emit(*batch.cli, CONSOLE_ERR, &out);
    text_free(&out);
    batch.progress_shown = 0;
}

void show_progress(Batch& batch, int32_t done)
{
    const CliContext& cli = *batch.cli;
    const Console* console = cli.console;
    if (cli.options->quiet || (uint32_t)(console->clock_ms(console->context) - batch.started) <= 1000 ||
        console->terminal(console->context, CONSOLE_ERR) != CONSOLE_TERMINAL) {
        return;
    }
    clear_progress(batch);
    TextBuilder out = {};
    add_text(&out, cli, CLI_TEXT_PROGRESS, (long)done + 1, (long)batch.files.count);
    add_path(&out, batch.files.paths[done]);
    batch.progress_shown = out.used;
    text_add(&out, "\r");
    emit(cli, CONSOLE_ERR, &out);
    text_free(&out);
}

void print_report(Batch& batch, FileReport& report, FileOutcome outcome)
{
    const CliContext& cli = *batch.cli;
    TextBuilder out = {};
    if (cli.options->json) {
        json_open(&out, '{');
        json_key(&out, "file");
        json_path(&out, report.path);
        if (report.json.used) {
            text_add(&out, ",");
            text_add(&out, report.json.text, report.json.used);
        }
        json_close(&out, '}');
        text_add(&out, "\n");
    } else if (report.lines.text && (!cli.options->quiet || outcome >= OUTCOME_REFUSED)) {
        // Each line of the report names the file first, or the file heads them.
        const char* line = report.lines.text;
        if (report.headed) {
            add_path(&out, report.path);
            text_add(&out, "\n");
        }
        while (*line && report.headed) {
            text_add(&out, line);
            line += strlen(line);
        }
        while (*line) {
            const char* end = strchr(line, '\n');
            size_t length = end ? (size_t)(end - line) + 1 : strlen(line);
            begin_file_line(&out, report.path);
            text_add(&out, line, length);
            line += length;
        }
    }
    clear_progress(batch);
    emit(cli, outcome >= OUTCOME_REFUSED && !cli.options->json ? CONSOLE_ERR : CONSOLE_OUT, &out);
    text_free(&out);
}

void print_summary(const Batch& batch)
{
    const CliContext& cli = *batch.cli;
    if (cli.options->quiet) return;
    const int32_t* t = cli.tally;
    TextBuilder out = {};
    add_text(&out, cli, CLI_TEXT_SUMMARY, (long)batch.files.count, (long)t[OUTCOME_FINE], (long)t[OUTCOME_CHANGED],
             (long)(t[OUTCOME_LEFT] + t[OUTCOME_REFUSED]), (long)t[OUTCOME_UNREADABLE],
             (long)t[OUTCOME_NOT_WRITTEN]);
    text_add(&out, "\n");
    emit(cli, cli.options->json ? CONSOLE_ERR : CONSOLE_OUT, &out);
    text_free(&out);
}

// The kind of every path was found while collecting them: no second look at the disk.
int is_folder_operand(const Batch& batch, const char* path)
{
    for (int32_t i = 0; i < batch.folders.count; i++) {
        if (strcmp(batch.folders.paths[i], path) == 0) return 1;
    }
    return 0;
}

FileOutcome run_one(Batch& batch, FileCommand command, const char* path)
{
    CliContext& cli = *batch.cli;
    FileReport report = {path, {}, {}, SWITCH_OFF, SWITCH_OFF};
    FileOutcome outcome = OUTCOME_UNREADABLE;
    if (is_folder_operand(batch, path)) {
        report_line(&report, cli, CLI_TEXT_IS_FOLDER);
        json_key(&report.json, "error");
        json_string(&report.json, "unreadable");
    } else if ((cli.options->command->traits & COMMAND_OWN_READ) || load_for_command(cli, path, &report)) {
        outcome = command(cli, &report);
    }
    release_document();
    print_report(batch, report, outcome);
    text_free(&report.lines);
    text_free(&report.json);
    return outcome;
}

}  // namespace

int run_batch_on_first(CliContext& cli, FileCommand command)
{
    CliOptions one_file = *cli.options;
    one_file.operand_count = 1;
    one_file.all_operands = cli.options->operand_count;
    const CliOptions* all = cli.options;
    cli.options = &one_file;
    int status = run_batch(cli, command);
    cli.options = all;
    return status;
}

int run_batch(CliContext& cli, FileCommand command)
{
    Batch batch = {&cli, {}, {}, {}, 0, cli.console->clock_ms(cli.console->context), 0};
    for (int32_t i = 0; i < cli.options->operand_count && !batch.failed; i++) {
        expand_operand(cli.options->operands[i], take_operand, &batch);
    }
    int status = EXIT_FINE;
    cli.written = &batch.written;
    if (cli.options->destination == DESTINATION_FILE && batch.files.count > 1) {
        report_usage(cli, CliParseError{CLI_TEXT_ONE_OUTPUT_ONE_INPUT, nullptr});
        batch.failed = 1;
        status = EXIT_USAGE;
    } else if (batch.failed) {
        TextBuilder out = {};
        text_add(&out, "velmora-cli: ");
        add_text(&out, cli, CLI_TEXT_OUT_OF_MEMORY);
        text_add(&out, "\n");
        emit(cli, CONSOLE_ERR, &out);
        text_free(&out);
        status = EXIT_UNREADABLE;
    }
    for (int32_t i = 0; i < batch.files.count && !batch.failed; i++) {
        show_progress(batch, i);
        FileOutcome outcome = run_one(batch, command, batch.files.paths[i]);
        cli.tally[outcome]++;
        int file_status = exit_status_of(outcome);
        status = file_status > status ? file_status : status;
    }
    clear_progress(batch);
    if (status != EXIT_USAGE) print_summary(batch);
    cli.written = nullptr;
    path_list_free(&batch.files);
    path_list_free(&batch.written);
    path_list_free(&batch.folders);
    return status;
}

int chunk_operand(const CliContext& cli, FileReport* report, int32_t* row)
{
    long number = strtol(cli.options->operands[1], nullptr, 10);
    if (number < 1 || number > g_document.count) {
        report_line(report, cli, CLI_TEXT_NO_SUCH_CHUNK, number, (long)g_document.count);
        json_key(&report->json, "error");
        json_string(&report->json, "no such chunk");
        return 0;
    }
    *row = (int32_t)(number - 1);
    return 1;
}
