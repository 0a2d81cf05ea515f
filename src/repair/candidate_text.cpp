#include "candidate_text.h"

#include <stdio.h>
#include <string.h>

#include "repair_texts.h"

static const char* check_text(int32_t check)
{
    switch (check) {
    case REPAIR_CHECK_PASSED: return TEXT_CHECK_PASSED;
    case REPAIR_CHECK_PARTIAL: return TEXT_CHECK_PARTIAL;
    case REPAIR_CHECK_FAILED: return TEXT_CHECK_FAILED;
    default: return TEXT_CHECK_NONE;
    }
}

void found_box_text(const RepairCandidate& candidate, char* out, size_t size)
{
    snprintf(out, size, "%s\n" TEXT_REPAIRED_BYTE, TEXT_REPAIRED, (unsigned)candidate.position,
             (unsigned)candidate.old_value, (unsigned)candidate.new_value);
}

void candidate_row_text(const RepairCandidate& candidate, char* out, size_t size)
{
    snprintf(out, size, TEXT_CANDIDATE_ROW, (unsigned)candidate.position, (unsigned)candidate.old_value,
             (unsigned)candidate.new_value, check_text(candidate.check));
}

void dimension_row_text(uint32_t width, uint32_t height, char* out, size_t size)
{
    snprintf(out, size, TEXT_DIMENSION_ROW, (unsigned)width, (unsigned)height);
}

void offer_count_text(const RepairOffer& offer, char* out, size_t size)
{
    int used = snprintf(out, size, TEXT_CANDIDATE_COUNT, (int)offer.total);
    if (offer.count < offer.total && used >= 0 && (size_t)used < size) {
        used += snprintf(out + used, size - used, TEXT_CANDIDATE_SHOWN, (int)offer.count,
                         (int)(offer.total - offer.count));
    }
    if (offer.pairs > 0 && used >= 0 && (size_t)used < size) {
        snprintf(out + used, size - used, TEXT_CANDIDATE_PAIRS, (int)offer.pairs);
    }
}
