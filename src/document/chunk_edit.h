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

// What an edit did. A failed edit leaves the document exactly as it was: everything
// an edit needs is allocated before the first record changes.
enum EditResult {
    EDIT_UNCHANGED = 0,   // nothing to do (or the user declined)
    EDIT_CHANGED   = 1,
    EDIT_NO_MEMORY = 2,   // memory ran out before anything changed
};

// Applies `edit` to the selected rows (ascending chunk indices, `count` of them)
// and leaves the document exactly as deleting or merging them one by one from the
// last row to the first would, but in time linear in the document: the fate of
// every record is decided first, the joined data of every merged run is allocated,
// and only then are the records compacted and each run joined, once. A merge that
// runs out of memory shows the merge's memory box (TEXT_MERGE_NO_MEMORY).
EditResult edit_rows(RowEdit edit, const int32_t* rows, int32_t count, const EditProgress* progress);

// The two halves of edit_rows, for edits that decide more fates than the rows'
// own (iDOT deleted with a merge, see slimming.h). `fates` has one entry per
// record of the document, zero-initialised (FATE_KEEP).
enum RecordFate : uint8_t {
    FATE_KEEP = 0,
    FATE_REMOVE,      // deleted
    FATE_TAKE_NEXT,   // merged with the next record that stays
};
// Marks the rows `edit` acts on, walking them from the last to the first and
// reporting each to `progress` (may be null); returns how many it marked.
int32_t decide_fates(RowEdit edit, uint8_t* fates, const int32_t* rows, int32_t count, const EditProgress* progress);
// Allocates every merged run's data, then removes and joins as marked; with too
// little memory nothing changes. Marks the document changed when it changed.
EditResult commit_fates(const uint8_t* fates);
// The merge's memory box after a merge that returned EDIT_NO_MEMORY; nothing otherwise.
void report_edit_result(RowEdit edit, EditResult result);
