// The command line's entry, apart from main() so that the tests run it in
// process with a recording console.
#pragma once
#include "cli/console.h"

int cli_main(int argc, char* const* argv, const Console* console);
