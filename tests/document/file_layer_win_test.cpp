// The Windows file layer under real Windows semantics (wine64): read-only targets,
// files held open by another handle, and folder names in code page 932.
#include <gtest/gtest.h>
#include <windows.h>

#include "document/chunk_file.h"
#include "support/test_support.h"

namespace {

struct WindowsFileLayer : ::testing::Test {
    void SetUp() override
    {
        write_file(dir.path("a.png"), png);
        ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    }
    void TearDown() override { release_document(); }
    Bytes png = make_simple_png({make_chunk("IDAT", {1, 2, 3})});
    Bytes old_file = make_simple_png({make_chunk("tEXt", {'o', 0, 'l', 'd'})});
    TempDir dir;
    AlertLog log;
};

TEST_F(WindowsFileLayer, ReadOnlyTargetIsCreateFailureAndStaysAsItWas)
{
    std::string target = dir.path("ro.png");
    write_file(target, old_file);
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(SAVE_CREATE_FAILED, save_png(target.c_str()));
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(old_file, read_file(target));
    EXPECT_EQ((std::vector<std::string>{"a.png", "ro.png"}), dir.entries());
    ASSERT_EQ(1u, log.alerts.size());
    EXPECT_EQ("ファイルの作成に失敗しました。", log.alerts[0].caption);
}

TEST_F(WindowsFileLayer, TargetHeldOpenWithoutSharingIsCreateFailure)
{
    std::string target = dir.path("held.png");
    write_file(target, old_file);
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(SAVE_CREATE_FAILED, save_png(target.c_str()));
    CloseHandle(held);
    EXPECT_EQ(old_file, read_file(target));
    EXPECT_EQ((std::vector<std::string>{"a.png", "held.png"}), dir.entries());
    EXPECT_EQ(SAVE_OK, save_png(target.c_str()));
    EXPECT_EQ(png, read_file(target));
}

TEST_F(WindowsFileLayer, MissingFolderIsCreateFailure)
{
    EXPECT_EQ(SAVE_CREATE_FAILED, save_png(dir.path("missing\\b.png").c_str()));
    EXPECT_EQ((std::vector<std::string>{"a.png"}), dir.entries());
}

TEST_F(WindowsFileLayer, FolderWhoseNameEndsInTrailByte5CKeepsTheTemporaryInside)
{
    // "表" is 95 5C in code page 932: its second byte is no path separator.
    std::string folder = dir.path("\x95\x5C");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string target = folder + "\\b.png";
    EXPECT_EQ(SAVE_OK, save_png(target.c_str()));
    EXPECT_EQ(png, read_file(target));
    EXPECT_EQ(1u, dir.entries().size() - 1);  // only the folder beside a.png
    ASSERT_EQ(LOAD_OK, load_png(target.c_str()));
}

}  // namespace
