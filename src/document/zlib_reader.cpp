#include "zlib_reader.h"

#include <string.h>

#include "memory.h"

// zlib takes its memory where the document does, so a failing allocation is
// reported rather than thrown.
static voidpf reader_alloc(voidpf, uInt items, uInt size)
{
    if (size != 0 && items > (size_t)-1 / size) return Z_NULL;
    return zero_alloc((size_t)items * size);
}

static void reader_free(voidpf, voidpf block)
{
    zero_free(block);
}

int32_t zlib_begin(ZlibReader& reader, uint64_t cap, ZlibSink sink, void* sink_context)
{
    memset(&reader, 0, sizeof reader);
    reader.zlib.zalloc = reader_alloc;
    reader.zlib.zfree = reader_free;
    reader.cap = cap;
    reader.sink = sink;
    reader.sink_context = sink_context;
    reader.state = inflateInit(&reader.zlib) == Z_OK ? ZLIB_OPEN : ZLIB_NO_MEMORY;
    return reader.state;
}

// Hands what one inflate call made to the sink, no further than the cap.
static void take_output(ZlibReader& reader, const uint8_t* bytes, size_t made)
{
    uint64_t room = reader.cap - reader.produced;
    size_t passed = made > room ? (size_t)room : made;
    reader.produced += made;
    if (passed > 0 && reader.sink && reader.sink(reader.sink_context, bytes, passed) == ZLIB_SINK_STOP) {
        reader.state = ZLIB_REFUSED;
    } else if (made > room) {
        reader.state = ZLIB_TOO_LONG;
    }
}

// Inflates the input in `reader.zlib` until it is all taken or the stream ends.
// The output buffer never offers more than one byte past the cap.
static void inflate_input(ZlibReader& reader)
{
    uint8_t scratch[16384];
    z_stream& z = reader.zlib;
    while (reader.state == ZLIB_OPEN) {
        uint64_t room = reader.cap - reader.produced;
        z.next_out = scratch;
        z.avail_out = room < sizeof scratch ? (uInt)room + 1 : (uInt)sizeof scratch;
        uInt offered = z.avail_out;
        int result = inflate(&z, Z_NO_FLUSH);
        take_output(reader, scratch, offered - z.avail_out);
        if (reader.state != ZLIB_OPEN) return;
        if (result == Z_STREAM_END) {
            reader.trailing = z.avail_in;
            reader.state = z.avail_in > 0 ? ZLIB_TRAILING : ZLIB_ENDED;
        } else if (result == Z_MEM_ERROR) {
            reader.state = ZLIB_NO_MEMORY;
        } else if (result == Z_BUF_ERROR || (result == Z_OK && z.avail_out > 0)) {
            return;  // everything fed was taken and nothing more can come out of it
        } else if (result != Z_OK) {
            reader.state = ZLIB_BROKEN;  // bad data, a wrong checksum or a preset dictionary
        }
    }
}

int32_t zlib_feed(ZlibReader& reader, const uint8_t* bytes, size_t size)
{
    if (reader.state == ZLIB_ENDED || reader.state == ZLIB_TRAILING) {
        reader.trailing += size;
        if (size > 0) reader.state = ZLIB_TRAILING;
        return reader.state;
    }
    // zlib counts its input in 32 bits: a larger piece goes in parts.
    while (reader.state == ZLIB_OPEN && size > 0) {
        uInt part = size > 0x40000000u ? 0x40000000u : (uInt)size;
        reader.zlib.next_in = const_cast<Bytef*>(bytes);
        reader.zlib.avail_in = part;
        inflate_input(reader);
        bytes += part;
        size -= part;
        if (reader.state == ZLIB_TRAILING) reader.trailing += size;
    }
    reader.zlib.next_in = Z_NULL;
    reader.zlib.avail_in = 0;
    return reader.state;
}

int32_t zlib_copy(ZlibReader& copy, const ZlibReader& from)
{
    // The cap, the counts and the sink as they are; zlib's state duplicated below.
    memcpy(&copy, &from, sizeof copy);
    memset(&copy.zlib, 0, sizeof copy.zlib);
    copy.zlib.zalloc = reader_alloc;
    copy.zlib.zfree = reader_free;
    if (from.state == ZLIB_NO_MEMORY || inflateCopy(&copy.zlib, const_cast<z_stream*>(&from.zlib)) != Z_OK) {
        memset(&copy.zlib, 0, sizeof copy.zlib);
        copy.state = ZLIB_NO_MEMORY;
    }
    return copy.state;
}

void zlib_set_sink(ZlibReader& reader, ZlibSink sink, void* sink_context)
{
    reader.sink = sink;
    reader.sink_context = sink_context;
}

uint64_t zlib_produced(const ZlibReader& reader)
{
    return reader.produced;
}

void zlib_end(ZlibReader& reader)
{
    // A stream zlib never set up has no state and is refused harmlessly.
    if (reader.zlib.state) inflateEnd(&reader.zlib);
    memset(&reader.zlib, 0, sizeof reader.zlib);
}

int32_t zlib_keep_head(void* context, const uint8_t* bytes, size_t size)
{
    ZlibHead& head = *(ZlibHead*)context;
    size_t room = head.capacity - head.kept;
    size_t taken = size < room ? size : room;
    if (taken > 0) memcpy(head.bytes + head.kept, bytes, taken);
    head.kept += taken;
    return ZLIB_SINK_MORE;
}
