// The sources the privacy review reads: text chunks by keyword, XMP packets by
// property, Exif by tag, and any text for e-mail addresses and file paths.
#include <string.h>

#include "document/byte_order.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "fields/field_model.h"
#include "fields/field_zlib.h"
#include "privacy_scan.h"

namespace {

// Inflated texts are read this far (an XMP packet or a workflow fits many times over).
const size_t PRIVACY_TEXT_KEEP = 4u << 20;
const uint64_t PRIVACY_INFLATE_CAP = 64ull << 20;

struct KeywordKind {
    const char* keyword;
    int32_t kind;
};

// Keywords whose text is, in itself, something the file gives away.
const KeywordKind KEYWORD_KINDS[] = {
    {"Author", PRIVACY_NAME},           {"Copyright", PRIVACY_NAME},       {"Software", PRIVACY_SOFTWARE},
    {"Source", PRIVACY_SOFTWARE},       {"parameters", PRIVACY_GENERATOR}, {"prompt", PRIVACY_GENERATOR},
    {"workflow", PRIVACY_GENERATOR},    {"invokeai_metadata", PRIVACY_GENERATOR},
    {"sd-metadata", PRIVACY_GENERATOR}, {"Dream", PRIVACY_GENERATOR},      {"generation_data", PRIVACY_GENERATOR},
};

int starts_json(const PrivacyText& text)
{
    size_t k = 0;
    while (k < text.count && (text.bytes[k] == ' ' || text.bytes[k] == '\n' || text.bytes[k] == '\r')) k++;
    return k < text.count && text.bytes[k] == '{';
}

}  // namespace

void review_text(int32_t chunk, const char* keyword, const PrivacyText& text, PrivacyList* out)
{
    if (text.count == 0) return;
    if (strcmp(keyword, "XML:com.adobe.xmp") == 0) {
        review_xmp(chunk, text, out);
        return;
    }
    int32_t kind = -1;
    for (const KeywordKind& k : KEYWORD_KINDS) {
        if (strcmp(keyword, k.keyword) == 0) kind = k.kind;
    }
    // A Comment holding JSON is how one family of generators stores its settings.
    if (strcmp(keyword, "Comment") == 0 && starts_json(text)) kind = PRIVACY_GENERATOR;
    if (strncmp(keyword, "Raw profile type ", 17) == 0) kind = PRIVACY_PROFILE;
    if (kind >= 0) add_privacy(out, chunk, kind, keyword, text);
    if (kind != PRIVACY_PROFILE) review_passing_mentions(chunk, keyword, text, out);
}

// The keyword as ASCII (other bytes as '?'), for `where`.
static void keyword_text(const uint8_t* bytes, size_t count, char* out, size_t size)
{
    size_t n = count < size - 1 ? count : size - 1;
    for (size_t k = 0; k < n; k++) out[k] = bytes[k] >= 0x20 && bytes[k] < 0x7F ? (char)bytes[k] : '?';
    out[n] = 0;
}

// A text chunk through the field model: a chunk the model cannot read as far as
// its text says nothing here (the check tells it).
void review_text_chunk(int32_t chunk, uint64_t* budget, PrivacyList* out)
{
    AnyFields fields;
    if (!field_layout_read(parse_record(g_document.records[chunk], UNKNOWN_LAYOUT, &fields))) return;
    FieldSpan keyword = fields.text.keyword, text = fields.text.text;   // tEXt
    int compressed = fields.kind == KIND_ZTXT || (fields.kind == KIND_ITXT && fields.itxt.flag == 1);
    if (fields.kind == KIND_ZTXT) keyword = fields.ztxt.keyword, text = fields.ztxt.compressed;
    if (fields.kind == KIND_ITXT) keyword = fields.itxt.keyword, text = fields.itxt.text;
    char name[80];
    keyword_text(keyword.bytes, keyword.length, name, sizeof name);
    int utf8 = fields.kind == KIND_ITXT;
    if (!compressed) {
        review_text(chunk, name, PrivacyText{text.bytes, text.length, utf8}, out);
        return;
    }
    uint8_t* inflated = nullptr;
    uint64_t total = 0, cap = *budget < PRIVACY_INFLATE_CAP ? *budget : PRIVACY_INFLATE_CAP;
    if (cap == 0) return;
    int result = inflate_capped(text.bytes, text.length, PRIVACY_TEXT_KEEP, cap, &inflated, &total);
    *budget -= total < *budget ? total : *budget;
    if (result == INFLATE_NO_MEMORY) out->out_of_memory = 1;
    size_t kept = total < PRIVACY_TEXT_KEEP ? (size_t)total : PRIVACY_TEXT_KEEP;
    if (inflated) review_text(chunk, name, PrivacyText{inflated, kept, utf8}, out);
    zero_free(inflated);
}

namespace {

// XMP properties that give a person, a place or a device away.
const KeywordKind XMP_KINDS[] = {
    {"exif:GPSLatitude", PRIVACY_POSITION},        {"exif:GPSLongitude", PRIVACY_POSITION},
    {"aux:SerialNumber", PRIVACY_SERIAL},          {"exifEX:BodySerialNumber", PRIVACY_SERIAL},
    {"aux:LensSerialNumber", PRIVACY_SERIAL},      {"exifEX:LensSerialNumber", PRIVACY_SERIAL},
    {"dc:creator", PRIVACY_NAME},                  {"dc:rights", PRIVACY_NAME},
    {"tiff:Artist", PRIVACY_NAME},                 {"photoshop:AuthorsPosition", PRIVACY_NAME},
    {"photoshop:Credit", PRIVACY_NAME},            {"xmpRights:Owner", PRIVACY_NAME},
    {"exifEX:CameraOwnerName", PRIVACY_NAME},      {"Iptc4xmpCore:CiEmailWork", PRIVACY_CONTACT},
    {"Iptc4xmpCore:CiTelWork", PRIVACY_CONTACT},   {"Iptc4xmpCore:CiAdrExtadr", PRIVACY_CONTACT},
    {"Iptc4xmpCore:CiUrlWork", PRIVACY_CONTACT},   {"xmp:CreatorTool", PRIVACY_SOFTWARE},
};

const uint8_t* find_bytes(const uint8_t* from, const uint8_t* end, const char* what)
{
    size_t n = strlen(what);
    for (const uint8_t* p = from; p + n <= end; p++) {
        p = (const uint8_t*)memchr(p, what[0], (size_t)(end - p));
        if (!p || p + n > end) return nullptr;
        if (memcmp(p, what, n) == 0) return p;
    }
    return nullptr;
}

// The value of the property whose name ends at `p`: an attribute's quoted value,
// or the first text inside the element (past nested rdf:Seq / rdf:li tags).
PrivacyText xmp_value(const uint8_t* p, const uint8_t* end)
{
    if (p < end && *p == '=' && p + 1 < end && (p[1] == '"' || p[1] == '\'')) {
        const uint8_t* close = (const uint8_t*)memchr(p + 2, p[1], (size_t)(end - p - 2));
        return PrivacyText{p + 2, close ? (size_t)(close - p - 2) : 0, 1};
    }
    while (p < end && (*p == '>' || *p == '<' || *p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')) {
        if (*p == '<') {
            const uint8_t* close = (const uint8_t*)memchr(p, '>', (size_t)(end - p));
            if (!close) break;
            p = close;
        }
        p++;
    }
    const uint8_t* stop = p < end ? (const uint8_t*)memchr(p, '<', (size_t)(end - p)) : nullptr;
    return PrivacyText{p, stop ? (size_t)(stop - p) : 0, 1};
}

}  // namespace

void review_xmp(int32_t chunk, const PrivacyText& text, PrivacyList* out)
{
    const uint8_t* end = text.bytes + text.count;
    for (const KeywordKind& property : XMP_KINDS) {
        size_t n = strlen(property.keyword);
        for (const uint8_t* p = find_bytes(text.bytes, end, property.keyword); p; p = find_bytes(p + n, end, property.keyword)) {
            // A whole name: after '<' or a space, before '=', '>' or a space.
            int starts = p > text.bytes && (p[-1] == '<' || p[-1] == ' ' || p[-1] == '\n' || p[-1] == '\t');
            int ends = p + n < end && (p[n] == '=' || p[n] == '>' || p[n] == ' ');
            if (!starts || !ends) continue;
            PrivacyText value = xmp_value(p + n, end);
            if (value.count == 0) continue;
            add_privacy(out, chunk, property.kind, property.keyword, value);
            break;
        }
    }
    review_passing_mentions(chunk, "XML:com.adobe.xmp", text, out);
}
