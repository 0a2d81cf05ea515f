// What every fuzz target shares: a finding ends the run through abort(), which
// libFuzzer reports with the input that caused it; the document layer's message
// boxes are counted instead of shown.
#pragma once
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "document/alert.h"

inline int g_fuzz_alerts = 0;

inline void fuzz_count_alert(const char*, const char*, uint32_t)
{
    g_fuzz_alerts++;
}

// Aborts with `what` unless it is empty.
inline void fuzz_require(const std::string& what)
{
    if (!what.empty()) {
        fprintf(stderr, "finding: %s\n", what.c_str());
        abort();
    }
}

inline void fuzz_require(bool holds, const char* what)
{
    fuzz_require(holds ? std::string() : std::string(what));
}

// Before the first input: the texts must be the program's code page 932 bytes, or
// the bounds checked on them would be those of other texts (the white circle mark
// is 81 9B), and message boxes are only counted. Defined here, so this header
// belongs in the target's own source only.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_require(std::string("○") == "\x81\x9B", "the texts are not code page 932");
    set_alert_hook(fuzz_count_alert);
    return 0;
}
