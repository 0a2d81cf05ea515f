// Inside the rescue: undoing a line-ending conversion of the whole file, chunk by chunk.
#pragma once
#include <stdint.h>

#include "rescue_scan.h"

// Restores the chunk whose converted header is at `header`: finds the original
// bytes of its length, data and CRC and where it ends in the converted file.
// Returns 0 when the walk ends.
int restore_chunk_line_endings(Scan& scan, uint64_t header, uint64_t* next);
// Ends the restoration: releases the carried stream, settles the file's finding.
void finish_line_endings(Scan& scan);
