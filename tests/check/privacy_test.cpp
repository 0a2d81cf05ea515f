// The privacy review on a file that gives away a position, a camera serial number,
// names, an address, a path and an image generator's settings.
#include <gtest/gtest.h>

#include "check/check_fixtures.h"
#include "check/privacy.h"

namespace {

Bytes text(const char* type, const std::string& head, const Bytes& body)
{
    return make_chunk(type, cat({text_bytes(head), body}));
}

Bytes generator_file()
{
    std::string xmp = "<x:xmpmeta><rdf:Description xmp:CreatorTool=\"Paint 3\"><dc:creator><rdf:Seq>"
                      "<rdf:li>Hanako Yamada</rdf:li></rdf:Seq></dc:creator>"
                      "<dc:description>mail hanako@example.jp</dc:description></rdf:Description></x:xmpmeta>";
    return make_png({
        ihdr_of(2),
        make_chunk("eXIf", exif_with_gps_and_serial()),
        text("tEXt", std::string("Title\0", 6), text_bytes("Sunset")),
        text("tEXt", std::string("parameters\0", 11), text_bytes("a cat\nNegative prompt: dog\nSteps: 20")),
        text("iTXt", std::string("prompt\0\1\0\0\0", 11), deflated(text_bytes("{\"3\": {\"class_type\": \"KSampler\"}}"))),
        text("zTXt", std::string("Comment\0\0", 9), deflated(text_bytes(" {\"seed\": 1}"))),
        text("tEXt", std::string("Author\0", 7), text_bytes("Taro")),
        text("iTXt", std::string("XML:com.adobe.xmp\0\0\0\0\0", 22), text_bytes(xmp)),
        text("tEXt", std::string("Comment\0", 8), text_bytes("saved from C:\\Users\\taro\\a.png, see me")),
        idat_of(2),
        iend(),
    });
}

struct Privacy : ::testing::Test {
    void TearDown() override { release_document(); }
    AlertLog log;
};

TEST_F(Privacy, AFileWithGpsAndGeneratorTextGivesEachAwayWithItsChunk)
{
    ASSERT_EQ(LOAD_OK, load_bytes(generator_file()));
    PrivacyList list = PrivacyList();
    review_privacy(&list);
    std::string seen;
    for (int32_t i = 0; i < list.count; i++) {
        const PrivacyFinding& f = list.items[i];
        seen += std::to_string(f.chunk) + " " + privacy_kind_name(f.kind) + " " + f.where + ": " + f.excerpt + "\n";
    }
    EXPECT_EQ("1 PRIVACY_POSITION GPS: 35.500000 N, 139.750000 E\n"
              "1 PRIVACY_SERIAL BodySerialNumber: SN-0042\n"
              "3 PRIVACY_GENERATOR parameters: a cat Negative prompt: dog Steps: 20\n"
              "4 PRIVACY_GENERATOR prompt: {\"3\": {\"class_type\": \"KSampler\"}}\n"
              "5 PRIVACY_GENERATOR Comment:  {\"seed\": 1}\n"
              "6 PRIVACY_NAME Author: Taro\n"
              "7 PRIVACY_NAME dc:creator: Hanako Yamada\n"
              "7 PRIVACY_SOFTWARE xmp:CreatorTool: Paint 3\n"
              "7 PRIVACY_CONTACT XML:com.adobe.xmp: hanako@example.jp\n"
              "8 PRIVACY_PATH Comment: C:\\Users\\taro\\a.png\n",
              seen);
    EXPECT_STREQ("位置 (GPS)", privacy_kind_text(PRIVACY_POSITION, CHECK_JAPANESE));
    uint8_t selected[11];
    EXPECT_EQ(7, privacy_selection(list, selected, g_document.count));
    EXPECT_EQ(0, memcmp(selected, "\0\1\0\1\1\1\1\1\1\0\0", 11)) << "the title, IHDR, IDAT and IEND stay";
    privacy_free(&list);
}

TEST_F(Privacy, AFileThatSaysNothingAboutItsMakerHasNoFindings)
{
    ASSERT_EQ(LOAD_OK, load_bytes(make_png({ihdr_of(2), text("tEXt", std::string("Title\0", 6), text_bytes("a@b")),
                                            make_chunk("eXIf", Bytes(20, 0)), idat_of(2), iend()})));
    PrivacyList list = PrivacyList();
    review_privacy(&list);
    EXPECT_EQ(0, list.count);
    privacy_free(&list);
}

}  // namespace
