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
    delete_chunk(index + 1, 1);
}
