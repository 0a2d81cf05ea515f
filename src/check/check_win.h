// The window half of the check: the findings list (modeless, owned by the main
// window, at most one open, following every edit), the question Save As asks
// about errors the loaded file did not have, and the privacy review.
#pragma once
#include <windows.h>

// Opens the findings list (or brings the open one forward) on the document.
void show_findings(HWND main_window);
// After every command that loads or changes the document: an open findings list
// checks the document again. Nothing without one.
void findings_document_changed();
INT_PTR CALLBACK findings_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// At every load, failed or not: the findings of the file as it was loaded, which
// the question before Save As compares with; an open findings list shows them
// (one check per load).
void keep_findings_of_loaded_file();
// Before Save As writes: when the document has errors the loaded file did not
// have, a Yes/No box names how many and the first of them. 1 to go on (Yes, or
// nothing to ask), 0 to stay.
int ask_about_new_errors(HWND window);

// The privacy review as a modal dialog; its button selects in `table` every
// deletable chunk it names, then closes it.
void show_privacy_review(HWND main_window, HWND table);
INT_PTR CALLBACK privacy_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
