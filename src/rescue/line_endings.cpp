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
// byte. Only the CRC and the Adler-32 at the end tell; the chunk then stays as
// converted and is reported as not restored, never restored wrongly. In a stored
// block nothing but those two checks ever tells the choices apart.
#include "line_endings.h"

#include <string.h>

#include "document/byte_order.h"
#include "document/crc32.h"
#include "document/memory.h"

static const uint8_t CR = 0x0D;
static const uint8_t LF = 0x0A;
// Alternatives kept open at once; older ones are given up (the search then
// cannot claim it saw every path).
static const int32_t PENDING_MAX = 384;
// An alternative is settled once its path has inflated this many rows beyond it
// (or, without the image's rows, this many bytes).
static const uint64_t SETTLE_ROWS = 8;
static const uint64_t SETTLE_BYTES_MIN = 4096;
static const uint64_t SETTLE_BYTES_NO_ROWS = 65536;
static const int32_t VARIANTS_MAX = 8;

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

// One path through the converted bytes.
struct Walker {
    uint64_t    at;         // converted position
    uint32_t    produced;   // original bytes so far
    uint32_t    reg;        // CRC register over the type and the original bytes
    int32_t     inserted;   // a CR was put back in front of the byte at `at`
    uint32_t    unlikely;   // choices taken against the likelier one
    int32_t     last_taken; // the path's last choice taken up from an alternative (a Taken), or -1
    uint64_t    broke_at;   // inflated bytes where the path it was taken up from broke; 0: not yet passed
    // For IDAT: the path's own stream, on the heap since zlib's state points back
    // at it; null otherwise.
    StreamCheck* stream;
};

static void free_stream(StreamCheck* stream)
{
    if (!stream) return;
    stream_finish(*stream);
    zero_free(stream);
}

// A copy of the stream for another path; null when memory runs out.
static StreamCheck* stream_copy(const StreamCheck& from)
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

struct Pending {
    Walker  state;
    int32_t changed;  // the option still to take: 1 the conversion undone here, 0 the byte as it is
};

// A choice a path took when an alternative was taken up; the path's bytes are
// the converted ones with the likelier choice everywhere else, so these records
// are all it takes to write them out again once a path comes out right.
struct Taken {
    uint64_t at;
    int32_t  changed;
    int32_t  before;  // the path's previous Taken, or -1
};

struct LineSearch {
    Scan*     scan;
    uint32_t  length;       // original data bytes
    uint64_t  settle;       // inflated bytes after which an alternative is settled; 0: never
    uint8_t*  out;          // while replaying the winning path: its original bytes
    Taken*    taken;        // every choice taken up, by every path
    int32_t   taken_count;
    int32_t   taken_capacity;
    // The winner's choices in order, while it is replayed; null while searching.
    const Taken* replay;
    int32_t   replay_count;
    int32_t   replay_next;
    Pending   pending[PENDING_MAX];  // in the order they were kept
    int32_t   pending_count;
    int32_t   given_up;     // an alternative was dropped unseen
    uint32_t  branches;
    uint64_t  broke_at;     // inflated bytes where the last path broke
    int32_t   bound_hit;
    int32_t   solutions;
    uint8_t*  solution;     // the first path that ended right, `length` bytes (or fewer when cut)
    int32_t   solution_taken;  // its last Taken
    uint32_t  solution_size;
    uint32_t  solution_crc;
    uint64_t  solution_end;
    int32_t   solution_cut;
    StreamCheck* winner;    // for IDAT: the winning path's stream
};

enum Advance { ADVANCE_FAILED, ADVANCE_ENDED, ADVANCE_CUT };

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
    free_stream(pending.state.stream);
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
    if (w.stream && !(slot.state.stream = stream_copy(*w.stream))) return 0;
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
        if (w.at >= file.size) return w.stream && w.stream->state == STREAM_OPEN ? ADVANCE_CUT : ADVANCE_FAILED;
        uint64_t choice = w.inserted ? w.at : next_choice(file, direction, w.at);
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

static int out_of_bounds(LineSearch& search)
{
    const Scan& scan = *search.scan;
    uint32_t branch_limit = scan.options->branch_limit ? scan.options->branch_limit : RESCUE_DEFAULT_BRANCHES;
    uint32_t time_limit = scan.options->time_limit_ms ? scan.options->time_limit_ms : RESCUE_DEFAULT_TIME_MS;
    if (search.branches > branch_limit || (uint32_t)(scan_clock(scan) - scan.clock_start) > time_limit) {
        search.bound_hit = 1;
    }
    return search.bound_hit || scan_cancelled(*search.scan);
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
            free_stream(w.stream);
            w.stream = nullptr;
            break;
        }
        if (take(search, w, search.scan->line_endings, next.changed)) return 1;
        free_stream(w.stream);
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
        free_stream(w.stream);
        w.stream = nullptr;
        if (!resume(search, w)) break;
    }
    free_stream(w.stream);
    while (search.pending_count > 0) drop_pending(search.pending[--search.pending_count]);
}

// The path's start: the register over the type, and for IDAT the stream as the
// IDAT chunks before this one left it.
static int start_walker(Scan& scan, uint64_t data_at, const uint8_t* type, Walker* w)
{
    *w = Walker();
    w->last_taken = -1;
    w->at = data_at;
    w->reg = 0xFFFFFFFFu;
    for (int k = 0; k < 4; k++) w->reg = crc_step(w->reg, type[k]);
    if (!is_chunk_type(type, "IDAT")) return 1;
    if (scan.line_stream) return (w->stream = stream_copy(*scan.line_stream)) != nullptr;
    w->stream = (StreamCheck*)zero_alloc(sizeof(StreamCheck));
    if (!w->stream) return 0;
    stream_begin(*w->stream, scan.line_layout_known ? &scan.line_layout : nullptr, nullptr);
    return w->stream->state == STREAM_OPEN;
}

// The restored chunk into the result; for IDAT its stream is carried on.
static void take_restored(Scan& scan, LineSearch& search, uint64_t header, const uint8_t* type)
{
    ChunkRecord record;
    uint32_t stored = search.solution_cut ? 0 : search.solution_crc;
    if (!make_record(type, search.solution, search.solution_size, stored, &record)) return;
    if (search.solution_cut) record.stored_crc = record.computed_crc;
    int32_t chunk = add_chunk(scan.result, record, header, RESCUE_FROM_FILE);
    if (chunk < 0) return;
    if (is_chunk_type(type, "IHDR")) scan.line_layout_known = layout_from_ihdr(record.data, record.length, &scan.line_layout);
    if (search.winner) {
        free_stream(scan.line_stream);
        scan.line_stream = search.winner;
        search.winner = nullptr;
    }
    scan.line_restored++;
    // A path that inflates right and matches the CRC proves itself; without a
    // stream only a search that saw every path and found one is sure.
    int proven = search.solution_cut || (search.solutions == 1 && (is_chunk_type(type, "IDAT") || !search.given_up));
    if (!proven || search.bound_hit) scan.line_unsure++;
    if (search.solution_cut) {
        RescueFinding cut = file_finding(RESCUE_CUT_CHUNK, RESCUE_NONE, header, record.length, search.length,
                                         type_word(type));
        cut.chunk = chunk;
        add_finding(scan.result, cut);
    }
}

// Writes the winning path's bytes into `out`: the walk from `start` once more,
// without a stream, with the choices it took up.
static int replay_solution(LineSearch& search, Walker start, uint8_t* out)
{
    int32_t count = 0;
    for (int32_t k = search.solution_taken; k >= 0; k = search.taken[k].before) count++;
    Taken* order = (Taken*)zero_alloc((size_t)(count ? count : 1) * sizeof(Taken));
    if (!order) return 0;
    int32_t slot = count;
    for (int32_t k = search.solution_taken; k >= 0; k = search.taken[k].before) order[--slot] = search.taken[k];
    search.replay = order;
    search.replay_count = count;
    search.out = out;
    start.stream = nullptr;
    advance(search, start);
    search.replay = nullptr;
    zero_free(order);
    search.solution = out;
    return start.produced == search.solution_size;
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
        found = search->solutions > 0 && replay_solution(*search, replay_start, out);
        if (search->bound_hit) {
            add_finding(scan.result, file_finding(RESCUE_BOUND_HIT, RESCUE_NONE, header, search->branches));
        }
        if (found) take_restored(scan, *search, header, type);
        *next = search->solution_cut ? scan.file.size : search->solution_end;
    } else {
        free_stream(start.stream);
    }
    if (search) free_stream(search->winner);
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
    free_stream(scan.line_stream);
    scan.line_stream = nullptr;
    if (scan.line_finding < 0) return;
    RescueFinding& finding = scan.result->findings[scan.line_finding];
    finding.detail[1] = scan.line_restored;
    finding.detail[2] = scan.line_failed;
    if (scan.line_failed > 0) finding.certainty = RESCUE_NONE;
    else if (scan.line_unsure > 0) finding.certainty = RESCUE_PROBABLE;
}
