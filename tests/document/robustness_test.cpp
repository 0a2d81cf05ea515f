// Damaged input and failing platforms: every truncation and every flipped byte of
// the sample files loads (with every cell and status text right) or fails cleanly, a save that fails at any write, flush or
// allocation loses nothing, and thousands of loads, edits and releases leak nothing.
#include <gtest/gtest.h>

#include <cstdio>

#include "document/chunk_model.h"
#include "document/memory.h"
#include "present/presentation_checks.h"
#include "support/faulty_layer.h"
#include "support/memory_files.h"
#include "support/test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

const char READ_FAILED[] = "ファイルの読み込みに失敗しました。";
const char NOT_PNG[] = "PNGファイルではありません。";
const char CREATE_FAILED[] = "ファイルの作成に失敗しました。";
const char WRITE_FAILED[] = "ファイルの書き込みに失敗しました。";
const char MERGE_NO_MEMORY[] = "VELMORA エラー|結合のためのメモリ領域が確保できませんでした。\n";

struct Robustness : ::testing::Test {
    void TearDown() override
    {
        set_alloc_fail_hook(nullptr);
        release_document();
    }
    AlertLog log;
};

// A small file with something for every edit: text to delete, an IDAT run to
// merge, a damaged IDAT that must stay.
Bytes small_png()
{
    return make_simple_png({make_chunk("tEXt", text_bytes(std::string("Title\0x", 7))), make_chunk("IDAT", {1, 2}),
                            make_chunk("IDAT", {3}), make_chunk("IDAT", {4}, 0x1234), make_chunk("zTXt", {}),
                            make_chunk("IDAT", {5, 6, 7})});
}

Bytes file_of_document()
{
    return model_file(document_chunks());
}

// The sample files, or when they are missing, a few files built here.
std::vector<Bytes> sample_files()
{
    std::vector<Bytes> files;
    for (const std::string& path : corpus_files()) files.push_back(read_file(path));
    if (files.empty()) {
        files.push_back(small_png());
        files.push_back(make_simple_png({}));
        files.push_back(make_simple_png({make_chunk("PLTE", Bytes(768, 9)), make_chunk("IDAT", Bytes(300, 1))}));
    }
    return files;
}

// Loads `bytes` from the memory folder and checks the outcome against the model:
// the same chunks on success; otherwise result 2 (3 for a bad signature), exactly
// one box naming the file, no document and no file left open.
std::string load_faults(MemoryFiles& folder, const Bytes& bytes, AlertLog& log)
{
    ChunkList expected;
    bool not_png = false;
    bool complete = model_parse(bytes.data(), bytes.size(), &expected, &not_png);
    folder.files["in.png"] = bytes;
    log.alerts.clear();
    int result = load_png("in.png");
    if (folder.open_handles != 0) return "the file was left open";
    if (complete) {
        if (result != LOAD_OK) return "result " + std::to_string(result) + " for a complete file";
        if (!log.alerts.empty()) return "a box on success";
        return document_faults(expected);
    }
    int wanted = not_png ? LOAD_NOT_PNG : LOAD_READ_FAILED;
    if (result != wanted) return "result " + std::to_string(result) + " instead of " + std::to_string(wanted);
    std::string box = std::string(not_png ? NOT_PNG : READ_FAILED) + "|in.png\n";
    if (log.summary() != box) return "boxes: " + log.summary();
    return empty_document_faults();
}

// The whole life of a loaded document: every predicate, slimming, saving, loading
// the saved file again; "" when each step did what the model says.
std::string pipeline_faults(MemoryFiles& folder)
{
    ChunkList loaded = document_chunks();
    std::string faults = predicate_faults() + presentation_faults();
    if (!faults.empty()) return faults;
    slim_document_from_the_back();
    ChunkList slim = model_slim(loaded);
    faults = document_faults(slim) + presentation_faults();
    if (!faults.empty()) return "after slimming: " + faults;
    if (save_png("out.png") != SAVE_OK) return "save failed";
    if (folder.files["out.png"] != model_file(slim)) return "saved bytes differ";
    if (load_png("out.png") != LOAD_OK) return "the saved file does not load";
    faults = document_faults(slim);
    return faults.empty() ? predicate_faults() : "reloaded: " + faults;
}

TEST_F(Robustness, MergeQuestionAtTheLargestIndexDoesNotOverflow)
{
    MemoryFiles folder;
    folder.files["in.png"] = small_png();
    ASSERT_EQ(LOAD_OK, load_png("in.png"));
    EXPECT_EQ(0, is_mergeable(INT32_MAX));
    merge_with_next(INT32_MAX);
    delete_chunk(INT32_MAX, 1);
    EXPECT_EQ("", document_faults(document_chunks()));
    EXPECT_EQ(8, g_document.count);
}

// A loaded small file in a folder of its own, and an older file to save over.
struct SaveScene {
    SaveScene() { write_file(dir.path("new.png"), png); }
    TempDir dir;
    Bytes png = small_png();
    Bytes old_file = make_simple_png({make_chunk("tEXt", text_bytes("old"))});
    std::string target = dir.path("old.png");
};

TEST_F(Robustness, EveryShortWriteOfASmallFileLeavesNoTrace)
{
    SaveScene scene;
    ASSERT_EQ(LOAD_OK, load_png(scene.dir.path("new.png").c_str()));
    TempDir& dir = scene.dir;
    const Bytes& png = scene.png;
    const Bytes& old_file = scene.old_file;
    const std::string& target = scene.target;
    FaultyLayer faulty;
    for (bool target_exists : {true, false}) {
        for (int64_t k = 0; k < (int64_t)png.size(); k++) {
            SCOPED_TRACE(std::to_string(k) + (target_exists ? " over the old file" : " to a new name"));
            if (target_exists) write_file(target, old_file);
            log.alerts.clear();
            FaultyLayer::write_budget = k;
            ASSERT_EQ(SAVE_WRITE_FAILED, save_png(target.c_str()));
            ASSERT_EQ(std::string(WRITE_FAILED) + "|" + target + "\n", log.summary());
            if (target_exists) {
                ASSERT_EQ(old_file, read_file(target));
            }
            std::vector<std::string> entries = {"new.png"};
            if (target_exists) entries.push_back("old.png");
            ASSERT_EQ(entries, dir.entries());
            ASSERT_EQ(png, file_of_document());
        }
        std::remove(target.c_str());
    }
    FaultyLayer::write_budget = (int64_t)png.size();
    EXPECT_EQ(SAVE_OK, save_png(target.c_str()));
    EXPECT_EQ(png, read_file(target));
}

TEST_F(Robustness, FailedFlushOrCreationLeavesNoTrace)
{
    SaveScene scene;
    ASSERT_EQ(LOAD_OK, load_png(scene.dir.path("new.png").c_str()));
    TempDir& dir = scene.dir;
    const Bytes& png = scene.png;
    const Bytes& old_file = scene.old_file;
    const std::string& target = scene.target;
    struct Case { const char* name; int* fault; int result; const char* caption; };
    const Case cases[] = {
        {"flush fails", &FaultyLayer::fail_flush, SAVE_WRITE_FAILED, WRITE_FAILED},
        {"creation refused", &FaultyLayer::refuse_create, SAVE_CREATE_FAILED, CREATE_FAILED},
        {"replace refused", &FaultyLayer::refuse_replace, SAVE_CREATE_FAILED, CREATE_FAILED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaultyLayer faulty;
        *c.fault = 1;
        write_file(target, old_file);
        log.alerts.clear();
        EXPECT_EQ(c.result, save_png(target.c_str()));
        EXPECT_EQ(std::string(c.caption) + "|" + target + "\n", log.summary());
        EXPECT_EQ(old_file, read_file(target));
        EXPECT_EQ((std::vector<std::string>{"new.png", "old.png"}), dir.entries());
        EXPECT_EQ(png, file_of_document());
    }
}

TEST_F(Robustness, EveryTruncationOfASmallFileOnDiskFailsCleanly)
{
    TempDir dir;
    Bytes png = small_png();
    std::string path = dir.path("cut.png");
    for (size_t k = 0; k < png.size(); k++) {
        SCOPED_TRACE(k);
        write_file(path, Bytes(png.begin(), png.begin() + (long)k));
        log.alerts.clear();
        ASSERT_EQ(k < 8 ? LOAD_NOT_PNG : LOAD_READ_FAILED, load_png(path.c_str()));
        ASSERT_EQ(std::string(k < 8 ? NOT_PNG : READ_FAILED) + "|" + path + "\n", log.summary());
        ASSERT_EQ("", empty_document_faults());
    }
}

TEST_F(Robustness, EveryTruncationOfEverySampleFileFailsCleanly)
{
    MemoryFiles folder;
    int files = 0;
    for (const Bytes& file : sample_files()) {
        for (size_t k = 0; k <= file.size(); k++) {
            std::string faults = load_faults(folder, Bytes(file.begin(), file.begin() + (long)k), log);
            ASSERT_EQ("", faults) << "file " << files << " cut to " << k << " bytes";
        }
        files++;
    }
}

TEST_F(Robustness, EveryFlippedByteOfTheSampleFilesLoadsAndSavesOrFailsCleanly)
{
    MemoryFiles folder;
    std::vector<Bytes> files = sample_files();
    // Every byte of a few files, inverted; for the rest, every 41st byte, to keep it quick.
    for (size_t f = 0; f < files.size(); f++) {
        size_t step = f % 40 == 0 ? 1 : 41;
        for (size_t k = 0; k < files[f].size(); k += step) {
            Bytes damaged = files[f];
            damaged[k] ^= 0xFF;
            std::string faults = load_faults(folder, damaged, log);
            if (faults.empty() && g_document.loaded) faults = pipeline_faults(folder);
            ASSERT_EQ("", faults) << "file " << f << " byte " << k;
        }
    }
}

// Fails exactly one allocation, the n-th from now.
int s_allocation_to_fail = -1;
int s_allocations_seen = 0;
int fail_one_allocation(size_t)
{
    return s_allocations_seen++ == s_allocation_to_fail;
}

TEST_F(Robustness, AllocationFailureAnywhereLosesNothing)
{
    MemoryFiles folder;
    Bytes png = small_png();
    ChunkList full;
    bool not_png = false;
    ASSERT_TRUE(model_parse(png.data(), png.size(), &full, &not_png));
    ChunkList slim = model_slim(full);
    for (int n = 0;; n++) {
        SCOPED_TRACE(n);
        folder.files.clear();
        folder.files["in.png"] = png;
        log.alerts.clear();
        s_allocation_to_fail = n;
        s_allocations_seen = 0;
        set_alloc_fail_hook(fail_one_allocation);
        int result = load_png("in.png");
        if (result != LOAD_OK) {
            set_alloc_fail_hook(nullptr);
            ASSERT_EQ(LOAD_OUT_OF_MEMORY, result);
            ASSERT_EQ("", log.summary());
            ASSERT_EQ("", empty_document_faults());
            continue;
        }
        slim_document_from_the_back();
        int save = save_png("out.png");
        // The load succeeded, so a failure that came at all came in a merge.
        bool merge_failed = s_allocations_seen > n;
        set_alloc_fail_hook(nullptr);
        ASSERT_EQ(SAVE_OK, save);
        ASSERT_EQ(merge_failed ? MERGE_NO_MEMORY : "", log.summary());
        ChunkList now = document_chunks();
        ASSERT_EQ("", document_faults(now));
        ASSERT_EQ(folder.files["out.png"], model_file(now));
        if (!merge_failed) {
            ASSERT_EQ("", document_faults(slim));
            break;
        }
        // The chunks of the failed merge stayed as they were: merging again completes it.
        slim_document_from_the_back();
        ASSERT_EQ("", document_faults(slim));
    }
}

TEST_F(Robustness, LoadEditReleaseLoopLeaksNothing)
{
    MemoryFiles folder;
    std::vector<Bytes> files = sample_files();
    uint32_t seed = 12345;
    auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    int loads = 0;
    for (int round = 0; loads < 3000; round++) {
        for (const Bytes& file : files) {
            Bytes bytes = file;
            switch (round % 4) {
                case 1: bytes.resize(next() % (bytes.size() + 1)); break;          // cut anywhere
                case 2: bytes[next() % bytes.size()] ^= (uint8_t)(1 + next() % 255); break;  // one byte changed
                case 3: s_allocation_to_fail = (int)(next() % 8); break;          // memory runs out
                default: break;
            }
            s_allocations_seen = 0;
            if (round % 4 == 3) set_alloc_fail_hook(fail_one_allocation);
            folder.files["in.png"] = bytes;
            if (load_png("in.png") == LOAD_OK) {
                // Only the release is judged here; the summaries' working copies may fail too.
                presentation_faults();
                slim_document_from_the_back();
                save_png("out.png");
            }
            set_alloc_fail_hook(nullptr);
            release_document();
            loads++;
        }
    }
    EXPECT_EQ("", empty_document_faults());
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(0, __lsan_do_recoverable_leak_check());
#endif
}

}  // namespace
