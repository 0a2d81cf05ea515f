// The decisions that keep a slimmed file whole: which chunks make up an animation,
// whether the file records IDAT offsets (iDOT), and which chunks are mere
// metadata. A selection is one byte per chunk of the document, 1 when selected.
#pragma once
#include <stdint.h>

#include "chunk_edit.h"

// acTL, fcTL or fdAT.
int is_animation_chunk(int32_t index);
// Text chunks, tIME, eXIf and unknown ancillary private chunks: nothing the image
// looks like or is built from. Never colour, transparency, pHYs, animation or iDOT.
int is_metadata_chunk(int32_t index);
int has_animation();
int has_idot();

// Rows are ascending chunk indices of the document.
//
// A slimming edit that could break the file asks one question first. The front
// ends only ask it and pass the answer on; when to ask and what each answer does
// is decided here:
//   RowEditPlan plan = plan_row_edit(ROW_EDIT_DELETE, rows, count);
//   RowEditAnswer answer = plan.question == QUESTION_NONE ? ANSWER_YES : ask_the_user(plan.question);
//   EditResult result = apply_row_edit_plan(plan, answer, &progress);
// The window asks in message boxes; the command line answers from its options
// (strip --break-animation: ANSWER_NO to QUESTION_WHOLE_ANIMATION; merge
// --drop-idot: ANSWER_YES to QUESTION_DROP_IDOT).
enum SlimmingQuestion {
    QUESTION_NONE = 0,
    // Delete, when the rows hold some but not all of the animation's chunks
    // (acTL, fcTL, fdAT). YES deletes the whole animation with the rows; NO
    // deletes only the rows (the animation breaks); CANCEL deletes nothing.
    QUESTION_WHOLE_ANIMATION,
    // Merge, when the file has iDOT and the merge would change something (iDOT
    // records IDAT offsets that merging makes wrong). YES deletes every iDOT and
    // merges; NO merges and keeps iDOT; CANCEL does nothing. With YES, iDOT and
    // the merge are one edit: both happen or, without memory, neither.
    QUESTION_DROP_IDOT,
};

enum RowEditAnswer {
    ANSWER_YES,
    ANSWER_NO,
    ANSWER_CANCEL,
};

struct RowEditPlan {
    RowEdit          edit;
    const int32_t*   rows;       // the caller's rows; they must outlive the plan
    int32_t          count;
    SlimmingQuestion question;   // the one question to ask before applying, or QUESTION_NONE
};

// Decides the question for `edit` on `rows` of the document as it stands. Changes
// nothing, allocates nothing.
RowEditPlan plan_row_edit(RowEdit edit, const int32_t* rows, int32_t count);
// Applies the plan with the user's answer (ignored when the plan asks nothing) to
// the document it was planned on, as edit_rows applies an edit (progress per row
// of the edit's selection, which YES grows by the animation or shrinks by iDOT;
// `progress` may be null). Returns EDIT_UNCHANGED after CANCEL; EDIT_NO_MEMORY
// leaves the document as it was (a merge shows the merge's memory box).
EditResult apply_row_edit_plan(const RowEditPlan& plan, RowEditAnswer answer, const EditProgress* progress);

// The byte-selection forms that the command line used before the plans (one byte
// per chunk, 1 when selected); new code uses plan_row_edit instead.
// Some of the animation's chunks are selected and some are not.
int selects_part_of_animation(const uint8_t* selected);
// Some selected chunk would be merged with the next one.
int selection_would_merge(const uint8_t* selected);
// Deletes every iDOT chunk at once and drops their places from the selection, so
// that entry i still belongs to chunk i. Not part of the merge's all-or-nothing
// edit: apply_row_edit_plan with ANSWER_YES to QUESTION_DROP_IDOT is.
void delete_idot(uint8_t* selected);

// The metadata chunks (is_metadata_chunk) as rows: writes their indices into `rows`
// (room for g_document.count) and returns how many.
int32_t metadata_rows(int32_t* rows);
