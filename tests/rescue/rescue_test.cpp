#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <random>

#include "repair/stream_check.h"
#include "rescue/rescue_fixtures.h"

TEST(Rescue, IntactFileComesBackAsItIs)
{
    RescueFixture fixture = rescue_fixture();
    Rescued rescued(fixture.file);
    EXPECT_EQ(rescue_summary(rescued.result), "");
    EXPECT_EQ(rescued.result.outcome, RESCUE_INTACT);
    EXPECT_EQ(rescued_file(rescued.result), fixture.file);
    // Into the document as a changed one, so that the save question applies.
    ASSERT_TRUE(adopt_rescue_result(rescued.result));
    EXPECT_EQ(model_file(document_chunks()), fixture.file);
    EXPECT_EQ(g_document.changed, 1);
    release_document();
}

namespace {

struct DamageCase {
    const char* name;
    Bytes (*damage)(const RescueFixture& f);
    const char* findings;
};

Bytes flipped(const Bytes& file, size_t at, uint8_t mask)
{
    Bytes out = file;
    out[at] ^= mask;
    return out;
}

const DamageCase DAMAGE_CASES[] = {
    {"signature, one byte", [](const RescueFixture& f) { return flipped(f.file, 1, 0x20); }, "signature:sure"},
    {"signature, two bytes", [](const RescueFixture& f) { return flipped(flipped(f.file, 0, 0x80), 6, 0x40); },
     "signature:sure"},
    {"prefix", [](const RescueFixture& f) { return spliced(f.file, 0, 0, text_bytes("MacBinary junk")); },
     "prefix:sure"},
    {"length, low byte", [](const RescueFixture& f) { return flipped(f.file, f.at[1] + 3, 0x04); }, "length:sure"},
    {"length, high byte", [](const RescueFixture& f) { return flipped(f.file, f.at[3], 0x10); }, "length:sure"},
    {"type byte", [](const RescueFixture& f) { return flipped(f.file, f.at[2] + 5, 0x01); }, "type:sure"},
    {"type byte of IEND", [](const RescueFixture& f) { return flipped(f.file, f.at[5] + 7, 0x40); }, "type:sure"},
    {"CRC, one byte", [](const RescueFixture& f) { return flipped(f.file, f.at[1] + 8 + 26 + 2, 0x5A); },
     "crc:sure"},
    {"CRC of IDAT, every byte",
     [](const RescueFixture& f) {
         Bytes out = f.file;
         for (size_t k = 0; k < 4; k++) out[f.at[4] - 4 + k] ^= 0xA5;
         return out;
     },
     "crc:sure"},
    {"data byte", [](const RescueFixture& f) { return flipped(f.file, f.at[1] + 8 + 10, 0x08); }, "byte:sure"},
    {"byte lost", [](const RescueFixture& f) { return spliced(f.file, f.at[1] + 8 + 12, 1, Bytes()); },
     "lost-byte:sure"},
    {"byte added", [](const RescueFixture& f) { return spliced(f.file, f.at[2] + 8 + 3, 0, Bytes{0x77}); },
     "added-byte:sure"},
    {"signature and a length",
     [](const RescueFixture& f) { return flipped(flipped(f.file, 2, 0x01), f.at[4] + 2, 0x01); },
     "signature:sure length:sure"},
};

}  // namespace

TEST(Rescue, EachDamageIsRestoredExactlyAndReportedBeyondDoubt)
{
    RescueFixture fixture = rescue_fixture();
    for (const DamageCase& c : DAMAGE_CASES) {
        Rescued rescued(c.damage(fixture));
        EXPECT_EQ(rescue_summary(rescued.result), c.findings) << c.name;
        EXPECT_EQ(rescued.result.outcome, RESCUE_ENTIRE) << c.name;
        EXPECT_TRUE(rescued_file(rescued.result) == fixture.file) << c.name;
    }
}

// A damaged IEND type with a chunk after it: the mended IEND ends the file, and
// nothing read after it is written (found by the rescue fuzz target).
TEST(Rescue, AMendedIendEndsTheFile)
{
    RescueFixture fixture = rescue_fixture();
    Bytes damaged = flipped(fixture.file, fixture.file.size() - 6, 0x04);
    Bytes after = make_chunk("tEXt", {'a', 'f', 't', 'e', 'r'});
    damaged.insert(damaged.end(), after.begin(), after.end());
    Rescued rescued(damaged);
    EXPECT_TRUE(rescued_file(rescued.result) == fixture.file) << rescue_summary(rescued.result);
}

// Every single-byte change of every length, type and CRC field comes back exactly.
TEST(Rescue, EveryChangeOfAFramingFieldIsRestored)
{
    RescueFixture fixture = rescue_fixture(4, 2);
    int failures = 0;
    for (size_t c = 0; c < fixture.at.size(); c++) {
        size_t data_length = model_u32(&fixture.file[fixture.at[c]]);
        std::vector<size_t> fields;
        for (size_t k = 0; k < 8; k++) fields.push_back(fixture.at[c] + k);
        for (size_t k = 0; k < 4; k++) fields.push_back(fixture.at[c] + 8 + data_length + k);
        for (size_t at : fields) {
            for (int value = 0; value < 256; value++) {
                if (value == fixture.file[at]) continue;
                Bytes damaged = fixture.file;
                damaged[at] = (uint8_t)value;
                Rescued rescued(damaged);
                if (rescued_file(rescued.result) != fixture.file || rescued.result.outcome != RESCUE_ENTIRE) {
                    if (failures++ < 5) {
                        ADD_FAILURE() << "offset " << at << " value " << value << ": "
                                      << rescue_summary(rescued.result);
                    }
                }
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// Inflates a whole zlib stream; empty when it does not end cleanly.
static Bytes inflated(const Bytes& stream)
{
    Bytes out(1 << 20);
    uLongf size = out.size();
    if (uncompress(out.data(), &size, stream.data(), stream.size()) != Z_OK) return Bytes();
    out.resize(size);
    return out;
}

static Bytes image_data(const Bytes& file)
{
    ChunkList chunks;
    bool not_png = false;
    if (!model_parse(file.data(), file.size(), &chunks, &not_png)) return Bytes();
    Bytes stream;
    for (const ModelChunk& chunk : chunks) {
        if (model_is_type(chunk, "IDAT")) stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
    }
    return stream;
}

TEST(Rescue, CutFileKeepsItsChunksAndTheRowsThatInflate)
{
    RescueFixture fixture = rescue_fixture(64, 64);
    Bytes rows = rescue_rows(64, 64, 1);
    size_t cut = fixture.at[4] + 8 + 40;  // inside the second IDAT
    Rescued rescued(Bytes(fixture.file.begin(), fixture.file.begin() + cut));
    EXPECT_EQ(rescue_summary(rescued.result), "cut:none completed:none truncated:none");
    EXPECT_EQ(rescued.result.outcome, RESCUE_PARTIAL);
    Bytes out = rescued_file(rescued.result);
    // Every chunk before the image data byte for byte, and a stream of the whole image.
    EXPECT_TRUE(std::equal(fixture.file.begin(), fixture.file.begin() + fixture.at[3], out.begin()));
    Bytes pixels = inflated(image_data(out));
    ASSERT_EQ(pixels.size(), rows.size());
    const RescueFinding& completed = rescued.result.findings[1];
    size_t kept = completed.detail[0] * (64 * 3 + 1);
    EXPECT_GT(completed.detail[0], 10u);
    EXPECT_EQ(completed.detail[1], 64u);
    EXPECT_TRUE(std::equal(rows.begin(), rows.begin() + kept, pixels.begin()));
    EXPECT_EQ(Bytes(pixels.begin() + kept + 64 * 3 + 1, pixels.end()), Bytes(rows.size() - kept - 64 * 3 - 1, 0));

    // Kept as it was: the first IDAT whole, the cut one with the bytes that are left.
    Rescued kept_cut(Bytes(fixture.file.begin(), fixture.file.begin() + cut), RESCUE_KEEP_CUT_STREAM);
    Bytes as_was = image_data(rescued_file(kept_cut.result));
    Bytes stream = image_data(fixture.file);
    EXPECT_EQ(as_was, Bytes(stream.begin(), stream.begin() + (cut - fixture.at[4] - 8) +
                                                (fixture.at[4] - fixture.at[3] - 12)));
}

// Cut where the image data would begin: every chunk before it comes back, and
// zero rows stand in for the image.
TEST(Rescue, FileCutBeforeTheImageDataGetsZeroRows)
{
    RescueFixture fixture = rescue_fixture(16, 8);
    Rescued rescued(Bytes(fixture.file.begin(), fixture.file.begin() + fixture.at[3]));
    EXPECT_EQ(rescue_summary(rescued.result), "completed:none truncated:none");
    Bytes out = rescued_file(rescued.result);
    EXPECT_TRUE(std::equal(fixture.file.begin(), fixture.file.begin() + fixture.at[3], out.begin()));
    EXPECT_EQ(inflated(image_data(out)), Bytes(rescue_rows(16, 8, 1).size(), 0));
}

TEST(Rescue, ZeroedBlockIsSkippedAndTheChunksAfterItComeBack)
{
    RescueFixture fixture = rescue_fixture();
    const std::vector<size_t>& at = fixture.at;
    struct Case {
        const char* name;
        size_t from, to;  // the zeroed block
        const char* findings;
        Bytes expected;   // empty: not compared
    } cases[] = {
        // The zTXt header is zeroed too: only IDAT and IEND come back after IHDR.
        {"tEXt and the zTXt header", at[1] + 4, at[2] + 6, "lost:none",
         spliced(fixture.file, at[1], at[3] - at[1], Bytes())},
        // IHDR stays: the image data bears out its fields, so its CRC is sure.
        {"IHDR's CRC and the next header", at[1] - 4, at[1] + 8, "lost:none crc:sure",
         spliced(fixture.file, at[1], at[2] - at[1], Bytes())},
        // IHDR's last fields gone with its CRC: the rows refute it, nothing is sure.
        {"IHDR's last fields and CRC", at[1] - 8, at[1], "damaged:none forced-crc:probable completed:none", Bytes()},
    };
    for (const Case& c : cases) {
        Bytes damaged = fixture.file;
        std::fill(damaged.begin() + c.from, damaged.begin() + c.to, 0);
        Rescued rescued(damaged);
        EXPECT_EQ(rescue_summary(rescued.result), c.findings) << c.name;
        if (!c.expected.empty()) EXPECT_TRUE(rescued_file(rescued.result) == c.expected) << c.name;
    }
}

// Every IDAT chunk lost: zero rows stand in for the image in front of IEND,
// unless the user keeps the image data as it was (there is none then).
TEST(Rescue, LostImageDataIsReplacedByZeroRows)
{
    RescueFixture fixture = rescue_fixture(16, 8);
    Bytes damaged = fixture.file;
    std::fill(damaged.begin() + fixture.at[3], damaged.begin() + fixture.at[5], 0);
    Rescued rescued(damaged);
    EXPECT_EQ(rescue_summary(rescued.result), "lost:none completed:none");
    Bytes out = rescued_file(rescued.result);
    EXPECT_EQ(inflated(image_data(out)), Bytes(rescue_rows(16, 8, 1).size(), 0));
    EXPECT_TRUE(std::equal(fixture.file.begin(), fixture.file.begin() + fixture.at[3], out.begin()));
    EXPECT_EQ(Bytes(out.end() - 12, out.end()), Bytes(fixture.file.end() - 12, fixture.file.end()));
    Rescued kept(damaged, RESCUE_KEEP_CUT_STREAM);
    EXPECT_EQ(image_data(rescued_file(kept.result)), Bytes());
}

// Two faults in one chunk: no single change explains them, so nothing is changed
// unasked; the forced CRC waits for the user.
TEST(Rescue, TwoFaultsInOneChunkAreNotRestored)
{
    RescueFixture fixture = rescue_fixture(64, 64);
    struct Case {
        std::vector<size_t> at;
        const char* findings;
    } cases[] = {
        {{fixture.at[3] + 8 + 20, fixture.at[3] + 8 + 90}, "damaged:none forced-crc:probable completed:none"},
        {{fixture.at[1] + 8 + 9, fixture.at[1] + 8 + 26 + 1}, "damaged:none forced-crc:probable"},
        {{fixture.at[2] + 5, fixture.at[2] + 8 + 2}, "damaged:none forced-crc:probable"},
    };
    for (const Case& c : cases) {
        Bytes damaged = fixture.file;
        for (size_t at : c.at) damaged[at] ^= 0x11;
        Rescued rescued(damaged);
        EXPECT_EQ(rescue_summary(rescued.result), c.findings);
        Rescued keep(damaged, RESCUE_KEEP_CUT_STREAM);
        EXPECT_TRUE(rescued_file(keep.result) == damaged);
    }
}

TEST(Rescue, WhatCannotBeReadIsReportedNeverRefused)
{
    struct Case {
        Bytes file;
        const char* findings;
        int32_t outcome;
    } cases[] = {
        {Bytes(), "not-png:none", RESCUE_UNREADABLE},
        {text_bytes("just some text, no PNG in it"), "not-png:none", RESCUE_UNREADABLE},
        {Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, "not-png:none", RESCUE_UNREADABLE},
        {Bytes{0x09, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'},
         "7-bit:none cut:none", RESCUE_UNREADABLE},
    };
    for (const Case& c : cases) {
        Rescued rescued(c.file);
        EXPECT_EQ(rescue_summary(rescued.result), c.findings);
        EXPECT_EQ(rescued.result.outcome, c.outcome);
    }
}

TEST(Rescue, LineEndingConversionIsUndoneInEveryChunk)
{
    RescueFixture fixture = line_ending_fixture(64, 64);
    struct Case {
        const char* name;
        Bytes converted;
    } cases[] = {
        {"CR LF to LF", crlf_to_lf(fixture.file)},
        {"LF to CR LF", lf_to_crlf(fixture.file)},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.converted.size(), fixture.file.size()) << c.name;
        Rescued rescued(c.converted);
        EXPECT_EQ(rescue_summary(rescued.result), "line-endings:sure") << c.name;
        EXPECT_EQ(rescued.result.findings[0].detail[1], 6u) << c.name;
        EXPECT_TRUE(rescued_file(rescued.result) == fixture.file) << c.name;
    }
}

// A converted file that is also cut: the chunks before the cut come back exactly
// and the image data is completed.
TEST(Rescue, LineEndingsInACutFile)
{
    RescueFixture fixture = line_ending_fixture(64, 64);
    Bytes cut(fixture.file.begin(), fixture.file.begin() + fixture.at[4] + 300);
    Rescued rescued(lf_to_crlf(cut));
    EXPECT_EQ(rescue_summary(rescued.result), "line-endings:sure cut:none completed:none truncated:none");
    Bytes out = rescued_file(rescued.result);
    EXPECT_TRUE(std::equal(fixture.file.begin(), fixture.file.begin() + fixture.at[3], out.begin()));
    EXPECT_EQ(inflated(image_data(out)).size(), rescue_rows(64, 64, 1).size());
}

// The scan reports its progress through the ports and stops when told to: what
// was read so far stays, the rest is reported, and the file still saves.
TEST(Rescue, CancelStopsTheScanAndKeepsWhatWasRead)
{
    struct Record {
        std::vector<uint64_t> done;
        int cancel_after;
    } record = {{}, 2};
    RescuePorts ports = {&record,
                         [](void* c, uint64_t done, uint64_t) { ((Record*)c)->done.push_back(done); },
                         [](void* c) -> int { return ((Record*)c)->done.size() >= (size_t)((Record*)c)->cancel_after; },
                         nullptr};
    RescueFixture fixture = rescue_fixture();
    RescueOptions options = {RESCUE_COMPLETE_STREAM, 0, 0};
    RescueResult result;
    rescue_bytes(fixture.file.data(), fixture.file.size(), options, &ports, &result);
    EXPECT_EQ(record.done, (std::vector<uint64_t>{fixture.at[0], fixture.at[1]}));
    EXPECT_EQ(rescue_summary(result), "cancelled:none truncated:none");
    EXPECT_EQ(result.outcome, RESCUE_PARTIAL);
    Bytes out = rescued_file(result);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + fixture.at[1]), Bytes(fixture.file.begin(), fixture.file.begin() + fixture.at[1]));
    release_rescue_result(&result);
}

namespace {

// Where each chunk's header begins in a well-framed file, up to IEND.
std::vector<size_t> chunk_headers(const Bytes& file)
{
    std::vector<size_t> at;
    for (size_t p = 8; file.size() - p >= 12; p += 12 + model_u32(&file[p])) {
        at.push_back(p);
        if (memcmp(&file[p + 4], "IEND", 4) == 0) break;
    }
    return at;
}

size_t first_idat(const Bytes& file, const std::vector<size_t>& at)
{
    for (size_t p : at) {
        if (memcmp(&file[p + 4], "IDAT", 4) == 0) return p;
    }
    return at[0];
}

// What the sweep may expect of a damage.
enum Knowable {
    KNOWN,            // the original can be told from what is left: it must come back
    KNOWN_OR_OFFERED, // it must come back, unless the rescue offers several explanations
    LOST,             // something is lost: only what is outside the damage can come back
};

// Damage made to a sample file at its first IDAT (h: its header, n: its length).
struct CorpusDamage {
    const char* name;
    Bytes (*damage)(const Bytes& file, size_t h, size_t n);
    Knowable knowable;
};

// A flipped data byte of a short stream may leave it inflating: the byte and the
// CRC field then explain the damage equally well.
const CorpusDamage CORPUS_DAMAGE[] = {
    {"signature", [](const Bytes& f, size_t, size_t) { return flipped(f, 3, 0x04); }, KNOWN},
    {"prefix", [](const Bytes& f, size_t, size_t) { return spliced(f, 0, 0, Bytes(37, 0xEE)); }, KNOWN},
    {"CR LF to LF", [](const Bytes& f, size_t, size_t) { return crlf_to_lf(f); }, KNOWN},
    {"LF to CR LF", [](const Bytes& f, size_t, size_t) { return lf_to_crlf(f); }, KNOWN},
    {"length", [](const Bytes& f, size_t h, size_t) { return flipped(f, h + 2, 0x08); }, KNOWN},
    {"type", [](const Bytes& f, size_t h, size_t) { return flipped(f, h + 5, 0x10); }, KNOWN},
    {"CRC", [](const Bytes& f, size_t h, size_t n) { return flipped(f, h + 8 + n + 1, 0x81); }, KNOWN},
    {"data byte", [](const Bytes& f, size_t h, size_t n) { return flipped(f, h + 8 + n / 2, 0x20); },
     KNOWN_OR_OFFERED},
    {"byte lost", [](const Bytes& f, size_t h, size_t n) { return spliced(f, h + 8 + n / 2, 1, Bytes()); }, KNOWN},
    {"byte added", [](const Bytes& f, size_t h, size_t n) { return spliced(f, h + 8 + n / 3, 0, Bytes{0x5C}); },
     KNOWN},
    {"truncated", [](const Bytes& f, size_t h, size_t n) { return Bytes(f.begin(), f.begin() + h + 8 + n / 2); },
     LOST},
    {"lost region", [](const Bytes& f, size_t h, size_t) { return spliced(f, h - 6, 20, Bytes(20, 0)); }, LOST},
};

bool only_offers(const RescueResult& result)
{
    for (int32_t i = 0; i < result.finding_count; i++) {
        if (result.findings[i].certainty != RESCUE_PROBABLE) return false;
    }
    return result.finding_count > 1;
}

// "" when the rescue of `damaged` does what `d` may expect, else what it did.
std::string sweep_fault(const CorpusDamage& d, const Bytes& file, size_t h, const Bytes& damaged)
{
    Rescued rescued(damaged);
    Bytes out = rescued_file(rescued.result);
    bool same = out == file, entire = rescued.result.outcome == RESCUE_ENTIRE;
    bool fault = (entire && !same) || (d.knowable == KNOWN && !(same && entire)) ||
                 (d.knowable == KNOWN_OR_OFFERED && !(same && entire) && !only_offers(rescued.result));
    // A cut keeps every chunk before the image data; what is lost leaves image
    // data that inflates, unless the damage reached IHDR (8 + 25 bytes) or it
    // describes no image.
    std::string summary = rescue_summary(rescued.result);
    ImageLayout layout;
    if (d.knowable == LOST && damaged.size() < file.size()) {
        fault = fault || out.size() < h || !std::equal(file.begin(), file.begin() + h, out.begin());
    }
    if (d.knowable == LOST && summary.find("no-stream") == std::string::npos &&
        h - 6 >= 8 + 25 && layout_from_ihdr(&file[16], 13, &layout)) {
        fault = fault || inflated(image_data(out)).empty();
    }
    return fault ? summary : "";
}

}  // namespace

// Every valid sample file with every damage: what can be known comes back byte for
// byte, and the rescue never calls a file entire that is not the original.
TEST(RescueCorpus, EveryDamageOfEverySampleFile)
{
    std::vector<std::string> files = corpus_files();
    if (files.empty()) GTEST_SKIP() << "no sample files in " << corpus_dir();
    int failures = 0, swept = 0;
    for (const std::string& path : files) {
        Bytes file = read_file(path);
        Rescued intact(file);
        if (intact.result.outcome != RESCUE_INTACT || rescued_file(intact.result) != file) continue;
        std::vector<size_t> at = chunk_headers(file);
        size_t h = first_idat(file, at), n = model_u32(&file[h]);
        swept++;
        for (const CorpusDamage& d : CORPUS_DAMAGE) {
            Bytes damaged = d.damage(file, h, n);
            std::string fault = damaged == file ? "" : sweep_fault(d, file, h, damaged);
            if (!fault.empty() && failures++ < 10) ADD_FAILURE() << path << ", " << d.name << ": " << fault;
        }
    }
    EXPECT_GT(swept, 100);
    EXPECT_EQ(failures, 0);
}

// Deflate's long matches hide a wrong place: the stream realigns a few bytes on
// and the rows of small filtered values show nothing. The CRC and the Adler-32
// then pick the right places (one unseen, or one of a few near each break);
// where they cannot (stored random bytes leave every place alike), the chunk is
// reported not restored, never restored wrongly.
TEST(Rescue, LineEndingsTheRowsDoNotShowAreSolvedFromTheChecks)
{
    std::mt19937 rng(1);
    Bytes noise;
    for (uint32_t y = 0; y < 512; y++) {
        noise.push_back(0);
        for (uint32_t x = 0; x < 512 * 3; x++) noise.push_back((uint8_t)rng());
    }
    Bytes stored = make_png({make_chunk("IHDR", ihdr_data(512, 512, 8)), make_chunk("IDAT", deflated(noise)),
                             make_chunk("IEND", Bytes())});
    struct Case {
        const char* name;
        Bytes original;
        bool restored;  // false: restored exactly or reported not restored
    } cases[] = {
        {"one place no break shows", blocky_png(256, 7), true},
        {"breaks with more than one place that realigns", blocky_png(512, 1), true},
        {"stored random bytes", stored, false},
    };
    for (const Case& c : cases) {
        ASSERT_GT(count_pairs(c.original, 0x0D, 0x0A), 1u) << c.name;  // besides the signature's
        for (const Bytes& converted : {crlf_to_lf(c.original), lf_to_crlf(c.original)}) {
            Rescued rescued(converted);
            std::string summary = rescue_summary(rescued.result);
            if (c.restored || summary == "line-endings:sure") {
                EXPECT_EQ(summary, "line-endings:sure") << c.name;
                EXPECT_TRUE(rescued_file(rescued.result) == c.original) << c.name;
            } else {
                EXPECT_EQ(summary.find("line-endings:none not-restored:none"), 0u) << c.name << ": " << summary;
            }
        }
    }
}

// An IDAT chunk that no line-ending choice explains (a byte of it changed too)
// leaves the stream unknown from there on: it stays as converted, and the
// chunks after it are still found by their CRC. No stream proves them, so they
// are only offered; accepted, they come back byte for byte.
TEST(Rescue, LineEndingsOfLaterImageDataChunksAfterOneNotRestored)
{
    Bytes original = blocky_png(512, 1, 16384);
    ChunkList chunks, restored;
    bool not_png = false;
    ASSERT_TRUE(model_parse(original.data(), original.size(), &chunks, &not_png));
    size_t second_idat = 8;
    for (size_t k = 0; k < 2; k++) second_idat += 12 + chunks[k].data.size();
    Bytes damaged = original;
    size_t at = second_idat + 8 + 5000;
    auto line_byte = [](uint8_t b) { return b == 0x0D || b == 0x0A; };
    while (line_byte(damaged[at]) || line_byte(damaged[at] ^ 0x20)) at++;
    damaged[at] ^= 0x20;
    Rescued rescued(crlf_to_lf(damaged), RESCUE_KEEP_CUT_STREAM);
    int32_t not_restored = 0, offered = 0;
    for (int32_t k = 0; k < rescued.result.finding_count; k++) {
        not_restored += rescued.result.findings[k].kind == RESCUE_CHUNK_NOT_RESTORED;
        offered += rescued.result.findings[k].kind == RESCUE_CHUNK_BY_CRC;
    }
    EXPECT_EQ(not_restored, 1);
    // Only offered: as the file stands they are converted still.
    EXPECT_GT(offered, 0);
    EXPECT_EQ(rescued.result.outcome, RESCUE_PARTIAL);
    accept_probable_findings(&rescued.result, RESCUE_ACCEPTED);
    Bytes out = rescued_file(rescued.result);
    ASSERT_TRUE(model_parse(out.data(), out.size(), &restored, &not_png));
    ASSERT_EQ(restored.size(), chunks.size());
    for (size_t k = 3; k < chunks.size(); k++) EXPECT_TRUE(restored[k].data == chunks[k].data) << k;
}

// A search cut short by its bound on branches still ends in the solving of its
// path, and a chunk its stream proves is beyond doubt: the bound is not reported.
TEST(Rescue, LineEndingsPastTheBranchBoundAreSolvedAndProved)
{
    Bytes original = blocky_png(512, 1, 16384);
    for (const Bytes& converted : {crlf_to_lf(original), lf_to_crlf(original)}) {
        RescueOptions options = {RESCUE_COMPLETE_STREAM, 4, 0};
        RescueResult result;
        rescue_bytes(converted.data(), converted.size(), options, nullptr, &result);
        EXPECT_EQ(rescue_summary(result), "line-endings:sure");
        EXPECT_TRUE(rescued_file(result) == original);
        release_rescue_result(&result);
    }
}
