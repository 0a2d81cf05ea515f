// Where a damaged file's chunks begin: the signature as it should be, as a
// transfer in text mode leaves it, damaged in a byte or two, or behind a prefix.
#include <string.h>

#include "document/byte_order.h"
#include "document/crc32.h"
#include "rescue_scan.h"

static const uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// The signature after every CR LF became LF, and after every lone LF became CR LF.
static const uint8_t SIGNATURE_LF[7] = {0x89, 'P', 'N', 'G', 0x0A, 0x1A, 0x0A};
static const uint8_t SIGNATURE_CRLF[9] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0D, 0x0A};
// What a transfer that clears the high bit of every byte leaves of it.
static const uint8_t SIGNATURE_7BIT[4] = {0x09, 'P', 'N', 'G'};

static int starts_with(const ScanBytes& file, const uint8_t* pattern, uint64_t size)
{
    return file.size >= size && memcmp(file.bytes, pattern, size) == 0;
}

static int has_high_bit(const ScanBytes& file)
{
    for (uint64_t k = 0; k < file.size; k++) {
        if (file.bytes[k] & 0x80) return 1;
    }
    return 0;
}

// The first IHDR header: length 13 and the type, or the file's size.
static uint64_t find_ihdr(const ScanBytes& file)
{
    static const uint8_t header[8] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint64_t k = 0; k + 8 <= file.size; k++) {
        if (file.bytes[k + 4] == 'I' && memcmp(file.bytes + k, header, 8) == 0) return k;
    }
    return file.size;
}

static int ihdr_intact(const ScanBytes& file, uint64_t at)
{
    if (file.size - at < 25) return 0;
    uint32_t reg = 0xFFFFFFFFu;
    for (uint64_t k = at + 4; k < at + 21; k++) reg = crc_step(reg, file.bytes[k]);
    return (reg ^ 0xFFFFFFFFu) == read_u32(file.bytes + at + 21);
}

static void note_line_endings(Scan& scan, int32_t direction)
{
    scan.line_endings = direction;
    scan.line_finding = add_finding(scan.result, file_finding(RESCUE_LINE_ENDINGS, RESCUE_BEYOND_DOUBT, 0,
                                                              (uint32_t)direction));
}

// Signature bytes differ from the right ones in this many places.
static uint32_t signature_damage(const uint8_t* bytes)
{
    uint32_t count = 0;
    for (int k = 0; k < 8; k++) count += bytes[k] != SIGNATURE[k];
    return count;
}

// No signature where it belongs: the PNG begins 8 bytes before its IHDR (or at
// the IHDR when fewer bytes precede it); what comes before that is a prefix.
static uint64_t find_behind_prefix(Scan& scan)
{
    uint64_t ihdr = find_ihdr(scan.file);
    if (ihdr == scan.file.size) {
        add_finding(scan.result, file_finding(RESCUE_NOT_PNG, RESCUE_NONE, 0));
        return scan.file.size;
    }
    int32_t certainty = ihdr_intact(scan.file, ihdr) ? RESCUE_BEYOND_DOUBT : RESCUE_PROBABLE;
    uint64_t begin = ihdr >= 8 ? ihdr - 8 : 0;
    uint32_t damage = ihdr >= 8 ? signature_damage(scan.file.bytes + begin) : 8;
    if (damage > 2 && ihdr >= 8) {
        // Too different to be the signature: prefix too, and the signature is lost.
        begin = ihdr;
        damage = 8;
    }
    if (begin > 0) add_finding(scan.result, file_finding(RESCUE_PREFIX, certainty, 0, (uint32_t)begin));
    if (damage > 0) add_finding(scan.result, file_finding(RESCUE_SIGNATURE, certainty, begin, damage));
    return ihdr;
}

uint64_t find_first_chunk(Scan& scan)
{
    const ScanBytes& file = scan.file;
    if (starts_with(file, SIGNATURE, 8)) return 8;
    if (starts_with(file, SIGNATURE_LF, 7)) {
        note_line_endings(scan, RESCUE_CRLF_TURNED_LF);
        return 7;
    }
    if (starts_with(file, SIGNATURE_CRLF, 9)) {
        note_line_endings(scan, RESCUE_LF_TURNED_CRLF);
        return 9;
    }
    if (starts_with(file, SIGNATURE_7BIT, 4) && !has_high_bit(file)) {
        add_finding(scan.result, file_finding(RESCUE_SEVEN_BIT, RESCUE_NONE, 0));
        return file.size >= 8 ? 8 : file.size;
    }
    return find_behind_prefix(scan);
}
