// The fields of each chunk within their ranges.
#include "check_image.h"
#include "document/byte_order.h"
#include "document/chunk_file.h"

void check_fields(FindingList* out)
{
    const ChunkRecord& first = g_document.records[0];
    ImageFacts facts = image_facts();
    if (type_word(first.type) == type_word("IHDR") && !facts.known) {
        add_finding(out, RULE_FIELD_LENGTH, 0, first.type, first.length);
    } else if (facts.known && !facts.valid) {
        add_finding(out, RULE_IHDR_FIELDS, 0, first.type);
    }
}
