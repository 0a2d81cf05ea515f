// The words of a finding, in either language, for the window and the command line.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "rescue.h"

enum RescueLanguage {
    RESCUE_JAPANESE = 0,  // code page 932
    RESCUE_ENGLISH  = 1,
};

enum RescueTextPart {
    RESCUE_TEXT_FOUND    = 0,  // what was found
    RESCUE_TEXT_PROPOSAL = 1,  // what is proposed
};

// Writes the part's text, cut to fit `size` bytes (zero-terminated).
void rescue_finding_text(const RescueFinding& finding, int32_t language, int32_t part, char* out, size_t size);
// The certainty's name.
const char* rescue_certainty_name(int32_t certainty, int32_t language);
// A stable name of a finding's kind and of a certainty, for machine-readable output.
const char* rescue_kind_key(int32_t kind);
const char* rescue_certainty_key(int32_t certainty);
