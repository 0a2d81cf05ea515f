#include "chunk_edit.h"

#include <string.h>

#include "alert.h"
#include "byte_order.h"
#include "chunk_file.h"
#include "crc32.h"
#include "document_texts.h"
#include "memory.h"

static const uint32_t TYPE_IDAT = 0x49444154;  // "IDAT"
static const uint8_t PROPERTY_BIT = 0x20;

static const ChunkRecord* record_at(int32_t index)
{
    if (!g_document.loaded || index < 0 || index >= g_document.count) {
        return nullptr;
    }
    return &g_document.records[index];
}

int is_damaged(int32_t index)
{
    const ChunkRecord* record = record_at(index);
    return record && record->stored_crc != record->computed_crc;
}

int property_bit(int32_t index, int byte_index)
{
    const ChunkRecord* record = record_at(index);
    if (!record || byte_index < 0 || byte_index > 3) {
        return 0;
    }
    return (record->type[byte_index] & PROPERTY_BIT) != 0;
}

int is_deletable(int32_t index)
{
    return property_bit(index, 0) || property_bit(index, 1);
}

int is_mergeable(int32_t index)
{
    // The last possible index has no next one, and index + 1 would overflow.
    if (index == INT32_MAX) {
        return 0;
    }
    const ChunkRecord* record = record_at(index);
    const ChunkRecord* next = record_at(index + 1);
    if (!record || !next) {
        return 0;
    }
    return type_word(record->type) == TYPE_IDAT && type_word(next->type) == TYPE_IDAT &&
           !is_damaged(index) && !is_damaged(index + 1);
}

void delete_chunk(int32_t index, int forced)
{
    if (!record_at(index) || (!forced && !is_deletable(index))) {
        return;
    }
    ChunkRecord* records = g_document.records;
    zero_free(records[index].data);
    // Later records move down one place; the array keeps its allocated size.
    memmove(records + index, records + index + 1,
            (size_t)(g_document.count - index - 1) * sizeof(ChunkRecord));
    g_document.count--;
    memset(records + g_document.count, 0, sizeof(ChunkRecord));
    g_document.changed = 1;
}

void merge_with_next(int32_t index)
{
    if (!is_mergeable(index)) {
        return;
    }
    ChunkRecord& record = g_document.records[index];
    const ChunkRecord& next = g_document.records[index + 1];
    uint32_t length = record.length + next.length;
    uint8_t* data = next.length <= UINT32_MAX - record.length ? (uint8_t*)zero_alloc(length) : nullptr;
    if (!data) {
        show_alert(TEXT_MERGE_NO_MEMORY, CAPTION_ERROR, ALERT_ICON_ERROR | ALERT_TASK_MODAL);
        return;
    }
    memcpy(data, record.data, record.length);
    memcpy(data + record.length, next.data, next.length);
    zero_free(record.data);
    record.data = data;
    record.length = length;
    record.computed_crc = chunk_crc(record);
    record.stored_crc = record.computed_crc;
    delete_chunk(index + 1, DELETE_FORCED);
}

// What happens to a record in a row edit.
enum RecordFate : uint8_t {
    FATE_KEEP = 0,
    FATE_REMOVE,      // deleted
    FATE_TAKE_NEXT,   // merged with the record after it
};

// Walking the selection from the last row to the first, one by one, only ever
// changes records after the row being visited, and a merged chunk is intact like
// the two it came from. So each row meets its record's original type and damage
// state, and every decision can be made on the document as it stands.
static int32_t decide_fates(RowEdit edit, uint8_t* fates, const int32_t* rows, int32_t count,
                            const EditProgress* progress)
{
    int32_t acting = 0;
    for (int32_t k = count - 1; k >= 0; k--) {
        int32_t row = rows[k];
        if (edit == ROW_EDIT_DELETE && is_deletable(row)) {
            fates[row] = FATE_REMOVE;
            acting++;
        } else if (edit == ROW_EDIT_MERGE && is_mergeable(row)) {
            fates[row] = FATE_TAKE_NEXT;
            acting++;
        }
        if (progress) {
            progress->report(progress->context, count - k, count);
        }
    }
    return acting;
}

static void remove_marked(const uint8_t* fates)
{
    ChunkRecord* records = g_document.records;
    int32_t kept = 0;
    for (int32_t i = 0; i < g_document.count; i++) {
        if (fates[i] == FATE_REMOVE) {
            zero_free(records[i].data);
        } else {
            records[kept++] = records[i];
        }
    }
    memset(records + kept, 0, (size_t)(g_document.count - kept) * sizeof(ChunkRecord));
    g_document.count = kept;
}

// Joins records first to last into `first`'s place; 0 (with the merge's memory box)
// when the joined data cannot be held, and then nothing changes.
static int join_run(int32_t first, int32_t last)
{
    ChunkRecord* records = g_document.records;
    uint64_t total = 0;
    for (int32_t i = first; i <= last; i++) {
        total += records[i].length;
    }
    uint8_t* data = total <= UINT32_MAX ? (uint8_t*)zero_alloc((size_t)total) : nullptr;
    if (!data) {
        show_alert(TEXT_MERGE_NO_MEMORY, CAPTION_ERROR, ALERT_ICON_ERROR | ALERT_TASK_MODAL);
        return 0;
    }
    size_t used = 0;
    for (int32_t i = first; i <= last; i++) {
        memcpy(data + used, records[i].data, records[i].length);
        used += records[i].length;
        zero_free(records[i].data);
        records[i].data = nullptr;
    }
    records[first].data = data;
    records[first].length = (uint32_t)total;
    records[first].computed_crc = chunk_crc(records[first]);
    records[first].stored_crc = records[first].computed_crc;
    return 1;
}

// A record marked to take the next one starts a run that ends at the first record
// after it that is not marked (the last record never is: it has no next one).
static int join_marked(const uint8_t* fates)
{
    ChunkRecord* records = g_document.records;
    int32_t kept = 0;
    int joined = 0;
    for (int32_t i = 0; i < g_document.count;) {
        int32_t last = i;
        while (fates[last] == FATE_TAKE_NEXT) {
            last++;
        }
        if (last > i && join_run(i, last)) {
            records[kept++] = records[i];
            joined = 1;
        } else {
            for (int32_t k = i; k <= last; k++) {
                records[kept++] = records[k];
            }
        }
        i = last + 1;
    }
    memset(records + kept, 0, (size_t)(g_document.count - kept) * sizeof(ChunkRecord));
    g_document.count = kept;
    return joined;
}

// Without room for the fates, the edit falls back to the plain walk.
static int edit_rows_one_by_one(RowEdit edit, const int32_t* rows, int32_t count, const EditProgress* progress)
{
    int32_t before = g_document.count;
    for (int32_t k = count - 1; k >= 0; k--) {
        if (edit == ROW_EDIT_DELETE) {
            delete_chunk(rows[k], DELETE_IF_DELETABLE);
        } else {
            merge_with_next(rows[k]);
        }
        if (progress) {
            progress->report(progress->context, count - k, count);
        }
    }
    return g_document.count != before;
}

int edit_rows(RowEdit edit, const int32_t* rows, int32_t count, const EditProgress* progress)
{
    if (!g_document.loaded) {
        return 0;
    }
    uint8_t* fates = (uint8_t*)zero_alloc((size_t)g_document.count);
    if (!fates) {
        return edit_rows_one_by_one(edit, rows, count, progress);
    }
    int changed = 0;
    if (decide_fates(edit, fates, rows, count, progress) > 0) {
        changed = edit == ROW_EDIT_DELETE ? (remove_marked(fates), 1) : join_marked(fates);
    }
    zero_free(fates);
    if (changed) {
        g_document.changed = 1;
    }
    return changed;
}
