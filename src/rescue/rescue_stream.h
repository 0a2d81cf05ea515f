// Inside the rescue: completing a cut or broken image data stream.
#pragma once
#include <stdint.h>

#include "rescue_result.h"

// When the IDAT chunks (as the acceptance stands) do not inflate to the whole
// image, offers one IDAT in their place: the rows that inflate, zero bytes for
// the rest, compressed again. Accepted unless `mode` is RESCUE_KEEP_CUT_STREAM.
void complete_image_data(RescueResult* result, int32_t mode);
