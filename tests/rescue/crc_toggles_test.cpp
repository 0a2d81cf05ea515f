#include <gtest/gtest.h>

#include <random>

#include "document/crc32.h"
#include "rescue/crc_toggles.h"
#include "support/test_support.h"

namespace {

const uint8_t CR = 0x0D, LF = 0x0A;

uint32_t register_over(const Bytes& bytes)
{
    uint32_t reg = 0xFFFFFFFFu;
    for (uint8_t b : bytes) reg = crc_step(reg, b);
    return reg;
}

// The places of a path: before each LF a CR may be put in, and every CR the
// path has in front of an LF may be taken out.
std::vector<CrcToggle> places_of(const Bytes& path, std::vector<size_t>* at)
{
    std::vector<CrcToggle> toggles;
    uint32_t reg = 0xFFFFFFFFu;
    for (size_t k = 0; k < path.size(); k++) {
        if (path[k] == LF && (k == 0 || path[k - 1] != CR)) {
            toggles.push_back(CrcToggle{reg, (uint32_t)(path.size() - k), 1});
            at->push_back(k);
        }
        if (path[k] == CR && k + 1 < path.size() && path[k + 1] == LF) {
            toggles.push_back(CrcToggle{reg, (uint32_t)(path.size() - k - 1), -1});
            at->push_back(k);
        }
        reg = crc_step(reg, path[k]);
    }
    return toggles;
}

}  // namespace

// A path gone wrong in one or two places, every way: the places that make the
// CRC right are found, and no others.
TEST(CrcToggles, FindsTheOneOrTwoPlacesThatGiveTheStoredCrc)
{
    build_crc_table();
    std::mt19937 rng(5);
    Bytes truth(20000);
    for (uint8_t& b : truth) b = (uint8_t)(rng() % 16 == 0 ? LF : rng());
    for (size_t k : {3000u, 9000u, 15000u}) truth[k] = CR, truth[k + 1] = LF;
    std::vector<size_t> lfs;
    for (size_t k = 1; k < truth.size(); k++) {
        if (truth[k] == LF && truth[k - 1] != CR) lfs.push_back(k);
    }
    // The path's bytes, from the truth: a CR it lacks (taken from the truth's
    // CR LF) or has too many (put before a lone LF); `net` is what the truth has more.
    struct Case {
        const char* name;
        std::vector<size_t> lacks;
        std::vector<size_t> extra;
    };
    const Case cases[] = {
        {"lacks one", {9000}, {}},
        {"one too many", {}, {lfs[100]}},
        {"lacks two", {3000, 15000}, {}},
        {"two too many", {}, {lfs[7], lfs[900]}},
        {"lacks one before one too many", {3000}, {lfs[1000]}},
        {"one too many before lacking one", {15000}, {lfs[20]}},
    };
    for (const Case& c : cases) {
        Bytes path;
        for (size_t k = 0; k < truth.size(); k++) {
            bool lacks = std::find(c.lacks.begin(), c.lacks.end(), k) != c.lacks.end();
            bool extra = std::find(c.extra.begin(), c.extra.end(), k) != c.extra.end();
            if (extra) path.push_back(CR);
            if (!lacks) path.push_back(truth[k]);
        }
        std::vector<size_t> at;
        std::vector<CrcToggle> toggles = places_of(path, &at);
        int32_t net = (int32_t)truth.size() - (int32_t)path.size();
        ToggleSet sets[4];
        int32_t found = find_crc_toggles(toggles.data(), (int32_t)toggles.size(), CR, net,
                                         register_over(truth) ^ register_over(path), sets, 4);
        ASSERT_EQ(found, 1) << c.name;
        size_t places = c.lacks.size() + c.extra.size();
        EXPECT_EQ(sets[0].second >= 0 ? 2u : 1u, places) << c.name;
    }
}

// Clusters of options, one pick each (or none): the planted picks are the ones
// found, by the vectors alone and with the Adler-32 moves.
TEST(CrcToggles, CombinationsMeetInTheMiddle)
{
    std::mt19937 rng(9);
    const int32_t clusters = 14, per = 3;
    std::vector<uint32_t> vectors, moves;
    std::vector<int32_t> ids;
    for (int32_t c = 0; c < clusters; c++) {
        for (int32_t k = 0; k < per; k++) {
            vectors.push_back(rng());
            moves.push_back((rng() % 65521) | (rng() % 65521) << 16);
            ids.push_back(c);
        }
    }
    std::vector<int32_t> planted(clusters);
    uint32_t wanted = 0, wanted_adler = 0;
    for (int32_t c = 0; c < clusters; c++) {
        planted[c] = c % 4 == 3 ? -1 : c * per + (int32_t)(rng() % per);
        if (planted[c] < 0) continue;
        wanted ^= vectors[planted[c]];
        wanted_adler = adler_move_add(wanted_adler, moves[planted[c]]);
    }
    for (const uint32_t* adler : {(const uint32_t*)nullptr, (const uint32_t*)moves.data()}) {
        std::vector<int32_t> picks(4 * clusters);
        int32_t found = find_crc_combinations(vectors.data(), adler, ids.data(), (int32_t)vectors.size(), wanted,
                                              wanted_adler, picks.data(), 4);
        ASSERT_EQ(found, 1);
        EXPECT_EQ(std::vector<int32_t>(picks.begin(), picks.begin() + clusters), planted);
    }
}

// A path short of one to four CRs before its LFs: every set of places that puts
// them back and gives the CRC is found, and that is the one taken out.
TEST(CrcToggles, InsertionsOfOneToFourBytesAreFoundWhole)
{
    build_crc_table();
    std::mt19937 rng(11);
    Bytes truth(3000);
    for (uint8_t& b : truth) b = (uint8_t)(rng() % 12 == 0 ? LF : rng());
    std::vector<size_t> crs;
    for (size_t k = 1; k < truth.size(); k++) {
        if (truth[k] == LF && truth[k - 1] != CR && crs.size() < 4 && k % 7 == 0) {
            truth[k - 1] = CR;
            crs.push_back(k - 1);
        }
    }
    ASSERT_EQ(crs.size(), 4u);
    for (size_t taken = 1; taken <= 4; taken++) {
        Bytes path;
        for (size_t k = 0; k < truth.size(); k++) {
            if (std::find(crs.begin(), crs.begin() + taken, k) == crs.begin() + taken) path.push_back(truth[k]);
        }
        std::vector<size_t> at;
        std::vector<CrcToggle> toggles = places_of(path, &at);
        InsertionSet sets[4];
        int32_t found = find_crc_insertions(toggles.data(), (int32_t)toggles.size(), CR, (int32_t)taken,
                                            register_over(truth) ^ register_over(path), sets, 4);
        ASSERT_EQ(found, 1) << taken;
        for (size_t k = 0; k < taken; k++) EXPECT_EQ(at[sets[0].at[k]], crs[k] - k) << taken;
    }
}
