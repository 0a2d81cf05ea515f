// The fields of each chunk within their ranges.
#include "check_image.h"
#include "document/byte_order.h"
#include "document/chunk_file.h"
#include "present/exif_reader.h"

namespace {

void check_ihdr(FindingList* out)
{
    const ChunkRecord& first = g_document.records[0];
    ImageFacts facts = image_facts();
    if (type_word(first.type) == type_word("IHDR") && !facts.known) {
        add_finding(out, RULE_FIELD_LENGTH, 0, first.type, first.length);
    } else if (facts.known && !facts.valid) {
        add_finding(out, RULE_IHDR_FIELDS, 0, first.type);
    }
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

void check_fields(FindingList* out)
{
    check_ihdr(out);
    int32_t palette_entries = -1;
    for (int32_t i = 0; i < g_document.count; i++) {
        const ChunkRecord& record = g_document.records[i];
        uint32_t word = type_word(record.type);
        if (word == type_word("PLTE") && palette_entries < 0) palette_entries = (int32_t)(record.length / 3);
        if (word == type_word("hIST")) check_hist(i, palette_entries, out);
        if (word == type_word("eXIf")) check_exif(i, out);
    }
}
