// The text chunks (tEXt, zTXt, iTXt) and iCCP: a keyword or name, and a text or
// a zlib stream that stays compressed here.
#include "field_io.h"
#include "text_rules.h"

static int check_text(const TextFields& f)
{
    if (!is_valid_keyword(f.keyword.bytes, f.keyword.length)) return FIELD_BAD_KEYWORD;
    return is_latin1_text(f.text.bytes, f.text.length) ? FIELD_OK : FIELD_NOT_LATIN1;
}

int parse_text(const uint8_t* d, uint32_t length, TextFields* f)
{
    *f = TextFields{};
    uint32_t at = 0;
    if (!take_until_zero(d, length, &at, &f->keyword)) return FIELD_NO_KEYWORD_END;
    f->text = span_from(d, length, at);
    return check_text(*f);
}

int serialize_text(const TextFields& f, FieldBytes* out)
{
    int result = check_text(f);
    if (result != FIELD_OK) return result;
    FieldWriter writer = {nullptr, 0};
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 1 && !begin_second_pass(&writer)) return FIELD_NO_MEMORY;
        write_span(&writer, f.keyword, 1);
        write_span(&writer, f.text, 0);
    }
    return finish_serialize(writer.data, writer.used, 1, FIELD_OK, out);
}

// zTXt and iCCP: a name, a method byte and a zlib stream.
static int parse_named_stream(const uint8_t* d, uint32_t length, FieldSpan* name, uint8_t* method, FieldSpan* stream)
{
    uint32_t at = 0;
    if (!take_until_zero(d, length, &at, name)) return FIELD_NO_KEYWORD_END;
    if (at >= length) return FIELD_TOO_SHORT;
    *method = d[at];
    *stream = span_from(d, length, at + 1);
    if (!is_valid_keyword(name->bytes, name->length)) return FIELD_BAD_KEYWORD;
    return *method != 0 ? FIELD_BAD_METHOD : FIELD_OK;
}

static int serialize_named_stream(const FieldSpan& name, uint8_t method, const FieldSpan& stream, FieldBytes* out)
{
    if (!is_valid_keyword(name.bytes, name.length)) return FIELD_BAD_KEYWORD;
    if (method != 0) return FIELD_BAD_METHOD;
    FieldWriter writer = {nullptr, 0};
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 1 && !begin_second_pass(&writer)) return FIELD_NO_MEMORY;
        write_span(&writer, name, 1);
        write_byte(&writer, method);
        write_span(&writer, stream, 0);
    }
    return finish_serialize(writer.data, writer.used, 1, FIELD_OK, out);
}

int parse_ztxt(const uint8_t* d, uint32_t length, ZtxtFields* f)
{
    *f = ZtxtFields{};
    return parse_named_stream(d, length, &f->keyword, &f->method, &f->compressed);
}

int serialize_ztxt(const ZtxtFields& f, FieldBytes* out)
{
    return serialize_named_stream(f.keyword, f.method, f.compressed, out);
}

int parse_iccp(const uint8_t* d, uint32_t length, IccpFields* f)
{
    *f = IccpFields{};
    return parse_named_stream(d, length, &f->name, &f->method, &f->profile);
}

int serialize_iccp(const IccpFields& f, FieldBytes* out)
{
    return serialize_named_stream(f.name, f.method, f.profile, out);
}

// The method byte counts only for a compressed text; an uncompressed one keeps
// whatever it holds, so that it is written back as it was.
static int check_itxt(const ItxtFields& f)
{
    if (!is_valid_keyword(f.keyword.bytes, f.keyword.length)) return FIELD_BAD_KEYWORD;
    if (f.flag > 1) return FIELD_BAD_FLAG;
    if (f.flag == 1 && f.method != 0) return FIELD_BAD_METHOD;
    if (!is_language_tag(f.language.bytes, f.language.length)) return FIELD_BAD_LANGUAGE;
    if (has_zero(f.translated) || !is_valid_utf8(f.translated.bytes, f.translated.length)) return FIELD_NOT_UTF8;
    return f.flag == 1 || (!has_zero(f.text) && is_valid_utf8(f.text.bytes, f.text.length)) ? FIELD_OK : FIELD_NOT_UTF8;
}

int parse_itxt(const uint8_t* d, uint32_t length, ItxtFields* f)
{
    *f = ItxtFields{};
    uint32_t at = 0;
    if (!take_until_zero(d, length, &at, &f->keyword)) return FIELD_NO_KEYWORD_END;
    if (length - at < 2) return FIELD_TOO_SHORT;
    f->flag = d[at];
    f->method = d[at + 1];
    at += 2;
    if (!take_until_zero(d, length, &at, &f->language)) return FIELD_NO_LANGUAGE_END;
    if (!take_until_zero(d, length, &at, &f->translated)) return FIELD_NO_TRANSLATED_END;
    f->text = span_from(d, length, at);
    return check_itxt(*f);
}

int serialize_itxt(const ItxtFields& f, FieldBytes* out)
{
    int result = check_itxt(f);
    if (result != FIELD_OK) return result;
    FieldWriter writer = {nullptr, 0};
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 1 && !begin_second_pass(&writer)) return FIELD_NO_MEMORY;
        write_span(&writer, f.keyword, 1);
        write_byte(&writer, f.flag);
        write_byte(&writer, f.method);
        write_span(&writer, f.language, 1);
        write_span(&writer, f.translated, 1);
        write_span(&writer, f.text, 0);
    }
    return finish_serialize(writer.data, writer.used, 1, FIELD_OK, out);
}
