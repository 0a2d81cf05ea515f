#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "present/chunk_table.h"
#include "support/test_support.h"

using namespace std::string_literals;

namespace {

const size_t GUARD = 16;

std::string cell(int32_t row, int column)
{
    char output[CELL_SIZE + GUARD];
    memset(output, 0x7F, sizeof output);
    format_cell(output, row, column);
    for (size_t i = CELL_SIZE; i < sizeof output; i++) {
        EXPECT_EQ(0x7F, output[i]) << "cell written past its buffer";
    }
    return output;
}

// The twelve cells of a row, joined by "|": a whole row compares as one value.
std::string row_text(int32_t row)
{
    std::string s;
    for (int c = 0; c < COLUMN_COUNT; c++) {
        s += (c ? "|" : "") + cell(row, c);
    }
    return s;
}

std::string status(const char* path)
{
    char output[STATUS_SIZE + GUARD];
    memset(output, 0x7F, sizeof output);
    format_status_line(output, path);
    for (size_t i = STATUS_SIZE; i < sizeof output; i++) {
        EXPECT_EQ(0x7F, output[i]) << "status written past its buffer";
    }
    return output;
}

struct ChunkTable : ::testing::Test {
    void TearDown() override
    {
        release_document();
        set_alloc_fail_hook(nullptr);
    }
    void load(const Bytes& png)
    {
        write_file(dir.path("a.png"), png);
        ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    }
    TempDir dir;
    AlertLog log;
};

TEST_F(ChunkTable, FiveChunkFileRowsAndStatusLine)
{
    load(make_png({make_chunk("IHDR", ihdr_data(640, 480, 8)), make_chunk("tEXt", text_bytes("Comment\0Hello world!"s)),
                   make_chunk("IDAT", Bytes(1000)), make_chunk("IDAT", Bytes(500)), make_chunk("IEND", {})}));
    ASSERT_EQ(5, g_document.count);
    std::string rows;
    for (int32_t i = 0; i < g_document.count; i++) rows += row_text(i) + "\n";
    EXPECT_EQ("  1|IHDR|     13|BAB34BB3|--|--|--|--|--|--|--|ヘッダ: PNG形式はこのチャンクから始まる必要があります。\n"
              "  2|tEXt|     20|AB32B028|--|○|--|--|○|○|--|埋め込みテキスト: [Comment]Hello world!\n"
              "  3|IDAT|   1000|2002BDB9|--|--|--|--|--|--|○|画像データ\n"
              "  4|IDAT|    500|ED5BFAE2|--|--|--|--|--|--|--|画像データ\n"
              "  5|IEND|      0|AE426082|--|--|--|--|--|--|--|終了チャンク: このチャンクで終わる必要があります。\n",
              rows);
    EXPECT_EQ(" 640x480x8 / 1601Bytes / D:\\img\\a.png", status("D:\\img\\a.png"));
    // The same, spelled in code page 932 bytes: the yes mark is 81 9B.
    EXPECT_EQ("  3|IDAT|   1000|2002BDB9|--|--|--|--|--|--|\x81\x9B|\x89\xE6\x91\x9C\x83" "f\x81[\x83^", row_text(2));
}

TEST_F(ChunkTable, DamageShowsTheStoredCrcAndClearsMerging)
{
    load(make_simple_png({make_chunk("IDAT", {1}), make_chunk("IDAT", {2}, 0x0000ABCD), make_chunk("IDAT", {3}),
                          make_chunk("IDAT", {4})}));
    std::string cells;
    for (int32_t i = 1; i <= 5; i++) {
        cells += cell(i, 3) + " " + cell(i, 4) + " " + cell(i, 10) + "\n";
    }
    // The computed CRCs of the intact IDAT chunks {1}, {3}, {4} and of IEND.
    EXPECT_EQ("5F3F4D7E -- --\n0000ABCD ○ --\nB1312C52 -- ○\n2F55B9F1 -- --\nAE426082 -- --\n", cells);
}

TEST_F(ChunkTable, TypeBytesEndAtTheirFirstZeroAndEveryRowKeepsItsNumber)
{
    load(make_simple_png({make_chunk("\0\0\0\0", {}), make_chunk("ab\0d", {7}), make_chunk("\x82\xA0X\0", {}),
                          make_chunk("tEXt", {})}));
    std::string rows;
    for (int32_t i = 0; i < g_document.count; i++) rows += row_text(i) + "\n";
    EXPECT_EQ("  1|IHDR|     13|907753DE|--|--|--|--|--|--|--|ヘッダ: PNG形式はこのチャンクから始まる必要があります。\n"
              "  2||      0|2144DF1C|--|--|--|--|--|--|--|認識できないチャンク\n"
              "  3|ab|      1|6CAAAD68|--|○|○|--|○|○|--|認識できないチャンク\n"
              "  4|\x82\xA0X|      0|CD0E2B90|--|--|○|--|--|○|--|認識できないチャンク\n"
              "  5|tEXt|      0|9642C585|--|○|--|--|○|○|--|埋め込みテキスト: []\n"
              "  6|IEND|      0|AE426082|--|--|--|--|--|--|--|終了チャンク: このチャンクで終わる必要があります。\n",
              rows);
}

TEST_F(ChunkTable, ChunkNumbersAreNeverCut)
{
    std::vector<Bytes> middle(998, make_chunk("abCd", {}));
    load(make_simple_png(middle));
    ASSERT_EQ(1000, g_document.count);
    EXPECT_EQ("  1|  9| 10| 99|100|999|1000",
              cell(0, 0) + "|" + cell(8, 0) + "|" + cell(9, 0) + "|" + cell(98, 0) + "|" + cell(99, 0) + "|" +
                  cell(998, 0) + "|" + cell(999, 0));
}

TEST_F(ChunkTable, CellsOutsideTheDocumentAreEmpty)
{
    std::string nothing;
    for (int c = -1; c <= COLUMN_COUNT; c++) nothing += cell(0, c);
    EXPECT_EQ("", nothing);
    load(make_simple_png({}));
    for (int32_t row : {-1, 3, INT32_MAX, INT32_MIN}) {
        for (int c = 0; c < COLUMN_COUNT; c++) nothing += cell(row, c);
    }
    nothing += cell(0, -1) + cell(0, COLUMN_COUNT);
    EXPECT_EQ("", nothing);
}

TEST_F(ChunkTable, ColumnsAndTheirHeaders)
{
    std::string columns;
    int32_t total = 0;
    for (int c = 0; c < COLUMN_COUNT; c++) {
        const ColumnSpec& spec = column_specs()[c];
        columns += std::to_string(spec.width) + "," + std::to_string(spec.alignment) + "," + spec.header + "|";
        total += spec.width;
    }
    EXPECT_EQ("27,2,--|39,1,形式|60,1,サイズ|60,1,CRC32|39,2,破損|0,2,補助|0,2,非公開|0,2,予約|0,2,安全|"
              "51,2,削除可|51,2,結合可|500,0,チャンク概要|",
              columns);
    EXPECT_EQ(827, total);
    EXPECT_STREQ("\x83`\x83\x83\x83\x93\x83N\x8AT\x97v", column_specs()[11].header);
    // The chunk number's header is the no mark.
    load(make_simple_png({}));
    EXPECT_EQ(cell(0, 4), column_specs()[0].header);
}

TEST_F(ChunkTable, StatusLineFollowsTheFirstRecord)
{
    // No document: the drag-and-drop hint, ampersand doubled for the control.
    EXPECT_EQ(" D&&D\x82\xC5\x82\xAB\x82\xDC\x82\xB7\x81" "B", status("C:\\a.png"));

    struct StatusCase {
        const char* name;
        std::vector<Bytes> chunks;
        std::string expected;
    };
    const Bytes iend = make_chunk("IEND", {});
    Bytes nine = ihdr_data(2, 3, 16);
    nine.resize(9);
    Bytes eight = nine;
    eight.resize(8);
    const StatusCase cases[] = {
        {"intact", {make_chunk("IHDR", ihdr_data(1, 2, 4)), iend}, " 1x2x4 / 45Bytes / p"},
        {"damaged IHDR", {make_chunk("IHDR", ihdr_data(7, 9, 1), 0), iend}, " 7x9x1 / 45Bytes / p"},
        {"nine bytes", {make_chunk("IHDR", nine), iend}, " 2x3x16 / 41Bytes / p"},
        {"eight bytes", {make_chunk("IHDR", eight), iend}, " 破損PNG - IHDRチャンクが短すぎます。"},
        {"empty IHDR", {make_chunk("IHDR", {}), iend}, " 破損PNG - IHDRチャンクが短すぎます。"},
        {"unsigned", {make_chunk("IHDR", ihdr_data(0xFFFFFFFF, 0x80000000, 200)), iend},
         " 4294967295x2147483648x200 / 45Bytes / p"},
        {"IHDR second", {make_chunk("gAMA", {0, 1, 0x86, 0xA0}), make_chunk("IHDR", ihdr_data(1, 1, 8)), iend},
         " \x94j\x91\xB9PNG - IHDR\x83`\x83\x83\x83\x93\x83N\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9"
         "\x82\xF1\x81" "B"},
        {"only IEND", {iend}, " 破損PNG - IHDRチャンクが見つかりません。"},
        {"lower case", {make_chunk("iHDR", ihdr_data(1, 1, 8)), iend}, " 破損PNG - IHDRチャンクが見つかりません。"},
    };
    for (const StatusCase& c : cases) {
        load(make_png(c.chunks));
        EXPECT_EQ(c.expected, status("p")) << c.name;
    }
}

TEST_F(ChunkTable, StatusLineFollowsEdits)
{
    load(make_png({make_chunk("gAMA", {0, 1, 0x86, 0xA0}), make_chunk("IHDR", ihdr_data(640, 480, 8)),
                   make_chunk("IDAT", Bytes(100)), make_chunk("IDAT", Bytes(50)), make_chunk("IEND", {})}));
    std::string path(260, 'x');
    std::string seen = status(path.c_str()) + "\n";
    delete_chunk(0, 0);
    seen += status(path.c_str()) + "\n";
    merge_with_next(1);
    seen += status(nullptr) + "\n";
    EXPECT_EQ(" 破損PNG - IHDRチャンクが見つかりません。\n"
              " 640x480x8 / 219Bytes / " + path + "\n"
              " 640x480x8 / 207Bytes / \n",
              seen);
}

int refuse_all(size_t) { return 1; }

TEST_F(ChunkTable, MissingMemoryShowsOnlyInTheTextRow)
{
    load(make_simple_png({make_chunk("tEXt", text_bytes("a\0b"s)), make_chunk("IDAT", {1})}));
    set_alloc_fail_hook(refuse_all);
    std::string summaries = cell(1, 11) + "|" + cell(2, 11) + "|" + cell(3, 11);
    set_alloc_fail_hook(nullptr);
    EXPECT_EQ("[MallocError]|画像データ|終了チャンク: このチャンクで終わる必要があります。", summaries);
}

// The public sample files: every cell and the status line stay inside their
// buffers; two files with telling chunks show their summaries.
TEST_F(ChunkTable, PublicSampleFiles)
{
    std::vector<std::string> files = corpus_files();
    if (files.empty()) GTEST_SKIP() << "no sample files in " << corpus_dir();
    for (const std::string& file : files) {
        if (load_png(file.c_str()) != LOAD_OK) continue;
        for (int32_t i = 0; i < g_document.count; i++) row_text(i);
        std::string line = status(file.c_str());
        EXPECT_EQ(file, line.substr(line.size() - file.size())) << file;
    }
    std::string summaries;
    for (const char* name : {"cm9n0g04.png", "ps1n0g08.png"}) {
        ASSERT_EQ(LOAD_OK, load_png((corpus_dir() + "/" + name).c_str()));
        for (int32_t i = 0; i < g_document.count; i++) summaries += cell(i, 11) + "\n";
    }
    EXPECT_EQ("ヘッダ: PNG形式はこのチャンクから始まる必要があります。\n"
              "ガンマ値: sRGB または iCCP はこれを含んでいます。\n"
              "最終更新時間: 1999/12/31-23:59:59 (世界標準時)\n"
              "画像データ\n"
              "終了チャンク: このチャンクで終わる必要があります。\n"
              "ヘッダ: PNG形式はこのチャンクから始まる必要があります。\n"
              "ガンマ値: sRGB または iCCP はこれを含んでいます。\n"
              "推奨パレット: six-cube\n"
              "画像データ\n"
              "終了チャンク: このチャンクで終わる必要があります。\n",
              summaries);
}

}  // namespace
