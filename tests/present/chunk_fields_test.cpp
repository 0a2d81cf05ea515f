#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "present/chunk_fields.h"
#include "present/text_codec.h"
#include "support/test_support.h"

using namespace std::string_literals;

namespace {

Bytes bytes_of(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes be32(uint32_t v)
{
    return {(uint8_t)(v >> 24), (uint8_t)(v >> 16), (uint8_t)(v >> 8), (uint8_t)v};
}

Bytes be16(uint16_t v)
{
    return {(uint8_t)(v >> 8), (uint8_t)v};
}

Bytes cut(Bytes bytes, size_t count)
{
    bytes.resize(bytes.size() - count);
    return bytes;
}

std::string fields_of(const char* type, const Bytes& data, int colour_type = 2)
{
    ChunkRecord record = {};
    memcpy(record.type, type, 4);
    record.length = (uint32_t)data.size();
    record.data = const_cast<uint8_t*>(data.data());
    TextBuilder out = {};
    describe_fields(&out, record, FieldContext{colour_type, -1});
    std::string text = out.text ? out.text : "";
    text_free(&out);
    return text;
}

// A big-endian TIFF: IFD0 with Make, Orientation 6 and a GPS pointer; the GPS IFD
// with latitude N 35 30 0 (35.5 degrees).
Bytes exif_with_gps()
{
    Bytes make = bytes_of(std::string("Velmora Cam\0", 12));
    auto entry = [](uint16_t tag, uint16_t type, uint32_t count, const Bytes& value) {
        Bytes v = value;
        v.resize(4);
        return joined({be16(tag), be16(type), be32(count), v});
    };
    // IFD0 at 8: 3 entries (2 + 36 + 4 bytes), then Make at 50, GPS IFD at 62.
    Bytes ifd0 = joined({be16(3), entry(0x010F, 2, 12, be32(50)), entry(0x0112, 3, 1, be16(6)),
                         entry(0x8825, 4, 1, be32(62)), be32(0)});
    Bytes gps = joined({be16(2), entry(1, 2, 2, {'N', 0}), entry(2, 5, 3, be32(92)), be32(0)});
    Bytes rationals = joined({be32(35), be32(1), be32(30), be32(1), be32(0), be32(1)});
    return joined({bytes_of(std::string("MM\0*", 4)), be32(8), ifd0, make, gps, rationals});
}

// The smallest profile with a header and a version 2 description tag.
Bytes icc_profile()
{
    Bytes p(128, 0);
    memcpy(&p[4], "none", 4);
    p[8] = 2;
    p[9] = 0x10;
    memcpy(&p[12], "mntr", 4);
    memcpy(&p[16], "RGB ", 4);
    memcpy(&p[20], "XYZ ", 4);
    memcpy(&p[36], "acsp", 4);
    Bytes desc = joined({bytes_of("desc"), be32(0), be32(5), bytes_of(std::string("sRGB\0", 5))});
    Bytes all = joined({p, be32(1), bytes_of("desc"), be32(144), be32((uint32_t)desc.size()), desc});
    Bytes size = be32((uint32_t)all.size());
    std::copy(size.begin(), size.end(), all.begin());
    return all;
}

struct FieldCase {
    const char* what;
    const char* type;
    Bytes data;
    std::string expected;   // lines that must appear, in this order
    int colour_type = 2;    // of the image's IHDR
};

TEST(ChunkFields, EveryKindOfFieldAndEveryMalformedOne)
{
    const Bytes latin1 = bytes_of("Copyright\0\xA9 2024 J\xF6rg M\xFCller"s);
    const Bytes japanese = bytes_of(u8"夕焼けの海");
    const FieldCase cases[] = {
        {"Latin-1 tEXt", "tEXt", latin1, u8"キーワード: Copyright\nテキスト: © 2024 Jörg Müller\n"},
        {"UTF-8 in tEXt", "tEXt", joined({bytes_of("parameters\0"s), japanese}),
         u8"注意: Latin-1 ではなく UTF-8 として書かれているため、UTF-8 として表示しています\nテキスト: 夕焼けの海\n"},
        {"control byte", "tEXt", bytes_of("Key\0a\x01"s), u8"テキスト: a\\x01\nエラー: Latin-1 のテキストとして使えない文字が 1 個あります"},
        {"no keyword end", "tEXt", bytes_of("Key"), u8"エラー: キーワード の終わりを示す 0 バイトがありません\n"},
        {"bad keyword", "tEXt", bytes_of(" Key\0x"s), u8"エラー: キーワードは"},
        {"compressed iTXt", "iTXt", joined({bytes_of("Title\0\x01\0ja\0"s), bytes_of(u8"題名"), {0}, deflated(japanese)}),
         u8"圧縮: あり (zlib)\n言語タグ: ja\n翻訳されたキーワード: 題名\n圧縮サイズ / 展開サイズ: " +
             std::to_string(deflated(japanese).size()) + u8" / 15 バイト\nテキスト: 夕焼けの海\n"},
        {"plain iTXt, bad UTF-8", "iTXt", bytes_of("T\0\0\0\0\0a\xFF"s), u8"テキスト: a\uFFFD\nエラー: UTF-8 として正しくないバイトが 1 個"},
        {"zTXt", "zTXt", joined({bytes_of("Comment\0\0"s), deflated(bytes_of("J\xF6rg"))}), u8"テキスト: Jörg\n"},
        {"broken zTXt", "zTXt", bytes_of("Comment\0\0\x78\x9C\xFF\xFF\xFF"s), u8"エラー: 圧縮データが壊れています\n"},
        {"cut zTXt", "zTXt", joined({bytes_of("C\0\0"s), cut(deflated(latin1), 6)}),
         u8"エラー: 圧縮データが途中で終わっています\n"},
        {"zTXt method", "zTXt", bytes_of("C\0\x01x"s), u8"エラー: 圧縮方式 1 は定義されていません (0 のみ)\n"},
        {"IHDR", "IHDR", ihdr_data(640, 480, 8),
         u8"幅: 640 ピクセル\n高さ: 480 ピクセル\nビット深度: 8\n色の種類: 2 (トゥルーカラー RGB)\n"},
        {"IHDR depth", "IHDR", joined({be32(0), be32(1), {3, 2, 0, 0, 0}}),
         u8"エラー: 幅と高さは 1 から 2147483647 でなければなりません\nビット深度: 3\n色の種類: 2 (トゥルーカラー RGB)\n"
         u8"エラー: ビット深度 3 は色の種類 2 では使えません\n"},
        {"short IHDR", "IHDR", Bytes(10), u8"エラー: 長さが 13 バイトではありません (10 バイト)\n"},
        {"PLTE", "PLTE", {255, 0, 16, 1}, u8"エラー: 長さが 3 の倍数ではありません (4 バイト)\n項目数: 1\n  #0: R 255, G 0, B 16 (#FF0010)\n"},
        {"acTL", "acTL", joined({be32(3), be32(0)}), u8"フレーム数: 3\n繰り返し回数: 0 (無限)\n"},
        {"fcTL", "fcTL", joined({be32(1), be32(20), be32(10), be32(4), be32(5), be16(1), be16(0), {1, 2}}),
         u8"シーケンス番号: 1\n幅: 20 ピクセル\n高さ: 10 ピクセル\nX 位置: 4\nY 位置: 5\n表示時間: 1/0 秒 (0.010 秒)\n"
         u8"破棄方法: 1 (背景に戻す)\n合成方法: 2\nエラー: 合成方法 の値 2 は定義されていません\n"},
        {"fdAT", "fdAT", joined({be32(7), Bytes(5)}), u8"シーケンス番号: 7\nフレームデータ: 5 バイト\n"},
        {"cICP", "cICP", {9, 16, 0, 1}, u8"色域 (原色): 9 (BT.2020 / BT.2100)\n伝達関数: 16 (PQ (SMPTE ST 2084))\n行列係数: 0\nフルレンジ: はい\n"},
        {"mDCV", "mDCV", joined({be16(35400), be16(14600), Bytes(12), be32(10000000), be32(50)}),
         u8"赤 x: 0.70800\n赤 y: 0.29200\n"},
        {"mDCV luminance", "mDCV", joined({Bytes(16), be32(10000000), be32(50)}), u8"最大輝度: 1000.0000 cd/m²\n最小輝度: 0.0050 cd/m²\n"},
        {"cLLI", "cLLI", joined({be32(4000000), be32(1000000)}), u8"最大コンテンツ輝度 (MaxCLL): 400.0000 cd/m²\n"},
        {"tRNS palette", "tRNS", {0, 128}, u8"項目数: 2\n  #0 の不透明度: 0\n  #1 の不透明度: 128\n", 3},
        {"sBIT RGB", "sBIT", {5, 6, 5}, u8"赤: 5\n緑: 6\n青: 5\n"},
        {"pHYs", "pHYs", joined({be32(2835), be32(2835), {1}}), u8"横の密度: 2835 ピクセル/メートル (72.0 dpi)\n"},
        {"tIME", "tIME", {0x07, 0xE8, 2, 30, 12, 0, 0}, u8"日時: 2024/02/30 12:00:00 (世界標準時)\n"},
        {"sRGB", "sRGB", {4}, u8"レンダリングインテント: 4\nエラー: レンダリングインテント の値 4 は定義されていません\n"},
        {"eXIf", "eXIf", exif_with_gps(),
         u8"バイト順: MM (ビッグエンディアン)\nメーカー: Velmora Cam\n向き: 6 (90° 回転)\nGPS 情報: あり (2 項目)\n緯度: N 35.500000°\n"},
        {"eXIf header", "eXIf", bytes_of("XX\0*"s), u8"エラー: TIFF ヘッダ"},
        {"iCCP", "iCCP", joined({bytes_of("ICC profile\0\0"s), deflated(icc_profile())}),
         u8"プロファイル名: ICC profile\n圧縮サイズ / 展開サイズ: "},
        {"ICC header", "iCCP", joined({bytes_of("P\0\0"s), deflated(icc_profile())}),
         u8"バージョン: 2.1.0\nプロファイルの種類: 'mntr'\n色空間: 'RGB'\n接続色空間: 'XYZ'\n説明: sRGB\n"},
        {"unknown", "prVt", {1}, u8"この種類のチャンクは解釈できません。"},
    };
    for (const FieldCase& c : cases) {
        std::string text = fields_of(c.type, c.data, c.colour_type);
        EXPECT_NE(std::string::npos, text.find(c.expected)) << c.what << ":\n" << text;
    }
}

TEST(ChunkFields, InflationStopsAtTheCapAndTextsAreCutWhole)
{
    // 64 MiB and one byte of zeros: reported as too large, never held.
    Bytes zeros(INSPECT_INFLATE_CAP + 1, 0);
    Bytes huge = joined({bytes_of("Big\0\0"s), deflated(zeros)});
    zeros.clear();
    zeros.shrink_to_fit();
    EXPECT_NE(std::string::npos, fields_of("zTXt", huge).find(u8"エラー: 展開後のサイズが上限 (64 MiB) を超えています"));

    // A UTF-8 text longer than what is kept ends on a whole character.
    std::string long_text;
    while (long_text.size() <= INSPECT_TEXT_KEEP) long_text += u8"海";
    Bytes itxt = joined({bytes_of("T\0\x01\0\0\0"s), deflated(bytes_of(long_text))});
    std::string text = fields_of("iTXt", itxt);
    EXPECT_EQ(std::string::npos, text.find(u8"エラー")) << text.substr(0, 400);
    EXPECT_NE(std::string::npos, text.find(u8"(先頭 1048575 バイトのみ表示"));
    // A stored text is cut the same way.
    text = fields_of("tEXt", joined({bytes_of("T\0"s), bytes_of(long_text)}));
    EXPECT_EQ(std::string::npos, text.find(u8"エラー")) << text.substr(0, 400);
    EXPECT_NE(std::string::npos, text.find(u8"(先頭 1048575 バイトのみ表示: 全 " + std::to_string(long_text.size())));
}

// Bytes behind a stream's end are named, not passed over, in every compressed
// field; and the inflater's memory comes from the checked allocator.
TEST(ChunkFields, CompressedFieldsNameTrailingBytesAndUseTheCheckedAllocator)
{
    const Bytes stream = deflated(bytes_of("Jorg"s));
    const std::string trailing = u8"エラー: 圧縮データの終わりの後ろに余分なバイトが 3 個あります\n";
    const struct {
        const char* type;
        Bytes data;
        std::string expected;
    } cases[] = {
        {"zTXt", joined({bytes_of("C\0\0"s), stream, {1, 2, 3}}), trailing + u8"テキスト: Jorg\n"},
        {"iTXt", joined({bytes_of("T\0\x01\0\0\0"s), stream, {1, 2, 3}}), trailing + u8"テキスト: Jorg\n"},
        {"iCCP", joined({bytes_of("P\0\0"s), stream, {1, 2, 3}}), trailing},
        {"zTXt", joined({bytes_of("C\0\0"s), stream}), u8" バイト\nテキスト: Jorg\n"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(std::string::npos, fields_of(c.type, c.data).find(c.expected)) << c.type << fields_of(c.type, c.data);
    }
    // Only zlib's blocks fail: not the text's (256 and 512 bytes), nor the 1 MiB kept for it.
    set_alloc_fail_hook([](size_t bytes) { return bytes > 1024 && bytes < 65536 ? 1 : 0; });
    std::string text = fields_of("zTXt", cases[3].data);
    set_alloc_fail_hook(nullptr);
    EXPECT_NE(std::string::npos, text.find(u8"エラー: 展開のためのメモリが確保できません\n")) << text;
}

TEST(ChunkFields, DumpFileFactsAndIdotOffsets)
{
    // iDOT pointing at the first IDAT (40 bytes on) and at the second (40 + 13).
    Bytes idot = joined({be32(2), be32(0), be32(1), be32(40), be32(1), be32(1), be32(53)});
    Bytes png = make_simple_png({make_chunk("iDOT", idot), make_chunk("IDAT", {1}), make_chunk("IDAT", {2})});
    png.insert(png.end(), {'t', 'a', 'i', 'l'});
    TempDir dir;
    write_file(dir.path("a.png"), png);
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    TextBuilder out = {};
    describe_chunk(&out, 1);
    std::string text = out.text;
    text_free(&out);
    EXPECT_NE(std::string::npos, text.find(u8"チャンク: iDOT (2 番目)\n長さ: 28 バイト\n"));
    EXPECT_NE(std::string::npos, text.find(u8"前半の IDAT の位置 (iDOT 先頭から): 40 (IDAT を指しています)\n"
                                           u8"後半の IDAT の位置 (iDOT 先頭から): 53 (IDAT を指しています)\n"));
    EXPECT_NE(std::string::npos, text.find("00000000   00 00 00 02 00 00 00 00  00 00 00 01"));
    EXPECT_NE(std::string::npos, text.find(u8"IEND の後のバイト数: 4 バイト\nIEND の後の先頭バイト: 74 61 69 6C\n"));

    merge_with_next(2);
    describe_chunk(&out, 1);
    EXPECT_NE(std::string::npos, std::string(out.text).find(u8"53 (IDAT の先頭を指していません: 無効)"));
    text_free(&out);
    release_document();
    EXPECT_EQ(0u, g_trailing.count);

    Bytes big(INSPECT_DUMP_LIMIT + 1, 0x41);
    TextBuilder dump = {};
    describe_dump(&dump, big.data(), (uint32_t)big.size());
    EXPECT_EQ(0u, std::string(dump.text).rfind(u8"(先頭 65536 バイトのみ表示: 全 65537 バイト)\n", 0));
    text_free(&dump);
}

// A list of megabytes shows its first entries and says how many more there are,
// so its text stays near the dump's size instead of growing thirty-fold.
TEST(ChunkFields, ListFieldsShowAtMostTheLimit)
{
    const uint32_t entries = 2 * 1024 * 1024;
    const struct {
        const char* type;
        uint32_t    entry_size;
        int         colour_type;
        const char* last_shown;
    } lists[] = {
        {"PLTE", 3, 3, u8"  #4095: R 0, G 0, B 0 (#000000)\n"},
        {"tRNS", 1, 3, u8"  #4095 の不透明度: 0\n"},
        {"hIST", 2, 3, u8"  #4095 の頻度: 0\n"},
    };
    for (const auto& list : lists) {
        std::string text = fields_of(list.type, Bytes(entries * list.entry_size, 0), list.colour_type);
        EXPECT_LT(text.size(), 200u * INSPECT_ENTRY_LIMIT) << list.type;
        EXPECT_NE(std::string::npos, text.find(std::string(list.last_shown) + u8"  (ほか 2093056 項目は省略: 全 2097152 項目)\n"))
            << list.type;
        EXPECT_EQ(std::string::npos, text.find(u8"#4096")) << list.type;
    }
    Bytes splt = joined({bytes_of(std::string("p\0\x08", 3)), Bytes(6 * (INSPECT_ENTRY_LIMIT + 1), 0)});
    std::string text = fields_of("sPLT", splt);
    EXPECT_NE(std::string::npos, text.find(u8"(ほか 1 項目は省略: 全 4097 項目)")) << text.substr(text.size() - 200);
}

// Every head of a well-formed chunk of each type, in a block of exactly its size
// (so that the sanitizer build sees a read past it): the text stays UTF-8, and a
// type of fixed length reports the short length instead of showing a value.
TEST(ChunkFields, EveryTruncationOfEveryTypeIsReportedSafely)
{
    const struct {
        const char* type;
        Bytes       data;
        bool        fixed;   // every shorter head is an error
    } chunks[] = {
        {"IHDR", ihdr_data(16, 16, 8), true},
        {"PLTE", Bytes(6, 7), false},
        {"tRNS", be16(5), true},
        {"cHRM", Bytes(32, 1), true},
        {"gAMA", be32(45455), true},
        {"iCCP", joined({bytes_of(std::string("icc\0\0", 5)), deflated(icc_profile())}), false},
        {"sBIT", {5, 6, 5}, true},
        {"sRGB", {0}, true},
        {"cICP", {1, 13, 0, 1}, true},
        {"mDCV", Bytes(24, 2), true},
        {"cLLI", Bytes(8, 3), true},
        {"tEXt", bytes_of(std::string("Title\0Velmora", 13)), false},
        {"zTXt", joined({bytes_of(std::string("Comment\0\0", 9)), deflated(bytes_of("Velmora"))}), false},
        {"iTXt", bytes_of(std::string("Title\0\0\0ja\0T\0Velmora", 21)), false},
        {"bKGD", Bytes(6, 4), true},
        {"hIST", Bytes(4, 5), false},
        {"pHYs", joined({be32(11811), be32(11811), {1}}), true},
        {"sPLT", joined({bytes_of(std::string("p\0\x08", 3)), Bytes(12, 6)}), false},
        {"eXIf", exif_with_gps(), false},
        {"tIME", joined({be16(2026), {12, 10, 3, 26, 0}}), true},
        {"acTL", joined({be32(2), be32(0)}), true},
        {"fcTL", joined({be32(0), be32(4), be32(4), be32(0), be32(0), be16(1), be16(10), {0, 0}}), true},
        {"iDOT", Bytes(28, 0), false},
    };
    for (const auto& chunk : chunks) {
        for (size_t length = 0; length <= chunk.data.size(); length++) {
            Bytes head(chunk.data.begin(), chunk.data.begin() + (long)length);
            uint8_t* exact = (uint8_t*)malloc(length ? length : 1);
            if (length) memcpy(exact, head.data(), length);
            ChunkRecord record = {};
            memcpy(record.type, chunk.type, 4);
            record.length = (uint32_t)length;
            record.data = exact;
            TextBuilder out = {};
            describe_fields(&out, record, FieldContext{2, -1});
            std::string text = out.text ? out.text : "";
            text_free(&out);
            free(exact);
            EXPECT_TRUE(is_valid_utf8((const uint8_t*)text.data(), text.size())) << chunk.type << " " << length;
            if (chunk.fixed && length < chunk.data.size()) {
                EXPECT_NE(std::string::npos, text.find(u8"エラー")) << chunk.type << " " << length << "\n" << text;
            }
        }
    }
}

std::string hex_lines(const Bytes& bytes)
{
    std::string hex;
    for (size_t k = 0; k < bytes.size(); k++) {
        char pair[3];
        snprintf(pair, sizeof pair, "%02x", bytes[k]);
        hex += (k % 36 == 0 ? "\n" : "") + std::string(pair);
    }
    return hex + "\n";
}

// What a text holds, shown after the text: each case names what it must show
// (or must not, for a Latin-1 text whose bytes happen to pair as Shift_JIS).
TEST(ChunkFields, TextContentsShownInTheirOwnForm)
{
    Bytes exif = joined({bytes_of(std::string("Exif\0\0", 6)), exif_with_gps()});
    Bytes xmp = bytes_of("<x:xmpmeta>Velmora</x:xmpmeta>");
    const struct {
        const char* type;
        std::string data;
        const char* shown;
        bool        present;
    } cases[] = {
        {"tEXt", "Comment\0{\"a\": [1, \"x,y\"], \"b\": {}}"s, u8"JSON (整形して表示):\n{\n  \"a\": [\n    1,\n    \"x,y\"\n  ],\n  \"b\": {}\n}\n", true},
        {"tEXt", "Comment\0{\"a\": [1}"s, u8"JSON", false},
        {"iTXt", std::string("prompt\0\0\0\0\0", 11) + "[{\"class_type\":\"KSampler\"}]", u8"    \"class_type\": \"KSampler\"\n", true},
        {"tEXt", "parameters\0a cat, sitting\nNegative prompt: dog\nSteps: 20, Sampler: Euler a, Lora hashes: \"a: 1, b: 2\""s,
         u8"プロンプト: a cat, sitting\nネガティブプロンプト: dog\n生成の設定:\n  Steps: 20\n  Sampler: Euler a\n  Lora hashes: \"a: 1, b: 2\"\n", true},
        {"tEXt", "Title\0"s + "日本語のタイトル", u8"注意: Latin-1 ではなく Shift_JIS として書かれているため、Shift_JIS として表示しています\nテキスト: 日本語のタイトル\n", true},
        {"tEXt", "Author\0M\xFCller \xE9t\xE9"s, u8"テキスト: Müller été\n", true},
        {"tEXt", "Raw profile type exif\0\nexif\n"s + std::to_string(exif.size()) + hex_lines(exif),
         u8"16 進で埋め込まれたプロファイル: exif, 122 バイト\nバイト順: MM (ビッグエンディアン)\nメーカー: Velmora Cam\n", true},
        {"tEXt", "Raw profile type xmp\0\nxmp\n    "s + std::to_string(xmp.size()) + hex_lines(xmp),
         u8"テキスト: <x:xmpmeta>Velmora</x:xmpmeta>\n", true},
        {"tEXt", "Raw profile type exif\0\nexif\n   40\n0102zz"s, u8"エラー: 16 進で埋め込まれたプロファイルが壊れています\n", true},
    };
    for (const auto& c : cases) {
        std::string text = fields_of(c.type, bytes_of(c.data));
        EXPECT_EQ(c.present, text.find(c.shown) != std::string::npos) << c.data.substr(0, 30) << "\n" << text;
    }
}

// The registered extensions, decoded through the field model.
TEST(ChunkFields, RegisteredExtensions)
{
    const FieldCase cases[] = {
        {"oFFs", "oFFs", joined({be32((uint32_t)-5), be32(7), {1}}), u8"X 位置: -5\nY 位置: 7\n単位: 1 (マイクロメートル)\n"},
        {"oFFs", "oFFs", Bytes(8), u8"エラー: 長さが 9 バイトではありません (8 バイト)\n"},
        {"pCAL", "pCAL", bytes_of("temp\0\0\0\0\0\0\0\0\xFF\0\x02" "degC\0-40\0" "1.5e2"s),
         u8"較正名: temp\n元の値の下限 (x0): 0\n元の値の上限 (x1): 255\n式の種類: 0 (線形)\n単位の名前: degC\n"
         u8"パラメータ数: 2\n  #0 のパラメータ: -40\n  #1 のパラメータ: 1.5e2\n"},
        {"pCAL", "pCAL", bytes_of("t\0\0\0\0\0\0\0\0\0\x05\x02u\0" "1\0" "x"s),
         u8"エラー: x0 と x1 は異なる値でなければなりません\n式の種類: 5\nエラー: 式の種類 の値 5 は定義されていません\n"},
        {"pCAL", "pCAL", bytes_of("t\0\0\0"s), u8"較正名: t\nエラー: 長さが 12 バイトに足りません (4 バイト)\n"},
        {"sCAL", "sCAL", bytes_of("\x01" "0.25\0" "3E-2"s), u8"単位: 1 (メートル)\nピクセルの幅: 0.25\nピクセルの高さ: 3E-2\n"},
        {"sCAL", "sCAL", bytes_of("\x02" "-1\0" "1"s), u8"ピクセルの幅: -1\nエラー: ピクセルの幅 は正の浮動小数点数でなければなりません\n"},
        {"sCAL", "sCAL", bytes_of("\x01" "1"), u8"エラー: ピクセルの幅 の終わりを示す 0 バイトがありません\n"},
        {"sTER", "sTER", {1}, u8"左右の画像の配置: 1 (平行法)\n"},
        {"gIFg", "gIFg", {2, 1, 0, 150}, u8"破棄方法: 2 (背景に戻す)\nユーザー入力を待つ: はい\n表示時間: 150/100 秒 (1.50 秒)\n"},
        {"gIFx", "gIFx", bytes_of("NETSCAPE2.0\x03\x01\0\0"s), u8"アプリケーション識別子: NETSCAPE\n認証コード: 2.0\nアプリケーションデータ: 4 バイト\n"},
        {"gIFx", "gIFx", Bytes(3), u8"エラー: 長さが 11 バイトに足りません (3 バイト)\n"},
    };
    for (const FieldCase& c : cases) {
        std::string text = fields_of(c.type, c.data, c.colour_type);
        EXPECT_NE(std::string::npos, text.find(c.expected)) << c.type << ":\n" << text;
        EXPECT_EQ(std::string::npos, text.find(u8"解釈できません")) << c.type;
    }
}

// Shift_JIS-looking bytes with a zero byte among them are shown as Latin-1 with
// escapes: the text holds no zero byte of its own.
TEST(ChunkFields, ControlBytesNeverPassThroughAsShiftJis)
{
    std::string text = fields_of("tEXt", bytes_of("Key\0\x93\xFA\x96\x7B\0\x01"s));
    EXPECT_EQ(strlen(text.c_str()), text.size());
    EXPECT_NE(std::string::npos, text.find(u8"\\x00\\x01")) << text;
}

}  // namespace
