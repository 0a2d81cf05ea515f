// Checks every text the table and the status line would show for the loaded
// document, for the robustness tests and the fuzzers: each cell and each status
// text into a heap buffer of exactly its size (so AddressSanitizer sees any byte
// written past it), every summary made from a copy of the chunk's data of exactly
// its length (so a read past the data is seen too, even for an empty chunk).
// Returns "" when all is well, else what went wrong.
#pragma once
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "present/chunk_summary.h"
#include "present/chunk_table.h"

// An exactly sized block, freed when the holder goes.
struct ExactBlock {
    explicit ExactBlock(size_t size) : bytes((char*)malloc(size)), size(size) { memset(bytes, 0x5A, size); }
    ~ExactBlock() { free(bytes); }
    ExactBlock(const ExactBlock&) = delete;
    ExactBlock& operator=(const ExactBlock&) = delete;
    // The text held, or null when no terminating zero lies within the block.
    const char* text() const { return memchr(bytes, 0, size) ? bytes : nullptr; }
    char* bytes;
    size_t size;
};

inline std::string printed(const char* format, unsigned value)
{
    char text[32];
    snprintf(text, sizeof text, format, value);
    return text;
}

// The summary of record `index`, made from an exactly sized copy of its data.
inline std::string exact_summary(int32_t index, std::string* faults)
{
    ChunkRecord copy = g_document.records[index];
    ExactBlock data(copy.length);
    if (copy.length) memcpy(data.bytes, copy.data, copy.length);
    copy.data = (uint8_t*)data.bytes;
    ExactBlock output(SUMMARY_SIZE);
    chunk_summary(output.bytes, copy);
    if (!output.text()) {
        *faults = "summary " + std::to_string(index) + " is not terminated";
        return "";
    }
    return output.text();
}

inline std::string cell_faults(int32_t row)
{
    const ChunkRecord& record = g_document.records[row];
    const int marks[7] = {is_damaged(row),     property_bit(row, 0), property_bit(row, 1), property_bit(row, 2),
                          property_bit(row, 3), is_deletable(row),   is_mergeable(row)};
    std::string faults;
    std::string expected[COLUMN_COUNT];
    expected[0] = printed("%3u", (unsigned)row + 1);
    expected[1] = std::string((const char*)record.type, strnlen((const char*)record.type, 4));
    expected[2] = printed("%7u", record.length);
    expected[3] = printed("%08X", record.stored_crc);
    for (int k = 0; k < 7; k++) expected[4 + k] = marks[k] ? "○" : "--";
    expected[11] = exact_summary(row, &faults);
    for (int column = 0; column < COLUMN_COUNT && faults.empty(); column++) {
        ExactBlock cell(CELL_SIZE);
        format_cell(cell.bytes, row, column);
        if (!cell.text()) return "cell " + std::to_string(row) + "/" + std::to_string(column) + " is not terminated";
        if (cell.text() != expected[column]) {
            faults = "cell " + std::to_string(row) + "/" + std::to_string(column) + " is \"" + cell.text() + "\"";
        }
    }
    return faults;
}

// The status line for a short path and for one of the longest, 260 bytes.
inline std::string status_faults()
{
    const char* no_ihdr = " 破損PNG - IHDRチャンクが見つかりません。";
    std::string long_path = "C:\\" + std::string(253, 'a') + ".png";
    for (const std::string& path : {std::string("D:\\img\\a.png"), long_path}) {
        ExactBlock status(STATUS_SIZE);
        format_status_line(status.bytes, path.c_str());
        if (!status.text()) return "the status line is not terminated";
        std::string text = status.text();
        if (!g_document.loaded) {
            if (text != " D&&Dできます。") return "status without a document: " + text;
            continue;
        }
        bool ihdr = g_document.count > 0 && memcmp(g_document.records[0].type, "IHDR", 4) == 0;
        if (!ihdr) {
            if (text != no_ihdr) return "status without IHDR: " + text;
            continue;
        }
        if (text.empty() || text[0] != ' ') return "status without its leading space: " + text;
        if (g_document.records[0].length >= 9) {
            std::string tail = " / " + std::to_string(saved_file_size()) + "Bytes / " + path;
            if (text.size() < tail.size() || text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
                return "status line: " + text;
            }
        }
    }
    return "";
}

// Every cell of every row, and the status line.
inline std::string presentation_faults()
{
    for (int32_t row = 0; g_document.loaded && row < g_document.count; row++) {
        std::string faults = cell_faults(row);
        if (!faults.empty()) return faults;
    }
    for (int32_t row : {-1, g_document.count, INT32_MAX}) {
        ExactBlock cell(CELL_SIZE);
        format_cell(cell.bytes, row, 0);
        if (!cell.text() || cell.text()[0]) return "a cell outside the document is not empty";
    }
    return status_faults();
}
