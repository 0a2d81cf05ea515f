// The one zlib reader of the program: takes a stream piece by piece (`zlib_feed`),
// inflates it with a cap on the output, and hands what it inflates to a sink (or
// only counts it). Its memory comes from zero_alloc, so a failing allocation (and
// the tests' failure hook) ends in ZLIB_NO_MEMORY, never in a crash. Bytes fed
// after the end of the stream are a state of their own (ZLIB_TRAILING): each
// caller decides whether they break the stream (the repair's check) or only
// deserve a remark (the inspector).
//
// A reader refers to itself inside zlib: it lives where `zlib_begin` set it up and
// is duplicated only with `zlib_copy`, never by assignment.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <zlib.h>

enum ZlibState {
    ZLIB_OPEN,        // everything fed was taken; the stream has not ended yet
    ZLIB_ENDED,       // the stream ended at the last byte fed, its Adler-32 right
    ZLIB_TRAILING,    // the stream ended, its Adler-32 right, and bytes were fed after its end
    ZLIB_BROKEN,      // not zlib data, a preset dictionary, or a wrong Adler-32
    ZLIB_TOO_LONG,    // it would inflate to more than the cap: followed no further
    ZLIB_REFUSED,     // the sink stopped the reader
    ZLIB_NO_MEMORY,
};

// What a sink answers for each piece of output it is given.
enum ZlibSinkAnswer {
    ZLIB_SINK_MORE,   // go on inflating
    ZLIB_SINK_STOP,   // stop: the reader ends in ZLIB_REFUSED
};

// Receives the inflated bytes in order, in pieces of at most 16 KiB; returns a ZlibSinkAnswer.
typedef int32_t (*ZlibSink)(void* context, const uint8_t* bytes, size_t size);

struct ZlibReader {
    z_stream zlib;
    int32_t  state;         // ZlibState
    uint64_t cap;           // the most output allowed
    uint64_t produced;      // inflated bytes so far (at most cap + 1)
    uint64_t trailing;      // bytes fed after the end of the stream
    ZlibSink sink;          // null: the output is only counted
    void*    sink_context;
};

// Sets up a reader for a new stream. Returns its state: ZLIB_OPEN, or
// ZLIB_NO_MEMORY (the reader must still be ended).
int32_t zlib_begin(ZlibReader& reader, uint64_t cap, ZlibSink sink, void* sink_context);
// Feeds the next piece of the stream and returns the state after it. Once the state
// is neither OPEN nor ENDED nor TRAILING, feeding changes nothing; after the end,
// every byte fed counts as trailing.
int32_t zlib_feed(ZlibReader& reader, const uint8_t* bytes, size_t size);
// Makes `copy` an independent reader at the same point of the same stream, with the
// same cap, counts, sink and sink context (point it elsewhere with
// zlib_set_sink). Returns the copy's state: the original's, or ZLIB_NO_MEMORY.
// The copy must be ended too, whatever the result.
int32_t zlib_copy(ZlibReader& copy, const ZlibReader& from);
void zlib_set_sink(ZlibReader& reader, ZlibSink sink, void* sink_context);
// How many bytes the stream inflated to so far.
uint64_t zlib_produced(const ZlibReader& reader);
// Releases what the reader holds; safe after any result of begin or copy.
void zlib_end(ZlibReader& reader);

// A sink that keeps the head of the output in a buffer the caller owns and lets
// the rest pass uncounted by it (the reader still counts everything).
struct ZlibHead {
    uint8_t* bytes;
    size_t   capacity;
    size_t   kept;
};
int32_t zlib_keep_head(void* head, const uint8_t* bytes, size_t size);
