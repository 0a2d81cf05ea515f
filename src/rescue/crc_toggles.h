// Inside the rescue: the one or two places of a long path of choices that, taken
// the other way, give the data the CRC that was stored. Each place puts one byte
// in or takes one out; since the CRC is linear, every place adds its own term to
// the register and a pair is found by sorting, in time near linear in the places.
#pragma once
#include <stdint.h>

struct CrcToggle {
    uint32_t reg;    // the register over the path's bytes in front of the place
    uint32_t after;  // the path's bytes behind the byte put in or taken out
    int32_t  delta;  // +1: `byte` is put in there; -1: the path's `byte` there is taken out
};

// Indices into the toggles, in their order; `second` is -1 for a single one.
struct ToggleSet {
    int32_t first;
    int32_t second;
};

// The sets of one or two toggles that change the data's length by `net` and its
// register by `diff` (the wanted register XOR the path's). Writes up to `max` of
// them, returns how many it wrote, or -1 when memory runs out.
int32_t find_crc_toggles(const CrcToggle* toggles, int32_t count, uint8_t byte, int32_t net, uint32_t diff,
                         ToggleSet* out, int32_t max);

// Every set of exactly `count` (1 to 4) of the places that put `byte` in (delta
// +1), each place's term moved by the bytes the later ones put in, that changes
// the register by `diff`: a complete look at a path short of `count` bytes.
// Places at most INSERTION_PLACES_MAX (for four, INSERTION_PLACES_FOR_FOUR,
// where chance matches stay few). Writes up to `max` sets (indices ascending,
// -1 past `count`) and returns how many it wrote, or -1 when there are too many
// places or memory runs out.
const int32_t INSERTION_PLACES_MAX = 2048;
const int32_t INSERTION_PLACES_FOR_FOUR = 400;
struct InsertionSet {
    int32_t at[4];
};
int32_t find_crc_insertions(const CrcToggle* toggles, int32_t count_of_toggles, uint8_t byte, int32_t count,
                            uint32_t diff, InsertionSet* out, int32_t max);

// What one toggle adds to the register of the whole path, as if no other changed
// the length behind it.
uint32_t crc_toggle_term(const CrcToggle& toggle, uint8_t byte);
// A term moved by a byte put in (+1) or taken out (-1) behind its place.
uint32_t crc_term_moved(uint32_t term, int32_t delta);

// A change to an Adler-32, as what it adds to each of its two sums modulo
// 65521 (the first in the low half): additive where the CRC is linear. Both
// halves of every move and Adler-32 given are below 65521.
uint32_t adler_move_add(uint32_t a, uint32_t b);
uint32_t adler_move_between(uint32_t from, uint32_t to);  // what takes `from` to `to`

const int32_t COMBINATION_CLUSTERS_MAX = 256;

// Picks at most one option of each cluster (a cluster's options stand together,
// clusters ascending) such that the picked vectors XOR to `wanted` and, with
// `adler_moves` given, the picked moves add up to `wanted_adler`. Meets in the
// middle: every combination of the first clusters is kept by its vector, every
// one of the others looks up what it lacks. Writes up to `max` answers of one
// pick per cluster each (an option's index, or -1 for none) to `picks`; returns
// how many it wrote, or -1 when there are too many combinations to look through
// or memory runs out.
int32_t find_crc_combinations(const uint32_t* vectors, const uint32_t* adler_moves, const int32_t* clusters,
                              int32_t count, uint32_t wanted, uint32_t wanted_adler, int32_t* picks, int32_t max);
