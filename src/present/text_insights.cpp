#include "text_insights.h"

#include <string.h>

#include "chunk_fields.h"
#include "document/memory.h"
#include "field_texts.h"
#include "text_codec.h"

namespace {

const uint32_t JSON_DEPTH_LIMIT = 64;

int is_json_space(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int is_json_structure(uint8_t c)
{
    return c == '{' || c == '}' || c == '[' || c == ']' || c == ',' || c == ':' || c == '"';
}

// The end of the string that starts at `at` (its opening quote), past the closing
// quote; 0 when it never closes.
uint32_t string_end(const uint8_t* text, uint32_t length, uint32_t at)
{
    for (uint32_t k = at + 1; k < length; k++) {
        if (text[k] == '\\') {
            k++;
        } else if (text[k] == '"') {
            return k + 1;
        }
    }
    return 0;
}

// One pass checks the nesting and finds the tokens; with `out` null it only checks.
// Strings and scalars are copied as they stand (escapes kept).
// Indentation can make a text of short values many times its size: the view
// stops at `limit` bytes of output and says so.
struct JsonWalk {
    TextBuilder* out;
    char         open[JSON_DEPTH_LIMIT];
    uint32_t     depth;
    size_t       limit;
};

int json_writes(const JsonWalk& walk)
{
    return walk.out && walk.out->used < walk.limit;
}

void json_newline(JsonWalk& walk)
{
    if (!json_writes(walk)) return;
    text_add(walk.out, "\n");
    for (uint32_t d = 0; d < walk.depth; d++) text_add(walk.out, "  ");
}

void json_emit(JsonWalk& walk, const uint8_t* bytes, uint32_t count)
{
    if (json_writes(walk)) add_utf8(walk.out, bytes, count);
}

// Opening and closing brackets; 0 when the nesting is wrong or too deep.
int json_bracket(JsonWalk& walk, uint8_t c, const uint8_t* at)
{
    if (c == '{' || c == '[') {
        if (walk.depth == JSON_DEPTH_LIMIT) return 0;
        walk.open[walk.depth++] = (char)c;
        json_emit(walk, at, 1);
        json_newline(walk);
        return 1;
    }
    char wanted = c == '}' ? '{' : '[';
    if (walk.depth == 0 || walk.open[walk.depth - 1] != wanted) return 0;
    walk.depth--;
    json_newline(walk);
    json_emit(walk, at, 1);
    return 1;
}

int walk_json(JsonWalk& walk, const uint8_t* text, uint32_t length)
{
    uint32_t k = 0, tokens = 0;
    while (k < length) {
        uint8_t c = text[k];
        if (is_json_space(c)) {
            k++;
            continue;
        }
        if (tokens++ == 0 && c != '{' && c != '[') return 0;
        if (tokens > 1 && walk.depth == 0) return 0;   // something after the value
        if (c == '"') {
            uint32_t end = string_end(text, length, k);
            if (!end) return 0;
            json_emit(walk, text + k, end - k);
            k = end;
        } else if (c == '{' || c == '[') {
            uint32_t next = k + 1;
            while (next < length && is_json_space(text[next])) next++;
            if (next < length && text[next] == (c == '{' ? '}' : ']')) {   // empty: kept on one line
                json_emit(walk, text + k, 1);
                json_emit(walk, text + next, 1);
                k = next + 1;
                continue;
            }
            if (!json_bracket(walk, c, text + k)) return 0;
            k++;
        } else if (c == '}' || c == ']') {
            if (!json_bracket(walk, c, text + k)) return 0;
            k++;
        } else if (c == ',' || c == ':') {
            json_emit(walk, text + k, 1);
            if (c == ',') json_newline(walk);
            if (c == ':' && json_writes(walk)) text_add(walk.out, " ");
            k++;
        } else {
            uint32_t end = k;
            while (end < length && !is_json_space(text[end]) && !is_json_structure(text[end])) end++;
            json_emit(walk, text + k, end - k);
            k = end;
        }
    }
    return tokens > 0 && walk.depth == 0;
}

// The start of the line at or after `from` that begins with `prefix`, searching
// from the last line back when `last`; `length` when there is none.
uint32_t line_starting(const uint8_t* text, uint32_t length, const char* prefix, int last)
{
    size_t n = strlen(prefix);
    uint32_t found = length;
    for (uint32_t k = 0; k + n <= length; k++) {
        if ((k == 0 || text[k - 1] == '\n') && memcmp(text + k, prefix, n) == 0) {
            found = k;
            if (!last) break;
        }
    }
    return found;
}

void add_trimmed_line(TextBuilder* out, const char* label, const uint8_t* bytes, uint32_t count)
{
    while (count && (bytes[count - 1] == '\n' || bytes[count - 1] == '\r' || bytes[count - 1] == ' ')) count--;
    text_add(out, label);
    text_add(out, ": ");
    add_utf8(out, bytes, count);
    text_add(out, "\n");
}

// "key: value, key: value, ..." with quoted values kept whole.
void add_settings(TextBuilder* out, const uint8_t* bytes, uint32_t count)
{
    text_add(out, L_SETTINGS ":\n");
    uint32_t start = 0;
    int quoted = 0;
    for (uint32_t k = 0; k <= count; k++) {
        if (k < count && bytes[k] == '"') quoted = !quoted;
        if (k == count || (!quoted && bytes[k] == ',' && k + 1 < count && bytes[k + 1] == ' ')) {
            uint32_t end = k;
            while (end > start && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r')) end--;
            if (end > start) {
                text_add(out, "  ");
                add_utf8(out, bytes + start, end - start);
                text_add(out, "\n");
            }
            start = k + 2;
            k++;
        }
    }
}

int hex_value(uint8_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "\nNAME\n   LENGTH\nHEX..." into its bytes (at most INSPECT_PROFILE_KEEP);
// null when the text is not of that form.
uint8_t* decode_raw_profile(const uint8_t* text, uint32_t length, uint32_t* size)
{
    uint32_t k = 0, lines = 0;
    while (k < length && lines < 2) lines += text[k++] == '\n';
    while (k < length && text[k] == ' ') k++;
    uint64_t declared = 0;
    uint32_t digits = 0;
    for (; k < length && text[k] >= '0' && text[k] <= '9' && digits < 10; k++, digits++) {
        declared = declared * 10 + (uint64_t)(text[k] - '0');
    }
    if (lines < 2 || digits == 0 || declared == 0 || declared > INSPECT_PROFILE_KEEP) return nullptr;
    uint8_t* bytes = (uint8_t*)zero_alloc((size_t)declared);
    uint32_t made = 0;
    int high = -1;
    for (; bytes && k < length && made < declared; k++) {
        int v = hex_value(text[k]);
        if (v < 0) {
            if (text[k] == '\n' || text[k] == '\r' || text[k] == ' ') continue;
            break;
        }
        if (high < 0) {
            high = v;
        } else {
            bytes[made++] = (uint8_t)(high << 4 | v);
            high = -1;
        }
    }
    if (bytes && made != declared) {
        zero_free(bytes);
        return nullptr;
    }
    *size = made;
    return bytes;
}

const char RAW_PROFILE_PREFIX[] = "Raw profile type ";

}  // namespace

int add_indented_json(TextBuilder* out, const uint8_t* text, uint32_t length)
{
    JsonWalk check = {nullptr, {}, 0, 0};
    if (!walk_json(check, text, length)) {
        return 0;
    }
    text_add(out, L_JSON ":\n");
    JsonWalk walk = {out, {}, 0, out->used + 2 * (size_t)length + 65536};
    walk_json(walk, text, length);
    text_add(out, out->used < walk.limit ? "\n" : "\n" T_JSON_CUT "\n");
    return 1;
}

int add_generator_parameters(TextBuilder* out, const uint8_t* text, uint32_t length)
{
    uint32_t settings = line_starting(text, length, "Steps: ", 1);
    if (settings == length) {
        return 0;
    }
    uint32_t negative = line_starting(text, settings, "Negative prompt: ", 0);
    add_trimmed_line(out, L_PROMPT, text, negative < settings ? negative : settings);
    if (negative < settings) {
        uint32_t from = negative + (uint32_t)strlen("Negative prompt: ");
        add_trimmed_line(out, L_NEGATIVE_PROMPT, text + from, settings - from);
    }
    add_settings(out, text + settings, length - settings);
    return 1;
}

int add_raw_profile(TextBuilder* out, const uint8_t* keyword, uint32_t keyword_length, const uint8_t* text,
                    uint32_t length)
{
    size_t prefix = sizeof RAW_PROFILE_PREFIX - 1;
    if (keyword_length <= prefix || memcmp(keyword, RAW_PROFILE_PREFIX, prefix) != 0) {
        return 0;
    }
    const char* kind = (const char*)keyword + prefix;
    size_t kind_length = keyword_length - prefix;
    uint32_t size = 0;
    uint8_t* bytes = decode_raw_profile(text, length, &size);
    if (!bytes) {
        field_error(out, E_RAW_PROFILE);
        return 1;
    }
    text_format(out, L_RAW_PROFILE ": %.*s, " V_BYTES "\n", (int)kind_length, kind, (unsigned long)size);
    if (kind_length == 4 && memcmp(kind, "exif", 4) == 0) {
        uint32_t skip = size >= 6 && memcmp(bytes, "Exif\0\0", 6) == 0 ? 6 : 0;
        describe_exif(out, bytes + skip, size - skip);
    } else if ((kind_length == 3 && memcmp(kind, "xmp", 3) == 0) || (kind_length == 4 && memcmp(kind, "APP1", 4) == 0)) {
        uint32_t shown = size < INSPECT_TEXT_KEEP ? size : (uint32_t)utf8_boundary(bytes, INSPECT_TEXT_KEEP);
        text_add(out, L_TEXT ": ");
        add_utf8(out, bytes, shown);
        text_add(out, "\n");
    } else if (kind_length == 3 && (memcmp(kind, "icc", 3) == 0 || memcmp(kind, "icm", 3) == 0)) {
        describe_icc_profile(out, bytes, size);
    }
    zero_free(bytes);
    return 1;
}

void describe_text_content(TextBuilder* out, const uint8_t* keyword, uint32_t keyword_length, const uint8_t* text,
                           uint32_t length)
{
    if (add_raw_profile(out, keyword, keyword_length, text, length)) {
        return;
    }
    if (keyword_length == 10 && memcmp(keyword, "parameters", 10) == 0 && add_generator_parameters(out, text, length)) {
        return;
    }
    add_indented_json(out, text, length);
}
