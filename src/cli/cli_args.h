// The command line taken apart: the command, its options and its operands.
// Portable, and checked natively; it reads the arguments and changes nothing else.
#pragma once
#include <stdint.h>

#include "cli/cli_commands.h"
#include "cli/cli_texts.h"

enum CliDestination {
    DESTINATION_NONE     = 0,
    DESTINATION_FILE     = 1,   // -o OUT
    DESTINATION_FOLDER   = 2,   // -d DIR
    DESTINATION_IN_PLACE = 3,   // --in-place
};

// What strip selects; the sets add up, --keep then takes types out.
enum StripSet : uint32_t {
    STRIP_METADATA = 1u << 0,
    STRIP_ALL      = 1u << 1,
    STRIP_TYPES    = 1u << 2,
    STRIP_KEEP     = 1u << 3,
    STRIP_PRIVATE  = 1u << 4,   // what the privacy review names
};

enum CliSwitch {
    SWITCH_OFF = 0,
    SWITCH_ON  = 1,
};

struct CliOptions {
    const CliCommand* command;
    CliDestination destination;
    const char*    output;           // the -o file or the -d folder
    CliSwitch      dry_run, walk, json, quiet;
    CliLanguage    language;
    uint32_t       strip;            // StripSet bits
    const char*    types;            // --type T,T...
    const char*    keep;             // --keep T,T...
    CliSwitch      break_animation, drop_idot, force_crc, drop_trailing;
    CliSwitch      accept_probable, keep_cut_stream;   // rescue
    CliSwitch      repeat;           // split --repeat
    CliSwitch      privacy;          // check --privacy
    const char*    dpi;              // set --dpi N (digits, checked)
    const char*    time;             // set --time now|YYYY-MM-DDThh:mm:ss (checked)
    char* const*   texts;            // set --text KEY=VALUE, in the order given
    int32_t        text_count;
    CliSwitch      profile;          // export --profile
    char* const*   operands;         // the files (show: the file and the chunk number)
    int32_t        operand_count;
    int32_t        all_operands;     // while the batch takes the first operand alone: how many there are
};

enum CliParse {
    PARSE_OK    = 0,
    PARSE_USAGE = 1,
};

// Why a command line was refused: the text to show and the argument it is about
// (null when none).
struct CliParseError {
    CliText     text;
    const char* argument;
};

// Options may stand anywhere after the command; "--" ends them. `operands`
// receives at most argc entries (the caller provides them); the values of the
// repeatable --text fill the same block from its end, so that operands and texts
// together never need more than argc entries. `language` is the
// default that --lang overrides.
CliParse parse_cli_arguments(int argc, char* const* argv, CliLanguage language, char** operands,
                             CliOptions* options, CliParseError* error);

// 1 when every operand names a file (set: with --dpi, --text or --time).
int takes_files_only(const CliOptions* options);

// 1 when `list` is four-byte types separated by commas; `type` in it.
int is_type_list(const char* list);
int type_list_has(const char* list, const uint8_t type[4]);
