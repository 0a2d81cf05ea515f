#include <gtest/gtest.h>

#include <string>

#include "rescue/rescue_fixtures.h"
#include "rescue/rescue_report.h"

namespace {

std::string loss_text(const RescueResult& result)
{
    char text[1024];
    rescue_loss_text(result, RESCUE_ENGLISH, text, sizeof text);
    return text;
}

Bytes two_faults_in_text(const RescueFixture& fixture)
{
    Bytes file = fixture.file;
    file[fixture.at[1] + 8 + 9] ^= 0x11;
    file[fixture.at[1] + 8 + 27] ^= 0x11;
    return file;
}

int32_t finding_of(const RescueResult& result, int32_t kind)
{
    for (int32_t k = 0; k < result.finding_count; k++) {
        if (result.findings[k].kind == kind) return k;
    }
    return -1;
}

}  // namespace

// What will be lost, as the acceptance stands: each decision the user can make
// changes the text, and a forced CRC does not count as a mended chunk.
TEST(RescueReport, LossTextFollowsTheAcceptance)
{
    RescueFixture fixture = rescue_fixture(64, 64);
    Bytes cut(fixture.file.begin(), fixture.file.begin() + fixture.at[4] + 8 + 40);
    Bytes cut_text(fixture.file.begin(), fixture.file.begin() + fixture.at[2] + 8 + 3);
    Bytes trailing = joined({fixture.file, Bytes{1, 2, 3, 4, 5}});
    struct Case {
        const char* name;
        Bytes file;
        int32_t kind;     // the finding the user decides, or -1
        int32_t accept;
        const char* loss;
    } cases[] = {
        {"intact", fixture.file, -1, 0, "Nothing will be lost.\n"},
        {"bytes after IEND", trailing, -1, 0, "The 5 bytes after IEND are not saved.\n"},
        {"two faults", two_faults_in_text(fixture), -1, 0, "1 chunks stay damaged.\n"},
        {"two faults, CRC forced", two_faults_in_text(fixture), RESCUE_FORCED_CRC, RESCUE_ACCEPTED,
         "1 chunks stay damaged.\n"},
        {"cut in zTXt", cut_text, -1, 0,
         "1 cut chunks are lost.\n64 rows of the image (of 64) are lost and filled with zeros.\n"},
        {"cut, completed", cut, -1, 0, "53 rows of the image (of 64) are lost and filled with zeros.\n"},
        {"cut, kept cut", cut, RESCUE_STREAM_COMPLETED, RESCUE_REFUSED, "The image data stays cut off (11 rows of 64 can be read).\n"},
    };
    for (const Case& c : cases) {
        Rescued rescued(c.file);
        if (c.kind >= 0) {
            EXPECT_TRUE(choose_rescue_finding(&rescued.result, finding_of(rescued.result, c.kind), c.accept)) << c.name;
        }
        EXPECT_EQ(loss_text(rescued.result), c.loss) << c.name;
    }
    // Only what waits for the user can be chosen.
    Rescued two(two_faults_in_text(fixture));
    int32_t damaged = finding_of(two.result, RESCUE_DAMAGED_CHUNK);
    EXPECT_FALSE(choose_rescue_finding(&two.result, damaged, RESCUE_REFUSED));
    EXPECT_EQ(two.result.findings[damaged].accept, RESCUE_ACCEPTED);
}

// The inspector's line goes with the chunk as the rescue left it: through a
// move it stays, an edit of the chunk or the next load ends it.
TEST(RescueReport, NotesFollowTheChunkAsTheRescueLeftIt)
{
    RescueFixture fixture = rescue_fixture(64, 64);
    Rescued rescued(two_faults_in_text(fixture));
    choose_rescue_finding(&rescued.result, finding_of(rescued.result, RESCUE_FORCED_CRC), RESCUE_ACCEPTED);
    ASSERT_TRUE(adopt_rescue_result(rescued.result));
    ASSERT_TRUE(keep_rescue_notes(rescued.result));
    auto note_of = [](int32_t index) {
        TextBuilder text = {};
        describe_rescue_notes(&text, g_document.records[index]);
        std::string lines = text.text ? text.text : "";
        text_free(&text);
        return lines;
    };
    const std::string note = u8"救出: CRCが一致せず、原因を特定できません → そのまま残します [なし]\n"
                             u8"救出: CRCが一致しません（格納 BA860400、計算 14969FA0） → CRCを強制的に一致させます "
                             u8"[推定]（適用）\n";
    EXPECT_EQ(note_of(1), note);
    EXPECT_EQ(note_of(0), "");
    ChunkRecord moved = g_document.records[1];
    g_document.records[1] = g_document.records[2];
    g_document.records[2] = moved;
    EXPECT_EQ(note_of(2), note);
    g_document.records[2].data[0] ^= 1;
    g_document.records[2].computed_crc = chunk_crc(g_document.records[2]);
    EXPECT_EQ(note_of(2), "");
    forget_rescue_notes();
    EXPECT_EQ(g_rescue_notes.count, 0);
    release_document();
}
