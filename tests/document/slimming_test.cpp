#include <gtest/gtest.h>

#include <string>

#include "document/chunk_file.h"
#include "document/slimming.h"
#include "support/test_support.h"

namespace {

// Loads IHDR, the given types (one data byte each), IEND; returns their count.
int32_t load_types(const TempDir& dir, const std::vector<const char*>& types)
{
    std::vector<Bytes> middle;
    for (const char* type : types) middle.push_back(make_chunk(type, {1}));
    write_file(dir.path("s.png"), make_simple_png(middle));
    EXPECT_EQ(LOAD_OK, load_png(dir.path("s.png").c_str()));
    return g_document.count;
}

TEST(Slimming, MetadataIsTextTimeExifAndUnknownPrivateChunksOnly)
{
    TempDir dir;
    const std::vector<const char*> types = {"tEXt", "zTXt", "iTXt", "tIME", "eXIf", "prVt", "gAMA", "cHRM", "sRGB",
                                            "iCCP", "cICP", "mDCV", "cLLI", "sBIT", "tRNS", "bKGD", "pHYs", "acTL",
                                            "fcTL", "fdAT", "iDOT", "IDAT", "PrVt", "sPLT"};
    int32_t count = load_types(dir, types);
    std::string marks;
    for (int32_t i = 0; i < count; i++) marks += is_metadata_chunk(i) ? 'm' : '-';
    EXPECT_EQ(marks, "-mmmmmm-----------------" "--");
    EXPECT_TRUE(has_animation());
    EXPECT_TRUE(has_idot());
    EXPECT_FALSE(is_metadata_chunk(count));
    release_document();
    EXPECT_FALSE(has_animation() || has_idot() || is_animation_chunk(0));
}

TEST(Slimming, AnimationSelectionMergeAndIdotRemoval)
{
    TempDir dir;
    // 0 IHDR, 1 acTL, 2 fcTL, 3 iDOT, 4 IDAT, 5 IDAT, 6 fdAT, 7 IEND
    load_types(dir, {"acTL", "fcTL", "iDOT", "IDAT", "IDAT", "fdAT"});
    struct Case {
        std::vector<uint8_t> selected;
        int part;
        int merge;
    } cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0}, 0, 0}, {{0, 1, 0, 0, 0, 0, 0, 0}, 1, 0}, {{0, 1, 1, 0, 0, 0, 1, 0}, 0, 0},
        {{1, 1, 1, 1, 1, 1, 1, 1}, 0, 1}, {{0, 0, 0, 0, 0, 1, 0, 0}, 0, 0}, {{0, 0, 0, 0, 1, 0, 0, 0}, 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.part, selects_part_of_animation(c.selected.data()));
        EXPECT_EQ(c.merge, selection_would_merge(c.selected.data()));
    }
    std::vector<uint8_t> selected = {0, 0, 0, 1, 1, 0, 0, 1};
    delete_idot(selected.data());
    EXPECT_EQ(7, g_document.count);
    EXPECT_EQ(std::vector<uint8_t>({0, 0, 0, 1, 0, 0, 1}), std::vector<uint8_t>(selected.begin(), selected.begin() + 7));
    EXPECT_FALSE(has_idot());
    release_document();
}

}  // namespace
