// The choices, the losses and the chunks' notes of a rescue result.
#include "rescue_report.h"

#include <stdio.h>
#include <string.h>

#include "document/memory.h"
#include "present/code_page.h"
#include "rescue_result.h"
#include "rescue_text.h"
#include "rescue_texts.h"

RescueNotes g_rescue_notes;

int rescue_finding_choosable(const RescueFinding& finding)
{
    return finding.certainty == RESCUE_PROBABLE || (finding.certainty == RESCUE_NONE && finding.has_replacement);
}

// Accepting one proposal for a chunk refuses the other proposals that replace
// the same chunk: only one version of it can be written.
int choose_rescue_finding(RescueResult* result, int32_t index, int32_t accept)
{
    if (index < 0 || index >= result->finding_count || !rescue_finding_choosable(result->findings[index])) return 0;
    RescueFinding& chosen = result->findings[index];
    chosen.accept = accept == RESCUE_ACCEPTED ? RESCUE_ACCEPTED : RESCUE_REFUSED;
    if (chosen.accept != RESCUE_ACCEPTED || !chosen.has_replacement || chosen.chunk < 0) return 1;
    for (int32_t i = 0; i < result->finding_count; i++) {
        RescueFinding& other = result->findings[i];
        if (i != index && other.chunk == chosen.chunk && other.has_replacement && rescue_finding_choosable(other)) {
            other.accept = RESCUE_REFUSED;
        }
    }
    return 1;
}

// What the losses add up to; each member is one line of the text when not zero.
struct Losses {
    uint32_t region_bytes;
    uint32_t cut_chunks;
    uint32_t rows_missing, rows_kept, rows_all, stream_kept_cut;
    uint32_t damaged;
    uint32_t trailing;
    uint32_t other;
};

enum ChunkMarks {
    CHUNK_FAULTY = 1,  // a finding says its bytes are wrong
    CHUNK_MENDED = 2,  // an accepted proposal other than a forced CRC replaces it
};

// The chunks written with a fault in them: damaged beyond explanation, left as
// converted, or with their proposals refused (a forced CRC hides the fault only).
static uint32_t damaged_chunks(const RescueResult& result)
{
    uint8_t* marks = (uint8_t*)zero_alloc(result.chunk_count > 0 ? (size_t)result.chunk_count : 1);
    if (!marks) return 0;
    for (int32_t i = 0; i < result.finding_count; i++) {
        const RescueFinding& finding = result.findings[i];
        if (finding.chunk < 0 || finding.chunk >= result.chunk_count) continue;
        if (finding.kind == RESCUE_DAMAGED_CHUNK || finding.kind == RESCUE_CHUNK_NOT_RESTORED ||
            finding.certainty == RESCUE_PROBABLE) {
            marks[finding.chunk] |= CHUNK_FAULTY;
        }
        if (finding.accept == RESCUE_ACCEPTED && finding.has_replacement && finding.kind != RESCUE_FORCED_CRC) {
            marks[finding.chunk] |= CHUNK_MENDED;
        }
    }
    uint32_t count = 0;
    for (int32_t i = 0; i < result.chunk_count; i++) count += marks[i] == CHUNK_FAULTY;
    zero_free(marks);
    return count;
}

static void count_loss(const RescueFinding& finding, Losses* losses)
{
    const uint32_t* d = finding.detail;
    switch (finding.kind) {
    case RESCUE_LOST_REGION: losses->region_bytes += d[0]; return;
    case RESCUE_CUT_CHUNK: losses->cut_chunks += finding.chunk < 0; return;   // image data is kept
    case RESCUE_TRAILING: losses->trailing += d[0]; return;
    case RESCUE_STREAM_COMPLETED:
        losses->rows_kept = d[0];
        losses->rows_all = d[1];
        losses->rows_missing = d[1] > d[0] ? d[1] - d[0] : 0;
        losses->stream_kept_cut = finding.accept != RESCUE_ACCEPTED;
        return;
    case RESCUE_SEVEN_BIT:
    case RESCUE_NOT_PNG:
    case RESCUE_STREAM_UNREADABLE:
    case RESCUE_BOUND_HIT:
    case RESCUE_CANCELLED: losses->other++; return;
    default: return;
    }
}

// Appends one line of `format` with up to two numbers, cut to fit `size` with its
// line end.
static void add_line(char* out, size_t size, const char* format, uint32_t a, uint32_t b = 0)
{
    size_t used = strlen(out);
    if (used + 2 >= size) return;
    snprintf(out + used, size - used - 1, format, a, b);
    used = strlen(out);
    out[used] = '\n';
    out[used + 1] = 0;
}

void rescue_loss_text(const RescueResult& result, int32_t language, char* out, size_t size)
{
    if (size == 0) return;
    out[0] = 0;
    Losses losses = {};
    for (int32_t i = 0; i < result.finding_count; i++) count_loss(result.findings[i], &losses);
    losses.damaged = damaged_chunks(result);
    int en = language == RESCUE_ENGLISH;
    if (losses.region_bytes) add_line(out, size, en ? LOSS_REGION_EN : LOSS_REGION_JA, losses.region_bytes);
    if (losses.cut_chunks) add_line(out, size, en ? LOSS_CUT_CHUNK_EN : LOSS_CUT_CHUNK_JA, losses.cut_chunks);
    if (losses.rows_all && losses.stream_kept_cut) {
        add_line(out, size, en ? LOSS_STREAM_CUT_EN : LOSS_STREAM_CUT_JA, losses.rows_kept, losses.rows_all);
    } else if (losses.rows_missing) {
        add_line(out, size, en ? LOSS_ROWS_FILLED_EN : LOSS_ROWS_FILLED_JA, losses.rows_missing, losses.rows_all);
    }
    if (losses.damaged) add_line(out, size, en ? LOSS_DAMAGED_EN : LOSS_DAMAGED_JA, losses.damaged);
    if (losses.trailing) add_line(out, size, en ? LOSS_TRAILING_EN : LOSS_TRAILING_JA, losses.trailing);
    if (losses.other) add_line(out, size, en ? LOSS_OTHER_EN : LOSS_OTHER_JA, losses.other);
    if (!out[0]) add_line(out, size, en ? LOSS_NOTHING_EN : LOSS_NOTHING_JA, 0);
}

// The version of chunk `index` the final list holds: the first accepted
// replacement of it, else the chunk as found; null when an accepted finding drops it.
static const ChunkRecord* final_version(const RescueResult& result, int32_t index)
{
    int32_t dropper = result.info[index].dropped_by;
    if (dropper >= 0 && result.findings[dropper].accept == RESCUE_ACCEPTED) return nullptr;
    for (int32_t i = 0; i < result.finding_count; i++) {
        const RescueFinding& other = result.findings[i];
        if (other.chunk == index && other.has_replacement && other.accept == RESCUE_ACCEPTED) return &other.replacement;
    }
    return &result.chunks[index];
}

void forget_rescue_notes()
{
    zero_free(g_rescue_notes.notes);
    g_rescue_notes = RescueNotes{nullptr, 0};
}

int keep_rescue_notes(const RescueResult& result)
{
    forget_rescue_notes();
    RescueNote* notes = (RescueNote*)zero_alloc((size_t)(result.finding_count + 1) * sizeof(RescueNote));
    if (!notes) return 0;
    int32_t count = 0;
    for (int32_t i = 0; i < result.finding_count; i++) {
        const RescueFinding& finding = result.findings[i];
        if (finding.chunk < 0 || finding.chunk >= result.chunk_count) continue;
        const ChunkRecord* version = final_version(result, finding.chunk);
        if (!version) continue;
        RescueNote& note = notes[count++];
        memcpy(note.type, version->type, 4);
        note.length = version->length;
        note.stored_crc = version->stored_crc;
        note.computed_crc = version->computed_crc;
        note.finding = finding;
        note.finding.has_replacement = 0;
        note.finding.replacement = ChunkRecord();
    }
    g_rescue_notes = RescueNotes{notes, count};
    return 1;
}

static int note_is_about(const RescueNote& note, const ChunkRecord& record)
{
    return memcmp(note.type, record.type, 4) == 0 && note.length == record.length &&
           note.stored_crc == record.stored_crc && note.computed_crc == record.computed_crc;
}

// Whether the proposal went into the document; nothing for a mere report.
static const char* note_state(const RescueFinding& finding)
{
    if (rescue_finding_choosable(finding)) return finding.accept == RESCUE_ACCEPTED ? NOTE_APPLIED_JA : NOTE_REFUSED_JA;
    return finding.certainty == RESCUE_BEYOND_DOUBT ? NOTE_APPLIED_JA : "";
}

void describe_rescue_notes(TextBuilder* out, const ChunkRecord& record)
{
    for (int32_t i = 0; i < g_rescue_notes.count; i++) {
        const RescueNote& note = g_rescue_notes.notes[i];
        if (!note_is_about(note, record)) continue;
        char found[256], proposal[256], line[640];
        rescue_finding_text(note.finding, RESCUE_JAPANESE, RESCUE_TEXT_FOUND, found, sizeof found);
        rescue_finding_text(note.finding, RESCUE_JAPANESE, RESCUE_TEXT_PROPOSAL, proposal, sizeof proposal);
        snprintf(line, sizeof line, NOTE_LINE_JA, found, proposal,
                 rescue_certainty_name(note.finding.certainty, RESCUE_JAPANESE), note_state(note.finding));
        add_cp932(out, (const uint8_t*)line, strlen(line));
    }
}
