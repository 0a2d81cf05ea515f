// The edits that add, move and split whole chunks, and the forms chunks travel in
// between files: a raw chunk file (the chunk as it stands in a PNG: length, type,
// data, CRC), a clipboard form (private binary, and hexadecimal text) and an ICC
// profile file. Every operation allocates everything it needs first and only then
// changes the document, so a refused or failed operation leaves it exactly as it
// was. The ordering rules are those of check/chunk_order.h: IHDR stays first, IEND
// last and single, and no operation here deletes a critical chunk.
#pragma once
#include <stdint.h>

#include "document/chunk_file.h"
#include "fields/field_model.h"

enum ChunkOpResult {
    OP_DONE = 0,
    OP_NO_DOCUMENT,     // nothing loaded
    OP_NO_ROW,          // a row outside the document (or an empty selection)
    OP_REFUSED,         // the ordering rules forbid the result: the reason in `verdict`
    OP_AT_EDGE,         // a move up from the first row, or down from the last
    OP_CRITICAL,        // cut: a selected chunk is critical
    OP_NOT_IDAT,        // split: not an IDAT
    OP_DAMAGED,         // split: the chunk's CRC is damaged (a fresh CRC would hide it)
    OP_BAD_SIZE,        // split: 0, or not less than the chunk's length
    OP_TOO_SHORT,       // a raw chunk or clipboard form ends early
    OP_BAD_LENGTH,      // a raw chunk's length does not match its bytes, or exceeds 2^31 - 1
    OP_BAD_TYPE,        // a type of other bytes than ASCII letters
    OP_BAD_CRC,         // a raw chunk's CRC does not match its type and data
    OP_BAD_FORM,        // not a clipboard form (wrong mark, stray characters)
    OP_NOT_ICC,         // not an ICC profile (no header, or its size disagrees)
    OP_NO_PROFILE,      // export of a profile: not an iCCP, or its stream does not inflate
    OP_NO_MEMORY,
    OP_RESULT_COUNT
};
// The result's name in C ("OP_REFUSED"), for logs, tests and --json.
const char* chunk_op_result_name(int result);

// What an operation tells besides its result: the OrderVerdict of OP_REFUSED and
// the row it concerns, and where the chunks it added or moved now stand.
struct ChunkOpReport {
    int32_t verdict;   // OrderVerdict (ORDER_ALLOWED unless OP_REFUSED)
    int32_t row;       // the offending row of OP_REFUSED; else the first row added or moved
    int32_t count;     // how many rows were added (insert, paste, split) or moved
};

// Chunks owned by nobody else yet: records with data of their own (zero_alloc).
struct ChunkBatch {
    ChunkRecord* records;
    int32_t      count;
};
void chunk_batch_free(ChunkBatch* batch);

// How many records of the order break the ordering rules (first place, last place,
// the IDAT run, placement against PLTE and IDAT, single types), and the first one.
int32_t count_order_faults(const ChunkRecord* records, int32_t count, int32_t* first_fault, int32_t* verdict);

// The first position (0 to count) where a new chunk of `type` may stand, or -1
// with the reason in *verdict.
int32_t first_allowed_position(const ChunkDocument& document, const uint8_t* type, int32_t* verdict);

// A new chunk of `type` with a copy of `data`, a fresh CRC, at the first allowed position.
int insert_chunk(ChunkDocument* document, const uint8_t* type, const uint8_t* data, uint32_t length,
                 ChunkOpReport* report);

// The editors' write: record `row` gets a copy of `data` under `type` (which may
// differ, as tEXt becoming iTXt) and a fresh CRC. Refused when the new type breaks
// the ordering rules in more places than the old one did.
int replace_chunk(ChunkDocument* document, int32_t row, const uint8_t* type, const uint8_t* data, uint32_t length,
                  ChunkOpReport* report);

// Moves of the selected rows (ascending, distinct): one place up or down, each
// block of adjacent rows as one; or one row to index `target`. Refused when the
// new order breaks the ordering rules in more places than the old one did.
enum MoveDirection {
    MOVE_UP,
    MOVE_DOWN,
};
int move_rows(ChunkDocument* document, const int32_t* rows, int32_t count, MoveDirection direction,
              ChunkOpReport* report);
int move_row_to(ChunkDocument* document, int32_t row, int32_t target, ChunkOpReport* report);

// Splits the IDAT at `row` after `size` bytes: once, or into pieces of `size`
// bytes each (the last one the rest).
enum SplitMode {
    SPLIT_ONCE,
    SPLIT_REPEAT,
};
int split_idat(ChunkDocument* document, int32_t row, uint32_t size, SplitMode mode, ChunkOpReport* report);

// The raw chunk file of record `row` (into `out`, owned by the caller), and a raw
// chunk file's bytes read as one chunk (length, type and CRC checked).
int export_raw_chunk(const ChunkDocument& document, int32_t row, FieldBytes* out);
int read_raw_chunk(const uint8_t* bytes, uint32_t size, ChunkBatch* chunk);
// Reads a raw chunk file's bytes and inserts its chunk as insert_chunk does.
int import_raw_chunk(ChunkDocument* document, const uint8_t* bytes, uint32_t size, ChunkOpReport* report);

// An ICC profile as the data of an iCCP: its description (a version 2 'desc' or
// version 4 'mluc' tag) as the profile name, made a keyword (characters outside
// printable Latin-1 become '?', spaces collapsed, at most 79 bytes); "ICC Profile"
// without one.
int iccp_from_profile(const uint8_t* profile, uint32_t size, FieldBytes* out);
int import_icc_profile(ChunkDocument* document, const uint8_t* profile, uint32_t size, ChunkOpReport* report);
// The inflated profile of the iCCP at `row`.
int export_icc_profile(const ChunkDocument& document, int32_t row, FieldBytes* out);

// The clipboard forms of the selected rows: the private binary form (a mark, the
// count, then each chunk's raw bytes) and the text form (each chunk's raw bytes in
// hexadecimal, one line a chunk). read_clipboard takes either; whitespace in the
// text form is ignored.
enum ClipboardForm {
    CLIP_BINARY,
    CLIP_HEX_TEXT,
};
int copy_rows(const ChunkDocument& document, const int32_t* rows, int32_t count, ClipboardForm form,
              FieldBytes* out);
int read_clipboard(const uint8_t* bytes, uint32_t size, ChunkBatch* chunks);
// Puts the chunks in front of row `before` (-1: in front of IEND, or at the end
// without one); on OP_DONE the document owns them and *chunks is empty.
int paste_chunks(ChunkDocument* document, ChunkBatch* chunks, int32_t before, ChunkOpReport* report);
// Copies the selected rows in `form` and removes them; refused (OP_CRITICAL) when
// one of them is critical.
int cut_rows(ChunkDocument* document, const int32_t* rows, int32_t count, ClipboardForm form, FieldBytes* out,
             ChunkOpReport* report);
