// The single-byte repair search: finds every data byte whose replacement makes the
// computed CRC equal to the stored one, checks each such change against the
// chunk's own structure, and changes the chunk only when the change is beyond
// doubt or the user chose it. It reaches the window system only through RepairPorts.
#pragma once
#include <stdint.h>

// How a candidate fared against the structure its chunk type prescribes.
enum RepairCheck {
    REPAIR_CHECK_NONE    = 0,  // the chunk type (or the damage around it) offers no check
    REPAIR_CHECK_PASSED  = 1,
    REPAIR_CHECK_PARTIAL = 2,  // followed cleanly up to another damaged chunk, no further
    REPAIR_CHECK_FAILED  = 3,
};

// One single-byte change that makes the CRC match.
struct RepairCandidate {
    uint32_t position;   // data byte, counted from 0
    uint8_t  old_value;  // the byte as it stands
    uint8_t  new_value;
    int32_t  check;      // RepairCheck
};

// What the user answered in the candidate dialog: an index into the rows shown
// (candidates first, then the IHDR dimension pairs), or one of these.
enum RepairChoice {
    REPAIR_CHOICE_LEAVE     = -1,  // change nothing
    REPAIR_CHOICE_FORCE_CRC = -2,  // make the stored CRC the computed one
};

// What the candidate dialog offers: at most REPAIR_ROWS_SHOWN candidates of
// `total`, and for a damaged IHDR the width and height pairs that explain its CRC.
struct RepairOffer {
    const RepairCandidate* candidates;
    int32_t                count;    // candidates shown
    int32_t                total;    // candidates found
    const uint32_t*        widths;
    const uint32_t*        heights;
    int32_t                pairs;
};

const int32_t REPAIR_ROWS_SHOWN = 300;
const int32_t REPAIR_PAIRS_SHOWN = 64;

struct RepairPorts {
    void*    owner;
    void     (*enable_owner)(void* owner, int enabled);
    void     (*open_progress)(void* owner);
    void     (*show_number)(int field, uint32_t value);       // unsigned decimal
    void     (*show_text)(int field, const char* text);
    uint32_t (*read_clock)();                                  // milliseconds, wraps
    void     (*pump_one_event)();
    void     (*info_box)(void* owner, const char* text, const char* caption);
    int      (*ask_yes_no)(void* owner, const char* text, const char* caption);   // 1 = Yes
    void     (*close_progress)();
    // Modal, owned by `owner`, shown while the progress window is still open;
    // answers a row index or a RepairChoice.
    int32_t  (*choose_candidate)(void* owner, const RepairOffer& offer);
};

extern int g_busy;      // 1 while a search runs
extern int g_cancel;    // set by the progress window's Cancel button

void repair_chunk(int32_t index, const RepairPorts& ports);

// Every single-byte change of chunk `index` that makes its CRC match, lowest
// position first, each checked. Writes at most `capacity` and returns how many
// exist; 0 for an intact chunk or a bad index. Changes nothing, calls no port.
int32_t find_repair_candidates(int32_t index, RepairCandidate* out, int32_t capacity);

// The ending of a search that walked every position of chunk `index` and found
// `offer.total` candidates, the first `offer.count` of them checked: repairs when
// one candidate is beyond doubt, else offers the candidates, else asks whether to
// force the CRC. The search calls it; a reference search in the tests may too.
void conclude_repair(int32_t index, const RepairCandidate* shown, int32_t count, int32_t total,
                     const RepairPorts& ports);
