// The forms whole chunks travel in: raw chunk files, the clipboard forms and ICC
// profile files (chunk_ops.h).
#include <string.h>

#include "byte_order.h"
#include "chunk_ops.h"
#include "crc32.h"
#include "fields/field_zlib.h"
#include "fields/text_rules.h"
#include "memory.h"

static const uint8_t CLIPBOARD_MARK[8] = {'V', 'l', 'm', 'C', 'h', 'n', 'k', '1'};
// A profile inflates to at most this many bytes on export.
static const uint32_t PROFILE_CAP = 64u << 20;

static int is_type_letter(uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// One chunk as it stands in a PNG, from `*at`; the bytes it needs are checked
// against those left before anything is allocated.
static int read_chunk_at(const uint8_t* bytes, uint32_t size, uint32_t* at, ChunkRecord* out)
{
    uint32_t left = size - *at;
    if (left < 12) return OP_TOO_SHORT;
    const uint8_t* p = bytes + *at;
    uint32_t length = read_u32(p);
    if (length > PNG_INT_MAX) return OP_BAD_LENGTH;
    if ((uint64_t)length + 12 > left) return OP_TOO_SHORT;
    for (int k = 0; k < 4; k++) {
        if (!is_type_letter(p[4 + k])) return OP_BAD_TYPE;
    }
    ChunkRecord record = {length, {p[4], p[5], p[6], p[7]}, read_u32(p + 8 + length), 0, nullptr};
    record.data = (uint8_t*)p + 8;
    record.computed_crc = chunk_crc(record);
    if (record.computed_crc != record.stored_crc) return OP_BAD_CRC;
    record.data = (uint8_t*)zero_alloc(length);
    if (!record.data) return OP_NO_MEMORY;
    memcpy(record.data, p + 8, length);
    *out = record;
    *at += 12 + length;
    return OP_DONE;
}

int read_raw_chunk(const uint8_t* bytes, uint32_t size, ChunkBatch* chunk)
{
    *chunk = {nullptr, 0};
    ChunkRecord* record = (ChunkRecord*)zero_alloc(sizeof(ChunkRecord));
    if (!record) return OP_NO_MEMORY;
    uint32_t at = 0;
    int result = read_chunk_at(bytes, size, &at, record);
    if (result == OP_DONE && at != size) {
        zero_free(record->data);
        result = OP_BAD_LENGTH;
    }
    if (result != OP_DONE) {
        zero_free(record);
        return result;
    }
    *chunk = {record, 1};
    return OP_DONE;
}

static void write_raw(const ChunkRecord& record, uint8_t* out)
{
    write_u32(out, record.length);
    memcpy(out + 4, record.type, 4);
    memcpy(out + 8, record.data, record.length);
    write_u32(out + 8 + record.length, record.stored_crc);
}

int export_raw_chunk(const ChunkDocument& document, int32_t row, FieldBytes* out)
{
    *out = {nullptr, 0};
    if (!document.loaded) return OP_NO_DOCUMENT;
    if (row < 0 || row >= document.count) return OP_NO_ROW;
    const ChunkRecord& record = document.records[row];
    if (record.length > UINT32_MAX - 12) return OP_BAD_LENGTH;
    out->data = (uint8_t*)zero_alloc(record.length + 12);
    if (!out->data) return OP_NO_MEMORY;
    write_raw(record, out->data);
    out->length = record.length + 12;
    return OP_DONE;
}

static int insert_batch(ChunkDocument* document, ChunkBatch* chunk, ChunkOpReport* report)
{
    const ChunkRecord& record = chunk->records[0];
    int result = insert_chunk(document, record.type, record.data, record.length, report);
    chunk_batch_free(chunk);
    return result;
}

int import_raw_chunk(ChunkDocument* document, const uint8_t* bytes, uint32_t size, ChunkOpReport* report)
{
    if (report) *report = {0, -1, 0};
    if (!document->loaded) return OP_NO_DOCUMENT;
    ChunkBatch chunk;
    int result = read_raw_chunk(bytes, size, &chunk);
    return result == OP_DONE ? insert_batch(document, &chunk, report) : result;
}

// Clipboard forms ------------------------------------------------------------

static const char HEX_DIGITS[] = "0123456789ABCDEF";

static uint64_t form_size(const ChunkDocument& document, const int32_t* rows, int32_t count, ClipboardForm form)
{
    uint64_t raw = 0;
    for (int32_t k = 0; k < count; k++) raw += 12 + (uint64_t)document.records[rows[k]].length;
    // Text: two digits a byte and a line end ("\r\n") a chunk, and a final zero.
    return form == CLIP_BINARY ? sizeof CLIPBOARD_MARK + 4 + raw : raw * 2 + 2 * (uint64_t)count + 1;
}

static uint8_t* write_hex_chunk(const ChunkRecord& record, uint8_t* out)
{
    uint8_t head[8];
    write_u32(head, record.length);
    memcpy(head + 4, record.type, 4);
    uint8_t tail[4];
    write_u32(tail, record.stored_crc);
    const uint8_t* parts[3] = {head, record.data, tail};
    uint32_t sizes[3] = {8, record.length, 4};
    for (int part = 0; part < 3; part++) {
        for (uint32_t i = 0; i < sizes[part]; i++) {
            *out++ = (uint8_t)HEX_DIGITS[parts[part][i] >> 4];
            *out++ = (uint8_t)HEX_DIGITS[parts[part][i] & 15];
        }
    }
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

int copy_rows(const ChunkDocument& document, const int32_t* rows, int32_t count, ClipboardForm form,
              FieldBytes* out)
{
    *out = {nullptr, 0};
    if (!document.loaded) return OP_NO_DOCUMENT;
    if (count <= 0) return OP_NO_ROW;
    for (int32_t k = 0; k < count; k++) {
        if (rows[k] < 0 || rows[k] >= document.count) return OP_NO_ROW;
    }
    uint64_t size = form_size(document, rows, count, form);
    if (size > UINT32_MAX) return OP_BAD_LENGTH;
    uint8_t* p = (uint8_t*)zero_alloc((size_t)size);
    if (!p) return OP_NO_MEMORY;
    *out = {p, (uint32_t)size};
    if (form == CLIP_BINARY) {
        memcpy(p, CLIPBOARD_MARK, sizeof CLIPBOARD_MARK);
        write_u32(p + sizeof CLIPBOARD_MARK, (uint32_t)count);
        p += sizeof CLIPBOARD_MARK + 4;
    }
    for (int32_t k = 0; k < count; k++) {
        const ChunkRecord& record = document.records[rows[k]];
        if (form == CLIP_BINARY) {
            write_raw(record, p);
            p += 12 + record.length;
        } else {
            p = write_hex_chunk(record, p);
        }
    }
    if (form == CLIP_HEX_TEXT) out->length--;   // the final zero is the buffer's, not the text's
    return OP_DONE;
}

// `count` raw chunks (-1: as many as the bytes hold, at least one), exactly filling the bytes.
static int read_chunk_run(const uint8_t* bytes, uint32_t size, int64_t count, ChunkBatch* chunks)
{
    int64_t room = count >= 0 ? count : size / 12;
    if (room == 0 || room > size / 12) return room == 0 ? OP_BAD_FORM : OP_TOO_SHORT;
    chunks->records = (ChunkRecord*)zero_alloc((size_t)room * sizeof(ChunkRecord));
    if (!chunks->records) return OP_NO_MEMORY;
    uint32_t at = 0;
    while (at < size && (count < 0 || chunks->count < count)) {
        int result = read_chunk_at(bytes, size, &at, &chunks->records[chunks->count]);
        if (result != OP_DONE) {
            chunk_batch_free(chunks);
            return result;
        }
        chunks->count++;
    }
    int result = OP_DONE;
    if (count >= 0 && chunks->count < count) {
        result = OP_TOO_SHORT;
    } else if (at != size) {
        result = OP_BAD_LENGTH;   // bytes after the last chunk
    }
    if (result != OP_DONE) chunk_batch_free(chunks);
    return result;
}

static int hex_value(uint8_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

static int read_hex_form(const uint8_t* text, uint32_t size, ChunkBatch* chunks)
{
    uint8_t* bytes = (uint8_t*)zero_alloc(size / 2 + 1);
    if (!bytes) return OP_NO_MEMORY;
    uint32_t n = 0;
    int high = -1;
    for (uint32_t i = 0; i < size && text[i]; i++) {
        int v = hex_value(text[i]);
        int blank = text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n';
        if (v < 0 && !blank) high = -2;
        if (high == -2) break;
        if (v < 0) continue;
        if (high < 0) {
            high = v;
        } else {
            bytes[n++] = (uint8_t)(high << 4 | v);
            high = -1;
        }
    }
    int result = high != -1 ? OP_BAD_FORM : read_chunk_run(bytes, n, -1, chunks);
    zero_free(bytes);
    return result;
}

int read_clipboard(const uint8_t* bytes, uint32_t size, ChunkBatch* chunks)
{
    *chunks = {nullptr, 0};
    uint32_t head = sizeof CLIPBOARD_MARK + 4;
    if (size >= sizeof CLIPBOARD_MARK && memcmp(bytes, CLIPBOARD_MARK, sizeof CLIPBOARD_MARK) == 0) {
        if (size < head) return OP_TOO_SHORT;
        return read_chunk_run(bytes + head, size - head, read_u32(bytes + sizeof CLIPBOARD_MARK), chunks);
    }
    return read_hex_form(bytes, size, chunks);
}

// ICC profiles ---------------------------------------------------------------

// The description of a profile as Latin-1 code points (UTF-16 units above 0xFF
// become '?'); 0 without a readable 'desc' tag.
static uint32_t profile_description(const uint8_t* p, uint32_t n, uint8_t* out, uint32_t room)
{
    uint32_t tags = read_u32(p + 128);
    for (uint64_t k = 0; k < tags && 132 + 12 * (k + 1) <= n; k++) {
        const uint8_t* entry = p + 132 + 12 * k;
        if (memcmp(entry, "desc", 4) != 0) continue;
        uint32_t at = read_u32(entry + 4), size = read_u32(entry + 8);
        if ((uint64_t)at + size > n || size < 12) return 0;
        const uint8_t* tag = p + at;
        uint32_t count = 0;
        if (memcmp(tag, "desc", 4) == 0) {
            uint32_t chars = read_u32(tag + 8);
            if (chars > size - 12) return 0;
            for (; count < chars && count < room && tag[12 + count]; count++) out[count] = tag[12 + count];
        } else if (memcmp(tag, "mluc", 4) == 0 && size >= 28 && read_u32(tag + 8) > 0) {
            uint32_t length = read_u32(tag + 20), offset = read_u32(tag + 24);
            if ((uint64_t)offset + length > size) return 0;
            for (; count < length / 2 && count < room; count++) {
                uint32_t unit = (uint32_t)tag[offset + 2 * count] << 8 | tag[offset + 2 * count + 1];
                out[count] = unit < 0x100 ? (uint8_t)unit : (uint8_t)'?';
            }
        }
        return count;
    }
    return 0;
}

// A keyword from a description: printable Latin-1, single spaces, none at either end.
static uint32_t keyword_from(const uint8_t* text, uint32_t count, uint8_t* keyword)
{
    uint32_t n = 0;
    for (uint32_t i = 0; i < count && n < 79; i++) {
        uint8_t c = text[i];
        if (c == 0) break;
        int printable = (c > 0x20 && c < 0x7F) || c >= 0xA1;
        if (!printable && c != ' ' && c != 0xA0) c = '?';
        if (c == ' ' || c == 0xA0) {
            if (n == 0 || keyword[n - 1] == ' ') continue;
            c = ' ';
        }
        keyword[n++] = c;
    }
    while (n > 0 && keyword[n - 1] == ' ') n--;
    return n;
}

int iccp_from_profile(const uint8_t* profile, uint32_t size, FieldBytes* out)
{
    *out = {nullptr, 0};
    if (size < 132 || memcmp(profile + 36, "acsp", 4) != 0 || read_u32(profile) != size) return OP_NOT_ICC;
    uint8_t description[256];
    uint8_t keyword[80];
    uint32_t n = keyword_from(description, profile_description(profile, size, description, sizeof description),
                              keyword);
    if (n == 0 || !is_valid_keyword(keyword, n)) {
        n = (uint32_t)strlen("ICC Profile");
        memcpy(keyword, "ICC Profile", n);
    }
    FieldBytes stream;
    if (!compress_field(profile, size, COMPRESS_BEST, &stream)) return OP_NO_MEMORY;
    IccpFields fields = {{keyword, n}, 0, {stream.data, stream.length}};
    int result = serialize_iccp(fields, out);
    field_bytes_free(&stream);
    return result == FIELD_OK ? OP_DONE : result == FIELD_NO_MEMORY ? OP_NO_MEMORY : OP_NOT_ICC;
}

int import_icc_profile(ChunkDocument* document, const uint8_t* profile, uint32_t size, ChunkOpReport* report)
{
    if (report) *report = {0, -1, 0};
    if (!document->loaded) return OP_NO_DOCUMENT;
    FieldBytes data;
    int result = iccp_from_profile(profile, size, &data);
    if (result != OP_DONE) return result;
    result = insert_chunk(document, reinterpret_cast<const uint8_t*>("iCCP"), data.data, data.length, report);
    field_bytes_free(&data);
    return result;
}

int export_icc_profile(const ChunkDocument& document, int32_t row, FieldBytes* out)
{
    *out = {nullptr, 0};
    if (!document.loaded) return OP_NO_DOCUMENT;
    if (row < 0 || row >= document.count) return OP_NO_ROW;
    const ChunkRecord& record = document.records[row];
    IccpFields fields;
    if (type_word(record.type) != type_word("iCCP") || parse_iccp(record.data, record.length, &fields) != FIELD_OK) {
        return OP_NO_PROFILE;
    }
    int result = decompress_field(fields.profile, PROFILE_CAP, out);
    if (result == INFLATE_OK || result == INFLATE_TRAILING) return OP_DONE;
    field_bytes_free(out);
    return result == INFLATE_NO_MEMORY ? OP_NO_MEMORY : OP_NO_PROFILE;
}

uint32_t clipboard_form_size(const uint8_t* bytes, uint32_t size)
{
    uint32_t head = sizeof CLIPBOARD_MARK + 4;
    if (size < head || memcmp(bytes, CLIPBOARD_MARK, sizeof CLIPBOARD_MARK) != 0) return size;
    uint64_t end = head;
    for (uint32_t k = read_u32(bytes + sizeof CLIPBOARD_MARK); k > 0; k--) {
        if (end + 12 > size) return size;
        end += 12 + (uint64_t)read_u32(bytes + end);
    }
    return end <= size ? (uint32_t)end : size;
}
