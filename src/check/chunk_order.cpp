#include "chunk_order.h"

#include "document/byte_order.h"

const ChunkOrderRule CHUNK_ORDER_RULES[] = {
    {"IHDR", PLACE_FIRST, CHUNK_SINGLE},        {"PLTE", PLACE_BEFORE_IDAT, CHUNK_SINGLE},
    {"IDAT", PLACE_IDAT, CHUNK_MULTIPLE},       {"IEND", PLACE_LAST, CHUNK_SINGLE},
    // Colour space: before PLTE and IDAT.
    {"cHRM", PLACE_BEFORE_PLTE, CHUNK_SINGLE},  {"gAMA", PLACE_BEFORE_PLTE, CHUNK_SINGLE},
    {"iCCP", PLACE_BEFORE_PLTE, CHUNK_SINGLE},  {"sBIT", PLACE_BEFORE_PLTE, CHUNK_SINGLE},
    {"sRGB", PLACE_BEFORE_PLTE, CHUNK_SINGLE},  {"cICP", PLACE_BEFORE_PLTE, CHUNK_SINGLE},
    {"mDCV", PLACE_BEFORE_PLTE, CHUNK_SINGLE},  {"cLLI", PLACE_BEFORE_PLTE, CHUNK_SINGLE},
    // What refers to the palette: after PLTE, before IDAT.
    {"bKGD", PLACE_AFTER_PLTE, CHUNK_SINGLE},   {"hIST", PLACE_AFTER_PLTE, CHUNK_SINGLE},
    {"tRNS", PLACE_AFTER_PLTE, CHUNK_SINGLE},
    // Before IDAT.
    {"pHYs", PLACE_BEFORE_IDAT, CHUNK_SINGLE},  {"sPLT", PLACE_BEFORE_IDAT, CHUNK_MULTIPLE},
    {"eXIf", PLACE_BEFORE_IDAT, CHUNK_SINGLE},  {"acTL", PLACE_BEFORE_IDAT, CHUNK_SINGLE},
    {"oFFs", PLACE_BEFORE_IDAT, CHUNK_SINGLE},  {"pCAL", PLACE_BEFORE_IDAT, CHUNK_SINGLE},
    {"sCAL", PLACE_BEFORE_IDAT, CHUNK_SINGLE},  {"sTER", PLACE_BEFORE_IDAT, CHUNK_SINGLE},
    {"iDOT", PLACE_BEFORE_IDAT, CHUNK_SINGLE},
    // Anywhere between IHDR and IEND.
    {"tIME", PLACE_ANYWHERE, CHUNK_SINGLE},     {"tEXt", PLACE_ANYWHERE, CHUNK_MULTIPLE},
    {"zTXt", PLACE_ANYWHERE, CHUNK_MULTIPLE},   {"iTXt", PLACE_ANYWHERE, CHUNK_MULTIPLE},
    {"fcTL", PLACE_ANYWHERE, CHUNK_MULTIPLE},   {"gIFg", PLACE_ANYWHERE, CHUNK_MULTIPLE},
    {"gIFx", PLACE_ANYWHERE, CHUNK_MULTIPLE},   {"gIFt", PLACE_ANYWHERE, CHUNK_MULTIPLE},
    {"fRAc", PLACE_ANYWHERE, CHUNK_MULTIPLE},   {"dSIG", PLACE_ANYWHERE, CHUNK_MULTIPLE},
    // Animation frames after the image data.
    {"fdAT", PLACE_AFTER_IDAT, CHUNK_MULTIPLE},
};
const int32_t CHUNK_ORDER_RULE_COUNT = (int32_t)(sizeof CHUNK_ORDER_RULES / sizeof CHUNK_ORDER_RULES[0]);
static_assert(sizeof CHUNK_ORDER_RULES / sizeof CHUNK_ORDER_RULES[0] < CHUNK_ORDER_RULE_LIMIT, "room per type");

const ChunkOrderRule* chunk_order_rule(const uint8_t* type)
{
    uint32_t word = type_word(type);
    for (int32_t k = 0; k < CHUNK_ORDER_RULE_COUNT; k++) {
        if (type_word(CHUNK_ORDER_RULES[k].type) == word) return &CHUNK_ORDER_RULES[k];
    }
    return nullptr;
}

OrderLandmarks find_landmarks(const ChunkRecord* records, int32_t count, int32_t skip)
{
    OrderLandmarks marks = {count, skip, -1, -1, -1};
    for (int32_t i = 0; i < count; i++) {
        if (i == skip) continue;
        uint32_t word = type_word(records[i].type);
        if (word == type_word("PLTE") && marks.first_plte < 0) marks.first_plte = i;
        if (word == type_word("IDAT")) {
            if (marks.first_idat < 0) marks.first_idat = i;
            marks.last_idat = i;
        }
    }
    return marks;
}

int32_t placement_verdict(const OrderLandmarks& marks, const uint8_t* type, int32_t position)
{
    const ChunkOrderRule* rule = chunk_order_rule(type);
    if (!rule) return ORDER_ALLOWED;
    // "In front of record `position`": a landmark at `position` or later comes after.
    int plte_before = marks.first_plte >= 0 && marks.first_plte < position;
    int plte_after = marks.first_plte >= position;
    int idat_before = marks.first_idat >= 0 && marks.first_idat < position;
    switch (rule->place) {
    case PLACE_BEFORE_PLTE:
        if (plte_before) return ORDER_NEEDS_BEFORE_PLTE;
        return idat_before ? ORDER_NEEDS_BEFORE_IDAT : ORDER_ALLOWED;
    case PLACE_AFTER_PLTE:
        if (plte_after) return ORDER_NEEDS_AFTER_PLTE;
        return idat_before ? ORDER_NEEDS_BEFORE_IDAT : ORDER_ALLOWED;
    case PLACE_BEFORE_IDAT:
        return idat_before ? ORDER_NEEDS_BEFORE_IDAT : ORDER_ALLOWED;
    case PLACE_AFTER_IDAT:
        return marks.first_idat < 0 || marks.last_idat >= position ? ORDER_NEEDS_AFTER_IDAT : ORDER_ALLOWED;
    case PLACE_IDAT:
        return plte_after ? ORDER_NEEDS_AFTER_PLTE : ORDER_ALLOWED;
    default:
        return ORDER_ALLOWED;
    }
}

// First and last place, and the IDAT run, for a chunk put in front of `position`.
static int32_t edge_verdict(const OrderLandmarks& marks, const uint8_t* type, int32_t position)
{
    int32_t skip = marks.skip;
    int32_t before = position - (skip >= 0 && skip < position);
    int32_t after = marks.count - position - (skip >= position);
    int is_ihdr = type_word(type) == type_word("IHDR");
    int is_iend = type_word(type) == type_word("IEND");
    if (is_ihdr != (before == 0)) return ORDER_NOT_FIRST;
    if (is_iend != (after == 0)) return ORDER_NOT_LAST;
    if (marks.first_idat < 0) return ORDER_ALLOWED;
    int inside_run = position > marks.first_idat && position <= marks.last_idat;
    if (type_word(type) == type_word("IDAT")) {
        return inside_run || position == marks.first_idat || position == marks.last_idat + 1 ? ORDER_ALLOWED
                                                                                            : ORDER_SPLITS_IDAT;
    }
    return inside_run ? ORDER_SPLITS_IDAT : ORDER_ALLOWED;
}

int32_t chunk_may_stand_at(const ChunkRecord* records, int32_t count, const uint8_t* type, int32_t position,
                           int32_t skip)
{
    if (position < 0 || position > count) return ORDER_NOT_LAST;
    OrderLandmarks marks = find_landmarks(records, count, skip);
    int32_t verdict = edge_verdict(marks, type, position);
    if (verdict == ORDER_ALLOWED) verdict = placement_verdict(marks, type, position);
    const ChunkOrderRule* rule = chunk_order_rule(type);
    if (verdict != ORDER_ALLOWED || !rule || rule->count != CHUNK_SINGLE) return verdict;
    for (int32_t i = 0; i < count; i++) {
        if (i != skip && type_word(records[i].type) == type_word(type)) return ORDER_ONLY_ONE;
    }
    return ORDER_ALLOWED;
}
