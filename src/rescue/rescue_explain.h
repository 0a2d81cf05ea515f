// Inside the rescue: the explanations of a wrong CRC in a chunk whose framing holds.
#pragma once
#include <stdint.h>

#include "rescue_result.h"

// Adds the findings for chunk `index` (stored CRC differs from the computed one):
// the one proven fix beyond doubt, or every explanation as probable, or the
// chunk reported as damaged with the forced CRC offered.
void explain_crc_mismatch(RescueResult* result, int32_t index);
