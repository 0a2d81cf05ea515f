// The compressed streams: the image data of the IDAT run, with its rows when IHDR
// lays them out, and the streams of zTXt, compressed iTXt and iCCP. Each is
// followed to its end; its bytes are counted and thrown away.
#include <string.h>

#include "check_image.h"
#include "document/byte_order.h"
#include "document/chunk_file.h"
#include "repair/stream_check.h"

namespace {

// Feeds every piece; *before_last receives the state in which the last non-empty
// piece found the stream (input after an ended stream breaks it).
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

// A broken stream that zlib itself did not fault: input behind its end, or
// (with rows) a bad filter byte or more rows than the image has.
int32_t unexplained_break(const StreamPieces& pieces, const ImageLayout* layout, uint64_t* produced)
{
    if (!layout) return RULE_STREAM_TRAILING;
    StreamCheck plain;
    stream_begin(plain, nullptr);
    int32_t state = feed_pieces(plain, pieces);
    *produced = plain.produced;
    stream_finish(plain);
    if (state == STREAM_ENDED) return plain.produced > layout->size ? RULE_IMAGE_SIZE : RULE_FILTER_TYPE;
    return state == STREAM_BROKEN ? RULE_STREAM_TRAILING : RULE_FILTER_TYPE;
}

int32_t broken_rule(const StreamCheck& stream, const StreamPieces& pieces, const ImageLayout* layout,
                    uint64_t* produced)
{
    if (stream.zlib.msg && strcmp(stream.zlib.msg, "incorrect data check") == 0) return RULE_STREAM_ADLER;
    if (stream.zlib.msg) return RULE_STREAM_BROKEN;
    return unexplained_break(pieces, layout, produced);
}

uint32_t clamp32(uint64_t value)
{
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)value;
}

}  // namespace

void check_stream(const StreamPieces& pieces, StreamRows rows, uint32_t width, uint32_t height, FindingList* out)
{
    ImageFacts facts = image_facts();
    ImageLayout image;
    const ImageLayout* layout = nullptr;
    if (rows == ROWS_OF_IMAGE && facts.valid &&
        layout_image(width, height, facts.depth, facts.colour, facts.interlace, &image)) {
        layout = &image;
    }
    StreamCheck stream;
    stream_begin(stream, layout);
    int32_t state = stream.state == STREAM_OPEN ? feed_pieces(stream, pieces) : stream.state;
    uint64_t produced = stream.produced;
    int32_t rule = -1;
    if (state == STREAM_BROKEN) rule = broken_rule(stream, pieces, layout, &produced);
    if (state == STREAM_OPEN) rule = RULE_STREAM_SHORT;
    if (state == STREAM_TOO_LONG) rule = RULE_STREAM_TOO_LONG;
    if (state == STREAM_NO_MEMORY) rule = RULE_STREAM_NO_MEMORY;
    if (state == STREAM_ENDED && !stream_size_right(stream)) rule = RULE_IMAGE_SIZE;
    stream_finish(stream);
    if (rule < 0) return;
    const uint8_t* type = g_document.records[pieces.first].type;
    uint32_t first = rule == RULE_STREAM_TOO_LONG ? (uint32_t)(STREAM_OUTPUT_CAP >> 20) : clamp32(produced);
    add_finding(out, rule, pieces.first, type, first, layout ? clamp32(layout->size) : 0);
}

namespace {

// Where the zlib stream of a zTXt, iTXt or iCCP starts, or 0 when it has none
// (an uncompressed iTXt) or when its header does not hold together; a method
// other than zlib's is told.
uint32_t stream_start(int32_t i, FindingList* out)
{
    const ChunkRecord& record = g_document.records[i];
    const uint8_t* end = (const uint8_t*)memchr(record.data, 0, record.length);
    if (!end) return 0;
    uint32_t at = (uint32_t)(end - record.data) + 1;
    int itxt = type_word(record.type) == type_word("iTXt");
    if (itxt) {
        if (at + 2 > record.length || record.data[at] != 1) return 0;
        at++;
    }
    if (at >= record.length) return 0;
    if (record.data[at] != 0) {
        add_finding(out, RULE_COMPRESSION_METHOD, i, record.type, record.data[at]);
        return 0;
    }
    at++;
    // iTXt: the language tag and the translated keyword, each ended by a zero byte.
    for (int k = 0; itxt && k < 2; k++) {
        const uint8_t* zero = at < record.length ? (const uint8_t*)memchr(record.data + at, 0, record.length - at) : nullptr;
        if (!zero) return 0;
        at = (uint32_t)(zero - record.data) + 1;
    }
    return at;
}

void check_text_streams(FindingList* out)
{
    for (int32_t i = 0; i < g_document.count; i++) {
        uint32_t word = type_word(g_document.records[i].type);
        if (word != type_word("zTXt") && word != type_word("iTXt") && word != type_word("iCCP")) continue;
        uint32_t start = stream_start(i, out);
        if (start == 0) continue;
        StreamPieces pieces = {i, i + 1, word, start};
        if (start == g_document.records[i].length) add_finding(out, RULE_STREAM_SHORT, i, g_document.records[i].type);
        else check_stream(pieces, ROWS_UNKNOWN, 0, 0, out);
    }
}

}  // namespace

void check_streams(FindingList* out)
{
    int32_t first = -1;
    for (int32_t i = 0; i < g_document.count && first < 0; i++) {
        if (type_word(g_document.records[i].type) == type_word("IDAT")) first = i;
    }
    if (first >= 0) {
        ImageFacts facts = image_facts();
        StreamPieces pieces = {first, g_document.count, type_word("IDAT"), 0};
        check_stream(pieces, ROWS_OF_IMAGE, facts.width, facts.height, out);
    }
    check_text_streams(out);
}
