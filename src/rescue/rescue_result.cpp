// The result's lists, the acceptance and the final chunk list.
#include "rescue_result.h"

#include <string.h>

#include "document/crc32.h"
#include "document/memory.h"

// Grows a zeroed array to hold at least `needed` items; 0 when memory runs out.
static int grow(void** items, int32_t* capacity, int32_t needed, size_t item_size)
{
    if (needed <= *capacity) return 1;
    int32_t wanted = *capacity ? *capacity * 2 : 16;
    if (wanted < needed) wanted = needed;
    void* bigger = zero_alloc((size_t)wanted * item_size);
    if (!bigger) return 0;
    if (*items) memcpy(bigger, *items, (size_t)*capacity * item_size);
    zero_free(*items);
    *items = bigger;
    *capacity = wanted;
    return 1;
}

int copy_record(const ChunkRecord& from, ChunkRecord* to)
{
    *to = from;
    to->data = (uint8_t*)zero_alloc(from.length ? from.length : 1);
    if (!to->data) return 0;
    if (from.length) memcpy(to->data, from.data, from.length);
    return 1;
}

int make_record(const uint8_t* type, const uint8_t* data, uint32_t length, uint32_t stored_crc, ChunkRecord* out)
{
    ChunkRecord view = {length, {type[0], type[1], type[2], type[3]}, stored_crc, 0, const_cast<uint8_t*>(data)};
    if (!copy_record(view, out)) return 0;
    out->computed_crc = chunk_crc(*out);
    return 1;
}

int32_t add_chunk(RescueResult* result, ChunkRecord record, uint64_t offset, int32_t origin)
{
    int32_t capacity = result->chunk_capacity;
    if (!grow((void**)&result->chunks, &capacity, result->chunk_count + 1, sizeof(ChunkRecord)) ||
        !grow((void**)&result->info, &result->chunk_capacity, result->chunk_count + 1, sizeof(RescueChunkInfo))) {
        zero_free(record.data);
        result->out_of_memory = 1;
        return -1;
    }
    int32_t index = result->chunk_count++;
    result->chunks[index] = record;
    result->info[index] = RescueChunkInfo{offset, origin, -1, -1};
    return index;
}

int32_t add_finding(RescueResult* result, const RescueFinding& finding)
{
    if (!grow((void**)&result->findings, &result->finding_capacity, result->finding_count + 1,
              sizeof(RescueFinding))) {
        if (finding.has_replacement) zero_free(finding.replacement.data);
        result->out_of_memory = 1;
        return -1;
    }
    int32_t index = result->finding_count++;
    result->findings[index] = finding;
    result->findings[index].accept = finding.certainty == RESCUE_PROBABLE ? RESCUE_REFUSED : RESCUE_ACCEPTED;
    return index;
}

RescueFinding file_finding(int32_t kind, int32_t certainty, uint64_t offset, uint32_t a, uint32_t b, uint32_t c)
{
    RescueFinding finding = {};
    finding.offset = offset;
    finding.kind = kind;
    finding.certainty = certainty;
    finding.chunk = -1;
    finding.detail[0] = a;
    finding.detail[1] = b;
    finding.detail[2] = c;
    return finding;
}

void release_rescue_result(RescueResult* result)
{
    for (int32_t i = 0; i < result->chunk_count; i++) zero_free(result->chunks[i].data);
    for (int32_t i = 0; i < result->finding_count; i++) {
        if (result->findings[i].has_replacement) zero_free(result->findings[i].replacement.data);
    }
    zero_free(result->chunks);
    zero_free(result->info);
    zero_free(result->findings);
    *result = RescueResult();
}

void accept_probable_findings(RescueResult* result, int32_t accept)
{
    for (int32_t i = 0; i < result->finding_count; i++) {
        if (result->findings[i].certainty == RESCUE_PROBABLE) result->findings[i].accept = accept;
    }
}

int32_t rescue_outcome(const RescueResult& result)
{
    if (result.chunk_count == 0) return RESCUE_UNREADABLE;
    int32_t outcome = RESCUE_INTACT;
    for (int32_t i = 0; i < result.finding_count; i++) {
        const RescueFinding& finding = result.findings[i];
        if (finding.kind == RESCUE_TRAILING) continue;
        int settled = finding.certainty == RESCUE_BEYOND_DOUBT ||
                      (finding.certainty == RESCUE_PROBABLE && finding.accept == RESCUE_ACCEPTED &&
                       finding.kind != RESCUE_FORCED_CRC);
        if (!settled) return RESCUE_PARTIAL;
        outcome = RESCUE_ENTIRE;
    }
    return result.out_of_memory ? RESCUE_PARTIAL : outcome;
}

// The version of chunk `index` the acceptance chooses, or null when it goes.
static const ChunkRecord* chosen_record(const RescueResult& result, int32_t index)
{
    const RescueChunkInfo& info = result.info[index];
    if (info.dropped_by >= 0 && result.findings[info.dropped_by].accept == RESCUE_ACCEPTED) return nullptr;
    if (info.added_by >= 0 && result.findings[info.added_by].accept != RESCUE_ACCEPTED) return nullptr;
    for (int32_t i = 0; i < result.finding_count; i++) {
        const RescueFinding& finding = result.findings[i];
        if (finding.chunk == index && finding.has_replacement && finding.accept == RESCUE_ACCEPTED) {
            return &finding.replacement;
        }
    }
    return &result.chunks[index];
}

int apply_rescue(const RescueResult& result, ChunkDocument* out)
{
    *out = ChunkDocument{nullptr, 0, 0, 0};
    out->records = (ChunkRecord*)zero_alloc((size_t)(result.chunk_count + 1) * sizeof(ChunkRecord));
    if (!out->records) return 0;
    for (int32_t i = 0; i < result.chunk_count; i++) {
        const ChunkRecord* chosen = chosen_record(result, i);
        if (!chosen) continue;
        if (!copy_record(*chosen, &out->records[out->count])) {
            for (int32_t k = 0; k < out->count; k++) zero_free(out->records[k].data);
            zero_free(out->records);
            *out = ChunkDocument{nullptr, 0, 0, 0};
            return 0;
        }
        out->count++;
        // A chunk mended into IEND (a damaged type byte) ends the file there, as
        // the strict load ends it: what the scan read after it is not written.
        if (is_chunk_type(chosen->type, "IEND")) break;
    }
    out->loaded = 1;
    out->changed = 1;
    return 1;
}

// The final list is built before the document goes, so that running out of
// memory leaves the document as it was.
int adopt_rescue_result(const RescueResult& result)
{
    build_crc_table();
    ChunkDocument document;
    if (!apply_rescue(result, &document)) return 0;
    release_document();
    g_document = document;
    g_trailing = result.trailing;
    return 1;
}
