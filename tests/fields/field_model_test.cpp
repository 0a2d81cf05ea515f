#include <gtest/gtest.h>
#include <string.h>

#include <chrono>
#include <map>
#include <string>

#include "document/chunk_file.h"
#include "fields/field_model.h"
#include "fields/field_names.h"
#include "fields/field_result_texts.h"
#include "fields/field_zlib.h"
#include "fields/text_rules.h"
#include "support/test_support.h"

using namespace std::string_literals;

namespace {

Bytes be32(uint32_t v)
{
    return {(uint8_t)(v >> 24), (uint8_t)(v >> 16), (uint8_t)(v >> 8), (uint8_t)v};
}

Bytes be16(uint16_t v)
{
    return {(uint8_t)(v >> 8), (uint8_t)v};
}

ChunkRecord record_of(const char* type, const Bytes& data)
{
    ChunkRecord record = {};
    memcpy(record.type, type, 4);
    record.length = (uint32_t)data.size();
    record.data = const_cast<uint8_t*>(data.data());
    return record;
}

// Parses, and when that succeeds serializes: "" when the bytes come back the same.
std::string round_trip(const ChunkRecord& record, const ImageLayout& layout, int* result)
{
    AnyFields fields;
    *result = parse_record(record, layout, &fields);
    if (*result != FIELD_OK) return "";
    FieldBytes out = {};
    int written = serialize_fields(fields, layout, &out);
    Bytes back(out.data, out.data + out.length);
    field_bytes_free(&out);
    if (written != FIELD_OK) return std::string("serialize refused: ") + field_result_name(written);
    return back == Bytes(record.data, record.data + record.length) ? "" : "different bytes";
}

const ImageLayout RGB8 = {2, 8, -1};
const ImageLayout GRAY4 = {0, 4, -1};
const ImageLayout PALETTE4 = {3, 4, 4};   // four entries

struct Fixture {
    const char* type;
    Bytes data;
    ImageLayout layout;
};

// One well-formed chunk of every type, so that types absent from the public suite round-trip too.
std::vector<Fixture> good_fixtures()
{
    return {
        {"IHDR", ihdr_data(640, 480, 8), RGB8},
        {"PLTE", Bytes(12, 7), PALETTE4},
        {"tRNS", {0, 255, 128}, PALETTE4},
        {"tRNS", joined({be16(1), be16(2), be16(3)}), RGB8},
        {"bKGD", {3}, PALETTE4},
        {"bKGD", be16(15), GRAY4},
        {"sBIT", {3}, GRAY4},
        {"gAMA", be32(45455), RGB8},
        {"cHRM", joined({be32(31270), be32(32900), be32(64000), be32(33000), be32(30000), be32(60000), be32(15000), be32(6000)}), RGB8},
        {"sRGB", {1}, RGB8},
        {"iCCP", joined({text_bytes("sRGB"s + '\0' + '\0'), deflated(Bytes(200, 1))}), RGB8},
        {"pHYs", joined({be32(11811), be32(11811), {1}}), RGB8},
        {"tIME", {0x07, 0xE8, 2, 29, 23, 59, 60}, RGB8},
        {"tEXt", text_bytes("Title\0Sea \xE9t\xE9\nline"s), RGB8},
        {"zTXt", joined({text_bytes("Comment\0\0"s), deflated(text_bytes("x"))}), RGB8},
        {"iTXt", joined({text_bytes("Title\0\x01\0ja-JP\0"s), text_bytes(u8"題名"s + '\0'), deflated(text_bytes(u8"海"))}), RGB8},
        {"iTXt", text_bytes("Author\0\0\0\0\0"s + u8"名前"), RGB8},
        {"cICP", {9, 16, 0, 1}, RGB8},
        {"mDCV", joined({be16(35400), be16(14600), Bytes(12, 1), be32(10000000), be32(50)}), RGB8},
        {"cLLI", joined({be32(4000000), be32(1000000)}), RGB8},
        {"acTL", joined({be32(3), be32(0)}), RGB8},
        {"fcTL", joined({be32(1), be32(20), be32(10), be32(4), be32(5), be16(1), be16(0), {2, 1}}), RGB8},
        {"oFFs", joined({be32((uint32_t)-5), be32(7), {1}}), RGB8},
        {"pCAL", text_bytes("temperature\0\0\0\0\0\0\0\0\xFF\0\x02" "degC\0-40\0+1.5e2"s), RGB8},
        {"sCAL", text_bytes("\x01" "0.25\0" "3E-2"s), RGB8},
        {"sTER", {1}, RGB8},
        {"gIFg", {2, 1, 0, 10}, RGB8},
        {"gIFx", text_bytes("NETSCAPE2.0\x03\x01\0\0"s), RGB8},
    };
}

TEST(FieldModel, EveryTypeRoundTripsOverFixturesAndTheSuite)
{
    std::map<int, int> kinds;
    for (const Fixture& f : good_fixtures()) {
        int result = 0;
        ChunkRecord record = record_of(f.type, f.data);
        EXPECT_EQ("", round_trip(record, f.layout, &result)) << f.type;
        EXPECT_EQ(FIELD_OK, result) << f.type << ": " << field_result_name(result);
        kinds[field_kind_of(record.type)]++;
    }
    EXPECT_EQ((size_t)KIND_COUNT - 1, kinds.size());

    std::vector<std::string> files = corpus_files();
    if (files.empty()) GTEST_SKIP() << "no sample files in " << corpus_dir();
    int parsed = 0, chunks = 0;
    auto start = std::chrono::steady_clock::now();
    AlertLog log;
    for (const std::string& file : files) {
        if (load_png(file.c_str()) != LOAD_OK) continue;
        ImageLayout layout = layout_of_records(g_document.records, g_document.count);
        for (int32_t k = 0; k < g_document.count; k++) {
            int result = 0;
            EXPECT_EQ("", round_trip(g_document.records[k], layout, &result)) << file << " #" << k;
            parsed += result == FIELD_OK;
            chunks++;
        }
        release_document();
    }
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    printf("[ figures  ] %d of %d chunks of %zu files parsed and written back the same in %.1f ms\n", parsed, chunks,
           files.size(), ms);
    EXPECT_GT(parsed, 500);
}

struct Malformed {
    const char* type;
    Bytes data;
    ImageLayout layout;
    int expected;
};

TEST(FieldModel, EveryWayTheBytesCanBeMalformedHasItsResult)
{
    const Malformed cases[] = {
        {"IHDR", Bytes(12), RGB8, FIELD_WRONG_LENGTH},
        {"IHDR", joined({be32(0), be32(1), {8, 2, 0, 0, 0}}), RGB8, FIELD_BAD_DIMENSION},
        {"IHDR", joined({be32(1), be32(0x80000000u), {8, 2, 0, 0, 0}}), RGB8, FIELD_BAD_DIMENSION},
        {"IHDR", joined({be32(1), be32(1), {8, 5, 0, 0, 0}}), RGB8, FIELD_BAD_COLOUR_TYPE},
        {"IHDR", joined({be32(1), be32(1), {16, 3, 0, 0, 0}}), RGB8, FIELD_BAD_BIT_DEPTH},
        {"IHDR", joined({be32(1), be32(1), {8, 2, 0, 1, 0}}), RGB8, FIELD_BAD_METHOD},
        {"IHDR", joined({be32(1), be32(1), {8, 2, 0, 0, 2}}), RGB8, FIELD_BAD_INTERLACE},
        {"PLTE", Bytes(4), RGB8, FIELD_LENGTH_STEP},
        {"PLTE", Bytes(), RGB8, FIELD_BAD_PALETTE_SIZE},
        {"PLTE", Bytes(3 * 257), RGB8, FIELD_BAD_PALETTE_SIZE},
        {"PLTE", Bytes(3 * 17), PALETTE4, FIELD_BAD_PALETTE_SIZE},
        {"tRNS", Bytes(5), PALETTE4, FIELD_BAD_INDEX},
        {"tRNS", Bytes(2), {6, 8, -1}, FIELD_UNKNOWN_LAYOUT},
        {"tRNS", Bytes(2), UNKNOWN_LAYOUT, FIELD_UNKNOWN_LAYOUT},
        {"tRNS", Bytes(2), RGB8, FIELD_WRONG_LENGTH},
        {"tRNS", be16(16), GRAY4, FIELD_BAD_SAMPLE},
        {"bKGD", {4}, PALETTE4, FIELD_BAD_INDEX},
        {"bKGD", joined({be16(0), be16(256), be16(0)}), RGB8, FIELD_BAD_SAMPLE},
        {"sBIT", {8, 8}, RGB8, FIELD_WRONG_LENGTH},
        {"sBIT", {5}, GRAY4, FIELD_BAD_SAMPLE},
        {"sBIT", {0, 8, 8}, RGB8, FIELD_BAD_SAMPLE},
        {"gAMA", be32(0), RGB8, FIELD_BAD_ZERO},
        {"gAMA", be32(0x80000000u), RGB8, FIELD_TOO_LARGE},
        {"cHRM", Bytes(31), RGB8, FIELD_WRONG_LENGTH},
        {"sRGB", {4}, RGB8, FIELD_BAD_INTENT},
        {"iCCP", text_bytes("name"), RGB8, FIELD_NO_KEYWORD_END},
        {"iCCP", text_bytes("name\0"s), RGB8, FIELD_TOO_SHORT},
        {"iCCP", text_bytes("name\0\x01x"s), RGB8, FIELD_BAD_METHOD},
        {"pHYs", joined({be32(1), be32(1), {2}}), RGB8, FIELD_BAD_UNIT},
        {"tIME", {0x07, 0xE9, 2, 29, 0, 0, 0}, RGB8, FIELD_BAD_DATE},   // 2025 is no leap year
        {"tIME", {0x07, 0xE8, 1, 1, 24, 0, 0}, RGB8, FIELD_BAD_DATE},
        {"tEXt", text_bytes(" Title\0x"s), RGB8, FIELD_BAD_KEYWORD},
        {"tEXt", text_bytes("A  B\0x"s), RGB8, FIELD_BAD_KEYWORD},
        {"tEXt", text_bytes(std::string(80, 'k') + '\0'), RGB8, FIELD_BAD_KEYWORD},
        {"tEXt", text_bytes("\0x"s), RGB8, FIELD_BAD_KEYWORD},
        {"tEXt", text_bytes("Title\0a\x01"s), RGB8, FIELD_NOT_LATIN1},
        {"tEXt", text_bytes("Title\0a\0b"s), RGB8, FIELD_NOT_LATIN1},
        {"zTXt", text_bytes("Title\0\x02x"s), RGB8, FIELD_BAD_METHOD},
        {"iTXt", text_bytes("T\0\0"s), RGB8, FIELD_TOO_SHORT},
        {"iTXt", text_bytes("T\0\0\0ja"s), RGB8, FIELD_NO_LANGUAGE_END},
        {"iTXt", text_bytes("T\0\0\0ja\0tr"s), RGB8, FIELD_NO_TRANSLATED_END},
        {"iTXt", text_bytes("T\0\x02\0\0\0"s), RGB8, FIELD_BAD_FLAG},
        {"iTXt", text_bytes("T\0\x01\x01\0\0"s), RGB8, FIELD_BAD_METHOD},
        {"iTXt", text_bytes("T\0\0\0ja_JP\0\0"s), RGB8, FIELD_BAD_LANGUAGE},
        {"iTXt", text_bytes("T\0\0\0\0\xFF\0"s), RGB8, FIELD_NOT_UTF8},
        {"iTXt", text_bytes("T\0\0\0\0\0\xC0\x80"s), RGB8, FIELD_NOT_UTF8},
        {"cICP", {1, 13, 1, 1}, RGB8, FIELD_BAD_MATRIX},
        {"cICP", {1, 13, 0, 2}, RGB8, FIELD_BAD_RANGE_FLAG},
        {"mDCV", Bytes(23), RGB8, FIELD_WRONG_LENGTH},
        {"cLLI", Bytes(9), RGB8, FIELD_WRONG_LENGTH},
        {"acTL", joined({be32(0), be32(0)}), RGB8, FIELD_BAD_ZERO},
        {"acTL", joined({be32(1), be32(0x80000000u)}), RGB8, FIELD_TOO_LARGE},
        {"fcTL", joined({be32(0), be32(0), be32(1), be32(0), be32(0), be16(1), be16(1), {0, 0}}), RGB8, FIELD_BAD_ZERO},
        {"fcTL", joined({be32(0), be32(1), be32(1), be32(0), be32(0), be16(1), be16(1), {3, 0}}), RGB8, FIELD_BAD_DISPOSE},
        {"fcTL", joined({be32(0), be32(1), be32(1), be32(0), be32(0), be16(1), be16(1), {0, 2}}), RGB8, FIELD_BAD_BLEND},
        {"oFFs", joined({be32(0x80000000u), be32(0), {0}}), RGB8, FIELD_TOO_LARGE},
        {"oFFs", joined({be32(0), be32(0), {2}}), RGB8, FIELD_BAD_UNIT},
        {"pCAL", text_bytes("t"), RGB8, FIELD_NO_KEYWORD_END},
        {"pCAL", text_bytes("t\0\0\0\0\0\0\0\0\x01\0"s), RGB8, FIELD_TOO_SHORT},
        {"pCAL", text_bytes("t\0\0\0\0\0\0\0\0\x01\0\x02unit"s), RGB8, FIELD_NO_UNIT_END},
        {"pCAL", text_bytes("t\0\0\0\0\0\0\0\0\x01\x04\x02u\0" "1\0" "2"s), RGB8, FIELD_BAD_UNIT},
        {"pCAL", text_bytes("t\0\0\0\0\0\0\0\0\x01\0\x03u\0" "1\0" "2"s), RGB8, FIELD_BAD_PARAMETERS},
        {"pCAL", text_bytes("t\0\0\0\0\0\0\0\0\0\0\x02u\0" "1\0" "2"s), RGB8, FIELD_BAD_PARAMETERS},   // x0 == x1
        {"pCAL", text_bytes("t\0\0\0\0\0\0\0\0\x01\0\x02u\0" "1\0" "x"s), RGB8, FIELD_BAD_NUMBER},
        {"sCAL", Bytes(), RGB8, FIELD_TOO_SHORT},
        {"sCAL", text_bytes("\x01" "1"), RGB8, FIELD_NO_SEPARATOR},
        {"sCAL", text_bytes("\x03" "1\0" "1"s), RGB8, FIELD_BAD_UNIT},
        {"sCAL", text_bytes("\x01" "0.0\0" "1"s), RGB8, FIELD_BAD_NUMBER},
        {"sCAL", text_bytes("\x01" "-1\0" "1"s), RGB8, FIELD_BAD_NUMBER},
        {"sCAL", text_bytes("\x01" "1e\0" "1"s), RGB8, FIELD_BAD_NUMBER},
        {"sTER", {2}, RGB8, FIELD_BAD_MODE},
        {"gIFg", {8, 0, 0, 0}, RGB8, FIELD_BAD_DISPOSE},
        {"gIFg", {0, 2, 0, 0}, RGB8, FIELD_BAD_MODE},
        {"gIFx", Bytes(10), RGB8, FIELD_TOO_SHORT},
    };
    for (const Malformed& c : cases) {
        AnyFields fields;
        int result = parse_record(record_of(c.type, c.data), c.layout, &fields);
        EXPECT_STREQ(field_result_name(c.expected), field_result_name(result)) << c.type << " " << c.data.size();
        // What parse refuses for a value, serialize refuses with the same result.
        if (field_layout_read(result) && result != FIELD_OK) {
            FieldBytes out = {};
            EXPECT_EQ(result, serialize_fields(fields, c.layout, &out)) << c.type;
            EXPECT_EQ(nullptr, out.data);
        }
    }
}
TEST(FieldModel, EveryResultHasANameAndAText)
{
    for (int result = 0; result < FIELD_RESULT_COUNT; result++) {
        ASSERT_NE(nullptr, field_result_name(result)) << result;
        EXPECT_EQ(0, strncmp("FIELD_", field_result_name(result), 6)) << result;
        ASSERT_NE(nullptr, field_result_text(result)) << result;
        EXPECT_NE('\0', field_result_text(result)[0]) << result;
    }
}

}  // namespace
