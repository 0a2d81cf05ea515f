#include "check_image.h"

#include "document/byte_order.h"
#include "document/chunk_file.h"

static void check_palette_size(int32_t plte, const ImageFacts& facts, FindingList* out)
{
    const ChunkRecord& record = g_document.records[plte];
    if (record.length % 3 != 0) {
        add_finding(out, RULE_PLTE_LENGTH, plte, record.type, record.length);
        return;
    }
    uint32_t entries = record.length / 3, limit = 256;
    if (facts.colour == 3 && facts.depth < 8) limit = 1u << facts.depth;
    if (entries == 0 || entries > limit) add_finding(out, RULE_PLTE_ENTRIES, plte, record.type, entries, limit);
}

// hIST needs a palette; tRNS has no place in an image with an alpha channel.
static void check_palette_users(const OrderLandmarks& marks, const ImageFacts& facts, FindingList* out)
{
    for (int32_t i = 0; i < g_document.count; i++) {
        const ChunkRecord& record = g_document.records[i];
        uint32_t word = type_word(record.type);
        if (word == type_word("hIST") && marks.first_plte < 0) add_finding(out, RULE_NEEDS_PLTE, i, record.type);
        if (word == type_word("tRNS") && facts.known && (facts.colour == 4 || facts.colour == 6)) {
            add_finding(out, RULE_FORBIDDEN_FOR_COLOUR, i, record.type, facts.colour);
        }
    }
}

void check_palette_rules(const OrderLandmarks& marks, FindingList* out)
{
    ImageFacts facts = image_facts();
    if (marks.first_plte >= 0) check_palette_size(marks.first_plte, facts, out);
    check_palette_users(marks, facts, out);
    if (!facts.known) return;
    if (facts.colour == 3 && marks.first_plte < 0) add_finding(out, RULE_PLTE_MISSING, FINDING_FILE, nullptr);
    if ((facts.colour == 0 || facts.colour == 4) && marks.first_plte >= 0) {
        const ChunkRecord& plte = g_document.records[marks.first_plte];
        add_finding(out, RULE_PLTE_FORBIDDEN, marks.first_plte, plte.type, facts.colour);
    }
}
