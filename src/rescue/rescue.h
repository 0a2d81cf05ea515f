// The rescue: a second way into a file, beside the strict load. It reads any
// file (below the same size limit) into a list of chunks and a list of findings,
// never refusing. A finding says where (byte offset), what was found and what is
// proposed, and how sure the proposal is. Only what the chunk's own CRC or
// structure proves is applied unasked; every other proposal waits for the user's
// acceptance. apply_rescue builds the final chunk list; adopt_rescue_result puts
// it into the document as a changed document. No Windows header, no text output:
// the front ends render the findings (rescue_text.h).
#pragma once
#include <stdint.h>

#include "document/chunk_file.h"

enum RescueCertainty {
    RESCUE_BEYOND_DOUBT = 0,  // exactly one explanation, and every check that applies passes
    RESCUE_PROBABLE     = 1,  // an explanation among others, or one nothing can confirm
    RESCUE_NONE         = 2,  // lost for good: only salvage or a report
};

// What a finding is about; each kind has its texts in rescue_texts.h.
enum RescueKind {
    RESCUE_SIGNATURE,         // detail: bytes changed
    RESCUE_PREFIX,            // detail: bytes before the signature
    RESCUE_LINE_ENDINGS,      // detail[0]: RescueLineEndings, [1] chunks restored, [2] not restored
    RESCUE_SEVEN_BIT,         // every high bit cleared: nothing can be restored
    RESCUE_NOT_PNG,           // no signature and no chunk found anywhere
    RESCUE_LENGTH,            // detail: stored length, true length
    RESCUE_TYPE,              // detail: stored type, true type (as words)
    RESCUE_CRC_FIELD,         // detail: stored CRC, computed CRC
    RESCUE_FORCED_CRC,        // detail: stored CRC, computed CRC
    RESCUE_DATA_BYTE,         // detail: position, old value, new value
    RESCUE_BYTE_LOST,         // detail: position, value put back
    RESCUE_BYTE_ADDED,        // detail: position, value taken out
    RESCUE_DAMAGED_CHUNK,     // CRC wrong and nothing explains it; kept as it is
    RESCUE_LOST_REGION,       // detail: bytes lost
    RESCUE_CUT_CHUNK,         // detail: bytes present, bytes declared
    RESCUE_TRUNCATED,         // no IEND: one is added
    RESCUE_STREAM_COMPLETED,  // detail: rows kept, rows of the image
    RESCUE_STREAM_UNREADABLE, // the image data cannot be completed (no valid IHDR)
    RESCUE_CHUNK_NOT_RESTORED,// line endings: this chunk's original bytes were not found
    RESCUE_BOUND_HIT,         // detail: branches tried; the search stopped at its bound
    RESCUE_TRAILING,          // detail: bytes after IEND (kept as file facts, never written)
    RESCUE_CANCELLED,         // the user stopped the search; the rest is as found
    RESCUE_CHUNK_BY_CRC,      // line endings: this chunk's original bytes as its CRC alone has them (probable)
    RESCUE_KIND_COUNT,
};

enum RescueLineEndings {
    RESCUE_LINE_ENDINGS_NONE       = 0,
    RESCUE_CRLF_TURNED_LF          = 1,  // every CR LF became LF: bytes were lost
    RESCUE_LF_TURNED_CRLF          = 2,  // every lone LF became CR LF: bytes were added
};

// Whether a finding's proposal goes into the final chunk list.
enum RescueAccept {
    RESCUE_REFUSED  = 0,
    RESCUE_ACCEPTED = 1,
};

struct RescueFinding {
    uint64_t    offset;       // in the file as read
    int32_t     kind;         // RescueKind
    int32_t     certainty;    // RescueCertainty
    int32_t     chunk;        // index into RescueResult::chunks, -1 for the file
    uint32_t    detail[3];    // numbers for the texts, as the kind says
    int32_t     has_replacement;
    ChunkRecord replacement;  // the chunk as the proposal makes it (owned)
    int32_t     accept;       // RescueAccept; beyond doubt starts accepted, probable refused
};

enum RescueChunkOrigin {
    RESCUE_FROM_FILE = 0,  // bytes of the file (possibly with framing mended)
    RESCUE_ADDED     = 1,  // made by the rescue (IEND after a cut)
};

struct RescueChunkInfo {
    uint64_t offset;      // where its header begins in the file; 0 when added
    int32_t  origin;      // RescueChunkOrigin
    int32_t  dropped_by;  // finding that replaces this chunk by another one when accepted, or -1
    int32_t  added_by;    // finding that brings this added chunk, present only when accepted; or -1
};

enum RescueOutcome {
    RESCUE_INTACT      = 0,  // nothing to mend
    RESCUE_ENTIRE      = 1,  // every fault mended beyond doubt
    RESCUE_PARTIAL     = 2,  // something is lost for good or waits for a decision
    RESCUE_UNREADABLE  = 3,  // nothing could be read (no file, too large, no chunk)
};

struct RescueResult {
    ChunkRecord*     chunks;    // as found, framing mended; each owns its data
    RescueChunkInfo* info;      // one per chunk
    int32_t          chunk_count;
    int32_t          chunk_capacity;
    RescueFinding*   findings;
    int32_t          finding_count;
    int32_t          finding_capacity;
    int32_t          outcome;   // RescueOutcome, from rescue_outcome after a scan
    TrailingBytes    trailing;
    int32_t          out_of_memory;
};

// How a cut image data stream is handed back.
enum RescueStreamMode {
    RESCUE_COMPLETE_STREAM = 0,  // rows that inflate, missing rows as zero bytes, compressed again
    RESCUE_KEEP_CUT_STREAM = 1,  // the IDAT bytes as they were
};

struct RescueOptions {
    int32_t  stream_mode;        // RescueStreamMode: the default acceptance of a completion
    uint32_t branch_limit;       // line-ending search: branches per chunk; 0: the default
    uint32_t time_limit_ms;      // line-ending search: milliseconds overall; 0: the default
};

const uint32_t RESCUE_DEFAULT_BRANCHES = 50000;
const uint32_t RESCUE_DEFAULT_TIME_MS = 1500;

// The search reaches its caller only through this table; every member takes the
// context. A null table (or null members) means no progress, no cancel, no clock.
struct RescuePorts {
    void*    context;
    // How far the scan is, in bytes of the file.
    void     (*progress)(void* context, uint64_t done, uint64_t total);
    // 1 when the user asked to stop.
    int      (*cancelled)(void* context);
    // Milliseconds; may wrap.
    uint32_t (*read_clock)(void* context);
};

// Scans `size` bytes. Never fails: an empty or foreign file gives findings and no
// chunks. The result must be released with release_rescue_result.
void rescue_bytes(const uint8_t* bytes, uint64_t size, const RescueOptions& options, const RescuePorts* ports,
                  RescueResult* result);

enum RescueReadResult {
    RESCUE_READ_OK        = 0,
    RESCUE_READ_NO_FILE   = 1,  // no path, or it cannot be opened
    RESCUE_READ_TOO_LARGE = 2,  // PNG_SIZE_LIMIT bytes or more
    RESCUE_READ_FAILED    = 3,
    RESCUE_READ_NO_MEMORY = 4,
};

// Reads the file through the file layer (no message box) and scans it. Other
// than RESCUE_READ_OK the result stays empty with outcome RESCUE_UNREADABLE.
int rescue_file(const char* path, const RescueOptions& options, const RescuePorts* ports, RescueResult* result);

void release_rescue_result(RescueResult* result);

// The outcome the findings and their acceptance leave.
int32_t rescue_outcome(const RescueResult& result);

// Accepts (or refuses) every probable finding at once; beyond doubt ones stay accepted.
void accept_probable_findings(RescueResult* result, int32_t accept);

// The final chunk list as the acceptance stands: a ChunkDocument of fresh copies
// (loaded 1, changed 1) that the caller owns; 0 when memory runs out.
int apply_rescue(const RescueResult& result, ChunkDocument* out);

// Puts the final chunk list into g_document as a changed document (the save
// question then applies), with the result's trailing bytes as file facts.
// 0 when memory runs out (the document then stays as it was).
int adopt_rescue_result(const RescueResult& result);
