// Animated PNG (acTL, fcTL, fdAT) and the iDOT chunk, which stores file offsets
// of IDAT chunks for decoding an image in two halves at once.
#include "document/byte_order.h"
#include "fields/field_model.h"
#include "field_writers.h"
#include "field_texts.h"

void write_actl(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    ActlFields f;
    if (!fields_read(out, parse_actl(record.data, record.length, &f), record, 8)) {
        return;
    }
    text_line(out, L_FRAMES, V_CODE, (unsigned)f.frames);
    if (f.frames == 0) {
        field_error(out, E_NO_FRAMES);
    }
    if (f.plays == 0) {
        text_line(out, L_PLAYS, "%s", V_PLAYS_FOREVER);
    } else {
        text_line(out, L_PLAYS, V_CODE, (unsigned)f.plays);
    }
}

void write_fctl(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const DISPOSE[] = {V_DISPOSE_0, V_DISPOSE_1, V_DISPOSE_2};
    static const char* const BLEND[] = {V_BLEND_0, V_BLEND_1};
    FctlFields f;
    if (!fields_read(out, parse_fctl(record.data, record.length, &f), record, 26)) {
        return;
    }
    text_line(out, L_SEQUENCE, V_CODE, (unsigned)f.sequence);
    text_line(out, L_WIDTH, V_PIXELS, (unsigned long)f.width);
    text_line(out, L_HEIGHT, V_PIXELS, (unsigned long)f.height);
    text_line(out, L_X_OFFSET, V_CODE, (unsigned)f.x);
    text_line(out, L_Y_OFFSET, V_CODE, (unsigned)f.y);
    // A denominator of 0 stands for 100: the delay is then in hundredths.
    unsigned divisor = f.delay_denominator ? f.delay_denominator : 100;
    text_line(out, L_DELAY, V_DELAY, f.delay_numerator, f.delay_denominator, (double)f.delay_numerator / divisor);
    named_value(out, L_DISPOSE, f.dispose, DISPOSE, 3);
    named_value(out, L_BLEND, f.blend, BLEND, 2);
}

void write_fdat(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    if (has_minimum(out, record, 4)) {
        text_line(out, L_SEQUENCE, V_CODE, (unsigned)read_u32(record.data));
        text_line(out, L_FRAME_DATA, V_BYTES, (unsigned long)(record.length - 4));
    }
}

// Whether `offset`, counted from the start of chunk `from` in the file as saving
// would write it now, is the start of an IDAT chunk.
static int points_at_idat(int32_t from, uint32_t offset)
{
    if (from < 0 || from >= g_document.count) {
        return 0;
    }
    uint64_t position = 0;
    for (int32_t i = from; i < g_document.count && position <= offset; i++) {
        if (position == offset) {
            return type_word(g_document.records[i].type) == type_word("IDAT");
        }
        position += 12 + (uint64_t)g_document.records[i].length;
    }
    return 0;
}

static void write_offset(TextBuilder* out, const char* label, uint32_t offset, int32_t index)
{
    text_line(out, label, points_at_idat(index, offset) ? V_OFFSET_OK : V_OFFSET_BAD, (unsigned long)offset);
}

// Seven big-endian words: segments, reserved, rows of a segment, offset
// of the first IDAT, rows of the first and the second half, offset of the IDAT
// where the second half starts; offsets count from the start of this chunk.
void write_idot(TextBuilder* out, const ChunkRecord& record, const FieldContext& context)
{
    if (!has_length(out, record, 28)) {
        return;
    }
    const uint8_t* d = record.data;
    text_line(out, L_SEGMENTS, V_CODE, (unsigned)read_u32(d));
    text_line(out, L_RESERVED, V_CODE, (unsigned)read_u32(d + 4));
    text_line(out, L_SEGMENT_ROWS, V_CODE, (unsigned)read_u32(d + 8));
    text_line(out, L_FIRST_ROWS, V_CODE, (unsigned)read_u32(d + 16));
    text_line(out, L_SECOND_ROWS, V_CODE, (unsigned)read_u32(d + 20));
    write_offset(out, L_FIRST_OFFSET, read_u32(d + 12), context.index);
    write_offset(out, L_SECOND_OFFSET, read_u32(d + 24), context.index);
}
