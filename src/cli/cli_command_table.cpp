#include <string.h>

#include "cli/cli_commands.h"

namespace {

const uint32_t EDITING = OPTIONS_WALK | OPTIONS_DESTINATION;

const CliCommand COMMANDS[] = {
    {"list", run_list, OPTIONS_WALK, COMMAND_READS},
    {"show", run_show, 0, COMMAND_FILE_AND_CHUNK},
    {"strip", run_strip, EDITING | OPTIONS_STRIP | OPTIONS_IDOT, COMMAND_CHANGES_FILES},
    {"merge", run_merge, EDITING | OPTIONS_IDOT, COMMAND_CHANGES_FILES},
    {"repair", run_repair, EDITING | OPTIONS_FORCE_CRC, COMMAND_CHANGES_FILES},
    {"rescue", run_rescue, EDITING | OPTIONS_RESCUE, COMMAND_CHANGES_FILES | COMMAND_OWN_READ},
    // Added by the versions that build them.
    {"check", run_check, OPTIONS_WALK | OPTIONS_PRIVACY, COMMAND_READS},
    {"set", run_set, EDITING | OPTIONS_SET, COMMAND_CHANGES_FILES | COMMAND_CHUNK_FIELDS},
    {"insert", run_insert, OPTIONS_DESTINATION, COMMAND_CHANGES_FILES | COMMAND_TYPE_FIELDS},
    {"move", run_move, OPTIONS_DESTINATION, COMMAND_CHANGES_FILES | COMMAND_CHUNK_AND_HOW},
    {"split", run_split, OPTIONS_DESTINATION | OPTIONS_SPLIT, COMMAND_CHANGES_FILES | COMMAND_CHUNK_AND_HOW},
    {"import", run_import, OPTIONS_DESTINATION, COMMAND_CHANGES_FILES | COMMAND_FILE_SOURCE},
    {"export", run_export, OPTIONS_PROFILE, COMMAND_READS | COMMAND_CHUNK_OUTPUT},
};

}  // namespace

const CliCommand* find_cli_command(const char* name)
{
    for (const CliCommand& command : COMMANDS) {
        if (strcmp(command.name, name) == 0) {
            return &command;
        }
    }
    return nullptr;
}
