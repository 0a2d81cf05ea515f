#include "cli_args.h"

#include <stdlib.h>
#include <string.h>

#include "fields/field_names.h"

namespace {

enum OptionKind {
    OPTION_FLAG  = 0,
    OPTION_VALUE = 1,
};

// Each setter answers CLI_TEXT_COUNT when the option is taken, else the text of the refusal.
typedef CliText (*OptionSet)(CliOptions* options, const char* value);

struct OptionSpec {
    const char* name;
    OptionKind  kind;
    uint32_t    group;   // CliOptionGroup; 0: every command
    OptionSet   set;
};

CliText set_destination(CliOptions* options, CliDestination destination, const char* value)
{
    if (options->destination != DESTINATION_NONE) return CLI_TEXT_TWO_DESTINATIONS;
    options->destination = destination;
    options->output = value;
    return CLI_TEXT_COUNT;
}

CliText set_output(CliOptions* o, const char* v) { return set_destination(o, DESTINATION_FILE, v); }
CliText set_folder(CliOptions* o, const char* v) { return set_destination(o, DESTINATION_FOLDER, v); }
CliText set_in_place(CliOptions* o, const char*) { return set_destination(o, DESTINATION_IN_PLACE, nullptr); }
CliText set_dry_run(CliOptions* o, const char*) { o->dry_run = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_walk(CliOptions* o, const char*) { o->walk = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_json(CliOptions* o, const char*) { o->json = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_quiet(CliOptions* o, const char*) { o->quiet = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_metadata(CliOptions* o, const char*) { o->strip |= STRIP_METADATA; return CLI_TEXT_COUNT; }
CliText set_all(CliOptions* o, const char*) { o->strip |= STRIP_ALL; return CLI_TEXT_COUNT; }
CliText set_break(CliOptions* o, const char*) { o->break_animation = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_drop_idot(CliOptions* o, const char*) { o->drop_idot = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_force_crc(CliOptions* o, const char*) { o->force_crc = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_repeat(CliOptions* o, const char*) { o->repeat = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_drop_trailing(CliOptions* o, const char*) { o->drop_trailing = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_privacy(CliOptions* o, const char*) { o->privacy = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_accept_probable(CliOptions* o, const char*) { o->accept_probable = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_keep_cut_stream(CliOptions* o, const char*) { o->keep_cut_stream = SWITCH_ON; return CLI_TEXT_COUNT; }

CliText set_profile(CliOptions* o, const char*) { o->profile = SWITCH_ON; return CLI_TEXT_COUNT; }
CliText set_private(CliOptions* o, const char*) { o->strip |= STRIP_PRIVATE; return CLI_TEXT_COUNT; }

CliText set_dpi(CliOptions* options, const char* value)
{
    char* end = nullptr;
    unsigned long long dpi = strtoull(value, &end, 10);
    if (value[0] < '0' || value[0] > '9' || *end != 0 || dpi == 0 || dpi > UINT32_MAX) return CLI_TEXT_BAD_DPI;
    options->dpi = value;
    return CLI_TEXT_COUNT;
}

CliText set_time(CliOptions* options, const char* value)
{
    TimeFields time;
    if (strcmp(value, "now") != 0 && time_from_text(value, &time) != FIELD_OK) return CLI_TEXT_BAD_TIME;
    options->time = value;
    return CLI_TEXT_COUNT;
}

// The texts go to the end of the operands' block, last first; the parse puts them
// in order when it is done.
CliText set_text(CliOptions* options, const char* value)
{
    const char* equals = strchr(value, '=');
    if (!equals || equals == value) return CLI_TEXT_BAD_TEXT_OPTION;
    options->text_count++;
    ((char**)options->operands)[options->all_operands - options->text_count] = (char*)value;   // the caller's writable block
    return CLI_TEXT_COUNT;
}

CliText set_types(CliOptions* options, const char* value)
{
    if (!is_type_list(value)) return CLI_TEXT_BAD_TYPE_LIST;
    options->strip |= STRIP_TYPES;
    options->types = value;
    return CLI_TEXT_COUNT;
}

CliText set_keep(CliOptions* options, const char* value)
{
    if (!is_type_list(value)) return CLI_TEXT_BAD_TYPE_LIST;
    options->strip |= STRIP_KEEP;
    options->keep = value;
    return CLI_TEXT_COUNT;
}

CliText set_language(CliOptions* options, const char* value)
{
    if (strcmp(value, "ja") == 0) {
        options->language = CLI_JAPANESE;
    } else if (strcmp(value, "en") == 0) {
        options->language = CLI_ENGLISH;
    } else {
        return CLI_TEXT_BAD_LANGUAGE;
    }
    return CLI_TEXT_COUNT;
}

const OptionSpec OPTIONS[] = {
    {"-o", OPTION_VALUE, OPTIONS_DESTINATION, set_output},
    {"-d", OPTION_VALUE, OPTIONS_DESTINATION, set_folder},
    {"--in-place", OPTION_FLAG, OPTIONS_DESTINATION, set_in_place},
    {"--dry-run", OPTION_FLAG, OPTIONS_DESTINATION, set_dry_run},
    {"--drop-trailing", OPTION_FLAG, OPTIONS_DESTINATION, set_drop_trailing},
    {"-r", OPTION_FLAG, OPTIONS_WALK, set_walk},
    {"--json", OPTION_FLAG, 0, set_json},
    {"-q", OPTION_FLAG, 0, set_quiet},
    {"--lang", OPTION_VALUE, 0, set_language},
    {"--metadata", OPTION_FLAG, OPTIONS_STRIP, set_metadata},
    {"--all", OPTION_FLAG, OPTIONS_STRIP, set_all},
    {"--type", OPTION_VALUE, OPTIONS_STRIP, set_types},
    {"--keep", OPTION_VALUE, OPTIONS_STRIP, set_keep},
    {"--break-animation", OPTION_FLAG, OPTIONS_STRIP, set_break},
    {"--drop-idot", OPTION_FLAG, OPTIONS_IDOT, set_drop_idot},
    {"--force-crc", OPTION_FLAG, OPTIONS_FORCE_CRC, set_force_crc},
    {"--accept-probable", OPTION_FLAG, OPTIONS_RESCUE, set_accept_probable},
    {"--privacy", OPTION_FLAG, OPTIONS_PRIVACY, set_privacy},
    {"--keep-cut-stream", OPTION_FLAG, OPTIONS_RESCUE, set_keep_cut_stream},
    {"--repeat", OPTION_FLAG, OPTIONS_SPLIT, set_repeat},
    {"--private", OPTION_FLAG, OPTIONS_STRIP, set_private},
    {"--dpi", OPTION_VALUE, OPTIONS_SET, set_dpi},
    {"--text", OPTION_VALUE, OPTIONS_SET, set_text},
    {"--time", OPTION_VALUE, OPTIONS_SET, set_time},
    {"--profile", OPTION_FLAG, OPTIONS_PROFILE, set_profile},
};

// "--name" or "--name=value"; `*inline_value` points after the '=' when there is one.
const OptionSpec* find_option(const char* argument, const char** inline_value)
{
    *inline_value = nullptr;
    for (const OptionSpec& spec : OPTIONS) {
        size_t length = strlen(spec.name);
        if (strncmp(argument, spec.name, length) != 0) continue;
        if (argument[length] == 0) return &spec;
        if (argument[length] == '=' && spec.kind == OPTION_VALUE && spec.name[1] == '-') {
            *inline_value = argument + length + 1;
            return &spec;
        }
    }
    return nullptr;
}

CliParse refuse(CliParseError* error, CliText text, const char* argument)
{
    error->text = text;
    error->argument = argument;
    return PARSE_USAGE;
}

// Takes argv[*at] as an option (and its value), moving *at past what it used.
CliParse take_option(int argc, char* const* argv, int* at, CliOptions* options, CliParseError* error)
{
    const char* argument = argv[*at];
    const char* value = nullptr;
    const OptionSpec* spec = find_option(argument, &value);
    if (!spec) return refuse(error, CLI_TEXT_UNKNOWN_OPTION, argument);
    if (spec->group && !(options->command->options & spec->group)) {
        return refuse(error, CLI_TEXT_OPTION_NOT_FOR_COMMAND, argument);
    }
    if (spec->kind == OPTION_VALUE && !value) {
        if (*at + 1 >= argc) return refuse(error, CLI_TEXT_OPTION_NEEDS_VALUE, argument);
        value = argv[++*at];
    }
    CliText refusal = spec->set(options, value);
    if (refusal != CLI_TEXT_COUNT) return refuse(error, refusal, value ? value : argument);
    return PARSE_OK;
}

int is_option(const char* argument)
{
    return argument[0] == '-' && argument[1] != 0;
}

int is_chunk_number(const char* text)
{
    long value = 0;
    for (const char* c = text; *c; c++) {
        if (*c < '0' || *c > '9' || value > 100000000) return 0;
        value = value * 10 + (*c - '0');
    }
    return text[0] != 0 && value > 0;
}

int is_chunk_type(const char* text)
{
    return strlen(text) == 4 && field_kind_of((const uint8_t*)text) != KIND_NONE;
}

// The operands of the commands that take a file and more than files: 0 with the
// refusal when they have not the command's shape.
int operands_fit(const CliOptions* options, CliParseError* error)
{
    uint32_t traits = options->command->traits;
    int32_t count = options->operand_count;
    char* const* words = options->operands;
    CliText shape = CLI_TEXT_COUNT;
    if ((traits & COMMAND_FILE_AND_CHUNK) && (count != 2 || !is_chunk_number(words[1]))) shape = CLI_TEXT_SHOW_OPERANDS;
    if ((traits & COMMAND_CHUNK_AND_HOW) && (count < 3 || !is_chunk_number(words[1]))) shape = CLI_TEXT_CHUNK_OPERANDS;
    if ((traits & COMMAND_CHUNK_FIELDS) && !takes_files_only(options) && (count < 3 || !is_chunk_number(words[1]))) {
        shape = CLI_TEXT_SET_OPERANDS;
    }
    if ((traits & COMMAND_TYPE_FIELDS) && (count < 2 || !is_chunk_type(words[1]))) shape = CLI_TEXT_INSERT_OPERANDS;
    if ((traits & COMMAND_FILE_SOURCE) && count != 2) shape = CLI_TEXT_IMPORT_OPERANDS;
    if ((traits & COMMAND_CHUNK_OUTPUT) && (count != 3 || !is_chunk_number(words[1]))) shape = CLI_TEXT_EXPORT_OPERANDS;
    if (shape == CLI_TEXT_COUNT) return 1;
    refuse(error, shape, nullptr);
    return 0;
}

// The checks that need the whole command line.
CliParse check_whole(const CliOptions* options, CliParseError* error)
{
    const CliCommand* command = options->command;
    if (options->operand_count == 0) return refuse(error, CLI_TEXT_NO_FILES, nullptr);
    if (!operands_fit(options, error)) return PARSE_USAGE;
    if (takes_files_only(options) && options->destination == DESTINATION_FILE && options->operand_count > 1) {
        return refuse(error, CLI_TEXT_ONE_OUTPUT_ONE_INPUT, nullptr);
    }
    if ((command->traits & COMMAND_CHANGES_FILES) && options->destination == DESTINATION_NONE &&
        !options->dry_run) {
        return refuse(error, CLI_TEXT_NEEDS_DESTINATION, nullptr);
    }
    if ((command->options & OPTIONS_STRIP) && !options->strip) return refuse(error, CLI_TEXT_STRIP_NEEDS_SET, nullptr);
    return PARSE_OK;
}

// Texts were stored last first at the end of the operands' block.
void put_texts_in_order(CliOptions* options)
{
    char** texts = (char**)options->operands + options->all_operands - options->text_count;
    for (int32_t i = 0, j = options->text_count - 1; i < j; i++, j--) {
        char* kept = texts[i];
        texts[i] = texts[j];
        texts[j] = kept;
    }
    options->texts = texts;
}

}  // namespace

int takes_files_only(const CliOptions* options)
{
    uint32_t traits = options->command->traits;
    if (traits & COMMAND_CHUNK_FIELDS) return options->dpi || options->time || options->text_count;
    return !(traits & (COMMAND_FILE_AND_CHUNK | COMMAND_CHUNK_AND_HOW | COMMAND_TYPE_FIELDS | COMMAND_FILE_SOURCE |
                       COMMAND_CHUNK_OUTPUT));
}

int is_type_list(const char* list)
{
    size_t at = 0;
    for (;;) {
        size_t length = strcspn(list + at, ",");
        if (length != 4) return 0;
        at += length;
        if (list[at] == 0) return 1;
        at++;
    }
}

int type_list_has(const char* list, const uint8_t type[4])
{
    for (size_t at = 0; list && strlen(list + at) >= 4; at += 5) {
        if (memcmp(list + at, type, 4) == 0) return 1;
        if (list[at + 4] != ',') return 0;
    }
    return 0;
}

CliParse parse_cli_arguments(int argc, char* const* argv, CliLanguage language, char** operands,
                             CliOptions* options, CliParseError* error)
{
    *options = CliOptions{};
    options->language = language;
    options->operands = operands;
    options->all_operands = argc;   // while parsing: the size of the block, for the texts
    *error = CliParseError{CLI_TEXT_USAGE, nullptr};
    if (argc < 2) return PARSE_USAGE;
    options->command = find_cli_command(argv[1]);
    if (!options->command) return refuse(error, CLI_TEXT_UNKNOWN_COMMAND, argv[1]);
    int only_operands = 0;
    for (int at = 2; at < argc; at++) {
        if (!only_operands && strcmp(argv[at], "--") == 0) {
            only_operands = 1;
        } else if (!only_operands && is_option(argv[at])) {
            if (take_option(argc, argv, &at, options, error) != PARSE_OK) return PARSE_USAGE;
        } else {
            operands[options->operand_count++] = argv[at];
        }
    }
    put_texts_in_order(options);
    options->all_operands = 0;
    if (!options->command->run) return refuse(error, CLI_TEXT_NOT_YET, argv[1]);
    return check_whole(options, error);
}
