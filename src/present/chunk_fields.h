// The chunk inspector's text: every field of a chunk decoded and labelled, a dump
// of its raw data and the facts of the file, as UTF-8 lines "label: value".
// A field that cannot be read as the format defines it is reported on a line of
// its own ("エラー: ...") instead of being shown wrong.
#pragma once
#include <stdint.h>

#include "document/chunk_file.h"
#include "text_out.h"

// What the decoders need beyond the chunk itself.
struct FieldContext {
    int     colour_type;   // from the document's IHDR, or -1 when it has none
    int32_t index;         // the chunk's place in the document, or -1 for a lone record
};

// Fields shown of an inflated text or profile, and the most any stream may inflate
// to before it is reported as too large.
const uint32_t INSPECT_TEXT_KEEP = 1024 * 1024;
const uint32_t INSPECT_PROFILE_KEEP = 4 * 1024 * 1024;
const uint64_t INSPECT_INFLATE_CAP = 64ull * 1024 * 1024;
// The raw data dump shows at most this many bytes.
const uint32_t INSPECT_DUMP_LIMIT = 64 * 1024;
// List fields (palette, transparency, histogram, suggested palette) show at most
// this many entries, then how many more there are.
const uint32_t INSPECT_ENTRY_LIMIT = 4096;

// The whole text for chunk `index` of g_document: heading, fields, dump, file facts.
void describe_chunk(TextBuilder* out, int32_t index);
// Only the decoded fields of a record.
void describe_fields(TextBuilder* out, const ChunkRecord& record, const FieldContext& context);
void describe_dump(TextBuilder* out, const uint8_t* data, uint32_t length);
void describe_file(TextBuilder* out);

// Decoders with a file of their own (exif_icc.cpp).
void describe_exif(TextBuilder* out, const uint8_t* data, uint32_t length);
void describe_icc_profile(TextBuilder* out, const uint8_t* profile, uint32_t length);

// Shared by the decoders: an error line, and a length check that reports itself.
void field_error(TextBuilder* out, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
