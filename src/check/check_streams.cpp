// The compressed streams: the image data of the IDAT run, with its rows when IHDR
// lays them out, and the streams of zTXt, compressed iTXt and iCCP. Each is
// followed to its end; its bytes are counted and thrown away.
#include <string.h>

#include "check_image.h"
#include "document/byte_order.h"
#include "document/chunk_file.h"
#include "repair/stream_check.h"

namespace {

// Feeds every piece, up to the first that breaks the stream or goes past the cap.
int32_t feed_pieces(StreamCheck& stream, const StreamPieces& pieces)
{
    for (int32_t i = pieces.first; i < pieces.end && stream.state != STREAM_BROKEN; i++) {
        const ChunkRecord& record = g_document.records[i];
        if (type_word(record.type) != pieces.type || record.length <= pieces.skip) continue;
        stream_feed(stream, record.data + pieces.skip, record.length - pieces.skip);
        if (stream.state == STREAM_TOO_LONG || stream.state == STREAM_NO_MEMORY) break;
    }
    return stream.state;
}

// Rows the image does not have: more rows than it has when the stream, followed to
// its end past the fault, ended cleanly and is longer than the image; otherwise a
// bad filter byte.
int32_t rows_rule(const StreamCheck& stream, const ImageLayout& layout)
{
    int32_t state = stream.reader.state;
    if ((state == ZLIB_ENDED || state == ZLIB_TRAILING) && stream.produced > layout.size) return RULE_IMAGE_SIZE;
    return RULE_FILTER_TYPE;
}

int32_t broken_rule(const StreamCheck& stream)
{
    const z_stream& z = stream.reader.zlib;
    if (stream.reader.state == ZLIB_TRAILING) return RULE_STREAM_TRAILING;
    if (z.msg && strcmp(z.msg, "incorrect data check") == 0) return RULE_STREAM_ADLER;
    return RULE_STREAM_BROKEN;
}

uint32_t clamp32(uint64_t value)
{
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)value;
}

}  // namespace

void check_stream(const StreamPieces& pieces, StreamRows rows, uint32_t width, uint32_t height,
                  StreamBudget* budget, FindingList* out)
{
    if (budget->left == 0) {
        const uint8_t* type = g_document.records[pieces.first].type;
        if (!budget->told) add_finding(out, RULE_STREAM_BUDGET, pieces.first, type, (uint32_t)(CHECK_STREAM_BUDGET >> 20));
        budget->told = 1;
        return;
    }
    ImageFacts facts = image_facts();
    ImageLayout image;
    const ImageLayout* layout = nullptr;
    if (rows == ROWS_OF_IMAGE && facts.valid &&
        layout_image(width, height, facts.depth, facts.colour, facts.interlace, &image)) {
        layout = &image;
    }
    // A row fault is noted and the stream followed on, so that its size and state
    // come from this one inflation.
    StreamCheck stream;
    stream_begin(stream, layout, nullptr);
    stream.row_fault_mode = ROW_FAULT_NOTED;
    int32_t state = stream.state == STREAM_OPEN ? feed_pieces(stream, pieces) : stream.state;
    uint64_t produced = stream.produced;
    int32_t rule = -1;
    if (state == STREAM_BROKEN) rule = broken_rule(stream);
    if (state == STREAM_OPEN) rule = RULE_STREAM_SHORT;
    if (state == STREAM_TOO_LONG) rule = RULE_STREAM_TOO_LONG;
    if (state == STREAM_NO_MEMORY) rule = RULE_STREAM_NO_MEMORY;
    if (state == STREAM_ENDED && !stream_size_right(stream)) rule = RULE_IMAGE_SIZE;
    if (stream.row_fault) rule = rows_rule(stream, *layout);
    budget->left -= stream.produced < budget->left ? stream.produced : budget->left;
    stream_finish(stream);
    if (rule < 0) return;
    const uint8_t* type = g_document.records[pieces.first].type;
    uint32_t first = rule == RULE_STREAM_TOO_LONG ? (uint32_t)(STREAM_OUTPUT_CAP >> 20) : clamp32(produced);
    add_finding(out, rule, pieces.first, type, first, layout ? clamp32(layout->size) : 0);
}

namespace {

void check_text_streams(FindingList* out, StreamBudget* budget)
{
    for (int32_t i = 0; i < g_document.count; i++) {
        uint32_t word = type_word(g_document.records[i].type);
        if (word != type_word("zTXt") && word != type_word("iTXt") && word != type_word("iCCP")) continue;
        uint32_t start = 0, length = 0;
        if (!compressed_part(i, &start, &length)) continue;
        StreamPieces pieces = {i, i + 1, word, start};
        if (length == 0) add_finding(out, RULE_STREAM_SHORT, i, g_document.records[i].type);
        else check_stream(pieces, ROWS_UNKNOWN, 0, 0, budget, out);
    }
}

}  // namespace

void check_streams(FindingList* out, StreamBudget* budget)
{
    int32_t first = -1;
    for (int32_t i = 0; i < g_document.count && first < 0; i++) {
        if (type_word(g_document.records[i].type) == type_word("IDAT")) first = i;
    }
    if (first >= 0) {
        ImageFacts facts = image_facts();
        StreamPieces pieces = {first, g_document.count, type_word("IDAT"), 0};
        check_stream(pieces, ROWS_OF_IMAGE, facts.width, facts.height, budget, out);
    }
    check_text_streams(out, budget);
}
