// Inside the rescue: where a chunk whose framing is wrong really ends.
#pragma once
#include <stdint.h>

// The file as scanned.
struct ScanBytes {
    const uint8_t* bytes;
    uint64_t       size;
};

// A plausible chunk header at `at`, or the end of the file: letters as type, and a
// length that fits (or a registered type, for a chunk that the file's end cuts).
int plausible_header(const ScanBytes& scan, uint64_t at);

// Rolling CRC over the type and the data from the header at `header`: every end
// where the CRC over type and data equals the four bytes behind it and a
// plausible header (or the file's end) follows. Writes at most `capacity` data
// lengths, in increasing order, and returns how many it found (at most capacity).
int32_t true_lengths(const ScanBytes& scan, uint64_t header, uint32_t* lengths, int32_t capacity);

// One lost byte: the data holds `length` bytes (one fewer than declared) and the
// CRC follows them. Every (position, value) whose insertion makes the CRC match,
// one per distinct result; linear time.
struct ByteFix {
    uint32_t position;
    uint8_t  value;
};
int32_t lost_byte_fixes(const uint8_t* type, const uint8_t* data, uint32_t length, uint32_t stored_crc,
                        ByteFix* out, int32_t capacity);
// One added byte: the data holds `length` bytes (one more than declared). Every
// position whose removal makes the CRC match, one per distinct result.
int32_t added_byte_fixes(const uint8_t* type, const uint8_t* data, uint32_t length, uint32_t stored_crc,
                         ByteFix* out, int32_t capacity);
