#include <gtest/gtest.h>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "document/memory.h"
#include "support/test_support.h"

namespace {

struct ChunkEdit : ::testing::Test {
    void TearDown() override { release_document(); }
    void load(const Bytes& png)
    {
        write_file(dir.path("a.png"), png);
        ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    }
    // Per row: type, then the marks damaged/deletable/mergeable as 0/1.
    std::string marks() const
    {
        std::string s;
        for (int32_t i = 0; i < g_document.count; i++) {
            s += std::string((const char*)g_document.records[i].type, 4) + std::to_string(is_damaged(i)) +
                 std::to_string(is_deletable(i)) + std::to_string(is_mergeable(i)) + " ";
        }
        return s;
    }
    TempDir dir;
    AlertLog log;
};

TEST_F(ChunkEdit, PredicatesFollowThePropertyBits)
{
    load(make_simple_png({make_chunk("PLTE", {0, 0, 0}), make_chunk("tEXt", {}), make_chunk("gAMA", {0, 0, 0, 1}),
                          make_chunk("pHYs", Bytes(9)), make_chunk("AbCD", {}), make_chunk("IDAT", {1}),
                          make_chunk("IDAT", {2}), make_chunk("IDAT", {3}, 0), make_chunk("IDAT", {4}),
                          make_chunk("IDAT", {5})}));
    EXPECT_EQ("IHDR000 PLTE000 tEXt010 gAMA010 pHYs010 AbCD010 IDAT001 IDAT000 IDAT100 IDAT001 IDAT000 "
              "IEND000 ",
              marks());
    // Property bits, in type byte order: tEXt is ancillary and safe to copy.
    EXPECT_EQ(1, property_bit(2, 0));
    EXPECT_EQ(0, property_bit(2, 1));
    EXPECT_EQ(0, property_bit(2, 2));
    EXPECT_EQ(1, property_bit(2, 3));
    for (int32_t bad : {-1, 12, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(0, is_damaged(bad) + is_deletable(bad) + is_mergeable(bad) + property_bit(bad, 0));
    }
    EXPECT_EQ(0, property_bit(2, 4));
    EXPECT_EQ(0, property_bit(2, -1));
    release_document();
    EXPECT_EQ(0, is_deletable(2) + property_bit(2, 0) + is_damaged(0) + is_mergeable(0));
}

TEST_F(ChunkEdit, DeleteClosesTheGapAndRefusesCriticalChunks)
{
    load(make_simple_png({make_chunk("tEXt", {'k', 0, 'v'}), make_chunk("IDAT", {1})}));
    delete_chunk(0, 0);   // IHDR: critical
    delete_chunk(2, 0);   // IDAT: critical
    delete_chunk(9, 1);   // outside: nothing
    EXPECT_EQ(4, g_document.count);
    uint64_t before = saved_file_size();
    delete_chunk(1, 0);
    EXPECT_EQ("IHDR000 IDAT000 IEND000 ", marks());
    EXPECT_EQ(before - 3 - 12, saved_file_size());
    delete_chunk(1, 1);   // forced: even a critical chunk goes
    EXPECT_EQ("IHDR000 IEND000 ", marks());
}

TEST_F(ChunkEdit, MergingThreeIdatFromTheBackGivesOneFreshChunk)
{
    load(make_simple_png({make_chunk("IDAT", {1, 2}), make_chunk("IDAT", {3}), make_chunk("IDAT", {4, 5, 6}),
                          make_chunk("tEXt", {})}));
    uint64_t before = saved_file_size();
    merge_with_next(3);  // IDAT before tEXt: not mergeable
    EXPECT_EQ(6, g_document.count);
    merge_with_next(2);
    merge_with_next(1);
    merge_with_next(1);  // nothing left to merge
    EXPECT_EQ("IHDR000 IDAT000 tEXt010 IEND000 ", marks());
    const ChunkRecord& merged = g_document.records[1];
    EXPECT_EQ((Bytes{1, 2, 3, 4, 5, 6}), Bytes(merged.data, merged.data + merged.length));
    EXPECT_EQ(chunk_crc(merged), merged.stored_crc);
    EXPECT_EQ(merged.stored_crc, merged.computed_crc);
    EXPECT_EQ(before - 24, saved_file_size());
    ASSERT_EQ(SAVE_OK, save_png(dir.path("b.png").c_str()));
    EXPECT_EQ(make_simple_png({make_chunk("IDAT", {1, 2, 3, 4, 5, 6}), make_chunk("tEXt", {})}),
              read_file(dir.path("b.png")));
}

TEST_F(ChunkEdit, DamagedIdatIsNeverMerged)
{
    load(make_simple_png({make_chunk("IDAT", {1}), make_chunk("IDAT", {2}, 7)}));
    merge_with_next(1);
    EXPECT_EQ(4, g_document.count);
    EXPECT_EQ(0, is_mergeable(1));
}

static int always_fail(size_t) { return 1; }

TEST_F(ChunkEdit, MergeWithoutMemoryShowsItsBoxAndChangesNothing)
{
    load(make_simple_png({make_chunk("IDAT", {1}), make_chunk("IDAT", {2})}));
    set_alloc_fail_hook(always_fail);
    merge_with_next(1);
    set_alloc_fail_hook(nullptr);
    EXPECT_EQ("IHDR000 IDAT001 IDAT000 IEND000 ", marks());
    ASSERT_EQ(1u, log.alerts.size());
    EXPECT_EQ("結合のためのメモリ領域が確保できませんでした。", log.alerts[0].text);
    EXPECT_EQ("VELMORA \x83\x47\x83\x89\x81\x5B", log.alerts[0].caption);
    EXPECT_EQ(0x2010u, log.alerts[0].flags);
}

}  // namespace
