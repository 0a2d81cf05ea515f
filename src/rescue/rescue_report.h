// What the front ends show of a rescue beyond each finding's own words: which
// findings the user may decide, what the acceptance as it stands leaves lost, and
// the findings that touched each chunk of the adopted document, for the
// inspector. No Windows header.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "present/text_out.h"
#include "rescue.h"
#include "rescue_text.h"

// 1 when the user may accept or refuse the finding: a probable one, or a salvage
// with a proposal of its own (a completed image data stream, which the user may
// keep cut instead).
int rescue_finding_choosable(const RescueFinding& finding);
// Sets the acceptance of finding `index` when it is choosable; returns 1 if it was.
// Accepting a proposal that replaces a chunk refuses the other such proposals for
// that chunk.
int choose_rescue_finding(RescueResult* result, int32_t index, int32_t accept);

// What apply_rescue would lose as the acceptance stands, one sentence a line
// (lines ended by '\n', the last one too), cut to fit `size` bytes.
void rescue_loss_text(const RescueResult& result, int32_t language, char* out, size_t size);

// A finding that touched a chunk, kept with the chunk as the final list has it
// (type, length and both CRCs): a later edit that changes the chunk leaves the
// note behind, a move or an undo does not.
struct RescueNote {
    uint8_t       type[4];
    uint32_t      length;
    uint32_t      stored_crc;
    uint32_t      computed_crc;
    RescueFinding finding;   // without its replacement
};

struct RescueNotes {
    RescueNote* notes;
    int32_t     count;
};

// The notes of the document the rescue put in place, as g_trailing holds the
// facts of the file loaded: set by keep_rescue_notes, gone at the next load.
extern RescueNotes g_rescue_notes;

// Replaces g_rescue_notes by the notes of every finding about a chunk that the
// final chunk list keeps; 0 (no notes) when memory runs out.
int  keep_rescue_notes(const RescueResult& result);
void forget_rescue_notes();
// One line for each note about `record`, in UTF-8, Japanese.
void describe_rescue_notes(TextBuilder* out, const ChunkRecord& record);
