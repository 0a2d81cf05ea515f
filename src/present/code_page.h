// Code page 932 (Shift_JIS as Windows writes it) to UTF-8, through the platform's
// own converter: iconv natively, MultiByteToWideChar on Windows. The tool's own
// texts are code page 932, and some programs write it into PNG text chunks.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "text_out.h"

// The length of the code page 932 character at `bytes`: 1 for ASCII and the
// half-width katakana, 2 for a lead byte followed by a trail byte, 0 for a byte
// that starts no character (or a lead byte at the end).
size_t cp932_sequence(const uint8_t* bytes, size_t left);
// Every byte belongs to a well-formed character, and at least one character is
// double-byte: what a Shift_JIS text looks like (and Latin-1 or UTF-8 rarely do).
int is_cp932_text(const uint8_t* bytes, size_t count);
// Appends the text as UTF-8; a character the converter refuses shows as U+FFFD.
// Returns how many were replaced.
size_t add_cp932(TextBuilder* out, const uint8_t* bytes, size_t count);

// The platform half: appends the UTF-8 of `count` bytes of whole characters
// (at most CP932_RUN) and returns 1, or adds nothing and returns 0 when the
// converter refuses one of them.
const size_t CP932_RUN = 4096;
int convert_cp932_run(TextBuilder* out, const uint8_t* bytes, size_t count);
