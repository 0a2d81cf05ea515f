// The text chunks and the embedded ICC profile: keywords, Latin-1 and UTF-8
// texts, and zlib streams inflated with a cap.
#include <string.h>

#include "document/memory.h"
#include "fields/field_model.h"
#include "field_writers.h"
#include "code_page.h"
#include "field_texts.h"
#include "text_codec.h"
#include "text_insights.h"

namespace {

// The keyword (or profile name) line and the keyword rules; 0 when the model
// found no zero byte after it.
int write_keyword(TextBuilder* out, int result, const char* label, const FieldSpan& keyword)
{
    if (result == FIELD_NO_KEYWORD_END) {
        field_error(out, E_NO_SEPARATOR, label);
        return 0;
    }
    text_add(out, label);
    text_add(out, ": ");
    add_latin1(out, keyword.bytes, keyword.length);
    text_add(out, "\n");
    if (!is_valid_keyword(keyword.bytes, keyword.length)) {
        field_error(out, E_KEYWORD);
    }
    return 1;
}

// Shift_JIS text uses lead bytes from 0x81 to 0x9F for its kana and most of its
// kanji: bytes that Latin-1 text never holds, so they tell the two apart.
// A text with control characters other than tab and line ends (a zero byte among
// them) is not shown as Shift_JIS: the converter would pass them through raw.
int looks_like_shift_jis(const uint8_t* bytes, uint32_t count)
{
    int control = 0;
    for (uint32_t k = 0; k < count; k++) {
        if (bytes[k] < 0x20 && bytes[k] != '\n' && bytes[k] != '\r' && bytes[k] != '\t') {
            return 0;
        }
        control |= bytes[k] >= 0x81 && bytes[k] <= 0x9F;
    }
    return control && is_cp932_text(bytes, count);
}

// A text that should be Latin-1. Many programs write UTF-8 or Shift_JIS instead;
// a text that is well-formed in one of them (with characters beyond ASCII) is
// shown as such, with a note; then what the text holds.
void write_latin1_text(TextBuilder* out, const FieldSpan& keyword, const uint8_t* bytes, uint32_t count)
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

void write_utf8_body(TextBuilder* out, const FieldSpan& keyword, const uint8_t* bytes, uint32_t count)
{
    write_utf8_text(out, L_TEXT, bytes, count);
    describe_text_content(out, keyword.bytes, keyword.length, bytes, count);
}

void write_profile(TextBuilder* out, const FieldSpan&, const uint8_t* bytes, uint32_t count)
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

// The method byte after a name (zTXt, iCCP); 1 when it is there and is zlib's (0).
int has_zlib_method(TextBuilder* out, int result, uint8_t method, uint32_t at, uint32_t length)
{
    if (result == FIELD_TOO_SHORT) {
        field_error(out, E_LENGTH_MIN, (unsigned long)at + 1, (unsigned long)length);
        return 0;
    }
    if (method != 0) {
        field_error(out, E_METHOD, method);
        return 0;
    }
    return 1;
}

// Inflates a stream and hands what was kept to `show`.
void show_inflated(TextBuilder* out, const FieldSpan& stream, uint32_t keep, const FieldSpan& keyword,
                   void (*show)(TextBuilder*, const FieldSpan&, const uint8_t*, uint32_t))
{
    uint32_t kept = 0;
    uint8_t* output = inflate_for_display(out, stream.bytes, stream.length, keep, &kept);
    if (output) {
        show(out, keyword, output, kept);
        zero_free(output);
    }
}

}  // namespace

void write_text(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    TextFields f;
    if (write_keyword(out, parse_text(record.data, record.length, &f), L_KEYWORD, f.keyword)) {
        write_latin1_text(out, f.keyword, f.text.bytes, shown_part(out, f.text.bytes, f.text.length));
    }
}

void write_compressed_text(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    ZtxtFields f;
    int result = parse_ztxt(record.data, record.length, &f);
    if (write_keyword(out, result, L_KEYWORD, f.keyword) &&
        has_zlib_method(out, result, f.method, f.keyword.length + 1, record.length)) {
        show_inflated(out, f.compressed, INSPECT_TEXT_KEEP, f.keyword, write_latin1_text);
    }
}

// Keyword, compression flag and method, language tag, translated keyword, text.
void write_international_text(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    ItxtFields f;
    int result = parse_itxt(record.data, record.length, &f);
    if (!write_keyword(out, result, L_KEYWORD, f.keyword)) {
        return;
    }
    if (result == FIELD_TOO_SHORT) {
        field_error(out, E_LENGTH_MIN, (unsigned long)f.keyword.length + 3, (unsigned long)record.length);
        return;
    }
    text_line(out, L_COMPRESSION, "%s", f.flag == 1 ? V_COMPRESSED : V_UNCOMPRESSED);
    if (f.flag > 1) {
        field_error(out, E_FLAG, f.flag);
        return;
    }
    if (f.flag == 1 && f.method != 0) {
        field_error(out, E_METHOD, f.method);
        return;
    }
    if (result == FIELD_NO_LANGUAGE_END) {
        field_error(out, E_NO_SEPARATOR, L_LANGUAGE);
        return;
    }
    write_utf8_text(out, L_LANGUAGE, f.language.bytes, f.language.length);
    if (result == FIELD_NO_TRANSLATED_END) {
        field_error(out, E_NO_SEPARATOR, L_TRANSLATED);
        return;
    }
    write_utf8_text(out, L_TRANSLATED, f.translated.bytes, f.translated.length);
    if (f.flag == 0) {
        write_utf8_body(out, f.keyword, f.text.bytes, shown_part(out, f.text.bytes, f.text.length));
        return;
    }
    show_inflated(out, f.text, INSPECT_TEXT_KEEP, f.keyword, write_utf8_body);
}

void write_icc(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    IccpFields f;
    int result = parse_iccp(record.data, record.length, &f);
    if (write_keyword(out, result, L_PROFILE_NAME, f.name) &&
        has_zlib_method(out, result, f.method, f.name.length + 1, record.length)) {
        show_inflated(out, f.profile, INSPECT_PROFILE_KEEP, f.name, write_profile);
    }
}
