#include "exif_reader.h"

#include <string.h>

#include "document/byte_order.h"

int open_tiff(const uint8_t* data, uint32_t length, Tiff* out, int* prefixed)
{
    *prefixed = length >= 6 && memcmp(data, "Exif\0\0", 6) == 0;
    if (*prefixed) {
        data += 6;
        length -= 6;
    }
    *out = Tiff{data, length, length >= 4 && memcmp(data, "II*\0", 4) == 0};
    return out->little || (length >= 4 && memcmp(data, "MM\0*", 4) == 0);
}

int tiff_u16(const Tiff& t, uint64_t at, uint32_t* value)
{
    if (at + 2 > t.length) return 0;
    const uint8_t* p = t.data + at;
    *value = t.little ? (uint32_t)(p[0] | p[1] << 8) : (uint32_t)(p[0] << 8 | p[1]);
    return 1;
}

int tiff_u32(const Tiff& t, uint64_t at, uint32_t* value)
{
    if (at + 4 > t.length) return 0;
    const uint8_t* p = t.data + at;
    *value = t.little ? (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24
                      : read_u32(p);
    return 1;
}

int entry_value(const Tiff& t, uint64_t entry, uint64_t* start, uint64_t* bytes)
{
    static const uint32_t SIZES[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    uint32_t type = 0, count = 0, offset = 0;
    if (!tiff_u16(t, entry + 2, &type) || !tiff_u32(t, entry + 4, &count) || type == 0 || type > 12) {
        return 0;
    }
    *bytes = (uint64_t)count * SIZES[type];
    if (*bytes <= 4) {
        *start = entry + 8;
    } else if (tiff_u32(t, entry + 8, &offset)) {
        *start = offset;
    }
    return *start + *bytes <= t.length;
}

int find_entry(const Tiff& t, uint32_t ifd, uint32_t tag, uint64_t* entry, uint32_t* entries)
{
    if (!tiff_u16(t, ifd, entries) || (uint64_t)ifd + 2 + 12ull * *entries > t.length) {
        return -1;
    }
    for (uint32_t k = 0; k < *entries; k++) {
        uint32_t found = 0;
        tiff_u16(t, ifd + 2 + 12ull * k, &found);
        if (found == tag) {
            *entry = ifd + 2 + 12ull * k;
            return 1;
        }
    }
    return 0;
}

uint32_t pointer_tag(const Tiff& t, uint32_t ifd, uint32_t tag)
{
    uint64_t entry = 0;
    uint32_t entries = 0, offset = 0;
    if (find_entry(t, ifd, tag, &entry, &entries) != 1 || !tiff_u32(t, entry + 8, &offset)) {
        return 0;
    }
    return offset;
}

uint32_t first_ifd(const Tiff& t)
{
    uint32_t ifd0 = 0, entries = 0;
    uint64_t entry = 0;
    if (!tiff_u32(t, 4, &ifd0) || find_entry(t, ifd0, 0xFFFF, &entry, &entries) < 0) return 0;
    return ifd0;
}

int ascii_tag(const Tiff& t, uint32_t ifd, uint32_t tag, const uint8_t** text, uint64_t* bytes)
{
    uint64_t entry = 0, start = 0;
    uint32_t entries = 0;
    if (find_entry(t, ifd, tag, &entry, &entries) != 1) return 0;
    if (!entry_value(t, entry, &start, bytes)) return -1;
    *text = t.data + start;
    while (*bytes > 0 && (*text)[*bytes - 1] == 0) (*bytes)--;
    return 1;
}

int gps_coordinate(const Tiff& t, uint32_t gps, uint32_t tag, double* degrees, char* reference)
{
    uint64_t entry = 0, start = 0, bytes = 0;
    uint32_t entries = 0;
    if (find_entry(t, gps, tag + 1, &entry, &entries) != 1 || !entry_value(t, entry, &start, &bytes) || bytes < 24) {
        return 0;
    }
    double scale = 1;
    *degrees = 0;
    for (int k = 0; k < 3; k++, scale *= 60) {
        uint32_t numerator = 0, denominator = 0;
        tiff_u32(t, start + 8 * k, &numerator);
        tiff_u32(t, start + 8 * k + 4, &denominator);
        *degrees += denominator ? (double)numerator / denominator / scale : 0;
    }
    *reference = 0;
    if (find_entry(t, gps, tag, &entry, &entries) == 1 && t.data[entry + 8] >= 0x20 && t.data[entry + 8] < 0x7F) {
        *reference = (char)t.data[entry + 8];
    }
    return 1;
}
