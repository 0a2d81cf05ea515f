#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "cli/cli_context.h"
#include "present/code_page.h"
#include "present/text_codec.h"

int exit_status_of(FileOutcome outcome)
{
    switch (outcome) {
    case OUTCOME_LEFT: return EXIT_DAMAGE_LEFT;
    case OUTCOME_REFUSED: return EXIT_USAGE;
    case OUTCOME_UNREADABLE: return EXIT_UNREADABLE;
    case OUTCOME_NOT_WRITTEN: return EXIT_WRITE;
    default: return EXIT_FINE;
    }
}

const char* say(const CliContext& cli, CliText text)
{
    return cli_text(text, cli.language);
}

void add_text_list(TextBuilder* out, const CliContext& cli, CliText text, va_list numbers)
{
    char line[1024];
    vsnprintf(line, sizeof line, say(cli, text), numbers);
    add_cp932(out, line);
}

void add_text(TextBuilder* out, const CliContext& cli, CliText text, ...)
{
    va_list numbers;
    va_start(numbers, text);
    add_text_list(out, cli, text, numbers);
    va_end(numbers);
}

void add_cp932(TextBuilder* out, const char* text)
{
    ::add_cp932(out, (const uint8_t*)text, strlen(text));
}

void add_path(TextBuilder* out, const char* path)
{
    append_native(out, path);
}

void emit(const CliContext& cli, ConsoleStream stream, TextBuilder* out)
{
    if (out->text && out->used) {
        cli.console->write(cli.console->context, stream, out->text, out->used);
    }
    out->used = 0;
    if (out->text) out->text[0] = 0;
}

void begin_file_line(TextBuilder* out, const char* path)
{
    add_path(out, path);
    text_add(out, ": ");
}

static int needs_comma(const TextBuilder* out)
{
    if (!out->text || out->used == 0) return 0;
    char last = out->text[out->used - 1];
    return last != '{' && last != '[' && last != ':';
}

void json_key(TextBuilder* out, const char* key)
{
    if (needs_comma(out)) text_add(out, ",");
    text_format(out, "\"%s\":", key);
}

void json_string(TextBuilder* out, const char* utf8, size_t bytes)
{
    if (needs_comma(out)) text_add(out, ",");
    text_add(out, "\"");
    size_t at = 0;
    while (at < bytes) {
        uint8_t c = (uint8_t)utf8[at];
        size_t run = c >= 0x80 ? utf8_sequence((const uint8_t*)utf8 + at, bytes - at) : 1;
        if (c >= 0x80 && run == 0) {
            text_add(out, "\\ufffd");
            run = 1;
        } else if (c == '"' || c == '\\') {
            text_format(out, "\\%c", (char)c);
        } else if (c < 0x20 || c == 0x7F) {
            text_format(out, c == '\n' ? "\\n" : "\\u%04x", c);
        } else {
            text_add(out, utf8 + at, run);
        }
        at += run;
    }
    text_add(out, "\"");
}

void json_string(TextBuilder* out, const char* utf8)
{
    json_string(out, utf8, strlen(utf8));
}

// Converted first, then quoted: the path and the text may hold any bytes.
static void json_converted(TextBuilder* out, const char* text, void (*convert)(TextBuilder*, const char*))
{
    TextBuilder converted = {};
    convert(&converted, text);
    json_string(out, converted.text ? converted.text : "", converted.used);
    text_free(&converted);
}

void json_path(TextBuilder* out, const char* path)
{
    json_converted(out, path, add_path);
}

void json_cp932(TextBuilder* out, const char* text)
{
    json_converted(out, text, add_cp932);
}

void json_number(TextBuilder* out, int64_t value)
{
    if (needs_comma(out)) text_add(out, ",");
    text_format(out, "%lld", (long long)value);
}

void json_bool(TextBuilder* out, int value)
{
    if (needs_comma(out)) text_add(out, ",");
    text_add(out, value ? "true" : "false");
}

void json_open(TextBuilder* out, char bracket)
{
    if (needs_comma(out)) text_add(out, ",");
    text_add(out, bracket == '[' ? "[" : "{");
}

void json_close(TextBuilder* out, char bracket)
{
    text_add(out, bracket == '[' || bracket == ']' ? "]" : "}");
}

void report_usage(const CliContext& cli, const CliParseError& error)
{
    TextBuilder out = {};
    if (error.text != CLI_TEXT_USAGE) {
        text_add(&out, "velmora-cli: ");
        add_text(&out, cli, error.text);
        if (error.argument) add_path(&out, error.argument);
        text_add(&out, "\n");
    }
    add_text(&out, cli, CLI_TEXT_USAGE);
    emit(cli, CONSOLE_ERR, &out);
    text_free(&out);
}
