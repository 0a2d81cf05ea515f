// Lost IHDR dimensions: the width and height pairs that explain a damaged IHDR's
// stored CRC and agree with what the IDAT stream inflates to.
#pragma once
#include <stdint.h>

#include "stream_check.h"

const int32_t IHDR_SEARCH_STOPPED = -1;

// Writes at most `capacity` pairs, lowest height first, and returns how many pass;
// 0 when IHDR is intact or missing, or the IDAT stream does not inflate cleanly.
// Serves `pace` (may be null) while it inflates the stream and tries the heights;
// IHDR_SEARCH_STOPPED when it said stop.
int32_t find_ihdr_dimensions(uint32_t* widths, uint32_t* heights, int32_t capacity, CheckPace* pace = nullptr);
