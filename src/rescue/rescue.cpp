// The rescue's passes: where the chunks begin, the walk that mends framing, the
// explanations of wrong CRCs, the image data, and the end of the file.
#include "rescue.h"

#include "document/byte_order.h"
#include "document/crc32.h"
#include "document/file_layer.h"
#include "document/memory.h"
#include "line_endings.h"
#include "repair/repair_search.h"
#include "rescue_explain.h"
#include "rescue_scan.h"
#include "rescue_stream.h"

int scan_cancelled(Scan& scan)
{
    if (!scan.cancelled && scan.ports && scan.ports->cancelled) scan.cancelled = scan.ports->cancelled(scan.ports->context);
    return scan.cancelled;
}

uint32_t scan_clock(const Scan& scan)
{
    return scan.ports && scan.ports->read_clock ? scan.ports->read_clock(scan.ports->context) : 0;
}

// A lost or added byte found by the walk is checked against the chunk's structure
// like any candidate, now that the chunks after it are known too.
static void check_shifts(RescueResult* result, uint8_t* settled)
{
    for (int32_t i = 0; i < result->finding_count; i++) {
        RescueFinding& finding = result->findings[i];
        if (!finding.has_replacement || finding.chunk < 0) continue;
        settled[finding.chunk] = 1;
        if (finding.kind != RESCUE_BYTE_LOST && finding.kind != RESCUE_BYTE_ADDED) continue;
        if (record_check(*result, finding.chunk, finding.replacement) == REPAIR_CHECK_FAILED) {
            finding.certainty = RESCUE_PROBABLE;
            finding.accept = RESCUE_REFUSED;
        }
    }
}

// Every chunk taken as it stands whose CRC is wrong and that no framing finding
// replaces, explained.
static void explain_damaged(Scan& scan)
{
    RescueResult* result = scan.result;
    int32_t count = result->chunk_count;
    uint8_t* settled = (uint8_t*)zero_alloc(count ? (size_t)count : 1);
    if (!settled) {
        result->out_of_memory = 1;
        return;
    }
    check_shifts(result, settled);
    for (int32_t i = 0; i < count && !result->out_of_memory; i++) {
        const ChunkRecord& record = result->chunks[i];
        if (!settled[i] && record.stored_crc != record.computed_crc && !scan_cancelled(scan)) {
            explain_crc_mismatch(result, i);
        }
    }
    zero_free(settled);
}

// IEND among the chunks, or as the accepted fix of one.
static int has_iend(const RescueResult& result)
{
    for (int32_t i = 0; i < result.chunk_count; i++) {
        if (is_chunk_type(result.chunks[i].type, "IEND")) return 1;
    }
    for (int32_t i = 0; i < result.finding_count; i++) {
        const RescueFinding& finding = result.findings[i];
        if (finding.has_replacement && finding.accept == RESCUE_ACCEPTED && is_chunk_type(finding.replacement.type, "IEND")) {
            return 1;
        }
    }
    return 0;
}

static void end_with_iend(Scan& scan)
{
    RescueResult* result = scan.result;
    if (result->chunk_count == 0 || has_iend(*result)) return;
    static const uint8_t iend[4] = {'I', 'E', 'N', 'D'};
    ChunkRecord record;
    if (!make_record(iend, nullptr, 0, 0, &record)) {
        result->out_of_memory = 1;
        return;
    }
    record.stored_crc = record.computed_crc;
    add_chunk(result, record, 0, RESCUE_ADDED);
    add_finding(result, file_finding(RESCUE_TRUNCATED, RESCUE_NONE, scan.file.size));
}

void rescue_bytes(const uint8_t* bytes, uint64_t size, const RescueOptions& options, const RescuePorts* ports,
                  RescueResult* result)
{
    *result = RescueResult();
    build_crc_table();
    Scan scan = {};
    scan.file = ScanBytes{bytes, size};
    scan.result = result;
    scan.options = &options;
    scan.ports = ports;
    scan.line_finding = -1;
    scan.clock_start = scan_clock(scan);
    uint64_t first = find_first_chunk(scan);
    if (first < size) walk_chunks(scan, first);
    finish_line_endings(scan);
    explain_damaged(scan);
    if (!scan.cancelled) complete_image_data(result, options.stream_mode);
    end_with_iend(scan);
    if (result->chunk_count == 0 && result->finding_count == 0) {
        add_finding(result, file_finding(RESCUE_NOT_PNG, RESCUE_NONE, 0));
    }
    result->outcome = rescue_outcome(*result);
}

static int read_whole(const char* path, uint8_t** bytes, uint64_t* size)
{
    const FileLayer* layer = file_layer();
    FileHandle file = path ? layer->open_existing(path) : FILE_NONE;
    if (file == FILE_NONE) return RESCUE_READ_NO_FILE;
    int status = RESCUE_READ_OK;
    if (!layer->size(file, size)) {
        status = RESCUE_READ_FAILED;
    } else if (*size >= PNG_SIZE_LIMIT) {
        status = RESCUE_READ_TOO_LARGE;
    } else if (!(*bytes = (uint8_t*)zero_alloc(*size ? (size_t)*size : 1))) {
        status = RESCUE_READ_NO_MEMORY;
    } else if (layer->read(file, *bytes, (uint32_t)*size) != *size) {
        status = RESCUE_READ_FAILED;
    }
    layer->close(file);
    return status;
}

int rescue_file(const char* path, const RescueOptions& options, const RescuePorts* ports, RescueResult* result)
{
    *result = RescueResult();
    result->outcome = RESCUE_UNREADABLE;
    uint8_t* bytes = nullptr;
    uint64_t size = 0;
    int status = read_whole(path, &bytes, &size);
    if (status == RESCUE_READ_OK) rescue_bytes(bytes, size, options, ports, result);
    zero_free(bytes);
    return status;
}
