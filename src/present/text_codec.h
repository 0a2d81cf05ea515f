// Text decoding for the chunk inspector: Latin-1, UTF-8 and UTF-16 (big-endian)
// into UTF-8 for display. Inflation with a cap is the field model's (field_zlib.h).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "fields/field_zlib.h"   // inflate_capped
#include "fields/text_rules.h"   // utf8_sequence, is_valid_utf8, is_latin1_text
#include "text_out.h"

// The length of the longest head of `bytes` that ends on a whole UTF-8 sequence
// (at most the last three bytes are left off): where a cut text may end.
size_t utf8_boundary(const uint8_t* bytes, size_t count);
// 1 when some byte is 0x80 or above.
int has_high_bytes(const uint8_t* bytes, size_t count);

// Appends the text for display: line feeds stay (a CR before a LF is dropped),
// tabs stay, other control characters show as \xNN; bytes that are not UTF-8
// show as U+FFFD. Returns how many characters were shown escaped or replaced.
size_t add_latin1(TextBuilder* out, const uint8_t* bytes, size_t count);
size_t add_utf8(TextBuilder* out, const uint8_t* bytes, size_t count);
size_t add_utf16be(TextBuilder* out, const uint8_t* bytes, size_t count);
