// Inside the rescue: the search for a chunk's original bytes under a line-ending
// conversion, shared by the walk through its choices and the solving of the
// path that came furthest.
#pragma once
#include <stdint.h>

#include "crc_toggles.h"
#include "rescue_scan.h"

const uint8_t CR = 0x0D;
const uint8_t LF = 0x0A;
// Alternatives kept open at once; older ones are given up (the search then
// cannot claim it saw every path).
const int32_t PENDING_MAX = 384;

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
    uint64_t  stop_at;      // while replaying: where to pause; 0: at the end of the data
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
    uint64_t  solution_data_end;  // converted position where its CRC field begins
    int32_t   solution_cut;
    StreamCheck* winner;    // for IDAT: the winning path's stream
    uint64_t  best_at;      // converted position where the furthest failed path stopped; 0: none
    int32_t   best_taken;   // its last Taken
    int32_t   solved;       // the solution was solved for from the checks, not walked to
};

// How a walk stopped: failed, data complete with its CRC right, file cut, or at `stop_at`.
enum Advance { ADVANCE_FAILED, ADVANCE_ENDED, ADVANCE_CUT, ADVANCE_PAUSED };

// A path up to the converted position `end`: the register over it, its original
// bytes, and every place where a choice could have gone the other way.
struct PathTrace {
    CrcToggle* toggles;
    uint64_t*  places;  // converted position of each toggle
    int32_t*   chosen;  // the choice the path took there
    int32_t    count;
    uint32_t   reg;
    uint32_t   produced;
};

// Whether the search has used up its branches or its time (then noted), or was
// cancelled.
int out_of_bounds(LineSearch& search);
// Whether the time is used up (then noted as a bound) or the scan cancelled: the
// solving of a path goes on past the search's bound on branches.
int out_of_time(LineSearch& search);
// A walker's stream, on the heap: a copy for another path (null when memory
// runs out), and its release (null is fine).
StreamCheck* copy_walker_stream(const StreamCheck& from);
void free_walker_stream(StreamCheck* stream);
// The path's start: the register over the type, and for IDAT the stream as the
// IDAT chunks before this one left it. 0 when memory runs out.
int start_walker(Scan& scan, uint64_t data_at, const uint8_t* type, Walker* w);
// Walks on from `w` with the choices in `order` (by position; the likelier one
// elsewhere), writing the original bytes into `out`, until the data is complete,
// the path fails, or (`stop_at` not 0) it reaches the converted position `stop_at`.
int32_t replay_path(LineSearch& search, Walker& w, const Taken* order, int32_t count, uint8_t* out,
                    uint64_t stop_at);
// The path with the choices in `order` from `w` up to `end`; 0 when `end` falls
// inside a choice, there are too many places, or memory runs out.
int trace_path(LineSearch& search, Walker w, uint64_t end, const Taken* order, int32_t order_count,
               PathTrace* trace);
void free_trace(PathTrace& trace);
// The choices in `order` with the trace's places `places` (ascending) taken the
// other way; null when memory runs out.
Taken* toggled_choices(const Taken* order, int32_t count, const PathTrace& trace, const int32_t* places,
                       int32_t place_count, int32_t* toggled_count);
// The path with the choices in `order`, walked from the chunk's start with its
// stream: when it ends right (CRC, and the stream as far as it goes), it is the
// search's solution, its bytes in `out`.
int prove_path(Scan& scan, LineSearch& search, uint64_t data_at, const uint8_t* type, const Taken* order,
               int32_t count, uint8_t* out);
// No path ended right and no one or two places of the furthest one explain its
// CRC: each choice it took up may have been the wrong one of a few nearby that
// all inflate on, and the CRC decides among them. `diff` is the wanted register
// XOR the trace's. Puts a proved path in `search` as its solution.
int solve_choice_groups(Scan& scan, LineSearch& search, uint64_t data_at, const uint8_t* type, const Taken* order,
                        int32_t count, const PathTrace& trace, uint32_t diff, uint8_t* out);
