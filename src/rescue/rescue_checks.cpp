// Lending the result to the repair's checks, and the whole-record check.
#include <string.h>

#include "document/byte_order.h"
#include "repair/repair_search.h"
#include "repair/stream_check.h"
#include "repair/structure_check.h"
#include "rescue_result.h"

DocumentLoan::DocumentLoan(const RescueResult& result, int32_t index_, const ChunkRecord* stand_in)
    : saved(g_document), index(index_), original()
{
    g_document = ChunkDocument{result.chunks, result.chunk_count, 1, 0};
    if (index >= 0 && stand_in) {
        original = result.chunks[index];
        result.chunks[index] = *stand_in;
    } else {
        index = -1;
    }
}

DocumentLoan::~DocumentLoan()
{
    if (index >= 0) g_document.records[index] = original;
    g_document = saved;
}

// An IHDR is borne out by the image data: the IDAT chunks as they stand inflate
// to exactly its rows, every filter byte right. A stream that does not end
// cleanly says nothing either way; one that ends on other rows refutes it.
static int32_t ihdr_check(const RescueResult& result, const ChunkRecord& candidate)
{
    ImageLayout layout;
    if (!layout_from_ihdr(candidate.data, candidate.length, &layout)) return REPAIR_CHECK_FAILED;
    StreamCheck stream;
    stream_begin(stream, &layout, nullptr);
    stream.row_fault_mode = ROW_FAULT_NOTED;
    int fed = 0;
    for (int32_t i = 0; i < result.chunk_count && stream.state == STREAM_OPEN; i++) {
        if (!is_chunk_type(result.chunks[i].type, "IDAT")) continue;
        stream_feed(stream, result.chunks[i].data, result.chunks[i].length);
        fed = 1;
    }
    int32_t check = REPAIR_CHECK_NONE;
    if (fed && stream.state == STREAM_ENDED) {
        check = !stream.row_fault && stream_size_right(stream) ? REPAIR_CHECK_PASSED : REPAIR_CHECK_FAILED;
    }
    stream_finish(stream);
    return check;
}

int32_t record_check(const RescueResult& result, int32_t index, const ChunkRecord& candidate)
{
    if (is_chunk_type(candidate.type, "IHDR")) return ihdr_check(result, candidate);
    int stream_type = is_chunk_type(candidate.type, "IDAT") || is_chunk_type(candidate.type, "zTXt") ||
                      is_chunk_type(candidate.type, "iCCP") || is_chunk_type(candidate.type, "iTXt");
    if (!stream_type || candidate.length == 0) return REPAIR_CHECK_NONE;
    // A change that changes nothing, at the last byte: the repair's check then
    // follows the stream the chunk holds (for IDAT the whole run) and judges it.
    ChunkRecord intact = candidate;
    intact.stored_crc = intact.computed_crc;
    DocumentLoan loan(result, index, &intact);
    uint32_t last = candidate.length - 1;
    RepairCandidate none = {last, candidate.data[last], candidate.data[last], REPAIR_CHECK_NONE};
    return check_repair_candidate(index, none);
}

static const char* const REGISTERED_TYPES[] = {
    "IHDR", "PLTE", "IDAT", "IEND", "tRNS", "cHRM", "gAMA", "iCCP", "sBIT", "sRGB", "cICP", "mDCV",
    "cLLI", "tEXt", "zTXt", "iTXt", "bKGD", "hIST", "pHYs", "sPLT", "eXIf", "tIME", "acTL", "fcTL",
    "fdAT", "oFFs", "pCAL", "sCAL", "sTER", "gIFg", "gIFx", "dSIG",
};

int registered_type(const uint8_t* type)
{
    for (const char* name : REGISTERED_TYPES) {
        if (is_chunk_type(type, name)) return 1;
    }
    return 0;
}

int letters_only(const uint8_t* type)
{
    for (int k = 0; k < 4; k++) {
        uint8_t c = type[k] & 0xDF;
        if (c < 'A' || c > 'Z') return 0;
    }
    return 1;
}
