// Reading Exif data (a TIFF structure of IFDs), for the inspector and the privacy
// review alike. Every offset is checked against the bytes there are before it is
// followed; nothing here allocates.
#pragma once
#include <stdint.h>

struct Tiff {
    const uint8_t* data;
    uint32_t length;
    int little;   // byte order "II"
};

// The TIFF structure of an eXIf chunk's data (an "Exif\0\0" prefix, which some
// writers put there, is stepped over and *prefixed set). 0 when neither byte
// order mark starts it.
int open_tiff(const uint8_t* data, uint32_t length, Tiff* out, int* prefixed);

int tiff_u16(const Tiff& t, uint64_t at, uint32_t* value);
int tiff_u32(const Tiff& t, uint64_t at, uint32_t* value);
// An IFD entry's value: where its bytes are and how many. 0 when they lie outside.
int entry_value(const Tiff& t, uint64_t entry, uint64_t* start, uint64_t* bytes);
// The entry of `tag` in the IFD at `ifd`: 1 when found, 0 when absent, -1 when the
// IFD lies outside the data. *entries receives the IFD's entry count.
int find_entry(const Tiff& t, uint32_t ifd, uint32_t tag, uint64_t* entry, uint32_t* entries);
// A pointer tag (a LONG holding the offset of another IFD); 0 when absent.
uint32_t pointer_tag(const Tiff& t, uint32_t ifd, uint32_t tag);
// The offset of IFD0, after checking that it lies inside the data; 0 when it does not.
uint32_t first_ifd(const Tiff& t);

// A text tag (ASCII, trailing zero bytes dropped): 1 with *text and *bytes set,
// 0 when absent, -1 when its value lies outside the data.
int ascii_tag(const Tiff& t, uint32_t ifd, uint32_t tag, const uint8_t** text, uint64_t* bytes);

// The IFDs that hold what people ask about.
const uint32_t TAG_EXIF_IFD = 0x8769, TAG_GPS_IFD = 0x8825;
// Latitude (tag 1) or longitude (tag 3) in the GPS IFD: degrees and the reference
// letter ('N', 'S', 'E', 'W', or 0 when missing). 0 when the three rationals are absent.
int gps_coordinate(const Tiff& t, uint32_t gps, uint32_t tag, double* degrees, char* reference);
