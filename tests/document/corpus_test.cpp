// The public sample files: every well-framed one loads and saves byte for byte up to
// its first IEND; slimmed (every deletable chunk deleted, every IDAT run merged), each
// file that pngcheck accepted before is still accepted.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "support/test_support.h"

namespace {

// The bytes of a file up to and including its first IEND chunk, walking the framing
// independently of the loader; empty when the framing is broken.
Bytes up_to_first_iend(const Bytes& file)
{
    if (file.size() < 8) return {};
    size_t position = 8;
    while (file.size() - position >= 12) {
        uint32_t length = (uint32_t)file[position] << 24 | (uint32_t)file[position + 1] << 16 |
                          (uint32_t)file[position + 2] << 8 | file[position + 3];
        if (file.size() - position - 12 < length) return {};
        bool iend = memcmp(&file[position + 4], "IEND", 4) == 0;
        position += 12 + (size_t)length;
        if (iend) return Bytes(file.begin(), file.begin() + (long)position);
    }
    return {};
}

struct Corpus : ::testing::Test {
    void TearDown() override { release_document(); }
    TempDir dir;
    AlertLog log;
};

TEST_F(Corpus, EveryFileRoundTripsUpToItsFirstIend)
{
    std::vector<std::string> files = corpus_files();
    if (files.empty()) GTEST_SKIP() << "no sample files in " << corpus_dir();
    int loaded = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        Bytes original = read_file(file);
        Bytes expected = up_to_first_iend(original);
        bool signature = original.size() >= 8 && memcmp(original.data(), "\x89PNG\r\n\x1A\n", 8) == 0;
        int result = load_png(file.c_str());
        if (!signature) {
            EXPECT_EQ(LOAD_NOT_PNG, result);
            continue;
        }
        if (expected.empty()) {
            EXPECT_EQ(LOAD_READ_FAILED, result);
            continue;
        }
        ASSERT_EQ(LOAD_OK, result);
        loaded++;
        ASSERT_EQ(SAVE_OK, save_png(dir.path("copy.png").c_str()));
        EXPECT_EQ(expected, read_file(dir.path("copy.png")));
    }
    EXPECT_GT(loaded, 150);
}

#ifndef _WIN32
void slim_document()
{
    for (int32_t i = g_document.count - 1; i >= 0; i--) {
        if (is_deletable(i)) delete_chunk(i, 0);
    }
    for (int32_t i = g_document.count - 1; i >= 0; i--) {
        if (is_mergeable(i)) merge_with_next(i);
    }
}

bool pngcheck_accepts(const std::string& path)
{
    std::string command = "pngcheck -q '" + path + "' >/dev/null 2>&1";
    return system(command.c_str()) == 0;
}

TEST_F(Corpus, SlimmedFilesStillPassPngcheck)
{
    std::vector<std::string> files = corpus_files();
    if (files.empty()) GTEST_SKIP() << "no sample files in " << corpus_dir();
    if (system("command -v pngcheck >/dev/null 2>&1") != 0) GTEST_SKIP() << "pngcheck is not installed";
    int checked = 0;
    for (const std::string& file : files) {
        if (!pngcheck_accepts(file) || load_png(file.c_str()) != LOAD_OK) continue;
        SCOPED_TRACE(file);
        slim_document();
        for (int32_t i = 0; i < g_document.count; i++) {
            EXPECT_FALSE(is_deletable(i));
            EXPECT_FALSE(is_mergeable(i));
        }
        std::string slim = dir.path("slim.png");
        ASSERT_EQ(SAVE_OK, save_png(slim.c_str()));
        EXPECT_TRUE(pngcheck_accepts(slim));
        EXPECT_LE(read_file(slim).size(), read_file(file).size());
        checked++;
    }
    EXPECT_GT(checked, 140);
}
#endif

}  // namespace
