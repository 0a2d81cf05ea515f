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

// Walking the selection from the last row to the first, one by one, only ever
// changes records after the row being visited, and a merged chunk is intact like
// the two it came from. So each row meets its record's original type and damage
// state, and every decision can be made on the document as it stands. A record
// already marked FATE_REMOVE (iDOT going with a merge) counts as gone: a row takes
// the next record that stays.
static int32_t next_staying(const uint8_t* fates, int32_t index)
{
    int32_t next = index + 1;
    while (next < g_document.count && fates[next] == FATE_REMOVE) {
        next++;
    }
    return next;
}

static int takes_next(const uint8_t* fates, int32_t row)
{
    if (row < 0 || row >= g_document.count || fates[row] == FATE_REMOVE) {
        return 0;
    }
    int32_t next = next_staying(fates, row);
    const ChunkRecord* record = record_at(row);
    const ChunkRecord* following = record_at(next);
    return following && type_word(record->type) == TYPE_IDAT && type_word(following->type) == TYPE_IDAT &&
           !is_damaged(row) && !is_damaged(next);
}

int32_t decide_fates(RowEdit edit, uint8_t* fates, const int32_t* rows, int32_t count, const EditProgress* progress)
{
    int32_t acting = 0;
    for (int32_t k = count - 1; k >= 0; k--) {
        int32_t row = rows[k];
        if (edit == ROW_EDIT_DELETE && is_deletable(row)) {
            fates[row] = FATE_REMOVE;
            acting++;
        } else if (edit == ROW_EDIT_MERGE && takes_next(fates, row)) {
            fates[row] = FATE_TAKE_NEXT;
            acting++;
        }
        if (progress) {
            progress->report(progress->context, count - k, count);
        }
    }
    return acting;
}

// A record marked to take the next one starts a run that ends at the first staying
// record after it that is not marked (the last record never is: it has no next one).
static int32_t run_end(const uint8_t* fates, int32_t first)
{
    int32_t last = first;
    while (last + 1 < g_document.count && fates[last] != FATE_KEEP) {
        last++;
    }
    return last;
}

static void free_blocks(uint8_t** blocks, int32_t count)
{
    for (int32_t i = 0; i < count; i++) {
        zero_free(blocks[i]);
    }
    zero_free(blocks);
}

// The joined data of every run, allocated before anything changes: one block per
// run, in document order. Null (and nothing kept) when any of them cannot be held.
static uint8_t** allocate_runs(const uint8_t* fates, int32_t* runs)
{
    *runs = 0;
    for (int32_t i = 0; i < g_document.count; i++) {
        *runs += fates[i] == FATE_TAKE_NEXT && (i == 0 || fates[i - 1] != FATE_TAKE_NEXT);
    }
    uint8_t** blocks = (uint8_t**)zero_alloc((size_t)*runs * sizeof(uint8_t*));
    int32_t made = 0;
    for (int32_t i = 0; blocks && i < g_document.count; i++) {
        if (fates[i] != FATE_TAKE_NEXT) {
            continue;
        }
        int32_t last = run_end(fates, i);
        uint64_t total = 0;
        for (int32_t k = i; k <= last; k++) {
            total += fates[k] == FATE_REMOVE ? 0 : g_document.records[k].length;
        }
        blocks[made] = total <= UINT32_MAX ? (uint8_t*)zero_alloc((size_t)total) : nullptr;
        if (!blocks[made]) {
            free_blocks(blocks, made);
            return nullptr;
        }
        made++;
        i = last;
    }
    return blocks;
}

// Joins the staying records first to last into `block`, in `first`'s place; the
// parts' data goes.
static void join_run(uint8_t* block, const uint8_t* fates, int32_t first, int32_t last)
{
    ChunkRecord* records = g_document.records;
    size_t used = 0;
    for (int32_t i = first; i <= last; i++) {
        if (fates[i] != FATE_REMOVE) {
            memcpy(block + used, records[i].data, records[i].length);
            used += records[i].length;
        }
        zero_free(records[i].data);
        records[i].data = nullptr;
    }
    records[first].data = block;
    records[first].length = (uint32_t)used;
    records[first].computed_crc = chunk_crc(records[first]);
    records[first].stored_crc = records[first].computed_crc;
}

EditResult commit_fates(const uint8_t* fates)
{
    int32_t runs = 0;
    uint8_t** blocks = allocate_runs(fates, &runs);
    if (!blocks) {
        return EDIT_NO_MEMORY;
    }
    ChunkRecord* records = g_document.records;
    int32_t kept = 0, run = 0;
    for (int32_t i = 0; i < g_document.count; i++) {
        if (fates[i] == FATE_REMOVE) {
            zero_free(records[i].data);
            continue;
        }
        int32_t last = i;
        if (fates[i] == FATE_TAKE_NEXT) {
            last = run_end(fates, i);
            join_run(blocks[run++], fates, i, last);
        }
        records[kept++] = records[i];
        i = last;
    }
    zero_free(blocks);
    int changed = kept != g_document.count;
    memset(records + kept, 0, (size_t)(g_document.count - kept) * sizeof(ChunkRecord));
    g_document.count = kept;
    if (changed) {
        g_document.changed = 1;
    }
    return changed ? EDIT_CHANGED : EDIT_UNCHANGED;
}

void report_edit_result(RowEdit edit, EditResult result)
{
    if (edit == ROW_EDIT_MERGE && result == EDIT_NO_MEMORY) {
        show_alert(TEXT_MERGE_NO_MEMORY, CAPTION_ERROR, ALERT_ICON_ERROR | ALERT_TASK_MODAL);
    }
}

EditResult edit_rows(RowEdit edit, const int32_t* rows, int32_t count, const EditProgress* progress)
{
    if (!g_document.loaded) {
        return EDIT_UNCHANGED;
    }
    uint8_t* fates = (uint8_t*)zero_alloc((size_t)g_document.count);
    EditResult result = EDIT_NO_MEMORY;
    if (fates) {
        result = decide_fates(edit, fates, rows, count, progress) > 0 ? commit_fates(fates) : EDIT_UNCHANGED;
    }
    zero_free(fates);
    report_edit_result(edit, result);
    return result;
}
