// Runs the command line in process with a console that records what it is given.
#pragma once
#include <string>
#include <vector>

struct CliResult {
    int status;
    std::string out;   // standard output, UTF-8
    std::string err;
};

// `arguments` without the program's name; --lang en unless they name a language.
CliResult run_cli(const std::vector<std::string>& arguments);
