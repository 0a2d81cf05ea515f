// The one-line summary of a chunk: its type's meaning and, for some types, a value
// read from its data. Never reads past the chunk's data; never writes more than
// 256 bytes, terminating zero included.
#pragma once
#include "document/chunk_file.h"

const int SUMMARY_SIZE = 256;

void chunk_summary(char* output, const ChunkRecord& record);
