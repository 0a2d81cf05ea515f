// The preview window: the image as the current document would be saved, decoded
// by the Windows Imaging Component from the bytes in memory, scaled to fit over a
// checkerboard, or the decoder's error in words. Modeless and owned by the main
// window; at most one is open.
#pragma once
#include <windows.h>

// Opens the preview (or brings the open one forward) and decodes the document.
void show_preview(HWND main_window);
// After every command that loads or changes the document: an open preview
// decodes the document again. Nothing without a preview.
void preview_document_changed();
INT_PTR CALLBACK preview_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
