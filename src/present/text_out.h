// A growing UTF-8 text for the chunk inspector: checked allocations, no
// exceptions. Once memory runs out the text stops growing and `failed` stays set;
// what was written before remains readable.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct TextBuilder {
    char*  text;      // zero-terminated once anything was added; null before
    size_t used;      // bytes before the terminating zero
    size_t capacity;
    int    failed;
};

void text_add(TextBuilder* out, const char* bytes, size_t count);
void text_add(TextBuilder* out, const char* text);
// printf-style; the result may be of any length.
void text_format(TextBuilder* out, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// One line "label: value" with a printf-style value, ended by a line feed.
void text_line(TextBuilder* out, const char* label, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
void text_free(TextBuilder* out);
