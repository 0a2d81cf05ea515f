// Checks a candidate change of a damaged chunk against the structure its type
// prescribes, without changing the document: the zlib stream of the IDAT run or of
// a compressed text or profile, and the value ranges of the small fixed chunks.
#pragma once
#include <stdint.h>

#include "repair/repair_search.h"
#include "repair/stream_check.h"

// A RepairCheck for `candidate` applied to chunk `index`.
int32_t check_repair_candidate(int32_t index, const RepairCandidate& candidate);

enum CheckRun { CHECKS_DONE, CHECKS_STOPPED };

// Checks `count` candidates of chunk `index`, given lowest position first, each as
// check_repair_candidate would, into their `check`. The candidates of an IDAT
// chunk all continue one saved inflate state, so the run in front of the chunk is
// inflated once. Serves `pace` (may be null) during long checks; CHECKS_STOPPED
// when it said stop, and the checks are then incomplete.
int32_t check_repair_candidates(int32_t index, RepairCandidate* candidates, int32_t count, CheckPace* pace);

// The first chunk of this type, or -1.
int32_t find_chunk(const char* type);
// The image layout from the first IHDR, when that chunk is intact and valid.
int intact_image_layout(ImageLayout* out);
// How many bytes the run of IDAT chunks from the first one inflates to, when it
// inflates cleanly and ends exactly at its end; -1 otherwise (also past the cap, or
// when `pace` said stop).
int64_t idat_inflated_size(CheckPace* pace = nullptr);
