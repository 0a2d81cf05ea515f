#include "field_zlib.h"

#include <string.h>
#include <zlib.h>

#include "document/memory.h"
#include "document/zlib_reader.h"

static voidpf zlib_alloc(voidpf, uInt items, uInt size)
{
    return zero_alloc((size_t)items * size);
}

static void zlib_free(voidpf, voidpf block)
{
    zero_free(block);
}

static void prepare_stream(z_stream* stream, const uint8_t* input, size_t count)
{
    memset(stream, 0, sizeof *stream);
    stream->zalloc = zlib_alloc;
    stream->zfree = zlib_free;
    stream->next_in = (Bytef*)input;
    stream->avail_in = (uInt)(count > 0xFFFFFFFFu ? 0xFFFFFFFFu : count);
}

int inflate_capped(const uint8_t* input, size_t count, size_t keep, uint64_t cap, uint8_t** output,
                   uint64_t* total, uint64_t* trailing)
{
    *output = nullptr;
    *total = 0;
    ZlibHead head = {(uint8_t*)zero_alloc(keep), keep, 0};
    if (!head.bytes) {
        return INFLATE_NO_MEMORY;
    }
    ZlibReader reader;
    zlib_begin(reader, cap, zlib_keep_head, &head);
    int32_t state = zlib_feed(reader, input, count);
    *total = zlib_produced(reader);
    if (trailing) *trailing = reader.trailing;
    zlib_end(reader);
    *output = head.bytes;
    switch (state) {
    case ZLIB_ENDED: return INFLATE_OK;
    case ZLIB_TRAILING: return INFLATE_TRAILING;
    case ZLIB_OPEN: return INFLATE_TRUNCATED;  // no more input and the stream has not ended
    case ZLIB_TOO_LONG: return INFLATE_TOO_LARGE;
    case ZLIB_NO_MEMORY: return INFLATE_NO_MEMORY;
    default: return INFLATE_BROKEN;
    }
}

// The first pass only counts; the second keeps exactly what the stream holds.
int decompress_field(const FieldSpan& stream, uint32_t cap, FieldBytes* out)
{
    out->data = nullptr;
    out->length = 0;
    uint64_t total = 0;
    uint8_t* bytes = nullptr;
    int result = inflate_capped(stream.bytes, stream.length, 1, cap, &bytes, &total);
    zero_free(bytes);
    bytes = nullptr;
    if (result == INFLATE_OK || result == INFLATE_TRAILING) {
        result = inflate_capped(stream.bytes, stream.length, total ? (size_t)total : 1, cap, &bytes, &total);
    }
    if (result != INFLATE_OK && result != INFLATE_TRAILING) {
        zero_free(bytes);
        return result;
    }
    out->data = bytes;
    out->length = (uint32_t)total;
    return result;
}

int compress_field(const uint8_t* bytes, uint32_t count, CompressLevel level, FieldBytes* out)
{
    out->data = nullptr;
    out->length = 0;
    z_stream stream;
    prepare_stream(&stream, bytes, count);
    if (deflateInit(&stream, (int)level) != Z_OK) {
        return 0;
    }
    uLong bound = deflateBound(&stream, count);
    uint8_t* buffer = bound <= 0xFFFFFFFFu ? (uint8_t*)zero_alloc(bound) : nullptr;
    stream.next_out = buffer;
    stream.avail_out = (uInt)bound;
    int status = buffer ? deflate(&stream, Z_FINISH) : Z_MEM_ERROR;
    uint32_t written = (uint32_t)stream.total_out;
    deflateEnd(&stream);
    if (status != Z_STREAM_END) {
        zero_free(buffer);
        return 0;
    }
    out->data = buffer;
    out->length = written;
    return 1;
}
