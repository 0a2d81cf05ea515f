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
