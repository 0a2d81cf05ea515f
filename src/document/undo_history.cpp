#include "undo_history.h"

#include <string.h>

#include <algorithm>

#include "chunk_file.h"
#include "memory.h"

namespace {

struct Version {
    ChunkRecord record;   // data owned by the pool
    int32_t     users;    // states that hold this version; 0: the slot is free
};

struct State {
    int32_t* ids;
    int32_t  count;
    StepKind kind;   // the step that led here (unused for the oldest state)
};

// Which version a record of the document is, found by its data block, and the
// row the record stood at when the lookup was made.
struct BlockVersion {
    uintptr_t block;
    int32_t   id;
    int32_t   row;
};

bool earlier_block(const BlockVersion& a, const BlockVersion& b)
{
    return a.block < b.block;
}

// Memory kept from one use to the next, so that the large arrays of an undo are
// not mapped afresh each time: where the heap hands large blocks back to the
// system at once (Wine's does), touching them again costs more than the undo
// itself. Its contents do not last from one use to the next.
struct Scratch {
    void*  data;
    size_t room;
};

void* scratch(Scratch* memory, size_t bytes)
{
    if (bytes > memory->room || !memory->data) {
        zero_free(memory->data);
        memory->data = zero_alloc(bytes);
        memory->room = memory->data ? bytes : 0;
    }
    return memory->data;
}

void drop_scratch(Scratch* memory)
{
    zero_free(memory->data);
    *memory = Scratch{};
}

struct History {
    Version*      versions;
    int32_t       version_room;
    int32_t*      free_ids;       // room for version_room ids
    int32_t       free_count;
    int32_t       version_count;  // slots used so far, free ones included
    State*        states;
    int32_t       state_count;
    int32_t       state_room;
    int32_t       position;       // the state the document is at
    int32_t       saved;          // the state last loaded or saved; -1 when gone
    BlockVersion* blocks;         // the document's data blocks at `position`, by row
    BlockVersion* sorted;         // the same sorted by block, made when first asked for
    int32_t       block_count;
    Scratch       block_memory;   // holds `blocks`
    Scratch       sorted_memory;  // holds `sorted`
    Scratch       holder_memory;  // records_by_version's answer
    Scratch       fresh_memory;   // restore_state's list of copied records
    Scratch       spare_records;  // the document's record array before the last undo or redo
    StepKind      kind;           // of the step begun last
    size_t        bytes;
    size_t        limit;
};

History s_history = {};

const size_t VERSION_COST = sizeof(Version) + sizeof(int32_t);

// Grows an array of `room` items of `size` bytes to at least `needed` items.
int grow(void** array, int32_t* room, int32_t needed, size_t size)
{
    if (needed <= *room) {
        return 1;
    }
    int32_t new_room = std::max(needed, *room < 1024 ? 1024 : *room + *room / 2);
    void* grown = zero_alloc((size_t)new_room * size);
    if (!grown) {
        return 0;
    }
    if (*array) {
        memcpy(grown, *array, (size_t)*room * size);
    }
    zero_free(*array);
    *array = grown;
    *room = new_room;
    return 1;
}

void release_version(int32_t id)
{
    Version& version = s_history.versions[id];
    if (--version.users > 0) {
        return;
    }
    s_history.bytes -= version.record.length + VERSION_COST;
    zero_free(version.record.data);
    version = Version{};
    s_history.free_ids[s_history.free_count++] = id;
}

// A new version holding a copy of `record`, used once; -1 without memory.
int32_t add_version(const ChunkRecord& record)
{
    History& h = s_history;
    if (h.free_count == 0) {
        int32_t room = h.version_room;
        if (!grow((void**)&h.versions, &room, h.version_count + 1, sizeof(Version)) ||
            !grow((void**)&h.free_ids, &h.version_room, room, sizeof(int32_t))) {
            return -1;
        }
        h.free_ids[h.free_count++] = h.version_count++;
    }
    uint8_t* data = (uint8_t*)zero_alloc(record.length);
    if (!data) {
        return -1;
    }
    int32_t id = h.free_ids[--h.free_count];
    memcpy(data, record.data, record.length);
    h.versions[id].record = record;
    h.versions[id].record.data = data;
    h.versions[id].users = 1;
    h.bytes += record.length + VERSION_COST;
    return id;
}

void release_state(State& state)
{
    for (int32_t i = 0; i < state.count; i++) {
        release_version(state.ids[i]);
    }
    zero_free(state.ids);
    s_history.bytes -= (size_t)state.count * sizeof(int32_t);
    state = State{};
}

int same_version(const ChunkRecord& record, const ChunkRecord& version)
{
    return record.length == version.length && memcmp(record.type, version.type, 4) == 0 &&
           record.stored_crc == version.stored_crc && record.computed_crc == version.computed_crc &&
           (record.length == 0 || memcmp(record.data, version.data, record.length) == 0);
}

// The blocks sorted for the lookup; null without memory (every record is then new).
const BlockVersion* sorted_blocks()
{
    History& h = s_history;
    if (!h.sorted && h.block_count > 0) {
        h.sorted = (BlockVersion*)scratch(&h.sorted_memory, (size_t)h.block_count * sizeof(BlockVersion));
        if (h.sorted) {
            memcpy(h.sorted, h.blocks, (size_t)h.block_count * sizeof(BlockVersion));
            std::sort(h.sorted, h.sorted + h.block_count, earlier_block);
        }
    }
    return h.sorted;
}

// The version record `i` of the document still is, or -1. An edit leaves long
// runs of records in their order, each run shifted by a few rows: so the row
// `*shift` above is tried first, and only a record not found there is looked up
// by its data block, which then sets the shift for the records after it. A
// lookup on every record would cost a sort and a binary search each time.
int32_t known_version(int32_t i, int32_t* shift)
{
    const History& h = s_history;
    const ChunkRecord& record = g_document.records[i];
    int32_t j = i - *shift;
    if (j >= 0 && j < h.block_count && h.blocks[j].block == (uintptr_t)record.data) {
        return same_version(record, h.versions[h.blocks[j].id].record) ? h.blocks[j].id : -1;
    }
    const BlockVersion* begin = sorted_blocks();
    const BlockVersion* end = begin ? begin + h.block_count : begin;
    BlockVersion key = {(uintptr_t)record.data, 0, 0};
    const BlockVersion* found = begin ? std::lower_bound(begin, end, key, earlier_block) : end;
    if (found == end || found->block != (uintptr_t)record.data || !same_version(record, h.versions[found->id].record)) {
        return -1;
    }
    *shift = i - found->row;
    return found->id;
}

// The document as a state: known versions shared, new ones added. 0 without memory
// (and nothing kept).
int state_of_document(State* state, StepKind kind)
{
    *state = State{nullptr, 0, kind};
    state->ids = (int32_t*)zero_alloc((size_t)g_document.count * sizeof(int32_t));
    if (!state->ids) {
        return 0;
    }
    s_history.bytes += (size_t)g_document.count * sizeof(int32_t);
    int32_t shift = 0;
    for (int32_t i = 0; i < g_document.count; i++) {
        int32_t id = known_version(i, &shift);
        if (id >= 0) {
            s_history.versions[id].users++;
        } else if ((id = add_version(g_document.records[i])) < 0) {
            release_state(*state);
            return 0;
        }
        state->ids[state->count++] = id;
    }
    return 1;
}

// The lookup from the document's data blocks to the versions of `state`, by row.
int map_blocks(const State& state)
{
    History& h = s_history;
    BlockVersion* blocks = (BlockVersion*)scratch(&h.block_memory, (size_t)state.count * sizeof(BlockVersion));
    if (!blocks) {
        return 0;
    }
    for (int32_t i = 0; i < state.count; i++) {
        blocks[i] = BlockVersion{(uintptr_t)g_document.records[i].data, state.ids[i], i};
    }
    h.blocks = blocks;
    h.sorted = nullptr;
    h.block_count = state.count;
    return 1;
}

void follow_saved_state()
{
    g_document.changed = g_document.loaded && s_history.position != s_history.saved;
}

// The oldest states go while the history is over its bound; the current one stays.
void keep_within_limit()
{
    History& h = s_history;
    size_t limit = h.limit ? h.limit : UNDO_MEMORY_LIMIT;
    int32_t drop = 0;
    while (drop < h.position && h.bytes > limit) {
        release_state(h.states[drop++]);
    }
    if (drop == 0) {
        return;
    }
    memmove(h.states, h.states + drop, (size_t)(h.state_count - drop) * sizeof(State));
    h.state_count -= drop;
    h.position -= drop;
    h.saved = h.saved >= drop ? h.saved - drop : -1;
}

void drop_redo_states()
{
    History& h = s_history;
    while (h.state_count > h.position + 1) {
        release_state(h.states[--h.state_count]);
    }
    if (h.saved > h.position) {
        h.saved = -1;
    }
}

// 1 when the two states hold the same versions in the same order.
int same_state(const State& a, const State& b)
{
    return a.count == b.count && memcmp(a.ids, b.ids, (size_t)a.count * sizeof(int32_t)) == 0;
}

// A repair whose one changed chunk kept its data and only took a new stored CRC.
StepKind refined_kind(StepKind kind, const State& before, const State& after)
{
    if (kind != STEP_REPAIR || before.count != after.count) {
        return kind;
    }
    int32_t changed = -1;
    for (int32_t i = 0; i < after.count; i++) {
        if (before.ids[i] != after.ids[i]) {
            if (changed >= 0) {
                return kind;
            }
            changed = i;
        }
    }
    if (changed < 0) {
        return kind;
    }
    const ChunkRecord& a = s_history.versions[before.ids[changed]].record;
    const ChunkRecord& b = s_history.versions[after.ids[changed]].record;
    return a.computed_crc == b.computed_crc && a.length == b.length && memcmp(a.data, b.data, a.length) == 0
               ? STEP_FORCE_CRC
               : kind;
}

void forget_blocks()
{
    s_history.blocks = nullptr;   // without the lookup the next step copies every chunk again
    s_history.sorted = nullptr;
    s_history.block_count = 0;
}

// For every version, the record of the document that is it now (or -1): those
// records keep their data when the document moves to another state. Null without
// memory; the history keeps the array.
int32_t* records_by_version()
{
    int32_t* holder = (int32_t*)scratch(&s_history.holder_memory, (size_t)s_history.version_count * sizeof(int32_t));
    for (int32_t id = 0; holder && id < s_history.version_count; id++) {
        holder[id] = -1;
    }
    int32_t shift = 0;
    for (int32_t i = 0; holder && i < g_document.count; i++) {
        int32_t id = known_version(i, &shift);
        if (id >= 0) {
            holder[id] = i;
        }
    }
    return holder;
}

// Record `k` of `state`: the document's own when it holds that version (its slot
// then emptied), else a fresh copy. 0 without memory.
int take_record(const State& state, int32_t k, int32_t* holder, ChunkRecord* out)
{
    int32_t id = state.ids[k];
    if (holder[id] >= 0) {
        *out = g_document.records[holder[id]];
        g_document.records[holder[id]].data = nullptr;
        holder[id] = -1;
        return 1;
    }
    const ChunkRecord& version = s_history.versions[id].record;
    *out = version;
    out->data = (uint8_t*)zero_alloc(version.length);
    if (out->data) {
        memcpy(out->data, version.data, version.length);
    }
    return out->data != nullptr;
}

// The document rebuilt from `state`, unchanged chunks keeping their data. Everything
// is allocated before the document changes; 0 without memory.
int restore_state(const State& state)
{
    History& h = s_history;
    ChunkRecord* records = (ChunkRecord*)scratch(&h.spare_records, (size_t)state.count * sizeof(ChunkRecord));
    if (records) {
        memset(records, 0, (size_t)state.count * sizeof(ChunkRecord));
    }
    int32_t* holder = records ? records_by_version() : nullptr;
    int32_t* fresh = holder ? (int32_t*)scratch(&h.fresh_memory, (size_t)state.count * sizeof(int32_t)) : nullptr;
    int32_t made = 0, copies = 0;
    for (; fresh && made < state.count; made++) {
        // Copies first: a failure then leaves every record of the document in place.
        int32_t id = state.ids[made];
        if (holder[id] < 0 && !take_record(state, made, holder, &records[made])) {
            break;
        }
        if (holder[id] < 0) {
            fresh[copies++] = made;
        }
    }
    if (!fresh || made < state.count) {
        for (int32_t i = 0; fresh && i < copies; i++) {
            zero_free(records[fresh[i]].data);
        }
        return 0;
    }
    for (int32_t k = 0; k < state.count; k++) {
        if (!records[k].data) {
            take_record(state, k, holder, &records[k]);
        }
    }
    for (int32_t i = 0; i < g_document.count; i++) {
        zero_free(g_document.records[i].data);   // the chunks the state does not hold
    }
    // The document's array is kept for the next undo or redo, the spare becomes it.
    h.spare_records = Scratch{g_document.records, (size_t)g_document.count * sizeof(ChunkRecord)};
    g_document.records = records;
    g_document.count = state.count;
    if (!map_blocks(state)) {
        forget_blocks();
    }
    return 1;
}

int move_to_state(int32_t position)
{
    if (!g_document.loaded || position < 0 || position >= s_history.state_count ||
        !restore_state(s_history.states[position])) {
        return 0;
    }
    s_history.position = position;
    follow_saved_state();
    return 1;
}

}  // namespace

void drop_undo_history()
{
    History& h = s_history;
    while (h.state_count > 0) {
        release_state(h.states[--h.state_count]);
    }
    zero_free(h.states);
    zero_free(h.versions);
    zero_free(h.free_ids);
    drop_scratch(&h.block_memory);
    drop_scratch(&h.sorted_memory);
    drop_scratch(&h.holder_memory);
    drop_scratch(&h.fresh_memory);
    drop_scratch(&h.spare_records);
    size_t limit = h.limit;
    h = History{};
    h.limit = limit;
}

// The loaded state, recorded at the first step.
static int record_first_state()
{
    History& h = s_history;
    if (!grow((void**)&h.states, &h.state_room, 1, sizeof(State)) ||
        !state_of_document(&h.states[0], STEP_EDIT) || !map_blocks(h.states[0])) {
        drop_undo_history();
        return 0;
    }
    h.state_count = 1;
    h.position = 0;
    h.saved = g_document.changed ? -1 : 0;
    return 1;
}

int begin_step(StepKind kind)
{
    s_history.kind = kind;
    if (!g_document.loaded) {
        return 0;
    }
    if (s_history.state_count == 0 && !record_first_state()) {
        return 0;
    }
    // Room for the step's state now, so that recording it only needs its own parts.
    return grow((void**)&s_history.states, &s_history.state_room, s_history.position + 2, sizeof(State));
}

StepResult end_step()
{
    History& h = s_history;
    State after;
    if (h.state_count == 0 || h.state_room < h.position + 2 || !state_of_document(&after, h.kind)) {
        drop_undo_history();
        g_document.changed = g_document.loaded;
        return STEP_NOT_RECORDED;
    }
    if (same_state(after, h.states[h.position])) {
        release_state(after);
        follow_saved_state();
        return STEP_UNCHANGED;
    }
    drop_redo_states();
    after.kind = refined_kind(h.kind, h.states[h.position], after);
    h.states[h.state_count++] = after;
    h.position++;
    if (!map_blocks(after)) {
        forget_blocks();
    }
    keep_within_limit();
    follow_saved_state();
    return STEP_RECORDED;
}

int can_undo()
{
    return g_document.loaded && s_history.position > 0;
}

int can_redo()
{
    return g_document.loaded && s_history.position + 1 < s_history.state_count;
}

StepKind undo_step_kind()
{
    return can_undo() ? s_history.states[s_history.position].kind : STEP_EDIT;
}

StepKind redo_step_kind()
{
    return can_redo() ? s_history.states[s_history.position + 1].kind : STEP_EDIT;
}

int undo_last_edit()
{
    return can_undo() && move_to_state(s_history.position - 1);
}

int redo_edit()
{
    return can_redo() && move_to_state(s_history.position + 1);
}

void mark_undo_saved()
{
    g_document.changed = 0;
    s_history.saved = s_history.state_count > 0 ? s_history.position : -1;
}

size_t undo_memory_used()
{
    return s_history.bytes;
}

void set_undo_memory_limit(size_t bytes)
{
    s_history.limit = bytes;
}
