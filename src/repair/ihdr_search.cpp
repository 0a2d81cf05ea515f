#include "ihdr_search.h"

#include <string.h>

#include "crc_difference.h"
#include "document/byte_order.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "structure_check.h"

// The CRC of IHDR is affine in its data: CRC(w, h) = CRC(0, 0) ^ Hw(w) ^ Hh(h), where
// Hw and Hh carry the register differences of the width bytes (data 0-3) and of
// the height bytes (4-7) through the rest of the 13 bytes. Hw maps a four-byte
// window one to one, so it can be inverted once (Gauss-Jordan over GF(2)); then
// for every height the one matching width is w0 ^ G(h) with w0 = Hw^-1(stored ^
// CRC(0, 0)) and G = Hw^-1 . Hh, read from four byte tables.

struct DimensionAlgebra {
    uint32_t byte_effect[8][256];  // the CRC difference of value b at data byte k
    uint32_t inverse[32];          // Hw^-1 of each unit vector
    uint32_t height_table[4][256]; // G, byte by byte of the height
};

static void build_byte_effects(DimensionAlgebra& algebra)
{
    for (uint32_t k = 0; k < 8; k++) {
        for (uint32_t b = 0; b < 256; b++) {
            uint32_t difference = g_crc_table[b];
            for (uint32_t later = k + 1; later < 13; later++) difference = zero_step(difference);
            algebra.byte_effect[k][b] = difference;
        }
    }
}

static uint32_t width_effect(const DimensionAlgebra& algebra, uint32_t width)
{
    return algebra.byte_effect[0][width >> 24] ^ algebra.byte_effect[1][(width >> 16) & 0xFF] ^
           algebra.byte_effect[2][(width >> 8) & 0xFF] ^ algebra.byte_effect[3][width & 0xFF];
}

// Inverts Hw; 0 if it were singular (it is not for CRC-32).
static int invert_width_effect(DimensionAlgebra& algebra)
{
    uint32_t image[32], source[32];
    for (int j = 0; j < 32; j++) {
        image[j] = width_effect(algebra, 1u << j);
        source[j] = 1u << j;
    }
    for (int bit = 0; bit < 32; bit++) {
        int pivot = bit;
        while (pivot < 32 && !(image[pivot] >> bit & 1)) pivot++;
        if (pivot == 32) return 0;
        uint32_t t = image[pivot]; image[pivot] = image[bit]; image[bit] = t;
        t = source[pivot]; source[pivot] = source[bit]; source[bit] = t;
        for (int j = 0; j < 32; j++) {
            if (j != bit && (image[j] >> bit & 1)) {
                image[j] ^= image[bit];
                source[j] ^= source[bit];
            }
        }
    }
    for (int bit = 0; bit < 32; bit++) algebra.inverse[bit] = source[bit];
    return 1;
}

static uint32_t apply_inverse(const DimensionAlgebra& algebra, uint32_t vector)
{
    uint32_t result = 0;
    for (int bit = 0; bit < 32; bit++) {
        if (vector >> bit & 1) result ^= algebra.inverse[bit];
    }
    return result;
}

static int build_algebra(DimensionAlgebra& algebra)
{
    build_byte_effects(algebra);
    if (!invert_width_effect(algebra)) return 0;
    for (int k = 0; k < 4; k++) {
        for (uint32_t b = 0; b < 256; b++) {
            algebra.height_table[k][b] = apply_inverse(algebra, algebra.byte_effect[4 + k][b]);
        }
    }
    return 1;
}

// Whether an image of this width and height inflates to exactly `size` bytes. The
// pixel bits alone bound the width first, so the full layout is rarely needed.
static int size_agrees(const uint8_t* ihdr, uint32_t width, uint32_t height, uint32_t bits, int64_t size)
{
    if (width == 0 || width > 0x7FFFFFFFu || (uint64_t)width * bits > 8 * (uint64_t)size / height) return 0;
    ImageLayout layout;
    return layout_image(width, height, ihdr[8], ihdr[9], ihdr[12], &layout) && layout.size == (uint64_t)size;
}

// The dimension search serves its pace once per this many heights.
static const uint32_t PACE_HEIGHTS = 1u << 16;

// Every height from 1 to `last_height` with the one width that explains the CRC,
// kept when the stream's size agrees. IHDR_SEARCH_STOPPED when the pace said stop.
static int32_t try_heights(const DimensionAlgebra& algebra, uint32_t w0, uint32_t last_height, const uint8_t* fields,
                           int64_t size, uint32_t* widths, uint32_t* heights, int32_t capacity, CheckPace* pace)
{
    static const uint32_t channels[7] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
    uint32_t bits = fields[8] * channels[fields[9]];
    int32_t found = 0;
    const uint32_t (*g)[256] = algebra.height_table;
    for (uint32_t h = 1; h <= last_height; h++) {
        if (pace && h % PACE_HEIGHTS == 0) {
            pace->done = h;
            pace->total = last_height;
            if (pace_work(pace, PACE_HEIGHTS, PACE_HEIGHTS) == PACE_STOP) return IHDR_SEARCH_STOPPED;
        }
        uint32_t w = w0 ^ g[0][h >> 24] ^ g[1][(h >> 16) & 0xFF] ^ g[2][(h >> 8) & 0xFF] ^ g[3][h & 0xFF];
        if (!size_agrees(fields, w, h, bits, size)) continue;
        if (found < capacity) {
            widths[found] = w;
            heights[found] = h;
        }
        found++;
    }
    return found;
}

int32_t find_ihdr_dimensions(uint32_t* widths, uint32_t* heights, int32_t capacity, CheckPace* pace)
{
    int32_t index = find_chunk("IHDR");
    if (index < 0 || !is_damaged(index) || g_document.records[index].length != 13) return 0;
    const ChunkRecord& record = g_document.records[index];
    const uint8_t* fields = record.data;
    ImageLayout one_pixel;
    if (!layout_image(1, 1, fields[8], fields[9], fields[12], &one_pixel)) return 0;
    int64_t size = idat_inflated_size(pace);
    if (pace && pace->stopped) return IHDR_SEARCH_STOPPED;
    if (size < 2) return 0;
    DimensionAlgebra algebra;
    if (!build_algebra(algebra)) return 0;
    ChunkRecord zeroed = record;
    uint8_t data[13];
    memcpy(data, record.data, 13);
    memset(data, 0, 8);
    zeroed.data = data;
    uint32_t w0 = apply_inverse(algebra, record.stored_crc ^ chunk_crc(zeroed));
    // Every row holds a filter byte and at least one byte, in every pass.
    uint32_t last_height = size / 2 < 0x7FFFFFFF ? (uint32_t)(size / 2) : 0x7FFFFFFFu;
    return try_heights(algebra, w0, last_height, fields, size, widths, heights, capacity, pace);
}
