// Text decoding for the chunk inspector: Latin-1, UTF-8 and UTF-16 (big-endian)
// into UTF-8 for display, and zlib inflation with a cap on what it produces.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "text_out.h"

// Length of the well-formed UTF-8 sequence at `bytes` (shortest form, no
// surrogates, at most U+10FFFF), or 0 when the bytes there are not one.
size_t utf8_sequence(const uint8_t* bytes, size_t left);
// The length of the longest head of `bytes` that ends on a whole UTF-8 sequence
// (at most the last three bytes are left off): where a cut text may end.
size_t utf8_boundary(const uint8_t* bytes, size_t count);
int is_valid_utf8(const uint8_t* bytes, size_t count);
// 1 when some byte is 0x80 or above.
int has_high_bytes(const uint8_t* bytes, size_t count);
// Printable Latin-1 and the line feed: what a PNG text may hold.
int is_latin1_text(const uint8_t* bytes, size_t count);

// Appends the text for display: line feeds stay (a CR before a LF is dropped),
// tabs stay, other control characters show as \xNN; bytes that are not UTF-8
// show as U+FFFD. Returns how many characters were shown escaped or replaced.
size_t add_latin1(TextBuilder* out, const uint8_t* bytes, size_t count);
size_t add_utf8(TextBuilder* out, const uint8_t* bytes, size_t count);
size_t add_utf16be(TextBuilder* out, const uint8_t* bytes, size_t count);

enum InflateResult {
    INFLATE_OK = 0,
    INFLATE_BROKEN,      // the stream is not valid zlib data
    INFLATE_TRUNCATED,   // the stream stops before its end
    INFLATE_TOO_LARGE,   // it would inflate beyond the cap
    INFLATE_NO_MEMORY,
    INFLATE_TRAILING,    // the stream is whole, but more bytes follow its end
};

// Inflates a zlib stream. At most `keep` bytes of the output are kept in
// `*output` (allocated with zero_alloc; free with zero_free), the rest is only
// counted into `*total`; past `cap` bytes the inflation stops with
// INFLATE_TOO_LARGE. Bytes after the stream's end give INFLATE_TRAILING, with
// the output as whole as for INFLATE_OK and their count in `*trailing` (if given).
int inflate_capped(const uint8_t* input, size_t count, size_t keep, uint64_t cap, uint8_t** output,
                   uint64_t* total, uint64_t* trailing = nullptr);
