#include "text_out.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "document/memory.h"

// Makes room for `more` bytes and the terminating zero; 0 when memory runs out.
static int reserve(TextBuilder* out, size_t more)
{
    if (out->failed) {
        return 0;
    }
    if (out->used + more + 1 <= out->capacity) {
        return 1;
    }
    size_t capacity = out->capacity ? out->capacity : 256;
    while (capacity < out->used + more + 1) {
        capacity *= 2;
    }
    char* grown = (char*)zero_alloc(capacity);
    if (!grown) {
        out->failed = 1;
        return 0;
    }
    if (out->text) {
        memcpy(grown, out->text, out->used + 1);
        zero_free(out->text);
    }
    out->text = grown;
    out->capacity = capacity;
    return 1;
}

void text_add(TextBuilder* out, const char* bytes, size_t count)
{
    if (!reserve(out, count)) {
        return;
    }
    memcpy(out->text + out->used, bytes, count);
    out->used += count;
    out->text[out->used] = 0;
}

void text_add(TextBuilder* out, const char* text)
{
    text_add(out, text, strlen(text));
}

static void add_formatted(TextBuilder* out, const char* format, va_list arguments)
{
    va_list again;
    va_copy(again, arguments);
    int length = vsnprintf(nullptr, 0, format, arguments);
    if (length > 0 && reserve(out, (size_t)length)) {
        vsnprintf(out->text + out->used, (size_t)length + 1, format, again);
        out->used += (size_t)length;
    }
    va_end(again);
}

void text_format(TextBuilder* out, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    add_formatted(out, format, arguments);
    va_end(arguments);
}

void text_line(TextBuilder* out, const char* label, const char* format, ...)
{
    text_add(out, label);
    text_add(out, ": ", 2);
    va_list arguments;
    va_start(arguments, format);
    add_formatted(out, format, arguments);
    va_end(arguments);
    text_add(out, "\n", 1);
}

void text_free(TextBuilder* out)
{
    zero_free(out->text);
    out->text = nullptr;
    out->used = 0;
    out->capacity = 0;
    out->failed = 0;
}
