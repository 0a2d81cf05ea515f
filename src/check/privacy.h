// The privacy review: what the loaded file would give away if it were published
// (positions and serial numbers in eXIf, names and contacts in text chunks and
// XMP, file paths, software, the settings and prompts image generators write),
// each with its chunk, so that a front end can select those chunks for deletion.
// Like the check, it reads the document and never changes it.
#pragma once
#include <stdint.h>

#include "check/check.h"

#define PRIVACY_KIND_ENUM(kind, ja, en) kind,
enum PrivacyKind { PRIVACY_KINDS(PRIVACY_KIND_ENUM) PRIVACY_KIND_COUNT };
#undef PRIVACY_KIND_ENUM

struct PrivacyFinding {
    int32_t chunk;         // index in the document
    int32_t kind;          // PrivacyKind
    char    where[48];     // ASCII: the keyword, Exif tag or XMP property it was found under
    char    excerpt[100];  // UTF-8: the head of what it says (cut on a whole character)
};

// Grows as findings are added; zero-initialise it, free it with privacy_free.
struct PrivacyList {
    PrivacyFinding* items;
    int32_t count;
    int32_t capacity;
    int32_t out_of_memory;
};

void review_privacy(PrivacyList* out);
void privacy_free(PrivacyList* list);
// "位置 (GPS)" / "position (GPS)" and so on.
const char* privacy_kind_text(int32_t kind, CheckLanguage language);
// The kind's name in C ("PRIVACY_POSITION"), for tests and --json.
const char* privacy_kind_name(int32_t kind);

// The selection (one byte per chunk of the document, `count` of them) of every
// deletable chunk a finding names: what `strip --private` and the review's
// button delete. Critical chunks are never selected. Returns how many are.
int32_t privacy_selection(const PrivacyList& list, uint8_t* selected, int32_t count);
