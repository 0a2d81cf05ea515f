// The conformance check: every rule of the format the loaded document breaks, as
// a list of findings that the front ends only render (the window as a list, the
// command line as lines or JSON). The check reads the document and never changes
// it; it reports every problem rather than stopping at the first.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "check/check_texts.h"

enum FindingSeverity {
    SEVERITY_ERROR   = 0,
    SEVERITY_WARNING = 1,
    SEVERITY_INFO    = 2,
};

#define CHECK_RULE_ENUM(rule, severity, ja, en) rule,
enum CheckRule { CHECK_RULES(CHECK_RULE_ENUM) CHECK_RULE_COUNT };
#undef CHECK_RULE_ENUM

// A finding about the file as a whole rather than one chunk.
const int32_t FINDING_FILE = -1;

struct Finding {
    int32_t  chunk;      // index in the document, or FINDING_FILE
    int32_t  rule;       // CheckRule; it decides the severity and the message
    uint8_t  type[4];    // the chunk's type (zero for FINDING_FILE)
    uint32_t values[2];  // the numbers the message names (%1, %2)
};

// Grows as findings are added; zero-initialise it, free it with findings_free.
struct FindingList {
    Finding* items;
    int32_t  count;
    int32_t  capacity;
    int32_t  out_of_memory;  // 1 when a finding could not be kept
};

enum CheckLanguage {
    CHECK_JAPANESE = 0,
    CHECK_ENGLISH  = 1,
};

// Adds a finding; on a failed allocation sets out_of_memory and keeps the rest.
void add_finding(FindingList* list, int32_t rule, int32_t chunk, const uint8_t* type, uint32_t first = 0,
                 uint32_t second = 0);
void findings_free(FindingList* list);
// `to` (empty) becomes a copy of `from`; 0 when memory runs out (`to` stays empty).
int  copy_findings(const FindingList& from, FindingList* to);

int32_t finding_severity(const Finding& finding);
// "エラー" / "error" and so on.
const char* severity_text(int32_t severity, CheckLanguage language);
// The finding's message in `language`, cut to fit `size` bytes (always terminated).
void finding_message(const Finding& finding, CheckLanguage language, char* out, size_t size);
// The rule's name in C ("RULE_NOT_SINGLE"), for tests and --json.
const char* rule_name(int32_t rule);
// How many findings have this severity.
int32_t count_severity(const FindingList& list, int32_t severity);

// How many errors of `now` the file did not have when it was loaded (`loaded`):
// errors are matched by rule and chunk type, since edits move chunks. -1 when
// memory runs out. What the window asks about before Save As.
int32_t count_new_errors(const FindingList& loaded, const FindingList& now);
// The same count, and the indexes in `now` of the first `room` new errors in the
// list's order (the later of equal errors count as the new ones).
int32_t list_new_errors(const FindingList& loaded, const FindingList& now, int32_t* first, int32_t room);

// Checks the loaded document (g_document, g_trailing) and appends what it finds,
// in the order: file facts, then order and multiplicity, then fields, then the
// compressed streams, then animation. Nothing is found without a document.
void check_document(FindingList* out);
// The finding for a file that did not load as a PNG: LOAD_NOT_PNG gives the
// signature's error; other results (open, read, memory failures) say nothing
// certain about the file's bytes and add nothing.
void check_load_failure(int32_t load_result, FindingList* out);

// The parts of check_document, each on the loaded document.
void check_structure(FindingList* out);
// A file may hold many streams that each inflate to the cap: together they are
// followed this far, then the rest is told as not followed.
const uint64_t CHECK_STREAM_BUDGET = 192ull << 20;
struct StreamBudget {
    uint64_t left;   // inflated bytes still to follow
    int32_t  told;   // 1 once the end of the budget is told
};
void check_streams(FindingList* out, StreamBudget* budget);
void check_animation(FindingList* out, StreamBudget* budget);
void check_fields(FindingList* out);
