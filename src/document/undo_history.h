// Undo and redo, many levels, for the one document.
//
// Every command that changes the document is one step. The command brackets its
// change with begin_step and end_step, on the document as the core's edit
// functions leave it:
//     begin_step(STEP_INSERT);
//     EditResult result = ...the edit...;
//     end_step();
// end_step compares the document with the state before: when nothing changed no
// step is recorded and the step before stays undoable (a cancelled question, a
// merge with nothing to merge). An edit that failed must leave the document as it
// was, and then records nothing either. The names of the kinds are the front
// ends' texts (the window's: STEP_NAMES in src/app/undo_texts.h).
//
// How the steps share data: the history keeps a pool of chunk versions (type,
// length, both CRCs, a private copy of the data), each with a count of the states
// that use it. A state of the document is one array of pool ids, one per chunk
// (4 bytes a chunk). end_step finds, for each record of the document, the version
// it was at the state before (by the record's data block, tried first at the row
// the run of records around it has shifted to, then confirmed field by field and
// byte by byte, so an edit in place is seen too) and adds a version only
// for the records that changed. ChunkRecord stays as it is: the document owns its
// records and data; undo and redo build them afresh from the pool.
//
// Memory: versions and states together stay under UNDO_MEMORY_LIMIT; the oldest
// states are dropped first (the state just reached is never dropped). The saved
// state: g_document.changed is 1 exactly when the document is not at the state
// last loaded or saved (also after that state was dropped).
#pragma once
#include <stddef.h>
#include <stdint.h>

// The kinds of step, for the menu items' names. Append new kinds at the end.
enum StepKind {
    STEP_DELETE,
    STEP_MERGE,
    STEP_REPAIR,
    STEP_FORCE_CRC,   // a repair that only made the stored CRC agree
    STEP_EDIT,
    STEP_INSERT,
    STEP_MOVE,
    STEP_PASTE,
    STEP_CUT,
    STEP_SPLIT,
    STEP_IMPORT,
    STEP_RESCUE,
    STEP_KIND_COUNT,
};

enum StepResult {
    STEP_UNCHANGED,      // the document is as it was: no step, the step before stays
    STEP_RECORDED,       // one step more; redo steps are gone
    STEP_NOT_RECORDED,   // no history (no memory, or no begin_step): the document counts as changed
};

const size_t UNDO_MEMORY_LIMIT = (size_t)256 << 20;

// Before an edit of `kind`. The first one after a load records the loaded state.
// Returns 0 without a document or without memory for that state (the edit may
// still run; end_step then drops the history).
int        begin_step(StepKind kind);
// After the edit begun last. A STEP_REPAIR whose one changed chunk differs only in
// its stored CRC is recorded as STEP_FORCE_CRC.
StepResult end_step();

int      can_undo();
int      can_redo();
// The kind of the step undo (redo) would take back (do again); only when can_undo (can_redo).
StepKind undo_step_kind();
StepKind redo_step_kind();
// Puts the state before (after) the current step back as the document. 0 when
// there is none, or without memory (the document then stays as it is).
int      undo_last_edit();
int      redo_edit();

// Forgets every step (load and release do this).
void     drop_undo_history();
// After the document was written: its current state is the saved one.
void     mark_undo_saved();

// What the history holds now, in bytes (for the benchmark and the tests).
size_t   undo_memory_used();
// Test seam: a smaller bound than UNDO_MEMORY_LIMIT; 0 restores it.
void     set_undo_memory_limit(size_t bytes);
