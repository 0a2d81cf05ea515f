// The privacy review's list and its text chunks: which keywords name a person,
// software or an image generator, and what any text gives away in passing
// (e-mail addresses, file paths). XMP and Exif are read in privacy_sources.cpp.
#include "privacy.h"

#include <string.h>

#include "document/byte_order.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "growing_list.h"
#include "privacy_scan.h"
#include "present/text_codec.h"

namespace {

struct KindText {
    const char* name;
    const char* text[2];
};
#define PRIVACY_KIND_TEXT(kind, ja, en) {#kind, {ja, en}},
const KindText KIND_TEXTS[] = {PRIVACY_KINDS(PRIVACY_KIND_TEXT)};
#undef PRIVACY_KIND_TEXT

// The excerpt as one line of UTF-8: Latin-1 converted, line breaks and tabs as spaces.
void put_excerpt(char* out, size_t size, const uint8_t* bytes, size_t count, int utf8)
{
    size_t at = 0;
    for (size_t k = 0; k < count && at + 4 < size; k++) {
        uint8_t c = bytes[k];
        if (c < 0x20) {
            out[at++] = ' ';
        } else if (c < 0x80 || utf8) {
            size_t run = c < 0x80 ? 1 : utf8_sequence(bytes + k, count - k);
            if (run == 0) continue;
            memcpy(out + at, bytes + k, run);
            at += run;
            k += run - 1;
        } else {
            out[at++] = (char)(0xC0 | c >> 6);
            out[at++] = (char)(0x80 | (c & 0x3F));
        }
    }
    out[at] = 0;
}

}  // namespace

void add_privacy(PrivacyList* list, int32_t chunk, int32_t kind, const char* where, const PrivacyText& value)
{
    if (list->count == list->capacity && !grow_list(&list->items, &list->capacity, list->count)) {
        list->out_of_memory = 1;
        return;
    }
    PrivacyFinding& finding = list->items[list->count++];
    finding.chunk = chunk;
    finding.kind = kind;
    size_t length = strlen(where) < sizeof finding.where ? strlen(where) : sizeof finding.where - 1;
    memcpy(finding.where, where, length);
    finding.where[length] = 0;
    int utf8 = value.utf8 || is_valid_utf8(value.bytes, value.count);
    put_excerpt(finding.excerpt, sizeof finding.excerpt, value.bytes, value.count, utf8);
}

void privacy_free(PrivacyList* list)
{
    zero_free(list->items);
    *list = PrivacyList();
}

const char* privacy_kind_text(int32_t kind, CheckLanguage language)
{
    return kind >= 0 && kind < PRIVACY_KIND_COUNT ? KIND_TEXTS[kind].text[language == CHECK_ENGLISH] : "";
}

const char* privacy_kind_name(int32_t kind)
{
    return kind >= 0 && kind < PRIVACY_KIND_COUNT ? KIND_TEXTS[kind].name : "";
}

int32_t privacy_selection(const PrivacyList& list, uint8_t* selected, int32_t count)
{
    memset(selected, 0, (size_t)count);
    int32_t chosen = 0;
    for (int32_t i = 0; i < list.count; i++) {
        int32_t chunk = list.items[i].chunk;
        if (chunk < 0 || chunk >= count || selected[chunk] || !is_deletable(chunk)) continue;
        selected[chunk] = 1;
        chosen++;
    }
    return chosen;
}

void review_privacy(PrivacyList* out)
{
    uint64_t budget = PRIVACY_INFLATE_BUDGET;
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        uint32_t word = type_word(g_document.records[i].type);
        if (word == type_word("eXIf")) review_exif(i, out);
        if (word == type_word("tEXt") || word == type_word("zTXt") || word == type_word("iTXt")) review_text_chunk(i, &budget, out);
    }
}
