#include "structure_check.h"

#include <string.h>

#include "document/byte_order.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"

// A chunk's data with the candidate's byte put in place, read without copying.
struct ChunkView {
    const uint8_t* data;
    uint32_t       length;
    uint32_t       position;
    uint8_t        value;
};

static uint8_t at(const ChunkView& view, uint32_t k)
{
    return k == view.position ? view.value : view.data[k];
}

static uint32_t u32_at(const ChunkView& view, uint32_t k)
{
    return (uint32_t)at(view, k) << 24 | (uint32_t)at(view, k + 1) << 16 | (uint32_t)at(view, k + 2) << 8 |
           at(view, k + 3);
}

// The first zero byte at or after `from`, or the length when there is none.
static uint32_t zero_from(const ChunkView& view, uint32_t from)
{
    while (from < view.length && at(view, from) != 0) from++;
    return from;
}

// ---- rules on fields ----------------------------------------------------------

typedef int (*FieldRule)(const ChunkView& view);

static int positive_u32_at(const ChunkView& view, uint32_t k)
{
    uint32_t value = u32_at(view, k);
    return value >= 1 && value <= 0x7FFFFFFFu;
}

static int ihdr_width(const ChunkView& v) { return v.length == 13 && positive_u32_at(v, 0); }
static int ihdr_height(const ChunkView& v) { return v.length == 13 && positive_u32_at(v, 4); }
static int ihdr_depth(const ChunkView& v)
{
    ImageLayout layout;
    return v.length == 13 && layout_image(1, 1, at(v, 8), at(v, 9), 0, &layout);
}
static int ihdr_methods(const ChunkView& v) { return v.length == 13 && at(v, 10) == 0 && at(v, 11) == 0; }
static int ihdr_interlace(const ChunkView& v) { return v.length == 13 && at(v, 12) <= 1; }
static int plte_length(const ChunkView& v) { return v.length % 3 == 0 && v.length >= 3 && v.length <= 768; }
static int time_month(const ChunkView& v) { return v.length == 7 && at(v, 2) >= 1 && at(v, 2) <= 12; }
static int time_day(const ChunkView& v) { return v.length == 7 && at(v, 3) >= 1 && at(v, 3) <= 31; }
static int time_hour(const ChunkView& v) { return v.length == 7 && at(v, 4) <= 23; }
static int time_minute(const ChunkView& v) { return v.length == 7 && at(v, 5) <= 59; }
static int time_second(const ChunkView& v) { return v.length == 7 && at(v, 6) <= 60; }
static int gama_value(const ChunkView& v) { return v.length == 4 && positive_u32_at(v, 0); }
static int phys_unit(const ChunkView& v) { return v.length == 9 && at(v, 8) <= 1; }
static int srgb_intent(const ChunkView& v) { return v.length == 1 && at(v, 0) <= 3; }

// 1 to 79 printable Latin-1 bytes, then a zero separator.
static int keyword(const ChunkView& v)
{
    uint32_t end = zero_from(v, 0);
    if (end == 0 || end > 79 || end >= v.length) return 0;
    for (uint32_t k = 0; k < end; k++) {
        uint8_t b = at(v, k);
        if (b < 32 || (b > 126 && b < 161)) return 0;
    }
    return 1;
}

// The compression method byte behind the keyword (zTXt, iCCP).
static int method_after_keyword(const ChunkView& v)
{
    uint32_t end = zero_from(v, 0);
    return end + 1 < v.length && at(v, end + 1) == 0;
}

// iTXt: the compression flag is 0 or 1 and the method 0.
static int itxt_flags(const ChunkView& v)
{
    uint32_t end = zero_from(v, 0);
    return end + 2 < v.length && at(v, end + 1) <= 1 && at(v, end + 2) == 0;
}

// ---- compressed parts ---------------------------------------------------------

enum StreamPart { PART_NONE, PART_AFTER_METHOD, PART_ITXT_TEXT };

// Where the compressed part begins, or the length when the chunk has none.
static uint32_t compressed_start(const ChunkView& v, int32_t part)
{
    uint32_t end = zero_from(v, 0);
    if (part == PART_AFTER_METHOD) return end + 2 < v.length ? end + 2 : v.length;
    if (part != PART_ITXT_TEXT || end + 3 > v.length || at(v, end + 1) != 1) return v.length;
    uint32_t language_end = zero_from(v, end + 3);
    if (language_end >= v.length) return v.length;
    uint32_t translated_end = zero_from(v, language_end + 1);
    return translated_end < v.length ? translated_end + 1 : v.length;
}

enum RuleVerdict { RULE_INDIFFERENT, RULE_HOLDS, RULE_BROKEN };

// The compressed part with the candidate in it must inflate cleanly, with a right
// Adler-32, to its last byte. A stream already broken in front of the candidate
// is not held against it.
static int32_t judge_stream(const ChunkView& v, int32_t part, CheckPace* pace)
{
    uint32_t start = compressed_start(v, part);
    if (part == PART_NONE || v.position < start || start >= v.length) return RULE_INDIFFERENT;
    StreamCheck stream;
    stream_begin(stream, nullptr, pace);
    int32_t verdict = RULE_INDIFFERENT;
    if (stream_feed(stream, v.data + start, v.position - start) == STREAM_OPEN) {
        stream_feed(stream, &v.value, 1);
        stream_feed(stream, v.data + v.position + 1, v.length - v.position - 1);
        if (stream.state == STREAM_ENDED) verdict = RULE_HOLDS;
        if (stream.state == STREAM_OPEN || stream.state == STREAM_BROKEN) verdict = RULE_BROKEN;
    }
    stream_finish(stream);
    return verdict;
}

// A rule is held against a candidate only when the chunk keeps it as it stands and
// the candidate's byte breaks it: a rule the chunk breaks already, in whatever
// byte, says nothing about this change. It speaks for the candidate when it holds
// and some other value of the byte would break it.
static int32_t judge_rule(FieldRule rule, ChunkView view)
{
    uint8_t value = view.value;
    view.value = view.data[view.position];
    int before = rule(view);
    view.value = value;
    if (!rule(view)) return before ? RULE_BROKEN : RULE_INDIFFERENT;
    for (uint32_t other = 0; other < 256; other++) {
        view.value = (uint8_t)other;
        if (!rule(view)) return RULE_HOLDS;
    }
    return RULE_INDIFFERENT;
}

struct TypeRules {
    const char* type;
    FieldRule   rules[5];
    int32_t     part;  // StreamPart
};

static const TypeRules TYPE_RULES[] = {
    {"IHDR", {ihdr_width, ihdr_height, ihdr_depth, ihdr_methods, ihdr_interlace}, PART_NONE},
    {"PLTE", {plte_length}, PART_NONE},
    {"tIME", {time_month, time_day, time_hour, time_minute, time_second}, PART_NONE},
    {"gAMA", {gama_value}, PART_NONE},
    {"pHYs", {phys_unit}, PART_NONE},
    {"sRGB", {srgb_intent}, PART_NONE},
    {"tEXt", {keyword}, PART_NONE},
    {"zTXt", {keyword, method_after_keyword}, PART_AFTER_METHOD},
    {"iCCP", {keyword, method_after_keyword}, PART_AFTER_METHOD},
    {"iTXt", {keyword, itxt_flags}, PART_ITXT_TEXT},
};

static int32_t check_fields(const TypeRules& rules, const ChunkView& view, CheckPace* pace)
{
    int32_t held = 0;
    for (FieldRule rule : rules.rules) {
        if (!rule) break;
        int32_t verdict = judge_rule(rule, view);
        if (verdict == RULE_BROKEN) return REPAIR_CHECK_FAILED;
        held |= verdict == RULE_HOLDS;
    }
    int32_t stream = judge_stream(view, rules.part, pace);
    if (stream == RULE_BROKEN) return REPAIR_CHECK_FAILED;
    return held || stream == RULE_HOLDS ? REPAIR_CHECK_PASSED : REPAIR_CHECK_NONE;
}

// ---- the IDAT run -------------------------------------------------------------

static int is_idat(int32_t index)
{
    return index >= 0 && index < g_document.count && type_word(g_document.records[index].type) == type_word("IDAT");
}

int32_t find_chunk(const char* type)
{
    for (int32_t k = 0; g_document.loaded && k < g_document.count; k++) {
        if (type_word(g_document.records[k].type) == type_word(type)) return k;
    }
    return -1;
}

int intact_image_layout(ImageLayout* out)
{
    int32_t ihdr = find_chunk("IHDR");
    if (ihdr < 0 || is_damaged(ihdr)) return 0;
    const ChunkRecord& record = g_document.records[ihdr];
    return layout_from_ihdr(record.data, record.length, out);
}

static int32_t feed_chunk(StreamCheck& stream, int32_t index)
{
    const ChunkRecord& record = g_document.records[index];
    return stream_feed(stream, record.data, record.length);
}

// The run of IDAT chunks around the candidates' chunk `index`: it is followed from
// `first` through `index` on to `followed` (the chunk before another damaged one,
// or the run's `last`).
struct IdatRun {
    int32_t first, index, followed, last;
};

// 0 when a damaged chunk in front of `index` keeps the stream from being followed to it.
static int idat_run_of(int32_t index, IdatRun& run)
{
    run.first = run.last = run.index = index;
    while (is_idat(run.first - 1)) run.first--;
    while (is_idat(run.last + 1)) run.last++;
    run.followed = index;
    while (run.followed < run.last && !is_damaged(run.followed + 1)) run.followed++;
    for (int32_t k = run.first; k < index; k++) {
        if (is_damaged(k)) return 0;
    }
    return 1;
}

// The verdict on a stream that has taken the candidate's byte and the rest of its chunk.
static int32_t verdict_behind(StreamCheck& stream, const IdatRun& run)
{
    for (int32_t k = run.index + 1; k <= run.followed; k++) feed_chunk(stream, k);
    int32_t check = REPAIR_CHECK_FAILED;
    if (stream.state == STREAM_TOO_LONG) check = REPAIR_CHECK_PARTIAL;
    if (stream.state == STREAM_NO_MEMORY || stream.state == STREAM_STOPPED) check = REPAIR_CHECK_NONE;
    if (stream.state == STREAM_ENDED && stream_size_right(stream)) check = REPAIR_CHECK_PASSED;
    // A damaged chunk further on: only the way up to it can be vouched for, and a
    // stream that ended already leaves that chunk's bytes behind its end.
    if (run.followed < run.last && check != REPAIR_CHECK_NONE && stream.state != STREAM_BROKEN) {
        int ended_early = stream.state == STREAM_ENDED && g_document.records[run.followed + 1].length > 0;
        check = ended_early ? REPAIR_CHECK_FAILED : REPAIR_CHECK_PARTIAL;
    }
    return check;
}

// One candidate, continuing a copy of the state in front of its byte.
static int32_t check_from(const StreamCheck& before, const IdatRun& run, const RepairCandidate& candidate)
{
    const ChunkRecord& record = g_document.records[run.index];
    uint32_t p = candidate.position;
    StreamCheck stream;
    stream_copy(stream, before);
    stream_feed(stream, &candidate.new_value, 1);
    stream_feed(stream, record.data + p + 1, record.length - p - 1);
    int32_t check = verdict_behind(stream, run);
    stream_finish(stream);
    return check;
}

// The candidates of IDAT chunk `index`, lowest position first, from one saved
// state: the run in front of the chunk is inflated once, the chunk's bytes up to
// each candidate once in all, and each candidate continues a copy of that state.
// A candidate the stream cannot be followed to cleanly gets no check.
static void check_idat_candidates(int32_t index, RepairCandidate* candidates, int32_t count, CheckPace* pace)
{
    IdatRun run;
    int followable = idat_run_of(index, run);
    ImageLayout layout;
    StreamCheck before;
    stream_begin(before, intact_image_layout(&layout) ? &layout : nullptr, pace);
    for (int32_t k = run.first; followable && k < index; k++) feed_chunk(before, k);
    const ChunkRecord& record = g_document.records[index];
    uint32_t fed = 0;
    for (int32_t c = 0; c < count && !(pace && pace->stopped); c++) {
        uint32_t p = candidates[c].position;
        if (pace) {
            pace->done = (uint64_t)c;
            pace->total = (uint64_t)count;
            pace->position = p;
        }
        if (p >= fed && p < record.length) {
            stream_feed(before, record.data + fed, p - fed);
            fed = p;
        }
        int open = followable && p == fed && before.state == STREAM_OPEN;
        candidates[c].check = open ? check_from(before, run, candidates[c]) : REPAIR_CHECK_NONE;
    }
    stream_finish(before);
}

int64_t idat_inflated_size(CheckPace* pace)
{
    int32_t first = find_chunk("IDAT");
    if (first < 0) return -1;
    StreamCheck stream;
    stream_begin(stream, nullptr, pace);
    for (int32_t k = first; is_idat(k); k++) feed_chunk(stream, k);
    int64_t size = stream.state == STREAM_ENDED ? (int64_t)stream.produced : -1;
    stream_finish(stream);
    return size;
}

// The check of one candidate of a chunk that is not IDAT.
static int32_t check_by_type(const ChunkRecord& record, const RepairCandidate& candidate, CheckPace* pace)
{
    ChunkView view = {record.data, record.length, candidate.position, candidate.new_value};
    for (const TypeRules& rules : TYPE_RULES) {
        if (type_word(record.type) == type_word(rules.type)) return check_fields(rules, view, pace);
    }
    return REPAIR_CHECK_NONE;
}

int32_t check_repair_candidates(int32_t index, RepairCandidate* candidates, int32_t count, CheckPace* pace)
{
    if (!g_document.loaded || index < 0 || index >= g_document.count) {
        for (int32_t c = 0; c < count; c++) candidates[c].check = REPAIR_CHECK_NONE;
        return CHECKS_DONE;
    }
    const ChunkRecord& record = g_document.records[index];
    if (type_word(record.type) == type_word("IDAT")) {
        check_idat_candidates(index, candidates, count, pace);
    } else {
        for (int32_t c = 0; c < count && !(pace && pace->stopped); c++) {
            int outside = candidates[c].position >= record.length;
            candidates[c].check = outside ? REPAIR_CHECK_NONE : check_by_type(record, candidates[c], pace);
        }
    }
    return pace && pace->stopped ? CHECKS_STOPPED : CHECKS_DONE;
}

int32_t check_repair_candidate(int32_t index, const RepairCandidate& candidate)
{
    RepairCandidate one = candidate;
    check_repair_candidates(index, &one, 1, nullptr);
    return one.check;
}
