// The rules of a file's shape: each chunk's type name and CRC, the bytes after
// IEND, which chunk stands first and last, how often each type appears, where it
// stands relative to PLTE and IDAT, and whether the palette fits the image.
#include "check.h"
#include "check_image.h"
#include "chunk_order.h"
#include "document/byte_order.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"

namespace {

int is_letter(uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int is_known_critical(uint32_t word)
{
    return word == type_word("IHDR") || word == type_word("PLTE") || word == type_word("IDAT") ||
           word == type_word("IEND");
}

// The type name, the CRC and an unknown critical type of chunk `i`.
void check_chunk_facts(int32_t i, FindingList* out)
{
    const ChunkRecord& record = g_document.records[i];
    const uint8_t* type = record.type;
    if (!is_letter(type[0]) || !is_letter(type[1]) || !is_letter(type[2]) || !is_letter(type[3])) {
        add_finding(out, RULE_BAD_TYPE_NAME, i, type);
    } else if (type[2] & 0x20) {
        add_finding(out, RULE_RESERVED_BIT, i, type);
    } else if (!(type[0] & 0x20) && !is_known_critical(type_word(type))) {
        add_finding(out, RULE_UNKNOWN_CRITICAL, i, type);
    }
    if (is_damaged(i)) add_finding(out, RULE_CRC_DAMAGED, i, type, record.stored_crc, record.computed_crc);
}

const int32_t PLACE_RULES[] = {
    -1,                   // ORDER_ALLOWED
    RULE_IHDR_NOT_FIRST,  RULE_IEND_NOT_LAST, RULE_BEFORE_PLTE,         RULE_AFTER_PLTE,
    RULE_BEFORE_IDAT,     RULE_AFTER_IDAT,    RULE_IDAT_NOT_CONTIGUOUS, RULE_NOT_SINGLE,
};

// Multiplicity and placement of chunk `i`; `seen` counts each table type so far.
void check_chunk_order(int32_t i, const OrderLandmarks& marks, int32_t* seen, FindingList* out)
{
    const ChunkRecord& record = g_document.records[i];
    const ChunkOrderRule* rule = chunk_order_rule(record.type);
    if (!rule) return;
    int32_t number = ++seen[rule - CHUNK_ORDER_RULES];
    if (rule->count == CHUNK_SINGLE && number > 1) add_finding(out, RULE_NOT_SINGLE, i, record.type, (uint32_t)number);
    // IHDR, IEND and IDAT have rules of their own; a PLTE after IDAT is told at the PLTE.
    if (rule->place == PLACE_FIRST || rule->place == PLACE_LAST || rule->place == PLACE_IDAT) return;
    int32_t verdict = placement_verdict(marks, record.type, i);
    if (verdict != ORDER_ALLOWED) add_finding(out, PLACE_RULES[verdict], i, record.type);
}

void check_first_and_last(FindingList* out)
{
    const ChunkRecord* records = g_document.records;
    int32_t last = g_document.count - 1;
    if (type_word(records[0].type) != type_word("IHDR")) add_finding(out, RULE_IHDR_NOT_FIRST, 0, records[0].type);
    if (type_word(records[last].type) != type_word("IEND")) {
        add_finding(out, RULE_IEND_NOT_LAST, last, records[last].type);
    }
}

// IDAT present, and every IDAT in one run: each IDAT that resumes after another chunk is told.
void check_idat_run(const OrderLandmarks& marks, FindingList* out)
{
    if (marks.first_idat < 0) {
        add_finding(out, RULE_NO_IDAT, FINDING_FILE, nullptr);
        return;
    }
    for (int32_t i = marks.first_idat + 1; i <= marks.last_idat; i++) {
        int is_idat = type_word(g_document.records[i].type) == type_word("IDAT");
        int after_idat = type_word(g_document.records[i - 1].type) == type_word("IDAT");
        if (is_idat && !after_idat) add_finding(out, RULE_IDAT_NOT_CONTIGUOUS, i, g_document.records[i].type);
    }
}

// sRGB and iCCP both describe the colour space: a file keeps one of them.
void check_colour_space(FindingList* out)
{
    int32_t srgb = -1, iccp = -1;
    for (int32_t i = 0; i < g_document.count; i++) {
        uint32_t word = type_word(g_document.records[i].type);
        if (word == type_word("sRGB") && srgb < 0) srgb = i;
        if (word == type_word("iCCP") && iccp < 0) iccp = i;
    }
    if (srgb >= 0 && iccp >= 0) add_finding(out, RULE_SRGB_WITH_ICCP, srgb, g_document.records[srgb].type);
}

}  // namespace

void check_structure(FindingList* out)
{
    const int32_t count = g_document.count;
    if (g_trailing.count > 0) add_finding(out, RULE_DATA_AFTER_IEND, FINDING_FILE, nullptr, g_trailing.count);
    check_first_and_last(out);
    OrderLandmarks marks = find_landmarks(g_document.records, count, -1);
    int32_t seen[CHUNK_ORDER_RULE_LIMIT] = {0};
    for (int32_t i = 0; i < count; i++) {
        check_chunk_facts(i, out);
        check_chunk_order(i, marks, seen, out);
    }
    check_idat_run(marks, out);
    check_palette_rules(marks, out);
    check_colour_space(out);
}
