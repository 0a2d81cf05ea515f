// The model's common parts: result names, the writer every serialize uses, and the
// dispatch of a whole record by its type.
#include "field_model.h"

#include "document/byte_order.h"
#include "document/memory.h"
#include "field_io.h"

static const char* const RESULT_NAMES[FIELD_RESULT_COUNT] = {
    "FIELD_OK", "FIELD_WRONG_LENGTH", "FIELD_TOO_SHORT", "FIELD_LENGTH_STEP", "FIELD_NO_KEYWORD_END",
    "FIELD_NO_LANGUAGE_END", "FIELD_NO_TRANSLATED_END", "FIELD_NO_UNIT_END", "FIELD_NO_SEPARATOR",
    "FIELD_UNKNOWN_LAYOUT", "FIELD_BAD_DIMENSION", "FIELD_BAD_BIT_DEPTH", "FIELD_BAD_COLOUR_TYPE",
    "FIELD_BAD_METHOD", "FIELD_BAD_INTERLACE", "FIELD_BAD_PALETTE_SIZE", "FIELD_BAD_INDEX", "FIELD_BAD_SAMPLE",
    "FIELD_BAD_KEYWORD", "FIELD_NOT_LATIN1", "FIELD_NOT_UTF8", "FIELD_BAD_LANGUAGE", "FIELD_BAD_FLAG",
    "FIELD_BAD_ZERO", "FIELD_TOO_LARGE", "FIELD_BAD_UNIT", "FIELD_BAD_INTENT", "FIELD_BAD_MATRIX",
    "FIELD_BAD_RANGE_FLAG", "FIELD_BAD_DATE", "FIELD_BAD_DISPOSE", "FIELD_BAD_BLEND", "FIELD_BAD_NUMBER",
    "FIELD_BAD_MODE", "FIELD_BAD_PARAMETERS", "FIELD_NO_MEMORY",
};

const char* field_result_name(int result)
{
    return result >= 0 && result < FIELD_RESULT_COUNT ? RESULT_NAMES[result] : "FIELD_?";
}

void field_bytes_free(FieldBytes* bytes)
{
    zero_free(bytes->data);
    bytes->data = nullptr;
    bytes->length = 0;
}

void write_part(FieldWriter* writer, const void* bytes, uint32_t count)
{
    if (writer->data && count) {
        memcpy(writer->data + writer->used, bytes, count);
    }
    writer->used += count;
}

void write_span(FieldWriter* writer, const FieldSpan& span, int with_zero)
{
    write_part(writer, span.bytes, span.length);
    if (with_zero) {
        write_byte(writer, 0);
    }
}

void write_byte(FieldWriter* writer, uint8_t value)
{
    write_part(writer, &value, 1);
}

void write_word(FieldWriter* writer, uint32_t value)
{
    uint8_t bytes[4];
    write_u32(bytes, value);
    write_part(writer, bytes, 4);
}

uint8_t* begin_second_pass(FieldWriter* writer)
{
    writer->data = (uint8_t*)zero_alloc(writer->used);
    writer->used = 0;
    return writer->data;
}

int finish_serialize(uint8_t* bytes, uint32_t length, int owned, int result, FieldBytes* out)
{
    out->data = nullptr;
    out->length = 0;
    if (result != FIELD_OK) {
        if (owned) zero_free(bytes);
        return result;
    }
    if (!owned) {
        uint8_t* copy = (uint8_t*)zero_alloc(length);
        if (!copy) return FIELD_NO_MEMORY;
        if (length) memcpy(copy, bytes, length);
        bytes = copy;
    }
    out->data = bytes;
    out->length = length;
    return FIELD_OK;
}

static const char KIND_TYPES[KIND_COUNT][5] = {
    "",     "IHDR", "PLTE", "tRNS", "bKGD", "sBIT", "gAMA", "cHRM", "sRGB", "iCCP", "pHYs", "tIME", "tEXt",
    "zTXt", "iTXt", "cICP", "mDCV", "cLLI", "acTL", "fcTL", "oFFs", "pCAL", "sCAL", "sTER", "gIFg", "gIFx",
};

int field_kind_of(const uint8_t* type)
{
    for (int kind = 1; kind < KIND_COUNT; kind++) {
        if (type_word(KIND_TYPES[kind]) == type_word(type)) {
            return kind;
        }
    }
    return KIND_NONE;
}

const char* field_kind_type(int kind)
{
    return kind > 0 && kind < KIND_COUNT ? KIND_TYPES[kind] : "";
}

ImageLayout layout_of_records(const ChunkRecord* records, int32_t count)
{
    ImageLayout layout = UNKNOWN_LAYOUT;
    IhdrFields ihdr;
    if (count > 0 && type_word(records[0].type) == type_word("IHDR") && records[0].length >= 10) {
        layout.colour_type = records[0].data[9];
        if (field_layout_read(parse_ihdr(records[0].data, records[0].length, &ihdr))) {
            layout.bit_depth = ihdr.bit_depth;
        }
    }
    for (int32_t k = 0; k < count; k++) {
        if (type_word(records[k].type) == type_word("PLTE")) {
            layout.palette_entries = (int)(records[k].length / 3);
            break;
        }
    }
    return layout;
}

// Every kind's parse and serialize with one signature, so that a table holds them.
// The members of AnyFields' union all start where the union does.
typedef int (*AnyParse)(const uint8_t*, uint32_t, const ImageLayout&, AnyFields*);
typedef int (*AnySerialize)(const AnyFields&, const ImageLayout&, FieldBytes*);

template <typename F, int (*P)(const uint8_t*, uint32_t, F*)>
int parse_plain(const uint8_t* d, uint32_t n, const ImageLayout&, AnyFields* a)
{
    return P(d, n, reinterpret_cast<F*>(&a->ihdr));
}
template <typename F, int (*P)(const uint8_t*, uint32_t, const ImageLayout&, F*)>
int parse_laid_out(const uint8_t* d, uint32_t n, const ImageLayout& layout, AnyFields* a)
{
    return P(d, n, layout, reinterpret_cast<F*>(&a->ihdr));
}
template <typename F, int (*S)(const F&, FieldBytes*)>
int serialize_plain(const AnyFields& a, const ImageLayout&, FieldBytes* out)
{
    return S(*reinterpret_cast<const F*>(&a.ihdr), out);
}
template <typename F, int (*S)(const F&, const ImageLayout&, FieldBytes*)>
int serialize_laid_out(const AnyFields& a, const ImageLayout& layout, FieldBytes* out)
{
    return S(*reinterpret_cast<const F*>(&a.ihdr), layout, out);
}

#define PLAIN(F, name) {parse_plain<F, parse_##name>, serialize_plain<F, serialize_##name>}
#define LAID_OUT(F, name) {parse_laid_out<F, parse_##name>, serialize_laid_out<F, serialize_##name>}

struct KindEntry {
    AnyParse     parse;
    AnySerialize serialize;
};

// In the order of FieldKind.
static const KindEntry KIND_TABLE[KIND_COUNT] = {
    {nullptr, nullptr},
    PLAIN(IhdrFields, ihdr), LAID_OUT(PlteFields, plte), LAID_OUT(TrnsFields, trns), LAID_OUT(BkgdFields, bkgd),
    LAID_OUT(SbitFields, sbit), PLAIN(GamaFields, gama), PLAIN(ChrmFields, chrm), PLAIN(SrgbFields, srgb),
    PLAIN(IccpFields, iccp), PLAIN(PhysFields, phys), PLAIN(TimeFields, time), PLAIN(TextFields, text),
    PLAIN(ZtxtFields, ztxt), PLAIN(ItxtFields, itxt), PLAIN(CicpFields, cicp), PLAIN(MdcvFields, mdcv),
    PLAIN(ClliFields, clli), PLAIN(ActlFields, actl), PLAIN(FctlFields, fctl), PLAIN(OffsFields, offs),
    PLAIN(PcalFields, pcal), PLAIN(ScalFields, scal), PLAIN(SterFields, ster), PLAIN(GifgFields, gifg),
    PLAIN(GifxFields, gifx),
};

int parse_record(const ChunkRecord& record, const ImageLayout& layout, AnyFields* fields)
{
    memset(fields, 0, sizeof *fields);
    fields->kind = field_kind_of(record.type);
    if (fields->kind == KIND_NONE) {
        return FIELD_UNKNOWN_LAYOUT;
    }
    return KIND_TABLE[fields->kind].parse(record.data, record.length, layout, fields);
}

int serialize_fields(const AnyFields& fields, const ImageLayout& layout, FieldBytes* out)
{
    out->data = nullptr;
    out->length = 0;
    if (fields.kind <= KIND_NONE || fields.kind >= KIND_COUNT) {
        return FIELD_UNKNOWN_LAYOUT;
    }
    return KIND_TABLE[fields.kind].serialize(fields, layout, out);
}
