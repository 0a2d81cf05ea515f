// The check's rules, each shown by a file that breaks it (and only it), the order
// rules the edits share, and the public suite's files.
#include <gtest/gtest.h>
#include <string.h>

#include "check/check.h"
#include "check/chunk_order.h"
#include "check/check_fixtures.h"
#include "document/chunk_edit.h"

namespace {

struct Fixture {
    const char* name;
    Bytes file;
    const char* rules;   // the rules found, in order ("" for a file with no fault)
};

Bytes rgb(std::vector<Bytes> middle, std::vector<Bytes> after_idat = {})
{
    std::vector<Bytes> chunks = {ihdr_of(2)};
    chunks.insert(chunks.end(), middle.begin(), middle.end());
    chunks.push_back(idat_of(2));
    chunks.insert(chunks.end(), after_idat.begin(), after_idat.end());
    chunks.push_back(iend());
    return make_png(chunks);
}

Bytes one_byte(const char* type, uint8_t value)
{
    return make_chunk(type, Bytes{value});
}

Bytes text_chunk(const char* type, const std::string& header, const Bytes& stream)
{
    return make_chunk(type, cat({text_bytes(header), stream}));
}

Bytes with_crc(Bytes chunk, uint32_t crc)
{
    size_t at = chunk.size() - 4;
    for (int k = 0; k < 4; k++) chunk[at + k] = (uint8_t)(crc >> (24 - 8 * k));
    return chunk;
}

Bytes rgb_idat(const Bytes& stream)
{
    return make_png({ihdr_of(2), make_chunk("IDAT", stream), iend()});
}

std::vector<Fixture> structure_fixtures()
{
    Bytes gama = make_chunk("gAMA", be32(45455)), time = make_chunk("tIME", {7, 234, 1, 2, 3, 4, 5});
    Bytes z = deflated(text_bytes("text")), rows = deflated(rows_of(2));
    return {
        {"a sound file", rgb({gama, time}), ""},
        {"IHDR first", make_png({time, ihdr_of(2), idat_of(2), iend()}), "RULE_IHDR_NOT_FIRST"},
        {"IHDR single", rgb({ihdr_of(2)}), "RULE_NOT_SINGLE"},
        {"IDAT present", make_png({ihdr_of(2), iend()}), "RULE_NO_IDAT"},
        {"IDAT contiguous", make_png({ihdr_of(2), make_chunk("IDAT", Bytes(rows.begin(), rows.begin() + 4)), time,
                                      make_chunk("IDAT", Bytes(rows.begin() + 4, rows.end())), iend()}),
         "RULE_IDAT_NOT_CONTIGUOUS"},
        {"PLTE for colour type 3", make_png({ihdr_of(3), idat_of(3), iend()}), "RULE_PLTE_MISSING"},
        {"no PLTE for grey", make_png({ihdr_of(0), plte_of(2), idat_of(0), iend()}), "RULE_PLTE_FORBIDDEN"},
        {"PLTE within the bit depth", make_png({ihdr_of(3, 1), plte_of(3), idat_of(3, 1), iend()}), "RULE_PLTE_ENTRIES"},
        {"PLTE whole entries", rgb({make_chunk("PLTE", Bytes(4, 0))}), "RULE_PLTE_LENGTH"},
        {"gAMA before PLTE", rgb({plte_of(4), gama}), "RULE_BEFORE_PLTE"},
        {"gAMA before IDAT", rgb({}, {gama}), "RULE_BEFORE_IDAT"},
        {"bKGD after PLTE", rgb({make_chunk("bKGD", Bytes(6, 0)), plte_of(4)}), "RULE_AFTER_PLTE"},
        {"pHYs before IDAT", rgb({}, {make_chunk("pHYs", Bytes(9, 0))}), "RULE_BEFORE_IDAT"},
        {"PLTE before IDAT", rgb({}, {plte_of(4)}), "RULE_BEFORE_IDAT"},
        {"tIME single", rgb({time}, {time}), "RULE_NOT_SINGLE"},
        {"hIST needs PLTE", rgb({make_chunk("hIST", Bytes(8, 0))}), "RULE_NEEDS_PLTE"},
        {"no tRNS with alpha", make_png({ihdr_of(6), make_chunk("tRNS", Bytes(6, 0)), idat_of(6), iend()}),
         "RULE_FORBIDDEN_FOR_COLOUR"},
        {"unknown critical chunk", rgb({make_chunk("ABCD", {})}), "RULE_UNKNOWN_CRITICAL"},
        {"reserved bit", rgb({make_chunk("abcd", {})}), "RULE_RESERVED_BIT"},
        {"type letters", rgb({make_chunk("ab1d", {})}), "RULE_BAD_TYPE_NAME"},
        {"sRGB or iCCP", rgb({one_byte("sRGB", 0), text_chunk("iCCP", std::string("icc\0\0", 5), z)}),
         "RULE_SRGB_WITH_ICCP"},
        {"CRC", rgb({with_crc(gama, 0)}), "RULE_CRC_DAMAGED"},
        {"nothing after IEND", cat({rgb({}), {1, 2, 3}}), "RULE_DATA_AFTER_IEND"},
        {"IHDR fields", make_png({ihdr_of(2, 3), idat_of(2), iend()}), "RULE_FIELD_VALUE"},
        {"hIST per entry", make_png({ihdr_of(3), plte_of(4), make_chunk("hIST", Bytes(6, 0)), idat_of(3), iend()}),
         "RULE_HIST_ENTRIES"},
        {"eXIf byte order", rgb({make_chunk("eXIf", text_bytes(std::string("Exif\0\0XX", 8)))}), "RULE_EXIF_HEADER"},
        {"IHDR length", make_png({make_chunk("IHDR", Bytes(12, 1)), idat_of(2), iend()}), "RULE_FIELD_LAYOUT"},
    };
}

// Each through the field model: its one parse finds the fault.
std::vector<Fixture> field_fixtures()
{
    Bytes palette = ihdr_of(3, 2), p_idat = idat_of(3, 2);
    auto with_palette = [&](const Bytes& chunk) { return make_png({palette, plte_of(3), chunk, p_idat, iend()}); };
    auto text = [](const char* type, const std::string& data) { return make_chunk(type, text_bytes(data)); };
    return {
        {"bKGD index within the palette", with_palette(one_byte("bKGD", 3)), "RULE_FIELD_VALUE"},
        {"tRNS no longer than the palette", with_palette(make_chunk("tRNS", Bytes(4, 0))), "RULE_FIELD_VALUE"},
        {"tRNS sample within the depth", make_png({ihdr_of(0, 2), make_chunk("tRNS", {0, 4}), idat_of(0, 2), iend()}),
         "RULE_FIELD_VALUE"},
        {"bKGD length", rgb({make_chunk("bKGD", Bytes(2, 0))}), "RULE_FIELD_LAYOUT"},
        {"sBIT within the depth", rgb({make_chunk("sBIT", {8, 9, 8})}), "RULE_FIELD_VALUE"},
        {"tIME calendar", rgb({make_chunk("tIME", {7, 234, 2, 30, 0, 0, 0})}), "RULE_FIELD_VALUE"},
        {"tEXt keyword", rgb({text("tEXt", std::string(" Title\0x", 8))}), "RULE_FIELD_VALUE"},
        {"tEXt Latin-1", rgb({text("tEXt", std::string("Title\0a\x01", 8))}), "RULE_FIELD_VALUE"},
        {"tEXt keyword end", rgb({text("tEXt", "Title")}), "RULE_FIELD_LAYOUT"},
        {"iTXt UTF-8", rgb({text("iTXt", std::string("k\0\0\0en\0\0\xC3", 9))}), "RULE_FIELD_VALUE"},
        {"iTXt language tag", rgb({text("iTXt", std::string("k\0\0\0e n\0\0x", 10))}), "RULE_FIELD_VALUE"},
        {"sRGB intent", rgb({one_byte("sRGB", 4)}), "RULE_FIELD_VALUE"},
        {"gAMA not 0", rgb({make_chunk("gAMA", be32(0))}), "RULE_FIELD_VALUE"},
        {"pHYs unit", rgb({make_chunk("pHYs", cat({be32(1), be32(1), {2}}))}), "RULE_FIELD_VALUE"},
        {"cICP matrix", rgb({make_chunk("cICP", {1, 13, 1, 1})}), "RULE_FIELD_VALUE"},
        {"sTER mode", rgb({one_byte("sTER", 2)}), "RULE_FIELD_VALUE"},
        {"sCAL number", rgb({text("sCAL", std::string("\1" "1x\0" "2", 5))}), "RULE_FIELD_VALUE"},
    };
}

std::vector<Fixture> stream_fixtures()
{
    Bytes good = deflated(rows_of(2)), bad_adler = good, trailing = cat({good, {0}});
    bad_adler.back() ^= 1;
    Bytes broken_text = text_bytes("not zlib");
    Bytes cut_filters = deflated(rows_of(2, 8, 0, SIDE, 5));
    return {
        {"IDAT inflates", rgb_idat(broken_text), "RULE_STREAM_BROKEN"},
        {"IDAT Adler-32", rgb_idat(bad_adler), "RULE_STREAM_ADLER"},
        {"IDAT ends", rgb_idat(Bytes(good.begin(), good.end() - 6)), "RULE_STREAM_SHORT"},
        {"nothing behind the IDAT stream", rgb_idat(trailing), "RULE_STREAM_TRAILING"},
        {"IDAT size", rgb_idat(deflated(Bytes(rows_of(2).size() - 1, 0))), "RULE_IMAGE_SIZE"},
        {"IDAT size interlaced", make_png({ihdr_of(2, 8, 1), idat_of(2), iend()}), "RULE_IMAGE_SIZE"},
        {"interlaced image", make_png({ihdr_of(0, 8, 1), idat_of(0, 8, 1), iend()}), ""},
        {"filter types", rgb_idat(deflated(rows_of(2, 8, 0, SIDE, 5))), "RULE_FILTER_TYPE"},
        {"rows past the image", rgb_idat(deflated(cat({rows_of(2), Bytes(1 + SIDE * 3, 0)}))), "RULE_IMAGE_SIZE"},
        {"filter type in a cut stream", rgb_idat(Bytes(cut_filters.begin(), cut_filters.end() - 6)), "RULE_FILTER_TYPE"},
        {"zTXt inflates", rgb({text_chunk("zTXt", std::string("k\0\0", 3), broken_text)}), "RULE_STREAM_BROKEN"},
        {"zTXt method", rgb({text_chunk("zTXt", std::string("k\0\1", 3), deflated(text_bytes("x")))}),
         "RULE_FIELD_VALUE"},
        {"iTXt inflates", rgb({text_chunk("iTXt", std::string("k\0\1\0en\0\0", 8), broken_text)}), "RULE_STREAM_BROKEN"},
        {"iTXt uncompressed", rgb({text_chunk("iTXt", std::string("k\0\0\0en\0\0", 8), broken_text)}), ""},
        {"iCCP ends", rgb({text_chunk("iCCP", std::string("icc\0\0", 5), {})}), "RULE_STREAM_SHORT"},
    };
}

std::vector<Fixture> animation_fixtures()
{
    Bytes head = ihdr_of(2), data = idat_of(2);
    Bytes idot_data = cat({be32(2), be32(0), be32(2), be32(40), be32(2), be32(2), be32(41)});
    Bytes idot = make_chunk("iDOT", idot_data);
    return {
        {"an animation", make_png({head, actl(2), fctl(0), data, fctl(1, 2, 2, 1, 1), fdat(2, 2), iend()}), ""},
        {"sequence without a gap", make_png({head, actl(2), fctl(0), data, fctl(2, 2, 2), fdat(3, 2), iend()}),
         "RULE_SEQUENCE"},
        {"frame inside the image", make_png({head, actl(2), fctl(0), data, fctl(1, 2, 2, 3, 0), fdat(2, 2), iend()}),
         "RULE_FRAME_OUTSIDE"},
        {"frame count", make_png({head, actl(3), fctl(0), data, fctl(1, 2, 2), fdat(2, 2), iend()}), "RULE_FRAME_COUNT"},
        {"frames at all", make_png({head, actl(0), data, iend()}), "RULE_NO_FRAMES"},
        {"acTL before IDAT", make_png({head, fctl(0), data, actl(1), iend()}), "RULE_BEFORE_IDAT"},
        {"fdAT after IDAT", make_png({head, actl(2), fctl(0), fctl(1), fdat(2), data, iend()}),
         "RULE_AFTER_IDAT"},
        {"acTL for frames", make_png({head, fctl(0), data, iend()}), "RULE_ANIMATION_WITHOUT_ACTL"},
        {"frame data", make_png({head, actl(2), fctl(0), data, fctl(1), iend()}), "RULE_FRAME_WITHOUT_DATA"},
        {"fcTL before fdAT", make_png({head, actl(1), data, fdat(0), iend()}),
         "RULE_FDAT_WITHOUT_FCTL RULE_FRAME_COUNT"},
        {"first frame whole", make_png({head, actl(1), fctl(0, 2, 2), data, iend()}), "RULE_FIRST_FRAME"},
        {"dispose and blend", make_png({head, actl(1), fctl(0, SIDE, SIDE, 0, 0, 3, 2), data, iend()}),
         "RULE_DISPOSE RULE_BLEND"},
        {"fdAT stream", make_png({head, actl(2), fctl(0), data, fctl(1, 2, 2), fdat(2, 3), iend()}), "RULE_IMAGE_SIZE"},
        {"iDOT offsets", make_png({head, idot, data, iend()}), "RULE_IDOT_OFFSET"},
    };
}

struct Check : ::testing::Test {
    void TearDown() override { release_document(); }
    AlertLog log;
};

void expect_fixtures(const std::vector<Fixture>& fixtures)
{
    for (const Fixture& f : fixtures) {
        ASSERT_EQ(LOAD_OK, load_bytes(f.file)) << f.name;
        EXPECT_EQ(f.rules, found_rules()) << f.name;
        release_document();
    }
}

TEST_F(Check, EachStructureRuleHasAFileThatBreaksIt) { expect_fixtures(structure_fixtures()); }
TEST_F(Check, EachFieldRuleHasAFileThatBreaksIt) { expect_fixtures(field_fixtures()); }
TEST_F(Check, EachStreamRuleHasAFileThatBreaksIt) { expect_fixtures(stream_fixtures()); }
TEST_F(Check, EachAnimationRuleHasAFileThatBreaksIt) { expect_fixtures(animation_fixtures()); }

TEST_F(Check, FindingsCarryTheirChunkAndReadInBothLanguages)
{
    Bytes gama = make_chunk("gAMA", be32(45455));
    ASSERT_EQ(LOAD_OK, load_bytes(cat({rgb({with_crc(gama, 0x12AB)}, {gama}), {9, 9}})));
    FindingList list = FindingList();
    check_document(&list);
    ASSERT_EQ(4, list.count);
    char ja[200], en[200];
    finding_message(list.items[0], CHECK_ENGLISH, en, sizeof en);
    EXPECT_STREQ("2 bytes follow IEND (saving drops them)", en);
    EXPECT_EQ(FINDING_FILE, list.items[0].chunk);
    finding_message(list.items[1], CHECK_ENGLISH, en, sizeof en);
    EXPECT_EQ(1, list.items[1].chunk);
    EXPECT_EQ(0, strncmp("the CRC of the gAMA chunk does not match (stored 000012AB, computed ", en, 68)) << en;
    EXPECT_EQ(3, list.items[2].chunk);   // the second gAMA: single, and after IDAT
    EXPECT_EQ(RULE_BEFORE_IDAT, list.items[3].rule);
    finding_message(list.items[2], CHECK_JAPANESE, ja, sizeof ja);
    EXPECT_STREQ("gAMA チャンクは 1 つしか置けません (2 つ目)", ja);
    EXPECT_STREQ("警告", severity_text(finding_severity(list.items[0]), CHECK_JAPANESE));
    EXPECT_EQ(3, count_severity(list, SEVERITY_ERROR));
    finding_message(list.items[2], CHECK_ENGLISH, en, 8);
    EXPECT_STREQ("only on", en) << "cut to the buffer";
    findings_free(&list);
}

// Chunks move with edits: errors count as new by rule and type, one for one.
TEST_F(Check, NewErrorsAreThoseTheLoadedFileDidNotHave)
{
    uint8_t gama[4] = {'g', 'A', 'M', 'A'}, time[4] = {'t', 'I', 'M', 'E'};
    FindingList loaded = FindingList(), now = FindingList();
    add_finding(&loaded, RULE_CRC_DAMAGED, 3, gama);
    add_finding(&loaded, RULE_DATA_AFTER_IEND, FINDING_FILE, nullptr);
    add_finding(&now, RULE_DATA_AFTER_IEND, FINDING_FILE, nullptr);   // a warning: never counted
    add_finding(&now, RULE_CRC_DAMAGED, 1, gama);
    EXPECT_EQ(0, count_new_errors(loaded, now));
    add_finding(&now, RULE_CRC_DAMAGED, 2, gama);
    add_finding(&now, RULE_CRC_DAMAGED, 4, time);
    add_finding(&now, RULE_NOT_SINGLE, 4, time);
    EXPECT_EQ(3, count_new_errors(loaded, now));
    EXPECT_EQ(0, count_new_errors(now, loaded));
    findings_free(&loaded);
    findings_free(&now);
}

TEST_F(Check, AFieldFindingSaysTheModelsReason)
{
    ASSERT_EQ(LOAD_OK, load_bytes(rgb({make_chunk("tIME", {7, 234, 13, 1, 0, 0, 0})})));
    FindingList list = FindingList();
    check_document(&list);
    ASSERT_EQ(1, list.count);
    char en[200];
    finding_message(list.items[0], CHECK_ENGLISH, en, sizeof en);
    EXPECT_STREQ("the tIME chunk holds an invalid value: a month, day, hour, minute or second outside the calendar", en);
    findings_free(&list);
}

// Streams that each inflate far are followed up to the budget, then told once.
TEST_F(Check, ManyInflatingStreamsAreFollowedWithinTheBudget)
{
    Bytes bomb = text_chunk("zTXt", std::string("k\0\0", 3), deflated(Bytes(8u << 20, 'a'), 9));
    ASSERT_EQ(LOAD_OK, load_bytes(rgb(std::vector<Bytes>(40, bomb))));
    EXPECT_EQ("RULE_STREAM_BUDGET", found_rules());
}

TEST_F(Check, ASignatureThatIsNotPngIsAnError)
{
    FindingList list = FindingList();
    check_load_failure(load_bytes(text_bytes("GIF89a and more")), &list);
    check_load_failure(LOAD_OUT_OF_MEMORY, &list);
    ASSERT_EQ(1, list.count);
    EXPECT_EQ(RULE_NOT_PNG, list.items[0].rule);
    findings_free(&list);
}

// Where a new or moved chunk may stand, in the document IHDR gAMA PLTE IDAT IDAT tEXt IEND.
TEST_F(Check, TheOrderRulesAnswerForInsertAndMove)
{
    Bytes z = deflated(rows_of(3));
    ASSERT_EQ(LOAD_OK, load_bytes(make_png({ihdr_of(3), make_chunk("gAMA", be32(1)), plte_of(4),
                                            make_chunk("IDAT", Bytes(z.begin(), z.begin() + 5)),
                                            make_chunk("IDAT", Bytes(z.begin() + 5, z.end())),
                                            make_chunk("tEXt", text_bytes(std::string("a\0b", 3))), iend()})));
    struct Case {
        const char* type;
        int32_t position, skip, verdict;
    } cases[] = {
        {"pHYs", 1, -1, ORDER_ALLOWED},          {"pHYs", 3, -1, ORDER_ALLOWED},
        {"pHYs", 4, -1, ORDER_SPLITS_IDAT},      {"pHYs", 5, -1, ORDER_NEEDS_BEFORE_IDAT},
        {"tIME", 6, -1, ORDER_ALLOWED},          {"tIME", 0, -1, ORDER_NOT_FIRST},
        {"tIME", 7, -1, ORDER_NOT_LAST},         {"cHRM", 3, -1, ORDER_NEEDS_BEFORE_PLTE},
        {"bKGD", 2, -1, ORDER_NEEDS_AFTER_PLTE}, {"bKGD", 3, -1, ORDER_ALLOWED},
        {"gAMA", 1, -1, ORDER_ONLY_ONE},         {"gAMA", 2, 1, ORDER_ALLOWED},
        {"gAMA", 3, 1, ORDER_NEEDS_BEFORE_PLTE}, {"PLTE", 1, 2, ORDER_ALLOWED},
        {"PLTE", 5, 2, ORDER_NEEDS_BEFORE_IDAT}, {"IDAT", 5, -1, ORDER_ALLOWED},
        {"IDAT", 6, -1, ORDER_SPLITS_IDAT},      {"IDAT", 2, -1, ORDER_SPLITS_IDAT},
        {"IHDR", 0, -1, ORDER_ONLY_ONE},         {"IHDR", 1, 0, ORDER_ALLOWED},
        {"fdAT", 5, -1, ORDER_ALLOWED},          {"fdAT", 4, -1, ORDER_SPLITS_IDAT},
        {"IEND", 6, -1, ORDER_NOT_LAST},         {"prIv", 4, -1, ORDER_SPLITS_IDAT},
        {"tEXt", 9, -1, ORDER_NOT_LAST},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.verdict, chunk_may_stand_at(g_document.records, g_document.count, (const uint8_t*)c.type,
                                                c.position, c.skip))
            << c.type << " at " << c.position << " without " << c.skip;
    }
    EXPECT_EQ("", found_rules());
}

// Every corrupt file of the public suite (x...) gives an error; no other file does.
TEST_F(Check, TheSuitesCorruptFilesAndOnlyThoseHaveErrors)
{
    std::vector<std::string> files = corpus_files();
    if (files.empty()) GTEST_SKIP() << "no sample files in " << corpus_dir();
    int corrupt = 0;
    for (const std::string& file : files) {
        std::string name = file.substr(file.find_last_of("/\\") + 1);
        FindingList list = FindingList();
        int result = load_png(file.c_str());
        if (result == LOAD_OK) check_document(&list);
        else check_load_failure(result, &list);
        bool x = name[0] == 'x';
        corrupt += x;
        EXPECT_EQ(x, count_severity(list, SEVERITY_ERROR) > 0) << name << ": " << (list.count ? rule_name(list.items[0].rule) : "");
        findings_free(&list);
        release_document();
    }
    EXPECT_GT(corrupt, 0);
}

}  // namespace
