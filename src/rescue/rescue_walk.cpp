// The walk over the chunks: each header is taken as it stands when the chunk's
// CRC or the next header confirms it; otherwise the true end is searched (a
// damaged length, one byte lost or added), and failing that the walk
// resynchronises on the next chunk that proves itself (registered type, CRC).
#include <string.h>

#include "document/byte_order.h"
#include "document/crc32.h"
#include "document/memory.h"
#include "line_endings.h"
#include "rescue_scan.h"

// Framing searches over the whole rest of the file; later ones look this far only.
static const uint32_t FULL_ROLLING_SCANS = 64;
static const uint64_t SHORT_ROLLING_REACH = 1 << 20;
// How far past a stated end that looks right another end is looked for.
static const uint64_t NEAR_ROLLING_REACH = 1 << 16;
static const int32_t FIXES_MAX = 4;

// Takes the chunk at `header` with `length` data bytes as the file holds them.
static int32_t take_chunk(Scan& scan, uint64_t header, uint32_t length)
{
    const uint8_t* at = scan.file.bytes + header;
    ChunkRecord record;
    if (!make_record(at + 4, at + 8, length, read_u32(at + 8 + length), &record)) {
        scan.result->out_of_memory = 1;
        return -1;
    }
    return add_chunk(scan.result, record, header, RESCUE_FROM_FILE);
}

static int32_t chunk_finding(Scan& scan, int32_t kind, int32_t certainty, int32_t chunk, uint32_t a, uint32_t b)
{
    RescueFinding finding = file_finding(kind, certainty, scan.result->info[chunk].offset, a, b);
    finding.chunk = chunk;
    return add_finding(scan.result, finding);
}

// A damaged length: the one end the rolling CRC confirms, looked for up to `end`
// (the file's size for a length that leads nowhere). Only the scans that run to
// the end of the file count against FULL_ROLLING_SCANS.
static int mend_length(Scan& scan, uint64_t header, uint64_t end, uint64_t* next)
{
    ScanBytes reach = scan.file;
    if (end < reach.size) {
        reach.size = end;
    } else if (scan.rolling_scans++ >= FULL_ROLLING_SCANS && reach.size - header > SHORT_ROLLING_REACH) {
        reach.size = header + SHORT_ROLLING_REACH;
    }
    uint32_t lengths[2];
    int32_t found = true_lengths(reach, header, lengths, 2);
    if (found == 0) return 0;
    int32_t chunk = take_chunk(scan, header, lengths[0]);
    if (chunk < 0) return 1;
    uint32_t stored = read_u32(scan.file.bytes + header);
    chunk_finding(scan, RESCUE_LENGTH, found == 1 ? RESCUE_BEYOND_DOUBT : RESCUE_PROBABLE, chunk, stored,
                  lengths[0]);
    *next = header + 12 + lengths[0];
    return 1;
}

// The replacement a lost or added byte makes of the chunk as found.
static int shifted_record(const ChunkRecord& found, const ByteFix& fix, int32_t kind, ChunkRecord* out)
{
    uint32_t length = kind == RESCUE_BYTE_LOST ? found.length + 1 : found.length - 1;
    uint8_t* data = (uint8_t*)zero_alloc(length ? length : 1);
    if (!data) return 0;
    uint32_t p = fix.position;
    memcpy(data, found.data, p);
    if (kind == RESCUE_BYTE_LOST) {
        data[p] = fix.value;
        memcpy(data + p + 1, found.data + p, found.length - p);
    } else {
        memcpy(data + p, found.data + p + 1, found.length - p - 1);
    }
    *out = found;
    out->length = length;
    out->data = data;
    out->computed_crc = chunk_crc(*out);
    return 1;
}

// One byte lost (the next header one byte early) or added (one byte late).
static int mend_shift(Scan& scan, uint64_t header, int32_t kind, uint64_t* next)
{
    const uint8_t* at = scan.file.bytes + header;
    uint32_t declared = read_u32(at);
    if (kind == RESCUE_BYTE_LOST && declared == 0) return 0;
    uint32_t held = kind == RESCUE_BYTE_LOST ? declared - 1 : declared + 1;
    if (scan.file.size - header - 12 < held || !plausible_header(scan.file, header + 12 + held)) return 0;
    uint32_t stored = read_u32(at + 8 + held);
    ByteFix fixes[FIXES_MAX];
    int32_t found = kind == RESCUE_BYTE_LOST ? lost_byte_fixes(at + 4, at + 8, held, stored, fixes, FIXES_MAX)
                                             : added_byte_fixes(at + 4, at + 8, held, stored, fixes, FIXES_MAX);
    if (found == 0) return 0;
    int32_t chunk = take_chunk(scan, header, held);
    *next = header + 12 + held;
    for (int32_t k = 0; chunk >= 0 && k < found; k++) {
        RescueFinding finding = file_finding(kind, found == 1 ? RESCUE_BEYOND_DOUBT : RESCUE_PROBABLE, header,
                                             fixes[k].position, fixes[k].value);
        finding.chunk = chunk;
        if (!shifted_record(scan.result->chunks[chunk], fixes[k], kind, &finding.replacement)) break;
        finding.has_replacement = 1;
        add_finding(scan.result, finding);
    }
    return 1;
}

// The first offset from `from` (and before `until`) where a registered chunk with
// a matching CRC begins; the file's size when there is none.
static uint64_t resynchronise(Scan& scan, uint64_t from, uint64_t until)
{
    const ScanBytes& file = scan.file;
    for (uint64_t q = from; q + 12 <= file.size && q < until; q++) {
        const uint8_t* at = file.bytes + q;
        if (!registered_type(at + 4)) continue;
        uint32_t length = read_u32(at);
        if (file.size - q - 12 < length) continue;
        uint32_t reg = 0xFFFFFFFFu;
        for (uint64_t k = 4; k < 8 + (uint64_t)length; k++) reg = crc_step(reg, at[k]);
        if ((reg ^ 0xFFFFFFFFu) == read_u32(at + 8 + length)) return q;
    }
    return file.size;
}

// A chunk that the end of the file cuts: image data is kept for the completion
// of its stream, anything else is lost.
static void cut_chunk(Scan& scan, uint64_t header)
{
    const uint8_t* at = scan.file.bytes + header;
    uint64_t left = scan.file.size - header;
    if (left < 8 || !letters_only(at + 4)) {
        add_finding(scan.result, file_finding(RESCUE_LOST_REGION, RESCUE_NONE, header, (uint32_t)left));
        return;
    }
    uint32_t declared = read_u32(at);
    uint32_t held = (uint32_t)(left - 8 < declared ? left - 8 : declared);
    RescueFinding finding = file_finding(RESCUE_CUT_CHUNK, RESCUE_NONE, header, held, declared, type_word(at + 4));
    if (is_chunk_type(at + 4, "IDAT")) {
        ChunkRecord record;
        if (!make_record(at + 4, at + 8, held, 0, &record)) return;
        record.stored_crc = record.computed_crc;
        finding.chunk = add_chunk(scan.result, record, header, RESCUE_FROM_FILE);
    }
    add_finding(scan.result, finding);
}

static int framing_holds(Scan& scan, uint64_t header, uint64_t* next)
{
    const uint8_t* at = scan.file.bytes + header;
    uint32_t length = read_u32(at);
    if (scan.file.size - header - 12 < length) return 0;
    uint32_t reg = 0xFFFFFFFFu;
    for (uint64_t k = 4; k < 8 + (uint64_t)length; k++) reg = crc_step(reg, at[k]);
    int crc_ok = (reg ^ 0xFFFFFFFFu) == read_u32(at + 8 + length);
    if (!crc_ok && !plausible_header(scan.file, header + 12 + length)) return 0;
    // A CRC that fails where the next header looks right may still be a length
    // that points at something header-like: a CRC confirming another end wins.
    // Such a chunk's fault is far likelier in its data, so the other end is looked
    // for near the stated one only: a file of many damaged chunks stays linear.
    uint64_t near_end = header + 12 + (uint64_t)length + NEAR_ROLLING_REACH;
    if (!crc_ok && mend_length(scan, header, near_end, next)) return 1;
    take_chunk(scan, header, length);
    *next = header + 12 + length;
    return 1;
}

// A chunk whose header looks right but whose CRC and the next header are gone (a
// zeroed or overwritten block right behind its data) is kept as found, unless a
// chunk that proves itself begins inside its data (then its length is what is
// wrong); the walk resynchronises behind it, and its CRC is explained later.
static int keep_before_loss(Scan& scan, uint64_t header, uint64_t* next)
{
    const uint8_t* at = scan.file.bytes + header;
    uint32_t length = read_u32(at);
    if (!registered_type(at + 4) || scan.file.size - header - 12 < length) return 0;
    uint64_t end = header + 12 + (uint64_t)length;
    if (resynchronise(scan, header + 1, end) < end) return 0;
    if (take_chunk(scan, header, length) < 0) return 0;
    *next = end;
    return 1;
}

// One chunk from `header`; 0 when the walk ends.
static int walk_step(Scan& scan, uint64_t header, uint64_t* next)
{
    uint64_t left = scan.file.size - header;
    if (left < 12) {
        if (left > 0) cut_chunk(scan, header);
        return 0;
    }
    if (scan.line_endings != RESCUE_LINE_ENDINGS_NONE) return restore_chunk_line_endings(scan, header, next);
    if (framing_holds(scan, header, next) || mend_length(scan, header, scan.file.size, next) ||
        mend_shift(scan, header, RESCUE_BYTE_LOST, next) || mend_shift(scan, header, RESCUE_BYTE_ADDED, next) ||
        keep_before_loss(scan, header, next)) {
        return 1;
    }
    uint64_t again = resynchronise(scan, header + 1, scan.file.size);
    if (again < scan.file.size) {
        add_finding(scan.result, file_finding(RESCUE_LOST_REGION, RESCUE_NONE, header, (uint32_t)(again - header)));
        *next = again;
        return 1;
    }
    cut_chunk(scan, header);
    return 0;
}

static void keep_trailing(Scan& scan, uint64_t end)
{
    TrailingBytes& trailing = scan.result->trailing;
    uint64_t count = scan.file.size - end;
    trailing.count = (uint32_t)count;
    trailing.kept = count < sizeof trailing.head ? (uint32_t)count : (uint32_t)sizeof trailing.head;
    memcpy(trailing.head, scan.file.bytes + end, trailing.kept);
    if (count > 0) add_finding(scan.result, file_finding(RESCUE_TRAILING, RESCUE_NONE, end, (uint32_t)count));
}

void walk_chunks(Scan& scan, uint64_t at)
{
    RescueResult* result = scan.result;
    while (!result->out_of_memory) {
        if (scan.ports && scan.ports->progress) scan.ports->progress(scan.ports->context, at, scan.file.size);
        if (scan_cancelled(scan)) {
            add_finding(result, file_finding(RESCUE_CANCELLED, RESCUE_NONE, at));
            return;
        }
        int32_t before = result->chunk_count;
        uint64_t next = at;
        int more = walk_step(scan, at, &next);
        if (result->chunk_count > before && is_chunk_type(result->chunks[result->chunk_count - 1].type, "IEND")) {
            scan.iend_seen = 1;
            keep_trailing(scan, next);
            return;
        }
        if (!more || next <= at) return;
        at = next;
    }
}
