#include "field_zlib.h"

#include <string.h>
#include <zlib.h>

#include "document/memory.h"

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

// Output goes first into the kept buffer, then into a scratch buffer that is only
// counted, so that the size of a large stream is known without holding it.
static int inflate_into(z_stream* stream, uint8_t* kept, size_t keep, uint64_t cap, uint64_t* total)
{
    uint8_t scratch[16384];
    for (;;) {
        if (*total < keep) {
            stream->next_out = kept + *total;
            stream->avail_out = (uInt)(keep - *total > 0x40000000u ? 0x40000000u : keep - *total);
        } else {
            stream->next_out = scratch;
            stream->avail_out = sizeof scratch;
        }
        uInt before = stream->avail_out;
        int status = inflate(stream, Z_NO_FLUSH);
        *total += before - stream->avail_out;
        if (*total > cap) {
            return INFLATE_TOO_LARGE;
        }
        if (status == Z_STREAM_END) {
            return INFLATE_OK;
        }
        if (status == Z_MEM_ERROR) {
            return INFLATE_NO_MEMORY;
        }
        if (status == Z_BUF_ERROR || (status == Z_OK && stream->avail_in == 0 && stream->avail_out != 0)) {
            return INFLATE_TRUNCATED;   // no more input and the stream has not ended
        }
        if (status != Z_OK) {
            return INFLATE_BROKEN;
        }
    }
}

int inflate_capped(const uint8_t* input, size_t count, size_t keep, uint64_t cap, uint8_t** output,
                   uint64_t* total)
{
    *output = nullptr;
    *total = 0;
    uint8_t* kept = (uint8_t*)zero_alloc(keep);
    if (!kept) {
        return INFLATE_NO_MEMORY;
    }
    z_stream stream;
    prepare_stream(&stream, input, count);
    if (inflateInit(&stream) != Z_OK) {
        zero_free(kept);
        return INFLATE_NO_MEMORY;
    }
    int result = inflate_into(&stream, kept, keep, cap, total);
    inflateEnd(&stream);
    *output = kept;
    return result;
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
    if (result == INFLATE_OK) {
        result = inflate_capped(stream.bytes, stream.length, total ? (size_t)total : 1, cap, &bytes, &total);
    }
    if (result != INFLATE_OK) {
        zero_free(bytes);
        return result;
    }
    out->data = bytes;
    out->length = (uint32_t)total;
    return INFLATE_OK;
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
