#include "rescue_text.h"

#include <stdio.h>

#include "rescue_texts.h"

struct KindTexts {
    const char* found[2];
    const char* proposal[2];
};

// One row per RescueKind, in its order; line endings choose their found text by direction.
static const KindTexts KIND_TEXTS[RESCUE_KIND_COUNT] = {
    {{TEXT_SIGNATURE_JA, TEXT_SIGNATURE_EN}, {FIX_SIGNATURE_JA, FIX_SIGNATURE_EN}},
    {{TEXT_PREFIX_JA, TEXT_PREFIX_EN}, {FIX_PREFIX_JA, FIX_PREFIX_EN}},
    {{TEXT_CRLF_LF_JA, TEXT_CRLF_LF_EN}, {FIX_LINE_ENDINGS_JA, FIX_LINE_ENDINGS_EN}},
    {{TEXT_SEVEN_BIT_JA, TEXT_SEVEN_BIT_EN}, {FIX_SEVEN_BIT_JA, FIX_SEVEN_BIT_EN}},
    {{TEXT_NOT_PNG_JA, TEXT_NOT_PNG_EN}, {FIX_NOT_PNG_JA, FIX_NOT_PNG_EN}},
    {{TEXT_LENGTH_JA, TEXT_LENGTH_EN}, {FIX_LENGTH_JA, FIX_LENGTH_EN}},
    {{TEXT_TYPE_JA, TEXT_TYPE_EN}, {FIX_TYPE_JA, FIX_TYPE_EN}},
    {{TEXT_CRC_FIELD_JA, TEXT_CRC_FIELD_EN}, {FIX_CRC_FIELD_JA, FIX_CRC_FIELD_EN}},
    {{TEXT_FORCED_CRC_JA, TEXT_FORCED_CRC_EN}, {FIX_FORCED_CRC_JA, FIX_FORCED_CRC_EN}},
    {{TEXT_DATA_BYTE_JA, TEXT_DATA_BYTE_EN}, {FIX_DATA_BYTE_JA, FIX_DATA_BYTE_EN}},
    {{TEXT_BYTE_LOST_JA, TEXT_BYTE_LOST_EN}, {FIX_BYTE_LOST_JA, FIX_BYTE_LOST_EN}},
    {{TEXT_BYTE_ADDED_JA, TEXT_BYTE_ADDED_EN}, {FIX_BYTE_ADDED_JA, FIX_BYTE_ADDED_EN}},
    {{TEXT_DAMAGED_CHUNK_JA, TEXT_DAMAGED_CHUNK_EN}, {FIX_DAMAGED_CHUNK_JA, FIX_DAMAGED_CHUNK_EN}},
    {{TEXT_LOST_REGION_JA, TEXT_LOST_REGION_EN}, {FIX_LOST_REGION_JA, FIX_LOST_REGION_EN}},
    {{TEXT_CUT_CHUNK_JA, TEXT_CUT_CHUNK_EN}, {FIX_CUT_CHUNK_JA, FIX_CUT_CHUNK_EN}},
    {{TEXT_TRUNCATED_JA, TEXT_TRUNCATED_EN}, {FIX_TRUNCATED_JA, FIX_TRUNCATED_EN}},
    {{TEXT_STREAM_COMPLETED_JA, TEXT_STREAM_COMPLETED_EN}, {FIX_STREAM_COMPLETED_JA, FIX_STREAM_COMPLETED_EN}},
    {{TEXT_STREAM_UNREADABLE_JA, TEXT_STREAM_UNREADABLE_EN}, {FIX_STREAM_UNREADABLE_JA, FIX_STREAM_UNREADABLE_EN}},
    {{TEXT_NOT_RESTORED_JA, TEXT_NOT_RESTORED_EN}, {FIX_NOT_RESTORED_JA, FIX_NOT_RESTORED_EN}},
    {{TEXT_BOUND_HIT_JA, TEXT_BOUND_HIT_EN}, {FIX_BOUND_HIT_JA, FIX_BOUND_HIT_EN}},
    {{TEXT_TRAILING_JA, TEXT_TRAILING_EN}, {FIX_TRAILING_JA, FIX_TRAILING_EN}},
    {{TEXT_CANCELLED_JA, TEXT_CANCELLED_EN}, {FIX_CANCELLED_JA, FIX_CANCELLED_EN}},
    {{TEXT_CHUNK_BY_CRC_JA, TEXT_CHUNK_BY_CRC_EN}, {FIX_CHUNK_BY_CRC_JA, FIX_CHUNK_BY_CRC_EN}},
};

// A type word as four characters, anything unprintable as '?'.
static void type_name(uint32_t word, char* out)
{
    for (int k = 0; k < 4; k++) {
        char c = (char)(word >> (24 - 8 * k));
        out[k] = c >= 0x21 && c <= 0x7E ? c : '?';
    }
    out[4] = 0;
}

void rescue_finding_text(const RescueFinding& finding, int32_t language, int32_t part, char* out, size_t size)
{
    if (size == 0) return;
    out[0] = 0;
    if (finding.kind < 0 || finding.kind >= RESCUE_KIND_COUNT) return;
    int32_t lang = language == RESCUE_ENGLISH ? 1 : 0;
    const KindTexts& texts = KIND_TEXTS[finding.kind];
    const char* format = part == RESCUE_TEXT_PROPOSAL ? texts.proposal[lang] : texts.found[lang];
    const uint32_t* d = finding.detail;
    if (finding.kind == RESCUE_LINE_ENDINGS && part == RESCUE_TEXT_FOUND && d[0] == RESCUE_LF_TURNED_CRLF) {
        format = lang ? TEXT_LF_CRLF_EN : TEXT_LF_CRLF_JA;
    }
    if (finding.kind == RESCUE_TYPE) {
        char name[5];
        type_name(part == RESCUE_TEXT_PROPOSAL ? d[1] : d[0], name);
        snprintf(out, size, format, name);
    } else if (finding.kind == RESCUE_LINE_ENDINGS && part == RESCUE_TEXT_PROPOSAL) {
        snprintf(out, size, format, d[1], d[2]);
    } else if (finding.kind == RESCUE_LENGTH && part == RESCUE_TEXT_PROPOSAL) {
        snprintf(out, size, format, d[1]);
    } else if (finding.kind == RESCUE_DATA_BYTE && part == RESCUE_TEXT_PROPOSAL) {
        snprintf(out, size, format, d[1], d[2]);
    } else if (finding.kind == RESCUE_CRC_FIELD && part == RESCUE_TEXT_PROPOSAL) {
        snprintf(out, size, format, d[1]);
    } else {
        snprintf(out, size, format, d[0], d[1], d[2]);
    }
}

const char* rescue_certainty_name(int32_t certainty, int32_t language)
{
    int english = language == RESCUE_ENGLISH;
    if (certainty == RESCUE_BEYOND_DOUBT) return english ? TEXT_CERTAIN_EN : TEXT_CERTAIN_JA;
    if (certainty == RESCUE_PROBABLE) return english ? TEXT_PROBABLE_EN : TEXT_PROBABLE_JA;
    return english ? TEXT_UNCERTAIN_EN : TEXT_UNCERTAIN_JA;
}

const char* rescue_kind_key(int32_t kind)
{
    static const char* const KEYS[RESCUE_KIND_COUNT] = {
        "signature", "prefix", "line_endings", "seven_bit", "not_png", "length", "type", "crc_field",
        "forced_crc", "data_byte", "byte_lost", "byte_added", "damaged_chunk", "lost_region", "cut_chunk",
        "truncated", "stream_completed", "stream_unreadable", "chunk_not_restored", "bound_hit", "trailing",
        "cancelled", "chunk_by_crc",
    };
    return kind >= 0 && kind < RESCUE_KIND_COUNT ? KEYS[kind] : "unknown";
}

const char* rescue_certainty_key(int32_t certainty)
{
    if (certainty == RESCUE_BEYOND_DOUBT) return "beyond_doubt";
    return certainty == RESCUE_PROBABLE ? "probable" : "none";
}
