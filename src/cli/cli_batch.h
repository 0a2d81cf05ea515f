// A batch: the files the operands name (folders walked with -r, wildcards
// expanded on Windows), each read as the window's Open reads it, handed to the
// command, written where the options say; a bad file is reported and the batch
// goes on. A progress line on standard error once a batch runs over a second
// (when it is a terminal), a summary line at the end.
#pragma once
#include <stdint.h>

#include "cli/cli_context.h"

// What a command reports about one file: text lines ("path: " comes first) and
// the keys it adds to the file's JSON object.
struct FileReport {
    const char* path;
    TextBuilder lines;   // each line ends with a line feed, without the path
    TextBuilder json;    // ,"key":value... after "file"
    CliSwitch   changed; // the command changed the document
    CliSwitch   headed;  // the path on a line of its own, the lines as they are
};

// One file, read into g_document; answers its outcome. The batch releases the
// document afterwards.
typedef FileOutcome (*FileCommand)(CliContext& cli, FileReport* report);

// Runs `command` on every file and answers the batch's exit status.
int run_batch(CliContext& cli, FileCommand command);

// The same on the first operand alone, for commands whose other operands are not
// files (show FILE NUMBER, move FILE NUMBER up).
int run_batch_on_first(CliContext& cli, FileCommand command);

// The strict load without its boxes: 1 when the file was read; otherwise the
// report says why, as the window's box would.
int load_for_command(CliContext& cli, const char* path, FileReport* report);
// Any other file, read whole (the caller frees *bytes with zero_free) or written
// through the save's temporary file; 0 with the reason in the report.
int read_for_command(CliContext& cli, const char* path, FileReport* report, uint8_t** bytes, uint32_t* size);
int write_for_command(CliContext& cli, const char* path, FileReport* report, const uint8_t* bytes, uint32_t size);
// Boxes the core shows during an edit (lack of memory) become lines of the
// report; the end answers 1 when there was one.
void begin_catching_boxes();
int  end_catching_boxes(FileReport* report, const CliContext& cli);
// A line of the report: the text and a line feed.
void report_line(FileReport* report, const CliContext& cli, CliText text, ...);
// The chunk the second operand numbers (from 1), as a row; 0 with the report's
// line and error key when the document has no such chunk.
int chunk_operand(const CliContext& cli, FileReport* report, int32_t* row);
// For commands that change files: the guards passed and the edit made, writes the
// document where the options say (or only reports, with --dry-run).
FileOutcome finish_edit(CliContext& cli, FileReport* report, FileOutcome edited);
