// The privacy review's readers of each source, shared by its files.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "privacy.h"

// A run of text and how it is encoded.
struct PrivacyText {
    const uint8_t* bytes;
    size_t count;
    int utf8;   // 1: UTF-8; 0: Latin-1 (shown as UTF-8 when it is valid UTF-8)
};

void add_privacy(PrivacyList* list, int32_t chunk, int32_t kind, const char* where, const PrivacyText& value);

// A text chunk (tEXt, zTXt, iTXt at `chunk`): its keyword, and its text inflated.
// `budget` is what the review may still inflate over all chunks (it shrinks).
const uint64_t PRIVACY_INFLATE_BUDGET = 128ull << 20;
void review_text_chunk(int32_t chunk, uint64_t* budget, PrivacyList* out);
// The text under `keyword` of chunk `chunk`, by what the keyword says it is.
void review_text(int32_t chunk, const char* keyword, const PrivacyText& text, PrivacyList* out);
// An XMP packet: the properties that name, locate or identify.
void review_xmp(int32_t chunk, const PrivacyText& text, PrivacyList* out);
// eXIf: the GPS IFD, serial numbers, owner, artist, copyright and software.
void review_exif(int32_t chunk, PrivacyList* out);
// E-mail addresses and file paths anywhere in a text: one finding of each kind at most.
void review_passing_mentions(int32_t chunk, const char* where, const PrivacyText& text, PrivacyList* out);
