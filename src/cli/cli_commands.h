// The table of commands: each verb, the function that runs it and the options it
// takes. Each command lives in its own file (cli_list.cpp, cli_show.cpp,
// cli_slim.cpp, cli_repair.cpp, cli_set.cpp, cli_transfer.cpp); a verb with no function yet is
// listed so that the parser names it, and says it is not in this version.
#pragma once
#include <stdint.h>

struct CliContext;
typedef int (*CliRun)(CliContext& cli);   // answers the exit status

// Groups of options a command accepts, beyond --json, -q and --lang.
enum CliOptionGroup : uint32_t {
    OPTIONS_WALK        = 1u << 0,   // -r
    OPTIONS_DESTINATION = 1u << 1,   // -o, -d, --in-place, --dry-run, --drop-trailing
    OPTIONS_STRIP       = 1u << 2,   // --metadata, --all, --type, --keep, --break-animation
    OPTIONS_IDOT        = 1u << 3,   // --drop-idot
    OPTIONS_FORCE_CRC   = 1u << 4,   // --force-crc
    OPTIONS_RESCUE      = 1u << 5,   // --accept-probable, --keep-cut-stream
    OPTIONS_SPLIT       = 1u << 6,   // --repeat
    OPTIONS_PRIVACY     = 1u << 7,   // --privacy
    OPTIONS_SET         = 1u << 8,   // --dpi, --text, --time
    OPTIONS_PROFILE     = 1u << 9,   // --profile
};

enum CliTraits : uint32_t {
    COMMAND_READS         = 0,
    COMMAND_CHANGES_FILES = 1u << 0,   // needs a destination unless --dry-run
    COMMAND_FILE_AND_CHUNK = 1u << 1,  // operands: one file and a chunk number
    COMMAND_OWN_READ      = 1u << 2,   // reads each file itself instead of the strict load
    COMMAND_CHUNK_AND_HOW  = 1u << 3,  // operands: one file, a chunk number and what to do
    COMMAND_CHUNK_FIELDS  = 1u << 4,   // set: FILE NUMBER FIELD=VALUE..., or files with --dpi/--text/--time
    COMMAND_TYPE_FIELDS   = 1u << 5,   // insert: FILE TYPE [FIELD=VALUE...]
    COMMAND_FILE_SOURCE   = 1u << 6,   // import: FILE CHUNKFILE
    COMMAND_CHUNK_OUTPUT  = 1u << 7,   // export: FILE NUMBER OUT
};

struct CliCommand {
    const char* name;
    CliRun      run;       // null: added by a later version
    uint32_t    options;   // CliOptionGroup bits
    uint32_t    traits;    // CliTraits bits
};

const CliCommand* find_cli_command(const char* name);

// The commands, each in its own file.
int run_list(CliContext& cli);
int run_show(CliContext& cli);
int run_strip(CliContext& cli);
int run_merge(CliContext& cli);
int run_repair(CliContext& cli);
int run_rescue(CliContext& cli);
int run_check(CliContext& cli);
int run_move(CliContext& cli);
int run_split(CliContext& cli);
int run_set(CliContext& cli);
int run_insert(CliContext& cli);
int run_import(CliContext& cli);
int run_export(CliContext& cli);
