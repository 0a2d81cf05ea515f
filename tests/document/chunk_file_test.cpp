#include <gtest/gtest.h>
#include <string.h>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "document/file_layer.h"
#include "document/memory.h"
#include "support/faulty_layer.h"
#include "support/test_support.h"

namespace {

const char OPEN_FAILED[] = "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x83\x49\x81\x5B\x83\x76\x83\x93"
                           "\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42";
const char READ_FAILED[] = "ファイルの読み込みに失敗しました。";
const char NOT_PNG[] = "PNGファイルではありません。";
const char TOO_LARGE[] = "PNGファイルのサイズが大きすぎます。";
const char CREATE_FAILED[] = "ファイルの作成に失敗しました。";
const char WRITE_FAILED[] = "ファイルの書き込みに失敗しました。";
const uint32_t FILE_ERROR_FLAGS = 0x10 | 0x2000;  // error icon, task-modal

struct ChunkFile : ::testing::Test {
    void TearDown() override { release_document(); }
    std::string types() const
    {
        std::string s;
        for (int32_t i = 0; i < g_document.count; i++) {
            s += " " + std::string((const char*)g_document.records[i].type, 4);
        }
        return s;
    }
    TempDir dir;
    AlertLog log;
};

TEST_F(ChunkFile, CodePage932TextsAreCompiledAsShiftJis)
{
    // A wrong charset setting would make the readable literal differ from the escapes.
    EXPECT_STREQ(OPEN_FAILED, "ファイルのオープンに失敗しました。");
}

TEST_F(ChunkFile, MinimalFileLoadsAndSavesByteIdentical)
{
    Bytes png = make_png({make_chunk("IEND", {})});
    write_file(dir.path("a.png"), png);
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    ASSERT_EQ(1, g_document.count);
    EXPECT_EQ(1, g_document.loaded);
    EXPECT_EQ(0u, g_document.records[0].length);
    EXPECT_NE(nullptr, g_document.records[0].data);
    EXPECT_EQ(0xAE426082u, g_document.records[0].computed_crc);
    EXPECT_EQ(0xAE426082u, g_document.records[0].stored_crc);
    EXPECT_EQ(SAVE_OK, save_png(dir.path("b.png").c_str()));
    EXPECT_EQ(png, read_file(dir.path("b.png")));
    EXPECT_EQ("", log.summary());
    EXPECT_EQ((std::vector<std::string>{"a.png", "b.png"}), dir.entries());
}

TEST_F(ChunkFile, BytesAfterIendAreDroppedAndWrongCrcIsKept)
{
    Bytes body = make_png({make_chunk("IHDR", ihdr_data(3, 2, 8)),
                           make_chunk("tEXt", {'a', 0, 'b'}, 0x12345678),
                           make_chunk("IEND", {})});
    Bytes file = body;
    Bytes tail = make_chunk("tEXt", text_bytes("after"));
    file.insert(file.end(), tail.begin(), tail.end());
    file.push_back(7);
    write_file(dir.path("a.png"), file);
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    EXPECT_EQ(" IHDR tEXt IEND", types());
    EXPECT_EQ(0x12345678u, g_document.records[1].stored_crc);
    EXPECT_NE(0x12345678u, g_document.records[1].computed_crc);
    EXPECT_EQ(1, is_damaged(1));
    EXPECT_EQ(SAVE_OK, save_png(dir.path("a.png").c_str()));
    EXPECT_EQ(body, read_file(dir.path("a.png")));
    EXPECT_EQ((uint64_t)body.size(), saved_file_size());
}

TEST_F(ChunkFile, FailuresGiveTheirResultBoxAndLeaveNoDocument)
{
    Bytes good = make_simple_png({make_chunk("IDAT", {1, 2, 3})});
    Bytes no_iend = make_png({make_chunk("IHDR", ihdr_data(1, 1, 8)), make_chunk("IDAT", {1})});
    Bytes long_idat = make_png({make_chunk("IHDR", ihdr_data(1, 1, 8)), make_chunk("IDAT", {1}),
                                make_chunk("IEND", {})});
    long_idat[8 + 25 + 3] = 200;  // IDAT claims 200 bytes, far more than are left
    Bytes long_iend = make_png({make_chunk("IEND", {})});
    long_iend[11] = 1;             // IEND claims one data byte, and its CRC is then cut
    Bytes huge = make_png({make_chunk("IHDR", ihdr_data(1, 1, 8))});
    huge.insert(huge.end(), {0xFF, 0xFF, 0xFF, 0xF0, 'I', 'D', 'A', 'T', 0, 0, 0, 0, 0, 0, 0, 0});
    Bytes bad_sig = good; bad_sig[7] = 0x0B;
    Bytes bad_first = good; bad_first[0] = 0x88;

    struct Case { const char* name; Bytes bytes; int result; std::string alerts; };
    std::string path = dir.path("x.png");
    std::vector<Case> cases = {
        {"no IEND", no_iend, LOAD_READ_FAILED, std::string(READ_FAILED) + "|" + path + "\n"},
        {"IDAT longer than the file", long_idat, LOAD_READ_FAILED, std::string(READ_FAILED) + "|" + path + "\n"},
        {"IEND longer than the file", long_iend, LOAD_READ_FAILED, std::string(READ_FAILED) + "|" + path + "\n"},
        {"length near 2^32", huge, LOAD_READ_FAILED, std::string(READ_FAILED) + "|" + path + "\n"},
        {"empty file", {}, LOAD_NOT_PNG, std::string(NOT_PNG) + "|" + path + "\n"},
        {"seven bytes", Bytes(good.begin(), good.begin() + 7), LOAD_NOT_PNG, std::string(NOT_PNG) + "|" + path + "\n"},
        {"second signature word", bad_sig, LOAD_NOT_PNG, std::string(NOT_PNG) + "|" + path + "\n"},
        {"first signature word", bad_first, LOAD_NOT_PNG, std::string(NOT_PNG) + "|" + path + "\n"},
        {"signature only", Bytes(good.begin(), good.begin() + 8), LOAD_READ_FAILED, std::string(READ_FAILED) + "|" + path + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(dir.path("good.png"), good);
        ASSERT_EQ(LOAD_OK, load_png(dir.path("good.png").c_str()));
        log.alerts.clear();
        write_file(path, c.bytes);
        EXPECT_EQ(c.result, load_png(path.c_str()));
        EXPECT_EQ(c.alerts, log.summary());
        for (auto& a : log.alerts) EXPECT_EQ(FILE_ERROR_FLAGS, a.flags);
        EXPECT_EQ(0, g_document.loaded);
        EXPECT_EQ(0, g_document.count);
    }
}

TEST_F(ChunkFile, MissingFileAndNoPathAreOpenFailures)
{
    EXPECT_EQ(LOAD_OPEN_FAILED, load_png(dir.path("missing.png").c_str()));
    EXPECT_EQ(LOAD_OPEN_FAILED, load_png(nullptr));
    EXPECT_EQ(std::string(OPEN_FAILED) + "|" + dir.path("missing.png") + "\n" + OPEN_FAILED + "|\n",
              log.summary());
    EXPECT_EQ(FILE_ERROR_FLAGS, log.alerts[1].flags);
}

TEST_F(ChunkFile, SizeLimitBoundary)
{
    // Pad with bytes after IEND: they count for the size but are not part of the document.
    Bytes png = make_simple_png({make_chunk("IDAT", {1})});
    Bytes at_limit = png;
    at_limit.resize(4194303, 0xAB);
    write_file(dir.path("limit.png"), at_limit);
    EXPECT_EQ(LOAD_OK, load_png(dir.path("limit.png").c_str()));
    EXPECT_EQ(3, g_document.count);
    EXPECT_EQ("", log.summary());

    at_limit.push_back(0);
    write_file(dir.path("over.png"), at_limit);
    EXPECT_EQ(LOAD_READ_FAILED, load_png(dir.path("over.png").c_str()));
    ASSERT_EQ(2u, log.alerts.size());
    EXPECT_EQ(TOO_LARGE, log.alerts[0].text);
    EXPECT_EQ("VELMORA", log.alerts[0].caption);
    EXPECT_EQ(0u, log.alerts[0].flags);
    EXPECT_EQ(READ_FAILED, log.alerts[1].caption);
    EXPECT_EQ(dir.path("over.png"), log.alerts[1].text);
    EXPECT_EQ(0, g_document.loaded);
}

TEST_F(ChunkFile, OddTypesAndEmptyChunksLoadLikeAnyOther)
{
    Bytes png = make_simple_png({make_chunk(std::string(4, '\0').c_str(), {}),
                                 make_chunk("\x80\xFF\x01z", {9, 9})});
    write_file(dir.path("a.png"), png);
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    ASSERT_EQ(4, g_document.count);
    EXPECT_EQ(0u, g_document.records[1].length);
    EXPECT_EQ(0, is_damaged(1));
    EXPECT_EQ(0, is_damaged(2));
    ASSERT_EQ(SAVE_OK, save_png(dir.path("b.png").c_str()));
    EXPECT_EQ(png, read_file(dir.path("b.png")));
}

TEST_F(ChunkFile, SaveWithoutDocumentWritesNothing)
{
    EXPECT_EQ(SAVE_OK, save_png(dir.path("a.png").c_str()));
    EXPECT_EQ(SAVE_OK, save_png(nullptr));
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ("", log.summary());
}

TEST_F(ChunkFile, SaveIntoMissingFolderIsCreateFailureAndWritesNothing)
{
    write_file(dir.path("a.png"), make_simple_png({}));
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    std::string target = dir.path("no-such-folder/b.png");
    EXPECT_EQ(SAVE_CREATE_FAILED, save_png(target.c_str()));
    EXPECT_EQ(SAVE_CREATE_FAILED, save_png(nullptr));
    EXPECT_EQ(std::string(CREATE_FAILED) + "|" + target + "\n" + CREATE_FAILED + "|\n", log.summary());
    EXPECT_EQ((std::vector<std::string>{"a.png"}), dir.entries());
    EXPECT_EQ(1, g_document.loaded);
}

TEST_F(ChunkFile, EveryShortWriteLeavesTheOldFileAndNoTemporary)
{
    Bytes old_file = make_simple_png({make_chunk("tEXt", text_bytes("old"))});
    Bytes png = make_simple_png({make_chunk("IDAT", Bytes(70000, 5)), make_chunk("tEXt", text_bytes("new"))});
    write_file(dir.path("new.png"), png);
    ASSERT_EQ(LOAD_OK, load_png(dir.path("new.png").c_str()));
    std::string target = dir.path("old.png");
    FaultyLayer faulty;
    // Every cut inside the first and the last few hundred bytes, and around the buffer's edge.
    std::vector<int64_t> cuts;
    for (int64_t k = 0; k < 300; k++) cuts.push_back(k);
    for (int64_t k = 65530; k < 65542; k++) cuts.push_back(k);
    for (int64_t k = (int64_t)png.size() - 300; k < (int64_t)png.size(); k++) cuts.push_back(k);
    for (int64_t k : cuts) {
        write_file(target, old_file);
        log.alerts.clear();
        FaultyLayer::write_budget = k;
        ASSERT_EQ(SAVE_WRITE_FAILED, save_png(target.c_str())) << k;
        ASSERT_EQ(std::string(WRITE_FAILED) + "|" + target + "\n", log.summary());
        ASSERT_EQ(old_file, read_file(target)) << k;
        ASSERT_EQ((std::vector<std::string>{"new.png", "old.png"}), dir.entries()) << k;
    }
    FaultyLayer::write_budget = (int64_t)png.size();
    EXPECT_EQ(SAVE_OK, save_png(target.c_str()));
    EXPECT_EQ(png, read_file(target));
}

TEST_F(ChunkFile, RefusedReplaceIsCreateFailureAndKeepsTheOldFile)
{
    write_file(dir.path("a.png"), make_simple_png({}));
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    Bytes old_file = make_simple_png({make_chunk("tEXt", text_bytes("old"))});
    write_file(dir.path("b.png"), old_file);
    FaultyLayer faulty;
    FaultyLayer::refuse_replace = 1;
    EXPECT_EQ(SAVE_CREATE_FAILED, save_png(dir.path("b.png").c_str()));
    EXPECT_EQ(std::string(CREATE_FAILED) + "|" + dir.path("b.png") + "\n", log.summary());
    EXPECT_EQ(old_file, read_file(dir.path("b.png")));
    EXPECT_EQ((std::vector<std::string>{"a.png", "b.png"}), dir.entries());
}

TEST_F(ChunkFile, TakenTemporaryNamesAreSkippedNotOverwritten)
{
    write_file(dir.path("a.png"), make_simple_png({}));
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    write_file(dir.path("~vlm00.tmp"), {1, 2, 3});
    EXPECT_EQ(SAVE_OK, save_png(dir.path("a.png").c_str()));
    EXPECT_EQ((Bytes{1, 2, 3}), read_file(dir.path("~vlm00.tmp")));
    EXPECT_EQ(make_simple_png({}), read_file(dir.path("a.png")));
}

TEST_F(ChunkFile, ReadsThatStopEarlyFailCleanly)
{
    Bytes png = make_simple_png({make_chunk("IDAT", Bytes(100, 1))});
    write_file(dir.path("a.png"), png);
    FaultyLayer faulty;
    for (int64_t k = 0; k < (int64_t)png.size(); k++) {
        log.alerts.clear();
        FaultyLayer::read_budget = k;
        int result = load_png(dir.path("a.png").c_str());
        ASSERT_EQ(k < 8 ? LOAD_NOT_PNG : LOAD_READ_FAILED, result) << k;
        ASSERT_EQ(1u, log.alerts.size());
        ASSERT_EQ(0, g_document.loaded);
    }
}

TEST_F(ChunkFile, LoadingAgainReleasesTheFirstEvenOnFailure)
{
    write_file(dir.path("a.png"), make_simple_png({make_chunk("IDAT", {1})}));
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    EXPECT_EQ(3, g_document.count);
    EXPECT_EQ(LOAD_OPEN_FAILED, load_png(dir.path("nothing.png").c_str()));
    EXPECT_EQ(0, g_document.loaded);
    EXPECT_EQ(nullptr, g_document.records);
    release_document();  // harmless when empty
    EXPECT_EQ(0, g_document.loaded);
}

static int s_allocations_left = 0;
static int fail_after_budget(size_t) { return s_allocations_left-- <= 0; }

TEST_F(ChunkFile, OutOfMemoryIsResultFourWithoutBox)
{
    write_file(dir.path("a.png"), make_simple_png({make_chunk("IDAT", {1, 2}), make_chunk("IDAT", {3})}));
    // Fail the whole-file buffer, the record array, then each chunk's data in turn.
    for (int budget = 0; budget < 6; budget++) {
        s_allocations_left = budget;
        set_alloc_fail_hook(fail_after_budget);
        EXPECT_EQ(LOAD_OUT_OF_MEMORY, load_png(dir.path("a.png").c_str())) << budget;
        set_alloc_fail_hook(nullptr);
        EXPECT_EQ(0, g_document.loaded);
    }
    EXPECT_EQ("", log.summary());
    s_allocations_left = 6;
    set_alloc_fail_hook(fail_after_budget);
    EXPECT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    set_alloc_fail_hook(nullptr);
}

static int refuse_every_allocation(size_t) { return 1; }

// The bytes in memory are the saved file's: across the writer's 64 KiB buffer,
// with a kept wrong CRC and without the bytes after IEND.
TEST_F(ChunkFile, DocumentBytesAreTheSavedFile)
{
    uint64_t size = 1;
    EXPECT_EQ(nullptr, document_bytes(&size));
    EXPECT_EQ(0u, size);
    Bytes big(200000, 0x5A);
    Bytes file = make_simple_png({make_chunk("IDAT", big), make_chunk("tEXt", {'a', 0, 'b'}, 0x12345678)});
    file.push_back(7);
    write_file(dir.path("a.png"), file);
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    ASSERT_EQ(SAVE_OK, save_png(dir.path("b.png").c_str()));
    uint8_t* bytes = document_bytes(&size);
    ASSERT_NE(nullptr, bytes);
    EXPECT_EQ(read_file(dir.path("b.png")), Bytes(bytes, bytes + size));
    zero_free(bytes);
    set_alloc_fail_hook(refuse_every_allocation);
    EXPECT_EQ(nullptr, document_bytes(&size));
    set_alloc_fail_hook(nullptr);
    EXPECT_EQ(0u, size);
}

}  // namespace
