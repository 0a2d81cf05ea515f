#include "chunk_table.h"

#include <stdio.h>
#include <string.h>

#include "chunk_summary.h"
#include "document/byte_order.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "present_texts.h"

enum ColumnAlignment { ALIGN_LEFT = 0, ALIGN_RIGHT = 1, ALIGN_CENTRED = 2 };

enum Column {
    COLUMN_NUMBER = 0,
    COLUMN_TYPE,
    COLUMN_LENGTH,
    COLUMN_CRC,
    COLUMN_DAMAGED,
    COLUMN_ANCILLARY,   // the four property bits, type bytes 0 to 3
    COLUMN_PRIVATE,
    COLUMN_RESERVED,
    COLUMN_SAFE,
    COLUMN_DELETABLE,
    COLUMN_MERGEABLE,
    COLUMN_SUMMARY,
};

// The property columns take no room as created; the widths add up to 827 pixels.
static const ColumnSpec ColumnTable[COLUMN_COUNT] = {
    {27, ALIGN_CENTRED, MARK_NO},
    {39, ALIGN_RIGHT, HEADER_TYPE},
    {60, ALIGN_RIGHT, HEADER_LENGTH},
    {60, ALIGN_RIGHT, HEADER_CRC},
    {39, ALIGN_CENTRED, HEADER_DAMAGED},
    {0, ALIGN_CENTRED, HEADER_ANCILLARY},
    {0, ALIGN_CENTRED, HEADER_PRIVATE},
    {0, ALIGN_CENTRED, HEADER_RESERVED},
    {0, ALIGN_CENTRED, HEADER_SAFE},
    {51, ALIGN_CENTRED, HEADER_DELETABLE},
    {51, ALIGN_CENTRED, HEADER_MERGEABLE},
    {500, ALIGN_LEFT, HEADER_SUMMARY},
};

const ColumnSpec* column_specs()
{
    return ColumnTable;
}

static const uint32_t TYPE_IHDR = 0x49484452;  // "IHDR"
// Width, height and bit depth take the first nine bytes of IHDR.
static const uint32_t IHDR_NEEDED = 9;

static void write_mark(char* output, int yes)
{
    snprintf(output, CELL_SIZE, "%s", yes ? MARK_YES : MARK_NO);
}

// Each cell reads only its own record and, for the mergeable mark, the next one,
// so a cell costs the same whatever the size of the document.
void format_cell(char* output, int32_t row, int column)
{
    output[0] = 0;
    if (!g_document.loaded || row < 0 || row >= g_document.count) {
        return;
    }
    const ChunkRecord& record = g_document.records[row];
    switch (column) {
    case COLUMN_NUMBER:
        snprintf(output, CELL_SIZE, CELL_NUMBER, row + 1);
        break;
    case COLUMN_TYPE:
        // The text ends at the first zero among the type bytes.
        memcpy(output, record.type, 4);
        output[4] = 0;
        break;
    case COLUMN_LENGTH:
        snprintf(output, CELL_SIZE, CELL_LENGTH, (unsigned)record.length);
        break;
    case COLUMN_CRC:
        snprintf(output, CELL_SIZE, CELL_CRC, (unsigned)record.stored_crc);
        break;
    case COLUMN_DAMAGED:
        write_mark(output, is_damaged(row));
        break;
    case COLUMN_ANCILLARY:
    case COLUMN_PRIVATE:
    case COLUMN_RESERVED:
    case COLUMN_SAFE:
        write_mark(output, property_bit(row, column - COLUMN_ANCILLARY));
        break;
    case COLUMN_DELETABLE:
        write_mark(output, is_deletable(row));
        break;
    case COLUMN_MERGEABLE:
        write_mark(output, is_mergeable(row));
        break;
    case COLUMN_SUMMARY:
        chunk_summary(output, record);
        break;
    default:
        break;
    }
}

// Width and height are shown unsigned, as stored; the size is that of the file
// saving would write now.
void format_status_line(char* output, const char* path)
{
    if (!g_document.loaded) {
        snprintf(output, STATUS_SIZE, "%s", STATUS_DROP_HINT);
        return;
    }
    if (g_document.count < 1 || type_word(g_document.records[0].type) != TYPE_IHDR) {
        snprintf(output, STATUS_SIZE, "%s", STATUS_NO_IHDR);
        return;
    }
    const ChunkRecord& header = g_document.records[0];
    if (header.length < IHDR_NEEDED) {
        snprintf(output, STATUS_SIZE, "%s", STATUS_SHORT_IHDR);
        return;
    }
    const uint8_t* d = header.data;
    snprintf(output, STATUS_SIZE, STATUS_IMAGE, (unsigned)read_u32(d), (unsigned)read_u32(d + 4), (unsigned)d[8],
             (unsigned long long)saved_file_size(), path ? path : "");
}
