// The chunk inspector and the questions that keep a slimmed file whole: the
// shell's side. The main window calls these from its commands; each one reads
// and changes only the document and the table it is given.
#pragma once
#include <windows.h>
#include <stdint.h>

// Opens the inspector for chunk `index` as a modal dialog owned by `owner`.
void show_inspector(HWND owner, int32_t index);
// The same for the row the user means: the focused row when it is selected,
// else the first selected row; nothing when no row is selected.
void inspect_current_row(HWND owner, HWND table);

// Before the delete loop: when the selection holds part of an animation, asks
// whether to delete the whole animation (the selection then grows to all of it),
// only what was selected, or nothing. 1 to go on, 0 to cancel.
int ask_before_delete(HWND window, HWND table);
// Before the merge loop: when the file has iDOT and the merge would change
// something, asks whether to delete iDOT with the merge (done here, the table
// then shows the document without it and the same chunks selected), to merge
// anyway, or nothing. 1 to go on, 0 to cancel.
int ask_before_merge(HWND window, HWND table);
// Before Save As writes: when the loaded file had bytes after IEND, says they
// will not be written. 1 to go on (OK), 0 to cancel.
int ask_before_save(HWND window);
// Selects exactly the metadata chunks.
void select_metadata(HWND table);
