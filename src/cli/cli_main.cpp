#include "cli_main.h"

#include "cli/cli_args.h"
#include "cli/cli_context.h"
#include "document/memory.h"

int cli_main(int argc, char* const* argv, const Console* console)
{
    CliLanguage language = user_prefers_japanese() ? CLI_JAPANESE : CLI_ENGLISH;
    char** operands = (char**)zero_alloc(sizeof(char*) * (size_t)(argc > 0 ? argc : 1));
    CliOptions options;
    CliParseError error;
    CliContext cli = {&options, console, language, {0}, nullptr};
    if (!operands) {
        options.language = language;
        report_usage(cli, CliParseError{CLI_TEXT_OUT_OF_MEMORY, nullptr});
        return EXIT_USAGE;
    }
    CliParse parsed = parse_cli_arguments(argc, argv, language, operands, &options, &error);
    cli.language = options.language;
    int status = EXIT_USAGE;
    if (parsed != PARSE_OK) {
        report_usage(cli, error);
    } else {
        status = options.command->run(cli);
    }
    zero_free(operands);
    return status;
}
