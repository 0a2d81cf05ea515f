#include "repair_search.h"

#include "candidate_text.h"
#include "crc_difference.h"
#include "document/byte_order.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "ihdr_search.h"
#include "repair_texts.h"
#include "resource_ids.h"
#include "structure_check.h"

int g_busy = 0;
int g_cancel = 0;

// The progress fields are written at most once per this many milliseconds.
static const uint32_t REFRESH_INTERVAL_MS = 1000;
// An estimate needs more positions than this since the previous refresh.
static const uint32_t ESTIMATE_MIN_POSITIONS = 10;

// How a trial works out without feeding the tail again (see crc_difference.h).
//
// Replacing data byte i (value d) by d ^ e changes the register right after byte i
// by exactly T[e], and Z carries that difference on to the end. A trial matches
// when the difference that reaches the end equals W = stored CRC ^ CRC of the data
// as it stands, that is when T[e] == V_i with V_i = Z^-(length - 1 - i)(W). So V_0
// costs length - 1 backward steps once, V_{i+1} = Z(V_i) one forward step, and at
// each position the only value that can match is e = top_inverse[V_i >> 24],
// checked against T[e] in one comparison: every trial of the exhaustive order
// (lowest position, then lowest value) is decided in constant time.

struct Refresh {
    uint32_t time;      // clock at the previous refresh
    uint32_t position;  // position at the previous refresh
};

// Writes the position and the estimate when more than a second has passed since the
// previous refresh. Clock readings wrap, so the difference is taken modulo 2^32.
static void refresh_progress(Refresh& last, uint32_t position, uint32_t length, const RepairPorts& ports)
{
    if ((uint32_t)(ports.read_clock(ports.context) - last.time) <= REFRESH_INTERVAL_MS) {
        return;
    }
    ports.show_number(ports.context, IDC_REPAIR_POSITION, position);
    uint32_t done = position - last.position;
    if (done > ESTIMATE_MIN_POSITIONS) {
        ports.show_number(ports.context, IDC_REPAIR_ESTIMATE, (length - position) / done);
    } else {
        ports.show_text(ports.context, IDC_REPAIR_ESTIMATE, TEXT_NO_ESTIMATE);
    }
    last.position = position;
    last.time = ports.read_clock(ports.context);
}

// The walk over the positions: at each one, the only change that can match.
struct CandidateWalk {
    uint8_t  top_inverse[256];
    uint32_t difference;  // V_i of the current position
};

static void walk_begin(CandidateWalk& walk, const ChunkRecord& record)
{
    build_top_inverse(walk.top_inverse);
    // Against the data as it stands, as the trials are.
    walk.difference = record.stored_crc ^ chunk_crc(record);
    for (uint32_t k = 1; k < record.length; k++) {
        walk.difference = zero_step_back(walk.difference, walk.top_inverse);
    }
}

// Takes the current position's candidate, if it has one, into `out`; counts it.
static void walk_take(const CandidateWalk& walk, const ChunkRecord& record, uint32_t position,
                      RepairCandidate* out, int32_t capacity, int32_t* total)
{
    uint8_t change = walk.top_inverse[walk.difference >> 24];
    if (g_crc_table[change] != walk.difference) {
        return;
    }
    if (*total < capacity) {
        uint8_t old_value = record.data[position];
        out[*total] = RepairCandidate{position, old_value, (uint8_t)(old_value ^ change), REPAIR_CHECK_NONE};
    }
    (*total)++;
}

// Walks every position in order. After each one the progress may be refreshed,
// one pending event is served and the cancel flag is tested. Returns how many
// candidates exist, or -1 when cancelled.
static int32_t search_all_positions(const ChunkRecord& record, RepairCandidate* out, int32_t capacity,
                                    const RepairPorts& ports)
{
    CandidateWalk walk;
    walk_begin(walk, record);
    Refresh last = {0, 0};
    int32_t total = 0;
    for (uint32_t i = 0; i < record.length; i++) {
        walk_take(walk, record, i, out, capacity, &total);
        refresh_progress(last, i, record.length, ports);
        ports.pump_one_event(ports.context);
        if (g_cancel) {
            return -1;
        }
        walk.difference = zero_step(walk.difference);
    }
    return total;
}

int32_t find_repair_candidates(int32_t index, RepairCandidate* out, int32_t capacity)
{
    if (!is_damaged(index)) {
        return 0;
    }
    if (capacity < 0 || !out) {
        capacity = 0;
    }
    const ChunkRecord& record = g_document.records[index];
    CandidateWalk walk;
    walk_begin(walk, record);
    int32_t total = 0;
    for (uint32_t i = 0; i < record.length; i++) {
        walk_take(walk, record, i, out, capacity, &total);
        walk.difference = zero_step(walk.difference);
    }
    check_repair_candidates(index, out, total < capacity ? total : capacity, nullptr);
    return total;
}

// The checks after the search serve the window as the search does: one pending
// event and the cancel flag at every call of their pace, the progress fields at
// most once per REFRESH_INTERVAL_MS. Field 1010 shows the candidate under check;
// the estimate divides what is left by what was done since the previous refresh.
struct CheckProgress {
    const RepairPorts* ports;
    uint32_t           time;    // clock at the previous refresh
    uint64_t           done;    // the pace's count at the previous refresh
    uint64_t           total;   // and its total then
};

static void refresh_check(CheckProgress& progress, const CheckPace& pace)
{
    const RepairPorts& ports = *progress.ports;
    if ((uint32_t)(ports.read_clock(ports.context) - progress.time) <= REFRESH_INTERVAL_MS) {
        return;
    }
    if (pace.position != PACE_NO_POSITION) {
        ports.show_number(ports.context, IDC_REPAIR_POSITION, pace.position);
    }
    uint64_t since = progress.total == pace.total && pace.done > progress.done ? pace.done - progress.done : 0;
    uint64_t estimate = since ? (pace.total - pace.done) / since : 0;
    if (since && estimate <= 0xFFFFFFFFu) {
        ports.show_number(ports.context, IDC_REPAIR_ESTIMATE, (uint32_t)estimate);
    } else {
        ports.show_text(ports.context, IDC_REPAIR_ESTIMATE, TEXT_NO_ESTIMATE);
    }
    progress.done = pace.done;
    progress.total = pace.total;
    progress.time = ports.read_clock(ports.context);
}

static int32_t serve_check(CheckPace& pace)
{
    CheckProgress& progress = *(CheckProgress*)pace.context;
    refresh_check(progress, pace);
    progress.ports->pump_one_event(progress.ports->context);
    return g_cancel ? PACE_STOP : PACE_GO_ON;
}

// Unchecked candidates are trusted only in chunks this short: a spurious match
// somewhere in them has a probability below 0.4%.
static const uint32_t UNCHECKED_TRUST_LENGTH = 65536;

static int beyond_doubt(const RepairCandidate& candidate, uint32_t length)
{
    return candidate.check == REPAIR_CHECK_PASSED ||
           ((candidate.check == REPAIR_CHECK_NONE || candidate.check == REPAIR_CHECK_PARTIAL) &&
            length <= UNCHECKED_TRUST_LENGTH);
}

static void apply_candidate(ChunkRecord& record, const RepairCandidate& candidate)
{
    record.data[candidate.position] = candidate.new_value;
    // The CRC over the changed data is the stored one by construction.
    record.computed_crc = record.stored_crc;
}

// For a damaged IHDR that no single byte mends: the width and height pairs.
static int32_t offer_dimensions(int32_t index, const RepairCandidate* shown, int32_t count, uint32_t* widths,
                                uint32_t* heights, CheckPace* pace)
{
    if (index != find_chunk("IHDR")) {
        return 0;
    }
    for (int32_t k = 0; k < count; k++) {
        if (shown[k].check == REPAIR_CHECK_PASSED) return 0;
    }
    int32_t pairs = find_ihdr_dimensions(widths, heights, REPAIR_PAIRS_SHOWN, pace);
    return pairs < REPAIR_PAIRS_SHOWN ? pairs : REPAIR_PAIRS_SHOWN;
}

static void apply_choice(ChunkRecord& record, const RepairOffer& offer, int32_t choice)
{
    if (choice >= 0 && choice < offer.count) {
        apply_candidate(record, offer.candidates[choice]);
    } else if (choice >= offer.count && choice < offer.count + offer.pairs) {
        write_u32(record.data, offer.widths[choice - offer.count]);
        write_u32(record.data + 4, offer.heights[choice - offer.count]);
        record.computed_crc = chunk_crc(record);
    } else if (choice == REPAIR_CHOICE_FORCE_CRC) {
        record.stored_crc = record.computed_crc;
    }
}

void conclude_repair(int32_t index, const RepairCandidate* shown, int32_t count, int32_t total,
                     const RepairPorts& ports)
{
    ChunkRecord& record = g_document.records[index];
    if (total == 1 && count == 1 && beyond_doubt(shown[0], record.length)) {
        ports.show_number(ports.context, IDC_REPAIR_POSITION, shown[0].position);
        apply_candidate(record, shown[0]);
        char text[REPAIR_TEXT_SIZE];
        found_box_text(shown[0], text, sizeof text);
        ports.info_box(ports.context, text, CAPTION_INFORMATION);
        return;
    }
    uint32_t widths[REPAIR_PAIRS_SHOWN], heights[REPAIR_PAIRS_SHOWN];
    CheckProgress progress = {&ports, 0, 0, 0};
    CheckPace pace = {serve_check, &progress, 0, 0, 0, PACE_NO_POSITION, 0};
    int32_t pairs = offer_dimensions(index, shown, count, widths, heights, &pace);
    if (pairs == IHDR_SEARCH_STOPPED) {
        return;  // cancelled: nothing changes
    }
    if (total == 0 && pairs == 0) {
        if (ports.ask_yes_no(ports.context, TEXT_NOT_REPAIRABLE, CAPTION_INFORMATION) == 1) {
            record.stored_crc = record.computed_crc;
        }
        return;
    }
    RepairOffer offer = {shown, count, total, widths, heights, pairs};
    apply_choice(record, offer, ports.choose_candidate(ports.context, offer));
}

void repair_chunk(int32_t index, const RepairPorts& ports)
{
    g_cancel = 0;
    if (!is_damaged(index)) {
        return;
    }
    // The document stays as it is while the search runs: the owner is disabled and
    // the main window ignores commands and dropped files while the busy flag is set.
    ChunkRecord& record = g_document.records[index];
    g_busy = 1;
    ports.enable_owner(ports.context, 0);
    ports.open_progress(ports.context);
    ports.show_number(ports.context, IDC_REPAIR_LENGTH, record.length);

    RepairCandidate shown[REPAIR_ROWS_SHOWN];
    int32_t total = search_all_positions(record, shown, REPAIR_ROWS_SHOWN, ports);
    if (total >= 0) {
        int32_t count = total < REPAIR_ROWS_SHOWN ? total : REPAIR_ROWS_SHOWN;
        CheckProgress progress = {&ports, 0, 0, 0};
        CheckPace pace = {serve_check, &progress, 0, 0, 0, 0, 0};
        if (check_repair_candidates(index, shown, count, &pace) == CHECKS_DONE) {
            conclude_repair(index, shown, count, total, ports);
        }
    }

    g_busy = 0;
    ports.enable_owner(ports.context, 1);
    ports.close_progress(ports.context);
}
