// The two embedded formats a person asks about: Exif data (a TIFF structure)
// and the ICC profile's header and description. Every offset inside them is
// checked against the bytes there are before it is followed.
#include <string.h>

#include "document/byte_order.h"
#include "field_writers.h"
#include "field_texts.h"
#include "text_codec.h"

namespace {

struct Tiff {
    const uint8_t* data;
    uint32_t length;
    int little;   // byte order "II"
};

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

// An IFD entry's value: where its bytes are and how many. 0 when they lie outside.
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

// The entry of `tag` in the IFD at `ifd`: 1 when found, 0 when absent, -1 when the
// IFD lies outside the data. *entries receives the IFD's entry count.
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

// A text tag (ASCII, zero-terminated) as a line, when present.
void write_ascii_tag(TextBuilder* out, const Tiff& t, uint32_t ifd, uint32_t tag, const char* label)
{
    uint64_t entry = 0, start = 0, bytes = 0;
    uint32_t entries = 0;
    if (find_entry(t, ifd, tag, &entry, &entries) != 1) {
        return;
    }
    if (!entry_value(t, entry, &start, &bytes)) {
        field_error(out, E_EXIF_IFD);
        return;
    }
    const uint8_t* text = t.data + start;
    while (bytes > 0 && text[bytes - 1] == 0) bytes--;
    text_add(out, label);
    text_add(out, ": ");
    if (is_valid_utf8(text, (size_t)bytes)) {
        add_utf8(out, text, (size_t)bytes);
    } else {
        add_latin1(out, text, (size_t)bytes);
    }
    text_add(out, "\n");
}

// A pointer tag (a LONG holding the offset of another IFD); 0 when absent.
uint32_t pointer_tag(const Tiff& t, uint32_t ifd, uint32_t tag)
{
    uint64_t entry = 0;
    uint32_t entries = 0, offset = 0;
    if (find_entry(t, ifd, tag, &entry, &entries) != 1 || !tiff_u32(t, entry + 8, &offset)) {
        return 0;
    }
    return offset;
}

void write_orientation(TextBuilder* out, const Tiff& t, uint32_t ifd)
{
    static const char* const NAMES[] = {nullptr, u8"通常", u8"左右反転", u8"180° 回転", u8"上下反転",
                                        u8"左右反転して 270° 回転", u8"90° 回転", u8"左右反転して 90° 回転",
                                        u8"270° 回転"};
    uint64_t entry = 0;
    uint32_t entries = 0, value = 0;
    if (find_entry(t, ifd, 0x0112, &entry, &entries) != 1 || !tiff_u16(t, entry + 8, &value)) {
        return;
    }
    if (value >= 1 && value <= 8) {
        text_line(out, L_ORIENTATION, V_CODE_NAMED, (unsigned)value, NAMES[value]);
    } else {
        text_line(out, L_ORIENTATION, V_CODE, (unsigned)value);
        field_error(out, E_VALUE, L_ORIENTATION, (unsigned long)value);
    }
}

// Latitude or longitude: a reference letter (tag) and three rationals (tag + 1).
void write_coordinate(TextBuilder* out, const Tiff& t, uint32_t gps, uint32_t tag, const char* label)
{
    uint64_t entry = 0, start = 0, bytes = 0;
    uint32_t entries = 0;
    if (find_entry(t, gps, tag + 1, &entry, &entries) != 1 || !entry_value(t, entry, &start, &bytes) || bytes < 24) {
        return;
    }
    double degrees = 0, scale = 1;
    for (int k = 0; k < 3; k++, scale *= 60) {
        uint32_t numerator = 0, denominator = 0;
        tiff_u32(t, start + 8 * k, &numerator);
        tiff_u32(t, start + 8 * k + 4, &denominator);
        degrees += denominator ? (double)numerator / denominator / scale : 0;
    }
    char reference[2] = "";
    if (find_entry(t, gps, tag, &entry, &entries) == 1 && t.data[entry + 8] >= 0x20 && t.data[entry + 8] < 0x7F) {
        reference[0] = (char)t.data[entry + 8];
    }
    text_line(out, label, V_COORDINATE, reference, degrees);
}

void write_gps(TextBuilder* out, const Tiff& t, uint32_t gps)
{
    uint64_t entry = 0;
    uint32_t entries = 0;
    if (gps == 0) {
        text_line(out, L_GPS, "%s", V_GPS_ABSENT);
        return;
    }
    if (find_entry(t, gps, 0xFFFF, &entry, &entries) < 0) {
        text_line(out, L_GPS, V_GPS_PRESENT, 0ul);
        field_error(out, E_EXIF_IFD);
        return;
    }
    text_line(out, L_GPS, V_GPS_PRESENT, (unsigned long)entries);
    write_coordinate(out, t, gps, 1, L_LATITUDE);
    write_coordinate(out, t, gps, 3, L_LONGITUDE);
}

}  // namespace

void describe_exif(TextBuilder* out, const uint8_t* data, uint32_t length)
{
    if (length >= 6 && memcmp(data, "Exif\0\0", 6) == 0) {
        text_line(out, L_NOTE, "%s", N_EXIF_PREFIX);
        data += 6;
        length -= 6;
    }
    Tiff t = {data, length, length >= 4 && memcmp(data, "II*\0", 4) == 0};
    if (!t.little && !(length >= 4 && memcmp(data, "MM\0*", 4) == 0)) {
        field_error(out, E_EXIF_HEADER);
        return;
    }
    text_line(out, L_BYTE_ORDER, "%s", t.little ? V_LITTLE_ENDIAN : V_BIG_ENDIAN);
    uint32_t ifd0 = 0, entries = 0;
    uint64_t entry = 0;
    if (!tiff_u32(t, 4, &ifd0) || find_entry(t, ifd0, 0xFFFF, &entry, &entries) < 0) {
        field_error(out, E_EXIF_IFD);
        return;
    }
    write_ascii_tag(out, t, ifd0, 0x010F, L_MAKE);
    write_ascii_tag(out, t, ifd0, 0x0110, L_MODEL);
    write_ascii_tag(out, t, ifd0, 0x0132, L_DATE_TIME);
    uint32_t exif = pointer_tag(t, ifd0, 0x8769);
    if (exif) {
        write_ascii_tag(out, t, exif, 0x9003, L_DATE_ORIGINAL);
    }
    write_orientation(out, t, ifd0);
    write_ascii_tag(out, t, ifd0, 0x0131, L_SOFTWARE);
    write_gps(out, t, pointer_tag(t, ifd0, 0x8825));
}

// A four-character signature of the header, without its trailing spaces.
static void write_signature(TextBuilder* out, const char* label, const uint8_t* p)
{
    char text[5];
    int n = 4;
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0)) n--;
    for (int k = 0; k < n; k++) text[k] = (p[k] >= 0x20 && p[k] < 0x7F) ? (char)p[k] : '?';
    text[n] = 0;
    text_line(out, label, V_SIGNATURE, text);
}

// The profile's description: a 'desc' tag of version 2 (ASCII) or an 'mluc' tag
// of version 4 (UTF-16, first record). 0 when the tag does not fit the profile.
static int write_description(TextBuilder* out, const uint8_t* p, uint32_t n, uint32_t at, uint32_t size)
{
    if ((uint64_t)at + size > n || size < 12) {
        return 0;
    }
    const uint8_t* tag = p + at;
    if (memcmp(tag, "desc", 4) == 0) {
        uint32_t count = read_u32(tag + 8);
        if (count > size - 12) return 0;
        while (count > 0 && tag[11 + count] == 0) count--;
        text_add(out, L_DESCRIPTION ": ");
        add_latin1(out, tag + 12, count);
    } else if (memcmp(tag, "mluc", 4) == 0 && size >= 28) {
        uint32_t length = read_u32(tag + 20), offset = read_u32(tag + 24);
        if (read_u32(tag + 8) == 0 || (uint64_t)offset + length > size) return 0;
        text_add(out, L_DESCRIPTION ": ");
        add_utf16be(out, tag + offset, length);
    } else {
        return 0;
    }
    text_add(out, "\n");
    return 1;
}

void describe_icc_profile(TextBuilder* out, const uint8_t* p, uint32_t n)
{
    if (n < 132 || memcmp(p + 36, "acsp", 4) != 0) {
        field_error(out, E_ICC_HEADER);
        return;
    }
    text_line(out, L_PROFILE_SIZE, V_BYTES, (unsigned long)read_u32(p));
    text_line(out, L_VERSION, V_VERSION, p[8], p[9] >> 4, p[9] & 15u);
    write_signature(out, L_PROFILE_CLASS, p + 12);
    write_signature(out, L_COLOUR_SPACE, p + 16);
    write_signature(out, L_PCS, p + 20);
    uint32_t tags = read_u32(p + 128);
    for (uint64_t k = 0; k < tags && 132 + 12 * (k + 1) <= n; k++) {
        const uint8_t* entry = p + 132 + 12 * k;
        if (memcmp(entry, "desc", 4) == 0) {
            if (!write_description(out, p, n, read_u32(entry + 4), read_u32(entry + 8))) {
                field_error(out, E_ICC_TAG);
            }
            return;
        }
    }
}
