// The chunk inspector and the questions that keep a slimmed file whole: the
// shell's side. The main window calls these from its commands; each one reads
// and changes only the document and the table it is given.
#pragma once
#include <windows.h>
#include <stdint.h>

#include "document/slimming.h"

// Opens the inspector for chunk `index` as a modal dialog owned by `owner`.
void show_inspector(HWND owner, int32_t index);
// The same for the row the user means: the focused row when it is selected,
// else the first selected row; nothing when no row is selected.
void inspect_current_row(HWND owner, HWND table);

// The question a row edit's plan names, in its message box (Yes, No, Cancel);
// ANSWER_YES for QUESTION_NONE without a box.
RowEditAnswer ask_slimming_question(HWND window, SlimmingQuestion question);
// Before Save As writes: when the loaded file had bytes after IEND, says they
// will not be written. 1 to go on (OK), 0 to cancel.
int ask_before_save(HWND window);
// Selects exactly the metadata chunks.
void select_metadata(HWND table);
// Selects exactly the rows whose byte in `marked` (one per row) is not zero.
void select_marked_rows(HWND table, const uint8_t* marked);
