// The texts of the chunk table and the status line, for g_document. The list-view
// half that puts them into the controls lives with the window.
#pragma once
#include <stdint.h>

struct ColumnSpec {
    int32_t     width;      // pixels
    int32_t     alignment;  // 0 left, 1 right, 2 centred (list-view column formats)
    const char* header;
};

const int COLUMN_COUNT = 12;
const int CELL_SIZE = 256;
const int STATUS_SIZE = 388;

// Cell `column` (0..11) of row `row` into a 256-byte buffer.
void format_cell(char* output, int32_t row, int column);
// The status text for g_document and path into a 388-byte buffer; with no
// document, the drag-and-drop hint.
void format_status_line(char* output, const char* path);
// The twelve columns, in column order.
const ColumnSpec* column_specs();
