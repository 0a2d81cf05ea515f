// The per-type decoders of the chunk inspector and the helpers they share; used
// only by chunk_fields.cpp and the files that hold the decoders.
#pragma once
#include <stdint.h>

#include "chunk_fields.h"

typedef void (*FieldWriter)(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);

// 1 when the record is exactly / at least `length` bytes long; else reports it.
int has_length(TextBuilder* out, const ChunkRecord& record, uint32_t length);
int has_minimum(TextBuilder* out, const ChunkRecord& record, uint32_t length);
uint16_t read_u16(const uint8_t* p);
// A value from a short list of names, or the number with an error when it has none.
void named_value(TextBuilder* out, const char* label, unsigned value, const char* const* names, unsigned count);
// After the field model's parse: 1 when it read the fields; for FIELD_WRONG_LENGTH
// reports the `length` the type has, as has_length does.
int fields_read(TextBuilder* out, int result, const ChunkRecord& record, uint32_t length);

// Text chunks and iCCP (text_fields.cpp).
void write_text(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_compressed_text(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_international_text(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_icc(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
// Animation and iDOT (animation_fields.cpp).
void write_actl(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_fctl(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_fdat(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_idot(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
// The registered extensions (registered_fields.cpp).
void write_offs(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_pcal(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_scal(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_ster(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_gifg(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void write_gifx(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
