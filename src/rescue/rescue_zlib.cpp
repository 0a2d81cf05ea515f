#include "rescue_zlib.h"

#include <string.h>
#include <zlib.h>

#include "document/memory.h"

int copy_stream_check(StreamCheck& to, const StreamCheck& from)
{
    if (from.state == STREAM_NO_MEMORY) {
        to = from;
        return 1;
    }
    return stream_copy(to, from) != STREAM_NO_MEMORY;
}

static voidpf completion_alloc(voidpf, uInt items, uInt size)
{
    return zero_alloc((size_t)items * size);
}

static void completion_free(voidpf, voidpf block)
{
    zero_free(block);
}

// The compressed output, grown as deflate fills it.
struct Output {
    z_stream zlib;
    uint8_t* bytes;
    uint64_t size;
    uint64_t capacity;
    int      failed;
};

static void deflate_bytes(Output& out, const uint8_t* bytes, uint32_t size, int flush)
{
    out.zlib.next_in = const_cast<Bytef*>(bytes);
    out.zlib.avail_in = size;
    do {
        if (out.capacity - out.size < 65536) {
            uint64_t wanted = out.capacity * 2 + 65536;
            uint8_t* bigger = wanted < 0xFFFFFFFFu ? (uint8_t*)zero_alloc((size_t)wanted) : nullptr;
            if (!bigger) {
                out.failed = 1;
                return;
            }
            if (out.bytes) memcpy(bigger, out.bytes, (size_t)out.size);
            zero_free(out.bytes);
            out.bytes = bigger;
            out.capacity = wanted;
        }
        out.zlib.next_out = out.bytes + out.size;
        out.zlib.avail_out = (uInt)(out.capacity - out.size);
        int result = deflate(&out.zlib, flush);
        out.size = out.capacity - out.zlib.avail_out;
        if (result == Z_STREAM_END) return;
        if (result != Z_OK && result != Z_BUF_ERROR) {
            out.failed = 1;
            return;
        }
    } while (out.zlib.avail_in > 0 || (flush == Z_FINISH) || out.zlib.avail_out == 0);
}

// Inflates the pieces into the output until they end, break or fill the image.
static uint64_t salvage(const StreamPiece* pieces, int32_t count, uint64_t image_size, Output& out)
{
    z_stream in = {};
    in.zalloc = completion_alloc;
    in.zfree = completion_free;
    if (inflateInit(&in) != Z_OK) return 0;
    uint8_t scratch[16384];
    uint64_t kept = 0;
    int going = 1;
    for (int32_t p = 0; p < count && going && !out.failed; p++) {
        in.next_in = const_cast<Bytef*>(pieces[p].bytes);
        in.avail_in = pieces[p].size;
        while (going && in.avail_in > 0 && !out.failed) {
            in.next_out = scratch;
            in.avail_out = sizeof scratch;
            int result = inflate(&in, Z_NO_FLUSH);
            uint64_t made = sizeof scratch - in.avail_out;
            if (made > image_size - kept) made = image_size - kept;
            deflate_bytes(out, scratch, (uint32_t)made, Z_NO_FLUSH);
            kept += made;
            going = (result == Z_OK || result == Z_BUF_ERROR) && kept < image_size && made + in.avail_in > 0;
        }
    }
    inflateEnd(&in);
    return kept;
}

int complete_stream(const StreamPiece* pieces, int32_t count, uint64_t image_size, CompletedStream* out)
{
    *out = CompletedStream{nullptr, 0, 0};
    Output output = {};
    output.zlib.zalloc = completion_alloc;
    output.zlib.zfree = completion_free;
    if (deflateInit(&output.zlib, Z_DEFAULT_COMPRESSION) != Z_OK) return 0;
    out->kept = salvage(pieces, count, image_size, output);
    static const uint8_t zeros[16384] = {0};
    for (uint64_t left = image_size - out->kept; left > 0 && !output.failed;) {
        uint32_t part = left < sizeof zeros ? (uint32_t)left : (uint32_t)sizeof zeros;
        deflate_bytes(output, zeros, part, Z_NO_FLUSH);
        left -= part;
    }
    deflate_bytes(output, nullptr, 0, Z_FINISH);
    deflateEnd(&output.zlib);
    if (output.failed || output.size > 0x7FFFFFFFu) {
        zero_free(output.bytes);
        return 0;
    }
    out->bytes = output.bytes;
    out->size = (uint32_t)output.size;
    return 1;
}
