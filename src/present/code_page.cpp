#include "code_page.h"

static const char REPLACEMENT[] = "\xEF\xBF\xBD";

static int is_lead_byte(uint8_t b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

static int is_trail_byte(uint8_t b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

size_t cp932_sequence(const uint8_t* bytes, size_t left)
{
    if (left == 0) {
        return 0;
    }
    uint8_t b = bytes[0];
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) {
        return 1;
    }
    return is_lead_byte(b) && left >= 2 && is_trail_byte(bytes[1]) ? 2 : 0;
}

int is_cp932_text(const uint8_t* bytes, size_t count)
{
    int double_byte = 0;
    for (size_t at = 0; at < count;) {
        size_t size = cp932_sequence(bytes + at, count - at);
        if (size == 0) {
            return 0;
        }
        double_byte |= size == 2;
        at += size;
    }
    return double_byte;
}

// The length of the run of whole characters at `bytes`: at most CP932_RUN
// bytes, and 0 when the first byte starts none.
static size_t whole_characters(const uint8_t* bytes, size_t left)
{
    size_t at = 0;
    while (at < left) {
        size_t size = cp932_sequence(bytes + at, left - at);
        if (size == 0 || at + size > CP932_RUN) {
            break;
        }
        at += size;
    }
    return at;
}

// Runs are converted whole; a run the converter refuses goes again one
// character at a time, so that only the refused characters are replaced. Bytes
// below 0x80 are ASCII in code page 932 (both converters map 0x5C and 0x7E to
// themselves): they pass as they are, so an English text never opens the converter.
size_t add_cp932(TextBuilder* out, const uint8_t* bytes, size_t count)
{
    size_t replaced = 0;
    for (size_t at = 0; at < count;) {
        size_t ascii = 0;
        while (at + ascii < count && bytes[at + ascii] < 0x80) ascii++;
        if (ascii) {
            text_add(out, (const char*)bytes + at, ascii);
            at += ascii;
            continue;
        }
        size_t run = whole_characters(bytes + at, count - at);
        if (run && convert_cp932_run(out, bytes + at, run)) {
            at += run;
            continue;
        }
        size_t size = cp932_sequence(bytes + at, count - at);
        if (!size || !convert_cp932_run(out, bytes + at, size)) {
            text_add(out, REPLACEMENT, 3);
            replaced++;
        }
        at += size ? size : 1;
    }
    return replaced;
}
