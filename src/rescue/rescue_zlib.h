// Inside the rescue: making a cut or broken zlib stream whole. It inflates through
// the program's one zlib reader; compressing again is the rescue's own.
#pragma once
#include <stdint.h>

// The pieces are inflated as far as they go (never past `image_size` bytes), the
// rest up to `image_size` is zero bytes, and the whole is compressed again into
// one stream with a right Adler-32.
struct CompletedStream {
    uint8_t* bytes;     // owned (zero_alloc), `size` of them
    uint32_t size;
    uint64_t kept;      // inflated bytes taken over from the pieces
};
struct StreamPiece {
    const uint8_t* bytes;
    uint32_t       size;
};
int complete_stream(const StreamPiece* pieces, int32_t count, uint64_t image_size, CompletedStream* out);
