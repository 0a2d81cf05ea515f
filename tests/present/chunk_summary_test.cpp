#include <gtest/gtest.h>
#include <string.h>

#include <memory>
#include <random>
#include <string>

#include "document/memory.h"
#include "present/chunk_summary.h"
#include "support/test_support.h"

using namespace std::string_literals;

namespace {

const size_t GUARD = 16;

// The summary of a chunk whose data is exactly `data` (a heap block of that size,
// so that a tool watching memory sees any read beyond it). Bytes after the 256 of
// the buffer must stay as they were.
std::string summary_of(const char* type, const Bytes& data)
{
    std::unique_ptr<uint8_t[]> block(new uint8_t[data.size()]);
    if (!data.empty()) memcpy(block.get(), data.data(), data.size());
    ChunkRecord record = {};
    record.length = (uint32_t)data.size();
    memcpy(record.type, type, 4);
    record.data = block.get();
    char output[SUMMARY_SIZE + GUARD];
    memset(output, 0x7F, sizeof output);
    chunk_summary(output, record);
    for (size_t i = SUMMARY_SIZE; i < sizeof output; i++) {
        EXPECT_EQ(0x7F, output[i]) << "written past the buffer at " << i;
    }
    EXPECT_LT(strnlen(output, SUMMARY_SIZE), (size_t)SUMMARY_SIZE) << "not terminated within the buffer";
    return output;
}

std::string summary_of(const char* type, const std::string& data)
{
    return summary_of(type, text_bytes(data));
}

struct SummaryCase {
    const char* type;
    std::string data;
    std::string expected;
};

TEST(ChunkSummary, EveryKnownTypeAndTheDefault)
{
    const std::string a79(79, 'A');
    const SummaryCase cases[] = {
        {"IDAT", "", "画像データ"},
        {"IEND", "", "終了チャンク: このチャンクで終わる必要があります。"},
        {"IHDR", "\0\0\0\1\0\0\0\1\x08\2\0\0\0"s, "ヘッダ: PNG形式はこのチャンクから始まる必要があります。"},
        {"bKGD", "\0\0"s, "背景色"},
        {"cHRM", "", "基礎色度: sRGB または iCCP はこれを含んでいます。"},
        {"gAMA", "\0\1\x86\xA0"s, "ガンマ値: sRGB または iCCP はこれを含んでいます。"},
        {"hIST", "", "パレットヒストグラム"},
        {"pHYs", "", "物理的なピクセル寸法"},
        {"sBIT", "", "有効なビット数"},
        {"tRNS", "", "透明度情報"},
        // Case counts, and so does every byte: anything else is unrecognised.
        {"Idat", "", "認識できないチャンク"},
        {"idat", "", "認識できないチャンク"},
        {"IDAt", "", "認識できないチャンク"},
        {"abCd", "", "認識できないチャンク"},
        {"\0\0\0\0", "", "認識できないチャンク"},
        {"\xff\xff\xff\xff", "", "認識できないチャンク"},
        // Palette entries: the length divided by three, the remainder dropped.
        {"PLTE", std::string(768, '\0'), "パレット:256色"},
        {"PLTE", std::string(10, '\0'), "パレット:3色"},
        {"PLTE", "", "パレット:0色"},
        // Rendering intents, the undefined value above 3, and no data at all.
        {"sRGB", "\0"s, "標準 RGB カラースペース: [0]Perceptual"},
        {"sRGB", "\1"s, "標準 RGB カラースペース: [1]Relative colorimetric"},
        {"sRGB", "\2"s, "標準 RGB カラースペース: [2]Saturation"},
        {"sRGB", "\3\x09"s, "標準 RGB カラースペース: [3]Absolute colorimetric"},
        {"sRGB", "\4"s, "標準 RGB カラースペース: [4]未定義値"},
        {"sRGB", "\xff"s, "標準 RGB カラースペース: [255]未定義値"},
        {"sRGB", "", "標準 RGB カラースペース: []未定義値"},
        // Times: no calendar check; too short a chunk has no date.
        {"tIME", "\x07\xD0\1\2\3\4\5"s, "最終更新時間: 2000/01/02-03:04:05 (世界標準時)"},
        {"tIME", "\x03\xE7\x0C\x1F\x17\x3B\x3C"s, "最終更新時間:  999/12/31-23:59:60 (世界標準時)"},
        {"tIME", "\x07\xD0\xC8\0\0\0\0"s, "最終更新時間: 2000/200/00-00:00:00 (世界標準時)"},
        {"tIME", "\xff\xff\xff\xff\xff\xff\xff"s, "最終更新時間: 65535/255/255-255:255:255 (世界標準時)"},
        {"tIME", "\0\0\0\0\0\0\0\0"s, "最終更新時間:    0/00/00-00:00:00 (世界標準時)"},
        {"tIME", "\x07\xD0\1\2\3\4"s, "最終更新時間: 未定義値"},
        {"tIME", "", "最終更新時間: 未定義値"},
        // Profile and palette names: up to the first zero, at most 79 bytes, never
        // beyond the data.
        {"iCCP", "ICC Profile\0\0xyz"s, "ICCプロファイル: ICC Profile"},
        {"iCCP", a79 + "BC", "ICCプロファイル: " + a79},
        {"iCCP", a79, "ICCプロファイル: " + a79},
        {"iCCP", "\0name"s, "ICCプロファイル: "},
        {"iCCP", "short", "ICCプロファイル: short"},
        {"iCCP", "", "ICCプロファイル: "},
        {"sPLT", "six-cube\0\x08"s, "推奨パレット: six-cube"},
        {"sPLT", a79 + "\0"s, "推奨パレット: " + a79},
        {"sPLT", "%s%n%d", "推奨パレット: %s%n%d"},
        // Keyword and text.
        {"tEXt", "Title\0Sample"s, "埋め込みテキスト: [Title]Sample"},
        {"tEXt", "Comment", "埋め込みテキスト: [Comment]"},
        {"tEXt", "", "埋め込みテキスト: []"},
        {"tEXt", "\0rest"s, "埋め込みテキスト: []rest"},
        {"tEXt", "k\0one\0two"s, "埋め込みテキスト: [k]one"},
        {"tEXt", "k\0"s, "埋め込みテキスト: [k]"},
        {"tEXt", "%s%n\0%x%n"s, "埋め込みテキスト: [%s%n]%x%n"},
        {"tEXt", "k\0"s + std::string(129, 't'), "埋め込みテキスト: [k]" + std::string(125, 't') + "..."},
        {"tEXt", "k\0"s + std::string(128, 't'), "埋め込みテキスト: [k]" + std::string(128, 't')},
        // Keywords only; nothing is decompressed.
        {"zTXt", "Title\0\0\x78\x9c\0\1"s, "圧縮テキスト: [Title]"},
        {"zTXt", "", "圧縮テキスト: []"},
        {"zTXt", "NoZero", "圧縮テキスト: [NoZero]"},
        {"iTXt", "Title\0\0\0ja\0Title\0text"s, "国際的なテキスト: [Title]"},
        {"iTXt", "", "国際的なテキスト: []"},
        {"iTXt", "%d", "国際的なテキスト: [%d]"},
    };
    for (const SummaryCase& c : cases) {
        EXPECT_EQ(c.expected, summary_of(c.type, c.data)) << c.type << " of " << c.data.size() << " bytes";
    }
}

// A wrong source or execution charset cannot pass these: the bytes are spelled out.
TEST(ChunkSummary, TextsAreCodePage932Bytes)
{
    EXPECT_EQ("\x89\xE6\x91\x9C\x83" "f\x81[\x83^", summary_of("IDAT", ""));
    EXPECT_EQ("\x83p\x83\x8C\x83" "b\x83g:256\x90" "F", summary_of("PLTE", std::string(768, '\0')));
    EXPECT_EQ("\x94" "F\x8E\xAF\x82\xC5\x82\xAB\x82\xC8\x82\xA2\x83`\x83\x83\x83\x93\x83N", summary_of("abcd", ""));
    EXPECT_EQ("\x8D\xC5\x8FI\x8DX\x90V\x8E\x9E\x8A\xD4: 2000/01/02-03:04:05 (\x90\xA2\x8A" "E\x95W\x8F\x80\x8E\x9E)",
              summary_of("tIME", "\x07\xD0\1\2\3\4\5"s));
    EXPECT_EQ("\x95W\x8F\x80 RGB \x83J\x83\x89\x81[\x83X\x83y\x81[\x83X: [4]\x96\xA2\x92\xE8\x8B`\x92l",
              summary_of("sRGB", "\4"s));
    EXPECT_EQ("\x96\x84\x82\xDF\x8D\x9E\x82\xDD\x83" "e\x83L\x83X\x83g: [Title]Sample",
              summary_of("tEXt", "Title\0Sample"s));
}

// The fixed texts are exactly as long as their upper bound; the others never pass
// theirs, whatever the data.
TEST(ChunkSummary, NoSummaryPassesItsBoundWhateverTheData)
{
    struct Bound {
        const char* type;
        size_t most;
        bool fixed;
    };
    const Bound bounds[] = {
        {"IDAT", 10, true},  {"IEND", 50, true}, {"IHDR", 55, true},  {"PLTE", 21, false}, {"bKGD", 6, true},
        {"cHRM", 49, true},  {"gAMA", 49, true}, {"hIST", 20, true},  {"iCCP", 96, false}, {"iTXt", 255, false},
        {"pHYs", 20, true},  {"sBIT", 14, true}, {"sPLT", 93, false}, {"sRGB", 49, false}, {"tEXt", 255, false},
        {"tIME", 52, false}, {"tRNS", 10, true}, {"zTXt", 255, false}, {"uNKn", 20, true},
    };
    std::mt19937 random(20261209);
    std::vector<Bytes> datas;
    for (size_t length : {0, 1, 2, 6, 7, 78, 79, 80, 130, 255, 256, 300, 1000}) {
        datas.push_back(Bytes(length, 0xFF));
        datas.push_back(Bytes(length, 0x82));  // double-byte lead bytes throughout
        datas.push_back(Bytes(length, 'A'));
        Bytes mixed(length);
        for (uint8_t& b : mixed) b = (uint8_t)(random() % 4 == 0 ? 0 : random());
        datas.push_back(mixed);
    }
    for (const Bound& bound : bounds) {
        for (const Bytes& data : datas) {
            size_t length = summary_of(bound.type, data).size();
            EXPECT_LE(length, bound.most) << bound.type << " of " << data.size() << " bytes";
            if (bound.fixed) {
                EXPECT_EQ(bound.most, length) << bound.type;
            }
        }
    }
}

// A keyword too long for the line keeps as many whole characters as fit before
// the cut mark, so that the line ends at exactly 255 bytes or fewer; the text of
// a tEXt chunk keeps its own bound of 128 bytes.
TEST(ChunkSummary, TooLongKeywordsAreCutAtWholeCharacters)
{
    const std::string k(400, 'K');
    const std::string t(400, 't');
    const std::string wide = [] {
        std::string s;
        for (int i = 0; i < 200; i++) s += "\x82\xA0";  // a double-byte character
        return s;
    }();
    const SummaryCase cases[] = {
        // zTXt has room for 239 keyword bytes, iTXt for 235.
        {"zTXt", k.substr(0, 239), "圧縮テキスト: [" + k.substr(0, 239) + "]"},
        {"zTXt", k.substr(0, 240), "圧縮テキスト: [" + k.substr(0, 236) + "...]"},
        {"zTXt", "A" + wide, "圧縮テキスト: [A" + wide.substr(0, 234) + "...]"},
        {"iTXt", k.substr(0, 235) + "\0"s, "国際的なテキスト: [" + k.substr(0, 235) + "]"},
        {"iTXt", k + "\0"s, "国際的なテキスト: [" + k.substr(0, 232) + "...]"},
        // tEXt: with a full text 107 bytes are left for the keyword; a shorter
        // text leaves more.
        {"tEXt", k.substr(0, 107) + "\0"s + t, "埋め込みテキスト: [" + k.substr(0, 107) + "]" + t.substr(0, 125) + "..."},
        {"tEXt", k.substr(0, 108) + "\0"s + t, "埋め込みテキスト: [" + k.substr(0, 104) + "...]" + t.substr(0, 125) + "..."},
        {"tEXt", wide + "\0"s + t.substr(0, 127), "埋め込みテキスト: [" + wide.substr(0, 104) + "...]" + t.substr(0, 127)},
        {"tEXt", k, "埋め込みテキスト: [" + k.substr(0, 232) + "...]"},
        {"tEXt", k.substr(0, 235), "埋め込みテキスト: [" + k.substr(0, 235) + "]"},
    };
    for (const SummaryCase& c : cases) {
        std::string summary = summary_of(c.type, c.data);
        EXPECT_EQ(c.expected, summary) << c.type << " of " << c.data.size() << " bytes";
        EXPECT_LE(summary.size(), (size_t)SUMMARY_SIZE - 1);
    }
}

int refuse_all(size_t) { return 1; }

TEST(ChunkSummary, OnlyTextChunksNeedMemoryAndSayWhenThereIsNone)
{
    set_alloc_fail_hook(refuse_all);
    std::string got;
    for (const char* type : {"tEXt", "zTXt", "iTXt", "iCCP", "sPLT", "IDAT"}) {
        got += summary_of(type, "name\0text"s) + "|";
    }
    set_alloc_fail_hook(nullptr);
    EXPECT_EQ("[MallocError]|[MallocError]|[MallocError]|ICCプロファイル: name|推奨パレット: name|画像データ|", got);
    EXPECT_EQ("埋め込みテキスト: [name]text", summary_of("tEXt", "name\0text"s));
}

}  // namespace
