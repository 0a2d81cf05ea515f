// The fields of each chunk within their ranges, through the field model: the one
// parse of each type finds what its bytes get wrong. PLTE, acTL and fcTL are told
// by the palette and animation rules (with their numbers), so they are left out here.
#include <string.h>

#include "check_image.h"
#include "document/byte_order.h"
#include "document/chunk_file.h"
#include "fields/field_model.h"
#include "present/exif_reader.h"

namespace {

struct FaultText {
    int32_t result;
    const char* text[2];
};
#define FIELD_FAULT_TEXT(result, ja, en) {result, {ja, en}},
const FaultText FAULT_TEXTS[] = {FIELD_FAULT_TEXTS(FIELD_FAULT_TEXT)};
#undef FIELD_FAULT_TEXT

int told_elsewhere(int kind)
{
    return kind == KIND_NONE || kind == KIND_PLTE || kind == KIND_ACTL || kind == KIND_FCTL;
}

// One finding for the model's verdict on chunk `i`. A layout the colour type does
// not give (tRNS with alpha, or no IHDR) is told by the palette and IHDR rules.
void check_model_fields(int32_t i, const ImageLayout& layout, FindingList* out)
{
    const ChunkRecord& record = g_document.records[i];
    if (told_elsewhere(field_kind_of(record.type))) return;
    AnyFields fields;
    int result = parse_record(record, layout, &fields);
    if (result == FIELD_OK || result == FIELD_UNKNOWN_LAYOUT) return;
    int32_t rule = field_layout_read(result) ? RULE_FIELD_VALUE : RULE_FIELD_LAYOUT;
    add_finding(out, rule, i, record.type, (uint32_t)result, record.length);
}

// hIST: one two-byte count per palette entry.
void check_hist(int32_t i, int32_t palette_entries, FindingList* out)
{
    const ChunkRecord& record = g_document.records[i];
    if (palette_entries >= 0 && record.length != 2u * (uint32_t)palette_entries) {
        add_finding(out, RULE_HIST_ENTRIES, i, record.type, record.length / 2, (uint32_t)palette_entries);
    }
}

void check_exif(int32_t i, FindingList* out)
{
    const ChunkRecord& record = g_document.records[i];
    Tiff tiff;
    int prefixed = 0;
    if (!open_tiff(record.data, record.length, &tiff, &prefixed)) add_finding(out, RULE_EXIF_HEADER, i, record.type);
}

}  // namespace

const char* field_fault_text(uint32_t result, CheckLanguage language)
{
    for (const FaultText& fault : FAULT_TEXTS) {
        if ((uint32_t)fault.result == result) return fault.text[language == CHECK_ENGLISH];
    }
    return field_result_name((int)result);
}

ImageFacts image_facts()
{
    ImageFacts facts = ImageFacts();
    if (!g_document.loaded || g_document.count == 0) return facts;
    const ChunkRecord& first = g_document.records[0];
    IhdrFields ihdr;
    if (type_word(first.type) != type_word("IHDR")) return facts;
    int result = parse_ihdr(first.data, first.length, &ihdr);
    facts.known = field_layout_read(result);
    facts.valid = result == FIELD_OK;
    facts.width = ihdr.width;
    facts.height = ihdr.height;
    facts.depth = ihdr.bit_depth;
    facts.colour = ihdr.colour_type;
    facts.interlace = ihdr.interlace;
    return facts;
}

int compressed_part(int32_t chunk, uint32_t* start, uint32_t* length)
{
    const ChunkRecord& record = g_document.records[chunk];
    AnyFields fields;
    int result = parse_record(record, UNKNOWN_LAYOUT, &fields);
    if (!field_layout_read(result) || result == FIELD_BAD_METHOD || result == FIELD_BAD_FLAG) return 0;
    FieldSpan span = {nullptr, 0};
    if (fields.kind == KIND_ZTXT) span = fields.ztxt.compressed;
    if (fields.kind == KIND_ICCP) span = fields.iccp.profile;
    if (fields.kind == KIND_ITXT && fields.itxt.flag == 1) span = fields.itxt.text;
    if (!span.bytes) return 0;
    *start = (uint32_t)(span.bytes - record.data);
    *length = span.length;
    return 1;
}

void check_fields(FindingList* out)
{
    auto layout = layout_of_records(g_document.records, g_document.count);
    int32_t palette_entries = -1;
    for (int32_t i = 0; i < g_document.count; i++) {
        const ChunkRecord& record = g_document.records[i];
        uint32_t word = type_word(record.type);
        check_model_fields(i, layout, out);
        if (word == type_word("PLTE") && palette_entries < 0) palette_entries = (int32_t)(record.length / 3);
        if (word == type_word("hIST")) check_hist(i, palette_entries, out);
        if (word == type_word("eXIf")) check_exif(i, out);
    }
}
