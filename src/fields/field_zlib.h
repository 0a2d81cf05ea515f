// The zlib streams of zTXt, iTXt and iCCP, into bytes and back. Every call of
// zlib for these chunks is in field_zlib.cpp, and zlib allocates through
// zero_alloc there, so that the failure hook of the tests reaches it too.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "field_model.h"

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
// Inflation goes through the program's one zlib reader (document/zlib_reader.h).
int inflate_capped(const uint8_t* input, size_t count, size_t keep, uint64_t cap, uint8_t** output,
                   uint64_t* total, uint64_t* trailing = nullptr);

// The whole of a stream that inflates to at most `cap` bytes, into `out` (owned by
// the caller: field_bytes_free); an InflateResult. After INFLATE_TRAILING `out`
// holds the whole stream's output too.
int decompress_field(const FieldSpan& stream, uint32_t cap, FieldBytes* out);

enum CompressLevel {
    COMPRESS_DEFAULT = -1,   // zlib's default
    COMPRESS_BEST    = 9,
};
// A zlib stream of `count` bytes into `out` (owned by the caller); 0 when memory
// runs out.
int compress_field(const uint8_t* bytes, uint32_t count, CompressLevel level, FieldBytes* out);
