// What a text chunk's text holds, shown after the text itself in a readable
// form: JSON indented, an image generator's "parameters" split into prompt,
// negative prompt and settings, and the hexadecimal "Raw profile type ..."
// texts decoded (Exif fields, XMP as text, the ICC header).
#pragma once
#include <stdint.h>

#include "text_out.h"

void describe_text_content(TextBuilder* out, const uint8_t* keyword, uint32_t keyword_length,
                           const uint8_t* text, uint32_t length);

// The pieces, for the tests: each returns 0 (and adds nothing) when the text is
// not of its kind.
int add_indented_json(TextBuilder* out, const uint8_t* text, uint32_t length);
int add_generator_parameters(TextBuilder* out, const uint8_t* text, uint32_t length);
int add_raw_profile(TextBuilder* out, const uint8_t* keyword, uint32_t keyword_length, const uint8_t* text,
                    uint32_t length);
