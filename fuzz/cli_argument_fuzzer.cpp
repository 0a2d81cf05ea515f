// Arbitrary bytes as velmora-cli's arguments (split at zero bytes, the first piece
// the command), taken apart by parse_cli_arguments. Checks that a parse ends,
// that every operand is one of the arguments, in order, and that an accepted
// command line holds together: a command that runs, a destination for a command
// that changes files (or --dry-run), a single input file with -o, a chunk number for show.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "cli/cli_args.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    std::vector<std::string> words = {"velmora-cli"};
    std::string word;
    for (size_t i = 0; i < size; i++) {
        if (bytes[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += (char)bytes[i];
        }
    }
    words.push_back(word);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(&w[0]);
    std::vector<char*> operands(argv.size());
    CliOptions options;
    CliParseError error;
    CliParse parsed = parse_cli_arguments((int)argv.size(), argv.data(), CLI_ENGLISH, operands.data(), &options, &error);
    if (options.operand_count < 0 || options.operand_count > (int32_t)argv.size() - 2 + (argv.size() < 2)) abort();
    size_t at = 2;
    for (int32_t i = 0; i < options.operand_count; i++) {
        while (at < argv.size() && argv[at] != options.operands[i]) at++;
        if (at++ >= argv.size()) abort();
    }
    if (parsed != PARSE_OK) {
        if (error.text < 0 || error.text >= CLI_TEXT_COUNT) abort();
        return 0;
    }
    const CliCommand* command = options.command;
    if (!command || !command->run || options.operand_count < 1) abort();
    if ((command->traits & COMMAND_CHANGES_FILES) && options.destination == DESTINATION_NONE && !options.dry_run) abort();
    // -o names one output: one input file, which for the chunk commands (move, split,
    // set, insert, import) is the first of their operands.
    if (options.destination == DESTINATION_FILE &&
        (!options.output || (takes_files_only(&options) && options.operand_count != 1))) abort();
    if ((command->traits & COMMAND_FILE_AND_CHUNK) && (options.operand_count != 2 || atol(options.operands[1]) < 1)) abort();
    if (options.types && !is_type_list(options.types)) abort();
    return 0;
}
