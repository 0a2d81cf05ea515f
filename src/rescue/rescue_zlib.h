// Inside the rescue: its only zlib calls, in one place, so that they can move onto
// the program's one zlib reader in one edit.
#pragma once
#include <stdint.h>

#include "repair/stream_check.h"

// A second, independent copy of a running stream check (zlib's inflateCopy);
// 0 when memory runs out (`to` is then not live).
int copy_stream_check(StreamCheck& to, const StreamCheck& from);

// A cut or broken zlib stream made whole: the pieces are inflated as far as they
// go (never past `image_size` bytes), the rest up to `image_size` is zero bytes,
// and the whole is compressed again into one stream with a right Adler-32.
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
