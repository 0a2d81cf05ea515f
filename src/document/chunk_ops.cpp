#include "chunk_ops.h"

#include <string.h>

#include "byte_order.h"
#include "check/chunk_order.h"
#include "crc32.h"
#include "memory.h"

const char* chunk_op_result_name(int result)
{
    static const char* const NAMES[OP_RESULT_COUNT] = {
        "OP_DONE",     "OP_NO_DOCUMENT", "OP_NO_ROW",    "OP_REFUSED",   "OP_AT_EDGE",   "OP_CRITICAL",
        "OP_NOT_IDAT", "OP_DAMAGED",     "OP_BAD_SIZE",  "OP_TOO_SHORT", "OP_BAD_LENGTH", "OP_BAD_TYPE",
        "OP_BAD_CRC",  "OP_BAD_FORM",    "OP_NOT_ICC",   "OP_NO_PROFILE", "OP_NO_MEMORY",
    };
    return result >= 0 && result < OP_RESULT_COUNT ? NAMES[result] : "?";
}

void chunk_batch_free(ChunkBatch* batch)
{
    for (int32_t i = 0; i < batch->count; i++) zero_free(batch->records[i].data);
    zero_free(batch->records);
    batch->records = nullptr;
    batch->count = 0;
}

static void set_report(ChunkOpReport* report, int32_t verdict, int32_t row, int32_t count)
{
    if (report) *report = {verdict, row, count};
}

// The rule broken by record `i` where it stands, or ORDER_ALLOWED; `seen` counts
// the single types met so far (one counter per rule).
static int32_t record_verdict(const ChunkRecord* records, const OrderLandmarks& marks, int32_t i, int32_t* seen)
{
    const uint8_t* type = records[i].type;
    uint32_t word = type_word(type);
    if ((word == type_word("IHDR")) != (i == 0)) return ORDER_NOT_FIRST;
    if ((word == type_word("IEND")) != (i == marks.count - 1)) return ORDER_NOT_LAST;
    if (word != type_word("IDAT") && marks.first_idat >= 0 && i > marks.first_idat && i < marks.last_idat) {
        return ORDER_SPLITS_IDAT;
    }
    int32_t verdict = placement_verdict(marks, type, i);
    if (verdict != ORDER_ALLOWED) return verdict;
    const ChunkOrderRule* rule = chunk_order_rule(type);
    if (rule && rule->count == CHUNK_SINGLE && seen[rule - CHUNK_ORDER_RULES]++ > 0) return ORDER_ONLY_ONE;
    return ORDER_ALLOWED;
}

int32_t count_order_faults(const ChunkRecord* records, int32_t count, int32_t* first_fault, int32_t* verdict)
{
    int32_t seen[CHUNK_ORDER_RULE_LIMIT] = {};
    OrderLandmarks marks = find_landmarks(records, count, -1);
    int32_t faults = 0;
    *first_fault = -1;
    *verdict = ORDER_ALLOWED;
    for (int32_t i = 0; i < count; i++) {
        int32_t v = record_verdict(records, marks, i, seen);
        if (v == ORDER_ALLOWED) continue;
        if (faults++ == 0) {
            *first_fault = i;
            *verdict = v;
        }
    }
    return faults;
}

// Whether a new chunk may stand at `p` as far as the landmarks tell: first and
// last place and the IDAT run, then placement. The single-type question is left
// to chunk_may_stand_at, asked once of the position this picks.
static int may_stand_quickly(const OrderLandmarks& marks, const uint8_t* type, int32_t p)
{
    uint32_t word = type_word(type);
    if ((word == type_word("IHDR")) != (p == 0) || (word == type_word("IEND")) != (p == marks.count)) return 0;
    if (marks.first_idat >= 0) {
        int inside = p > marks.first_idat && p <= marks.last_idat;
        if (word == type_word("IDAT") && !inside && p != marks.first_idat && p != marks.last_idat + 1) return 0;
        if (word != type_word("IDAT") && inside) return 0;
    }
    return placement_verdict(marks, type, p) == ORDER_ALLOWED;
}

int32_t first_allowed_position(const ChunkDocument& document, const uint8_t* type, int32_t* verdict)
{
    OrderLandmarks marks = find_landmarks(document.records, document.count, -1);
    int32_t p = 0;
    while (p <= document.count && !may_stand_quickly(marks, type, p)) p++;
    int32_t asked = p <= document.count ? p : (document.count > 1 ? 1 : 0);
    *verdict = chunk_may_stand_at(document.records, document.count, type, asked, -1);
    return p <= document.count && *verdict == ORDER_ALLOWED ? p : -1;
}

// A copy of the document's records with `added` in front of `position`; null
// without memory.
static ChunkRecord* spliced(const ChunkDocument& document, int32_t position, const ChunkRecord* added, int32_t n)
{
    ChunkRecord* records = (ChunkRecord*)zero_alloc(((size_t)document.count + n) * sizeof(ChunkRecord));
    if (!records) return nullptr;
    memcpy(records, document.records, (size_t)position * sizeof(ChunkRecord));
    memcpy(records + position, added, (size_t)n * sizeof(ChunkRecord));
    memcpy(records + position + n, document.records + position, (size_t)(document.count - position) * sizeof(ChunkRecord));
    return records;
}

static void take_records(ChunkDocument* document, ChunkRecord* records, int32_t count)
{
    zero_free(document->records);
    document->records = records;
    document->count = count;
    document->changed = 1;
}

int insert_chunk(ChunkDocument* document, const uint8_t* type, const uint8_t* data, uint32_t length,
                 ChunkOpReport* report)
{
    set_report(report, ORDER_ALLOWED, -1, 0);
    if (!document->loaded) return OP_NO_DOCUMENT;
    if (length > PNG_INT_MAX) return OP_BAD_LENGTH;
    int32_t verdict;
    int32_t position = first_allowed_position(*document, type, &verdict);
    if (position < 0) {
        set_report(report, verdict, -1, 0);
        return OP_REFUSED;
    }
    ChunkRecord record = {length, {type[0], type[1], type[2], type[3]}, 0, 0, (uint8_t*)zero_alloc(length)};
    ChunkRecord* records = record.data ? spliced(*document, position, &record, 1) : nullptr;
    if (!records) {
        zero_free(record.data);
        return OP_NO_MEMORY;
    }
    memcpy(record.data, data, length);
    records[position].computed_crc = records[position].stored_crc = chunk_crc(record);
    take_records(document, records, document->count + 1);
    set_report(report, ORDER_ALLOWED, position, 1);
    return OP_DONE;
}

// Puts a reordered copy in place of the records when it breaks the rules in no
// more places than the document does; the copy is freed either way.
static int commit_order(ChunkDocument* document, ChunkRecord* order, int32_t moved_row, int32_t moved,
                        ChunkOpReport* report)
{
    int32_t old_first, old_verdict, first, verdict;
    int32_t before = count_order_faults(document->records, document->count, &old_first, &old_verdict);
    int32_t after = count_order_faults(order, document->count, &first, &verdict);
    if (after > before) {
        zero_free(order);
        set_report(report, verdict, first, 0);
        return OP_REFUSED;
    }
    memcpy(document->records, order, (size_t)document->count * sizeof(ChunkRecord));
    zero_free(order);
    document->changed = 1;
    set_report(report, ORDER_ALLOWED, moved_row, moved);
    return OP_DONE;
}

static int rows_valid(const ChunkDocument& document, const int32_t* rows, int32_t count)
{
    if (count <= 0) return 0;
    for (int32_t k = 0; k < count; k++) {
        if (rows[k] < 0 || rows[k] >= document.count || (k > 0 && rows[k] <= rows[k - 1])) return 0;
    }
    return 1;
}

static ChunkRecord* copied_records(const ChunkDocument& document)
{
    ChunkRecord* order = (ChunkRecord*)zero_alloc((size_t)document.count * sizeof(ChunkRecord));
    if (order) memcpy(order, document.records, (size_t)document.count * sizeof(ChunkRecord));
    return order;
}

// A new type is tried on a copy of the order first; the data is allocated before
// anything changes, so a refusal or a failed allocation leaves the record as it was.
int replace_chunk(ChunkDocument* document, int32_t row, const uint8_t* type, const uint8_t* data, uint32_t length,
                  ChunkOpReport* report)
{
    set_report(report, ORDER_ALLOWED, -1, 0);
    if (!document->loaded) return OP_NO_DOCUMENT;
    if (row < 0 || row >= document->count) return OP_NO_ROW;
    if (length > PNG_INT_MAX) return OP_BAD_LENGTH;
    ChunkRecord& record = document->records[row];
    if (memcmp(record.type, type, 4) != 0) {
        ChunkRecord* order = copied_records(*document);
        if (!order) return OP_NO_MEMORY;
        memcpy(order[row].type, type, 4);
        int32_t first, verdict;
        int32_t before = count_order_faults(document->records, document->count, &first, &verdict);
        int32_t after = count_order_faults(order, document->count, &first, &verdict);
        zero_free(order);
        if (after > before) {
            set_report(report, verdict, first, 0);
            return OP_REFUSED;
        }
    }
    uint8_t* copy = (uint8_t*)zero_alloc(length);
    if (!copy) return OP_NO_MEMORY;
    memcpy(copy, data, length);
    zero_free(record.data);
    record.data = copy;
    record.length = length;
    memcpy(record.type, type, 4);
    record.computed_crc = record.stored_crc = chunk_crc(record);
    document->changed = 1;
    set_report(report, ORDER_ALLOWED, row, 1);
    return OP_DONE;
}

int move_rows(ChunkDocument* document, const int32_t* rows, int32_t count, MoveDirection direction,
              ChunkOpReport* report)
{
    set_report(report, ORDER_ALLOWED, -1, 0);
    if (!document->loaded) return OP_NO_DOCUMENT;
    if (!rows_valid(*document, rows, count)) return OP_NO_ROW;
    int up = direction == MOVE_UP;
    if ((up && rows[0] == 0) || (!up && rows[count - 1] == document->count - 1)) return OP_AT_EDGE;
    ChunkRecord* order = copied_records(*document);
    if (!order) return OP_NO_MEMORY;
    // Up: from the first row on, each swaps with the one above, which is then the
    // unselected record before its block; down mirrors it from the last row.
    for (int32_t k = 0; k < count; k++) {
        int32_t row = up ? rows[k] : rows[count - 1 - k];
        int32_t other = up ? row - 1 : row + 1;
        ChunkRecord held = order[row];
        order[row] = order[other];
        order[other] = held;
    }
    return commit_order(document, order, up ? rows[0] - 1 : rows[0] + 1, count, report);
}

int move_row_to(ChunkDocument* document, int32_t row, int32_t target, ChunkOpReport* report)
{
    set_report(report, ORDER_ALLOWED, -1, 0);
    if (!document->loaded) return OP_NO_DOCUMENT;
    if (row < 0 || row >= document->count || target < 0 || target >= document->count) return OP_NO_ROW;
    ChunkRecord* order = copied_records(*document);
    if (!order) return OP_NO_MEMORY;
    ChunkRecord held = order[row];
    if (target < row) {
        memmove(order + target + 1, order + target, (size_t)(row - target) * sizeof(ChunkRecord));
    } else {
        memmove(order + row, order + row + 1, (size_t)(target - row) * sizeof(ChunkRecord));
    }
    order[target] = held;
    return commit_order(document, order, target, 1, report);
}

// The pieces of a split and their records; on failure everything is freed.
static int split_pieces(const ChunkRecord& idat, uint32_t size, int32_t pieces, ChunkRecord* out)
{
    for (int32_t k = 0; k < pieces; k++) {
        uint32_t start = (uint32_t)k * size;
        uint32_t length = k + 1 < pieces ? size : idat.length - start;
        out[k] = {length, {'I', 'D', 'A', 'T'}, 0, 0, (uint8_t*)zero_alloc(length)};
        if (!out[k].data) {
            for (int32_t j = 0; j < k; j++) zero_free(out[j].data);
            return 0;
        }
        memcpy(out[k].data, idat.data + start, length);
        out[k].computed_crc = out[k].stored_crc = chunk_crc(out[k]);
    }
    return 1;
}

static int split_refusal(const ChunkDocument& document, int32_t row, uint32_t size)
{
    if (!document.loaded) return OP_NO_DOCUMENT;
    if (row < 0 || row >= document.count) return OP_NO_ROW;
    const ChunkRecord& record = document.records[row];
    if (type_word(record.type) != type_word("IDAT")) return OP_NOT_IDAT;
    if (record.stored_crc != record.computed_crc) return OP_DAMAGED;
    if (size == 0 || size >= record.length) return OP_BAD_SIZE;
    return OP_DONE;
}

int split_idat(ChunkDocument* document, int32_t row, uint32_t size, SplitMode mode, ChunkOpReport* report)
{
    set_report(report, ORDER_ALLOWED, -1, 0);
    int refusal = split_refusal(*document, row, size);
    if (refusal != OP_DONE) return refusal;
    const ChunkRecord idat = document->records[row];
    uint64_t whole = ((uint64_t)idat.length + size - 1) / size;
    if (mode == SPLIT_ONCE) whole = 2;
    if (whole > (uint64_t)(INT32_MAX - document->count)) return OP_BAD_SIZE;
    int32_t pieces = (int32_t)whole;
    ChunkRecord* added = (ChunkRecord*)zero_alloc((size_t)pieces * sizeof(ChunkRecord));
    ChunkRecord* records = added ? spliced(*document, row, added, pieces - 1) : nullptr;
    if (!records || !split_pieces(idat, size, pieces, added)) {
        zero_free(records);
        zero_free(added);
        return OP_NO_MEMORY;
    }
    // The pieces take the split record's place and the pieces - 1 places before it.
    memcpy(records + row, added, (size_t)pieces * sizeof(ChunkRecord));
    zero_free(added);
    zero_free(idat.data);
    take_records(document, records, document->count + pieces - 1);
    set_report(report, ORDER_ALLOWED, row, pieces);
    return OP_DONE;
}

int paste_chunks(ChunkDocument* document, ChunkBatch* chunks, int32_t before, ChunkOpReport* report)
{
    set_report(report, ORDER_ALLOWED, -1, 0);
    if (!document->loaded) return OP_NO_DOCUMENT;
    int32_t count = document->count;
    if (before < 0) before = count > 0 && type_word(document->records[count - 1].type) == type_word("IEND") ? count - 1 : count;
    if (before > count || chunks->count <= 0 || chunks->count > INT32_MAX - count) return OP_NO_ROW;
    ChunkRecord* records = spliced(*document, before, chunks->records, chunks->count);
    if (!records) return OP_NO_MEMORY;
    int32_t old_first, old_verdict, first, verdict;
    int32_t faults = count_order_faults(document->records, count, &old_first, &old_verdict);
    if (count_order_faults(records, count + chunks->count, &first, &verdict) > faults) {
        zero_free(records);
        set_report(report, verdict, first, 0);
        return OP_REFUSED;
    }
    take_records(document, records, count + chunks->count);
    set_report(report, ORDER_ALLOWED, before, chunks->count);
    zero_free(chunks->records);
    *chunks = {nullptr, 0};
    return OP_DONE;
}

int cut_rows(ChunkDocument* document, const int32_t* rows, int32_t count, ClipboardForm form, FieldBytes* out,
             ChunkOpReport* report)
{
    set_report(report, ORDER_ALLOWED, -1, 0);
    if (!document->loaded) return OP_NO_DOCUMENT;
    if (!rows_valid(*document, rows, count)) return OP_NO_ROW;
    for (int32_t k = 0; k < count; k++) {
        if (!(document->records[rows[k]].type[0] & 0x20)) {
            set_report(report, ORDER_ALLOWED, rows[k], 0);
            return OP_CRITICAL;
        }
    }
    int result = copy_rows(*document, rows, count, form, out);
    if (result != OP_DONE) return result;
    // Removing ancillary chunks cannot break an order rule that held before.
    int32_t kept = 0;
    for (int32_t i = 0, k = 0; i < document->count; i++) {
        if (k < count && rows[k] == i) {
            zero_free(document->records[i].data);
            k++;
        } else {
            document->records[kept++] = document->records[i];
        }
    }
    memset(document->records + kept, 0, (size_t)count * sizeof(ChunkRecord));
    document->count = kept;
    document->changed = 1;
    set_report(report, ORDER_ALLOWED, rows[0], count);
    return OP_DONE;
}
