// When no path came out right, the furthest one usually went wrong where it put
// a break right: an alternative a little before or after the right place
// realigns the stream as well, and rows of small values (filter bytes are only
// checked to be 4 or less) rarely show the few bytes it garbled in between. So
// each choice that path took up is a group: the choice itself, and every nearby
// place of the other kind that, swapped for it, inflates on as far past both as
// a break would take to show, with the rows where they were.
//
// Every swap keeps the length, so its effect on the CRC is one fixed vector, and
// the CRC picks at most one swap per group by elimination over GF(2). Where the
// stream ends in the chunk, the swaps' changes to its Adler-32 pick among what
// the CRC leaves: a swap changes the output only until what it garbled has left
// the stream's window, so its change to the Adler-32 is fixed too, and changes
// add up, except between groups whose differences meet in one window: those are
// one group, whose options are their combinations. Each answer is proved by
// inflating the chunk.
#include <string.h>

#include "document/byte_order.h"
#include "document/memory.h"
#include "line_search.h"

// How far from a choice taken up the right place may lie (converted bytes), and
// how far past both places a swap must inflate on to be kept.
static const uint64_t GROUP_REACH = 12288;
static const uint64_t GROUP_MARGIN = 8192;
// The steps (converted bytes) at which a swap's stream is compared with the
// path's, and how many steps past the margin a swap may take to be level.
static const uint64_t LEVEL_STEP = 4096;
static const int32_t LEVEL_STEPS_AFTER = 32;
static const int32_t LEVEL_STEPS = (int32_t)((2 * GROUP_REACH + GROUP_MARGIN) / LEVEL_STEP) + LEVEL_STEPS_AFTER + 2;
static const int32_t GROUPS_MAX = 256;
static const int32_t PASSERS_MAX = 16;
static const int32_t OPTIONS_MAX = 1024;
static const int32_t CLUSTER_OPTIONS_MAX = 256;
static const int32_t OPTION_PLACES_MAX = 8192;
static const int32_t COMBINATIONS_MAX = 4;
static const uInt WINDOW = 32768;

// The trace's index of the place at converted position `at`, or -1.
static int32_t place_index(const PathTrace& trace, uint64_t at)
{
    int32_t low = 0, high = trace.count;
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (trace.places[middle] < at) low = middle + 1;
        else high = middle;
    }
    return low < trace.count && trace.places[low] == at ? low : -1;
}

// A path with some of the furthest path's places swapped, walked on from a start.
struct SwapRun {
    Walker  w;
    Taken*  order;
    int32_t count;
};

static void end_run(SwapRun& run)
{
    free_walker_stream(run.w.stream);
    zero_free(run.order);
    run = SwapRun();
}

// The path of `order` with the trace's places `places` (ascending) taken the
// other way, from `from` on; 0 when memory runs out.
static int begin_run(const Walker& from, const Taken* order, int32_t count, const PathTrace& trace,
                     const int32_t* places, int32_t place_count, SwapRun* run)
{
    *run = SwapRun();
    run->w = from;
    run->order = toggled_choices(order, count, trace, places, place_count, &run->count);
    run->w.stream = run->order ? copy_walker_stream(*from.stream) : nullptr;
    if (run->w.stream) return 1;
    end_run(*run);
    return 0;
}

// Walks the run on to `until` (or the end of the data); whether its stream
// inflated that far without a break. At the end of the data only the image must
// be complete: the Adler-32 is wrong while any other group is.
static int run_holds(LineSearch& search, SwapRun& run, uint64_t until, uint8_t* out)
{
    int32_t ended = replay_path(search, run.w, run.order, run.count, out, until);
    int32_t state = run.w.stream->state;
    if (ended != ADVANCE_FAILED) return state == STREAM_OPEN || state == STREAM_ENDED;
    const Scan& scan = *search.scan;
    int complete = scan.line_layout_known && zlib_produced(run.w.stream->reader) == scan.line_layout.size;
    return run.w.produced == search.length && (state == STREAM_OPEN || state == STREAM_ENDED || complete);
}

static uint64_t run_inflated(const SwapRun& run)
{
    return zlib_produced(run.w.stream->reader);
}

// The last 32 KiB the run's stream inflated: with the same input from here on,
// two streams with the same window give the same output.
static uInt run_window(SwapRun& run, uint8_t* window)
{
    uInt size = 0;
    return inflateGetDictionary(&run.w.stream->reader.zlib, window, &size) == Z_OK ? size : 0;
}

// A run that has inflated as many bytes as `reference` and has its window `window`.
static int run_level(SwapRun& run, const SwapRun& reference, const uint8_t* window, uInt size, uint8_t* scratch)
{
    return run_inflated(run) == run_inflated(reference) && run_window(run, scratch) == size &&
           memcmp(scratch, window, size) == 0;
}

// What a swap does to the stream's final Adler-32, from where it and the path
// without it are level: A moves by the change in A, B by the change in B plus
// the change in A once for each byte still to come.
static uint32_t final_adler_move(const SwapRun& reference, const SwapRun& swapped, uint64_t image_size)
{
    uint32_t move = adler_move_between((uint32_t)reference.w.stream->reader.zlib.adler,
                                       (uint32_t)swapped.w.stream->reader.zlib.adler);
    uint32_t a = move & 0xFFFF, b = move >> 16;
    uint64_t still = (image_size - run_inflated(reference)) % 65521;
    return a | (uint32_t)((b + still * a) % 65521) << 16;
}

// The vector a swap of the trace's places `a` < `b` adds to the register.
static uint32_t swap_vector(const PathTrace& trace, int32_t a, int32_t b)
{
    return crc_term_moved(crc_toggle_term(trace.toggles[a], CR), trace.toggles[b].delta) ^
           crc_toggle_term(trace.toggles[b], CR);
}

// One choice the furthest path took up and the swaps near it that hold.
struct Group {
    Walker   start;  // the main path at the group's start, with a stream of its own
    int32_t  taken;
    int32_t  passers[PASSERS_MAX];
    int32_t  passer_count;
    uint64_t start_inflated;
    uint64_t level_at;        // converted position where every swap is level with the path
    uint64_t level_inflated;
};

// What the solving shares.
struct GroupSolve {
    Scan*         scan;
    LineSearch*   search;
    const Taken*  order;
    int32_t       count;
    const PathTrace* trace;
    uint8_t*      out;
    // The path's stream at the steps of the group being looked at: its window and
    // its inflated bytes, known for steps 0 to `steps_known`.
    uint8_t*      windows;
    uInt          window_sizes[LEVEL_STEPS + 1];
    uint64_t      window_inflated[LEVEL_STEPS + 1];
    int32_t       steps_known;
    int32_t       reference_broke;  // the path broke within them
    uint8_t*      scratch;
    int32_t       unlevel;   // a swap was not level within the steps: its Adler-32 move is unknown
    int32_t       overflow;
    // The options: a cluster of groups each, its vector, its Adler-32 move, its places.
    uint32_t      vectors[OPTIONS_MAX];
    uint32_t      adler_moves[OPTIONS_MAX];
    int32_t       clusters[OPTIONS_MAX];
    int32_t       first_place[OPTIONS_MAX];
    int32_t       place_count[OPTIONS_MAX];
    int32_t       places[OPTION_PLACES_MAX];
    int32_t       option_count;
    int32_t       places_used;
    int32_t       proof_places[OPTION_PLACES_MAX];
    int32_t       picks[COMBINATIONS_MAX * COMBINATION_CLUSTERS_MAX];
};

// The path's stream at the steps of a group, known as far as `known`.
static void reference_to(GroupSolve& solve, SwapRun& reference, const Group& group, int32_t step)
{
    for (; solve.steps_known < step; solve.steps_known++) {
        int32_t k = solve.steps_known + 1;
        if (!run_holds(*solve.search, reference, group.start.at + (uint64_t)k * LEVEL_STEP, solve.out)) {
            solve.reference_broke = 1;
        }
        solve.window_sizes[k] = run_window(reference, solve.windows + (size_t)k * WINDOW);
        solve.window_inflated[k] = run_inflated(reference);
    }
}

// The swaps of the group's choice with each place of the other kind near it that
// hold, and where they are all level with the path: a swap is level at the first
// step past both places where its stream has inflated as much as the path's and
// has the same window (from there on it inflates as the path does).
static void find_passers(GroupSolve& solve, Group& group)
{
    const PathTrace& trace = *solve.trace;
    LineSearch& search = *solve.search;
    uint64_t at = trace.places[group.taken];
    int32_t until = (int32_t)((at - group.start.at + GROUP_REACH + GROUP_MARGIN) / LEVEL_STEP) + 1;
    SwapRun reference;
    if (!begin_run(group.start, solve.order, solve.count, trace, nullptr, 0, &reference)) return;
    solve.steps_known = 0;
    solve.reference_broke = 0;
    solve.window_inflated[0] = run_inflated(reference);
    reference_to(solve, reference, group, until);
    int reference_holds = !solve.reference_broke;
    group.start_inflated = UINT64_MAX;
    for (int32_t q = 0; reference_holds && q < trace.count && trace.places[q] <= at + GROUP_REACH; q++) {
        if (out_of_time(search)) break;
        if (trace.places[q] < group.start.at || trace.toggles[q].delta != -trace.toggles[group.taken].delta) continue;
        int32_t pair[2] = {q < group.taken ? q : group.taken, q < group.taken ? group.taken : q};
        uint64_t earliest = trace.places[pair[0]], later = trace.places[pair[1]];
        SwapRun swapped;
        if (!begin_run(group.start, solve.order, solve.count, trace, pair, 2, &swapped)) break;
        int32_t level = -1, holds = 1, step = 1;
        for (; holds && level < 0 && step <= until + LEVEL_STEPS_AFTER; step++) {
            reference_to(solve, reference, group, step);
            holds = run_holds(search, swapped, group.start.at + (uint64_t)step * LEVEL_STEP, solve.out);
            uInt size = group.start.at + (uint64_t)step * LEVEL_STEP > later ? run_window(swapped, solve.scratch) : 0;
            // At the end of the data both are level once they inflated as much.
            int ended = swapped.w.produced == search.length;
            if (run_inflated(swapped) == solve.window_inflated[step] &&
                (ended || (size && size == solve.window_sizes[step] &&
                           memcmp(solve.scratch, solve.windows + (size_t)step * WINDOW, size) == 0))) {
                level = step;
            }
            if (step == until && run_inflated(swapped) != solve.window_inflated[step]) holds = 0;
        }
        if (holds && (level >= 0 || step > until)) {
            if (group.passer_count == PASSERS_MAX) solve.overflow = 1;
            else group.passers[group.passer_count++] = q;
            if (level < 0) solve.unlevel = 1;
            uint64_t level_at = group.start.at + (uint64_t)(level < 0 ? step - 1 : level) * LEVEL_STEP;
            if (level_at > group.level_at) {
                group.level_at = level_at;
                group.level_inflated = run_inflated(swapped);
            }
            // Where the swap's difference may begin: the path's stream at the step before it.
            int32_t before = (int32_t)((earliest - group.start.at) / LEVEL_STEP);
            if (solve.window_inflated[before] < group.start_inflated) {
                group.start_inflated = solve.window_inflated[before];
            }
        }
        end_run(swapped);
    }
    end_run(reference);
}

// Adds the option of the groups' swaps `picked` (a place each; -1: none) of a
// cluster, measured by walking it from the cluster's start to where all are level.
static void add_option(GroupSolve& solve, const Group* groups, int32_t cluster_first, int32_t cluster_count,
                       const int32_t* picked, int32_t cluster)
{
    const PathTrace& trace = *solve.trace;
    if (solve.option_count == OPTIONS_MAX || solve.places_used + 2 * cluster_count > OPTION_PLACES_MAX) {
        solve.overflow = 1;
        return;
    }
    int32_t k = solve.option_count;
    int32_t* places = solve.places + solve.places_used;
    int32_t n = 0;
    uint32_t vector = 0;
    uint64_t level_at = 0;
    for (int32_t g = 0; g < cluster_count; g++) {
        const Group& group = groups[cluster_first + g];
        if (group.level_at > level_at) level_at = group.level_at;
        if (picked[g] < 0) continue;
        int32_t a = picked[g] < group.taken ? picked[g] : group.taken;
        int32_t b = picked[g] < group.taken ? group.taken : picked[g];
        vector ^= swap_vector(trace, a, b);
        int32_t pair[2] = {a, b};
        for (int32_t place : pair) {
            int32_t slot = n++;
            while (slot > 0 && places[slot - 1] > place) {
                places[slot] = places[slot - 1];
                slot--;
            }
            places[slot] = place;
        }
    }
    const Walker& start = groups[cluster_first].start;
    SwapRun reference, swapped;
    int measured = 0;
    if (begin_run(start, solve.order, solve.count, trace, nullptr, 0, &reference) &&
        begin_run(start, solve.order, solve.count, trace, places, n, &swapped)) {
        int holds = run_holds(*solve.search, reference, level_at, solve.out) &&
                    run_holds(*solve.search, swapped, level_at, solve.out);
        uInt size = holds ? run_window(reference, solve.windows) : 0;
        int ended = swapped.w.produced == solve.search->length && reference.w.produced == solve.search->length;
        if (holds && !ended && !run_level(swapped, reference, solve.windows, size, solve.scratch)) solve.unlevel = 1;
        if (holds) {
            solve.adler_moves[k] = final_adler_move(reference, swapped, solve.scan->line_layout.size);
            measured = 1;
        }
    }
    end_run(reference);
    end_run(swapped);
    if (!measured) return;
    solve.vectors[k] = vector;
    solve.clusters[k] = cluster;
    solve.first_place[k] = solve.places_used;
    solve.place_count[k] = n;
    solve.places_used += n;
    solve.option_count++;
}

// Every combination of at most one swap per group of the cluster, but none.
static void add_cluster(GroupSolve& solve, const Group* groups, int32_t first, int32_t count, int32_t cluster)
{
    int32_t picked[GROUPS_MAX], digit[GROUPS_MAX] = {0};
    uint64_t combinations = 1;
    for (int32_t g = 0; g < count; g++) combinations *= (uint64_t)(groups[first + g].passer_count + 1);
    if (combinations > CLUSTER_OPTIONS_MAX + 1) {
        solve.overflow = 1;
        return;
    }
    for (;;) {
        int32_t g = 0;
        while (g < count && ++digit[g] > groups[first + g].passer_count) digit[g++] = 0;
        if (g == count || solve.overflow || out_of_time(*solve.search)) return;
        for (int32_t k = 0; k < count; k++) {
            picked[k] = digit[k] ? groups[first + k].passers[digit[k] - 1] : -1;
        }
        add_option(solve, groups, first, count, picked, cluster);
    }
}

// The main path walked on to the end of the data: when its stream reached its
// Adler-32 with the image complete and only that failed, the move the swaps must
// make to it.
static int adler_wanted(const Scan& scan, LineSearch& search, Walker& w, const Taken* order, int32_t count,
                        uint8_t* out, uint32_t* wanted)
{
    if (!scan.line_layout_known) return 0;
    replay_path(search, w, order, count, out, 0);
    if (w.produced != search.length || search.length < 4 || !w.stream || w.stream->state != STREAM_BROKEN ||
        zlib_produced(w.stream->reader) != scan.line_layout.size) {
        return 0;
    }
    uint32_t stored = read_u32(out + search.length - 4);
    *wanted = adler_move_between((uint32_t)w.stream->reader.zlib.adler, stored);
    return 1;
}

// Proves each combination of options the checks allow (one pick per cluster);
// keeps the first that holds.
static void prove_combinations(GroupSolve& solve, uint64_t data_at, const uint8_t* type, const int32_t* picks,
                               int32_t found, int32_t cluster_count)
{
    for (int32_t k = 0; k < found && !solve.search->solutions; k++) {
        int32_t* places = solve.proof_places;
        int32_t n = 0;
        for (int32_t c = 0; c < cluster_count; c++) {
            int32_t option = picks[k * cluster_count + c];
            if (option < 0) continue;
            for (int32_t p = 0; p < solve.place_count[option]; p++) {
                int32_t place = solve.places[solve.first_place[option] + p], slot = n++;
                while (slot > 0 && places[slot - 1] > place) {
                    places[slot] = places[slot - 1];
                    slot--;
                }
                places[slot] = place;
            }
        }
        int distinct = 1;
        for (int32_t p = 1; p < n; p++) distinct = distinct && places[p] != places[p - 1];
        int32_t toggled_count = 0;
        Taken* toggled = distinct ? toggled_choices(solve.order, solve.count, *solve.trace, places, n, &toggled_count)
                                  : nullptr;
        if (toggled) prove_path(*solve.scan, *solve.search, data_at, type, toggled, toggled_count, solve.out);
        zero_free(toggled);
    }
}

int solve_choice_groups(Scan& scan, LineSearch& search, uint64_t data_at, const uint8_t* type, const Taken* order,
                        int32_t count, const PathTrace& trace, uint32_t diff, uint8_t* out)
{
    if (count == 0 || count > GROUPS_MAX || count > COMBINATION_CLUSTERS_MAX) return 0;
    GroupSolve* solve = (GroupSolve*)zero_alloc(sizeof(GroupSolve));
    Group* groups = (Group*)zero_alloc((size_t)count * sizeof(Group));
    uint8_t* windows = (uint8_t*)zero_alloc((size_t)(LEVEL_STEPS + 2) * WINDOW);
    Walker w = Walker();
    int32_t group_count = 0;
    if (solve && groups && windows && start_walker(scan, data_at, type, &w)) {
        solve->scan = &scan;
        solve->search = &search;
        solve->order = order;
        solve->count = count;
        solve->trace = &trace;
        solve->out = out;
        solve->windows = windows;
        solve->scratch = windows + (size_t)(LEVEL_STEPS + 1) * WINDOW;
        for (int32_t g = 0; g < count && !solve->overflow && !out_of_time(search); g++) {
            int32_t taken = place_index(trace, order[g].at);
            if (taken < 0) continue;
            uint64_t from = order[g].at > data_at + GROUP_REACH ? order[g].at - GROUP_REACH : data_at;
            if (from > w.at && replay_path(search, w, order, count, out, from) != ADVANCE_PAUSED) break;
            Group& group = groups[group_count];
            group = Group();
            group.taken = taken;
            group.start = w;
            if (!(group.start.stream = copy_walker_stream(*w.stream))) break;
            find_passers(*solve, group);
            if (group.passer_count > 0) group_count++;
            else free_walker_stream(group.start.stream);
        }
        // Groups whose differences meet in one window make one cluster.
        for (int32_t first = 0, cluster = 0; first < group_count && !solve->overflow && !out_of_time(search);
             cluster++) {
            int32_t last = first;
            uint64_t level = groups[first].level_inflated;
            while (last + 1 < group_count && groups[last + 1].start_inflated < level) {
                last++;
                if (groups[last].level_inflated > level) level = groups[last].level_inflated;
            }
            add_cluster(*solve, groups, first, last - first + 1, cluster);
            first = last + 1;
        }
        uint32_t wanted_adler = 0;
        int adler = !solve->overflow && !out_of_time(search) && !solve->unlevel && solve->option_count > 0 &&
                    adler_wanted(scan, search, w, order, count, out, &wanted_adler);
        if (!solve->overflow && !out_of_time(search) && solve->option_count > 0) {
            int32_t found = find_crc_combinations(solve->vectors, adler ? solve->adler_moves : nullptr,
                                                  solve->clusters, solve->option_count, diff, wanted_adler,
                                                  solve->picks, COMBINATIONS_MAX);
            int32_t picked_clusters = 0;
            for (int32_t k = 0; k < solve->option_count; k++) {
                picked_clusters += k == 0 || solve->clusters[k] != solve->clusters[k - 1];
            }
            prove_combinations(*solve, data_at, type, solve->picks, found, picked_clusters);
        }
    }
    for (int32_t g = 0; g < group_count; g++) free_walker_stream(groups[g].start.stream);
    free_walker_stream(w.stream);
    zero_free(windows);
    zero_free(groups);
    zero_free(solve);
    return search.solutions > 0;
}
