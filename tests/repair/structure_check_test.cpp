#include <gtest/gtest.h>

#include "document/memory.h"
#include "document/zlib_reader.h"
#include "repair/repair_harness.h"
#include "repair/structure_check.h"
#include "support/test_support.h"

namespace {

typedef std::vector<std::pair<std::string, Bytes>> Chunks;

Bytes ihdr_fields(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour, uint8_t interlace)
{
    Bytes d = ihdr_data(width, height, depth);
    d[9] = colour;
    d[12] = interlace;
    return d;
}

// The check of changing byte `position` of chunk `index` to `value`.
int32_t check_of(int32_t index, uint32_t position, uint8_t value)
{
    const ChunkRecord& record = g_document.records[index];
    return check_repair_candidate(index, RepairCandidate{position, record.data[position], value, 0});
}

Bytes concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct StructureCheck : ::testing::Test {
    void TearDown() override { release_document(); }
};

TEST_F(StructureCheck, ImageLayoutCountsEveryRowOfEveryPass)
{
    struct Case {
        uint32_t width, height;
        uint8_t depth, colour, interlace;
        uint64_t size;  // 0: not a valid image
    } cases[] = {
        {37, 23, 8, 2, 0, 23 * (1 + 111)},
        {9, 2, 1, 0, 0, 2 * (1 + 2)},
        {3, 1, 16, 6, 0, 1 + 24},
        {1, 1, 8, 0, 1, 2},                          // only the first pass has a pixel
        {8, 8, 8, 0, 1, 2 + 2 + 3 + 6 + 10 + 20 + 36},
        {0, 5, 8, 2, 0, 0},        {5, 0x80000000u, 8, 2, 0, 0}, {5, 5, 4, 2, 0, 0},
        {5, 5, 16, 3, 0, 0},       {5, 5, 8, 5, 0, 0},           {5, 5, 8, 2, 2, 0},
        // Exactly the cap, one row more, and rows times row bytes past 2^64 (which
        // wrapped to 67,006,298 bytes once).
        {1023, 65536, 8, 0, 0, STREAM_OUTPUT_CAP},   {1023, 65537, 8, 0, 0, LAYOUT_BEYOND_CAP},
        {1073753227u, 2147460842u, 16, 6, 0, LAYOUT_BEYOND_CAP},
        {0x7FFFFFFFu, 0x7FFFFFFFu, 16, 6, 1, LAYOUT_BEYOND_CAP},
    };
    for (const Case& c : cases) {
        ImageLayout layout;
        int valid = layout_image(c.width, c.height, c.depth, c.colour, c.interlace, &layout);
        EXPECT_EQ(c.size != 0, valid != 0) << c.width << "x" << c.height;
        if (valid) {
            EXPECT_EQ(c.size, layout.size) << c.width << "x" << c.height;
        }
    }
}

// The one zlib reader: its states, its cap, its copies and its allocations.
TEST_F(StructureCheck, ZlibReaderReportsEveryEndingAndCopiesItsState)
{
    Bytes text = Bytes(500, 'h');
    Bytes stream = deflated(text, 9);
    Bytes bad_sum = stream;
    bad_sum.back() ^= 1;
    struct Case {
        const char* name;
        Bytes first, second;  // fed one after the other
        uint64_t cap;
        int32_t state;
        uint64_t produced, trailing;
    } cases[] = {
        {"whole", stream, {}, 500, ZLIB_ENDED, 500, 0},
        {"whole, in two pieces", Bytes(stream.begin(), stream.begin() + 3), Bytes(stream.begin() + 3, stream.end()),
         1000, ZLIB_ENDED, 500, 0},
        {"bytes behind it", concat(stream, {0, 0, 0}), {7}, 1000, ZLIB_TRAILING, 500, 4},
        {"cut short", Bytes(stream.begin(), stream.end() - 4), {}, 1000, ZLIB_OPEN, 500, 0},
        {"wrong Adler-32", bad_sum, {}, 1000, ZLIB_BROKEN, 500, 0},
        {"one byte past the cap", stream, {}, 499, ZLIB_TOO_LONG, 500, 0},
    };
    for (const Case& c : cases) {
        ZlibReader reader;
        uint8_t head[8];
        ZlibHead kept = {head, sizeof head, 0};
        zlib_begin(reader, c.cap, zlib_keep_head, &kept);
        zlib_feed(reader, c.first.data(), c.first.size());
        EXPECT_EQ(c.state, zlib_feed(reader, c.second.data(), c.second.size())) << c.name;
        EXPECT_EQ(c.produced, zlib_produced(reader)) << c.name;
        EXPECT_EQ(c.trailing, reader.trailing) << c.name;
        EXPECT_EQ("hhhhhhhh", std::string(head, head + kept.kept)) << c.name;
        zlib_end(reader);
    }
    // A copy goes on by itself: a wrong byte breaks it and leaves the original whole.
    ZlibReader reader, copy;
    zlib_begin(reader, 1000, nullptr, nullptr);
    size_t half = stream.size() / 2;
    zlib_feed(reader, stream.data(), half);
    ASSERT_EQ(ZLIB_OPEN, zlib_copy(copy, reader));
    Bytes wrong = Bytes(stream.begin() + half, stream.end());
    wrong.back() ^= 0x20;
    EXPECT_EQ(ZLIB_BROKEN, zlib_feed(copy, wrong.data(), wrong.size()));
    EXPECT_EQ(ZLIB_ENDED, zlib_feed(reader, stream.data() + half, stream.size() - half));
    zlib_end(copy);
    zlib_end(reader);
    // Its memory is the checked allocator's.
    set_alloc_fail_hook([](size_t) { return 1; });
    EXPECT_EQ(ZLIB_NO_MEMORY, zlib_begin(reader, 1000, nullptr, nullptr));
    set_alloc_fail_hook(nullptr);
    zlib_end(reader);
}

TEST_F(StructureCheck, FieldRulesJudgeOnlyTheCandidatesByte)
{
    Bytes zstream = deflated(text_bytes("hello hello hello"), 9);
    Bytes ztxt = concat(concat(text_bytes("Comment"), {0, 0}), zstream);
    Bytes itxt = concat(concat(text_bytes("Title"), {0, 1, 0, 'j', 'a', 0, 0}), zstream);
    uint32_t z = (uint32_t)ztxt.size() - 6;   // inside the compressed part
    uint32_t i = (uint32_t)itxt.size() - 6;
    Bytes title_text = concat(concat(text_bytes("Title"), {0}), text_bytes("text"));
    Bytes off_interlace = ihdr_fields(37, 23, 8, 2, 7);
    struct Case {
        const char* name;
        const char* type;
        Bytes data;
        uint32_t position;
        int value;  // -1: the byte as it stands
        int32_t check;
    } cases[] = {
        {"interlace 1", "IHDR", ihdr_fields(37, 23, 8, 2, 0), 12, 1, REPAIR_CHECK_PASSED},
        {"interlace 2", "IHDR", ihdr_fields(37, 23, 8, 2, 0), 12, 2, REPAIR_CHECK_FAILED},
        {"depth 3", "IHDR", ihdr_fields(37, 23, 8, 2, 0), 8, 3, REPAIR_CHECK_FAILED},
        {"height 0", "IHDR", ihdr_fields(37, 23, 8, 2, 0), 7, 0, REPAIR_CHECK_FAILED},
        {"height 0x117", "IHDR", ihdr_fields(37, 23, 8, 2, 0), 6, 1, REPAIR_CHECK_NONE},
        {"width over 2^31", "IHDR", ihdr_fields(37, 23, 8, 2, 0), 0, 0x80, REPAIR_CHECK_FAILED},
        // The interlace byte is wrong already: it does not count against a change of depth.
        {"depth 16, interlace off", "IHDR", off_interlace, 8, 16, REPAIR_CHECK_PASSED},
        {"month 13", "tIME", {7, 234, 1, 1, 0, 0, 0}, 2, 13, REPAIR_CHECK_FAILED},
        {"month 12", "tIME", {7, 234, 13, 1, 0, 0, 0}, 2, 12, REPAIR_CHECK_PASSED},
        {"day, month off", "tIME", {7, 234, 13, 1, 0, 0, 0}, 3, 5, REPAIR_CHECK_PASSED},
        {"second 60", "tIME", {7, 234, 1, 1, 0, 0, 0}, 6, 60, REPAIR_CHECK_PASSED},
        {"day 0", "tIME", {7, 234, 1, 1, 0, 0, 0}, 3, 0, REPAIR_CHECK_FAILED},
        {"intent 4", "sRGB", {0}, 0, 4, REPAIR_CHECK_FAILED},
        {"unit 2", "pHYs", {0, 0, 0, 1, 0, 0, 0, 1, 1}, 8, 2, REPAIR_CHECK_FAILED},
        {"gamma 0", "gAMA", {0, 0, 0, 1}, 3, 0, REPAIR_CHECK_FAILED},
        {"palette byte", "PLTE", {1, 2, 3, 4, 5, 6}, 4, 9, REPAIR_CHECK_NONE},
        {"keyword control byte", "tEXt", title_text, 2, 7, REPAIR_CHECK_FAILED},
        {"keyword letter", "tEXt", title_text, 2, 'X', REPAIR_CHECK_PASSED},
        {"text byte", "tEXt", title_text, 7, 1, REPAIR_CHECK_NONE},
        {"keyword of 80", "tEXt", concat(Bytes(79, 'k'), {0, 'x'}), 79, 'k', REPAIR_CHECK_FAILED},
        {"keyword of 79", "tEXt", concat(Bytes(80, 'k'), {0, 'x'}), 79, 0, REPAIR_CHECK_PASSED},
        {"zTXt stream intact", "zTXt", ztxt, z, -1, REPAIR_CHECK_PASSED},
        {"zTXt stream changed", "zTXt", ztxt, z, 0x55, REPAIR_CHECK_FAILED},
        {"zTXt method 1", "zTXt", ztxt, 8, 1, REPAIR_CHECK_FAILED},
        {"iTXt stream intact", "iTXt", itxt, i, -1, REPAIR_CHECK_PASSED},
        {"iTXt stream changed", "iTXt", itxt, i, 0x55, REPAIR_CHECK_FAILED},
        {"unknown type", "ruSt", {1, 2, 3}, 1, 0, REPAIR_CHECK_NONE},
    };
    for (const Case& c : cases) {
        install_chunks({{c.type, c.data}, {"IEND", {}}});
        uint8_t value = c.value < 0 ? c.data[c.position] : (uint8_t)c.value;
        EXPECT_EQ(c.check, check_of(0, c.position, value)) << c.name;
    }
}

// IHDR, then the image's compressed rows split over three IDAT chunks, then IEND.
Chunks three_idat_image(const Bytes& ihdr, uint32_t seed)
{
    ImageLayout layout;
    layout_from_ihdr(ihdr.data(), 13, &layout);
    Bytes stream = deflated(image_rows(layout, seed, false), 9);
    size_t third = stream.size() / 3;
    return {{"IHDR", ihdr},
            {"IDAT", Bytes(stream.begin(), stream.begin() + third)},
            {"IDAT", Bytes(stream.begin() + third, stream.begin() + 2 * third)},
            {"IDAT", Bytes(stream.begin() + 2 * third, stream.end())},
            {"IEND", {}}};
}

TEST_F(StructureCheck, IdatRunIsFollowedUpToTheNextDamage)
{
    Bytes ihdr = ihdr_fields(61, 40, 8, 2, 1);
    Chunks image = three_idat_image(ihdr, 3);
    // An intact IHDR that claims one row more than the stream holds.
    Chunks taller = three_idat_image(ihdr_fields(61, 40, 8, 2, 0), 4);
    taller[0].second = ihdr_fields(61, 41, 8, 2, 0);
    struct Case {
        const char* name;
        const Chunks& chunks;
        int32_t damaged;  // another IDAT with a wrong byte, or 0
        int32_t index;
        uint32_t position;
        uint8_t change;   // XORed into the byte to make the candidate's value
        int32_t check;
    } cases[] = {
        {"as it stands", image, 0, 2, 5, 0, REPAIR_CHECK_PASSED},
        {"header byte changed", image, 0, 1, 0, 1, REPAIR_CHECK_FAILED},
        {"middle byte changed", image, 0, 2, 5, 0x40, REPAIR_CHECK_FAILED},
        {"last byte changed", image, 0, 3, (uint32_t)image[3].second.size() - 1, 1, REPAIR_CHECK_FAILED},
        {"one row short of IHDR", taller, 0, 2, 5, 0, REPAIR_CHECK_FAILED},
        {"a damaged chunk behind", image, 3, 1, 5, 0, REPAIR_CHECK_PARTIAL},
        {"header changed, damage behind", image, 3, 1, 0, 1, REPAIR_CHECK_FAILED},
        {"a damaged chunk in front", image, 1, 2, 5, 0x40, REPAIR_CHECK_NONE},
    };
    for (const Case& c : cases) {
        install_chunks(c.chunks);
        if (c.damaged) damage_byte(c.damaged, 2, 0x10);
        EXPECT_EQ(c.check, check_of(c.index, c.position, g_document.records[c.index].data[c.position] ^ c.change))
            << c.name;
    }
    // Candidates of one chunk checked together, from one saved state, fare as each alone.
    install_chunks(image);
    RepairCandidate several[4];
    for (uint32_t k = 0; k < 4; k++) {
        uint32_t p = k * 7;
        several[k] = RepairCandidate{p, g_document.records[2].data[p], (uint8_t)(g_document.records[2].data[p] ^ (k & 1)), 0};
    }
    ASSERT_EQ(CHECKS_DONE, check_repair_candidates(2, several, 4, nullptr));
    for (const RepairCandidate& c : several) EXPECT_EQ(check_repair_candidate(2, c), c.check) << c.position;
    EXPECT_EQ(REPAIR_CHECK_PASSED, several[0].check);
    EXPECT_EQ(REPAIR_CHECK_FAILED, several[1].check);
    // The whole run inflates to the image's size; a broken run has none.
    ImageLayout layout;
    layout_from_ihdr(ihdr.data(), 13, &layout);
    install_chunks(image);
    EXPECT_EQ((int64_t)layout.size, idat_inflated_size());
    damage_byte(2, 0, 0xFF);
    EXPECT_EQ(-1, idat_inflated_size());
}

}  // namespace
