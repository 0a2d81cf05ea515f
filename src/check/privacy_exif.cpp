// The privacy review of eXIf (where the picture was taken, which camera, whose),
// and of what any text mentions in passing: e-mail addresses and file paths.
#include <stdio.h>
#include <string.h>

#include "document/chunk_file.h"
#include "present/exif_reader.h"
#include "privacy_scan.h"

namespace {

struct ExifTag {
    int      in_exif_ifd;   // 0: IFD0, 1: the Exif IFD
    uint32_t tag;
    const char* name;
    int32_t  kind;
};

const ExifTag EXIF_TAGS[] = {
    {0, 0x013B, "Artist", PRIVACY_NAME},
    {0, 0x8298, "Copyright", PRIVACY_NAME},
    {0, 0x0131, "Software", PRIVACY_SOFTWARE},
    {1, 0xA430, "CameraOwnerName", PRIVACY_NAME},
    {1, 0xA431, "BodySerialNumber", PRIVACY_SERIAL},
    {1, 0xA435, "LensSerialNumber", PRIVACY_SERIAL},
};

// The position as "35.500000 N, 139.750000 E", or "GPS" when the IFD holds no coordinates.
void review_gps(int32_t chunk, const Tiff& t, uint32_t gps, PrivacyList* out)
{
    double latitude = 0, longitude = 0;
    char north = 0, east = 0;
    char text[64] = "GPS";
    int has_latitude = gps_coordinate(t, gps, 1, &latitude, &north);
    int has_longitude = gps_coordinate(t, gps, 3, &longitude, &east);
    if (has_latitude || has_longitude) {
        snprintf(text, sizeof text, "%.6f %c, %.6f %c", latitude, north ? north : '?', longitude, east ? east : '?');
    }
    add_privacy(out, chunk, PRIVACY_POSITION, "GPS", PrivacyText{(const uint8_t*)text, strlen(text), 1});
}

}  // namespace

void review_exif(int32_t chunk, PrivacyList* out)
{
    const ChunkRecord& record = g_document.records[chunk];
    Tiff t;
    int prefixed = 0;
    if (!open_tiff(record.data, record.length, &t, &prefixed)) return;
    uint32_t ifd0 = first_ifd(t);
    if (!ifd0) return;
    uint32_t gps = pointer_tag(t, ifd0, TAG_GPS_IFD), exif = pointer_tag(t, ifd0, TAG_EXIF_IFD);
    if (gps) review_gps(chunk, t, gps, out);
    for (const ExifTag& tag : EXIF_TAGS) {
        uint32_t ifd = tag.in_exif_ifd ? exif : ifd0;
        const uint8_t* text = nullptr;
        uint64_t bytes = 0;
        if (ifd && ascii_tag(t, ifd, tag.tag, &text, &bytes) == 1 && bytes > 0) {
            add_privacy(out, chunk, tag.kind, tag.name, PrivacyText{text, (size_t)bytes, 0});
        }
    }
}

namespace {

int is_address_byte(uint8_t c, int domain)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-') return 1;
    return !domain && (c == '_' || c == '%' || c == '+');
}

// The e-mail address around the '@' at `at`, when there is one: a local part and a
// domain with a dot inside it.
int address_at(const PrivacyText& text, size_t at, size_t* start, size_t* end)
{
    size_t s = at, e = at + 1, dot = 0;
    while (s > 0 && is_address_byte(text.bytes[s - 1], 0)) s--;
    while (e < text.count && is_address_byte(text.bytes[e], 1)) {
        if (text.bytes[e] == '.' && e > at + 1) dot = e;
        e++;
    }
    while (e > at + 1 && text.bytes[e - 1] == '.') e--;
    *start = s;
    *end = e;
    return s < at && dot > at + 1 && dot + 1 < e;
}

// Where a file path starts at `k`: a drive ("C:\", "C:/"), a share ("\\server"),
// a home folder or a file URL.
int path_at(const PrivacyText& text, size_t k)
{
    static const char* const PREFIXES[] = {"/home/", "/Users/", "file:/", "\\\\"};
    const uint8_t* p = text.bytes + k;
    size_t left = text.count - k;
    int letter = (p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z');
    if (left >= 3 && letter && p[1] == ':' && (p[2] == '\\' || p[2] == '/') && (k == 0 || !is_address_byte(p[-1], 1))) {
        return 1;
    }
    for (const char* prefix : PREFIXES) {
        size_t n = strlen(prefix);
        if (left > n && memcmp(p, prefix, n) == 0 && (k == 0 || !is_address_byte(p[-1], 1))) return 1;
    }
    return 0;
}

// The path's extent: up to a quote, "<", "," or a control character.
size_t path_end(const PrivacyText& text, size_t k)
{
    size_t e = k;
    while (e < text.count && text.bytes[e] >= 0x20 && text.bytes[e] != '"' && text.bytes[e] != '\'' &&
           text.bytes[e] != '<' && text.bytes[e] != ',') {
        e++;
    }
    return e;
}

}  // namespace

void review_passing_mentions(int32_t chunk, const char* where, const PrivacyText& text, PrivacyList* out)
{
    int contact = 0, path = 0;
    for (size_t k = 0; k < text.count && !(contact && path); k++) {
        size_t start = 0, end = 0;
        if (!contact && text.bytes[k] == '@' && address_at(text, k, &start, &end)) {
            add_privacy(out, chunk, PRIVACY_CONTACT, where, PrivacyText{text.bytes + start, end - start, text.utf8});
            contact = 1;
        } else if (!path && path_at(text, k)) {
            add_privacy(out, chunk, PRIVACY_PATH, where, PrivacyText{text.bytes + k, path_end(text, k) - k, text.utf8});
            path = 1;
        }
    }
}
