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

// What the search needs from its surroundings. Every member is handed `context`
// first: the window half's state of this search (its owner, its progress window),
// or a test's record, so that neither side keeps it in statics.
struct RepairPorts {
    void*    context;
    void     (*enable_owner)(void* context, int enabled);
    void     (*open_progress)(void* context);
    void     (*show_number)(void* context, int field, uint32_t value);  // unsigned decimal
    void     (*show_text)(void* context, int field, const char* text);
    uint32_t (*read_clock)(void* context);                              // milliseconds, wraps
    void     (*pump_one_event)(void* context);
    void     (*info_box)(void* context, const char* text, const char* caption);
    int      (*ask_yes_no)(void* context, const char* text, const char* caption);  // 1 = Yes
    void     (*close_progress)(void* context);
    // Modal, owned by the owner, shown while the progress window is still open;
    // answers a row index or a RepairChoice.
    int32_t  (*choose_candidate)(void* context, const RepairOffer& offer);
};

extern int g_busy;      // 1 while a search runs
extern int g_cancel;    // set by the progress window's Cancel button

// Repairs chunk `index` through `ports`. The checks after the search (each
// candidate's stream followed to its end, the search for lost IHDR dimensions)
// serve events and test Cancel as the search does, once they have run long
// enough (see PACE_STREAM_BYTES): Cancel during them ends the repair as Cancel
// during the search does, with nothing changed and no message.
void repair_chunk(int32_t index, const RepairPorts& ports);

// Every single-byte change of chunk `index` that makes its CRC match, lowest
// position first, each checked. Writes at most `capacity` and returns how many
// exist; 0 for an intact chunk or a bad index. Changes nothing, calls no port.
int32_t find_repair_candidates(int32_t index, RepairCandidate* out, int32_t capacity);

// The ending of a search that walked every position of chunk `index` and found
// `offer.total` candidates, the first `offer.count` of them checked: repairs when
// one candidate is beyond doubt, else offers the candidates, else asks whether to
// force the CRC. The search calls it; a reference search in the tests may too.
// Cancel during its search for IHDR dimensions ends it with nothing changed.
void conclude_repair(int32_t index, const RepairCandidate* shown, int32_t count, int32_t total,
                     const RepairPorts& ports);
