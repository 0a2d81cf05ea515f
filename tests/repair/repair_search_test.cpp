#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "document/chunk_edit.h"
#include "repair/plain_search.h"
#include "repair/repair_harness.h"
#include "support/test_support.h"

namespace {

// The texts as code page 932 bytes, so that a wrong charset setting shows.
const std::string CAPTION = "VELMORA \x8F\xEE\x95\xF1";
const std::string REPAIRED =
    "\x94j\x91\xB9\x82\xF0\x94\xAD\x8C\xA9\x82\xB5\x81" "A\x8F" "C\x95\x9C\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B";
const std::string QUESTION =
    "\x8F" "C\x95\x9C\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81" "B2\x83o\x83" "C\x83g"
    "\x88\xC8\x8F\xE3\x82\xCC\x94j\x91\xB9\x81" "A\x82\xE0\x82\xB5\x82\xAD\x82\xCD" "CRC\x82\xAA\x94j\x91\xB9"
    "\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81" "B\nCRC\x82\xF0\x8B\xAD\x90\xA7\x93I\x82\xC9\x88\xEA\x92v"
    "\x82\xB3\x82\xB9\x82\xDC\x82\xB7\x82\xA9\x81H";

const std::string START = "enable 0 busy 1\nopen\n";
const std::string END = "enable 1 busy 0\nclose busy 0\n";
// The found box names the byte: "position N of byte: 0xOLD -> 0xNEW".
std::string found_box(uint32_t position, uint8_t old_value, uint8_t new_value)
{
    char values[32];
    snprintf(values, sizeof values, "%02X \x81\xA8 0x%02X", old_value, new_value);
    return "info " + CAPTION + "|" + REPAIRED + "\n\x88\xCA\x92u " + std::to_string(position) +
           " \x82\xCC\x83o\x83" "C\x83g: 0x" + values + " busy 1\n";
}
const std::string QUESTION_BOX = "ask " + CAPTION + "|" + QUESTION + " busy 1\n";

typedef void (*RepairFunction)(int32_t index, const RepairPorts& ports);

// Everything a search leaves behind.
struct Outcome {
    std::string calls;
    Bytes data;
    uint32_t stored_crc;
    uint32_t computed_crc;
    int busy;
    int cancel;
};

Outcome run_repair(RepairFunction repair, const uint8_t* type, const Bytes& data, uint32_t stored,
                   const PortScript& script)
{
    install_repair_document(type, data, stored);
    PortLog log(script);
    repair(0, recording_ports(log));
    const ChunkRecord& chunk = g_document.records[0];
    return Outcome{log.calls, Bytes(chunk.data, chunk.data + chunk.length), chunk.stored_crc,
                   chunk.computed_crc, g_busy, g_cancel};
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Compares two outcomes as one value; on a difference in the calls, names the first
// differing call instead of printing logs that may run to thousands of lines.
::testing::AssertionResult same_outcome(const Outcome& expected, const Outcome& actual)
{
    if (expected.calls != actual.calls) {
        std::vector<std::string> a = lines_of(expected.calls), b = lines_of(actual.calls);
        size_t k = 0;
        while (k < a.size() && k < b.size() && a[k] == b[k]) k++;
        return ::testing::AssertionFailure() << "calls differ at call " << k << " of " << a.size() << "/"
                                             << b.size() << ": expected \"" << (k < a.size() ? a[k] : "(end)")
                                             << "\", got \"" << (k < b.size() ? b[k] : "(end)") << "\"";
    }
    if (expected.data != actual.data || expected.stored_crc != actual.stored_crc ||
        expected.computed_crc != actual.computed_crc || expected.busy != actual.busy ||
        expected.cancel != actual.cancel) {
        return ::testing::AssertionFailure() << "chunk or flags differ (stored " << expected.stored_crc << "/"
                                             << actual.stored_crc << ", computed " << expected.computed_crc
                                             << "/" << actual.computed_crc << ")";
    }
    return ::testing::AssertionSuccess();
}

const uint8_t TEXT_TYPE[4] = {'t', 'E', 'X', 't'};

struct RepairSearch : ::testing::Test {
    void TearDown() override
    {
        release_document();
        g_cancel = 0;
    }
};

TEST_F(RepairSearch, DoesNothingWithoutADamagedChunk)
{
    Bytes data = {1, 2, 3};
    uint32_t crc = repair_crc_of(TEXT_TYPE, data);
    struct Case {
        const char* name;
        bool loaded;
        int32_t index;
    } cases[] = {
        {"no document", false, 0}, {"intact chunk", true, 0}, {"intact IEND", true, 1},
        {"index -1", true, -1},    {"index 2", true, 2},      {"largest index", true, INT32_MAX},
    };
    for (const Case& c : cases) {
        install_repair_document(TEXT_TYPE, data, crc);
        if (!c.loaded) release_document();
        PortLog log;
        g_cancel = 1;
        repair_chunk(c.index, recording_ports(log));
        EXPECT_EQ("", log.calls) << c.name;
        EXPECT_EQ(0, g_busy + g_cancel) << c.name;
        if (c.loaded) {
            EXPECT_EQ(data, Bytes(g_document.records[0].data, g_document.records[0].data + 3)) << c.name;
            EXPECT_EQ(crc, g_document.records[0].stored_crc) << c.name;
        }
    }
}

TEST_F(RepairSearch, EachEndingMakesItsCallsAndLeavesTheChunkAsItSays)
{
    PortScript still;  // the clock stands at 5000 ms
    still.clock_start = 5000;
    PortScript yes = still;
    yes.answer = 1;
    PortScript cancel_second = still;
    cancel_second.cancel_at_pump = 2;
    const std::string first_refresh = "clock 5000\nnumber 1010 0\ntext 1012 ----\nclock 5000\npump\n";
    struct Case {
        const char* name;
        Bytes original;
        Bytes damaged;
        uint32_t crc_flip;  // XORed into the stored CRC
        const char* type;
        PortScript script;
        std::string calls;
        Bytes after;        // the data afterwards
        bool intact;        // stored and computed CRC agree afterwards
    } cases[] = {
        {"empty chunk, answer Yes", {}, {}, 1, "tEXt", yes, START + "number 1011 0\n" + QUESTION_BOX + END, {}, true},
        {"empty chunk, answer No", {}, {}, 1, "tEXt", still, START + "number 1011 0\n" + QUESTION_BOX + END, {},
         false},
        {"one byte", {0x41}, {0x40}, 0, "tEXt", still,
         START + "number 1011 1\n" + first_refresh + "number 1010 0\n" + found_box(0, 0x40, 0x41) + END, {0x41},
         true},
        {"last of three bytes", {1, 2, 3}, {1, 2, 0x33}, 0, "tEXt", still,
         START + "number 1011 3\n" + first_refresh + "clock 5000\npump\nclock 5000\npump\nnumber 1010 2\n" +
             found_box(2, 0x33, 3) + END,
         {1, 2, 3}, true},
        {"two bytes, answer Yes", {1, 2, 3, 4, 5}, {0, 2, 3, 4, 4}, 0, "tEXt", yes,
         START + "number 1011 5\n" + first_refresh + std::string(4, 'x') + QUESTION_BOX + END, {0, 2, 3, 4, 4},
         true},
        {"cancelled in the middle", {1, 2, 3, 4, 5}, {0, 2, 3, 4, 4}, 0, "tEXt", cancel_second,
         START + "number 1011 5\n" + first_refresh + "clock 5000\npump\n" + END, {0, 2, 3, 4, 4}, false},
        {"cancelled after the last position", {7, 8}, {7, 8}, 0, "tEXT", cancel_second,
         START + "number 1011 2\n" + first_refresh + "clock 5000\npump\n" + END, {7, 8}, false},
    };
    for (Case& c : cases) {
        // Four positions without a match and without a refresh, written short above.
        size_t at = c.calls.find("xxxx");
        if (at != std::string::npos) {
            std::string quiet;
            for (int k = 0; k < 4; k++) quiet += "clock 5000\npump\n";
            c.calls.replace(at, 4, quiet);
        }
        // The stored CRC belongs to the original data under the type "tEXt".
        uint32_t stored = repair_crc_of(TEXT_TYPE, c.original) ^ c.crc_flip;
        Outcome out = run_repair(repair_chunk, (const uint8_t*)c.type, c.damaged, stored, c.script);
        EXPECT_EQ(c.calls, out.calls) << c.name;
        EXPECT_EQ(c.after, out.data) << c.name;
        EXPECT_EQ(c.intact, out.stored_crc == out.computed_crc) << c.name;
        EXPECT_EQ(c.intact, !is_damaged(0)) << c.name;
        EXPECT_EQ(repair_crc_of((const uint8_t*)c.type, out.data), out.computed_crc) << c.name;
        EXPECT_EQ(0, out.busy) << c.name;
    }
}

// Only the refresh calls of a search of a 45-byte chunk that nothing repairs.
std::string refreshes(uint32_t clock_start, uint32_t clock_step)
{
    PortScript script;
    script.clock_start = clock_start;
    script.clock_steps = {clock_step};
    script.log_clock = false;
    Bytes data(45, 0x5A);
    uint32_t stored = repair_crc_of((const uint8_t*)"tEXT", data);
    Outcome out = run_repair(repair_chunk, TEXT_TYPE, data, stored, script);
    std::string shown;
    for (const std::string& line : lines_of(out.calls)) {
        if (line.rfind("number 1010", 0) == 0 || line.rfind("number 1012", 0) == 0 || line.rfind("text", 0) == 0) {
            shown += line.substr(line.find(' ') + 1) + "; ";
        }
    }
    return shown;
}

// Refreshes at every `stride`-th position of the 45, each without an estimate.
std::string placeholders(uint32_t stride)
{
    std::string shown;
    for (uint32_t i = 0; i < 45; i += stride) shown += "1010 " + std::to_string(i) + "; 1012 ----; ";
    return shown;
}

TEST_F(RepairSearch, RefreshesFollowTheClockAndEstimateTheRest)
{
    struct Case {
        const char* name;
        uint32_t start;
        uint32_t step;
        std::string shown;
    } cases[] = {
        // 100 ms per reading: 11 positions per refresh, so estimates of (45 - i) / 11.
        {"steady", 5000, 100,
         "1010 0; 1012 ----; 1010 11; 1012 3; 1010 22; 1012 2; 1010 33; 1012 1; 1010 44; 1012 0; "},
        // 200 ms per reading: 6 positions per refresh, too few for an estimate.
        {"slow positions", 5000, 200,
         "1010 0; 1012 ----; 1010 6; 1012 ----; 1010 12; 1012 ----; 1010 18; 1012 ----; 1010 24; 1012 ----; "
         "1010 30; 1012 ----; 1010 36; 1012 ----; 1010 42; 1012 ----; "},
        // Within the first second after system start there is no refresh after position 0.
        {"first second", 500, 100, "1010 6; 1012 ----; 1010 17; 1012 2; 1010 28; 1012 1; 1010 39; 1012 0; "},
        // Readings past 2^31 and readings that wrap through zero are plain unsigned differences.
        {"past 2^31", 0x90000000u, 100,
         "1010 0; 1012 ----; 1010 11; 1012 3; 1010 22; 1012 2; 1010 33; 1012 1; 1010 44; 1012 0; "},
        {"wrapping", 0xFFFFFE00u, 100,
         "1010 0; 1012 ----; 1010 11; 1012 3; 1010 22; 1012 2; 1010 33; 1012 1; 1010 44; 1012 0; "},
        // Exactly 1000 ms is not enough: every second position.
        {"1000 ms per reading", 5000, 1000, placeholders(2)},
        {"1001 ms per reading", 5000, 1001, placeholders(1)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.shown, refreshes(c.start, c.step)) << c.name;
    }
}

// One random damaged chunk and a random script for the ports.
struct DamageCase {
    uint8_t type[4];
    Bytes data;
    uint32_t stored;
    PortScript script;
};

DamageCase random_damage(std::mt19937& rng, int kind)
{
    auto below = [&rng](uint32_t n) { return (uint32_t)(rng() % n); };
    DamageCase c;
    static const uint32_t sizes[] = {0, 1, 2, 3, 64, 300};
    uint32_t pick = below(6);
    uint32_t length = pick < 4 ? sizes[pick] : 1 + below(sizes[pick]);
    for (uint8_t& t : c.type) t = (uint8_t)rng();
    for (uint32_t k = 0; k < length; k++) c.data.push_back((uint8_t)rng());
    c.stored = repair_crc_of(c.type, c.data);
    auto flip = [&](uint32_t position) { c.data[position] ^= (uint8_t)(1 + below(255)); };
    if (length == 0 && kind < 2) kind = 2 + below(2);
    switch (kind) {
    case 0:  // one changed byte anywhere
        flip(below(length));
        break;
    case 1: {  // two changed bytes
        uint32_t a = below(length), b = below(length);
        flip(a);
        if (b != a) flip(b);
        break;
    }
    case 2:  // a changed type byte
        c.type[below(4)] ^= (uint8_t)(1 + below(255));
        break;
    default:  // a changed stored CRC
        c.stored ^= 1 + below(0xFFFFFFFEu);
        break;
    }
    static const uint32_t starts[] = {0, 500, 1001, 0x7FFFFF00u, 0x90000000u, 0xFFFFFC00u};
    c.script.clock_start = below(7) < 6 ? starts[below(6)] : (uint32_t)rng();
    // Mostly steps around a tenth of a second, so that refreshes come both more and
    // less than ten positions apart.
    static const uint32_t steps[] = {0, 1, 7, 20, 50, 90, 99, 100, 101, 333, 999, 1000, 1001, 1500};
    for (uint32_t k = 0, n = 1 + below(3); k < n; k++) {
        c.script.clock_steps.push_back(below(12) < 11 ? steps[below(14)] : below(3000));
    }
    c.script.cancel_at_pump = below(4) == 0 ? 1 + below(length + 1) : 0;
    static const int answers[] = {0, 1, 7};  // only 1 means Yes
    c.script.answer = answers[below(3)];
    return c;
}

TEST_F(RepairSearch, AgreesWithThePlainSearchCallForCall)
{
    std::mt19937 rng(20261203);
    int found = 0, asked = 0, cancelled = 0, estimates = 0, placeholders = 0;
    for (int n = 0; n < 400; n++) {
        DamageCase c = random_damage(rng, n % 4);
        Outcome plain = run_repair(plain_repair_chunk, c.type, c.data, c.stored, c.script);
        Outcome fast = run_repair(repair_chunk, c.type, c.data, c.stored, c.script);
        ASSERT_TRUE(same_outcome(plain, fast)) << "case " << n << ", kind " << n % 4 << ", length "
                                               << c.data.size();
        // The candidates without ports agree with the plain ones.
        install_repair_document(c.type, c.data, c.stored);
        std::vector<RepairCandidate> expected = plain_candidates(g_document.records[0]);
        RepairCandidate listed[4];
        ASSERT_EQ((int32_t)expected.size(), find_repair_candidates(0, listed, 4)) << "case " << n;
        for (size_t k = 0; k < expected.size() && k < 4; k++) {
            EXPECT_EQ(expected[k].position, listed[k].position) << "case " << n;
            EXPECT_EQ(expected[k].new_value, listed[k].new_value) << "case " << n;
        }
        found += plain.calls.find("info ") != std::string::npos;
        asked += plain.calls.find("ask ") != std::string::npos;
        cancelled += plain.calls.find("info ") == std::string::npos && plain.calls.find("ask ") == std::string::npos;
        estimates += plain.calls.find("number 1012") != std::string::npos;
        placeholders += plain.calls.find("text 1012 ----") != std::string::npos;
    }
    // The cases reach every ending and both kinds of estimate.
    EXPECT_GT(found, 70);
    EXPECT_GT(asked, 100);
    EXPECT_GT(cancelled, 30);
    EXPECT_GT(estimates, 15);
    EXPECT_GT(placeholders, 100);
}

// The distance at which two single-byte changes first have the same effect on the
// CRC: a change by 248 and a change by 169 this many bytes later. Below it no two
// positions of a chunk can both match.
const uint32_t TWIN_DISTANCE = 145212;

TEST_F(RepairSearch, EverySingleByteChangeIsUndone)
{
    // Every position and every change of a short chunk.
    Bytes original(48);
    for (size_t k = 0; k < original.size(); k++) original[k] = (uint8_t)(k * 37 + 11);
    uint32_t stored = repair_crc_of(TEXT_TYPE, original);
    int undone = 0;
    for (size_t position = 0; position < original.size(); position++) {
        for (int change = 1; change < 256; change++) {
            Bytes damaged = original;
            damaged[position] ^= (uint8_t)change;
            Outcome out = run_repair(repair_chunk, TEXT_TYPE, damaged, stored, PortScript());
            undone += out.data == original && out.computed_crc == stored && out.stored_crc == stored;
        }
    }
    EXPECT_EQ(48 * 255, undone);

    // Spread positions of a chunk just short of the distance at which twins appear:
    // too long for an unchecked change to be applied unasked, so the one candidate
    // is offered and applied when chosen.
    std::mt19937 rng(7);
    Bytes large(TWIN_DISTANCE);
    for (uint8_t& b : large) b = (uint8_t)rng();
    stored = repair_crc_of(TEXT_TYPE, large);
    PortScript choose_first;
    choose_first.log_clock = false;
    choose_first.choice = 0;
    for (uint32_t position : {0u, 1u, 4097u, TWIN_DISTANCE / 2, TWIN_DISTANCE - 2, TWIN_DISTANCE - 1}) {
        Bytes damaged = large;
        damaged[position] ^= (uint8_t)(position | 1);
        Outcome out = run_repair(repair_chunk, TEXT_TYPE, damaged, stored, choose_first);
        EXPECT_TRUE(out.data == large) << "position " << position;
        EXPECT_EQ(stored, out.computed_crc) << "position " << position;
        std::string offer = "choose 1/1 " + std::to_string(position) + ":" + std::to_string(damaged[position]) +
                            ">" + std::to_string(large[position]) + "/N busy 1";
        EXPECT_EQ(offer, lines_of(out.calls).end()[-3]);
    }
}

TEST_F(RepairSearch, EquivalentChangesAreOfferedNotGuessed)
{
    // In a chunk of TWIN_DISTANCE + 1 bytes, changing byte 0 by 248 has the same
    // effect on the CRC as changing its last byte by 169: both are offered, the
    // lower one first, and only the one chosen is applied.
    std::mt19937 rng(11);
    Bytes original(TWIN_DISTANCE + 1);
    for (uint8_t& b : original) b = (uint8_t)rng();
    original[0] = 0x10;
    uint32_t stored = repair_crc_of(TEXT_TYPE, original);
    Bytes damaged = original;
    damaged[TWIN_DISTANCE] ^= 169;
    std::string offer = "choose 2/2 0:16>232/N " + std::to_string(TWIN_DISTANCE) + ":" +
                        std::to_string(damaged[TWIN_DISTANCE]) + ">" + std::to_string(original[TWIN_DISTANCE]) +
                        "/N busy 1";
    PortScript script;
    script.log_clock = false;
    for (int32_t choice : {(int32_t)REPAIR_CHOICE_LEAVE, (int32_t)REPAIR_CHOICE_FORCE_CRC, 1}) {
        script.choice = choice;
        Outcome out = run_repair(repair_chunk, TEXT_TYPE, damaged, stored, script);
        EXPECT_EQ(offer, lines_of(out.calls).end()[-3]) << choice;
        EXPECT_TRUE(out.data == (choice == 1 ? original : damaged)) << choice;
        EXPECT_EQ(choice != REPAIR_CHOICE_LEAVE, out.stored_crc == out.computed_crc) << choice;
        EXPECT_EQ(choice == REPAIR_CHOICE_FORCE_CRC ? repair_crc_of(TEXT_TYPE, damaged) : stored, out.stored_crc);
    }
}

}  // namespace
