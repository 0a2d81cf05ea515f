#include "stream_check.h"

#include "document/memory.h"

// zlib takes its memory where the document does, so a failing allocation is
// reported rather than thrown.
static voidpf stream_alloc(voidpf, uInt items, uInt size)
{
    return zero_alloc((size_t)items * size);
}

static void stream_free(voidpf, voidpf block)
{
    zero_free(block);
}

static uint32_t channels_of(uint8_t colour)
{
    switch (colour) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
    }
}

static int depth_allowed(uint8_t depth, uint8_t colour)
{
    switch (colour) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return 0;
    }
}

int layout_image(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour, uint8_t interlace,
                 ImageLayout* out)
{
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu ||
        !depth_allowed(depth, colour) || interlace > 1) {
        return 0;
    }
    // The seven passes start at these columns and rows and step by these amounts.
    static const uint32_t x0[7] = {0, 4, 0, 2, 0, 1, 0}, dx[7] = {8, 8, 4, 4, 2, 2, 1};
    static const uint32_t y0[7] = {0, 0, 4, 0, 2, 0, 1}, dy[7] = {8, 8, 8, 4, 4, 2, 2};
    uint64_t bits = (uint64_t)channels_of(colour) * depth;
    out->passes = interlace ? 7 : 1;
    out->size = 0;
    for (int32_t p = 0; p < out->passes; p++) {
        uint32_t columns = width, rows = height;
        if (interlace) {
            columns = width > x0[p] ? (width - x0[p] + dx[p] - 1) / dx[p] : 0;
            rows = height > y0[p] ? (height - y0[p] + dy[p] - 1) / dy[p] : 0;
        }
        // A pass without columns has no rows either, not even filter bytes.
        out->rows[p] = columns ? rows : 0;
        out->row_bytes[p] = (columns * bits + 7) / 8;
        out->size += out->rows[p] * (1 + out->row_bytes[p]);
    }
    return 1;
}

int layout_from_ihdr(const uint8_t* data, uint32_t length, ImageLayout* out)
{
    if (length != 13 || data[10] != 0 || data[11] != 0) {
        return 0;
    }
    uint32_t width = (uint32_t)data[0] << 24 | (uint32_t)data[1] << 16 | (uint32_t)data[2] << 8 | data[3];
    uint32_t height = (uint32_t)data[4] << 24 | (uint32_t)data[5] << 16 | (uint32_t)data[6] << 8 | data[7];
    return layout_image(width, height, data[8], data[9], data[12], out);
}

void stream_begin(StreamCheck& check, const ImageLayout* layout)
{
    check = StreamCheck();
    check.zlib.zalloc = stream_alloc;
    check.zlib.zfree = stream_free;
    check.layout = layout;
    check.state = inflateInit(&check.zlib) == Z_OK ? STREAM_OPEN : STREAM_NO_MEMORY;
}

void stream_finish(StreamCheck& check)
{
    if (check.state != STREAM_NO_MEMORY) {
        inflateEnd(&check.zlib);
    }
}

// Walks inflated bytes row by row: each row begins with its filter byte (0 to 4),
// and the image has no bytes behind its last row.
static int rows_follow(StreamCheck& check, const uint8_t* bytes, uint64_t size)
{
    const ImageLayout& layout = *check.layout;
    while (size > 0) {
        if (check.left_in_row > 0) {
            uint64_t skip = check.left_in_row < size ? check.left_in_row : size;
            check.left_in_row -= skip;
            bytes += skip;
            size -= skip;
            continue;
        }
        while (check.pass < layout.passes && check.row >= layout.rows[check.pass]) {
            check.pass++;
            check.row = 0;
        }
        if (check.pass >= layout.passes || *bytes > 4) {
            return 0;
        }
        check.row++;
        check.left_in_row = layout.row_bytes[check.pass];
        bytes++;
        size--;
    }
    return 1;
}

int32_t stream_feed(StreamCheck& check, const uint8_t* bytes, uint32_t size)
{
    if (check.state != STREAM_OPEN) {
        // Input behind the end of the stream breaks it; an empty piece changes nothing.
        if (check.state == STREAM_ENDED && size > 0) check.state = STREAM_BROKEN;
        return check.state;
    }
    uint8_t scratch[16384];
    z_stream& z = check.zlib;
    z.next_in = const_cast<Bytef*>(bytes);
    z.avail_in = size;
    do {
        z.next_out = scratch;
        z.avail_out = sizeof scratch;
        int result = inflate(&z, Z_NO_FLUSH);
        uint32_t made = (uint32_t)(sizeof scratch - z.avail_out);
        check.produced += made;
        if (check.layout && !rows_follow(check, scratch, made)) {
            return check.state = STREAM_BROKEN;
        }
        if (check.produced > STREAM_OUTPUT_CAP) {
            return check.state = STREAM_TOO_LONG;
        }
        if (result == Z_STREAM_END) {
            return check.state = z.avail_in > 0 ? STREAM_BROKEN : STREAM_ENDED;
        }
        if (result == Z_MEM_ERROR) {
            return check.state = STREAM_NO_MEMORY;
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            return check.state = STREAM_BROKEN;
        }
        if (result == Z_BUF_ERROR) {
            break;  // everything fed was taken and nothing more can come out
        }
    } while (z.avail_in > 0 || z.avail_out == 0);
    return check.state;
}

int stream_size_right(const StreamCheck& check)
{
    return !check.layout || check.produced == check.layout->size;
}
