// Animation (acTL, fcTL, fdAT) and iDOT: the sequence numbers run from 0 without
// a gap over fcTL and fdAT, each frame lies inside the image and has its data,
// the frame count is what acTL says, and iDOT's offsets point at IDAT chunks.
// acTL and fcTL are read through the field model.
#include "check_image.h"
#include "document/byte_order.h"
#include "document/chunk_file.h"
#include "fields/field_model.h"

namespace {

struct AnimationWalk {
    ImageFacts facts;
    int32_t  first_idat;
    uint32_t next_sequence;
    uint32_t frames;        // fcTL chunks seen
    int32_t  frame;         // the last fcTL, or -1
    uint32_t frame_pieces;  // fdAT chunks since it
    int      frame_read;    // 1 when the model read the last fcTL's fields
    FctlFields control;     // its fields
    StreamBudget* budget;
};

int is_type(int32_t i, const char* name)
{
    return type_word(g_document.records[i].type) == type_word(name);
}

void check_sequence(AnimationWalk& walk, int32_t i, uint32_t sequence, FindingList* out)
{
    const ChunkRecord& record = g_document.records[i];
    if (sequence != walk.next_sequence) add_finding(out, RULE_SEQUENCE, i, record.type, sequence, walk.next_sequence);
    walk.next_sequence = sequence + 1;
}

// Region, first frame, dispose and blend of the fcTL at `i`.
void check_frame_control(const AnimationWalk& walk, int32_t i, FindingList* out)
{
    const ChunkRecord& record = g_document.records[i];
    const FctlFields& f = walk.control;
    uint64_t width = f.width, height = f.height, x = f.x, y = f.y;
    if (width == 0 || height == 0) add_finding(out, RULE_FRAME_EMPTY, i, record.type);
    if (walk.facts.known && (x + width > walk.facts.width || y + height > walk.facts.height)) {
        uint32_t right = x + width > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)(x + width);
        uint32_t bottom = y + height > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)(y + height);
        add_finding(out, RULE_FRAME_OUTSIDE, i, record.type, right, bottom);
    }
    int before_idat = walk.first_idat < 0 || i < walk.first_idat;
    if (walk.facts.known && before_idat &&
        (x != 0 || y != 0 || width != walk.facts.width || height != walk.facts.height)) {
        add_finding(out, RULE_FIRST_FRAME, i, record.type);
    }
    if (f.dispose > 2) add_finding(out, RULE_DISPOSE, i, record.type, f.dispose);
    if (f.blend > 1) add_finding(out, RULE_BLEND, i, record.type, f.blend);
}

// The frame begun at fcTL `frame` and ended at `end`: its fdAT data (after the
// sequence numbers) is one zlib stream of the frame's rows.
void check_frame_data(const AnimationWalk& walk, int32_t frame, int32_t end, uint32_t pieces, FindingList* out)
{
    if (frame < 0 || (walk.first_idat >= 0 && frame < walk.first_idat)) return;   // the IDAT is its data
    const ChunkRecord& control = g_document.records[frame];
    if (pieces == 0) {
        add_finding(out, RULE_FRAME_WITHOUT_DATA, frame, control.type);
        return;
    }
    int32_t first = frame + 1;
    while (first < end && !is_type(first, "fdAT")) first++;
    StreamPieces stream = {first, end, type_word("fdAT"), 4};
    StreamRows rows = walk.facts.valid && walk.frame_read ? ROWS_OF_IMAGE : ROWS_UNKNOWN;
    check_stream(stream, rows, walk.control.width, walk.control.height, walk.budget, out);
}

void end_frame(AnimationWalk& walk, int32_t end, FindingList* out)
{
    check_frame_data(walk, walk.frame, end, walk.frame_pieces, out);
    walk.frame = -1;
    walk.frame_pieces = 0;
}

// One fcTL or fdAT of the walk.
void walk_chunk(AnimationWalk& walk, int32_t i, FindingList* out)
{
    const ChunkRecord& record = g_document.records[i];
    if (is_type(i, "fcTL")) {
        end_frame(walk, i, out);
        walk.frames++;
        walk.frame = i;
        int result = parse_fctl(record.data, record.length, &walk.control);
        walk.frame_read = field_layout_read(result);
        if (!walk.frame_read) {
            add_finding(out, RULE_FIELD_LAYOUT, i, record.type, (uint32_t)result, record.length);
            return;
        }
        check_sequence(walk, i, walk.control.sequence, out);
        check_frame_control(walk, i, out);
        return;
    }
    if (record.length < 4) {
        add_finding(out, RULE_FIELD_LENGTH, i, record.type, record.length);
        return;
    }
    check_sequence(walk, i, read_u32(record.data), out);   // fdAT: the model has no type for it
    if (walk.frame < 0 && walk.frame_pieces == 0) add_finding(out, RULE_FDAT_WITHOUT_FCTL, i, record.type);
    walk.frame_pieces++;
}

void check_frame_count(int32_t actl, uint32_t frames, FindingList* out)
{
    const ChunkRecord& record = g_document.records[actl];
    ActlFields fields;
    int result = parse_actl(record.data, record.length, &fields);
    if (!field_layout_read(result)) {
        add_finding(out, RULE_FIELD_LAYOUT, actl, record.type, (uint32_t)result, record.length);
        return;
    }
    uint32_t declared = fields.frames;
    if (declared == 0) add_finding(out, RULE_NO_FRAMES, actl, record.type);
    else if (declared != frames) add_finding(out, RULE_FRAME_COUNT, actl, record.type, declared, frames);
}

// Whether `offset`, counted from the start of chunk `from` in the file as saving
// writes it, is where an IDAT chunk starts.
int idat_starts_at(int32_t from, uint32_t offset)
{
    uint64_t position = 0;
    int32_t i = from;
    while (i < g_document.count && position < offset) position += 12 + (uint64_t)g_document.records[i++].length;
    return position == offset && i < g_document.count && is_type(i, "IDAT");
}

// iDOT: seven words (segments, reserved, rows of a segment, offset of the first
// half's IDAT, rows of the first and second half, offset of the second half's).
void check_idot(FindingList* out)
{
    for (int32_t i = 0; i < g_document.count; i++) {
        if (!is_type(i, "iDOT")) continue;
        const ChunkRecord& record = g_document.records[i];
        if (record.length != 28) {
            add_finding(out, RULE_FIELD_LENGTH, i, record.type, record.length);
            continue;
        }
        static const uint32_t OFFSETS[] = {12, 24};
        for (uint32_t at : OFFSETS) {
            uint32_t offset = read_u32(record.data + at);
            if (!idat_starts_at(i, offset)) add_finding(out, RULE_IDOT_OFFSET, i, record.type, offset);
        }
        uint64_t rows = (uint64_t)read_u32(record.data + 16) + read_u32(record.data + 20);
        ImageFacts facts = image_facts();
        if (facts.known && rows != facts.height) {
            add_finding(out, RULE_IDOT_ROWS, i, record.type, rows > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)rows,
                        facts.height);
        }
    }
}

}  // namespace

void check_animation(FindingList* out, StreamBudget* budget)
{
    AnimationWalk walk = AnimationWalk();
    walk.facts = image_facts();
    walk.first_idat = -1;
    walk.frame = -1;
    walk.budget = budget;
    int32_t actl = -1, first_frame_chunk = -1;
    for (int32_t i = 0; i < g_document.count && walk.first_idat < 0; i++) {
        if (is_type(i, "IDAT")) walk.first_idat = i;
    }
    for (int32_t i = 0; i < g_document.count; i++) {
        if (is_type(i, "acTL") && actl < 0) actl = i;
        if (!is_type(i, "fcTL") && !is_type(i, "fdAT")) continue;
        if (first_frame_chunk < 0) first_frame_chunk = i;
        walk_chunk(walk, i, out);
    }
    end_frame(walk, g_document.count, out);
    if (actl >= 0) check_frame_count(actl, walk.frames, out);
    if (actl < 0 && first_frame_chunk >= 0) {
        add_finding(out, RULE_ANIMATION_WITHOUT_ACTL, first_frame_chunk, g_document.records[first_frame_chunk].type);
    }
    check_idot(out);
}
