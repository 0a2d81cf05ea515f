// The texts that name a repair's candidates: the found box, the rows and the
// count line of the candidate dialog. Portable, so the tests read them natively.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "repair/repair_search.h"

// Long enough for every text below.
const size_t REPAIR_TEXT_SIZE = 256;

void found_box_text(const RepairCandidate& candidate, char* out, size_t size);
void candidate_row_text(const RepairCandidate& candidate, char* out, size_t size);
void dimension_row_text(uint32_t width, uint32_t height, char* out, size_t size);
void offer_count_text(const RepairOffer& offer, char* out, size_t size);
