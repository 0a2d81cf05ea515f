// The two embedded formats a person asks about: Exif data (a TIFF structure,
// read through exif_reader.h) and the ICC profile's header and description.
// Every offset inside them is checked against the bytes there are before it is
// followed.
#include <string.h>

#include "document/byte_order.h"
#include "exif_reader.h"
#include "field_writers.h"
#include "field_texts.h"
#include "text_codec.h"

namespace {

// A text tag (ASCII, zero-terminated) as a line, when present.
void write_ascii_tag(TextBuilder* out, const Tiff& t, uint32_t ifd, uint32_t tag, const char* label)
{
    const uint8_t* text = nullptr;
    uint64_t bytes = 0;
    int found = ascii_tag(t, ifd, tag, &text, &bytes);
    if (found < 0) field_error(out, E_EXIF_IFD);
    if (found != 1) return;
    text_add(out, label);
    text_add(out, ": ");
    if (is_valid_utf8(text, (size_t)bytes)) {
        add_utf8(out, text, (size_t)bytes);
    } else {
        add_latin1(out, text, (size_t)bytes);
    }
    text_add(out, "\n");
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
    double degrees = 0;
    char reference[2] = "";
    if (gps_coordinate(t, gps, tag, &degrees, reference)) text_line(out, label, V_COORDINATE, reference, degrees);
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
    Tiff t;
    int prefixed = 0;
    int opened = open_tiff(data, length, &t, &prefixed);
    if (prefixed) text_line(out, L_NOTE, "%s", N_EXIF_PREFIX);
    if (!opened) {
        field_error(out, E_EXIF_HEADER);
        return;
    }
    text_line(out, L_BYTE_ORDER, "%s", t.little ? V_LITTLE_ENDIAN : V_BIG_ENDIAN);
    uint32_t ifd0 = first_ifd(t);
    if (!ifd0) {
        field_error(out, E_EXIF_IFD);
        return;
    }
    write_ascii_tag(out, t, ifd0, 0x010F, L_MAKE);
    write_ascii_tag(out, t, ifd0, 0x0110, L_MODEL);
    write_ascii_tag(out, t, ifd0, 0x0132, L_DATE_TIME);
    uint32_t exif = pointer_tag(t, ifd0, TAG_EXIF_IFD);
    if (exif) {
        write_ascii_tag(out, t, exif, 0x9003, L_DATE_ORIGINAL);
    }
    write_orientation(out, t, ifd0);
    write_ascii_tag(out, t, ifd0, 0x0131, L_SOFTWARE);
    write_gps(out, t, pointer_tag(t, ifd0, TAG_GPS_IFD));
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
