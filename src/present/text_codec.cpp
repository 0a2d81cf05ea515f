#include "text_codec.h"

#include <stdio.h>
#include <string.h>


static const char REPLACEMENT[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

size_t utf8_boundary(const uint8_t* bytes, size_t count)
{
    for (size_t back = 1; back <= 4 && back <= count; back++) {
        uint8_t c = bytes[count - back];
        if ((c & 0xC0) != 0x80) {
            // The last lead byte: keep its sequence only when it is complete.
            return utf8_sequence(bytes + count - back, back) == back || c < 0x80 ? count : count - back;
        }
    }
    return count;
}

int has_high_bytes(const uint8_t* bytes, size_t count)
{
    for (size_t k = 0; k < count; k++) {
        if (bytes[k] >= 0x80) {
            return 1;
        }
    }
    return 0;
}

// Control characters other than tab and line feed; a CR right before a LF is
// dropped so that Windows line ends read as one line end. Returns 1 when the
// character was escaped (or dropped), so the caller need not show it.
static int add_control(TextBuilder* out, uint32_t c, const uint8_t* next, size_t left, size_t* escaped)
{
    if (c == '\n' || c == '\t' || (c >= 0x20 && c != 0x7F && (c < 0x80 || c > 0x9F))) {
        return 0;
    }
    if (c == '\r' && left > 0 && next[0] == '\n') {
        return 1;
    }
    text_format(out, "\\x%02X", (unsigned)c);
    (*escaped)++;
    return 1;
}

static void add_code_point(TextBuilder* out, uint32_t c)
{
    char bytes[4];
    if (c < 0x80) {
        bytes[0] = (char)c;
        text_add(out, bytes, 1);
    } else if (c < 0x800) {
        bytes[0] = (char)(0xC0 | c >> 6);
        bytes[1] = (char)(0x80 | (c & 0x3F));
        text_add(out, bytes, 2);
    } else if (c < 0x10000) {
        bytes[0] = (char)(0xE0 | c >> 12);
        bytes[1] = (char)(0x80 | (c >> 6 & 0x3F));
        bytes[2] = (char)(0x80 | (c & 0x3F));
        text_add(out, bytes, 3);
    } else {
        bytes[0] = (char)(0xF0 | c >> 18);
        bytes[1] = (char)(0x80 | (c >> 12 & 0x3F));
        bytes[2] = (char)(0x80 | (c >> 6 & 0x3F));
        bytes[3] = (char)(0x80 | (c & 0x3F));
        text_add(out, bytes, 4);
    }
}

size_t add_latin1(TextBuilder* out, const uint8_t* bytes, size_t count)
{
    size_t escaped = 0;
    for (size_t k = 0; k < count; k++) {
        if (!add_control(out, bytes[k], bytes + k + 1, count - k - 1, &escaped)) {
            add_code_point(out, bytes[k]);
        }
    }
    return escaped;
}

size_t add_utf8(TextBuilder* out, const uint8_t* bytes, size_t count)
{
    size_t escaped = 0;
    for (size_t k = 0; k < count;) {
        size_t length = utf8_sequence(bytes + k, count - k);
        if (length == 0) {
            text_add(out, REPLACEMENT);
            escaped++;
            k++;
            continue;
        }
        if (length > 1 || !add_control(out, bytes[k], bytes + k + 1, count - k - 1, &escaped)) {
            text_add(out, (const char*)bytes + k, length);
        }
        k += length;
    }
    return escaped;
}

size_t add_utf16be(TextBuilder* out, const uint8_t* bytes, size_t count)
{
    size_t escaped = 0;
    for (size_t k = 0; k + 1 < count; k += 2) {
        uint32_t c = (uint32_t)bytes[k] << 8 | bytes[k + 1];
        if (c >= 0xD800 && c <= 0xDBFF && k + 3 < count) {
            uint32_t low = (uint32_t)bytes[k + 2] << 8 | bytes[k + 3];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                add_code_point(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                k += 2;
                continue;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            text_add(out, REPLACEMENT);
            escaped++;
        } else if (c != 0 && !add_control(out, c, bytes + k + 2, 0, &escaped)) {
            add_code_point(out, c);
        }
    }
    return escaped;
}
