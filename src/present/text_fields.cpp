// The text chunks and the embedded ICC profile: keywords, Latin-1 and UTF-8
// texts, and zlib streams inflated with a cap.
#include <string.h>

#include "document/memory.h"
#include "field_writers.h"
#include "code_page.h"
#include "field_texts.h"
#include "text_codec.h"
#include "text_insights.h"

namespace {

// A zero-terminated field inside the data: where it starts, how long it is.
struct Field {
    const uint8_t* bytes;
    uint32_t length;
};

// The field from `from` up to the next zero byte; 0 (and an error) without one.
int take_field(TextBuilder* out, const ChunkRecord& record, uint32_t from, const char* label, Field* field)
{
    const uint8_t* start = record.data + from;
    const uint8_t* end = from < record.length ? (const uint8_t*)memchr(start, 0, record.length - from) : nullptr;
    if (!end) {
        field_error(out, E_NO_SEPARATOR, label);
        return 0;
    }
    field->bytes = start;
    field->length = (uint32_t)(end - start);
    return 1;
}

// 1 to 79 printable Latin-1 characters, no space at either end, no two in a row.
int is_valid_keyword(const Field& keyword)
{
    const uint8_t* k = keyword.bytes;
    uint32_t n = keyword.length;
    if (n < 1 || n > 79 || k[0] == ' ' || k[n - 1] == ' ') {
        return 0;
    }
    for (uint32_t i = 0; i < n; i++) {
        if (!((k[i] >= 0x20 && k[i] <= 0x7E) || k[i] >= 0xA1) || (i > 0 && k[i] == ' ' && k[i - 1] == ' ')) {
            return 0;
        }
    }
    return 1;
}

// The keyword (or profile name) line; 0 when the chunk has no separator after it.
int write_keyword(TextBuilder* out, const ChunkRecord& record, const char* label, Field* keyword)
{
    if (!take_field(out, record, 0, label, keyword)) {
        return 0;
    }
    text_add(out, label);
    text_add(out, ": ");
    add_latin1(out, keyword->bytes, keyword->length);
    text_add(out, "\n");
    if (!is_valid_keyword(*keyword)) {
        field_error(out, E_KEYWORD);
    }
    return 1;
}

// Shift_JIS text uses lead bytes from 0x81 to 0x9F for its kana and most of its
// kanji: bytes that Latin-1 text never holds, so they tell the two apart.
int looks_like_shift_jis(const uint8_t* bytes, uint32_t count)
{
    int control = 0;
    for (uint32_t k = 0; k < count && !control; k++) {
        control = bytes[k] >= 0x81 && bytes[k] <= 0x9F;
    }
    return control && is_cp932_text(bytes, count);
}

// A text that should be Latin-1. Many programs write UTF-8 or Shift_JIS instead;
// a text that is well-formed in one of them (with characters beyond ASCII) is
// shown as such, with a note; then what the text holds.
void write_latin1_text(TextBuilder* out, const Field& keyword, const uint8_t* bytes, uint32_t count)
{
    int high = has_high_bytes(bytes, count);
    int as_utf8 = high && is_valid_utf8(bytes, count);
    int as_sjis = high && !as_utf8 && looks_like_shift_jis(bytes, count);
    if (as_utf8 || as_sjis) {
        text_line(out, L_NOTE, "%s", as_utf8 ? N_UTF8_IN_TEXT : N_SJIS_IN_TEXT);
    }
    text_add(out, L_TEXT ": ");
    size_t escaped = as_utf8 ? add_utf8(out, bytes, count) : as_sjis ? add_cp932(out, bytes, count)
                                                                     : add_latin1(out, bytes, count);
    text_add(out, "\n");
    if (escaped) {
        field_error(out, E_NOT_LATIN1, (unsigned long)escaped);
    }
    describe_text_content(out, keyword.bytes, keyword.length, bytes, count);
}

void write_utf8_text(TextBuilder* out, const char* label, const uint8_t* bytes, size_t count)
{
    text_add(out, label);
    text_add(out, ": ");
    size_t escaped = add_utf8(out, bytes, count);
    text_add(out, "\n");
    if (!is_valid_utf8(bytes, count)) {
        field_error(out, E_NOT_UTF8, (unsigned long)escaped);
    }
}

void write_utf8_body(TextBuilder* out, const Field& keyword, const uint8_t* bytes, uint32_t count)
{
    write_utf8_text(out, L_TEXT, bytes, count);
    describe_text_content(out, keyword.bytes, keyword.length, bytes, count);
}

void write_profile(TextBuilder* out, const Field&, const uint8_t* bytes, uint32_t count)
{
    describe_icc_profile(out, bytes, count);
}

// How much of a stored text is shown: at most INSPECT_TEXT_KEEP bytes, ending on
// a whole character, with a note when it is cut (inflated texts are cut alike).
uint32_t shown_part(TextBuilder* out, const uint8_t* bytes, uint32_t count)
{
    if (count <= INSPECT_TEXT_KEEP) {
        return count;
    }
    uint32_t shown = (uint32_t)utf8_boundary(bytes, INSPECT_TEXT_KEEP);
    text_format(out, N_TEXT_CUT "\n", (unsigned long)shown, (unsigned long long)count);
    return shown;
}

// Inflates a stream for display. Reports sizes and every failure; returns the
// kept output (to be freed with zero_free) or null after a failure.
uint8_t* inflate_for_display(TextBuilder* out, const uint8_t* bytes, uint32_t count, uint32_t keep, uint32_t* kept)
{
    uint8_t* output = nullptr;
    uint64_t total = 0, trailing = 0;
    int result = inflate_capped(bytes, count, keep, INSPECT_INFLATE_CAP, &output, &total, &trailing);
    if (result == INFLATE_OK || result == INFLATE_TRAILING) {
        text_line(out, L_SIZES, V_SIZES, (unsigned long)count, (unsigned long long)total);
        if (result == INFLATE_TRAILING) field_error(out, E_INFLATE_TRAILING, (unsigned long long)trailing);
        *kept = total < keep ? (uint32_t)total : keep;
        if (total > keep) {
            *kept = (uint32_t)utf8_boundary(output, *kept);
            text_format(out, N_TEXT_CUT "\n", (unsigned long)*kept, (unsigned long long)total);
        }
        return output;
    }
    zero_free(output);
    if (result == INFLATE_BROKEN) field_error(out, E_INFLATE_BROKEN);
    if (result == INFLATE_TRUNCATED) field_error(out, E_INFLATE_SHORT);
    if (result == INFLATE_TOO_LARGE) field_error(out, E_INFLATE_LARGE, (unsigned long)(INSPECT_INFLATE_CAP >> 20));
    if (result == INFLATE_NO_MEMORY) field_error(out, E_INFLATE_MEMORY);
    return nullptr;
}

// The compression method byte at `at`; 1 when it is zlib's (0).
int has_zlib_method(TextBuilder* out, const ChunkRecord& record, uint32_t at)
{
    if (at >= record.length) {
        field_error(out, E_LENGTH_MIN, (unsigned long)at + 1, (unsigned long)record.length);
        return 0;
    }
    if (record.data[at] != 0) {
        field_error(out, E_METHOD, record.data[at]);
        return 0;
    }
    return 1;
}

// Inflates the stream that starts at `from` and hands what was kept to `show`.
void show_inflated(TextBuilder* out, const ChunkRecord& record, uint32_t from, uint32_t keep, const Field& keyword,
                   void (*show)(TextBuilder*, const Field&, const uint8_t*, uint32_t))
{
    uint32_t kept = 0;
    uint8_t* output = inflate_for_display(out, record.data + from, record.length - from, keep, &kept);
    if (output) {
        show(out, keyword, output, kept);
        zero_free(output);
    }
}

}  // namespace

void write_text(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    Field keyword;
    if (!write_keyword(out, record, L_KEYWORD, &keyword)) {
        return;
    }
    const uint8_t* text = record.data + keyword.length + 1;
    write_latin1_text(out, keyword, text, shown_part(out, text, record.length - keyword.length - 1));
}

void write_compressed_text(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    Field keyword;
    if (write_keyword(out, record, L_KEYWORD, &keyword) && has_zlib_method(out, record, keyword.length + 1)) {
        show_inflated(out, record, keyword.length + 2, INSPECT_TEXT_KEEP, keyword, write_latin1_text);
    }
}

// Keyword, compression flag and method, language tag, translated keyword, text.
void write_international_text(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    Field keyword, language, translated;
    uint32_t at = 0;
    if (!write_keyword(out, record, L_KEYWORD, &keyword) || !has_minimum(out, record, (at = keyword.length + 3))) {
        return;
    }
    unsigned flag = record.data[at - 2];
    text_line(out, L_COMPRESSION, "%s", flag == 1 ? V_COMPRESSED : V_UNCOMPRESSED);
    if (flag > 1) {
        field_error(out, E_FLAG, flag);
        return;
    }
    if ((flag == 1 && !has_zlib_method(out, record, at - 1)) || !take_field(out, record, at, L_LANGUAGE, &language)) {
        return;
    }
    write_utf8_text(out, L_LANGUAGE, language.bytes, language.length);
    at += language.length + 1;
    if (!take_field(out, record, at, L_TRANSLATED, &translated)) {
        return;
    }
    write_utf8_text(out, L_TRANSLATED, translated.bytes, translated.length);
    at += translated.length + 1;
    if (flag == 0) {
        write_utf8_body(out, keyword, record.data + at, shown_part(out, record.data + at, record.length - at));
        return;
    }
    show_inflated(out, record, at, INSPECT_TEXT_KEEP, keyword, write_utf8_body);
}

void write_icc(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    Field name;
    if (write_keyword(out, record, L_PROFILE_NAME, &name) && has_zlib_method(out, record, name.length + 1)) {
        show_inflated(out, record, name.length + 2, INSPECT_PROFILE_KEEP, name, write_profile);
    }
}
