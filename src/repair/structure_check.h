// Checks a candidate change of a damaged chunk against the structure its type
// prescribes, without changing the document: the zlib stream of the IDAT run or of
// a compressed text or profile, and the value ranges of the small fixed chunks.
#pragma once
#include <stdint.h>

#include "repair/repair_search.h"
#include "repair/stream_check.h"

// A RepairCheck for `candidate` applied to chunk `index`.
int32_t check_repair_candidate(int32_t index, const RepairCandidate& candidate);

// The first chunk of this type, or -1.
int32_t find_chunk(const char* type);
// The image layout from the first IHDR, when that chunk is intact and valid.
int intact_image_layout(ImageLayout* out);
// How many bytes the run of IDAT chunks from the first one inflates to, when it
// inflates cleanly and ends exactly at its end; -1 otherwise (also past the cap).
int64_t idat_inflated_size();
