// Why a chunk whose framing holds has a wrong CRC: a type byte, a data byte or
// the CRC field itself. Every explanation is checked against the chunk's
// structure; a fix is beyond doubt only when it is the one explanation and it
// is proven, otherwise every explanation is offered and nothing is changed.
#include "rescue_explain.h"

#include <string.h>

#include "document/byte_order.h"
#include "document/crc32.h"
#include "document/memory.h"
#include "repair/crc_difference.h"
#include "repair/repair_search.h"

// As the trusted repair holds: an unchecked single change is trusted only in
// chunks this short, where a spurious match has a probability below 0.4%.
static const uint32_t UNCHECKED_TRUST_LENGTH = 65536;
// Data candidates offered for one chunk at most.
static const int32_t DATA_CANDIDATES_SHOWN = 16;
static const int32_t EXPLANATIONS_MAX = DATA_CANDIDATES_SHOWN + 8;

struct Explanation {
    RescueFinding finding;  // kind, detail and replacement; certainty decided at the end
    int           proven;
};

static int proven_by(int32_t check, uint32_t length)
{
    return check == REPAIR_CHECK_PASSED ||
           ((check == REPAIR_CHECK_NONE || check == REPAIR_CHECK_PARTIAL) && length <= UNCHECKED_TRUST_LENGTH);
}

static int explanation_for(const RescueResult& result, int32_t index, int32_t kind, ChunkRecord replacement,
                           Explanation* out)
{
    out->finding = file_finding(kind, RESCUE_PROBABLE, result.info[index].offset);
    out->finding.chunk = index;
    out->finding.has_replacement = 1;
    out->finding.replacement = replacement;
    out->proven = 0;
    return 1;
}

// Type bytes: the register difference a change of type byte k makes is carried
// through the 3 - k type bytes and the data behind it (crc_difference.h).
static int32_t type_explanations(const RescueResult& result, int32_t index, Explanation* out, int32_t room)
{
    const ChunkRecord& record = result.chunks[index];
    uint8_t top_inverse[256];
    build_top_inverse(top_inverse);
    uint32_t wanted = record.stored_crc ^ record.computed_crc;
    for (uint32_t k = 0; k < record.length; k++) wanted = zero_step_back(wanted, top_inverse);
    int32_t count = 0;
    for (int k = 3; k >= 0 && count < room; k--) {
        uint8_t change = top_inverse[wanted >> 24];
        wanted = zero_step_back(wanted, top_inverse);
        uint8_t type[4];
        memcpy(type, record.type, 4);
        type[k] ^= change;
        if (g_crc_table[change] != zero_step(wanted) || !registered_type(type)) continue;
        ChunkRecord fixed;
        if (!copy_record(record, &fixed)) return count;
        memcpy(fixed.type, type, 4);
        fixed.computed_crc = fixed.stored_crc;
        int32_t check = record_check(result, index, fixed);
        if (check == REPAIR_CHECK_FAILED) {
            zero_free(fixed.data);
            continue;
        }
        explanation_for(result, index, RESCUE_TYPE, fixed, &out[count]);
        out[count].finding.detail[0] = type_word(record.type);
        out[count].finding.detail[1] = type_word(type);
        out[count].proven = proven_by(check, record.length);
        count++;
    }
    return count;
}

static int32_t data_explanations(const RescueResult& result, int32_t index, Explanation* out, int32_t room)
{
    RepairCandidate candidates[DATA_CANDIDATES_SHOWN];
    int32_t total;
    {
        DocumentLoan loan(result, -1, nullptr);
        total = find_repair_candidates(index, candidates, DATA_CANDIDATES_SHOWN);
    }
    int32_t shown = total < DATA_CANDIDATES_SHOWN ? total : DATA_CANDIDATES_SHOWN;
    const ChunkRecord& record = result.chunks[index];
    int32_t count = 0;
    for (int32_t k = 0; k < shown && count < room; k++) {
        if (candidates[k].check == REPAIR_CHECK_FAILED) continue;
        ChunkRecord fixed;
        if (!copy_record(record, &fixed)) break;
        fixed.data[candidates[k].position] = candidates[k].new_value;
        fixed.computed_crc = fixed.stored_crc;
        explanation_for(result, index, RESCUE_DATA_BYTE, fixed, &out[count]);
        out[count].finding.detail[0] = candidates[k].position;
        out[count].finding.detail[1] = candidates[k].old_value;
        out[count].finding.detail[2] = candidates[k].new_value;
        // Many candidates in one chunk prove nothing, whatever each one's check says.
        out[count].proven = total <= shown && proven_by(candidates[k].check, record.length);
        count++;
    }
    return count;
}

static int differing_bytes(uint32_t a, uint32_t b)
{
    int count = 0;
    for (uint32_t x = a ^ b; x; x >>= 8) count += (x & 0xFF) != 0;
    return count;
}

// The CRC field itself: proven when it differs from the computed CRC in one byte
// only (a data fault almost never does that), or when the data passes its check.
static int crc_explanation(const RescueResult& result, int32_t index, Explanation* out)
{
    const ChunkRecord& record = result.chunks[index];
    ChunkRecord fixed;
    if (!copy_record(record, &fixed)) return 0;
    fixed.stored_crc = fixed.computed_crc;
    int single = differing_bytes(record.stored_crc, record.computed_crc) == 1;
    int passes = !single && record_check(result, index, fixed) == REPAIR_CHECK_PASSED;
    explanation_for(result, index, single || passes ? RESCUE_CRC_FIELD : RESCUE_FORCED_CRC, fixed, out);
    out->finding.detail[0] = record.stored_crc;
    out->finding.detail[1] = record.computed_crc;
    out->proven = single || passes;
    return 1;
}

static void settle(RescueResult* result, Explanation* found, int32_t count)
{
    int32_t real = 0, proven = 0;
    for (int32_t k = 0; k < count; k++) {
        real += found[k].finding.kind != RESCUE_FORCED_CRC;
        proven += found[k].finding.kind != RESCUE_FORCED_CRC && found[k].proven;
    }
    int sure = real == 1 && proven == 1;
    for (int32_t k = 0; k < count; k++) {
        // The forced CRC is the last resort: offered only when nothing else explains.
        if (found[k].finding.kind == RESCUE_FORCED_CRC && real > 0) {
            zero_free(found[k].finding.replacement.data);
            continue;
        }
        found[k].finding.certainty = sure ? RESCUE_BEYOND_DOUBT : RESCUE_PROBABLE;
        add_finding(result, found[k].finding);
    }
}

void explain_crc_mismatch(RescueResult* result, int32_t index)
{
    Explanation found[EXPLANATIONS_MAX];
    int32_t count = type_explanations(*result, index, found, 4);
    count += data_explanations(*result, index, found + count, EXPLANATIONS_MAX - 1 - count);
    count += crc_explanation(*result, index, found + count);
    int32_t real = 0;
    for (int32_t k = 0; k < count; k++) real += found[k].finding.kind != RESCUE_FORCED_CRC;
    if (real == 0) {
        add_finding(result, file_finding(RESCUE_DAMAGED_CHUNK, RESCUE_NONE, result->info[index].offset));
        result->findings[result->finding_count - 1].chunk = index;
    }
    settle(result, found, count);
}
