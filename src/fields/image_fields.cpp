// The chunks of the image's layout and colour: IHDR, PLTE, tRNS, bKGD, sBIT,
// gAMA, cHRM, sRGB, cICP, mDCV and cLLI.
#include "document/byte_order.h"
#include "field_io.h"

int ihdr_dimensions_valid(uint32_t width, uint32_t height)
{
    return width > 0 && height > 0 && width <= PNG_INT_MAX && height <= PNG_INT_MAX;
}

int is_allowed_depth(unsigned depth, unsigned colour_type)
{
    int one_to_eight = depth == 1 || depth == 2 || depth == 4 || depth == 8;
    if (colour_type == 0) return one_to_eight || depth == 16;
    if (colour_type == 3) return one_to_eight;
    return depth == 8 || depth == 16;
}

static int check_ihdr(const IhdrFields& f)
{
    if (!ihdr_dimensions_valid(f.width, f.height)) return FIELD_BAD_DIMENSION;
    if (f.colour_type > 6 || f.colour_type == 1 || f.colour_type == 5) return FIELD_BAD_COLOUR_TYPE;
    if (!is_allowed_depth(f.bit_depth, f.colour_type)) return FIELD_BAD_BIT_DEPTH;
    if (f.compression != 0 || f.filter != 0) return FIELD_BAD_METHOD;
    if (f.interlace > 1) return FIELD_BAD_INTERLACE;
    return FIELD_OK;
}

int parse_ihdr(const uint8_t* d, uint32_t length, IhdrFields* f)
{
    *f = IhdrFields{};
    if (length != 13) return FIELD_WRONG_LENGTH;
    *f = IhdrFields{read_u32(d), read_u32(d + 4), d[8], d[9], d[10], d[11], d[12]};
    return check_ihdr(*f);
}

int serialize_ihdr(const IhdrFields& f, FieldBytes* out)
{
    uint8_t d[13] = {0, 0, 0, 0, 0, 0, 0, 0, f.bit_depth, f.colour_type, f.compression, f.filter, f.interlace};
    write_u32(d, f.width);
    write_u32(d + 4, f.height);
    return finish_serialize(d, sizeof d, 0, check_ihdr(f), out);
}

int parse_plte(const uint8_t* d, uint32_t length, const ImageLayout& layout, PlteFields* f)
{
    // Whole entries are filled even when a part of one is left over.
    f->count = length / 3;
    f->entries = FieldSpan{d, f->count * 3};
    if (length % 3 != 0) return FIELD_LENGTH_STEP;
    int depth_bound = layout.colour_type == 3 && layout.bit_depth >= 1 && layout.bit_depth <= 8;
    if (f->count < 1 || f->count > 256 || (depth_bound && f->count > (1u << layout.bit_depth))) {
        return FIELD_BAD_PALETTE_SIZE;
    }
    return FIELD_OK;
}

int serialize_plte(const PlteFields& f, const ImageLayout& layout, FieldBytes* out)
{
    if (f.entries.length != f.count * 3) return FIELD_LENGTH_STEP;
    PlteFields check;
    return finish_serialize((uint8_t*)f.entries.bytes, f.entries.length, 0,
                            parse_plte(f.entries.bytes, f.entries.length, layout, &check), out);
}

uint32_t sample_chunk_length(uint32_t type, int colour_type)
{
    static const uint32_t SBIT[] = {1, 0, 3, 3, 2, 0, 4};
    if (colour_type < 0 || colour_type > 6) return 0;
    if (type == type_word("sBIT")) return SBIT[colour_type];
    if (colour_type == 0 || (colour_type == 4 && type == type_word("bKGD"))) return 2;
    if (colour_type == 2 || (colour_type == 6 && type == type_word("bKGD"))) return 6;
    return colour_type == 3 && type == type_word("bKGD") ? 1 : 0;
}

// A 16-bit sample the image's bit depth can hold (any when the depth is unknown).
static int sample_fits(uint16_t value, const ImageLayout& layout)
{
    return layout.bit_depth < 1 || layout.bit_depth >= 16 || value < (1u << layout.bit_depth);
}

// Gray, or red, green and blue, as tRNS and bKGD store them.
static int read_samples(const uint8_t* d, int colour_type, const ImageLayout& layout, uint16_t* gray, uint16_t* rgb)
{
    if (colour_type == 0 || colour_type == 4) {
        *gray = field_u16(d);
        return sample_fits(*gray, layout) ? FIELD_OK : FIELD_BAD_SAMPLE;
    }
    int result = FIELD_OK;
    for (int k = 0; k < 3; k++) {
        rgb[k] = field_u16(d + 2 * k);
        if (!sample_fits(rgb[k], layout)) result = FIELD_BAD_SAMPLE;
    }
    return result;
}

static uint32_t build_samples(uint8_t* d, int colour_type, uint16_t gray, const uint16_t* rgb)
{
    if (colour_type == 0 || colour_type == 4) {
        put_u16(d, gray);
        return 2;
    }
    for (int k = 0; k < 3; k++) put_u16(d + 2 * k, rgb[k]);
    return 6;
}

int parse_trns(const uint8_t* d, uint32_t length, const ImageLayout& layout, TrnsFields* f)
{
    *f = TrnsFields{};
    if (layout.colour_type == 3) {
        f->alphas = FieldSpan{d, length};
        int past = length > 256 || (layout.palette_entries >= 0 && length > (uint32_t)layout.palette_entries);
        return past ? FIELD_BAD_INDEX : FIELD_OK;
    }
    uint32_t expected = sample_chunk_length(type_word("tRNS"), layout.colour_type);
    if (expected == 0) return FIELD_UNKNOWN_LAYOUT;
    if (length != expected) return FIELD_WRONG_LENGTH;
    uint16_t rgb[3] = {0, 0, 0};
    int result = read_samples(d, layout.colour_type, layout, &f->gray, rgb);
    f->red = rgb[0], f->green = rgb[1], f->blue = rgb[2];
    return result;
}

int serialize_trns(const TrnsFields& f, const ImageLayout& layout, FieldBytes* out)
{
    TrnsFields check;
    if (layout.colour_type == 3) {
        return finish_serialize((uint8_t*)f.alphas.bytes, f.alphas.length, 0,
                                parse_trns(f.alphas.bytes, f.alphas.length, layout, &check), out);
    }
    uint8_t d[6];
    const uint16_t rgb[3] = {f.red, f.green, f.blue};
    uint32_t length = build_samples(d, layout.colour_type, f.gray, rgb);
    return finish_serialize(d, length, 0, parse_trns(d, length, layout, &check), out);
}

int parse_bkgd(const uint8_t* d, uint32_t length, const ImageLayout& layout, BkgdFields* f)
{
    *f = BkgdFields{};
    uint32_t expected = sample_chunk_length(type_word("bKGD"), layout.colour_type);
    if (expected == 0) return FIELD_UNKNOWN_LAYOUT;
    if (length != expected) return FIELD_WRONG_LENGTH;
    if (layout.colour_type == 3) {
        f->index = d[0];
        return layout.palette_entries >= 0 && f->index >= layout.palette_entries ? FIELD_BAD_INDEX : FIELD_OK;
    }
    uint16_t rgb[3] = {0, 0, 0};
    int result = read_samples(d, layout.colour_type, layout, &f->gray, rgb);
    f->red = rgb[0], f->green = rgb[1], f->blue = rgb[2];
    return result;
}

int serialize_bkgd(const BkgdFields& f, const ImageLayout& layout, FieldBytes* out)
{
    uint8_t d[6] = {f.index};
    const uint16_t rgb[3] = {f.red, f.green, f.blue};
    uint32_t length = layout.colour_type == 3 ? 1 : build_samples(d, layout.colour_type, f.gray, rgb);
    BkgdFields check;
    return finish_serialize(d, length, 0, parse_bkgd(d, length, layout, &check), out);
}

int parse_sbit(const uint8_t* d, uint32_t length, const ImageLayout& layout, SbitFields* f)
{
    *f = SbitFields{};
    uint32_t expected = sample_chunk_length(type_word("sBIT"), layout.colour_type);
    if (expected == 0) return FIELD_UNKNOWN_LAYOUT;
    if (length != expected) return FIELD_WRONG_LENGTH;
    int depth = layout.colour_type == 3 ? 8 : layout.bit_depth;
    int result = FIELD_OK;
    f->count = (uint8_t)length;
    for (uint32_t k = 0; k < length; k++) {
        f->bits[k] = d[k];
        if (d[k] == 0 || (depth > 0 && d[k] > depth)) result = FIELD_BAD_SAMPLE;
    }
    return result;
}

int serialize_sbit(const SbitFields& f, const ImageLayout& layout, FieldBytes* out)
{
    SbitFields check;
    uint32_t count = f.count <= 4 ? f.count : 4;
    return finish_serialize((uint8_t*)f.bits, count, 0, parse_sbit(f.bits, count, layout, &check), out);
}

int parse_gama(const uint8_t* d, uint32_t length, GamaFields* f)
{
    *f = GamaFields{};
    if (length != 4) return FIELD_WRONG_LENGTH;
    f->gamma = read_u32(d);
    return f->gamma == 0 ? FIELD_BAD_ZERO : f->gamma > PNG_INT_MAX ? FIELD_TOO_LARGE : FIELD_OK;
}

int serialize_gama(const GamaFields& f, FieldBytes* out)
{
    uint8_t d[4];
    write_u32(d, f.gamma);
    GamaFields check;
    return finish_serialize(d, 4, 0, parse_gama(d, 4, &check), out);
}

// Words of a fixed-length chunk of four-byte values, in the order of `words`.
static void read_words(const uint8_t* d, uint32_t* const* words, int count)
{
    for (int k = 0; k < count; k++) *words[k] = read_u32(d + 4 * k);
}

int parse_chrm(const uint8_t* d, uint32_t length, ChrmFields* f)
{
    *f = ChrmFields{};
    if (length != 32) return FIELD_WRONG_LENGTH;
    uint32_t* const words[] = {&f->white_x, &f->white_y, &f->red_x, &f->red_y,
                               &f->green_x, &f->green_y, &f->blue_x, &f->blue_y};
    read_words(d, words, 8);
    for (uint32_t* word : words) {
        if (*word > PNG_INT_MAX) return FIELD_TOO_LARGE;
    }
    return FIELD_OK;
}

int serialize_chrm(const ChrmFields& f, FieldBytes* out)
{
    const uint32_t words[] = {f.white_x, f.white_y, f.red_x, f.red_y, f.green_x, f.green_y, f.blue_x, f.blue_y};
    uint8_t d[32];
    for (int k = 0; k < 8; k++) write_u32(d + 4 * k, words[k]);
    ChrmFields check;
    return finish_serialize(d, 32, 0, parse_chrm(d, 32, &check), out);
}

int parse_srgb(const uint8_t* d, uint32_t length, SrgbFields* f)
{
    return parse_code_byte(d, length, &f->intent, 3, FIELD_BAD_INTENT);
}

int serialize_srgb(const SrgbFields& f, FieldBytes* out)
{
    uint8_t code;
    return finish_serialize((uint8_t*)&f.intent, 1, 0, parse_code_byte(&f.intent, 1, &code, 3, FIELD_BAD_INTENT), out);
}

int parse_cicp(const uint8_t* d, uint32_t length, CicpFields* f)
{
    *f = CicpFields{};
    if (length != 4) return FIELD_WRONG_LENGTH;
    *f = CicpFields{d[0], d[1], d[2], d[3]};
    return f->matrix != 0 ? FIELD_BAD_MATRIX : f->full_range > 1 ? FIELD_BAD_RANGE_FLAG : FIELD_OK;
}

int serialize_cicp(const CicpFields& f, FieldBytes* out)
{
    uint8_t d[4] = {f.primaries, f.transfer, f.matrix, f.full_range};
    CicpFields check;
    return finish_serialize(d, 4, 0, parse_cicp(d, 4, &check), out);
}

int parse_mdcv(const uint8_t* d, uint32_t length, MdcvFields* f)
{
    *f = MdcvFields{};
    if (length != 24) return FIELD_WRONG_LENGTH;
    uint16_t* const points[] = {&f->red_x, &f->red_y, &f->green_x, &f->green_y,
                                &f->blue_x, &f->blue_y, &f->white_x, &f->white_y};
    for (int k = 0; k < 8; k++) *points[k] = field_u16(d + 2 * k);
    f->max_luminance = read_u32(d + 16);
    f->min_luminance = read_u32(d + 20);
    return FIELD_OK;
}

int serialize_mdcv(const MdcvFields& f, FieldBytes* out)
{
    const uint16_t points[] = {f.red_x, f.red_y, f.green_x, f.green_y, f.blue_x, f.blue_y, f.white_x, f.white_y};
    uint8_t d[24];
    for (int k = 0; k < 8; k++) put_u16(d + 2 * k, points[k]);
    write_u32(d + 16, f.max_luminance);
    write_u32(d + 20, f.min_luminance);
    return finish_serialize(d, 24, 0, FIELD_OK, out);
}

int parse_clli(const uint8_t* d, uint32_t length, ClliFields* f)
{
    *f = ClliFields{};
    if (length != 8) return FIELD_WRONG_LENGTH;
    *f = ClliFields{read_u32(d), read_u32(d + 4)};
    return FIELD_OK;
}

int serialize_clli(const ClliFields& f, FieldBytes* out)
{
    uint8_t d[8];
    write_u32(d, f.max_cll);
    write_u32(d + 4, f.max_fall);
    return finish_serialize(d, 8, 0, FIELD_OK, out);
}
