#include "chunk_fields.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "document/byte_order.h"
#include "document/chunk_edit.h"
#include "fields/field_model.h"
#include "field_writers.h"
#include "field_texts.h"
#include "text_codec.h"

void field_error(TextBuilder* out, const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    text_line(out, L_ERROR, "%s", text);
}

int has_length(TextBuilder* out, const ChunkRecord& record, uint32_t length)
{
    if (record.length == length) {
        return 1;
    }
    field_error(out, E_LENGTH_IS, (unsigned long)length, (unsigned long)record.length);
    return 0;
}

int has_minimum(TextBuilder* out, const ChunkRecord& record, uint32_t length)
{
    if (record.length >= length) {
        return 1;
    }
    field_error(out, E_LENGTH_MIN, (unsigned long)length, (unsigned long)record.length);
    return 0;
}

uint16_t read_u16(const uint8_t* p)
{
    return (uint16_t)(p[0] << 8 | p[1]);
}

// A value from a short list of names, or the number with an error when it has none.
void named_value(TextBuilder* out, const char* label, unsigned value, const char* const* names, unsigned count)
{
    if (value < count && names[value]) {
        text_line(out, label, "%s", names[value]);
    } else {
        text_line(out, label, V_CODE, value);
        field_error(out, E_VALUE, label, (unsigned long)value);
    }
}

// A list field shows at most INSPECT_ENTRY_LIMIT entries, as the dump shows at
// most INSPECT_DUMP_LIMIT bytes: a list of a few megabytes would otherwise become
// a text many times its size. The line after the shown entries says how many more.
static uint32_t entries_shown(uint32_t entries)
{
    return entries < INSPECT_ENTRY_LIMIT ? entries : INSPECT_ENTRY_LIMIT;
}

static void write_entries_cut(TextBuilder* out, uint32_t shown, uint32_t entries)
{
    if (shown < entries) {
        text_format(out, T_ENTRIES_CUT, (unsigned long)(entries - shown), (unsigned long)entries);
    }
}

// The layout the image's IHDR gives the decoders: its colour type only, so that
// values are shown as they stand rather than checked against a depth.
static ImageLayout context_layout(const FieldContext& context)
{
    return ImageLayout{context.colour_type, -1, -1};
}

// 1 when the model read the fields; else reports the length the type has.
int fields_read(TextBuilder* out, int result, const ChunkRecord& record, uint32_t length)
{
    if (result == FIELD_WRONG_LENGTH) {
        has_length(out, record, length);
        return 0;
    }
    return 1;
}

static void write_ihdr(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const COLOURS[] = {V_COLOUR_0, nullptr, V_COLOUR_2, V_COLOUR_3, V_COLOUR_4, nullptr, V_COLOUR_6};
    static const char* const METHODS[] = {V_METHOD_0};
    static const char* const INTERLACE[] = {V_INTERLACE_0, V_INTERLACE_1};
    IhdrFields f;
    if (!fields_read(out, parse_ihdr(record.data, record.length, &f), record, 13)) {
        return;
    }
    text_line(out, L_WIDTH, V_PIXELS, (unsigned long)f.width);
    text_line(out, L_HEIGHT, V_PIXELS, (unsigned long)f.height);
    if (!ihdr_dimensions_valid(f.width, f.height)) {
        field_error(out, E_DIMENSION);
    }
    text_line(out, L_BIT_DEPTH, V_CODE, f.bit_depth);
    named_value(out, L_COLOUR_TYPE, f.colour_type, COLOURS, 7);
    if (f.colour_type <= 6 && COLOURS[f.colour_type] && !is_allowed_depth(f.bit_depth, f.colour_type)) {
        field_error(out, E_BIT_DEPTH, f.bit_depth, f.colour_type);
    }
    named_value(out, L_COMPRESSION_M, f.compression, METHODS, 1);
    named_value(out, L_FILTER_M, f.filter, METHODS, 1);
    named_value(out, L_INTERLACE, f.interlace, INTERLACE, 2);
}

static void write_plte(TextBuilder* out, const ChunkRecord& record, const FieldContext& context)
{
    PlteFields f;
    int result = parse_plte(record.data, record.length, context_layout(context), &f);
    if (result == FIELD_LENGTH_STEP) {
        field_error(out, E_LENGTH_STEP, 3ul, (unsigned long)record.length);
    }
    text_line(out, L_ENTRIES, V_CODE, (unsigned)f.count);
    if (f.count < 1 || f.count > 256) {
        field_error(out, E_PALETTE_SIZE);
    }
    uint32_t shown = entries_shown(f.count);
    for (uint32_t k = 0; k < shown; k++) {
        const uint8_t* p = f.entries.bytes + 3 * k;
        text_format(out, L_ENTRY ": " V_RGB " (" V_RGB_HEX ")\n", (unsigned long)k, p[0], p[1], p[2], p[0], p[1], p[2]);
    }
    write_entries_cut(out, shown, f.count);
}

static void write_idat(TextBuilder* out, const ChunkRecord&, const FieldContext&)
{
    text_add(out, T_IMAGE_DATA "\n");
}

static void write_iend(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    if (record.length != 0) {
        field_error(out, E_NOT_EMPTY, (unsigned long)record.length);
    }
}

// Samples of one pixel in the image's colour type: gray, or red, green and blue.
// Samples of one pixel in the image's colour type: gray, or red, green and blue,
// or a palette index; as the model read them (`result`).
static void write_samples(TextBuilder* out, const ChunkRecord& record, int colour_type, int result, const char* heading,
                          uint16_t gray, const uint16_t* rgb, unsigned index)
{
    uint32_t length = sample_chunk_length(type_word("bKGD"), colour_type);
    if (length == 0) {
        field_error(out, E_COLOUR_TYPE);
    } else if (!fields_read(out, result, record, length)) {
        return;
    } else if (colour_type == 0 || colour_type == 4) {
        text_line(out, heading, "%s %u", L_GRAY, gray);
    } else if (colour_type == 2 || colour_type == 6) {
        text_line(out, heading, "%s %u, %s %u, %s %u", L_RED, rgb[0], L_GREEN, rgb[1], L_BLUE, rgb[2]);
    } else {
        text_line(out, heading, "%s %u", L_PALETTE_INDEX, index);
    }
}

static void write_bkgd(TextBuilder* out, const ChunkRecord& record, const FieldContext& context)
{
    BkgdFields f;
    int result = parse_bkgd(record.data, record.length, context_layout(context), &f);
    const uint16_t rgb[3] = {f.red, f.green, f.blue};
    write_samples(out, record, context.colour_type, result, L_DESCRIPTION, f.gray, rgb, f.index);
}

static void write_trns(TextBuilder* out, const ChunkRecord& record, const FieldContext& context)
{
    TrnsFields f;
    int result = parse_trns(record.data, record.length, context_layout(context), &f);
    if (context.colour_type != 3) {
        if (context.colour_type == 4 || context.colour_type == 6) {
            field_error(out, E_VALUE, L_COLOUR_TYPE, (unsigned long)context.colour_type);
            return;
        }
        const uint16_t rgb[3] = {f.red, f.green, f.blue};
        write_samples(out, record, context.colour_type, result, L_TRANSPARENT, f.gray, rgb, 0);
        return;
    }
    text_line(out, L_ENTRIES, V_CODE, (unsigned)f.alphas.length);
    uint32_t shown = entries_shown(f.alphas.length);
    for (uint32_t k = 0; k < shown; k++) {
        text_format(out, L_ALPHA ": %u\n", (unsigned long)k, f.alphas.bytes[k]);
    }
    write_entries_cut(out, shown, f.alphas.length);
}

static void write_sbit(TextBuilder* out, const ChunkRecord& record, const FieldContext& context)
{
    static const char* const GRAY[] = {L_GRAY, L_ALPHA_BITS};
    static const char* const RGBA[] = {L_RED, L_GREEN, L_BLUE, L_ALPHA_BITS};
    int type = context.colour_type;
    SbitFields f;
    int result = parse_sbit(record.data, record.length, context_layout(context), &f);
    if (result == FIELD_UNKNOWN_LAYOUT) {
        field_error(out, E_COLOUR_TYPE);
        return;
    }
    if (!fields_read(out, result, record, sample_chunk_length(type_word("sBIT"), type))) {
        return;
    }
    const char* const* names = (type == 0 || type == 4) ? GRAY : RGBA;
    for (uint32_t k = 0; k < f.count; k++) {
        text_line(out, names[k], V_CODE, f.bits[k]);
    }
}

static void write_gama(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    GamaFields f;
    if (fields_read(out, parse_gama(record.data, record.length, &f), record, 4)) {
        text_line(out, L_GAMMA, V_GAMMA, (unsigned long)f.gamma, f.gamma / 100000.0);
    }
}

static void write_chrm(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const LABELS[] = {L_WHITE_X, L_WHITE_Y, L_RED_X, L_RED_Y, L_GREEN_X, L_GREEN_Y, L_BLUE_X, L_BLUE_Y};
    ChrmFields f;
    if (!fields_read(out, parse_chrm(record.data, record.length, &f), record, 32)) {
        return;
    }
    const uint32_t values[] = {f.white_x, f.white_y, f.red_x, f.red_y, f.green_x, f.green_y, f.blue_x, f.blue_y};
    for (int k = 0; k < 8; k++) {
        text_line(out, LABELS[k], V_FIXED_5, values[k] / 100000.0);
    }
}

static void write_srgb(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const INTENTS[] = {u8"0 (Perceptual)", u8"1 (Relative colorimetric)", u8"2 (Saturation)",
                                          u8"3 (Absolute colorimetric)"};
    SrgbFields f;
    if (fields_read(out, parse_srgb(record.data, record.length, &f), record, 1)) {
        named_value(out, L_INTENT, f.intent, INTENTS, 4);
    }
}

struct CodeName {
    unsigned    code;
    const char* name;
};

// A code point of the video standards: with its name when known; other codes
// are allowed, only not named.
static void coded_value(TextBuilder* out, const char* label, unsigned value, const CodeName* names, size_t count)
{
    for (size_t k = 0; k < count; k++) {
        if (names[k].code == value) {
            text_line(out, label, V_CODE_NAMED, value, names[k].name);
            return;
        }
    }
    text_line(out, label, V_CODE, value);
}

static void write_cicp(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const CodeName PRIMARIES[] = {{1, "BT.709 / sRGB"}, {4, "BT.470 M"}, {5, "BT.601 625"}, {6, "BT.601 525"},
                                         {9, "BT.2020 / BT.2100"}, {10, "XYZ"}, {11, "DCI-P3"}, {12, "Display P3"}};
    static const CodeName TRANSFER[] = {{1, "BT.709"}, {6, "BT.601"}, {8, u8"リニア"}, {13, "sRGB"},
                                        {14, u8"BT.2020 10 ビット"}, {15, u8"BT.2020 12 ビット"},
                                        {16, "PQ (SMPTE ST 2084)"}, {18, "HLG (ARIB STD-B67)"}};
    CicpFields f;
    if (!fields_read(out, parse_cicp(record.data, record.length, &f), record, 4)) {
        return;
    }
    coded_value(out, L_PRIMARIES, f.primaries, PRIMARIES, sizeof PRIMARIES / sizeof PRIMARIES[0]);
    coded_value(out, L_TRANSFER, f.transfer, TRANSFER, sizeof TRANSFER / sizeof TRANSFER[0]);
    text_line(out, L_MATRIX, V_CODE, f.matrix);
    if (f.matrix != 0) {
        field_error(out, E_VALUE, L_MATRIX, (unsigned long)f.matrix);   // PNG holds RGB only
    }
    static const char* const RANGE[] = {V_NO, V_YES};
    named_value(out, L_FULL_RANGE, f.full_range, RANGE, 2);
}

static void write_mdcv(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const LABELS[] = {L_RED_X, L_RED_Y, L_GREEN_X, L_GREEN_Y, L_BLUE_X, L_BLUE_Y, L_WHITE_X, L_WHITE_Y};
    MdcvFields f;
    if (!fields_read(out, parse_mdcv(record.data, record.length, &f), record, 24)) {
        return;
    }
    // Chromaticities in steps of 0.00002, luminances in steps of 0.0001 cd/m2.
    const uint16_t points[] = {f.red_x, f.red_y, f.green_x, f.green_y, f.blue_x, f.blue_y, f.white_x, f.white_y};
    for (int k = 0; k < 8; k++) {
        text_line(out, LABELS[k], V_FIXED_5, points[k] * 0.00002);
    }
    text_line(out, L_MAX_LUMINANCE, V_LUMINANCE, f.max_luminance * 0.0001);
    text_line(out, L_MIN_LUMINANCE, V_LUMINANCE, f.min_luminance * 0.0001);
}

static void write_clli(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    ClliFields f;
    if (fields_read(out, parse_clli(record.data, record.length, &f), record, 8)) {
        text_line(out, L_MAX_CLL, V_LUMINANCE, f.max_cll * 0.0001);
        text_line(out, L_MAX_FALL, V_LUMINANCE, f.max_fall * 0.0001);
    }
}

static void write_hist(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    if (record.length % 2 != 0) {
        field_error(out, E_LENGTH_STEP, 2ul, (unsigned long)record.length);
    }
    uint32_t entries = record.length / 2, shown = entries_shown(entries);
    text_line(out, L_ENTRIES, V_CODE, (unsigned)entries);
    for (uint32_t k = 0; k < shown; k++) {
        text_format(out, L_FREQUENCY ": %u\n", (unsigned long)k, read_u16(record.data + 2 * k));
    }
    write_entries_cut(out, shown, entries);
}

static void write_phys(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const UNITS[] = {V_UNIT_0, V_UNIT_1};
    PhysFields f;
    if (!fields_read(out, parse_phys(record.data, record.length, &f), record, 9)) {
        return;
    }
    if (f.unit == 1) {
        text_line(out, L_PIXELS_X, V_PER_METRE, (unsigned long)f.x, f.x * 0.0254);
        text_line(out, L_PIXELS_Y, V_PER_METRE, (unsigned long)f.y, f.y * 0.0254);
    } else {
        text_line(out, L_PIXELS_X, V_PER_UNIT, (unsigned long)f.x);
        text_line(out, L_PIXELS_Y, V_PER_UNIT, (unsigned long)f.y);
    }
    named_value(out, L_UNIT, f.unit, UNITS, 2);
}

static void write_splt(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    const uint8_t* end = (const uint8_t*)memchr(record.data, 0, record.length);
    if (!end) {
        field_error(out, E_NO_SEPARATOR, L_PALETTE_NAME);
        return;
    }
    uint32_t name = (uint32_t)(end - record.data);
    text_add(out, L_PALETTE_NAME ": ");
    add_latin1(out, record.data, name);
    text_add(out, "\n");
    if (name + 2 > record.length) {
        field_error(out, E_LENGTH_MIN, (unsigned long)name + 2, (unsigned long)record.length);
        return;
    }
    unsigned depth = record.data[name + 1];
    text_line(out, L_SAMPLE_DEPTH, V_CODE, depth);
    if (depth != 8 && depth != 16) {
        field_error(out, E_VALUE, L_SAMPLE_DEPTH, (unsigned long)depth);
        return;
    }
    uint32_t size = depth == 8 ? 6 : 10, left = record.length - name - 2;
    if (left % size != 0) {
        field_error(out, E_LENGTH_STEP, (unsigned long)size, (unsigned long)left);
    }
    uint32_t entries = left / size, shown = entries_shown(entries);
    text_line(out, L_ENTRIES, V_CODE, (unsigned)entries);
    for (uint32_t k = 0; k < shown; k++) {
        const uint8_t* p = record.data + name + 2 + k * size;
        unsigned v[5];
        for (int c = 0; c < 4; c++) v[c] = depth == 8 ? p[c] : read_u16(p + 2 * c);
        v[4] = read_u16(p + size - 2);
        text_format(out, L_ENTRY ": " V_SPLT_ENTRY "\n", (unsigned long)k, v[0], v[1], v[2], v[3], v[4]);
    }
    write_entries_cut(out, shown, entries);
}

static void write_time(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    TimeFields f;
    if (!fields_read(out, parse_time(record.data, record.length, &f), record, 7)) {
        return;
    }
    text_line(out, L_DATE, V_DATE, f.year, f.month, f.day, f.hour, f.minute, f.second);
    if (!time_valid(f)) {
        field_error(out, E_DATE);
    }
}

static void write_exif(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    describe_exif(out, record.data, record.length);
}

static void write_unknown(TextBuilder* out, const ChunkRecord&, const FieldContext&)
{
    text_add(out, T_UNKNOWN);
}

struct FieldEntry {
    char        type[5];
    FieldWriter writer;
};

// Every type of the current standard, of animated PNG, the registered extensions and iDOT; the empty name
// ends the walk with the decoder of unknown types.
static const FieldEntry FIELD_TABLE[] = {
    {"IHDR", write_ihdr}, {"PLTE", write_plte}, {"IDAT", write_idat}, {"IEND", write_iend},
    {"tRNS", write_trns}, {"cHRM", write_chrm}, {"gAMA", write_gama}, {"iCCP", write_icc},
    {"sBIT", write_sbit}, {"sRGB", write_srgb}, {"cICP", write_cicp}, {"mDCV", write_mdcv},
    {"cLLI", write_clli}, {"tEXt", write_text}, {"zTXt", write_compressed_text},
    {"iTXt", write_international_text}, {"bKGD", write_bkgd}, {"hIST", write_hist},
    {"pHYs", write_phys}, {"sPLT", write_splt}, {"eXIf", write_exif}, {"tIME", write_time},
    {"acTL", write_actl}, {"fcTL", write_fctl}, {"fdAT", write_fdat}, {"iDOT", write_idot},
    {"oFFs", write_offs}, {"pCAL", write_pcal}, {"sCAL", write_scal}, {"sTER", write_ster},
    {"gIFg", write_gifg}, {"gIFx", write_gifx},
    {"", write_unknown},
};

void describe_fields(TextBuilder* out, const ChunkRecord& record, const FieldContext& context)
{
    const FieldEntry* entry = FIELD_TABLE;
    while (entry->type[0] && type_word(entry->type) != type_word(record.type)) {
        entry++;
    }
    entry->writer(out, record, context);
}

// The four property bits of the type name, in file order.
static void write_properties(TextBuilder* out, const uint8_t* type)
{
    text_format(out, "%s: %s / %s%s / %s\n", L_PROPERTIES, (type[0] & 0x20) ? V_ANCILLARY : V_CRITICAL,
                (type[1] & 0x20) ? V_PRIVATE : V_PUBLIC, (type[2] & 0x20) ? u8" / " V_RESERVED_BAD : "",
                (type[3] & 0x20) ? V_SAFE : V_UNSAFE);
}

static void write_heading(TextBuilder* out, const ChunkRecord& record, int32_t index)
{
    text_add(out, L_CHUNK ": ");
    add_latin1(out, record.type, 4);
    text_format(out, V_CHUNK "\n", index + 1);
    text_line(out, L_LENGTH, V_BYTES, (unsigned long)record.length);
    if (record.stored_crc == record.computed_crc) {
        text_line(out, L_CRC, V_CRC_GOOD, (unsigned long)record.stored_crc);
    } else {
        text_line(out, L_CRC, V_CRC_BAD, (unsigned long)record.stored_crc, (unsigned long)record.computed_crc);
    }
    write_properties(out, record.type);
}

// Sixteen bytes a line: offset, the bytes in hexadecimal, and as ASCII text.
void describe_dump(TextBuilder* out, const uint8_t* data, uint32_t length)
{
    uint32_t shown = length < INSPECT_DUMP_LIMIT ? length : INSPECT_DUMP_LIMIT;
    if (length == 0) {
        text_add(out, T_NO_DATA);
    } else if (shown < length) {
        text_format(out, T_DUMP_CUT, (unsigned long)shown, (unsigned long)length);
    }
    for (uint32_t line = 0; line < shown; line += 16) {
        char text[96];
        int used = snprintf(text, sizeof text, "%08lX ", (unsigned long)line);
        for (uint32_t k = line; k < line + 16; k++) {
            used += k < shown ? snprintf(text + used, sizeof text - (size_t)used, "%s%02X", k % 8 ? " " : "  ", data[k])
                              : snprintf(text + used, sizeof text - (size_t)used, "%s  ", k % 8 ? " " : "  ");
        }
        text[used++] = ' ';
        text[used++] = ' ';
        for (uint32_t k = line; k < line + 16 && k < shown; k++) {
            text[used++] = (data[k] >= 0x20 && data[k] < 0x7F) ? (char)data[k] : '.';
        }
        text[used++] = '\n';
        text_add(out, text, (size_t)used);
    }
}

// What the file holds beyond its chunks: the bytes after the first IEND.
void describe_file(TextBuilder* out)
{
    text_line(out, L_AFTER_IEND, V_BYTES, (unsigned long)g_trailing.count);
    if (g_trailing.count == 0) {
        return;
    }
    text_add(out, L_AFTER_IEND_HEAD ":");
    for (uint32_t k = 0; k < g_trailing.kept; k++) {
        text_format(out, " %02X", g_trailing.head[k]);
    }
    text_add(out, g_trailing.kept < g_trailing.count ? " ...\n" : "\n");
    text_add(out, N_AFTER_IEND "\n");
}

static int document_colour_type()
{
    const ChunkRecord& first = g_document.records[0];
    if (type_word(first.type) != type_word("IHDR") || first.length < 10) {
        return -1;
    }
    return first.data[9];
}

void describe_chunk(TextBuilder* out, int32_t index)
{
    if (!g_document.loaded || index < 0 || index >= g_document.count) {
        return;
    }
    const ChunkRecord& record = g_document.records[index];
    write_heading(out, record, index);
    text_add(out, H_FIELDS);
    FieldContext context = {document_colour_type(), index};
    describe_fields(out, record, context);
    text_add(out, H_DUMP);
    describe_dump(out, record.data, record.length);
    text_add(out, H_FILE);
    describe_file(out);
}
