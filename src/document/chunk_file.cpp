#include "chunk_file.h"

#include <stdint.h>
#include <string.h>

#include "alert.h"
#include "byte_order.h"
#include "crc32.h"
#include "document_texts.h"
#include "file_layer.h"
#include "memory.h"
#include "undo_history.h"

ChunkDocument g_document = {nullptr, 0, 0, 0};
TrailingBytes g_trailing = {0, 0, {0}};

static const uint8_t PNG_SIGNATURE[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
static const uint32_t TYPE_IEND = 0x49454E44;  // "IEND"

// A file error: task-modal, error icon, the path as body and the error as caption.
static void report_file_error(const char* caption, const char* path)
{
    show_alert(path ? path : "", caption, ALERT_ICON_ERROR | ALERT_TASK_MODAL);
}

void report_open_failure(const char* path)
{
    report_file_error(TEXT_OPEN_FAILED, path);
}

static void free_records(ChunkRecord* records, int32_t count)
{
    for (int32_t i = 0; i < count; i++) {
        zero_free(records[i].data);
    }
    zero_free(records);
}

void release_document()
{
    drop_undo_history();
    if (!g_document.loaded) {
        return;
    }
    g_document.loaded = 0;
    g_document.changed = 0;
    g_trailing.count = 0;
    g_trailing.kept = 0;
    free_records(g_document.records, g_document.count);
    g_document.records = nullptr;
    g_document.count = 0;
}

// Counts the chunks up to the first IEND. Every declared length is checked against
// the bytes left before anything moves past it, in 64-bit arithmetic, so a length
// near 2^32 can neither wrap the position nor promise bytes the file lacks.
// Returns the count, or 0 when the file ends early; *end is where the IEND ends.
static int32_t count_chunks(const uint8_t* bytes, uint64_t size, uint64_t* end)
{
    uint64_t position = 8;
    int32_t count = 0;
    for (;;) {
        if (size - position < 8) {
            return 0;
        }
        uint32_t length = read_u32(bytes + position);
        uint32_t type = read_u32(bytes + position + 4);
        if (size - position - 8 < (uint64_t)length + 4) {
            return 0;
        }
        count++;
        if (type == TYPE_IEND) {
            *end = position + 12 + (uint64_t)length;
            return count;
        }
        position += 12 + (uint64_t)length;
    }
}

// Fills `count` zeroed records from the counted chunks; 0 when memory runs out.
static int fill_records(ChunkRecord* records, int32_t count, const uint8_t* bytes)
{
    uint64_t position = 8;
    for (int32_t i = 0; i < count; i++) {
        ChunkRecord& record = records[i];
        record.length = read_u32(bytes + position);
        memcpy(record.type, bytes + position + 4, 4);
        record.data = (uint8_t*)zero_alloc(record.length);
        if (!record.data) {
            return 0;
        }
        memcpy(record.data, bytes + position + 8, record.length);
        record.stored_crc = read_u32(bytes + position + 8 + record.length);
        record.computed_crc = chunk_crc(record);
        position += 12 + (uint64_t)record.length;
    }
    return 1;
}

static void keep_trailing_bytes(const uint8_t* bytes, uint64_t count)
{
    g_trailing.count = (uint32_t)count;
    g_trailing.kept = count < sizeof g_trailing.head ? (uint32_t)count : (uint32_t)sizeof g_trailing.head;
    memcpy(g_trailing.head, bytes, g_trailing.kept);
}

// Parses a whole file image into the document.
static int load_from_bytes(const uint8_t* bytes, uint64_t size, const char* path)
{
    if (size < 4 || memcmp(bytes, PNG_SIGNATURE, 4) != 0 || size < 8 ||
        memcmp(bytes + 4, PNG_SIGNATURE + 4, 4) != 0) {
        report_file_error(TEXT_NOT_PNG, path);
        return LOAD_NOT_PNG;
    }
    uint64_t end = 0;
    int32_t count = count_chunks(bytes, size, &end);
    if (count == 0) {
        report_file_error(TEXT_READ_FAILED, path);
        return LOAD_READ_FAILED;
    }
    ChunkRecord* records = (ChunkRecord*)zero_alloc((size_t)count * sizeof(ChunkRecord));
    if (!records) {
        return LOAD_OUT_OF_MEMORY;
    }
    if (!fill_records(records, count, bytes)) {
        free_records(records, count);
        return LOAD_OUT_OF_MEMORY;
    }
    g_document.records = records;
    g_document.count = count;
    g_document.loaded = 1;
    keep_trailing_bytes(bytes + end, size - end);
    return LOAD_OK;
}

// Opens and reads a file of less than PNG_SIZE_LIMIT bytes in one go, with the
// load's boxes for each failure. A read that stops early gives fewer bytes: the
// caller meets the end where the read stopped, exactly as reading piece by piece
// would. On LOAD_OK the caller frees *bytes with zero_free.
int read_file_bytes(const char* path, uint8_t** bytes, uint32_t* size)
{
    *bytes = nullptr;
    *size = 0;
    const FileLayer* layer = file_layer();
    FileHandle file = path ? layer->open_existing(path) : FILE_NONE;
    if (file == FILE_NONE) {
        report_file_error(TEXT_OPEN_FAILED, path);
        return LOAD_OPEN_FAILED;
    }
    uint64_t length = 0;
    int result = LOAD_OK;
    if (!layer->size(file, &length)) {
        result = LOAD_READ_FAILED;
    } else if (length >= PNG_SIZE_LIMIT) {
        show_alert(TEXT_TOO_LARGE, CAPTION_PRODUCT, ALERT_OK);
        result = LOAD_READ_FAILED;
    } else if (!(*bytes = (uint8_t*)zero_alloc((size_t)length))) {
        result = LOAD_OUT_OF_MEMORY;
    } else {
        *size = layer->read(file, *bytes, (uint32_t)length);
    }
    layer->close(file);
    if (result == LOAD_READ_FAILED) {
        report_file_error(TEXT_READ_FAILED, path);
    }
    return result;
}

int load_png(const char* path)
{
    release_document();
    build_crc_table();
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    int result = read_file_bytes(path, &bytes, &size);
    if (result == LOAD_OK) {
        result = load_from_bytes(bytes, size, path);
    }
    zero_free(bytes);
    return result;
}

uint64_t saved_file_size()
{
    if (!g_document.loaded) {
        return 0;
    }
    uint64_t size = 8;
    for (int32_t i = 0; i < g_document.count; i++) {
        size += (uint64_t)g_document.records[i].length + 12;
    }
    return size;
}

// Output through one buffer, so that a file of many small chunks costs few writes.
// The buffer goes to the file, or, when `memory` is set, to the next bytes of
// `memory` (which saved_file_size() bytes fit).
struct SaveWriter {
    FileHandle file;
    uint8_t* memory;
    uint64_t written;
    uint32_t used;
    int failed;
    uint8_t buffer[64 * 1024];
};

static void flush_writer(SaveWriter& writer)
{
    if (!writer.failed && writer.used > 0) {
        if (writer.memory) {
            memcpy(writer.memory + writer.written, writer.buffer, writer.used);
        } else if (file_layer()->write(writer.file, writer.buffer, writer.used) != writer.used) {
            writer.failed = 1;
        }
    }
    writer.written += writer.used;
    writer.used = 0;
}

static void put_bytes(SaveWriter& writer, const uint8_t* bytes, uint32_t count)
{
    while (count > 0 && !writer.failed) {
        uint32_t room = (uint32_t)sizeof(writer.buffer) - writer.used;
        uint32_t part = count < room ? count : room;
        memcpy(writer.buffer + writer.used, bytes, part);
        writer.used += part;
        bytes += part;
        count -= part;
        if (writer.used == sizeof(writer.buffer)) {
            flush_writer(writer);
        }
    }
}

static void put_u32(SaveWriter& writer, uint32_t value)
{
    uint8_t bytes[4];
    write_u32(bytes, value);
    put_bytes(writer, bytes, 4);
}

// Writes the signature and every chunk to `file`, or into `memory` when it is set.
static int write_document(FileHandle file, uint8_t* memory)
{
    static SaveWriter writer;
    writer.file = file;
    writer.memory = memory;
    writer.written = 0;
    writer.used = 0;
    writer.failed = 0;
    put_bytes(writer, PNG_SIGNATURE, 8);
    for (int32_t i = 0; i < g_document.count; i++) {
        const ChunkRecord& record = g_document.records[i];
        put_u32(writer, record.length);
        put_bytes(writer, record.type, 4);
        put_bytes(writer, record.data, record.length);
        put_u32(writer, record.stored_crc);
    }
    flush_writer(writer);
    return !writer.failed;
}

// Where the folder part of a path ends (just after its last separator). On
// Windows a 0x5C that is the second byte of a double-byte character is no separator.
static size_t folder_length(const char* path)
{
    size_t end = 0;
    for (size_t k = 0; path[k]; k++) {
        unsigned char c = (unsigned char)path[k];
#ifdef _WIN32
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            if (path[k + 1]) {
                k++;
            }
            continue;
        }
        if (c == '\\' || c == '/' || (c == ':' && k == 1)) {
            end = k + 1;
        }
#else
        if (c == '/') {
            end = k + 1;
        }
#endif
    }
    return end;
}

// The new file is written beside the target under a free temporary name.
static FileHandle create_temporary(const char* path, char* temp_path, size_t temp_size)
{
    static const char HEX[] = "0123456789ABCDEF";
    size_t folder = folder_length(path);
    if (folder + 13 > temp_size) {
        return FILE_NONE;
    }
    const FileLayer* layer = file_layer();
    memcpy(temp_path, path, folder);
    for (unsigned attempt = 0; attempt < 256; attempt++) {
        memcpy(temp_path + folder, "~vlm00.tmp", 11);
        temp_path[folder + 4] = HEX[attempt >> 4];
        temp_path[folder + 5] = HEX[attempt & 15];
        FileHandle file = layer->create_exclusive(temp_path);
        if (file != FILE_NONE || !layer->exists(temp_path)) {
            return file;
        }
    }
    return FILE_NONE;
}

// Writes through a temporary file beside the target, which replaces the target
// only once every byte is safely written: a failed save leaves an existing file
// exactly as it was. `write` puts the content into the open file.
static int save_through_temporary(const char* path, int (*write)(FileHandle file, const void* context),
                                  const void* context)
{
    if (!path) {
        report_file_error(TEXT_CREATE_FAILED, path);
        return SAVE_CREATE_FAILED;
    }
    const FileLayer* layer = file_layer();
    char temp_path[512];
    FileHandle file = create_temporary(path, temp_path, sizeof(temp_path));
    if (file == FILE_NONE) {
        report_file_error(TEXT_CREATE_FAILED, path);
        return SAVE_CREATE_FAILED;
    }
    int written = write(file, context) && layer->flush(file);
    layer->close(file);
    if (!written) {
        layer->remove(temp_path);
        report_file_error(TEXT_WRITE_FAILED, path);
        return SAVE_WRITE_FAILED;
    }
    if (!layer->replace(temp_path, path)) {
        layer->remove(temp_path);
        report_file_error(TEXT_CREATE_FAILED, path);
        return SAVE_CREATE_FAILED;
    }
    return SAVE_OK;
}

static int write_whole_document(FileHandle file, const void*)
{
    return write_document(file, nullptr);
}

uint8_t* document_bytes(uint64_t* size)
{
    *size = 0;
    if (!g_document.loaded) {
        return nullptr;
    }
    uint64_t total = saved_file_size();
    uint8_t* bytes = total <= SIZE_MAX ? (uint8_t*)zero_alloc((size_t)total) : nullptr;
    if (bytes) {
        write_document(FILE_NONE, bytes);
        *size = total;
    }
    return bytes;
}

int save_png(const char* path)
{
    if (!g_document.loaded) {
        return SAVE_OK;
    }
    int result = save_through_temporary(path, write_whole_document, nullptr);
    if (result == SAVE_OK) {
        mark_undo_saved();
    }
    return result;
}

struct ByteRun {
    const uint8_t* bytes;
    uint32_t       length;
};

static int write_byte_run(FileHandle file, const void* context)
{
    const ByteRun* run = (const ByteRun*)context;
    return file_layer()->write(file, run->bytes, run->length) == run->length;
}

int save_file_bytes(const char* path, const uint8_t* bytes, uint32_t length)
{
    ByteRun run = {bytes, length};
    return save_through_temporary(path, write_byte_run, &run);
}

int save_chunk_data(const char* path, int32_t index)
{
    if (!g_document.loaded || index < 0 || index >= g_document.count) {
        return SAVE_OK;
    }
    const ChunkRecord& record = g_document.records[index];
    return save_file_bytes(path, record.data, record.length);
}
