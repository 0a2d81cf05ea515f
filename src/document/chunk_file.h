// The one document of the process: the chunks of the loaded PNG file, in file
// order, up to and including the first IEND.
#pragma once
#include <stdint.h>

struct ChunkRecord {
    uint32_t length;        // data length, host order
    uint8_t  type[4];       // the type bytes exactly as stored
    uint32_t stored_crc;    // the CRC read from the file; what saving writes
    uint32_t computed_crc;  // chunk_crc of type and data, kept current
    uint8_t* data;          // exactly `length` bytes, owned by the record
};

struct ChunkDocument {
    ChunkRecord* records;   // exactly `count` records, owned by the document
    int32_t      count;
    int32_t      loaded;    // 1 while a document is present
    int32_t      changed;   // 1 after an edit since the last load or save
};

extern ChunkDocument g_document;

// The bytes that followed the first IEND of the loaded file: never part of the
// document and never written. Cleared whenever the document is released.
struct TrailingBytes {
    uint32_t count;     // how many
    uint32_t kept;      // how many of the first are in `head`
    uint8_t  head[16];
};

extern TrailingBytes g_trailing;

enum LoadResult {
    LOAD_OK            = 0,
    LOAD_OPEN_FAILED   = 1,  // no path, or the file cannot be opened
    LOAD_READ_FAILED   = 2,  // read or size failure, too large, or the file ends early
    LOAD_NOT_PNG       = 3,
    LOAD_OUT_OF_MEMORY = 4,
};

enum SaveResult {
    SAVE_OK            = 0,  // also when no document is loaded: nothing is written
    SAVE_CREATE_FAILED = 1,  // no path, or the file cannot be created or replaced
    SAVE_WRITE_FAILED  = 2,
};

// Files of this many bytes or more are refused.
const uint32_t PNG_SIZE_LIMIT = 0x400000;

// A null path means "no path".
int  load_png(const char* path);
int  save_png(const char* path);
// Writes the data of chunk `index` alone, as the file `path`; a SaveResult. With
// no such chunk nothing is written.
int  save_chunk_data(const char* path, int32_t index);
void release_document();

// Any file, read and written as a PNG is: read_file_bytes reads a file of less
// than PNG_SIZE_LIMIT bytes whole (a LoadResult, the load's boxes on failure; on
// LOAD_OK the caller frees *bytes with zero_free); save_file_bytes writes `length`
// bytes through a temporary file beside `path` (a SaveResult, with its boxes).
int  read_file_bytes(const char* path, uint8_t** bytes, uint32_t* size);
int  save_file_bytes(const char* path, const uint8_t* bytes, uint32_t length);

// Shows the open failure for `path` exactly as a load that cannot open it does.
void report_open_failure(const char* path);

// The size in bytes of the file that saving would write now (signature and every chunk).
uint64_t saved_file_size();
// The bytes that saving would write now, exactly as save_png writes them, in a
// block of saved_file_size() bytes (stored in `size`) that the caller frees with
// zero_free. Null (and a size of 0) without a document or when memory runs out.
uint8_t* document_bytes(uint64_t* size);

// Undo and redo: undo_history.h.
