// The questions the tool asks about a chunk, and the two edits that slim a file.
// Predicates answer 0 with no document or an index outside the document.
#pragma once
#include <stdint.h>

int  is_damaged(int32_t index);
int  is_deletable(int32_t index);   // ancillary or private
int  is_mergeable(int32_t index);   // this and the next are intact IDAT chunks
int  property_bit(int32_t index, int byte_index);
// Removes the record; unless forced, only a deletable one.
void delete_chunk(int32_t index, int forced);
// Appends the next record's data to this one and removes the next; only when mergeable.
void merge_with_next(int32_t index);
