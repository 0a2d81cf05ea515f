// Files built in code for the check's tests and benchmark: a 4 x 4 image of any
// colour type whose IDAT holds exactly its rows, and the chunks around it.
#pragma once
#include <string.h>

#include <string>
#include <vector>

#include "check/check.h"
#include "document/chunk_file.h"
#include "repair/stream_check.h"
#include "support/memory_files.h"
#include "support/test_support.h"

inline Bytes be32(uint32_t v)
{
    return {(uint8_t)(v >> 24), (uint8_t)(v >> 16), (uint8_t)(v >> 8), (uint8_t)v};
}

inline Bytes cat(std::vector<Bytes> parts)
{
    return joined(parts);
}

inline Bytes be16(uint16_t v)
{
    return {(uint8_t)(v >> 8), (uint8_t)v};
}

inline Bytes entry(uint16_t tag, uint16_t type, uint32_t count, const Bytes& value)
{
    Bytes v = value;
    v.resize(4);
    return cat({be16(tag), be16(type), be32(count), v});
}

// A big-endian TIFF: IFD0 (8) with the Exif and GPS pointers; the Exif IFD (38)
// with BodySerialNumber "SN-0042" (at 56); the GPS IFD (64) with N 35 30 0 and
// E 139 45 0 (rationals at 118 and 142).
inline Bytes exif_with_gps_and_serial()
{
    Bytes ifd0 = cat({be16(2), entry(0x8769, 4, 1, be32(38)), entry(0x8825, 4, 1, be32(64)), be32(0)});
    Bytes exif = cat({be16(1), entry(0xA431, 2, 8, be32(56)), be32(0), text_bytes(std::string("SN-0042\0", 8))});
    Bytes gps = cat({be16(4), entry(1, 2, 2, {'N', 0}), entry(2, 5, 3, be32(118)), entry(3, 2, 2, {'E', 0}),
                     entry(4, 5, 3, be32(142)), be32(0)});
    Bytes north = cat({be32(35), be32(1), be32(30), be32(1), be32(0), be32(1)});
    Bytes east = cat({be32(139), be32(1), be32(45), be32(1), be32(0), be32(1)});
    return cat({text_bytes(std::string("MM\0*", 4)), be32(8), ifd0, exif, gps, north, east});
}

const uint32_t SIDE = 4;

inline Bytes ihdr_of(uint8_t colour, uint8_t depth = 8, uint8_t interlace = 0, uint32_t side = SIDE)
{
    Bytes d = ihdr_data(side, side, depth);
    d[9] = colour;
    d[12] = interlace;
    return make_chunk("IHDR", d);
}

// The rows of a side x side image, every filter byte `filter`, every sample 0.
inline Bytes rows_of(uint8_t colour, uint8_t depth = 8, uint8_t interlace = 0, uint32_t side = SIDE,
                     uint8_t filter = 0)
{
    ImageLayout layout;
    if (!layout_image(side, side, depth, colour, interlace, &layout)) return {};
    Bytes rows;
    for (int32_t p = 0; p < layout.passes; p++) {
        for (uint32_t r = 0; r < layout.rows[p]; r++) {
            rows.push_back(filter);
            rows.insert(rows.end(), (size_t)layout.row_bytes[p], 0);
        }
    }
    return rows;
}

inline Bytes idat_of(uint8_t colour, uint8_t depth = 8, uint8_t interlace = 0)
{
    return make_chunk("IDAT", deflated(rows_of(colour, depth, interlace)));
}

inline Bytes plte_of(uint32_t entries)
{
    return make_chunk("PLTE", Bytes(3 * entries, 0x80));
}

inline Bytes iend()
{
    return make_chunk("IEND", {});
}

// fcTL for a frame of w x h at x, y.
inline Bytes fctl(uint32_t sequence, uint32_t w = SIDE, uint32_t h = SIDE, uint32_t x = 0, uint32_t y = 0,
                  uint8_t dispose = 0, uint8_t blend = 0)
{
    return make_chunk("fcTL", cat({be32(sequence), be32(w), be32(h), be32(x), be32(y), {0, 1, 0, 10}, {dispose, blend}}));
}

// fdAT with the rows of a w x h RGB frame.
inline Bytes fdat(uint32_t sequence, uint32_t side = SIDE)
{
    return make_chunk("fdAT", cat({be32(sequence), deflated(rows_of(2, 8, 0, side))}));
}

inline Bytes actl(uint32_t frames)
{
    return make_chunk("acTL", cat({be32(frames), be32(0)}));
}

// Loads `file` as the document (through an in-memory file layer).
inline int load_bytes(const Bytes& file)
{
    MemoryFiles files;
    files.files["f.png"] = file;
    return load_png("f.png");
}

// The names of the rules the check finds in the loaded document, in order.
inline std::string found_rules()
{
    FindingList list = FindingList();
    check_document(&list);
    std::string names;
    for (int32_t i = 0; i < list.count; i++) names += (names.empty() ? "" : " ") + std::string(rule_name(list.items[i].rule));
    findings_free(&list);
    return names;
}
