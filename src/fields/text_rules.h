// The rules of a PNG text: keywords, Latin-1 and UTF-8 texts and language tags,
// shared by the field model, the editors and the check.
#pragma once
#include <stddef.h>
#include <stdint.h>

// 1 to 79 printable Latin-1 characters (0x20-0x7E, 0xA1-0xFF), no space at either
// end and no two in a row. Also the rule of iCCP's profile name, sPLT's palette
// name and pCAL's calibration name.
int is_valid_keyword(const uint8_t* bytes, size_t count);
const size_t KEYWORD_MAX = 79;

// The keywords the format registers ("Title", "Author", ...), in its order.
extern const char* const REGISTERED_KEYWORDS[];
extern const size_t REGISTERED_KEYWORD_COUNT;
// 1 when `bytes` is exactly one of them (case counts).
int is_registered_keyword(const uint8_t* bytes, size_t count);

// Printable Latin-1 and the line feed: what tEXt and zTXt may hold.
int is_latin1_text(const uint8_t* bytes, size_t count);
// Well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
int is_valid_utf8(const uint8_t* bytes, size_t count);
// Length of the well-formed UTF-8 sequence at `bytes`, or 0 when there is none.
size_t utf8_sequence(const uint8_t* bytes, size_t left);
// iTXt's language tag: empty, or hyphen-separated words of 1 to 8 ASCII letters
// and digits, the first of letters only (for example "ja", "en-GB", "x-klingon").
int is_language_tag(const uint8_t* bytes, size_t count);

// UTF-8 to Latin-1: 1 when every character of the UTF-8 text is a printable
// Latin-1 character or a line feed (so that tEXt can hold it); `out` (at least
// `count` bytes) then receives the Latin-1 bytes and *written their number.
int utf8_to_latin1(const uint8_t* bytes, size_t count, uint8_t* out, size_t* written);
