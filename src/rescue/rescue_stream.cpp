// The image data after the walk: when the IDAT stream no longer inflates to the
// end of the image, the rows that still inflate are kept, the missing ones added
// as zero bytes, and the whole compressed again (or, if the user wishes, the
// IDAT bytes stay as they were).
#include "rescue_stream.h"

#include <string.h>

#include "document/byte_order.h"
#include "document/crc32.h"
#include "document/memory.h"
#include "repair/stream_check.h"
#include "rescue_zlib.h"

// The version of chunk `index` the acceptance chooses as it stands now.
static const ChunkRecord& current(const RescueResult& result, int32_t index)
{
    for (int32_t i = 0; i < result.finding_count; i++) {
        const RescueFinding& finding = result.findings[i];
        if (finding.chunk == index && finding.has_replacement && finding.accept == RESCUE_ACCEPTED) {
            return finding.replacement;
        }
    }
    return result.chunks[index];
}

static int image_layout(const RescueResult& result, ImageLayout* layout)
{
    for (int32_t i = 0; i < result.chunk_count; i++) {
        const ChunkRecord& record = current(result, i);
        if (is_chunk_type(record.type, "IHDR")) return layout_from_ihdr(record.data, record.length, layout);
    }
    return 0;
}

// Complete rows within the first `bytes` inflated bytes, over every pass.
static uint32_t rows_within(const ImageLayout& layout, uint64_t bytes)
{
    uint64_t rows = 0;
    for (int32_t p = 0; p < layout.passes; p++) {
        uint64_t row = 1 + layout.row_bytes[p];
        uint64_t whole = bytes / row < layout.rows[p] ? bytes / row : layout.rows[p];
        rows += whole;
        if (whole < layout.rows[p]) break;
        bytes -= whole * row;
    }
    return rows > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)rows;
}

static uint32_t all_rows(const ImageLayout& layout)
{
    return rows_within(layout, layout.size);
}

// The IDAT chunks in order, as the acceptance chooses them; how many.
static int32_t idat_pieces(const RescueResult& result, StreamPiece* pieces, int32_t* indices)
{
    int32_t count = 0;
    for (int32_t i = 0; i < result.chunk_count; i++) {
        const ChunkRecord& record = current(result, i);
        if (!is_chunk_type(record.type, "IDAT")) continue;
        pieces[count] = StreamPiece{record.data, record.length};
        indices[count++] = i;
    }
    return count;
}

// `layout` may be null: the stream is then only followed to its end.
static int stream_whole(const StreamPiece* pieces, int32_t count, const ImageLayout* layout)
{
    StreamCheck check;
    stream_begin(check, layout, nullptr);
    for (int32_t k = 0; k < count; k++) stream_feed(check, pieces[k].bytes, pieces[k].size);
    int whole = check.state == STREAM_ENDED && stream_size_right(check);
    stream_finish(check);
    return whole;
}

static void offer_completion(RescueResult* result, const StreamPiece* pieces, const int32_t* indices,
                             int32_t count, const ImageLayout& layout, int32_t mode)
{
    CompletedStream completed;
    if (!complete_stream(pieces, count, layout.size, &completed)) {
        result->out_of_memory = 1;
        return;
    }
    RescueFinding finding = file_finding(RESCUE_STREAM_COMPLETED, RESCUE_NONE, result->info[indices[0]].offset,
                                         rows_within(layout, completed.kept), all_rows(layout));
    finding.chunk = indices[0];
    finding.has_replacement = 1;
    finding.replacement = result->chunks[indices[0]];
    finding.replacement.data = completed.bytes;
    finding.replacement.length = completed.size;
    finding.replacement.computed_crc = chunk_crc(finding.replacement);
    finding.replacement.stored_crc = finding.replacement.computed_crc;
    int32_t added = add_finding(result, finding);
    if (added < 0) return;
    result->findings[added].accept = mode == RESCUE_KEEP_CUT_STREAM ? RESCUE_REFUSED : RESCUE_ACCEPTED;
    for (int32_t k = 1; k < count; k++) result->info[indices[k]].dropped_by = added;
}

// The first chunk that is IEND, or is made IEND by a fix; the count when none is.
static int32_t first_iend(const RescueResult& result)
{
    for (int32_t i = 0; i < result.chunk_count; i++) {
        if (is_chunk_type(result.chunks[i].type, "IEND")) return i;
        for (int32_t f = 0; f < result.finding_count; f++) {
            const RescueFinding& finding = result.findings[f];
            if (finding.chunk == i && finding.has_replacement && is_chunk_type(finding.replacement.type, "IEND")) {
                return i;
            }
        }
    }
    return result.chunk_count;
}

// Moves the last chunk in front of chunk `at`; findings follow their chunks.
static void move_last_to(RescueResult* result, int32_t at)
{
    int32_t last = result->chunk_count - 1;
    ChunkRecord record = result->chunks[last];
    RescueChunkInfo info = result->info[last];
    memmove(result->chunks + at + 1, result->chunks + at, (size_t)(last - at) * sizeof(ChunkRecord));
    memmove(result->info + at + 1, result->info + at, (size_t)(last - at) * sizeof(RescueChunkInfo));
    result->chunks[at] = record;
    result->info[at] = info;
    for (int32_t f = 0; f < result->finding_count; f++) {
        int32_t& chunk = result->findings[f].chunk;
        if (chunk == last) chunk = at;
        else if (chunk >= at) chunk++;
    }
}

// Damage took every IDAT chunk, or the file ends before the first: an image of
// filter-0 zero rows stands in for it, in front of IEND, so that the chunks kept
// still make a file every viewer shows.
static void replace_lost_image_data(RescueResult* result, const ImageLayout& layout, int32_t mode)
{
    int lost = first_iend(*result) == result->chunk_count;
    for (int32_t f = 0; f < result->finding_count; f++) {
        lost |= result->findings[f].kind == RESCUE_LOST_REGION || result->findings[f].kind == RESCUE_CUT_CHUNK;
    }
    CompletedStream completed;
    if (!lost || layout.size > STREAM_OUTPUT_CAP) return;
    if (!complete_stream(nullptr, 0, layout.size, &completed)) {
        result->out_of_memory = 1;
        return;
    }
    ChunkRecord record;
    int made = make_record((const uint8_t*)"IDAT", completed.bytes, completed.size, 0, &record);
    zero_free(completed.bytes);
    if (!made) return;
    record.stored_crc = record.computed_crc;
    int32_t chunk = add_chunk(result, record, 0, RESCUE_ADDED);
    if (chunk < 0) return;
    RescueFinding finding = file_finding(RESCUE_STREAM_COMPLETED, RESCUE_NONE, 0, 0, all_rows(layout));
    finding.chunk = chunk;
    int32_t added = add_finding(result, finding);
    if (added < 0) return;
    result->findings[added].accept = mode == RESCUE_KEEP_CUT_STREAM ? RESCUE_REFUSED : RESCUE_ACCEPTED;
    result->info[chunk].added_by = added;
    int32_t iend = first_iend(*result);
    if (iend < chunk) move_last_to(result, iend);
}

void complete_image_data(RescueResult* result, int32_t mode)
{
    // A fix may make IDAT of a chunk that is not: room for every chunk.
    int32_t count = result->chunk_count;
    if (count == 0) return;
    StreamPiece* pieces = (StreamPiece*)zero_alloc((size_t)count * sizeof(StreamPiece));
    int32_t* indices = (int32_t*)zero_alloc((size_t)count * sizeof(int32_t));
    ImageLayout layout;
    if (!pieces || !indices) {
        result->out_of_memory = 1;
    } else if (!image_layout(*result, &layout)) {
        count = idat_pieces(*result, pieces, indices);
        if (count > 0 && !stream_whole(pieces, count, nullptr)) {
            add_finding(result, file_finding(RESCUE_STREAM_UNREADABLE, RESCUE_NONE, result->info[indices[0]].offset));
        }
    } else {
        count = idat_pieces(*result, pieces, indices);
        if (count == 0) replace_lost_image_data(result, layout, mode);
        // An image larger than the repair ever follows is not made up of zeros either.
        if (count > 0 && !stream_whole(pieces, count, &layout)) {
            if (layout.size <= STREAM_OUTPUT_CAP) {
                offer_completion(result, pieces, indices, count, layout, mode);
            } else {
                add_finding(result, file_finding(RESCUE_STREAM_UNREADABLE, RESCUE_NONE, result->info[indices[0]].offset));
            }
        }
    }
    zero_free(pieces);
    zero_free(indices);
}
