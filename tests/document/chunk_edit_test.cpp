#include <gtest/gtest.h>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/chunk_ops.h"
#include "document/crc32.h"
#include "document/memory.h"
#include "document/undo_history.h"
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

// Every record with all its fields, for comparing whole documents.
static std::string document_text()
{
    std::string s = std::to_string(g_document.loaded) + ":";
    for (int32_t i = 0; i < g_document.count; i++) {
        const ChunkRecord& r = g_document.records[i];
        s += std::string((const char*)r.type, 4) + std::to_string(r.stored_crc) + "/" + std::to_string(r.computed_crc) +
             "=" + std::string((const char*)r.data, r.length) + ";";
    }
    return s;
}

static void record_progress(void* context, int32_t done, int32_t selected)
{
    *(std::string*)context += std::to_string(done) + "/" + std::to_string(selected) + " ";
}

// Random documents of intact and damaged IDAT, deletable and critical chunks, and
// random selections: the one-pass edit leaves what the row-by-row walk leaves.
TEST_F(ChunkEdit, RowEditsEndWhereTheRowByRowWalkEnds)
{
    uint32_t seed = 2024;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    const char* types[] = {"IDAT", "IDAT", "IDAT", "tEXt", "PLTE", "zTXt", "AbCD"};
    for (int round = 0; round < 300; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<Bytes> middle;
        for (uint32_t n = next(12); n > 0; n--) {
            Bytes data(next(5), (uint8_t)next(256));
            const char* type = types[next(7)];
            middle.push_back(next(6) ? make_chunk(type, data) : make_chunk(type, data, 99));
        }
        load(make_simple_png(middle));
        std::vector<int32_t> rows;
        for (int32_t i = 0; i < g_document.count; i++) {
            if (next(3)) rows.push_back(i);
        }
        RowEdit edit = next(2) ? ROW_EDIT_MERGE : ROW_EDIT_DELETE;
        for (size_t k = rows.size(); k-- > 0;) {
            if (edit == ROW_EDIT_DELETE) delete_chunk(rows[k], DELETE_IF_DELETABLE);
            else merge_with_next(rows[k]);
        }
        std::string walked = document_text();
        int walk_changed = g_document.changed;
        load(make_simple_png(middle));
        std::string reports;
        EditProgress progress = {&reports, record_progress};
        EXPECT_EQ(walk_changed, edit_rows(edit, rows.data(), (int32_t)rows.size(), &progress));
        EXPECT_EQ(walked, document_text());
        EXPECT_EQ(walk_changed, g_document.changed);
        std::string expected;
        for (size_t done = 1; done <= rows.size(); done++) {
            expected += std::to_string(done) + "/" + std::to_string(rows.size()) + " ";
        }
        EXPECT_EQ(expected, reports);
    }
}

TEST_F(ChunkEdit, UndoPutsBackTheDocumentBeforeTheLastEdit)
{
    load(make_simple_png({make_chunk("tEXt", {'k', 0}), make_chunk("IDAT", {1}), make_chunk("IDAT", {2, 3})}));
    std::string loaded = document_text();
    int32_t rows[] = {1, 2, 3};

    // An edit that changes nothing keeps no snapshot and leaves the document unchanged.
    ASSERT_EQ(1, begin_step(STEP_MERGE));
    EXPECT_EQ(0, edit_rows(ROW_EDIT_MERGE, rows, 1, nullptr));
    end_step();
    EXPECT_EQ(0, can_undo() + g_document.changed);

    ASSERT_EQ(1, begin_step(STEP_MERGE));
    EXPECT_EQ(1, edit_rows(ROW_EDIT_MERGE, rows, 3, nullptr));
    end_step();
    EXPECT_EQ(1, can_undo());
    EXPECT_EQ(1, g_document.changed);

    // A save makes the document unchanged, and the state before the edit differs from the file.
    ASSERT_EQ(SAVE_OK, save_png(dir.path("b.png").c_str()));
    EXPECT_EQ(0, g_document.changed);
    ASSERT_EQ(1, undo_last_edit());
    EXPECT_EQ(loaded, document_text());
    EXPECT_EQ(1, g_document.changed);
    EXPECT_EQ(0, can_undo() + undo_last_edit());

    // A change made behind the edit functions' back (as the repair makes it) is seen too.
    ASSERT_EQ(1, begin_step(STEP_MERGE));
    g_document.records[1].stored_crc ^= 1;
    end_step();
    ASSERT_EQ(1, undo_last_edit());
    EXPECT_EQ(loaded, document_text());

    // Without memory for the step, the history goes and the edit counts as a change.
    ASSERT_EQ(1, begin_step(STEP_MERGE));
    g_document.records[1].stored_crc ^= 1;
    set_alloc_fail_hook(always_fail);
    EXPECT_EQ(STEP_NOT_RECORDED, end_step());
    set_alloc_fail_hook(nullptr);
    EXPECT_EQ(0, can_undo() + can_redo());
    EXPECT_EQ(1, g_document.changed);

    // Loading another file drops the snapshot.
    ASSERT_EQ(1, begin_step(STEP_MERGE));
    load(make_simple_png({}));
    EXPECT_EQ(0, can_undo() + g_document.changed);
}

// A merge with nothing mergeable, a cancelled question or repair: the edit runs
// and changes nothing, and the delete before it must still be undoable.
TEST_F(ChunkEdit, AnEditThatChangesNothingKeepsTheStepBeforeIt)
{
    load(make_simple_png({make_chunk("tEXt", {'k', 0}), make_chunk("IDAT", {1})}));
    std::string loaded = document_text();
    int32_t rows[] = {1, 2};
    ASSERT_EQ(1, begin_step(STEP_MERGE));
    EXPECT_EQ(1, edit_rows(ROW_EDIT_DELETE, rows, 1, nullptr));
    end_step();
    for (int attempt = 0; attempt < 2; attempt++) {
        ASSERT_EQ(1, begin_step(STEP_MERGE));
        EXPECT_EQ(0, edit_rows(ROW_EDIT_MERGE, rows + 1, attempt, nullptr));
        end_step();
        EXPECT_EQ(1, can_undo());
    }
    ASSERT_EQ(1, undo_last_edit());
    EXPECT_EQ(loaded, document_text());
}

// Two runs to merge: whichever allocation fails, the document stays whole and the
// edit says so; once every allocation succeeds, both runs are merged.
TEST_F(ChunkEdit, RowEditWithoutMemoryChangesNothingAndSaysSo)
{
    for (RowEdit edit : {ROW_EDIT_MERGE, ROW_EDIT_DELETE}) {
        load(make_simple_png({make_chunk("IDAT", {1}), make_chunk("IDAT", {2}), make_chunk("tEXt", {}),
                              make_chunk("IDAT", {3}), make_chunk("IDAT", {4})}));
        std::string loaded = document_text();
        int32_t rows[] = {1, 2, 3, 4, 5};
        for (int n = 0;; n++) {
            SCOPED_TRACE(n);
            log.alerts.clear();
            FailingAllocation failing(n);
            EditResult result = edit_rows(edit, rows, 5, nullptr);
            if (failing.seen() <= n) {
                EXPECT_EQ(EDIT_CHANGED, result);
                break;
            }
            EXPECT_EQ(EDIT_NO_MEMORY, result);
            EXPECT_EQ(loaded, document_text());
            EXPECT_EQ(0, g_document.changed);
            EXPECT_EQ(edit == ROW_EDIT_MERGE ? 1u : 0u, log.alerts.size());
        }
        EXPECT_EQ(edit == ROW_EDIT_MERGE ? "IHDR000 IDAT000 tEXt010 IDAT000 IEND000 "
                                         : "IHDR000 IDAT001 IDAT001 IDAT001 IDAT000 IEND000 ",
                  marks());
    }
}

// Steps undone and redone in any order give back exactly the document of each
// state; the saved state is unchanged; a new step drops the redo steps; a small
// bound drops the oldest steps first.
TEST_F(ChunkEdit, ManyLevelsOfUndoAndRedo)
{
    load(make_simple_png({make_chunk("tEXt", {'k', 0}), make_chunk("IDAT", {1}), make_chunk("IDAT", {2, 3}),
                          make_chunk("zTXt", {'z', 0, 0}), make_chunk("IDAT", {4})}));
    std::vector<std::string> states = {document_text()};
    struct Step {
        StepKind kind;
        RowEdit edit;
        int32_t row;
    } steps[] = {{STEP_DELETE, ROW_EDIT_DELETE, 1}, {STEP_MERGE, ROW_EDIT_MERGE, 1}, {STEP_DELETE, ROW_EDIT_DELETE, 2}};
    for (const Step& step : steps) {
        ASSERT_EQ(1, begin_step(step.kind));
        ASSERT_EQ(EDIT_CHANGED, edit_rows(step.edit, &step.row, 1, nullptr));
        ASSERT_EQ(STEP_RECORDED, end_step());
        states.push_back(document_text());
    }
    ASSERT_EQ(SAVE_OK, save_png(dir.path("b.png").c_str()));   // saved at the last state
    const char* moves = "uuuurruurrrr";   // u: undo, r: redo; the fourth undo and last redo fail
    size_t at = 3;
    for (const char* m = moves; *m; m++) {
        SCOPED_TRACE(std::string(moves, m - moves + 1));
        if (at > 0) EXPECT_EQ(steps[at - 1].kind, undo_step_kind());
        int moved = *m == 'u' ? undo_last_edit() : redo_edit();
        at += moved ? (*m == 'u' ? -1 : 1) : 0;
        EXPECT_EQ(states[at], document_text());
        EXPECT_EQ(at != 3, g_document.changed);
        EXPECT_EQ(at > 0, can_undo());
    }
    // A new step from the middle drops what could be redone; the saved state goes with it.
    ASSERT_EQ(1, undo_last_edit());
    ASSERT_EQ(1, begin_step(STEP_DELETE));
    ASSERT_EQ(EDIT_CHANGED, edit_rows(ROW_EDIT_DELETE, &steps[2].row, 1, nullptr));   // zTXt
    EXPECT_EQ(STEP_RECORDED, end_step());
    EXPECT_EQ(0, can_redo());
    EXPECT_EQ(1, g_document.changed);
    // A bound below two states keeps only the current one.
    set_undo_memory_limit(1);
    ASSERT_EQ(1, begin_step(STEP_DELETE));
    g_document.records[1].stored_crc ^= 1;
    EXPECT_EQ(STEP_RECORDED, end_step());
    set_undo_memory_limit(0);
    EXPECT_EQ(0, can_undo());
}

// Each step keeps a copy only of the chunks it changed: a step that copied every
// chunk again would cost 200 KB here, not a few.
TEST_F(ChunkEdit, StepsShareTheDataOfEveryChunkTheyDidNotChange)
{
    std::vector<Bytes> middle;
    for (int i = 0; i < 200; i++) middle.push_back(make_chunk(i % 2 ? "tEXt" : "zTXt", Bytes(1000, (uint8_t)i)));
    struct Case {
        const char* name;
        void (*edit)();
        size_t copies;   // chunks the step may copy
    } cases[] = {
        {"delete", [] { int32_t row = 5; edit_rows(ROW_EDIT_DELETE, &row, 1, nullptr); }, 0},
        {"move", [] { int32_t rows[] = {7, 8}; move_rows(&g_document, rows, 2, MOVE_UP, nullptr); }, 0},
        {"insert", [] { insert_chunk(&g_document, (const uint8_t*)"tIME", Bytes(7, 1).data(), 7, nullptr); }, 1},
        {"in place", [] { g_document.records[150].data[3] ^= 1; }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load(make_simple_png(middle));
        ASSERT_EQ(1, begin_step(STEP_EDIT));
        ASSERT_EQ(STEP_UNCHANGED, end_step());   // the loaded state is recorded now
        std::string before = document_text();
        size_t used = undo_memory_used();
        ASSERT_EQ(1, begin_step(STEP_EDIT));
        c.edit();
        ASSERT_EQ(STEP_RECORDED, end_step());
        EXPECT_LT(undo_memory_used() - used, 203 * sizeof(int32_t) + c.copies * 1100 + 256);
        ASSERT_EQ(1, undo_last_edit());
        EXPECT_EQ(before, document_text());
        release_document();
    }
}

}  // namespace
