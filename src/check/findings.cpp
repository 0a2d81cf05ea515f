// The list of findings and the words they are shown in.
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "check.h"
#include "check_image.h"
#include "document/byte_order.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "growing_list.h"

namespace {

struct RuleText {
    const char* name;
    int32_t     severity;
    const char* text[2];   // CheckLanguage order
};

#define CHECK_RULE_TEXT(rule, severity, ja, en) {#rule, severity, {ja, en}},
const RuleText RULE_TEXTS[] = {CHECK_RULES(CHECK_RULE_TEXT)};
#undef CHECK_RULE_TEXT
static_assert(sizeof RULE_TEXTS / sizeof RULE_TEXTS[0] == CHECK_RULE_COUNT, "one text per rule");

const char* const SEVERITY_TEXTS[2][3] = {CHECK_SEVERITY_TEXTS_JA, CHECK_SEVERITY_TEXTS_EN};

// Appends `text` to out[*at], keeping room for the terminating zero.
void put(char* out, size_t size, size_t* at, const char* text, size_t length)
{
    size_t room = size - 1 - *at;
    if (length > room) length = room;
    memcpy(out + *at, text, length);
    *at += length;
}

}  // namespace

void add_finding(FindingList* list, int32_t rule, int32_t chunk, const uint8_t* type, uint32_t first,
                 uint32_t second)
{
    if (list->count == list->capacity && !grow_list(&list->items, &list->capacity, list->count)) {
        list->out_of_memory = 1;
        return;
    }
    Finding& finding = list->items[list->count++];
    finding.chunk = chunk;
    finding.rule = rule;
    if (type) memcpy(finding.type, type, 4);
    else memset(finding.type, 0, 4);
    finding.values[0] = first;
    finding.values[1] = second;
}

void findings_free(FindingList* list)
{
    zero_free(list->items);
    *list = FindingList();
}

int copy_findings(const FindingList& from, FindingList* to)
{
    *to = FindingList();
    if (from.count > 0) {
        to->items = (Finding*)zero_alloc((size_t)from.count * sizeof(Finding));
        if (!to->items) return 0;
        memcpy(to->items, from.items, (size_t)from.count * sizeof(Finding));
    }
    to->count = to->capacity = from.count;
    to->out_of_memory = from.out_of_memory;
    return 1;
}

int32_t finding_severity(const Finding& finding)
{
    return finding.rule >= 0 && finding.rule < CHECK_RULE_COUNT ? RULE_TEXTS[finding.rule].severity
                                                                 : SEVERITY_ERROR;
}

const char* severity_text(int32_t severity, CheckLanguage language)
{
    if (severity < SEVERITY_ERROR || severity > SEVERITY_INFO) severity = SEVERITY_ERROR;
    return SEVERITY_TEXTS[language == CHECK_ENGLISH][severity];
}

const char* rule_name(int32_t rule)
{
    return rule >= 0 && rule < CHECK_RULE_COUNT ? RULE_TEXTS[rule].name : "";
}

int32_t count_severity(const FindingList& list, int32_t severity)
{
    int32_t count = 0;
    for (int32_t i = 0; i < list.count; i++) count += finding_severity(list.items[i]) == severity;
    return count;
}

// %T is the type (its bytes shown as they are when printable), %1 and %2 the
// values in decimal, %x1 and %x2 in eight hexadecimal digits, %F the field
// model's reason (the first value is its result).
void finding_message(const Finding& finding, CheckLanguage language, char* out, size_t size)
{
    if (size == 0) return;
    const char* text = rule_name(finding.rule)[0] ? RULE_TEXTS[finding.rule].text[language == CHECK_ENGLISH] : "";
    size_t at = 0;
    for (const char* p = text; *p; p++) {
        char piece[16];
        int hex = p[0] == '%' && p[1] == 'x' && (p[2] == '1' || p[2] == '2');
        if (p[0] == '%' && p[1] == 'T') {
            for (int k = 0; k < 4; k++) {
                uint8_t c = finding.type[k];
                piece[k] = c >= 0x20 && c < 0x7F ? (char)c : '?';
            }
            put(out, size, &at, piece, 4);
            p++;
        } else if (p[0] == '%' && p[1] == 'F') {
            const char* reason = field_fault_text(finding.values[0], language);
            put(out, size, &at, reason, strlen(reason));
            p++;
        } else if (hex || (p[0] == '%' && (p[1] == '1' || p[1] == '2'))) {
            uint32_t value = finding.values[p[hex + 1] - '1'];
            int length = snprintf(piece, sizeof piece, hex ? "%08lX" : "%lu", (unsigned long)value);
            put(out, size, &at, piece, (size_t)length);
            p += 1 + hex;
        } else {
            put(out, size, &at, p, 1);
        }
    }
    out[at] = 0;
}

namespace {

uint64_t error_key(const Finding& f)
{
    return (uint64_t)(uint32_t)f.rule << 32 | type_word(f.type);
}

// The errors of a list as sorted keys (rule and type in one word); null when
// memory runs out (or the list has no errors: *count is then 0).
uint64_t* error_keys(const FindingList& list, int32_t* count)
{
    *count = count_severity(list, SEVERITY_ERROR);
    uint64_t* keys = (uint64_t*)zero_alloc((size_t)(*count ? *count : 1) * sizeof(uint64_t));
    if (!keys) return nullptr;
    int32_t k = 0;
    for (int32_t i = 0; i < list.count; i++) {
        const Finding& f = list.items[i];
        if (finding_severity(f) == SEVERITY_ERROR) keys[k++] = error_key(f);
    }
    std::sort(keys, keys + *count);
    return keys;
}

}  // namespace

// Every error of `now` takes a partner of its key from `loaded` while one is left
// (taken[k], at the first of a run of equal keys, counts the partners given out),
// so that errors are matched one for one and the new ones are told in list order.
int32_t list_new_errors(const FindingList& loaded, const FindingList& now, int32_t* first, int32_t room)
{
    int32_t before = 0;
    uint64_t* old_keys = error_keys(loaded, &before);
    int32_t* taken = (int32_t*)zero_alloc((size_t)(before ? before : 1) * sizeof(int32_t));
    int32_t fresh = old_keys && taken ? 0 : -1;
    for (int32_t i = 0; fresh >= 0 && i < now.count; i++) {
        const Finding& f = now.items[i];
        if (finding_severity(f) != SEVERITY_ERROR) continue;
        uint64_t key = error_key(f);
        int32_t run = (int32_t)(std::lower_bound(old_keys, old_keys + before, key) - old_keys);
        if (run < before && run + taken[run] < before && old_keys[run + taken[run]] == key) {
            taken[run]++;
            continue;
        }
        if (fresh < room) first[fresh] = i;
        fresh++;
    }
    zero_free(old_keys);
    zero_free(taken);
    return fresh;
}

int32_t count_new_errors(const FindingList& loaded, const FindingList& now)
{
    return list_new_errors(loaded, now, nullptr, 0);
}

void check_load_failure(int32_t load_result, FindingList* out)
{
    if (load_result == LOAD_NOT_PNG) add_finding(out, RULE_NOT_PNG, FINDING_FILE, nullptr);
}

void check_document(FindingList* out)
{
    if (!g_document.loaded || g_document.count == 0) return;
    check_structure(out);
    check_fields(out);
    StreamBudget budget = {CHECK_STREAM_BUDGET, 0};
    check_streams(out, &budget);
    check_animation(out, &budget);
    // The list then lacks findings: say so, when there is room for that one.
    if (out->out_of_memory) add_finding(out, RULE_CHECK_NO_MEMORY, FINDING_FILE, nullptr);
}
