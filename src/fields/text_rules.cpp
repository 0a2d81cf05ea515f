#include "text_rules.h"

#include <string.h>

const char* const REGISTERED_KEYWORDS[] = {
    "Title",  "Author",  "Description", "Copyright", "Creation Time",     "Software",
    "Disclaimer", "Warning", "Source", "Comment", "XML:com.adobe.xmp", "Collection",
};
const size_t REGISTERED_KEYWORD_COUNT = sizeof REGISTERED_KEYWORDS / sizeof REGISTERED_KEYWORDS[0];

int is_valid_keyword(const uint8_t* k, size_t n)
{
    if (n < 1 || n > KEYWORD_MAX || k[0] == ' ' || k[n - 1] == ' ') {
        return 0;
    }
    for (size_t i = 0; i < n; i++) {
        if (!((k[i] >= 0x20 && k[i] <= 0x7E) || k[i] >= 0xA1) || (i > 0 && k[i] == ' ' && k[i - 1] == ' ')) {
            return 0;
        }
    }
    return 1;
}

int is_registered_keyword(const uint8_t* bytes, size_t count)
{
    for (size_t k = 0; k < REGISTERED_KEYWORD_COUNT; k++) {
        if (strlen(REGISTERED_KEYWORDS[k]) == count && memcmp(REGISTERED_KEYWORDS[k], bytes, count) == 0) {
            return 1;
        }
    }
    return 0;
}

size_t utf8_sequence(const uint8_t* bytes, size_t left)
{
    uint8_t lead = bytes[0];
    if (lead < 0x80) {
        return 1;
    }
    size_t length;
    uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;    // no overlong forms
        if (lead == 0xED) high = 0x9F;   // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;   // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (left < length || bytes[1] < low || bytes[1] > high) {
        return 0;
    }
    for (size_t k = 2; k < length; k++) {
        if ((bytes[k] & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

int is_valid_utf8(const uint8_t* bytes, size_t count)
{
    for (size_t k = 0; k < count;) {
        size_t length = utf8_sequence(bytes + k, count - k);
        if (length == 0) {
            return 0;
        }
        k += length;
    }
    return 1;
}

int is_latin1_text(const uint8_t* bytes, size_t count)
{
    for (size_t k = 0; k < count; k++) {
        uint8_t c = bytes[k];
        if (!(c == 0x0A || (c >= 0x20 && c <= 0x7E) || c >= 0xA1)) {
            return 0;
        }
    }
    return 1;
}

static int is_ascii_letter(uint8_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int is_language_tag(const uint8_t* bytes, size_t count)
{
    size_t word = 0;   // characters of the current word
    int first = 1;
    for (size_t k = 0; k < count; k++) {
        uint8_t c = bytes[k];
        if (c == '-') {
            if (word == 0) return 0;
            word = 0;
            first = 0;
        } else if (is_ascii_letter(c) || (!first && c >= '0' && c <= '9')) {
            if (++word > 8) return 0;
        } else {
            return 0;
        }
    }
    return count == 0 || word > 0;
}

int utf8_to_latin1(const uint8_t* bytes, size_t count, uint8_t* out, size_t* written)
{
    size_t used = 0;
    for (size_t k = 0; k < count;) {
        size_t length = utf8_sequence(bytes + k, count - k);
        uint32_t c = length == 1 ? bytes[k] : length == 2 ? (uint32_t)(bytes[k] & 0x1F) << 6 | (bytes[k + 1] & 0x3F) : 0x100;
        if (length == 0 || !(c == 0x0A || (c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xFF))) {
            return 0;
        }
        out[used++] = (uint8_t)c;
        k += length;
    }
    *written = used;
    return 1;
}
