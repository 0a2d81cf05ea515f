#include "rescue_zlib.h"

#include <string.h>
#include <zlib.h>

#include "document/memory.h"
#include "document/zlib_reader.h"

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

// The reader's sink: inflated bytes go on into the deflater, never past the image.
struct Salvage {
    Output*  out;
    uint64_t image_size;
    uint64_t kept;
};

static int32_t salvage_sink(void* context, const uint8_t* bytes, size_t size)
{
    Salvage& salvage = *(Salvage*)context;
    uint64_t room = salvage.image_size - salvage.kept;
    uint64_t take = size < room ? size : room;
    deflate_bytes(*salvage.out, bytes, (uint32_t)take, Z_NO_FLUSH);
    salvage.kept += take;
    return salvage.kept < salvage.image_size && !salvage.out->failed ? ZLIB_SINK_MORE : ZLIB_SINK_STOP;
}

// Inflates the pieces into the output until they end, break or fill the image.
static uint64_t salvage(const StreamPiece* pieces, int32_t count, uint64_t image_size, Output& out)
{
    Salvage salvage = {&out, image_size, 0};
    ZlibReader reader;
    int32_t state = zlib_begin(reader, image_size, salvage_sink, &salvage);
    for (int32_t p = 0; p < count && state == ZLIB_OPEN; p++) state = zlib_feed(reader, pieces[p].bytes, pieces[p].size);
    zlib_end(reader);
    return salvage.kept;
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
