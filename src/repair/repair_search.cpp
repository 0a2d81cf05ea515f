#include "repair_search.h"

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "repair_texts.h"
#include "resource_ids.h"

int g_busy = 0;
int g_cancel = 0;

// The progress fields are written at most once per this many milliseconds.
static const uint32_t REFRESH_INTERVAL_MS = 1000;
// An estimate needs more positions than this since the previous refresh.
static const uint32_t ESTIMATE_MIN_POSITIONS = 10;

enum SearchEnd {
    SEARCH_FOUND,
    SEARCH_NOT_FOUND,
    SEARCH_CANCELLED,
};

struct SearchResult {
    int      end;       // SearchEnd
    uint32_t position;  // when found: the byte to change
    uint8_t  value;     // when found: its new value
};

// How a trial works out without feeding the tail again.
//
// The table is linear: T[a ^ b] = T[a] ^ T[b]. Replacing data byte i (value d) by
// d ^ e therefore changes the register right after byte i by exactly T[e], and every
// later byte carries a register difference D on through the zero-byte step
// Z(D) = T[D & 0xFF] ^ (D >> 8), whatever that byte is. A trial matches when the
// difference that reaches the end equals W = stored CRC ^ CRC of the data as it
// stands, that is when T[e] == V_i with V_i = Z^-(length - 1 - i)(W).
//
// Z can be undone: its top byte is the top byte of T[D & 0xFF], and the 256 table
// entries have 256 distinct top bytes. With top_inverse[T[k] >> 24] = k,
// Z^-1(Y) = ((Y ^ T[k]) << 8) | k where k = top_inverse[Y >> 24]. So V_0 costs
// length - 1 backward steps once, V_{i+1} = Z(V_i) one forward step, and at each
// position the only value that can match is e = top_inverse[V_i >> 24], checked
// against T[e] in one comparison: every trial of the exhaustive order (lowest
// position, then lowest value) is decided in constant time.

static uint32_t zero_step(uint32_t difference)
{
    return g_crc_table[difference & 0xFF] ^ (difference >> 8);
}

static uint32_t zero_step_back(uint32_t difference, const uint8_t* top_inverse)
{
    uint8_t low = top_inverse[difference >> 24];
    return ((difference ^ g_crc_table[low]) << 8) | low;
}

static void build_top_inverse(uint8_t* top_inverse)
{
    for (uint32_t k = 0; k < 256; k++) {
        top_inverse[g_crc_table[k] >> 24] = (uint8_t)k;
    }
}

struct Refresh {
    uint32_t time;      // clock at the previous refresh
    uint32_t position;  // position at the previous refresh
};

// Writes the position and the estimate when more than a second has passed since the
// previous refresh. Clock readings wrap, so the difference is taken modulo 2^32.
static void refresh_progress(Refresh& last, uint32_t position, uint32_t length, const RepairPorts& ports)
{
    if ((uint32_t)(ports.read_clock() - last.time) <= REFRESH_INTERVAL_MS) {
        return;
    }
    ports.show_number(IDC_REPAIR_POSITION, position);
    uint32_t done = position - last.position;
    if (done > ESTIMATE_MIN_POSITIONS) {
        ports.show_number(IDC_REPAIR_ESTIMATE, (length - position) / done);
    } else {
        ports.show_text(IDC_REPAIR_ESTIMATE, TEXT_NO_ESTIMATE);
    }
    last.position = position;
    last.time = ports.read_clock();
}

// Walks the positions in order. After every position without a match the progress
// may be refreshed, one pending event is served and the cancel flag is tested, the
// same number of times and in the same order as an exhaustive search would.
static SearchResult search_single_byte(const ChunkRecord& record, const RepairPorts& ports)
{
    uint8_t top_inverse[256];
    build_top_inverse(top_inverse);
    // Against the data as it stands, as the trials are.
    uint32_t difference = record.stored_crc ^ chunk_crc(record);
    for (uint32_t k = 1; k < record.length; k++) {
        difference = zero_step_back(difference, top_inverse);
    }
    Refresh last = {0, 0};
    for (uint32_t i = 0; i < record.length; i++) {
        uint8_t change = top_inverse[difference >> 24];
        if (g_crc_table[change] == difference) {
            return {SEARCH_FOUND, i, (uint8_t)(record.data[i] ^ change)};
        }
        refresh_progress(last, i, record.length, ports);
        ports.pump_one_event();
        if (g_cancel) {
            return {SEARCH_CANCELLED, 0, 0};
        }
        difference = zero_step(difference);
    }
    return {SEARCH_NOT_FOUND, 0, 0};
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
    ports.enable_owner(ports.owner, 0);
    ports.open_progress(ports.owner);
    ports.show_number(IDC_REPAIR_LENGTH, record.length);

    SearchResult result = search_single_byte(record, ports);
    if (result.end == SEARCH_FOUND) {
        ports.show_number(IDC_REPAIR_POSITION, result.position);
        record.data[result.position] = result.value;
        // The CRC over the changed data is the stored one by construction.
        record.computed_crc = record.stored_crc;
        ports.info_box(ports.owner, TEXT_REPAIRED, CAPTION_INFORMATION);
    } else if (result.end == SEARCH_NOT_FOUND) {
        if (ports.ask_yes_no(ports.owner, TEXT_NOT_REPAIRABLE, CAPTION_INFORMATION) == 1) {
            record.stored_crc = record.computed_crc;
        }
    }

    g_busy = 0;
    ports.enable_owner(ports.owner, 1);
    ports.close_progress();
}
