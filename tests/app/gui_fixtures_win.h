// PNG files for the GUI tests and the rows the table must show for them.
#pragma once
#include <string>
#include <vector>

#include "support/test_support.h"

// A small intact file that most tests load: IHDR 640x480x8, tEXt of 20 bytes,
// IDAT of 1000 and of 500 bytes, IEND; all intact.
std::vector<Bytes> sample_chunks();
// `count` bytes that differ from position to position.
Bytes pattern(size_t count, uint8_t seed);
// tEXt data: keyword, a zero byte, text.
Bytes text_data(const std::string& keyword, const std::string& text);
// A chunk whose stored CRC is off by one.
Bytes damaged_chunk(const char* type, const Bytes& data);

// An animation of three frames, the first of them the image itself: IHDR, acTL,
// fcTL, IDAT, fcTL, fdAT, fcTL, fdAT, IEND.
std::vector<Bytes> animated_chunks();
// IHDR, iDOT (offsets of both IDAT chunks), IDAT, IDAT, IEND.
std::vector<Bytes> idot_chunks();
// The type of every row of the table, in order.
std::vector<std::string> row_types();

// The row the table shows for `chunk` (as it stands in a file) at 1-based
// `number`: number, type, length, stored CRC, then the seven marks given as
// "o" (yes) and "-" (no) in column order (damaged, ancillary, private, reserved,
// safe to copy, deletable, mergeable), then the summary. UTF-8, cells joined by "|".
std::string row(int number, const Bytes& chunk, const char* marks, const std::string& summary);
// The rows of the example file.
std::vector<std::string> sample_rows();
// The status line for a file of `size` bytes at `path` (code page 932).
std::string status_line(uint32_t width, uint32_t height, int depth, size_t size, const std::string& path);

// UTF-8 texts of the program that several tests expect.
extern const char* const SUMMARY_IHDR;
extern const char* const SUMMARY_IDAT;
extern const char* const SUMMARY_IEND;
extern const char* const STATUS_LOAD_ERROR;

// The undo and redo items of the Edit and the context menu (UTF-8): the plain
// texts for an empty `step`, else the texts naming the step ("削除", ...).
std::string undo_item(const std::string& step);
std::string redo_item(const std::string& step);
// The Edit menu's undo and redo items as the window names them when the menu
// opens, as "text=id text=id".
std::string undo_redo_items();
