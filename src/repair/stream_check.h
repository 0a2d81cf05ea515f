// Following a zlib stream only to check it: the inflated bytes are counted and
// thrown away, and when the image's layout is known each row's filter byte is read
// on the way. Pixels are never interpreted.
#pragma once
#include <stdint.h>

#include "document/zlib_reader.h"

// Rows of an image as its IDAT stream holds them: per interlace pass (one pass
// when not interlaced) the number of rows and the bytes of each row behind its
// filter byte.
struct ImageLayout {
    int32_t  passes;
    uint32_t rows[7];
    uint64_t row_bytes[7];
    uint64_t size;  // every row with its filter byte; LAYOUT_BEYOND_CAP when more than the cap
};

// More inflated bytes than this are not followed.
const uint64_t STREAM_OUTPUT_CAP = 64ull << 20;
// The size of a layout whose stream holds more than STREAM_OUTPUT_CAP bytes: no
// stream that is followed agrees with it, since none is followed past the cap.
const uint64_t LAYOUT_BEYOND_CAP = ~0ull;

// Lays out an image from IHDR fields; 0 when they are not a valid combination.
// The size is counted without overflow for every width and height.
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
    STREAM_STOPPED,   // the pace said stop (the user cancelled)
};

// What a pace answers.
enum PaceAnswer { PACE_GO_ON, PACE_STOP };

// A long check (following a stream of many megabytes, trying millions of heights)
// calls `serve` now and then, so that its caller can refresh its progress, serve
// its window's events and test for Cancel. `done` of `total` says how far the
// check has come in its own units, `position` which byte it is about.
struct CheckPace {
    int32_t  (*serve)(CheckPace& pace);  // a PaceAnswer
    void*    context;
    uint64_t since_serve;                // work since the last call, in inflated bytes or heights
    uint64_t done;
    uint64_t total;
    uint32_t position;
    int32_t  stopped;                    // serve said stop: every check sharing the pace stops
};

// The pace's position when the check is about no byte of the chunk.
const uint32_t PACE_NO_POSITION = 0xFFFFFFFFu;
// A stream check calls the pace after every this many inflated bytes (counted over
// every check that shares the pace), so a stream shorter than this never calls it.
const uint64_t PACE_STREAM_BYTES = 1ull << 20;
// Adds `work` to the pace and serves it when `interval` is reached; PACE_GO_ON
// without a pace, PACE_STOP from the first stop on.
int32_t pace_work(CheckPace* pace, uint64_t work, uint64_t interval);

// What a row fault (a filter byte above 4, or rows past the image) does: stop the
// reader at once (a repair's trial is refused there), or only be noted while the
// stream is followed to its end, so that a check that also tells the stream's size
// and state inflates it once.
enum RowFaultMode {
    ROW_FAULT_STOPS = 0,
    ROW_FAULT_NOTED = 1,
};

struct StreamCheck {
    ZlibReader         reader;
    int32_t            state;     // StreamState
    uint64_t           produced;  // inflated bytes so far
    const ImageLayout* layout;    // null: rows are not checked
    CheckPace*         pace;      // null: never served
    int32_t            pass;
    uint32_t           row;       // rows begun in the current pass
    uint64_t           left_in_row;
    int32_t            row_fault_mode;   // RowFaultMode, ROW_FAULT_STOPS unless set after stream_begin
    int32_t            row_fault;        // ROW_FAULT_NOTED: 1 once a row fault was met (rows are followed no further)
};

// `layout` and `pace` may be null; they must outlive the check. A check lives
// where it was begun (see zlib_reader.h) and is duplicated with stream_copy.
void stream_begin(StreamCheck& check, const ImageLayout* layout, CheckPace* pace = nullptr);
// An independent check at the same point of the same stream; its state is that of
// `from`, or STREAM_NO_MEMORY. It must be finished too.
int32_t stream_copy(StreamCheck& copy, const StreamCheck& from);
// Feeds the next piece of the compressed stream; returns the state after it.
int32_t stream_feed(StreamCheck& check, const uint8_t* bytes, uint32_t size);
void stream_finish(StreamCheck& check);
// Whether an ended stream inflated to exactly the layout's size (or no layout given).
int stream_size_right(const StreamCheck& check);
