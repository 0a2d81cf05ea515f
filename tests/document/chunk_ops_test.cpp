#include <gtest/gtest.h>

#include <chrono>

#include "document/byte_order.h"
#include "document/chunk_ops.h"
#include "check/chunk_order.h"
#include "document/memory.h"
#include "fields/field_zlib.h"
#include "support/test_support.h"

namespace {

const uint8_t* T(const char* type)
{
    return reinterpret_cast<const uint8_t*>(type);
}

struct ChunkOps : ::testing::Test {
    void TearDown() override
    {
        set_alloc_fail_hook(nullptr);
        release_document();
    }
    void load(const std::vector<Bytes>& middle)
    {
        write_file(dir.path("a.png"), make_simple_png(middle));
        ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    }
    // The types in order, and an asterisk after each chunk whose CRC is not fresh.
    static std::string types()
    {
        std::string s;
        for (int32_t i = 0; i < g_document.count; i++) {
            const ChunkRecord& r = g_document.records[i];
            s += std::string((const char*)r.type, 4) + (r.stored_crc == r.computed_crc ? " " : "* ");
        }
        return s;
    }
    TempDir dir;
};

const std::vector<Bytes> PALETTE_IMAGE = {make_chunk("PLTE", {0, 0, 0}), make_chunk("tRNS", {0}),
                                          make_chunk("IDAT", {1, 2, 3}), make_chunk("IDAT", {4}),
                                          make_chunk("tEXt", {'a', 0, 'b'})};

TEST_F(ChunkOps, InsertStandsAtTheFirstPlaceTheRulesAllow)
{
    struct Case {
        const char* type;
        int result;
        const char* order;
    } cases[] = {
        {"pHYs", OP_DONE, "IHDR pHYs PLTE tRNS IDAT IDAT tEXt IEND "},
        {"tIME", OP_DONE, "IHDR tIME PLTE tRNS IDAT IDAT tEXt IEND "},
        {"gAMA", OP_DONE, "IHDR gAMA PLTE tRNS IDAT IDAT tEXt IEND "},
        {"hIST", OP_DONE, "IHDR PLTE hIST tRNS IDAT IDAT tEXt IEND "},
        {"IDAT", OP_DONE, "IHDR PLTE tRNS IDAT IDAT IDAT tEXt IEND "},
        {"prVt", OP_DONE, "IHDR prVt PLTE tRNS IDAT IDAT tEXt IEND "},
        {"tRNS", OP_REFUSED, "IHDR PLTE tRNS IDAT IDAT tEXt IEND "},
        {"IHDR", OP_REFUSED, "IHDR PLTE tRNS IDAT IDAT tEXt IEND "},
        {"IEND", OP_REFUSED, "IHDR PLTE tRNS IDAT IDAT tEXt IEND "},
    };
    for (const Case& c : cases) {
        load(PALETTE_IMAGE);
        ChunkOpReport report;
        EXPECT_EQ(c.result, insert_chunk(&g_document, T(c.type), T("xy"), 2, &report)) << c.type;
        EXPECT_EQ(c.order, types()) << c.type;
        EXPECT_EQ(c.result == OP_DONE, g_document.changed == 1) << c.type;
        if (c.result == OP_REFUSED) {
            EXPECT_NE(ORDER_ALLOWED, report.verdict) << c.type;
        }
        release_document();
    }
}

TEST_F(ChunkOps, MovesAreRefusedWhereTheRulesForbidThem)
{
    struct Case {
        std::vector<int32_t> rows;
        int direction;   // MoveDirection, or -1 for "to target"
        int32_t target;
        int result;
        const char* order;
    } cases[] = {
        {{6}, MOVE_UP, 0, OP_DONE, "IHDR PLTE tRNS IDAT IDAT pHYs tEXt IEND "},   // no worse than before
        {{3, 4}, MOVE_DOWN, 0, OP_DONE, "IHDR PLTE tRNS tEXt IDAT IDAT pHYs IEND "},
        {{5, 6}, MOVE_UP, 0, OP_REFUSED, nullptr},   // both into the IDAT run
        {{1}, MOVE_UP, 0, OP_REFUSED, nullptr},      // IHDR stays first
        {{7}, MOVE_UP, 0, OP_REFUSED, nullptr},      // IEND stays last
        {{0}, MOVE_DOWN, 0, OP_REFUSED, nullptr},
        {{2}, MOVE_UP, 0, OP_REFUSED, nullptr},      // tRNS after PLTE
        {{3}, MOVE_UP, 0, OP_REFUSED, nullptr},      // tRNS before the IDAT chunks
        {{5}, MOVE_UP, 0, OP_REFUSED, nullptr},      // tEXt between the IDAT chunks
        {{0}, MOVE_UP, 0, OP_AT_EDGE, nullptr},
        {{7}, MOVE_DOWN, 0, OP_AT_EDGE, nullptr},
        {{2, 1}, MOVE_UP, 0, OP_NO_ROW, nullptr},
        {{6}, -1, 1, OP_DONE, "IHDR pHYs PLTE tRNS IDAT IDAT tEXt IEND "},
        {{5}, -1, 3, OP_DONE, "IHDR PLTE tRNS tEXt IDAT IDAT pHYs IEND "},
        {{1}, -1, 3, OP_REFUSED, nullptr},           // PLTE after tRNS and IDAT
        {{6}, -1, 8, OP_NO_ROW, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<Bytes> middle = PALETTE_IMAGE;
        middle.push_back(make_chunk("pHYs", Bytes(9)));
        load(middle);   // IHDR PLTE tRNS IDAT IDAT tEXt pHYs IEND: pHYs is out of place already
        std::string before = types();
        ChunkOpReport report;
        int result = c.direction < 0 ? move_row_to(&g_document, c.rows[0], c.target, &report)
                                     : move_rows(&g_document, c.rows.data(), (int32_t)c.rows.size(),
                                                 (MoveDirection)c.direction, &report);
        EXPECT_EQ(c.result, result) << c.rows[0] << " " << c.direction;
        EXPECT_EQ(c.order ? std::string(c.order) : before, types()) << c.rows[0] << " " << c.direction;
        release_document();
    }
}

TEST_F(ChunkOps, SplitSizes)
{
    struct Case {
        uint32_t size;
        SplitMode mode;
        int result;
        std::vector<uint32_t> lengths;
    } cases[] = {
        {1, SPLIT_ONCE, OP_DONE, {1, 9}},      {4, SPLIT_REPEAT, OP_DONE, {4, 4, 2}},
        {5, SPLIT_REPEAT, OP_DONE, {5, 5}},    {9, SPLIT_REPEAT, OP_DONE, {9, 1}},
        {1, SPLIT_REPEAT, OP_DONE, std::vector<uint32_t>(10, 1)},
        {0, SPLIT_ONCE, OP_BAD_SIZE, {10}},    {10, SPLIT_REPEAT, OP_BAD_SIZE, {10}},
    };
    Bytes data = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (const Case& c : cases) {
        load({make_chunk("IDAT", data), make_chunk("tEXt", {'a', 0})});
        EXPECT_EQ(c.result, split_idat(&g_document, 1, c.size, c.mode, nullptr));
        std::vector<uint32_t> lengths;
        Bytes joined_data;
        for (int32_t i = 1; i + 2 < g_document.count; i++) {
            const ChunkRecord& r = g_document.records[i];
            EXPECT_EQ(r.stored_crc, r.computed_crc);
            lengths.push_back(r.length);
            joined_data.insert(joined_data.end(), r.data, r.data + r.length);
        }
        EXPECT_EQ(c.lengths, lengths) << c.size;
        EXPECT_EQ(data, joined_data);
        release_document();
    }
    load({make_chunk("IDAT", data, 0), make_chunk("tEXt", {'a', 0})});
    EXPECT_EQ(OP_DAMAGED, split_idat(&g_document, 1, 2, SPLIT_ONCE, nullptr));
    EXPECT_EQ(OP_NOT_IDAT, split_idat(&g_document, 2, 1, SPLIT_ONCE, nullptr));
}

TEST_F(ChunkOps, RawChunkFilesAreCheckedOnImport)
{
    Bytes good = make_chunk("tEXt", text_bytes(std::string("Title\0x", 7)));
    Bytes longer = good, shorter = good, bad_crc = good, bad_type = good, huge = good;
    longer.push_back(0);
    shorter.pop_back();
    bad_crc.back() ^= 1;
    bad_type[5] = '1';
    huge[0] = 0x80;
    struct Case {
        const Bytes* bytes;
        int result;
    } cases[] = {{&good, OP_DONE},          {&longer, OP_BAD_LENGTH}, {&shorter, OP_TOO_SHORT},
                 {&bad_crc, OP_BAD_CRC},    {&bad_type, OP_BAD_TYPE}, {&huge, OP_BAD_LENGTH}};
    for (const Case& c : cases) {
        load({make_chunk("IDAT", {1})});
        EXPECT_EQ(c.result, import_raw_chunk(&g_document, c.bytes->data(), (uint32_t)c.bytes->size(), nullptr));
        EXPECT_EQ(c.result == OP_DONE ? "IHDR tEXt IDAT IEND " : "IHDR IDAT IEND ", types());
        release_document();
    }
    // Every truncation fails cleanly; export gives back the file that was imported.
    for (size_t n = 0; n < good.size(); n++) {
        ChunkBatch chunk;
        EXPECT_NE(OP_DONE, read_raw_chunk(good.data(), (uint32_t)n, &chunk));
    }
    load({make_chunk("IDAT", {1})});
    ASSERT_EQ(OP_DONE, import_raw_chunk(&g_document, good.data(), (uint32_t)good.size(), nullptr));
    FieldBytes out;
    ASSERT_EQ(OP_DONE, export_raw_chunk(g_document, 1, &out));
    EXPECT_EQ(good, Bytes(out.data, out.data + out.length));
    field_bytes_free(&out);
}

TEST_F(ChunkOps, IccProfilesTravelAsIccpNamedByTheirDescription)
{
    struct Case {
        std::string description, name;
    } cases[] = {{"sRGB IEC61966-2.1", "sRGB IEC61966-2.1"}, {"  two  spaces ", "two spaces"},
                 {"tab\there", "tab?here"}, {"", "ICC Profile"}, {std::string(100, 'x'), std::string(79, 'x')}};
    for (const Case& c : cases) {
        Bytes profile = icc_profile(c.description);
        load({make_chunk("PLTE", {0, 0, 0}), make_chunk("IDAT", {1})});
        ASSERT_EQ(OP_DONE, import_icc_profile(&g_document, profile.data(), (uint32_t)profile.size(), nullptr));
        EXPECT_EQ("IHDR iCCP PLTE IDAT IEND ", types());
        const ChunkRecord& r = g_document.records[1];
        IccpFields fields;
        ASSERT_EQ(FIELD_OK, parse_iccp(r.data, r.length, &fields));
        EXPECT_EQ(c.name, std::string((const char*)fields.name.bytes, fields.name.length));
        FieldBytes back;
        ASSERT_EQ(OP_DONE, export_icc_profile(g_document, 1, &back));
        EXPECT_EQ(profile, Bytes(back.data, back.data + back.length));
        field_bytes_free(&back);
        release_document();
    }
    Bytes wrong_size = icc_profile("x");
    wrong_size.push_back(0);
    load({make_chunk("IDAT", {1})});
    EXPECT_EQ(OP_NOT_ICC, import_icc_profile(&g_document, wrong_size.data(), (uint32_t)wrong_size.size(), nullptr));
    FieldBytes none;
    EXPECT_EQ(OP_NO_PROFILE, export_icc_profile(g_document, 1, &none));
}

TEST_F(ChunkOps, CopyAndPasteRoundTripInBothForms)
{
    for (ClipboardForm form : {CLIP_BINARY, CLIP_HEX_TEXT}) {
        load({make_chunk("tEXt", {'a', 0, 'b'}), make_chunk("IDAT", {1}), make_chunk("zzZz", {}), make_chunk("zzZz", {}, 7)});
        int32_t rows[] = {1, 3};
        FieldBytes clip;
        ASSERT_EQ(OP_DONE, copy_rows(g_document, rows, 2, form, &clip));
        ChunkBatch chunks;
        ASSERT_EQ(OP_DONE, read_clipboard(clip.data, clip.length, &chunks));
        ChunkOpReport report;
        ASSERT_EQ(OP_DONE, paste_chunks(&g_document, &chunks, -1, &report));
        EXPECT_EQ("IHDR tEXt IDAT zzZz zzZz* tEXt zzZz IEND ", types());
        EXPECT_EQ(5, report.row);
        // A damaged chunk is refused as an import refuses it, not given a fresh CRC.
        int32_t damaged[] = {4};
        FieldBytes bad;
        ASSERT_EQ(OP_DONE, copy_rows(g_document, damaged, 1, form, &bad));
        EXPECT_EQ(OP_BAD_CRC, read_clipboard(bad.data, bad.length, &chunks));
        field_bytes_free(&bad);
        // Every truncation of the form fails cleanly, except a text cut after a
        // whole line, which holds the chunks before it.
        for (uint32_t n = 0; n + (form == CLIP_HEX_TEXT ? 2 : 0) < clip.length; n++) {
            if (read_clipboard(clip.data, n, &chunks) != OP_DONE) continue;
            EXPECT_EQ(CLIP_HEX_TEXT, form) << n;
            EXPECT_EQ(1, chunks.count) << n;
            chunk_batch_free(&chunks);
        }
        field_bytes_free(&clip);
        release_document();
    }
    const char* text = "0000000049454e44ae426082\n";   // IEND: refused before IEND
    load({make_chunk("IDAT", {1})});
    ChunkBatch chunks;
    ASSERT_EQ(OP_DONE, read_clipboard(T(text), (uint32_t)strlen(text), &chunks));
    ChunkOpReport report;
    EXPECT_EQ(OP_REFUSED, paste_chunks(&g_document, &chunks, -1, &report));
    EXPECT_EQ(ORDER_NOT_LAST, report.verdict);
    chunk_batch_free(&chunks);
    EXPECT_EQ(OP_BAD_FORM, read_clipboard(T("00 0g"), 5, &chunks));
}

TEST_F(ChunkOps, CutKeepsCriticalChunks)
{
    load({make_chunk("tEXt", {'a', 0}), make_chunk("IDAT", {1})});
    int32_t with_idat[] = {1, 2}, text_only[] = {1};
    FieldBytes clip;
    EXPECT_EQ(OP_CRITICAL, cut_rows(&g_document, with_idat, 2, CLIP_BINARY, &clip, nullptr));
    EXPECT_EQ("IHDR tEXt IDAT IEND ", types());
    EXPECT_EQ(OP_DONE, cut_rows(&g_document, text_only, 1, CLIP_BINARY, &clip, nullptr));
    EXPECT_EQ("IHDR IDAT IEND ", types());
    field_bytes_free(&clip);
}

int s_fail_after = 0;
int fail_after_count(size_t)
{
    return s_fail_after-- <= 0;
}

TEST_F(ChunkOps, RunningOutOfMemoryChangesNothing)
{
    load({make_chunk("IDAT", {1, 2, 3, 4}), make_chunk("tEXt", {'a', 0})});
    std::string before = types();
    int32_t rows[] = {2};
    set_alloc_fail_hook(fail_after_count);
    s_fail_after = 0;
    EXPECT_EQ(OP_NO_MEMORY, move_rows(&g_document, rows, 1, MOVE_UP, nullptr));
    int split = OP_NO_MEMORY;
    for (int budget = 0; split == OP_NO_MEMORY && budget < 10; budget++) {
        s_fail_after = budget;
        split = split_idat(&g_document, 1, 1, SPLIT_REPEAT, nullptr);
        if (split == OP_NO_MEMORY) {
            EXPECT_EQ(before, types()) << budget;
            EXPECT_EQ(0, g_document.changed) << budget;
        }
    }
    set_alloc_fail_hook(nullptr);
    EXPECT_EQ(OP_DONE, split);
    EXPECT_EQ("IHDR IDAT IDAT IDAT IDAT tEXt IEND ", types());
}

// The last text chunk carries a damaged CRC: a write leaves a fresh one, a refusal the damage.
TEST_F(ChunkOps, ReplaceWritesTheBytesWithAFreshCrcUnlessTheOrderBreaks)
{
    struct Case {
        int32_t row;
        const char* type;
        int result;
        const char* order;
    } cases[] = {
        {5, "tEXt", OP_DONE, "IHDR PLTE tRNS IDAT IDAT tEXt IEND "},
        {5, "iTXt", OP_DONE, "IHDR PLTE tRNS IDAT IDAT iTXt IEND "},
        {5, "pHYs", OP_REFUSED, "IHDR PLTE tRNS IDAT IDAT tEXt* IEND "},
        {7, "tEXt", OP_NO_ROW, "IHDR PLTE tRNS IDAT IDAT tEXt* IEND "},
    };
    for (const Case& c : cases) {
        load(PALETTE_IMAGE);
        g_document.records[5].stored_crc ^= 1;
        EXPECT_EQ(c.result, replace_chunk(&g_document, c.row, T(c.type), T("key\0v"), 5, nullptr)) << c.type;
        EXPECT_EQ(c.order, types()) << c.type;
        EXPECT_EQ(c.result == OP_DONE, g_document.changed == 1) << c.type;
        EXPECT_EQ(c.result == OP_DONE ? 5u : 3u, g_document.records[5].length) << c.type;
        release_document();
    }
}

TEST_F(ChunkOps, PasteOfTenThousandChunks)
{
    load({make_chunk("IDAT", {1})});
    std::vector<Bytes> many(10000, make_chunk("tEXt", text_bytes(std::string("Comment\0some text", 17))));
    Bytes clip = text_bytes("VlmChnk1");
    clip.resize(12);
    write_u32(&clip[8], 10000);
    clip = joined({clip, joined(many)});
    auto start = std::chrono::steady_clock::now();
    ChunkBatch chunks;
    ASSERT_EQ(OP_DONE, read_clipboard(clip.data(), (uint32_t)clip.size(), &chunks));
    ASSERT_EQ(OP_DONE, paste_chunks(&g_document, &chunks, -1, nullptr));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(10003, g_document.count);
    EXPECT_LT(seconds, 1.0);
    RecordProperty("paste_seconds", std::to_string(seconds));
}

// A block handed over by the clipboard may be longer than the form put in it.
TEST_F(ChunkOps, ClipboardFormSizeIsTheBinaryFormsOwnLength)
{
    load({make_chunk("tEXt", {'a', 0, 'b'})});
    int32_t rows[] = {1};
    FieldBytes form;
    ASSERT_EQ(OP_DONE, copy_rows(g_document, rows, 1, CLIP_BINARY, &form));
    Bytes exact(form.data, form.data + form.length);
    field_bytes_free(&form);
    Bytes padded = joined({exact, Bytes(13, 0)});
    struct Case {
        Bytes bytes;
        uint32_t size;
    } cases[] = {
        {padded, (uint32_t)exact.size()},
        {exact, (uint32_t)exact.size()},
        {Bytes(exact.begin(), exact.end() - 1), (uint32_t)exact.size() - 1},   // ends early: as it is
        {text_bytes("0000000049454E44AE426082"), 24},                         // the text form: as it is
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.size, clipboard_form_size(c.bytes.data(), (uint32_t)c.bytes.size()));
    }
    ChunkBatch chunks;
    ASSERT_EQ(OP_DONE, read_clipboard(padded.data(), clipboard_form_size(padded.data(), (uint32_t)padded.size()), &chunks));
    EXPECT_EQ(1, chunks.count);
    chunk_batch_free(&chunks);
}

}  // namespace
