#include "cli_harness.h"

#include "cli/cli_main.h"

namespace {

struct Record {
    std::string streams[2];
};

void record_write(void* context, ConsoleStream stream, const char* text, size_t bytes)
{
    ((Record*)context)->streams[stream].append(text, bytes);
}

ConsoleTerminal never_terminal(void*, ConsoleStream)
{
    return CONSOLE_REDIRECTED;
}

uint32_t still_clock(void*)
{
    return 0;
}

}  // namespace

CliResult run_cli(const std::vector<std::string>& arguments)
{
    std::vector<std::string> words = {"velmora-cli"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    bool language = false;
    for (const std::string& word : arguments) language = language || word.rfind("--lang", 0) == 0;
    if (!language && words.size() > 1) words.insert(words.begin() + 2, "--lang=en");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    Record record;
    Console console = {&record, record_write, never_terminal, still_clock};
    int status = cli_main((int)argv.size(), argv.data(), &console);
    return CliResult{status, record.streams[0], record.streams[1]};
}
