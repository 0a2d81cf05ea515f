// Files that another program holds open, under the Windows file layer: a save over
// a file held without write sharing fails as a create failure, leaves the file as
// it was and no temporary file behind, and saves once the file is let go; a load of
// a file held without read sharing, or of a folder, is an open failure.
#include <gtest/gtest.h>
#include <windows.h>

#include "document/chunk_file.h"
#include "support/faulty_layer.h"
#include "support/test_support.h"

namespace {

const char CREATE_FAILED[] = "ファイルの作成に失敗しました。";
const char OPEN_FAILED[] = "ファイルのオープンに失敗しました。";

struct HeldFiles : ::testing::Test {
    void SetUp() override
    {
        write_file(dir.path("a.png"), png);
        ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    }
    void TearDown() override { release_document(); }
    Bytes png = make_simple_png({make_chunk("IDAT", {1, 2, 3}), make_chunk("tEXt", {'n', 0, 'e', 'w'})});
    Bytes old_file = make_simple_png({make_chunk("tEXt", {'o', 0, 'l', 'd'})});
    TempDir dir;
    AlertLog log;
};

TEST_F(HeldFiles, SaveOverAFileHeldWithoutWriteSharingKeepsIt)
{
    struct Case { const char* name; DWORD sharing; };
    const Case cases[] = {
        {"no sharing", 0},
        {"read sharing only", FILE_SHARE_READ},
        {"read and write sharing, no delete", FILE_SHARE_READ | FILE_SHARE_WRITE},
    };
    std::string target = dir.path("held.png");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(target, old_file);
        log.alerts.clear();
        HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, c.sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        EXPECT_EQ(SAVE_CREATE_FAILED, save_png(target.c_str()));
        CloseHandle(held);
        EXPECT_EQ(std::string(CREATE_FAILED) + "|" + target + "\n", log.summary());
        EXPECT_EQ(old_file, read_file(target));
        EXPECT_EQ((std::vector<std::string>{"a.png", "held.png"}), dir.entries());
    }
    EXPECT_EQ(SAVE_OK, save_png(target.c_str()));
    EXPECT_EQ(png, read_file(target));
}

TEST_F(HeldFiles, EveryShortWriteOverAHeldReaderLeavesNoTrace)
{
    // A viewer reading the target with write sharing does not stop the temporary
    // file from being written; a short write must still leave nothing behind.
    std::string target = dir.path("viewed.png");
    write_file(target, old_file);
    HANDLE viewer = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, viewer);
    {
        FaultyLayer faulty;
        for (int64_t k = 0; k < (int64_t)png.size(); k += 7) {
            FaultyLayer::write_budget = k;
            ASSERT_EQ(SAVE_WRITE_FAILED, save_png(target.c_str())) << k;
            ASSERT_EQ((std::vector<std::string>{"a.png", "viewed.png"}), dir.entries()) << k;
        }
    }
    CloseHandle(viewer);
    EXPECT_EQ(old_file, read_file(target));
}

TEST_F(HeldFiles, LoadOfAFileHeldWithoutReadSharingOrOfAFolderIsOpenFailure)
{
    std::string held_path = dir.path("locked.png");
    write_file(held_path, png);
    HANDLE held = CreateFileA(held_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    log.alerts.clear();
    EXPECT_EQ(LOAD_OPEN_FAILED, load_png(held_path.c_str()));
    CloseHandle(held);
    EXPECT_EQ(0, g_document.loaded);
    ASSERT_TRUE(CreateDirectoryA(dir.path("folder.png").c_str(), nullptr));
    EXPECT_EQ(LOAD_OPEN_FAILED, load_png(dir.path("folder.png").c_str()));
    EXPECT_EQ(std::string(OPEN_FAILED) + "|" + held_path + "\n" + OPEN_FAILED + "|" + dir.path("folder.png") + "\n",
              log.summary());
    EXPECT_EQ(LOAD_OK, load_png(held_path.c_str()));
}

}  // namespace
