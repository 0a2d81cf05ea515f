// Each command on fixtures built in code: its output files byte for byte against
// what the window's edits make of the same file (the same core calls), its
// guards, exit statuses and reports.
#include <gtest/gtest.h>

#include <string.h>
#include <zlib.h>

#include <functional>
#include <string>
#include <vector>

#include "cli/cli_harness.h"
#include "cli/console.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/slimming.h"
#include "present/chunk_fields.h"
#include "support/test_support.h"

namespace {

typedef std::function<bool(int32_t row)> RowChoice;

struct CliCommands : ::testing::Test {
    void TearDown() override { release_document(); }
    std::string put(const std::string& name, const Bytes& png)
    {
        write_file(dir.path(name), png);
        return dir.path(name);
    }
    // What the window makes of `png`: the rows `choice` selects, planned and
    // applied with `answer` to the plan's question.
    Bytes window_edit(const Bytes& png, RowEdit edit, RowChoice choice, RowEditAnswer answer = ANSWER_YES)
    {
        std::string path = put("window.png", png);
        EXPECT_EQ(LOAD_OK, load_png(path.c_str()));
        std::vector<int32_t> rows;
        for (int32_t i = 0; i < g_document.count; i++) if (choice(i)) rows.push_back(i);
        apply_row_edit_plan(plan_row_edit(edit, rows.data(), (int32_t)rows.size()), answer, nullptr);
        EXPECT_EQ(SAVE_OK, save_png(dir.path("window-out.png").c_str()));
        release_document();
        return read_file(dir.path("window-out.png"));
    }
    TempDir dir;
};

bool type_is(int32_t row, const char* type)
{
    return memcmp(g_document.records[row].type, type, 4) == 0;
}

Bytes slim_fixture()
{
    return make_simple_png({make_chunk("tEXt", text_bytes(std::string("Title\0x", 7))), make_chunk("gAMA", {0, 0, 0, 1}),
                            make_chunk("prVt", {9}), make_chunk("IDAT", {1, 2}), make_chunk("IDAT", {3}),
                            make_chunk("IDAT", {4}), make_chunk("tIME", {7, 0xE8, 1, 1, 0, 0, 0})});
}

TEST_F(CliCommands, StripAndMergeWriteWhatTheWindowsEditsMake)
{
    struct Case {
        std::vector<std::string> options;
        RowEdit edit;
        RowChoice choice;
    };
    const Case cases[] = {
        {{"strip", "--metadata"}, ROW_EDIT_DELETE, is_metadata_chunk},
        {{"strip", "--all"}, ROW_EDIT_DELETE, [](int32_t) { return true; }},
        {{"strip", "--type", "gAMA,tIME"}, ROW_EDIT_DELETE,
         [](int32_t r) { return type_is(r, "gAMA") || type_is(r, "tIME"); }},
        {{"strip", "--keep", "tEXt"}, ROW_EDIT_DELETE, [](int32_t r) { return !type_is(r, "tEXt"); }},
        {{"strip", "--type", "IDAT"}, ROW_EDIT_DELETE, [](int32_t r) { return type_is(r, "IDAT"); }},
        {{"merge"}, ROW_EDIT_MERGE, [](int32_t) { return true; }},
    };
    std::string input = put("in.png", slim_fixture());
    for (const Case& c : cases) {
        Bytes expected = window_edit(slim_fixture(), c.edit, c.choice);
        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {"-o", dir.path("out.png"), input});
        CliResult result = run_cli(arguments);
        EXPECT_EQ(0, result.status) << c.options[1] << result.err;
        EXPECT_EQ(expected, read_file(dir.path("out.png"))) << c.options[1];
        EXPECT_EQ(slim_fixture(), read_file(input));
    }
}

TEST_F(CliCommands, QuestionsLeaveTheFileUnlessAnOptionAnswersThem)
{
    Bytes animated = make_simple_png({make_chunk("acTL", Bytes(8)), make_chunk("fcTL", Bytes(26)),
                                      make_chunk("tEXt", {'k', 0, 'v'}), make_chunk("IDAT", {1}),
                                      make_chunk("fdAT", Bytes(5))});
    std::string input = put("anim.png", animated);
    CliResult refused = run_cli({"strip", "--type", "fcTL", "-o", dir.path("a.png"), input});
    EXPECT_EQ(3, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("--break-animation")) << refused.err;
    EXPECT_FALSE(file_exists(dir.path("a.png")));
    Bytes no = window_edit(animated, ROW_EDIT_DELETE, [](int32_t r) { return type_is(r, "fcTL"); }, ANSWER_NO);
    EXPECT_EQ(0, run_cli({"strip", "--type", "fcTL", "--break-animation", "-o", dir.path("a.png"), input}).status);
    EXPECT_EQ(no, read_file(dir.path("a.png")));
    EXPECT_NE(no, window_edit(animated, ROW_EDIT_DELETE, [](int32_t r) { return type_is(r, "fcTL"); }, ANSWER_YES));

    Bytes dotted = make_simple_png({make_chunk("iDOT", Bytes(28)), make_chunk("IDAT", {1}), make_chunk("IDAT", {2})});
    input = put("dot.png", dotted);
    EXPECT_EQ(3, run_cli({"merge", "-o", dir.path("d.png"), input}).status);
    EXPECT_FALSE(file_exists(dir.path("d.png")));
    Bytes merged = window_edit(dotted, ROW_EDIT_MERGE, [](int32_t) { return true; }, ANSWER_YES);
    EXPECT_EQ(0, run_cli({"merge", "--drop-idot", "-o", dir.path("d.png"), input}).status);
    EXPECT_EQ(merged, read_file(dir.path("d.png")));

    Bytes trailing = slim_fixture();
    trailing.insert(trailing.end(), {1, 2, 3});
    input = put("trail.png", trailing);
    EXPECT_EQ(3, run_cli({"strip", "--all", "--in-place", input}).status);
    EXPECT_EQ(trailing, read_file(input));
    EXPECT_EQ(0, run_cli({"strip", "--all", "--in-place", "--drop-trailing", input}).status);
    EXPECT_EQ(window_edit(slim_fixture(), ROW_EDIT_DELETE, [](int32_t) { return true; }), read_file(input));
}

TEST_F(CliCommands, OutputsOnlyWhereAsked)
{
    std::string input = put("in.png", slim_fixture());
    CliResult dry = run_cli({"strip", "--metadata", "--dry-run", input});
    EXPECT_EQ(0, dry.status);
    EXPECT_NE(std::string::npos, dry.out.find("would delete: 2 tEXt, 4 prVt, 8 tIME")) << dry.out;
    EXPECT_EQ(std::vector<std::string>{"in.png"}, dir.entries());
    EXPECT_EQ(3, run_cli({"strip", "--metadata", "-o", input, input}).status);
    EXPECT_EQ(slim_fixture(), read_file(input));
    // -d keeps the names; a second file of the same name is not written over the first.
    std::string sub = dir.path("sub");
    make_folder(sub.c_str());
    write_file(sub + "/in.png", slim_fixture());
    CliResult batch = run_cli({"merge", "-d", dir.path("out"), input, sub + "/in.png"});
    EXPECT_EQ(3, batch.status) << batch.err;
    EXPECT_EQ(window_edit(slim_fixture(), ROW_EDIT_MERGE, [](int32_t) { return true; }),
              read_file(dir.path("out") + "/in.png"));
    // In place: the input replaced through the save; an unchanged file not written.
    EXPECT_EQ(0, run_cli({"merge", "--in-place", input}).status);
    Bytes once = read_file(input);
    CliResult again = run_cli({"merge", "--in-place", "--json", input});
    EXPECT_NE(std::string::npos, again.out.find("\"changed\":false,\"result\":\"unchanged\"")) << again.out;
    EXPECT_EQ(once, read_file(input));
}

TEST_F(CliCommands, RepairAppliesWhatIsBeyondDoubtAndListsTheRest)
{
    Bytes good = slim_fixture();
    Bytes flipped = good;
    flipped[8 + 25 + 8 + 2] ^= 0x20;   // a byte of the tEXt data
    Bytes crc_only = good;
    crc_only[8 + 25 + 8 + 7 + 1] ^= 0x01;   // a byte of its stored CRC
    std::string a = put("a.png", flipped), b = put("b.png", crc_only);
    CliResult result = run_cli({"repair", "-d", dir.path("out"), a, b});
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(good, read_file(dir.path("out/a.png")));
    EXPECT_EQ(crc_only, read_file(dir.path("out/b.png")));
    EXPECT_NE(std::string::npos, result.out.find("b.png: 1 damaged chunks left")) << result.out;
    CliResult forced = run_cli({"repair", "--force-crc", "--json", "-o", dir.path("f.png"), b});
    EXPECT_EQ(0, forced.status);
    EXPECT_EQ(good, read_file(dir.path("f.png")));
    EXPECT_NE(std::string::npos, forced.out.find("\"repaired\":[2],\"damaged_left\":[]")) << forced.out;
}

// rescue reads what the strict load refuses: a length fixed beyond doubt comes
// back byte for byte (exit 0); a cut file is salvaged and written, exit 1; the
// probable forced CRC of a two-fault chunk waits for --accept-probable.
TEST_F(CliCommands, RescueWritesTheBestReconstruction)
{
    Bytes good = make_simple_png({make_chunk("tEXt", text_bytes(std::string("Title\0x", 7))),
                                  make_chunk("IDAT", deflated({0, 1, 2, 3}))});
    Bytes length = good;
    length[8 + 25 + 3] ^= 0x40;   // the tEXt's length field
    Bytes cut(good.begin(), good.end() - 20);
    Bytes two = good;
    two[8 + 25 + 8 + 1] ^= 0x01;
    two[8 + 25 + 8 + 3] ^= 0x02;   // two bytes of the tEXt data
    const struct {
        const char* name;
        Bytes       input;
        std::vector<std::string> options;
        int         status;
        const char* said;
    } cases[] = {
        {"length.png", length, {}, 0, "\"kind\":\"length\",\"certainty\":\"beyond_doubt\""},
        {"cut.png", cut, {}, 1, "\"kind\":\"truncated\""},
        {"two.png", two, {}, 1, "\"certainty\":\"probable\""},
        {"two.png", two, {"--accept-probable"}, 1, "\"kind\":\"forced_crc\",\"certainty\":\"probable\",\"found\""},
    };
    for (const auto& c : cases) {
        std::string input = put(c.name, c.input), output = dir.path(std::string("out-") + c.name);
        std::vector<std::string> arguments = {"rescue", "--json", "-o", output};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(input);
        CliResult result = run_cli(arguments);
        EXPECT_EQ(c.status, result.status) << c.name << result.out;
        EXPECT_NE(std::string::npos, result.out.find(c.said)) << c.name << result.out;
        EXPECT_EQ(LOAD_OK, load_png(output.c_str())) << c.name;
        release_document();
    }
    EXPECT_EQ(good, read_file(dir.path("out-length.png")));
    EXPECT_EQ(2, run_cli({"rescue", "--dry-run", dir.path("none.png")}).status);
}

// check prints every finding with its chunk (or null for the file) and severity,
// and exits 1 while an error or a warning is left; --privacy adds the review.
TEST_F(CliCommands, CheckReportsEveryFindingAndExitsOneWhileAnyIsLeft)
{
    Bytes clean = make_simple_png({make_chunk("IDAT", deflated({0, 1, 2, 3}))});
    Bytes damaged = clean;
    damaged[damaged.size() - 12 - 1] ^= 0x01;   // the stored CRC of IDAT
    Bytes author = make_simple_png({make_chunk("tEXt", text_bytes(std::string("Author\0Jane Doe", 15))),
                                    make_chunk("IDAT", deflated({0, 1, 2, 3}))});
    const struct {
        Bytes input;
        std::vector<std::string> options;
        int status;
        const char* said;
    } cases[] = {
        {clean, {}, 0, "\"findings\":[]"},
        {damaged, {}, 1, "{\"chunk\":2,\"type\":\"IDAT\",\"severity\":\"error\",\"rule\":"},
        {author, {}, 0, "\"findings\":[]"},
        {author, {"--privacy"}, 1, "\"privacy\":[{\"chunk\":2,\"type\":\"tEXt\",\"kind\":\"PRIVACY_NAME\""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"check", "--json"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(put("in.png", c.input));
        CliResult result = run_cli(arguments);
        EXPECT_EQ(c.status, result.status) << result.out;
        EXPECT_NE(std::string::npos, result.out.find(c.said)) << result.out;
    }
}

TEST_F(CliCommands, ListAndShowGiveTheWindowsTexts)
{
    std::string input = put("in.png", slim_fixture());
    std::string bad = put("bad.png", text_bytes("not a png at all"));
    CliResult list = run_cli({"list", "--json", bad, input});
    EXPECT_EQ(2, list.status);
    size_t second = list.out.find('\n') + 1;
    EXPECT_EQ("{\"file\":\"" + bad + "\",\"message\":\"not a PNG file.\",\"error\":\"unreadable\"}\n",
              list.out.substr(0, second));
    EXPECT_NE(std::string::npos,
              list.out.find("{\"number\":3,\"type\":\"gAMA\",\"length\":4,\"crc\":\"FC2250DB\","
                            "\"computed_crc\":\"FC2250DB\",\"damaged\":false,\"ancillary\":true,\"private\":false,"
                            "\"reserved\":false,\"safe_to_copy\":false,\"deletable\":true,\"mergeable\":false,"
                            u8"\"summary\":\"ガンマ値: sRGB または iCCP はこれを含んでいます。\"}", second))
        << list.out;
    EXPECT_NE(std::string::npos, list.out.find("\"width\":1,\"height\":1,\"bit_depth\":8,\"size\":"));
    EXPECT_NE(std::string::npos, list.err.find("2 files: 1 fine, 0 changed, 0 with damage or left as they were, 1 unreadable"));
    CliResult folder = run_cli({"list", dir.root, input});
    EXPECT_EQ(2, folder.status);
    EXPECT_NE(std::string::npos, folder.err.find(": is a folder; add -r to walk it")) << folder.err;

    CliResult text = run_cli({"list", "--lang", "ja", input});
    EXPECT_NE(std::string::npos, text.out.find(u8"  3 gAMA       4 FC2250DB -- ○ -- -- -- ○ -- ガンマ値")) << text.out;
    EXPECT_NE(std::string::npos, text.out.find(" 1x1x8 / 152Bytes\n")) << text.out;

    ASSERT_EQ(LOAD_OK, load_png(input.c_str()));
    TextBuilder inspector = {};
    describe_chunk(&inspector, 1);
    std::string expected = input + "\n" + std::string(inspector.text, inspector.used);
    text_free(&inspector);
    release_document();
    CliResult show = run_cli({"show", input, "2"});
    EXPECT_EQ(0, show.status);
    EXPECT_EQ(expected, show.out.substr(0, expected.size()));
    EXPECT_EQ(3, run_cli({"show", input, "10"}).status);
}

TEST_F(CliCommands, MoveAndSplitAsTheWindowDoes)
{
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* order;   // of the output, when written
    } cases[] = {
        {{"move", "IN", "2", "down"}, 0, "IHDR gAMA tEXt prVt IDAT IDAT IDAT tIME IEND "},
        {{"move", "IN", "8", "to", "2"}, 0, "IHDR tIME tEXt gAMA prVt IDAT IDAT IDAT IEND "},
        {{"move", "IN", "4", "down"}, 3, nullptr},   // prVt into the IDAT run
        {{"move", "IN", "1", "down"}, 3, nullptr},   // IHDR stays first
        {{"move", "IN", "9", "down"}, 3, nullptr},
        {{"move", "IN", "2", "to", "10"}, 3, nullptr},
        {{"move", "IN", "2", "aside"}, 3, nullptr},
        {{"move", "IN", "2"}, 3, nullptr},
        {{"split", "IN", "5", "1"}, 0, "IHDR tEXt gAMA prVt IDAT IDAT IDAT IDAT tIME IEND "},
        {{"split", "IN", "5", "2"}, 3, nullptr},
        {{"split", "IN", "2", "1", "--repeat"}, 3, nullptr},
    };
    std::string input = put("in.png", slim_fixture());
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments[1] = input;
        arguments.insert(arguments.end(), {"-o", dir.path("out.png")});
        remove(dir.path("out.png").c_str());
        CliResult result = run_cli(arguments);
        EXPECT_EQ(c.status, result.status) << c.arguments[2] << " " << c.arguments[3] << result.err << result.out;
        EXPECT_EQ(c.order != nullptr, file_exists(dir.path("out.png"))) << c.arguments[2];
        if (!c.order) continue;
        ASSERT_EQ(LOAD_OK, load_png(dir.path("out.png").c_str()));
        std::string order;
        for (int32_t i = 0; i < g_document.count; i++) order += std::string((const char*)g_document.records[i].type, 4) + " ";
        EXPECT_EQ(c.order, order);
        release_document();
    }
    EXPECT_EQ(slim_fixture(), read_file(input));
}

// An argument as the system hands it over: UTF-8 natively, the ANSI code page
// (932) on Windows.
#ifdef _WIN32
#define NIHON_ARGUMENT "Title=\x93\xFA\x96\x7B"
#else
#define NIHON_ARGUMENT u8"Title=日本"
#endif

// set, insert and import as the window's editors, Insert and import leave the
// file: each case names the order written and the data of one chunk of it.
TEST_F(CliCommands, SetInsertAndImportWriteTheCheckedFields)
{
    struct Case {
        std::vector<std::string> arguments;   // IN stands for the fixture
        int status;
        const char* order;   // of the output, when written
        int32_t row;         // from 1: the chunk whose data follows
        std::string data;
    } cases[] = {
        {{"set", "IN", "3", "gamma=2.2"}, 0, "IHDR tEXt gAMA prVt IDAT IDAT IDAT tIME IEND ", 3, std::string("\0\0\xB1\x8F", 4)},
        {{"set", "IN", "3", "gamma=0"}, 3, nullptr, 0, ""},
        {{"set", "IN", "3", "colour=1"}, 3, nullptr, 0, ""},
        {{"set", "IN", "4", "x=1"}, 3, nullptr, 0, ""},   // prVt has no fields
        {{"set", "IN", "2", "keyword= Title"}, 3, nullptr, 0, ""},
        {{"set", "IN", "--dpi", "300"}, 0, "IHDR pHYs tEXt gAMA prVt IDAT IDAT IDAT tIME IEND ", 2,
         std::string("\0\0\x2E\x23\0\0\x2E\x23\x01", 9)},
        {{"set", "IN", "--text", "Title=y"}, 0, "IHDR tEXt gAMA prVt IDAT IDAT IDAT tIME IEND ", 2, std::string("Title\0y", 7)},
        {{"set", "IN", "--text", NIHON_ARGUMENT}, 0, "IHDR iTXt gAMA prVt IDAT IDAT IDAT tIME IEND ", 2,
         std::string("Title\0\0\0\0\0", 10) + u8"日本"},
        {{"set", "IN", "--text", "Author=Me", "--time", "2024-02-29T12:00:00"}, 0,
         "IHDR tEXt tEXt gAMA prVt IDAT IDAT IDAT tIME IEND ", 9, std::string("\x07\xE8\x02\x1D\x0C\0\0", 7)},
        {{"set", "IN", "--text", "Bad  key=v"}, 3, nullptr, 0, ""},
        {{"insert", "IN", "sRGB", "intent=1"}, 0, "IHDR sRGB tEXt gAMA prVt IDAT IDAT IDAT tIME IEND ", 2, "\x01"},
        {{"insert", "IN", "sRGB", "intent=9"}, 3, nullptr, 0, ""},
        {{"insert", "IN", "IHDR"}, 3, nullptr, 0, ""},
        {{"import", "IN", "CHUNK"}, 0, "IHDR ruSt tEXt gAMA prVt IDAT IDAT IDAT tIME IEND ", 2, "\x01\x02"},
        {{"import", "IN", "NOISE"}, 3, nullptr, 0, ""},
        {{"import", "IN", "NOISE.icc"}, 3, nullptr, 0, ""},
    };
    std::string input = put("in.png", slim_fixture());
    put("chunk.bin", Bytes{0, 0, 0, 2, 'r', 'u', 'S', 't', 1, 2, 0xBB, 0x4F, 0x52, 0x7B});
    put("noise.bin", text_bytes("not a chunk"));
    put("noise.icc", text_bytes("not a profile"));
    for (const Case& c : cases) {
        std::vector<std::string> arguments;
        for (const std::string& word : c.arguments) {
            arguments.push_back(word == "IN" ? input : word == "CHUNK" ? dir.path("chunk.bin")
                                : word == "NOISE" ? dir.path("noise.bin") : word == "NOISE.icc" ? dir.path("noise.icc") : word);
        }
        arguments.insert(arguments.end(), {"-o", dir.path("out.png")});
        remove(dir.path("out.png").c_str());
        CliResult result = run_cli(arguments);
        std::string line = c.arguments[2] + " " + c.arguments[c.arguments.size() - 1];
        EXPECT_EQ(c.status, result.status) << line << result.err << result.out;
        EXPECT_EQ(c.order != nullptr, file_exists(dir.path("out.png"))) << line;
        if (!c.order) continue;
        ASSERT_EQ(LOAD_OK, load_png(dir.path("out.png").c_str()));
        std::string order;
        for (int32_t i = 0; i < g_document.count; i++) order += std::string((const char*)g_document.records[i].type, 4) + " ";
        EXPECT_EQ(c.order, order) << line;
        const ChunkRecord& record = g_document.records[c.row - 1];
        EXPECT_EQ(c.data, std::string((const char*)record.data, record.length)) << line;
        EXPECT_FALSE(is_damaged(c.row - 1)) << line;
        release_document();
    }
    EXPECT_EQ(slim_fixture(), read_file(input));
}

TEST_F(CliCommands, ExportWritesTheRawChunkAndStripPrivateWhatTheReviewNames)
{
    Bytes fixture = slim_fixture();
    std::string input = put("in.png", fixture);
    EXPECT_EQ(0, run_cli({"export", input, "3", dir.path("gama.chunk")}).status);
    EXPECT_EQ(Bytes(fixture.begin() + 8 + 25 + 19, fixture.begin() + 8 + 25 + 19 + 16), read_file(dir.path("gama.chunk")));
    EXPECT_EQ(3, run_cli({"export", input, "3", dir.path("gama.icc"), "--profile"}).status);
    EXPECT_EQ(3, run_cli({"export", input, "3", input}).status);
    EXPECT_EQ(fixture, read_file(input));

    Bytes author = make_simple_png({make_chunk("tEXt", text_bytes(std::string("Author\0Jane Doe", 15))),
                                    make_chunk("gAMA", {0, 0, 0, 1}), make_chunk("IDAT", deflated({0, 1, 2, 3}))});
    input = put("author.png", author);
    CliResult stripped = run_cli({"strip", "--private", "-o", dir.path("out.png"), input});
    EXPECT_EQ(0, stripped.status) << stripped.err;
    EXPECT_EQ(window_edit(author, ROW_EDIT_DELETE, [](int32_t r) { return type_is(r, "tEXt"); }), read_file(dir.path("out.png")));
}

// An ICC profile travels both ways: imported by its extension or, under another
// name, by its content, and exported again byte for byte; a compressed text set by
// --text stays compressed; the JSON lists each edit and each refusal.
TEST_F(CliCommands, ProfilesTextsAndTheirReports)
{
    Bytes profile(132, 0);   // a header and an empty tag table
    profile[3] = 132;
    memcpy(&profile[36], "acsp", 4);
    std::string input = put("in.png", slim_fixture());
    for (const char* name : {"p.icc", "p.bin"}) {
        CliResult imported = run_cli({"import", "--json", input, put(name, profile), "-o", dir.path("icc.png")});
        EXPECT_EQ(0, imported.status) << name << imported.err;
        EXPECT_NE(std::string::npos, imported.out.find("\"edits\":[{\"done\":\"inserted\",\"number\":2,\"type\":\"iCCP\"}]"))
            << imported.out;
        EXPECT_EQ(0, run_cli({"export", "--profile", dir.path("icc.png"), "2", dir.path("back.icc")}).status);
        EXPECT_EQ(profile, read_file(dir.path("back.icc"))) << name;
    }

    Bytes ztxt = text_bytes(std::string("Comment\0\0", 9)), old = deflated(text_bytes("old"));
    ztxt.insert(ztxt.end(), old.begin(), old.end());
    Bytes compressed = make_simple_png({make_chunk("zTXt", ztxt), make_chunk("IDAT", deflated({0, 1, 2, 3}))});
    CliResult texts = run_cli({"set", "--json", put("z.png", compressed), "--text", "Comment=new", "--dpi", "0x",
                               "-o", dir.path("z-out.png")});
    EXPECT_EQ(3, texts.status);   // --dpi 0x refused before any file is read
    texts = run_cli({"set", "--json", dir.path("z.png"), "--text", "Comment=new", "--text", "bad  key=v",
                     "-o", dir.path("z-out.png")});
    EXPECT_EQ(3, texts.status);
    EXPECT_NE(std::string::npos, texts.out.find("\"edits\":[{\"done\":\"rewritten\",\"number\":2,\"type\":\"zTXt\"},"
                                                "{\"error\":\"FIELD_BAD_KEYWORD\"}],\"changed\":false,\"result\":\"refused\""))
        << texts.out;
    EXPECT_FALSE(file_exists(dir.path("z-out.png")));
    EXPECT_EQ(0, run_cli({"set", dir.path("z.png"), "--text", "Comment=new", "-o", dir.path("z-out.png")}).status);
    ASSERT_EQ(LOAD_OK, load_png(dir.path("z-out.png").c_str()));
    const ChunkRecord& text = g_document.records[1];
    ASSERT_EQ(std::string("zTXt"), std::string((const char*)text.type, 4));
    ASSERT_EQ(0, memcmp(text.data, "Comment\0\0", 9));
    char inflated[8] = {0};
    uLongf size = sizeof inflated;
    EXPECT_EQ(Z_OK, uncompress((Bytef*)inflated, &size, text.data + 9, text.length - 9));
    EXPECT_EQ("new", std::string(inflated, size));
}

// Each refusal leaves the file and says why, in the user's language.
TEST_F(CliCommands, RefusalsNameTheirReason)
{
    Bytes good = slim_fixture(), damaged = good;
    damaged[8 + 25 + 19 + 8 + 4] ^= 0x01;   // the stored CRC of gAMA
    std::string input = put("in.png", good), broken = put("broken.png", damaged);
    put("ihdr.chunk", Bytes(good.begin() + 8, good.begin() + 8 + 25));
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* said;
    } cases[] = {
        {{"set", broken, "3", "gamma=1"}, 3, "chunk 3 is damaged: repair it first"},
        {{"set", input, "3", "gamma=0", "--lang", "ja"}, 3, u8"gamma=0 (1 から 2147483647 まで 1/100000)"},
        {{"set", input, "2", "keyword=a  b", "--lang", "ja"}, 3, u8"キーワードは 1 から 79 文字"},
        {{"set", input, "3", "colour=1"}, 3, "no such field; the fields are: gamma"},
        {{"import", input, dir.path("ihdr.chunk")}, 3, "the ordering rules allow a IHDR chunk nowhere"},
        {{"import", input, dir.path("none.chunk")}, 3, "could not be read"},
        {{"export", input, "3", dir.path("no/such/folder/x.chunk")}, 4, "could not be written"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        if (arguments[0] != "export") arguments.insert(arguments.end(), {"-o", dir.path("out.png")});
        CliResult result = run_cli(arguments);
        EXPECT_EQ(c.status, result.status) << c.said;
        EXPECT_NE(std::string::npos, result.err.find(c.said)) << result.err;
        EXPECT_FALSE(file_exists(dir.path("out.png"))) << c.said;
    }
    EXPECT_EQ(slim_fixture(), read_file(input));
}

}  // namespace
