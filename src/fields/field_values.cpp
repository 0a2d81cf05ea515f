// One field set from its text and read back as text (field_names.h).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "document/memory.h"
#include "field_names.h"
#include "field_zlib.h"
#include "text_rules.h"

namespace {

// The most a compressed text may inflate to when it is recoded or read as text.
const uint32_t TEXT_INFLATE_CAP = 64u * 1024 * 1024;

uint8_t* member(AnyFields* fields, const FieldSpec& spec)
{
    return reinterpret_cast<uint8_t*>(&fields->ihdr) + spec.offset;
}

const uint8_t* member(const AnyFields& fields, const FieldSpec& spec)
{
    return reinterpret_cast<const uint8_t*>(&fields.ihdr) + spec.offset;
}

// Keeps a block in the store (and frees it when the store is full).
uint8_t* keep_block(FieldStore* store, uint8_t* block)
{
    if (block && store->count < FIELD_STORE_BLOCKS) {
        store->blocks[store->count++] = block;
        return block;
    }
    zero_free(block);
    return nullptr;
}

// A decimal integer, or with `fixed5` a decimal with up to five places times
// 100,000 (a text without a point is the stored value itself).
int read_number(const char* text, int fixed5, int64_t* value, int* had_point)
{
    const char* p = text;
    int negative = *p == '-';
    if (*p == '-' || *p == '+') p++;
    int64_t whole = 0, fraction = 0, scale = 1;
    const char* digits = p;
    while (*p >= '0' && *p <= '9' && whole < 10000000000000ll) whole = whole * 10 + (*p++ - '0');
    *had_point = fixed5 && *p == '.';
    if (*had_point) {
        for (p++; *p >= '0' && *p <= '9'; p++) {
            if (scale < 10000000) fraction = fraction * 10 + (*p - '0'), scale *= 10;
        }
        whole = whole * 100000 + (fraction * 100000 * 2 + scale) / (2 * scale);   // rounded
    }
    if (p == digits || *p != 0) return 0;
    *value = negative ? -whole : whole;
    return 1;
}

void store_number(uint8_t* at, int type, int64_t value)
{
    if (type == VALUE_U8 || type == VALUE_ITXT_FLAG) *at = (uint8_t)value;
    if (type == VALUE_U16) *(uint16_t*)(void*)at = (uint16_t)value;
    if (type == VALUE_U32 || type == VALUE_FIXED5 || type == VALUE_GAMMA) *(uint32_t*)(void*)at = (uint32_t)value;
    if (type == VALUE_I32) *(int32_t*)(void*)at = (int32_t)value;
}

int64_t load_number(const uint8_t* at, int type)
{
    if (type == VALUE_U8 || type == VALUE_ITXT_FLAG) return *at;
    if (type == VALUE_U16) return *(const uint16_t*)(const void*)at;
    if (type == VALUE_I32) return *(const int32_t*)(const void*)at;
    return *(const uint32_t*)(const void*)at;
}

int fail(FieldTextError* error, int code, int fault)
{
    error->code = code;
    error->fault = fault;
    return 0;
}

int set_number(AnyFields* fields, const FieldSpec& spec, const char* text, FieldTextError* error)
{
    int64_t value = 0;
    int had_point = 0;
    int fixed = spec.type == VALUE_FIXED5 || spec.type == VALUE_GAMMA;
    if (!read_number(text, fixed, &value, &had_point)) return fail(error, TEXT_NOT_A_NUMBER, FIELD_OK);
    if (spec.type == VALUE_GAMMA && had_point && value > 100000) {
        value = (10000000000ll + value / 2) / value;   // the exponent 2.2 is stored as 1 / 2.2
    }
    if (value < spec.min || value > spec.max) return fail(error, TEXT_OUT_OF_RANGE, FIELD_OK);
    store_number(member(fields, spec), spec.type, value);
    if (fields->kind == KIND_SBIT) {
        uint8_t place = (uint8_t)(spec.offset - offsetof(SbitFields, bits) + 1);
        if (fields->sbit.count < place) fields->sbit.count = place;
    }
    return 1;
}

// The text as the bytes the chunk stores: Latin-1 or UTF-8, in a block of the store.
int stored_text(FieldStore* store, const char* text, int latin1, FieldSpan* span, FieldTextError* error)
{
    size_t length = strlen(text);
    if (length > 0x7FFFFFFFu) return fail(error, TEXT_OUT_OF_RANGE, FIELD_OK);
    uint8_t* block = keep_block(store, (uint8_t*)zero_alloc(length));
    if (!block) return fail(error, TEXT_NO_MEMORY, FIELD_OK);
    size_t written = length;
    if (latin1 && !utf8_to_latin1((const uint8_t*)text, length, block, &written)) {
        return fail(error, TEXT_BAD_TEXT, FIELD_NOT_LATIN1);
    }
    if (!latin1) {
        memcpy(block, text, length);
        if (!is_valid_utf8(block, length) || memchr(block, 0, length)) return fail(error, TEXT_BAD_TEXT, FIELD_NOT_UTF8);
    }
    *span = FieldSpan{block, (uint32_t)written};
    return 1;
}

int compress_into(FieldStore* store, const FieldSpan& plain, FieldSpan* span, FieldTextError* error)
{
    FieldBytes out = {nullptr, 0};
    if (!compress_field(plain.bytes, plain.length, COMPRESS_BEST, &out) || !keep_block(store, out.data)) {
        return fail(error, TEXT_NO_MEMORY, FIELD_OK);
    }
    *span = FieldSpan{out.data, out.length};
    return 1;
}

// iTXt's flag: the text is recoded so that it stays the same text.
int set_itxt_flag(AnyFields* fields, FieldStore* store, const FieldSpec& spec, const char* text, FieldTextError* error)
{
    uint8_t before = fields->itxt.flag;
    if (!set_number(fields, spec, text, error)) return 0;
    if (before == fields->itxt.flag) return 1;
    if (fields->itxt.flag == 1) return compress_into(store, fields->itxt.text, &fields->itxt.text, error);
    FieldBytes plain = {nullptr, 0};
    if (decompress_field(fields->itxt.text, TEXT_INFLATE_CAP, &plain) != INFLATE_OK) {
        fields->itxt.flag = before;
        return fail(error, TEXT_BAD_TEXT, FIELD_BAD_METHOD);
    }
    if (!keep_block(store, plain.data)) return fail(error, TEXT_NO_MEMORY, FIELD_OK);
    fields->itxt.text = FieldSpan{plain.data, plain.length};
    return 1;
}

// pCAL's parameters: "a,b,c" becomes a, b and c separated by zero bytes.
int set_parameters(AnyFields* fields, FieldStore* store, const char* text, FieldTextError* error)
{
    FieldSpan span = {nullptr, 0};
    if (!stored_text(store, text, 1, &span, error)) return 0;
    uint8_t* bytes = const_cast<uint8_t*>(span.bytes);
    unsigned count = 1;
    for (uint32_t k = 0; k < span.length; k++) {
        if (bytes[k] == ',') bytes[k] = 0, count++;
    }
    PcalFields probe = fields->pcal;
    probe.parameters = span;
    probe.count = (uint8_t)(count > 255 ? 255 : count);
    for (unsigned k = 0; k < probe.count; k++) {
        FieldSpan p = {nullptr, 0};
        if (!pcal_parameter(probe, k, &p) || !is_png_number(p.bytes, p.length, 1)) {
            return fail(error, TEXT_BAD_TEXT, FIELD_BAD_NUMBER);
        }
    }
    fields->pcal.parameters = probe.parameters;
    fields->pcal.count = probe.count;
    return 1;
}

int set_ascii_bytes(AnyFields* fields, const FieldSpec& spec, const char* text, FieldTextError* error)
{
    size_t length = strlen(text);
    for (size_t k = 0; k < length; k++) {
        if (text[k] < 0x20 || text[k] > 0x7E) return fail(error, TEXT_BAD_TEXT, FIELD_NOT_LATIN1);
    }
    if ((int64_t)length != spec.max) return fail(error, TEXT_OUT_OF_RANGE, FIELD_OK);
    memcpy(member(fields, spec), text, length);
    return 1;
}

// A text span: converted, checked by the rule of its type, compressed when stored so.
int set_span(AnyFields* fields, FieldStore* store, const FieldSpec& spec, const char* text, FieldTextError* error)
{
    FieldSpan* target = reinterpret_cast<FieldSpan*>(member(fields, spec));
    int latin1 = spec.type == VALUE_LATIN1 || spec.type == VALUE_KEYWORD || spec.type == VALUE_ZTXT_TEXT ||
                 spec.type == VALUE_NUMBER_TEXT;
    FieldSpan span = {nullptr, 0};
    if (!stored_text(store, text, latin1, &span, error)) return 0;
    if (spec.type == VALUE_KEYWORD && !is_valid_keyword(span.bytes, span.length)) {
        return fail(error, TEXT_BAD_TEXT, FIELD_BAD_KEYWORD);
    }
    if (spec.type == VALUE_LANGUAGE && !is_language_tag(span.bytes, span.length)) {
        return fail(error, TEXT_BAD_TEXT, FIELD_BAD_LANGUAGE);
    }
    if (spec.type == VALUE_NUMBER_TEXT && !is_png_number(span.bytes, span.length, 0)) {
        return fail(error, TEXT_BAD_TEXT, FIELD_BAD_NUMBER);
    }
    if (spec.type == VALUE_ZTXT_TEXT || (spec.type == VALUE_ITXT_TEXT && fields->itxt.flag == 1)) {
        return compress_into(store, span, target, error);
    }
    *target = span;
    return 1;
}

}  // namespace

int apply_field_text(int kind, AnyFields* fields, FieldStore* store, const char* name, const char* value,
                     FieldTextError* error)
{
    *error = FieldTextError{TEXT_OK, find_field_spec(kind, name), FIELD_OK};
    if (!error->spec || fields->kind != kind) return fail(error, TEXT_UNKNOWN_FIELD, FIELD_OK);
    const FieldSpec& spec = *error->spec;
    switch (spec.type) {
    case VALUE_ITXT_FLAG: return set_itxt_flag(fields, store, spec, value, error);
    case VALUE_PARAMETERS: return set_parameters(fields, store, value, error);
    case VALUE_ASCII_BYTES: return set_ascii_bytes(fields, spec, value, error);
    case VALUE_LATIN1: case VALUE_KEYWORD: case VALUE_UTF8: case VALUE_LANGUAGE: case VALUE_NUMBER_TEXT:
    case VALUE_ZTXT_TEXT: case VALUE_ITXT_TEXT:
        return set_span(fields, store, spec, value, error);
    default: return set_number(fields, spec, value, error);
    }
}

int apply_field_assignment(int kind, AnyFields* fields, FieldStore* store, const char* assignment,
                           FieldTextError* error)
{
    const char* equals = strchr(assignment, '=');
    char name[32];
    size_t length = equals ? (size_t)(equals - assignment) : 0;
    if (!equals || length >= sizeof name) {
        *error = FieldTextError{TEXT_UNKNOWN_FIELD, nullptr, FIELD_OK};
        return 0;
    }
    memcpy(name, assignment, length);
    name[length] = 0;
    return apply_field_text(kind, fields, store, name, equals + 1, error);
}

namespace {

// Appends to a zero-terminated text of at most `size` bytes, counting all of it.
struct TextSink {
    char*  out;
    size_t size, needed;
};

void sink_bytes(TextSink* sink, const void* bytes, size_t count)
{
    if (sink->needed + 1 < sink->size) {
        size_t room = sink->size - 1 - sink->needed;
        memcpy(sink->out + sink->needed, bytes, count < room ? count : room);
    }
    sink->needed += count;
    if (sink->size) sink->out[sink->needed < sink->size ? sink->needed : sink->size - 1] = 0;
}

// Latin-1 bytes as UTF-8; with `commas` the zero bytes as commas (pCAL).
void sink_latin1(TextSink* sink, const FieldSpan& span, int commas)
{
    for (uint32_t k = 0; k < span.length; k++) {
        uint8_t c = span.bytes[k];
        uint8_t utf8[2] = {(uint8_t)(0xC0 | c >> 6), (uint8_t)(0x80 | (c & 0x3F))};
        if (c == 0 && commas) c = ',';
        sink_bytes(sink, c < 0x80 ? &c : utf8, c < 0x80 ? 1 : 2);
    }
}

void sink_stream(TextSink* sink, const FieldSpan& stream, int latin1)
{
    FieldBytes plain = {nullptr, 0};
    if (decompress_field(stream, TEXT_INFLATE_CAP, &plain) != INFLATE_OK) return;
    FieldSpan span = {plain.data, plain.length};
    if (latin1) sink_latin1(sink, span, 0);
    else sink_bytes(sink, plain.data, plain.length);
    field_bytes_free(&plain);
}

}  // namespace

size_t field_value_text(const AnyFields& fields, const FieldSpec& spec, char* out, size_t size)
{
    TextSink sink = {out, size, 0};
    if (size) out[0] = 0;
    const uint8_t* at = member(fields, spec);
    FieldSpan span = {nullptr, 0};
    if (spec.type >= VALUE_LATIN1 && spec.type != VALUE_ITXT_FLAG && spec.type != VALUE_ASCII_BYTES) {
        memcpy(&span, at, sizeof span);
    }
    switch (spec.type) {
    case VALUE_LATIN1: case VALUE_KEYWORD: case VALUE_NUMBER_TEXT: sink_latin1(&sink, span, 0); break;
    case VALUE_PARAMETERS: sink_latin1(&sink, span, 1); break;
    case VALUE_UTF8: case VALUE_LANGUAGE: sink_bytes(&sink, span.bytes, span.length); break;
    case VALUE_ZTXT_TEXT: sink_stream(&sink, span, 1); break;
    case VALUE_ITXT_TEXT:
        if (fields.itxt.flag == 1) sink_stream(&sink, span, 0);
        else sink_bytes(&sink, span.bytes, span.length);
        break;
    case VALUE_ASCII_BYTES: sink_bytes(&sink, at, (size_t)spec.max); break;
    default: {
        char number[24];
        int n = snprintf(number, sizeof number, "%lld", (long long)load_number(at, spec.type));
        sink_bytes(&sink, number, (size_t)n);
    }
    }
    return sink.needed;
}
