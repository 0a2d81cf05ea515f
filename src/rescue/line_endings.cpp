// Undoing a line-ending conversion of the whole file. After CR LF -> LF every LF
// of the converted file may have been CR LF; after LF -> CR LF every CR LF may
// have been a lone LF. Each chunk's length field says how many original bytes
// its data has, and its CRC says which choices are right. The walk goes through
// the converted bytes and branches at each such place, the likelier choice
// first. For IDAT every path also inflates the stream as it goes (the
// state copied at each branch), with the image's filter bytes checked, so that a
// wrong choice breaks the stream within a row or two and is dropped; the CRC and
// the stream's Adler-32 confirm the path that reaches the end. The search is
// bounded in branches, in pending alternatives and in time.
//
// The likelier choice is right at nearly every branch, so a path that breaks has
// almost always one wrong choice, somewhere since the last rows it inflated
// right. Alternatives are therefore taken up fewest unlikely choices first (the
// newest among equals): one wrong choice costs one try per branch behind the
// break, not one per combination of them. An alternative the path has left
// several rows behind is settled and dropped, which keeps the memory of a long
// IDAT to the alternatives of its last rows.
//
// What the rows cannot show: Huffman codes find their step again a few symbols
// after a wrong byte, so a wrong choice that a second wrong one within the same
// row makes up for leaves the rows as long as before and passes every filter
// byte. Only the CRC and the Adler-32 at the end tell. So when no path ends
// right, the path that came furthest is taken to the chunk's end and the one or
// two places where it went wrong are solved for from the CRC (which is linear in
// the bytes), then proved as any path is, by inflating it. Failing that the chunk
// stays as converted and is reported as not restored, never restored wrongly. In
// a stored block nothing but those two checks ever tells the choices apart.
#include "line_endings.h"

#include <string.h>

#include "crc_toggles.h"
#include "document/byte_order.h"
#include "document/crc32.h"
#include "document/memory.h"
#include "line_search.h"

// An alternative is settled once its path has inflated this many rows beyond it
// (or, without the image's rows, this many bytes).
static const uint64_t SETTLE_ROWS = 8;
static const uint64_t SETTLE_BYTES_MIN = 4096;
static const uint64_t SETTLE_BYTES_NO_ROWS = 65536;
static const int32_t VARIANTS_MAX = 8;
// The solving of the furthest path: places of choice it follows at most (beyond
// them the chunk is not solved), the sets of places it proves at most.
static const int32_t SOLVE_PLACES_MAX = 1 << 19;
static const int32_t SOLVE_SETS_MAX = 4;

enum ChoiceKind { CHOICE_NONE, CHOICE_BRANCH, CHOICE_FORCED };

// What the converted byte at `q` allows; `inserted` says that a CR was put back
// in front of it already.
static int32_t choice_at(const ScanBytes& file, int32_t direction, uint64_t q, int32_t inserted)
{
    uint8_t before = q > 0 ? file.bytes[q - 1] : 0;
    if (direction == RESCUE_CRLF_TURNED_LF) {
        if (file.bytes[q] != LF || inserted) return CHOICE_NONE;
        // A CR LF in the converted file was CR CR LF: that LF had lost its CR.
        return before == CR ? CHOICE_FORCED : CHOICE_BRANCH;
    }
    if (file.bytes[q] != CR || q + 1 >= file.size || file.bytes[q + 1] != LF) return CHOICE_NONE;
    // CR CR LF: the LF behind a CR was never lone, so it stays as it is.
    return before == CR ? CHOICE_NONE : CHOICE_BRANCH;
}

void free_walker_stream(StreamCheck* stream)
{
    if (!stream) return;
    stream_finish(*stream);
    zero_free(stream);
}

// A copy of the stream for another path; null when memory runs out.
StreamCheck* copy_walker_stream(const StreamCheck& from)
{
    StreamCheck* copy = (StreamCheck*)zero_alloc(sizeof(StreamCheck));
    if (copy && stream_copy(*copy, from) == STREAM_NO_MEMORY) {
        stream_finish(*copy);
        zero_free(copy);
        return nullptr;
    }
    return copy;
}

struct FieldVariant {
    uint32_t value;
    uint64_t end;  // converted position behind the field
};

// The four original bytes of a field from `at`, every way the conversion allows.
static void field_variants(const ScanBytes& file, int32_t direction, uint64_t at, int32_t inserted, uint32_t value,
                           int n, FieldVariant* out, int32_t* count)
{
    if (n == 4) {
        if (*count < VARIANTS_MAX) out[(*count)++] = FieldVariant{value, at};
        return;
    }
    if (at >= file.size) return;
    int32_t choice = choice_at(file, direction, at, inserted);
    int changed = choice != CHOICE_NONE, literal = choice != CHOICE_FORCED;
    if (changed && direction == RESCUE_CRLF_TURNED_LF) {
        field_variants(file, direction, at, 1, value << 8 | CR, n + 1, out, count);
    } else if (changed) {
        field_variants(file, direction, at + 2, 0, value << 8 | LF, n + 1, out, count);
    }
    if (literal) field_variants(file, direction, at + 1, 0, value << 8 | file.bytes[at], n + 1, out, count);
}

static int emit(LineSearch& search, Walker& w, const uint8_t* bytes, uint32_t count)
{
    if (search.replay) memcpy(search.out + w.produced, bytes, count);
    for (uint32_t k = 0; k < count; k++) w.reg = crc_step(w.reg, bytes[k]);
    w.produced += count;
    if (!w.stream) return 1;
    int32_t state = stream_feed(*w.stream, bytes, count);
    return state == STREAM_OPEN || state == STREAM_ENDED;
}

// Takes the choice at w.at: undone (`changed`) or the byte as it is.
static int take(LineSearch& search, Walker& w, int32_t direction, int32_t changed)
{
    const uint8_t* at = search.scan->file.bytes + w.at;
    if (!changed) {
        w.inserted = 0;
        w.at++;
        return emit(search, w, at, 1);
    }
    if (direction == RESCUE_CRLF_TURNED_LF) {
        w.inserted = 1;
        return emit(search, w, &CR, 1);
    }
    w.at += 2;
    return emit(search, w, &LF, 1);
}

static void drop_pending(Pending& pending)
{
    free_walker_stream(pending.state.stream);
    pending.state.stream = nullptr;
}

static uint64_t inflated(const Walker& w)
{
    return w.stream ? zlib_produced(w.stream->reader) : 0;
}

static void remove_pending(LineSearch& search, int32_t k)
{
    memmove(search.pending + k, search.pending + k + 1, (size_t)(search.pending_count - k - 1) * sizeof(Pending));
    search.pending_count--;
}

// Drops the alternatives the path at `w` has settled; when all places are still
// taken, the one furthest back goes: the paths that came furthest are the ones
// most likely right up to where they broke.
static void make_room(LineSearch& search, const Walker& w)
{
    for (int32_t k = search.pending_count - 1; search.settle && k >= 0; k--) {
        if (inflated(search.pending[k].state) + search.settle > inflated(w)) continue;
        drop_pending(search.pending[k]);
        remove_pending(search, k);
    }
    if (search.pending_count < PENDING_MAX) return;
    int32_t worst = 0;
    for (int32_t k = 1; k < search.pending_count; k++) {
        if (search.pending[k].state.at < search.pending[worst].state.at) worst = k;
    }
    drop_pending(search.pending[worst]);
    remove_pending(search, worst);
    search.given_up = 1;
}

// A path taken up from an alternative that gets past where its parent broke has
// most likely put right what broke it: the parent's other alternatives behind
// its choice wait until its own have been tried.
static void passed_parent(LineSearch& search, Walker& w)
{
    if (!w.broke_at || inflated(w) <= w.broke_at) return;
    w.broke_at = 0;
    uint64_t choice = search.taken[w.last_taken].at;
    for (int32_t k = 0; k < search.pending_count; k++) {
        Walker& other = search.pending[k].state;
        if (other.at < choice && other.unlikely >= w.unlikely) other.unlikely++;
    }
}

// Keeps the other option at a branch for later.
static int keep_alternative(LineSearch& search, Walker& w, int32_t changed, int32_t likely)
{
    passed_parent(search, w);
    make_room(search, w);
    Pending& slot = search.pending[search.pending_count];
    slot.state = w;
    slot.changed = changed;
    slot.state.unlikely += changed != likely;
    if (w.stream && !(slot.state.stream = copy_walker_stream(*w.stream))) return 0;
    search.pending_count++;
    search.branches++;
    return 1;
}

// The end of the data: the CRC field (in any of its converted forms) must match.
static int32_t data_ended(LineSearch& search, Walker& w)
{
    const ScanBytes& file = search.scan->file;
    FieldVariant variants[VARIANTS_MAX];
    int32_t count = 0;
    field_variants(file, search.scan->line_endings, w.at, w.inserted, 0, 0, variants, &count);
    for (int32_t k = 0; k < count; k++) {
        if ((w.reg ^ 0xFFFFFFFFu) != variants[k].value) continue;
        search.solution_end = variants[k].end;
        search.solution_data_end = w.at;
        search.solution_crc = variants[k].value;
        return ADVANCE_ENDED;
    }
    return ADVANCE_FAILED;
}

// The next converted position from `from` where a choice may arise.
static uint64_t next_choice(const ScanBytes& file, int32_t direction, uint64_t from)
{
    const void* found = memchr(file.bytes + from, direction == RESCUE_CRLF_TURNED_LF ? LF : CR, file.size - from);
    return found ? (uint64_t)((const uint8_t*)found - file.bytes) : file.size;
}

// Follows one path until its data is complete, it fails, or the file ends.
static int32_t advance(LineSearch& search, Walker& w)
{
    const ScanBytes& file = search.scan->file;
    int32_t direction = search.scan->line_endings;
    for (;;) {
        if (w.produced == search.length) return data_ended(search, w);
        if (search.stop_at && w.at >= search.stop_at) return ADVANCE_PAUSED;
        if (w.at >= file.size) return w.stream && w.stream->state == STREAM_OPEN ? ADVANCE_CUT : ADVANCE_FAILED;
        uint64_t choice = w.inserted ? w.at : next_choice(file, direction, w.at);
        if (search.stop_at && choice > search.stop_at) choice = search.stop_at;
        uint64_t run = choice - w.at;
        if (run > search.length - w.produced) run = search.length - w.produced;
        if (run > 0) {
            w.inserted = 0;
            w.at += run;
            if (!emit(search, w, file.bytes + w.at - run, (uint32_t)run)) return ADVANCE_FAILED;
            continue;
        }
        int32_t kind = choice_at(file, direction, w.at, w.inserted);
        // The likelier choice first: an original CR LF is rare in binary data,
        // a lone LF common.
        int32_t likely = direction == RESCUE_LF_TURNED_CRLF;
        int32_t first = likely;
        if (kind == CHOICE_FORCED) first = 1;
        if (kind == CHOICE_NONE) first = 0;
        if (kind == CHOICE_BRANCH && search.replay) {
            if (search.replay_next < search.replay_count && search.replay[search.replay_next].at == w.at) {
                first = search.replay[search.replay_next++].changed;
            }
        } else if (kind == CHOICE_BRANCH && !keep_alternative(search, w, !first, likely)) {
            return ADVANCE_FAILED;
        }
        if (!take(search, w, direction, first)) return ADVANCE_FAILED;
    }
}

int out_of_bounds(LineSearch& search)
{
    const Scan& scan = *search.scan;
    uint32_t branch_limit = scan.options->branch_limit ? scan.options->branch_limit : RESCUE_DEFAULT_BRANCHES;
    uint32_t time_limit = scan.options->time_limit_ms ? scan.options->time_limit_ms : RESCUE_DEFAULT_TIME_MS;
    if (search.branches > branch_limit || (uint32_t)(scan_clock(scan) - scan.clock_start) > time_limit) {
        search.bound_hit = 1;
    }
    return search.bound_hit || scan_cancelled(*search.scan);
}

int out_of_time(LineSearch& search)
{
    const Scan& scan = *search.scan;
    uint32_t time_limit = scan.options->time_limit_ms ? scan.options->time_limit_ms : RESCUE_DEFAULT_TIME_MS;
    if ((uint32_t)(scan_clock(scan) - scan.clock_start) > time_limit) search.bound_hit = 1;
    return (uint32_t)(scan_clock(scan) - scan.clock_start) > time_limit || scan_cancelled(*search.scan);
}

static void keep_solution(LineSearch& search, Walker& w, int32_t ended)
{
    search.solutions++;
    if (search.solutions > 1) return;
    search.solution_taken = w.last_taken;
    search.solution_size = w.produced;
    search.solution_cut = ended == ADVANCE_CUT;
    search.winner = w.stream;
    w.stream = nullptr;  // the search owns the winner's stream now
}

// Records the choice a path takes up; 0 when memory runs out.
static int note_taken(LineSearch& search, Walker& w, int32_t changed)
{
    if (search.taken_count == search.taken_capacity) {
        int32_t capacity = search.taken_capacity * 2 + 256;
        Taken* bigger = (Taken*)zero_alloc((size_t)capacity * sizeof(Taken));
        if (!bigger) return 0;
        if (search.taken) memcpy(bigger, search.taken, (size_t)search.taken_count * sizeof(Taken));
        zero_free(search.taken);
        search.taken = bigger;
        search.taken_capacity = capacity;
    }
    search.taken[search.taken_count] = Taken{w.at, changed, w.last_taken};
    w.last_taken = search.taken_count++;
    return 1;
}

// Takes up the alternative with the fewest unlikely choices (the newest among
// equals); 0 when none is left or a bound is hit.
static int resume(LineSearch& search, Walker& w)
{
    while (search.pending_count > 0 && !out_of_bounds(search)) {
        int32_t best = search.pending_count - 1;
        for (int32_t k = best - 1; k >= 0; k--) {
            if (search.pending[k].state.unlikely < search.pending[best].state.unlikely) best = k;
        }
        Pending next = search.pending[best];
        remove_pending(search, best);
        w = next.state;
        w.broke_at = search.broke_at;
        if (!note_taken(search, w, next.changed)) {
            search.scan->result->out_of_memory = 1;
            free_walker_stream(w.stream);
            w.stream = nullptr;
            break;
        }
        if (take(search, w, search.scan->line_endings, next.changed)) return 1;
        free_walker_stream(w.stream);
        w.stream = nullptr;
    }
    return 0;
}

// Over the paths from `start`, until one proves itself or none is left. A path
// that inflates proves itself (CRC and stream agree); without a stream a second
// path is looked for, since only one right path is beyond doubt.
static void search_paths(LineSearch& search, Walker start)
{
    Walker w = start;
    for (;;) {
        int32_t ended = advance(search, w);
        if (ended != ADVANCE_FAILED) {
            keep_solution(search, w, ended);
            if (search.winner || search.solutions > 1 || ended == ADVANCE_CUT) break;
        }
        search.broke_at = inflated(w);
        if (w.at > search.best_at) {
            search.best_at = w.at;
            search.best_taken = w.last_taken;
        }
        free_walker_stream(w.stream);
        w.stream = nullptr;
        if (!resume(search, w)) break;
    }
    free_walker_stream(w.stream);
    while (search.pending_count > 0) drop_pending(search.pending[--search.pending_count]);
}

// The path's start: the register over the type, and for IDAT the stream as the
// IDAT chunks before this one left it.
int start_walker(Scan& scan, uint64_t data_at, const uint8_t* type, Walker* w)
{
    *w = Walker();
    w->last_taken = -1;
    w->at = data_at;
    w->reg = 0xFFFFFFFFu;
    for (int k = 0; k < 4; k++) w->reg = crc_step(w->reg, type[k]);
    // After an IDAT chunk that could not be restored the stream cannot be
    // followed: the later ones are searched by their CRC alone.
    if (!is_chunk_type(type, "IDAT") || scan.line_stream_lost) return 1;
    if (scan.line_stream) return (w->stream = copy_walker_stream(*scan.line_stream)) != nullptr;
    w->stream = (StreamCheck*)zero_alloc(sizeof(StreamCheck));
    if (!w->stream) return 0;
    stream_begin(*w->stream, scan.line_layout_known ? &scan.line_layout : nullptr, nullptr);
    return w->stream->state == STREAM_OPEN;
}

// The restored chunk into the result; for IDAT its stream is carried on.
static void take_restored(Scan& scan, LineSearch& search, uint64_t header, uint64_t data_at, const uint8_t* type)
{
    // A path that inflates right proves itself; without a stream only a search
    // that saw every path and found one is sure, not the solving of one.
    int streamed = search.winner != nullptr;
    int proven = search.solution_cut || (search.solutions == 1 && (streamed || (!search.given_up && !search.solved)));
    int unsure = !proven || (search.bound_hit && !streamed);
    ChunkRecord record;
    uint32_t stored = search.solution_cut ? 0 : search.solution_crc;
    if (!make_record(type, search.solution, search.solution_size, stored, &record)) return;
    if (search.solution_cut) record.stored_crc = record.computed_crc;
    // What is not sure is only offered: the chunk stays as converted unless the
    // user takes the bytes found.
    ChunkRecord converted;
    if (unsure && !make_record(type, scan.file.bytes + data_at, (uint32_t)(search.solution_data_end - data_at),
                               stored, &converted)) {
        zero_free(record.data);
        return;
    }
    int32_t chunk = add_chunk(scan.result, unsure ? converted : record, header, RESCUE_FROM_FILE);
    if (chunk < 0) {
        if (unsure) zero_free(record.data);
        return;
    }
    if (is_chunk_type(type, "IHDR")) scan.line_layout_known = layout_from_ihdr(record.data, record.length, &scan.line_layout);
    if (unsure) {
        RescueFinding offer = file_finding(RESCUE_CHUNK_BY_CRC, RESCUE_PROBABLE, header);
        offer.chunk = chunk;
        offer.has_replacement = 1;
        offer.replacement = record;
        add_finding(scan.result, offer);
    }
    if (search.winner) {
        free_walker_stream(scan.line_stream);
        scan.line_stream = search.winner;
        search.winner = nullptr;
    }
    scan.line_restored++;
    if (unsure) scan.line_unsure++;
    if (search.solution_cut) {
        RescueFinding cut = file_finding(RESCUE_CUT_CHUNK, RESCUE_NONE, header, record.length, search.length,
                                         type_word(type));
        cut.chunk = chunk;
        add_finding(scan.result, cut);
    }
}

// The choices a path took up, from its last Taken back, in the order of the
// walk; null when memory runs out.
static Taken* choices_in_order(const LineSearch& search, int32_t last, int32_t* count)
{
    *count = 0;
    for (int32_t k = last; k >= 0; k = search.taken[k].before) (*count)++;
    Taken* order = (Taken*)zero_alloc((size_t)(*count + 1) * sizeof(Taken));
    if (!order) return nullptr;
    int32_t slot = *count;
    for (int32_t k = last; k >= 0; k = search.taken[k].before) order[--slot] = search.taken[k];
    return order;
}

int32_t replay_path(LineSearch& search, Walker& w, const Taken* order, int32_t count, uint8_t* out,
                    uint64_t stop_at)
{
    // Behind a CR put back at w.at, the choice there is made.
    int32_t next = 0;
    while (next < count && (order[next].at < w.at || (order[next].at == w.at && w.inserted))) next++;
    search.replay = order;
    search.replay_count = count;
    search.replay_next = next;
    search.out = out;
    search.stop_at = stop_at;
    int32_t ended = advance(search, w);
    search.replay = nullptr;
    search.stop_at = 0;
    return ended;
}

// Writes the winning path's bytes into `out`: the walk from `start` once more,
// without a stream, with the choices it took up.
static int replay_solution(LineSearch& search, Walker start, uint8_t* out)
{
    int32_t count = 0;
    Taken* order = choices_in_order(search, search.solution_taken, &count);
    if (!order) return 0;
    start.stream = nullptr;
    replay_path(search, start, order, count, out, 0);
    zero_free(order);
    search.solution = out;
    return start.produced == search.solution_size;
}

void free_trace(PathTrace& trace)
{
    zero_free(trace.toggles);
    zero_free(trace.places);
    zero_free(trace.chosen);
    trace = PathTrace();
}

int trace_path(LineSearch& search, Walker w, uint64_t end, const Taken* order, int32_t order_count,
                      PathTrace* trace)
{
    const ScanBytes& file = search.scan->file;
    int32_t direction = search.scan->line_endings;
    int32_t likely = direction == RESCUE_LF_TURNED_CRLF;
    int32_t capacity = 0, next = 0;
    *trace = PathTrace();
    w.stream = nullptr;
    while (w.at < end) {
        uint64_t choice = w.inserted ? w.at : next_choice(file, direction, w.at);
        if (choice > end) choice = end;
        if (choice > w.at) {
            w.inserted = 0;
            emit(search, w, file.bytes + w.at, (uint32_t)(choice - w.at));
            w.at = choice;
            continue;
        }
        int32_t kind = choice_at(file, direction, w.at, w.inserted);
        int32_t changed = kind == CHOICE_FORCED;
        if (kind == CHOICE_BRANCH) {
            changed = likely;
            if (next < order_count && order[next].at == w.at) changed = order[next++].changed;
            if (trace->count == capacity) {
                if (capacity == SOLVE_PLACES_MAX) break;
                capacity = capacity ? capacity * 2 : 4096;
                CrcToggle* toggles = (CrcToggle*)zero_alloc((size_t)capacity * sizeof(CrcToggle));
                uint64_t* places = (uint64_t*)zero_alloc((size_t)capacity * sizeof(uint64_t));
                int32_t* chosen = (int32_t*)zero_alloc((size_t)capacity * sizeof(int32_t));
                if (toggles && places && chosen && trace->count) {
                    memcpy(toggles, trace->toggles, (size_t)trace->count * sizeof(CrcToggle));
                    memcpy(places, trace->places, (size_t)trace->count * sizeof(uint64_t));
                    memcpy(chosen, trace->chosen, (size_t)trace->count * sizeof(int32_t));
                }
                int32_t kept = trace->count;
                free_trace(*trace);
                trace->count = kept;
                trace->toggles = toggles;
                trace->places = places;
                trace->chosen = chosen;
                if (!toggles || !places || !chosen) break;
            }
            // Undoing the conversion here put a CR in (CR LF -> LF) or took one
            // out (LF -> CR LF); the other way does the opposite.
            int32_t delta = changed == (direction == RESCUE_CRLF_TURNED_LF) ? -1 : 1;
            trace->toggles[trace->count] = CrcToggle{w.reg, w.produced, delta};
            trace->places[trace->count] = w.at;
            trace->chosen[trace->count++] = changed;
        }
        take(search, w, direction, changed);
    }
    if (w.at != end || !trace->toggles) {
        free_trace(*trace);
        return 0;
    }
    for (int32_t k = 0; k < trace->count; k++) {
        CrcToggle& t = trace->toggles[k];
        t.after = w.produced - t.after - (t.delta < 0);
    }
    trace->reg = w.reg;
    trace->produced = w.produced;
    return 1;
}

// Where the chunk may end near `around`: a CRC field, a length field and a
// registered type in a row, in any converted form of the two fields.
struct ChunkEnd {
    uint64_t end;  // converted position behind the data
    uint32_t crc;
};

// Next types from `from` to `to`; adds to the `found` ends already in `out`.
static int32_t chunk_ends_within(const Scan& scan, uint64_t data_at, uint64_t from, uint64_t to, ChunkEnd* out,
                                 int32_t found, int32_t max)
{
    const ScanBytes& file = scan.file;
    if (from < data_at) from = data_at;
    for (uint64_t type = from; type + 4 <= file.size && type <= to && found < max; type++) {
        if (!registered_type(file.bytes + type)) continue;
        for (uint64_t end = type >= data_at + 16 ? type - 16 : data_at; end + 4 <= type && found < max; end++) {
            FieldVariant crcs[VARIANTS_MAX], lengths[VARIANTS_MAX];
            int32_t crc_count = 0;
            field_variants(file, scan.line_endings, end, 0, 0, 0, crcs, &crc_count);
            for (int32_t c = 0; c < crc_count && found < max; c++) {
                int32_t length_count = 0;
                field_variants(file, scan.line_endings, crcs[c].end, 0, 0, 0, lengths, &length_count);
                for (int32_t l = 0; l < length_count && found < max; l++) {
                    int known = 0;
                    for (int32_t k = 0; k < found; k++) known |= out[k].end == end && out[k].crc == crcs[c].value;
                    if (lengths[l].end == type && !known) out[found++] = ChunkEnd{end, crcs[c].value};
                }
            }
        }
    }
    return found;
}

Taken* toggled_choices(const Taken* order, int32_t count, const PathTrace& trace, const int32_t* places,
                       int32_t place_count, int32_t* toggled_count)
{
    Taken* out = (Taken*)zero_alloc((size_t)(count + place_count + 1) * sizeof(Taken));
    if (!out) return nullptr;
    int32_t n = 0, k = 0;
    for (int32_t p = 0; p < place_count; p++) {
        uint64_t at = trace.places[places[p]];
        while (k < count && order[k].at < at) out[n++] = order[k++];
        if (k < count && order[k].at == at) k++;
        out[n++] = Taken{at, !trace.chosen[places[p]], -1};
    }
    while (k < count) out[n++] = order[k++];
    *toggled_count = n;
    return out;
}

int prove_path(Scan& scan, LineSearch& search, uint64_t data_at, const uint8_t* type, const Taken* order,
               int32_t count, uint8_t* out)
{
    Walker w;
    if (!start_walker(scan, data_at, type, &w)) return 0;
    if (replay_path(search, w, order, count, out, 0) == ADVANCE_ENDED) {
        search.solutions = 1;
        search.solved = 1;
        search.solution = out;
        search.solution_size = w.produced;
        search.winner = w.stream;
        w.stream = nullptr;
    }
    free_walker_stream(w.stream);
    return search.solutions > 0;
}

// The likelier choice everywhere, taken to `end`: a path short of one to four
// bytes is looked at whole, every set of places that would put them in and give
// the stored CRC, each proved as any path is (without a stream, only one set
// may give it).
static void solve_from_likely(Scan& scan, LineSearch& search, uint64_t data_at, const uint8_t* type,
                              const Walker& start, const ChunkEnd& end, uint8_t* out)
{
    PathTrace trace;
    if (out_of_time(search) || !trace_path(search, start, end.end, nullptr, 0, &trace)) return;
    int64_t missing = (int64_t)search.length - trace.produced;
    if (missing >= 1 && missing <= 4 && trace.count <= INSERTION_PLACES_MAX) {
        InsertionSet sets[SOLVE_SETS_MAX];
        int32_t found = find_crc_insertions(trace.toggles, trace.count, CR, (int32_t)missing,
                                            (end.crc ^ 0xFFFFFFFFu) ^ trace.reg, sets, SOLVE_SETS_MAX);
        if (!start.stream && found > 1) found = 0;
        for (int32_t k = 0; k < found && !search.solutions; k++) {
            int32_t toggled_count = 0;
            Taken* toggled = toggled_choices(nullptr, 0, trace, sets[k].at, (int32_t)missing, &toggled_count);
            if (!toggled) break;
            prove_path(scan, search, data_at, type, toggled, toggled_count, out);
            zero_free(toggled);
        }
    }
    free_trace(trace);
}

// No path ended right: the furthest one, taken on to each place where the chunk
// may end, is solved for the one or two choices that give the stored CRC, and
// each answer is proved by inflating it. Keeps the first that proves itself.
static int solve_furthest(Scan& scan, LineSearch& search, uint64_t data_at, const uint8_t* type, uint8_t* out)
{
    Walker start;
    if (!search.best_at || !start_walker(scan, data_at, type, &start)) return 0;
    // Without a stream no path came further than another: the likelier choice
    // everywhere needs the fewest changes.
    int32_t count = 0;
    Taken* order = choices_in_order(search, start.stream ? search.best_taken : -1, &count);
    // Near where the furthest path stopped, and near where the stated length
    // ends as converted (CR LF -> LF takes bytes away, LF -> CR LF adds them).
    ChunkEnd ends[8];
    int32_t end_count = 0;
    if (order) {
        uint64_t around = search.best_at, stated = data_at + search.length + 8, reach = 256 + search.length / 256;
        end_count = chunk_ends_within(scan, data_at, around > 32 ? around - 32 : 0, around + 48, ends, 0, 8);
        if (scan.line_endings == RESCUE_CRLF_TURNED_LF) {
            end_count = chunk_ends_within(scan, data_at, stated > reach ? stated - reach : 0, stated + 8, ends,
                                          end_count, 8);
        } else {
            end_count = chunk_ends_within(scan, data_at, stated, stated + reach + 8, ends, end_count, 8);
        }
    }
    for (int32_t e = 0; e < end_count && !search.solutions && !out_of_time(search); e++) {
        solve_from_likely(scan, search, data_at, type, start, ends[e], out);
        if (search.solutions) break;
        PathTrace trace;
        if (!trace_path(search, start, ends[e].end, order, count, &trace)) continue;
        int64_t net = (int64_t)search.length - trace.produced;
        ToggleSet sets[SOLVE_SETS_MAX];
        int32_t set_count = 0;
        // Without choices taken up the path is the likelier one, looked at whole above.
        if (count > 0 && net >= -2 && net <= 2) {
            set_count = find_crc_toggles(trace.toggles, trace.count, CR, (int32_t)net,
                                         (ends[e].crc ^ 0xFFFFFFFFu) ^ trace.reg, sets, SOLVE_SETS_MAX);
        }
        // The CRC alone cannot choose among several answers.
        if (!start.stream && set_count > 1) set_count = 0;
        for (int32_t k = 0; k < set_count && !search.solutions; k++) {
            int32_t toggled_count = 0;
            int32_t places[2] = {sets[k].first, sets[k].second};
            Taken* toggled = toggled_choices(order, count, trace, places, places[1] < 0 ? 1 : 2, &toggled_count);
            if (!toggled) break;
            prove_path(scan, search, data_at, type, toggled, toggled_count, out);
            zero_free(toggled);
        }
        if (!search.solutions && net == 0 && start.stream) {
            solve_choice_groups(scan, search, data_at, type, order, count, trace,
                                (ends[e].crc ^ 0xFFFFFFFFu) ^ trace.reg, out);
        }
        free_trace(trace);
    }
    free_walker_stream(start.stream);
    zero_free(order);
    return search.solutions > 0;
}

// How far behind its path an alternative is settled; 0 for a chunk without a stream.
static uint64_t settle_distance(const Scan& scan, const Walker& start)
{
    if (!start.stream) return 0;
    if (!scan.line_layout_known) return SETTLE_BYTES_NO_ROWS;
    uint64_t row = 0;
    for (int32_t p = 0; p < scan.line_layout.passes; p++) {
        if (scan.line_layout.row_bytes[p] + 1 > row) row = scan.line_layout.row_bytes[p] + 1;
    }
    return SETTLE_ROWS * row > SETTLE_BYTES_MIN ? SETTLE_ROWS * row : SETTLE_BYTES_MIN;
}

// Searches one reading of the header: `length` original data bytes from `data_at`.
static int try_reading(Scan& scan, uint64_t header, uint32_t length, uint64_t data_at, uint64_t* next)
{
    const uint8_t* type = scan.file.bytes + data_at - 4;
    if (!letters_only(type)) return 0;
    // Every converted byte stands for at most two original ones: a cut chunk
    // declares more than the file can give.
    uint64_t room = 2 * (scan.file.size - data_at) + 8;
    LineSearch* search = (LineSearch*)zero_alloc(sizeof(LineSearch));
    uint8_t* out = (uint8_t*)zero_alloc(length < room ? (length ? length : 1) : (size_t)room);
    Walker start = Walker();
    int found = 0;
    if (search && out && start_walker(scan, data_at, type, &start)) {
        search->scan = &scan;
        search->length = length;
        search->settle = settle_distance(scan, start);
        Walker replay_start = start;
        search_paths(*search, start);
        if (search->solutions > 0) {
            found = replay_solution(*search, replay_start, out);
        } else {
            found = solve_furthest(scan, *search, data_at, type, out);
        }
        // A bound the search hit says nothing once a path inflated right.
        if (search->bound_hit && !(found && search->winner)) {
            add_finding(scan.result, file_finding(RESCUE_BOUND_HIT, RESCUE_NONE, header, search->branches));
        }
        if (found) take_restored(scan, *search, header, data_at, type);
        *next = search->solution_cut ? scan.file.size : search->solution_end;
    } else {
        free_walker_stream(start.stream);
    }
    if (search) free_walker_stream(search->winner);
    if (search) zero_free(search->taken);
    zero_free(search);
    zero_free(out);
    return found;
}

// No reading of the chunk came out right: it is kept as converted, up to the
// next registered type, and the walk goes on there.
static int keep_converted(Scan& scan, uint64_t header, uint64_t* next)
{
    const ScanBytes& file = scan.file;
    uint64_t q = header + 12;
    while (q + 8 <= file.size && !registered_type(file.bytes + q + 4)) q++;
    scan.line_failed++;
    const uint8_t* type = file.bytes + header + 4;
    if (q + 8 > file.size || !letters_only(type)) {
        add_finding(scan.result, file_finding(RESCUE_CHUNK_NOT_RESTORED, RESCUE_NONE, header));
        return 0;
    }
    ChunkRecord record;
    if (!make_record(type, file.bytes + header + 8, (uint32_t)(q - 4 - header - 8), read_u32(file.bytes + q - 4),
                     &record)) {
        return 0;
    }
    RescueFinding finding = file_finding(RESCUE_CHUNK_NOT_RESTORED, RESCUE_NONE, header);
    finding.chunk = add_chunk(scan.result, record, header, RESCUE_FROM_FILE);
    if (is_chunk_type(type, "IDAT")) scan.line_stream_lost = 1;
    add_finding(scan.result, finding);
    *next = q;
    return 1;
}

int restore_chunk_line_endings(Scan& scan, uint64_t header, uint64_t* next)
{
    FieldVariant lengths[VARIANTS_MAX];
    int32_t count = 0;
    field_variants(scan.file, scan.line_endings, header, 0, 0, 0, lengths, &count);
    for (int32_t k = 0; k < count && !scan.result->out_of_memory; k++) {
        if (scan.file.size - lengths[k].end < 4) continue;
        if (try_reading(scan, header, lengths[k].value, lengths[k].end + 4, next)) {
            return *next < scan.file.size;
        }
    }
    return keep_converted(scan, header, next);
}

void finish_line_endings(Scan& scan)
{
    free_walker_stream(scan.line_stream);
    scan.line_stream = nullptr;
    if (scan.line_finding < 0) return;
    RescueFinding& finding = scan.result->findings[scan.line_finding];
    finding.detail[1] = scan.line_restored;
    finding.detail[2] = scan.line_failed;
    if (scan.line_failed > 0) finding.certainty = RESCUE_NONE;
    else if (scan.line_unsure > 0) finding.certainty = RESCUE_PROBABLE;
}
