#include "crc_toggles.h"

#include <string.h>

#include <algorithm>

#include "document/crc32.h"
#include "document/memory.h"

uint32_t crc_toggle_term(const CrcToggle& toggle, uint8_t byte)
{
    return crc_zero_bytes(crc_step(toggle.reg, byte) ^ toggle.reg, toggle.after);
}

struct PairKey {
    uint32_t key;
    int32_t  a, b;
};

static bool pair_less(const PairKey& x, const PairKey& y)
{
    return x.key < y.key || (x.key == y.key && (x.a < y.a || (x.a == y.a && x.b < y.b)));
}

int32_t find_crc_insertions(const CrcToggle* toggles, int32_t count_of_toggles, uint8_t byte, int32_t count,
                            uint32_t diff, InsertionSet* out, int32_t max)
{
    if (count_of_toggles > INSERTION_PLACES_MAX || count < 1 || count > 4) return -1;
    // One or two are the toggles of that net change, all of them insertions.
    if (count <= 2) {
        ToggleSet sets[16];
        int32_t found = find_crc_toggles(toggles, count_of_toggles, byte, count, diff, sets, max < 16 ? max : 16);
        for (int32_t k = 0; k < found; k++) out[k] = InsertionSet{{sets[k].first, sets[k].second, -1, -1}};
        return found;
    }
    int32_t* places = (int32_t*)zero_alloc((size_t)(count_of_toggles + 1) * sizeof(int32_t));
    uint32_t* terms = (uint32_t*)zero_alloc((size_t)(count_of_toggles + 1) * sizeof(uint32_t));
    int32_t n = 0;
    for (int32_t i = 0; places && terms && i < count_of_toggles; i++) {
        if (toggles[i].delta != 1) continue;
        places[n] = i;
        terms[n++] = crc_toggle_term(toggles[i], byte);
    }
    if (count == 4 && n > INSERTION_PLACES_FOR_FOUR) n = -1;
    // The last place's term as it is, the one before moved by one byte, and so
    // on: term(p1) x^24 + term(p2) x^16 + term(p3) x^8 + term(p4) for four.
    const uint32_t x8 = g_crc_zero_powers[0], x16 = g_crc_zero_powers[1];
    const uint32_t x24 = crc_multiply(x16, x8);
    size_t pair_count = n > 0 ? (size_t)n * (size_t)(n - 1) / 2 : 0;
    PairKey* pairs = pair_count ? (PairKey*)zero_alloc(pair_count * sizeof(PairKey)) : nullptr;
    int32_t found = (places && terms && n >= 0 && (pairs || !pair_count)) ? 0 : -1;
    if (found >= 0) {
        // The last two places as pairs, looked up by what the first ones lack.
        size_t k = 0;
        for (int32_t i = 0; i < n; i++) {
            uint32_t moved = crc_multiply(terms[i], x8);
            for (int32_t j = i + 1; j < n; j++) pairs[k++] = PairKey{moved ^ terms[j], i, j};
        }
        std::sort(pairs, pairs + pair_count, pair_less);
        for (int32_t i = 0; i < n && found < max; i++) {
            uint32_t first = crc_multiply(terms[i], count == 3 ? x16 : x24);
            for (int32_t j = count == 3 ? i : i + 1; j < n && found < max; j++) {
                uint32_t second = count == 3 ? 0 : crc_multiply(terms[j], x16);
                PairKey probe = {diff ^ first ^ second, j + 1, -1};
                for (const PairKey* p = std::lower_bound(pairs, pairs + pair_count, probe, pair_less);
                     p < pairs + pair_count && p->key == probe.key && found < max; p++) {
                    if (count == 3) out[found++] = InsertionSet{{places[i], places[p->a], places[p->b], -1}};
                    else out[found++] = InsertionSet{{places[i], places[j], places[p->a], places[p->b]}};
                }
                if (count == 3) break;
            }
        }
    }
    zero_free(pairs);
    zero_free(places);
    zero_free(terms);
    return found;
}

// x^-1 modulo the polynomial: x times (G(x) - 1) / x is G(x) - 1, which is 1.
static const uint32_t X_INVERSE = (0xEDB88320u << 1) | 1;

uint32_t crc_term_moved(uint32_t term, int32_t delta)
{
    if (delta > 0) return crc_multiply(term, g_crc_zero_powers[0]);
    for (int k = 0; k < 8; k++) term = crc_multiply(term, X_INVERSE);
    return term;
}

struct Keyed {
    uint32_t key;
    int32_t  index;
};

static bool key_less(const Keyed& a, const Keyed& b)
{
    return a.key < b.key || (a.key == b.key && a.index < b.index);
}

// Pairs first < second with delta (first_delta, second_delta): the later place
// moves the earlier one's term by the byte it puts in or takes out, so
// moved(term(first)) + term(second) = diff.
static int32_t find_pairs(const uint32_t* terms, const CrcToggle* toggles, int32_t count, int32_t first_delta,
                          int32_t second_delta, uint32_t diff, Keyed* keyed, ToggleSet* out, int32_t found,
                          int32_t max)
{
    int32_t keys = 0;
    for (int32_t j = 0; j < count; j++) {
        if (toggles[j].delta == second_delta) keyed[keys++] = Keyed{terms[j], j};
    }
    std::sort(keyed, keyed + keys, key_less);
    for (int32_t i = 0; i < count && found < max; i++) {
        if (toggles[i].delta != first_delta) continue;
        uint32_t key = diff ^ crc_term_moved(terms[i], second_delta);
        Keyed probe = {key, i + 1};
        for (const Keyed* k = std::lower_bound(keyed, keyed + keys, probe, key_less);
             k < keyed + keys && k->key == key && found < max; k++) {
            out[found++] = ToggleSet{i, k->index};
        }
    }
    return found;
}

int32_t find_crc_toggles(const CrcToggle* toggles, int32_t count, uint8_t byte, int32_t net, uint32_t diff,
                         ToggleSet* out, int32_t max)
{
    uint32_t* terms = (uint32_t*)zero_alloc((size_t)(count ? count : 1) * sizeof(uint32_t));
    Keyed* keyed = (Keyed*)zero_alloc((size_t)(count ? count : 1) * sizeof(Keyed));
    if (!terms || !keyed) {
        zero_free(terms);
        zero_free(keyed);
        return -1;
    }
    int32_t found = 0;
    for (int32_t i = 0; i < count; i++) {
        const CrcToggle& t = toggles[i];
        terms[i] = crc_toggle_term(t, byte);
        if (t.delta == net && terms[i] == diff && found < max) out[found++] = ToggleSet{i, -1};
    }
    for (int32_t second = -1; second <= 1; second += 2) {
        int32_t first = net - second;
        if (first == 1 || first == -1) {
            found = find_pairs(terms, toggles, count, first, second, diff, keyed, out, found, max);
        }
    }
    zero_free(terms);
    zero_free(keyed);
    return found;
}

static const uint32_t ADLER_BASE = 65521;
// Combinations of the first half kept at most, of the second looked through.
static const uint64_t COMBINATIONS_KEPT_MAX = 1u << 20;
static const uint64_t COMBINATIONS_LOOKED_MAX = 1u << 22;

// Both halves are below 65521, so each sum needs one subtraction at most.
uint32_t adler_move_add(uint32_t a, uint32_t b)
{
    uint32_t low = (a & 0xFFFF) + (b & 0xFFFF), high = (a >> 16) + (b >> 16);
    if (low >= ADLER_BASE) low -= ADLER_BASE;
    if (high >= ADLER_BASE) high -= ADLER_BASE;
    return low | high << 16;
}

uint32_t adler_move_between(uint32_t from, uint32_t to)
{
    uint32_t low = (to & 0xFFFF) + ADLER_BASE - (from & 0xFFFF), high = (to >> 16) + ADLER_BASE - (from >> 16);
    if (low >= ADLER_BASE) low -= ADLER_BASE;
    if (high >= ADLER_BASE) high -= ADLER_BASE;
    return low | high << 16;
}

// One half's clusters counted through like the digits of a number, each digit
// an option of its cluster (0: none), with the XOR and the sum of what is picked.
struct Odometer {
    const uint32_t* vectors;
    const uint32_t* adler_moves;
    const int32_t*  first;    // each cluster's first option
    const int32_t*  options;  // each cluster's number of options
    const int32_t*  half;     // the half's clusters
    int32_t         half_count;
    int32_t         digit[COMBINATION_CLUSTERS_MAX];  // by cluster
    uint32_t        vector;
    uint32_t        adler;
};

// What option `digit` of cluster `c` adds (or takes away).
static void odometer_turn(Odometer& o, int32_t c, int32_t digit, int add)
{
    if (digit == 0) return;
    int32_t option = o.first[c] + digit - 1;
    o.vector ^= o.vectors[option];
    if (!o.adler_moves) return;
    o.adler = adler_move_add(o.adler, add ? o.adler_moves[option] : adler_move_between(o.adler_moves[option], 0));
}

// The next combination; 0 after the last.
static int odometer_next(Odometer& o)
{
    for (int32_t h = 0; h < o.half_count; h++) {
        int32_t c = o.half[h];
        odometer_turn(o, c, o.digit[c], 0);
        if (++o.digit[c] <= o.options[c]) {
            odometer_turn(o, c, o.digit[c], 1);
            return 1;
        }
        o.digit[c] = 0;
    }
    return 0;
}

// A combination of the kept half in an open-addressed table by its vector.
struct Kept {
    uint32_t vector;
    uint32_t adler;
    uint32_t number;  // the combination, as the kept half's digits in mixed radix; EMPTY: a free slot
};
static const uint32_t EMPTY = 0xFFFFFFFFu;

static uint32_t slot_of(uint32_t vector, uint32_t mask)
{
    return (vector * 2654435761u) & mask;
}

int32_t find_crc_combinations(const uint32_t* vectors, const uint32_t* adler_moves, const int32_t* clusters,
                              int32_t count, uint32_t wanted, uint32_t wanted_adler, int32_t* picks, int32_t max)
{
    int32_t first[COMBINATION_CLUSTERS_MAX], options[COMBINATION_CLUSTERS_MAX], cluster_count = 0;
    for (int32_t i = 0; i < count; i++) {
        if (i == 0 || clusters[i] != clusters[i - 1]) {
            if (cluster_count == COMBINATION_CLUSTERS_MAX) return -1;
            first[cluster_count] = i;
            options[cluster_count++] = 0;
        }
        options[cluster_count - 1]++;
    }
    // The largest clusters first into the half that is kept, as far as it may
    // be kept; the rest are looked through.
    int32_t by_size[COMBINATION_CLUSTERS_MAX];
    int32_t kept_half[COMBINATION_CLUSTERS_MAX], looked_half[COMBINATION_CLUSTERS_MAX];
    int32_t kept_count = 0, looked_count = 0;
    for (int32_t c = 0; c < cluster_count; c++) {
        int32_t slot = c;
        while (slot > 0 && options[by_size[slot - 1]] < options[c]) {
            by_size[slot] = by_size[slot - 1];
            slot--;
        }
        by_size[slot] = c;
    }
    uint64_t kept = 1, looked = 1;
    for (int32_t k = 0; k < cluster_count; k++) {
        int32_t c = by_size[k];
        uint64_t radix = (uint64_t)(options[c] + 1);
        if (kept * radix <= COMBINATIONS_KEPT_MAX) {
            kept *= radix;
            kept_half[kept_count++] = c;
        } else {
            looked *= radix;
            looked_half[looked_count++] = c;
            if (looked > COMBINATIONS_LOOKED_MAX) return -1;
        }
    }
    uint32_t slots = 1;
    while (slots < 2 * kept) slots <<= 1;
    Kept* table = (Kept*)zero_alloc((size_t)slots * sizeof(Kept));
    if (!table) return -1;
    for (uint32_t k = 0; k < slots; k++) table[k].number = EMPTY;
    Odometer low = {vectors, adler_moves, first, options, kept_half, kept_count, {0}, 0, 0};
    uint32_t number = 0;
    do {
        uint32_t slot = slot_of(low.vector, slots - 1);
        while (table[slot].number != EMPTY) slot = (slot + 1) & (slots - 1);
        table[slot] = Kept{low.vector, low.adler, number++};
    } while (odometer_next(low));
    Odometer high = {vectors, adler_moves, first, options, looked_half, looked_count, {0}, 0, 0};
    int32_t found = 0;
    do {
        uint32_t lacking = wanted ^ high.vector;
        uint32_t adler_lacking = adler_moves ? adler_move_between(high.adler, wanted_adler) : 0;
        uint32_t k = slot_of(lacking, slots - 1);
        for (; table[k].number != EMPTY && found < max; k = (k + 1) & (slots - 1)) {
            if (table[k].vector != lacking || (adler_moves && table[k].adler != adler_lacking)) continue;
            int32_t* answer = picks + (size_t)found++ * cluster_count;
            int32_t digits[COMBINATION_CLUSTERS_MAX];
            memcpy(digits, high.digit, sizeof digits);
            uint32_t rest = table[k].number;
            for (int32_t h = 0; h < kept_count; h++) {
                int32_t c = kept_half[h];
                digits[c] = (int32_t)(rest % (uint32_t)(options[c] + 1));
                rest /= (uint32_t)(options[c] + 1);
            }
            for (int32_t c = 0; c < cluster_count; c++) answer[c] = digits[c] ? first[c] + digits[c] - 1 : -1;
        }
    } while (found < max && odometer_next(high));
    zero_free(table);
    return found;
}
