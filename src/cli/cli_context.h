// What every command works with: the parsed options, the console, and the
// writers of text lines and JSON objects (UTF-8, built in a TextBuilder, written
// to the console in one go).
#pragma once
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

#include "cli/cli_args.h"
#include "cli/console.h"
#include "cli/path_list.h"
#include "present/text_out.h"

enum FileOutcome {
    OUTCOME_FINE = 0,      // read, nothing left to do
    OUTCOME_CHANGED,       // changed as asked (or would be, with --dry-run)
    OUTCOME_LEFT,          // damage left, or a guard left the file as it was
    OUTCOME_REFUSED,       // a guard needs an option: left as it was
    OUTCOME_UNREADABLE,
    OUTCOME_NOT_WRITTEN,
    OUTCOME_KINDS,
};

enum CliExit {
    EXIT_FINE        = 0,
    EXIT_DAMAGE_LEFT = 1,
    EXIT_UNREADABLE  = 2,
    EXIT_USAGE       = 3,
    EXIT_WRITE       = 4,
};

struct CliContext {
    const CliOptions* options;
    const Console*    console;
    CliLanguage       language;
    int32_t           tally[OUTCOME_KINDS];
    PathList*         written;   // the outputs of the batch so far
};

int exit_status_of(FileOutcome outcome);

// Text output.
const char* say(const CliContext& cli, CliText text);
// Appends a text of the command line, printf-formatted with numbers only.
void add_text(TextBuilder* out, const CliContext& cli, CliText text, ...);
void add_text_list(TextBuilder* out, const CliContext& cli, CliText text, va_list numbers);
void add_cp932(TextBuilder* out, const char* text);
void add_path(TextBuilder* out, const char* path);
// Writes the text and empties the builder.
void emit(const CliContext& cli, ConsoleStream stream, TextBuilder* out);
// "path: " before a message about a file.
void begin_file_line(TextBuilder* out, const char* path);

// JSON, written by hand into the builder. Strings are UTF-8; control characters
// and quotes are escaped, bytes that are not UTF-8 become U+FFFD.
void json_key(TextBuilder* out, const char* key);   // ,"key": (no comma after { or [)
void json_string(TextBuilder* out, const char* utf8, size_t bytes);
void json_string(TextBuilder* out, const char* utf8);
void json_path(TextBuilder* out, const char* path);
void json_cp932(TextBuilder* out, const char* text);
void json_number(TextBuilder* out, int64_t value);
void json_bool(TextBuilder* out, int value);
void json_open(TextBuilder* out, char bracket);      // '{' or '[' (a comma before it when needed)
void json_close(TextBuilder* out, char bracket);

// The parse error with the usage, on standard error.
void report_usage(const CliContext& cli, const CliParseError& error);
