// The questions the tool asks about a chunk, and the two edits that slim a file.
// Predicates answer 0 with no document or an index outside the document.
#pragma once
#include <stdint.h>

int  is_damaged(int32_t index);
int  is_deletable(int32_t index);   // ancillary or private
int  is_mergeable(int32_t index);   // this and the next are intact IDAT chunks
int  property_bit(int32_t index, int byte_index);
enum DeleteMode {
    DELETE_IF_DELETABLE = 0,
    DELETE_FORCED       = 1,
};
// Removes the record; unless forced, only a deletable one.
void delete_chunk(int32_t index, int forced);
// Appends the next record's data to this one and removes the next; only when mergeable.
void merge_with_next(int32_t index);

// The two edits the user applies to a selection of rows.
enum RowEdit {
    ROW_EDIT_DELETE,   // every selected deletable chunk goes
    ROW_EDIT_MERGE,    // every selected mergeable chunk takes in the next one
};

// Told after each selected row, as the rows are walked from the last to the first.
struct EditProgress {
    void* context;
    void  (*report)(void* context, int32_t done, int32_t selected);
};

// Applies `edit` to the selected rows (ascending chunk indices, `count` of them)
// and leaves the document exactly as deleting or merging them one by one from the
// last row to the first would, but in time linear in the document: the fate of
// every record is decided first, then the records are compacted once and each run
// of merged chunks is joined once. Returns 1 when the document changed.
int edit_rows(RowEdit edit, const int32_t* rows, int32_t count, const EditProgress* progress);
