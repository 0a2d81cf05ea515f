// How the repair decides among the changes that match a CRC: the faults of large
// chunks that a lowest-position-first search would have "repaired" wrongly, and
// an IHDR whose width or height was edited.
#include <gtest/gtest.h>

#include "document/byte_order.h"
#include "document/chunk_edit.h"
#include "repair/ihdr_search.h"
#include "repair/repair_harness.h"
#include "support/test_support.h"

namespace {

typedef std::vector<std::pair<std::string, Bytes>> Chunks;

// IHDR, one IDAT of about 3.5 MiB of random rows (barely compressible, so every
// byte counts), IEND.
Chunks large_image()
{
    Bytes ihdr = ihdr_data(4095, 896, 8);
    ihdr[9] = 0;  // grey
    ImageLayout layout;
    layout_from_ihdr(ihdr.data(), 13, &layout);
    return {{"IHDR", ihdr}, {"IDAT", deflated(image_rows(layout, 5, true), 1)}, {"IEND", {}}};
}

struct Fault {
    uint32_t position;
    uint8_t change;
};

std::string run_repair(int32_t choice)
{
    PortScript script;
    script.log_clock = false;
    script.choice = choice;
    PortLog log(script);
    repair_chunk(1, recording_ports(log));
    return log.calls;
}

struct RepairDecision : ::testing::Test {
    void TearDown() override { release_document(); }
};

TEST_F(RepairDecision, SpuriousMatchInFrontOfTheFaultIsOfferedAsFailed)
{
    Chunks image = large_image();
    install_chunks(image);
    const Bytes& good = image[1].second;
    std::mt19937 rng(9);
    bool alone = false, behind_spurious = false;
    for (int attempt = 0; attempt < 200 && !(alone && behind_spurious); attempt++) {
        Fault fault = {(uint32_t)(rng() % good.size()), (uint8_t)(1 + rng() % 255)};
        damage_byte(1, fault.position, fault.change);
        RepairCandidate list[8];
        int32_t total = find_repair_candidates(1, list, 8);
        ASSERT_TRUE(total >= 1 && total <= 8);
        int32_t true_one = 0;
        while (true_one < total && list[true_one].position != fault.position) true_one++;
        ASSERT_LT(true_one, total);
        ASSERT_EQ(REPAIR_CHECK_PASSED, list[true_one].check);
        for (int32_t k = 0; k < total; k++) {
            if (k != true_one) EXPECT_EQ(REPAIR_CHECK_FAILED, list[k].check);
        }
        if (total == 1 && !alone) {
            // The one candidate passed its check: repaired without asking, and named.
            alone = true;
            std::string calls = run_repair(REPAIR_CHOICE_LEAVE);
            EXPECT_NE(std::string::npos, calls.find("info ")) << calls;
        } else if (true_one > 0 && !behind_spurious) {
            // A search that took the lowest match would have changed a wrong byte.
            // Nothing is applied unasked; the true change is there to be chosen.
            behind_spurious = true;
            std::string calls = run_repair(REPAIR_CHOICE_LEAVE);
            EXPECT_EQ(std::string::npos, calls.find("info "));
            EXPECT_NE(std::string::npos, calls.find("\nchoose " + std::to_string(total) + "/"));
            EXPECT_TRUE(is_damaged(1));
            run_repair(true_one);
        }
        if (is_damaged(1)) damage_byte(1, fault.position, fault.change);
        ASSERT_TRUE(memcmp(good.data(), g_document.records[1].data, good.size()) == 0);
        ASSERT_FALSE(is_damaged(1));
    }
    EXPECT_TRUE(alone && behind_spurious) << "no fault with a spurious match in front of it was met";
}

TEST_F(RepairDecision, TwoByteFaultIsNeverRepairedByAThirdByte)
{
    Chunks image = large_image();
    install_chunks(image);
    uint32_t length = (uint32_t)image[1].second.size();
    std::mt19937 rng(21);
    int met = 0;
    for (int attempt = 0; attempt < 200 && met < 2; attempt++) {
        Fault faults[2];
        for (Fault& fault : faults) {
            fault = Fault{(uint32_t)(rng() % length), (uint8_t)(1 + rng() % 255)};
            damage_byte(1, fault.position, fault.change);
        }
        RepairCandidate list[8];
        int32_t total = find_repair_candidates(1, list, 8);
        if (total > 0) {
            met++;
            for (int32_t k = 0; k < total && k < 8; k++) EXPECT_EQ(REPAIR_CHECK_FAILED, list[k].check);
            std::string calls = run_repair(REPAIR_CHOICE_LEAVE);
            EXPECT_EQ(std::string::npos, calls.find("info "));
            EXPECT_NE(std::string::npos, calls.find("\nchoose "));
        }
        for (const Fault& fault : faults) damage_byte(1, fault.position, fault.change);
        ASSERT_FALSE(is_damaged(1));
    }
    EXPECT_EQ(2, met) << "too few two-byte faults with a single-byte match were met";
}

TEST_F(RepairDecision, EditedIhdrDimensionsAreFoundFromTheStream)
{
    struct Case {
        const char* name;
        uint8_t colour, depth, interlace;
        uint32_t shown_width, shown_height;  // what the edited IHDR says
    } cases[] = {
        {"height edited", 2, 8, 0, 37, 336},
        {"width edited, interlaced", 6, 16, 1, 1000, 23},
        {"both edited, one bit grey", 0, 1, 0, 3, 4},
    };
    for (const Case& c : cases) {
        Bytes ihdr = ihdr_data(37, 23, c.depth);
        ihdr[9] = c.colour;
        ihdr[12] = c.interlace;
        ImageLayout layout;
        ASSERT_TRUE(layout_from_ihdr(ihdr.data(), 13, &layout));
        install_chunks({{"IHDR", ihdr}, {"IDAT", deflated(image_rows(layout, 2, false), 9)}, {"IEND", {}}});
        ChunkRecord& record = g_document.records[0];
        write_u32(record.data, c.shown_width);
        write_u32(record.data + 4, c.shown_height);
        record.computed_crc = chunk_crc(record);
        uint32_t widths[4], heights[4];
        ASSERT_EQ(1, find_ihdr_dimensions(widths, heights, 4)) << c.name;
        EXPECT_EQ("37x23", std::to_string(widths[0]) + "x" + std::to_string(heights[0])) << c.name;
        // Offered in the candidate dialog and applied when chosen.
        PortScript script;
        script.log_clock = false;
        script.choice = 0;
        PortLog log(script);
        repair_chunk(0, recording_ports(log));
        EXPECT_NE(std::string::npos, log.calls.find("\nchoose 0/0 37x23 busy 1\n")) << c.name;
        EXPECT_TRUE(Bytes(record.data, record.data + 13) == ihdr) << c.name;
        EXPECT_FALSE(is_damaged(0)) << c.name;
    }
    // An intact IHDR has nothing to find.
    uint32_t width, height;
    EXPECT_EQ(0, find_ihdr_dimensions(&width, &height, 1));
}

TEST_F(RepairDecision, ImageTooLargeToFollowNeverVouchesForAShortStream)
{
    // Rows times row bytes of this intact IHDR wrap in 64 bits to 67,006,298: a
    // stream of exactly that many bytes once passed the size check, and the one
    // candidate of its damaged IDAT was applied without asking.
    Bytes ihdr = ihdr_data(1073753227u, 2147460842u, 16);
    ihdr[9] = 6;
    Bytes stream = deflated(Bytes(67006298, 0), 9);
    install_chunks({{"IHDR", ihdr}, {"IDAT", stream}, {"IEND", {}}});
    damage_byte(1, (uint32_t)stream.size() / 2, 0x04);
    std::string calls = run_repair(REPAIR_CHOICE_LEAVE);
    EXPECT_EQ(std::string::npos, calls.find("info ")) << calls.substr(calls.size() - 300);
    EXPECT_NE(std::string::npos, calls.find("\nchoose 1/1 " + std::to_string(stream.size() / 2) + ":"));
    EXPECT_NE(std::string::npos, calls.find("/F busy 1\n"));
    EXPECT_TRUE(is_damaged(1));
}

// A 1024 x 1024 grey image whose rows (a little over 1 MiB) deflate to a few KiB.
Chunks compressible_image()
{
    Bytes ihdr = ihdr_data(1024, 1024, 8);
    ihdr[9] = 0;
    ImageLayout layout;
    layout_from_ihdr(ihdr.data(), 13, &layout);
    return {{"IHDR", ihdr}, {"IDAT", deflated(image_rows(layout, 8, false), 9)}, {"IEND", {}}};
}

TEST_F(RepairDecision, CancelWhileCheckingChangesNothing)
{
    // The candidate's check and the dimension search each inflate more than
    // PACE_STREAM_BYTES: they show where they are, serve one event, and the
    // Cancel seen there ends the repair as in the search, with nothing changed.
    Chunks image = compressible_image();
    struct Case {
        const char* name;
        int32_t index;
        std::vector<std::pair<uint32_t, uint8_t>> damage;
        std::string served;  // the calls of the check's one pump
    } cases[] = {
        {"candidate check", 1, {{100, 0x21}}, "number 1010 100\ntext 1012 ----\npump\n"},
        {"IHDR dimensions", 0, {{2, 0x01}, {6, 0x01}}, "text 1012 ----\npump\n"},
    };
    for (const Case& c : cases) {
        install_chunks(image);
        for (const auto& d : c.damage) damage_byte(c.index, d.first, d.second);
        Bytes before(g_document.records[c.index].data, g_document.records[c.index].data + g_document.records[c.index].length);
        PortScript script;
        script.log_clock = false;
        script.clock_start = 5000;
        script.cancel_at_pump = g_document.records[c.index].length + 1;  // the first pump after the search
        PortLog log(script);
        repair_chunk(c.index, recording_ports(log));
        std::string ending = c.served + "enable 1 busy 0\nclose busy 0\n";
        ASSERT_GE(log.calls.size(), ending.size()) << c.name;
        EXPECT_EQ(ending, log.calls.substr(log.calls.size() - ending.size())) << c.name;
        EXPECT_EQ(log.pumps, script.cancel_at_pump) << c.name;
        const ChunkRecord& record = g_document.records[c.index];
        EXPECT_TRUE(before == Bytes(record.data, record.data + record.length)) << c.name;
        EXPECT_TRUE(is_damaged(c.index)) << c.name;
        EXPECT_EQ(0, g_busy) << c.name;
    }
    g_cancel = 0;
}

}  // namespace
