// What the parse and serialize functions of src/fields share: a cursor over a
// chunk's data, and the last step of every serialize.
#pragma once
#include <stdint.h>
#include <string.h>

#include "field_model.h"

// The field from `*at` up to the next zero byte, which is skipped; 0 without one.
inline int take_until_zero(const uint8_t* data, uint32_t length, uint32_t* at, FieldSpan* field)
{
    const uint8_t* start = data + *at;
    const uint8_t* end = *at < length ? (const uint8_t*)memchr(start, 0, length - *at) : nullptr;
    if (!end) {
        return 0;
    }
    field->bytes = start;
    field->length = (uint32_t)(end - start);
    *at += field->length + 1;
    return 1;
}

inline FieldSpan span_from(const uint8_t* data, uint32_t length, uint32_t at)
{
    return FieldSpan{data + at, length - at};
}

inline int has_zero(const FieldSpan& span)
{
    return span.length > 0 && memchr(span.bytes, 0, span.length) != nullptr;
}

inline uint16_t field_u16(const uint8_t* p)
{
    return (uint16_t)(p[0] << 8 | p[1]);
}

inline void put_u16(uint8_t* p, uint16_t value)
{
    p[0] = (uint8_t)(value >> 8);
    p[1] = (uint8_t)value;
}

// A chunk of one byte, a code from 0 to `highest` (sRGB, sTER); `fault` beyond.
inline int parse_code_byte(const uint8_t* d, uint32_t length, uint8_t* code, uint8_t highest, int fault)
{
    *code = 0;
    if (length != 1) return FIELD_WRONG_LENGTH;
    *code = d[0];
    return *code > highest ? fault : FIELD_OK;
}

// Parts written one after the other into a buffer of exactly the right size:
// the first pass (`data` null) only counts.
struct FieldWriter {
    uint8_t* data;
    uint32_t used;
};
void write_part(FieldWriter* writer, const void* bytes, uint32_t count);
void write_span(FieldWriter* writer, const FieldSpan& span, int with_zero);
void write_byte(FieldWriter* writer, uint8_t value);
void write_word(FieldWriter* writer, uint32_t value);

// The end of every serialize: `result` is what parse said of the built bytes; on
// FIELD_OK they become `*out` (a copy when `owned` is 0), otherwise they are freed
// (when owned) and nothing is given out.
int finish_serialize(uint8_t* bytes, uint32_t length, int owned, int result, FieldBytes* out);
// Allocates `writer.used` bytes for the second pass; null when memory runs out.
uint8_t* begin_second_pass(FieldWriter* writer);
