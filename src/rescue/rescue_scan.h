// Inside the rescue: the state of one scan, shared by its passes.
#pragma once
#include <stdint.h>

#include "repair/stream_check.h"
#include "rescue_framing.h"
#include "rescue_result.h"

struct Scan {
    ScanBytes            file;
    RescueResult*        result;
    const RescueOptions* options;
    const RescuePorts*   ports;
    int32_t              line_endings;   // RescueLineEndings
    int32_t              line_finding;   // the line-ending finding, or -1
    int32_t              iend_seen;
    uint32_t             clock_start;
    int32_t              cancelled;
    uint32_t             rolling_scans;  // framing searches over the whole rest run so far
    // Line endings: the image data stream as restored so far, carried from one
    // IDAT chunk to the next, and the image's rows for its check.
    StreamCheck*         line_stream;
    ImageLayout          line_layout;
    int32_t              line_layout_known;
    int32_t              line_stream_lost;  // an IDAT chunk was not restored: the stream is not followed
    uint32_t             line_restored;
    uint32_t             line_unsure;
    uint32_t             line_failed;
};

int      scan_cancelled(Scan& scan);
uint32_t scan_clock(const Scan& scan);

// Finds where the chunks begin (signature, prefix, line endings, 7-bit); returns
// the offset of the first chunk header, or the file's size when there is none.
uint64_t find_first_chunk(Scan& scan);
// Reads the chunks from `at` up to IEND or the end of the file, mending framing.
void walk_chunks(Scan& scan, uint64_t at);
