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

std::string types_now()
{
    std::string s;
    for (int32_t i = 0; i < g_document.count; i++) s += std::string((const char*)g_document.records[i].type, 4) + " ";
    return s;
}

TEST(Slimming, PlansAskTheRightQuestionAndAnswersDoWhatTheySay)
{
    TempDir dir;
    AlertLog log;
    // 0 IHDR, 1 acTL, 2 fcTL, 3 iDOT, 4 IDAT, 5 IDAT, 6 fdAT, 7 IEND
    const std::vector<const char*> types = {"acTL", "fcTL", "iDOT", "IDAT", "IDAT", "fdAT"};
    struct Case {
        RowEdit edit;
        std::vector<int32_t> rows;
        SlimmingQuestion question;
        RowEditAnswer answer;
        const char* after;
    } cases[] = {
        {ROW_EDIT_DELETE, {}, QUESTION_NONE, ANSWER_YES, "IHDR acTL fcTL iDOT IDAT IDAT fdAT IEND "},
        {ROW_EDIT_DELETE, {1, 2, 6}, QUESTION_NONE, ANSWER_YES, "IHDR iDOT IDAT IDAT IEND "},
        {ROW_EDIT_DELETE, {2}, QUESTION_WHOLE_ANIMATION, ANSWER_YES, "IHDR iDOT IDAT IDAT IEND "},
        {ROW_EDIT_DELETE, {2}, QUESTION_WHOLE_ANIMATION, ANSWER_NO, "IHDR acTL iDOT IDAT IDAT fdAT IEND "},
        {ROW_EDIT_DELETE, {2}, QUESTION_WHOLE_ANIMATION, ANSWER_CANCEL, "IHDR acTL fcTL iDOT IDAT IDAT fdAT IEND "},
        {ROW_EDIT_MERGE, {5}, QUESTION_NONE, ANSWER_YES, "IHDR acTL fcTL iDOT IDAT IDAT fdAT IEND "},
        {ROW_EDIT_MERGE, {3, 4}, QUESTION_DROP_IDOT, ANSWER_YES, "IHDR acTL fcTL IDAT fdAT IEND "},
        {ROW_EDIT_MERGE, {4}, QUESTION_DROP_IDOT, ANSWER_NO, "IHDR acTL fcTL iDOT IDAT fdAT IEND "},
        {ROW_EDIT_MERGE, {4}, QUESTION_DROP_IDOT, ANSWER_CANCEL, "IHDR acTL fcTL iDOT IDAT IDAT fdAT IEND "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        load_types(dir, types);
        RowEditPlan plan = plan_row_edit(c.edit, c.rows.data(), (int32_t)c.rows.size());
        EXPECT_EQ(c.question, plan.question);
        apply_row_edit_plan(plan, c.answer, nullptr);
        EXPECT_EQ(c.after, types_now());
    }
    // iDOT goes with the merge or not at all: without memory for the merge, it stays.
    load_types(dir, types);
    int32_t rows[] = {4};
    RowEditPlan plan = plan_row_edit(ROW_EDIT_MERGE, rows, 1);
    for (int n = 0; n < 3; n++) {
        FailingAllocation failing(n);
        EXPECT_EQ(EDIT_NO_MEMORY, apply_row_edit_plan(plan, ANSWER_YES, nullptr));
        EXPECT_EQ("IHDR acTL fcTL iDOT IDAT IDAT fdAT IEND ", types_now());
    }
    EXPECT_EQ(0, g_document.changed);
    int32_t metadata[8];
    load_types(dir, {"tEXt", "IDAT", "tIME"});
    EXPECT_EQ(2, metadata_rows(metadata));
    EXPECT_EQ(1, metadata[0]);
    EXPECT_EQ(3, metadata[1]);
    release_document();
}

}  // namespace
