// Following a zlib stream only to check it: the inflated bytes are counted and
// thrown away, and when the image's layout is known each row's filter byte is read
// on the way. Pixels are never interpreted.
#pragma once
#include <stdint.h>
#include <zlib.h>

// Rows of an image as its IDAT stream holds them: per interlace pass (one pass
// when not interlaced) the number of rows and the bytes of each row behind its
// filter byte.
struct ImageLayout {
    int32_t  passes;
    uint32_t rows[7];
    uint64_t row_bytes[7];
    uint64_t size;  // every row with its filter byte
};

// Lays out an image from IHDR fields; 0 when they are not a valid combination.
int layout_image(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour, uint8_t interlace,
                 ImageLayout* out);
// The same from IHDR's 13 data bytes (the other fields must be 0).
int layout_from_ihdr(const uint8_t* data, uint32_t length, ImageLayout* out);

enum StreamState {
    STREAM_OPEN,      // all input taken, more expected
    STREAM_ENDED,     // the stream ended at the last byte fed, its Adler-32 right
    STREAM_BROKEN,    // bad data, a bad checksum, a bad filter byte, more rows than the image has,
                      // or input behind the end of the stream
    STREAM_TOO_LONG,  // more output than the cap: followed no further
    STREAM_NO_MEMORY,
};

// More inflated bytes than this are not followed.
const uint64_t STREAM_OUTPUT_CAP = 64ull << 20;

struct StreamCheck {
    z_stream           zlib;
    int32_t            state;     // StreamState
    uint64_t           produced;  // inflated bytes so far
    const ImageLayout* layout;    // null: rows are not checked
    int32_t            pass;
    uint32_t           row;       // rows begun in the current pass
    uint64_t           left_in_row;
};

// `layout` may be null; it must outlive the check.
void stream_begin(StreamCheck& check, const ImageLayout* layout);
// Feeds the next piece of the compressed stream; returns the state after it.
int32_t stream_feed(StreamCheck& check, const uint8_t* bytes, uint32_t size);
void stream_finish(StreamCheck& check);
// Whether an ended stream inflated to exactly the layout's size (or no layout given).
int stream_size_right(const StreamCheck& check);
