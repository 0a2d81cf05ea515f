#include "stream_check.h"

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
        // Rows times row bytes can pass 2^64: compared with what is left below the
        // cap first, the sum stays exact wherever it is kept.
        if (out->size != LAYOUT_BEYOND_CAP && out->rows[p] > 0 &&
            1 + out->row_bytes[p] > (STREAM_OUTPUT_CAP - out->size) / out->rows[p]) {
            out->size = LAYOUT_BEYOND_CAP;
        } else if (out->size != LAYOUT_BEYOND_CAP) {
            out->size += out->rows[p] * (1 + out->row_bytes[p]);
        }
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

int32_t pace_work(CheckPace* pace, uint64_t work, uint64_t interval)
{
    if (!pace) return PACE_GO_ON;
    if (pace->stopped) return PACE_STOP;
    pace->since_serve += work;
    if (pace->since_serve < interval) return PACE_GO_ON;
    pace->since_serve = 0;
    pace->stopped = pace->serve(*pace) == PACE_STOP;
    return pace->stopped ? PACE_STOP : PACE_GO_ON;
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

// The reader's sink: each row's filter byte, and the pace.
static int32_t check_output(void* context, const uint8_t* bytes, size_t size)
{
    StreamCheck& check = *(StreamCheck*)context;
    if (check.layout && !check.row_fault && !rows_follow(check, bytes, size)) {
        if (check.row_fault_mode == ROW_FAULT_STOPS) return ZLIB_SINK_STOP;
        check.row_fault = 1;
    }
    return pace_work(check.pace, size, PACE_STREAM_BYTES) == PACE_STOP ? ZLIB_SINK_STOP : ZLIB_SINK_MORE;
}

void stream_begin(StreamCheck& check, const ImageLayout* layout, CheckPace* pace)
{
    check = StreamCheck();
    check.layout = layout;
    check.pace = pace;
    int32_t state = zlib_begin(check.reader, STREAM_OUTPUT_CAP, check_output, &check);
    check.state = state == ZLIB_OPEN ? STREAM_OPEN : STREAM_NO_MEMORY;
}

int32_t stream_copy(StreamCheck& copy, const StreamCheck& from)
{
    copy = from;  // the rows followed so far; the reader is duplicated over its bitwise copy
    zlib_copy(copy.reader, from.reader);
    zlib_set_sink(copy.reader, check_output, &copy);
    if (copy.reader.state == ZLIB_NO_MEMORY) copy.state = STREAM_NO_MEMORY;
    return copy.state;
}

void stream_finish(StreamCheck& check)
{
    zlib_end(check.reader);
}

int32_t stream_feed(StreamCheck& check, const uint8_t* bytes, uint32_t size)
{
    if (check.state != STREAM_OPEN && check.state != STREAM_ENDED) {
        return check.state;
    }
    // Input behind the end of the stream breaks it; an empty piece changes nothing.
    switch (zlib_feed(check.reader, bytes, size)) {
    case ZLIB_OPEN: check.state = STREAM_OPEN; break;
    case ZLIB_ENDED: check.state = STREAM_ENDED; break;
    case ZLIB_TOO_LONG: check.state = STREAM_TOO_LONG; break;
    case ZLIB_NO_MEMORY: check.state = STREAM_NO_MEMORY; break;
    case ZLIB_REFUSED: check.state = check.pace && check.pace->stopped ? STREAM_STOPPED : STREAM_BROKEN; break;
    default: check.state = STREAM_BROKEN; break;  // broken, or bytes behind its end
    }
    check.produced = zlib_produced(check.reader);
    return check.state;
}

int stream_size_right(const StreamCheck& check)
{
    return !check.layout || check.produced == check.layout->size;
}
