// Small chunks with any kind of damage, repaired by repair_chunk and by the plain
// exhaustive search: both must leave the same chunk (the same candidates offered or
// applied, or the same answer to the question) and make the same calls in the same
// order, under a scripted clock, Cancel and answers. Independently of both, a found
// byte must make the chunk's CRC right, and a chunk with one changed byte must
// always be repaired or offered for repair.
//
// Input: flags (bit 0: the question is answered Yes; bits 1-2: how the damage is
// made, below; bit 3: the candidate dialog answers its first row, else "leave it"),
// the four type bytes, a 32-bit word, the first clock reading (32
// bits), two clock steps (16 bits each), the pump that cancels (0: none), then the
// chunk data, at most 200 bytes; numbers big-endian.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "document/chunk_model.h"
#include "fuzz_support.h"
#include "repair/plain_search.h"
#include "repair/repair_harness.h"

namespace {

const size_t HEADER = 18;
const size_t LONGEST_DATA = 200;

enum Damage {
    DAMAGE_STORED_WORD = 0,  // the word is the stored CRC
    DAMAGE_ONE_BYTE = 1,     // a right CRC, then one data byte changed
    DAMAGE_TYPE = 2,         // a right CRC, then one type byte changed
    DAMAGE_TWO_BYTES = 3,    // a right CRC, then two data bytes changed
};

struct Outcome {
    std::string calls;
    std::vector<uint8_t> data;
    uint32_t stored_crc;
    uint32_t computed_crc;
    int busy;
};

typedef void (*RepairFunction)(int32_t index, const RepairPorts& ports);

Outcome run(RepairFunction repair, const uint8_t* type, const std::vector<uint8_t>& data, uint32_t stored,
            const PortScript& script)
{
    install_repair_document(type, data, stored);
    PortLog log(script);
    repair(0, recording_ports(log));
    const ChunkRecord& chunk = g_document.records[0];
    return Outcome{log.calls, std::vector<uint8_t>(chunk.data, chunk.data + chunk.length), chunk.stored_crc,
                   chunk.computed_crc, g_busy};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size < HEADER || size > HEADER + LONGEST_DATA) {
        return 0;
    }
    int answer = bytes[0] & 1;
    int damage = (bytes[0] >> 1) & 3;
    uint8_t type[4];
    memcpy(type, bytes + 1, 4);
    uint32_t word = model_u32(bytes + 5);
    PortScript script;
    script.clock_start = model_u32(bytes + 9);
    script.clock_steps = {(uint32_t)(bytes[13] << 8 | bytes[14]), (uint32_t)(bytes[15] << 8 | bytes[16])};
    script.cancel_at_pump = bytes[17];
    script.answer = answer;
    script.choice = (bytes[0] & 8) ? 0 : REPAIR_CHOICE_LEAVE;
    std::vector<uint8_t> data(bytes + HEADER, bytes + size);

    uint32_t stored = word;
    size_t changed = data.size();  // the one changed data byte, if any
    uint8_t flip = (uint8_t)(word | 1);
    if (damage != DAMAGE_STORED_WORD) {
        stored = model_crc(type, data);
        if (damage == DAMAGE_TYPE) {
            type[(word >> 8) % 4] ^= flip;
        } else if (!data.empty()) {
            changed = (word >> 8) % data.size();
            data[changed] ^= flip;
            if (damage == DAMAGE_TWO_BYTES) data[(word >> 16) % data.size()] ^= (uint8_t)(word >> 24);
        }
    }
    bool one_byte = damage == DAMAGE_ONE_BYTE && !data.empty();

    Outcome fast = run(repair_chunk, type, data, stored, script);
    Outcome plain = run(plain_repair_chunk, type, data, stored, script);
    fuzz_require(fast.calls == plain.calls, "the calls differ from the plain search's");
    fuzz_require(fast.data == plain.data && fast.stored_crc == plain.stored_crc &&
                     fast.computed_crc == plain.computed_crc,
                 "the chunk differs from the plain search's");
    fuzz_require(fast.busy == 0, "the busy flag stays set");
    fuzz_require(g_document.count == 2 && memcmp(g_document.records[1].type, "IEND", 4) == 0,
                 "the record after the chunk was touched");

    bool damaged = stored != model_crc(type, data);
    bool cancelled = g_cancel != 0;
    bool offered = fast.calls.find("\nchoose ") != std::string::npos;
    bool asked = fast.calls.find("\nask ") != std::string::npos;
    size_t differing = 0;
    size_t position = 0;
    for (size_t k = 0; k < data.size(); k++) {
        if (fast.data[k] != data[k]) differing++, position = k;
    }
    if (!damaged) {
        fuzz_require(fast.calls.empty(), "an intact chunk was searched");
    } else if (differing == 1) {
        fuzz_require(fast.stored_crc == stored && fast.computed_crc == stored &&
                         model_crc(type, fast.data) == stored,
                     "a found byte does not make the CRC right");
        fuzz_require(!one_byte || position < changed ||
                         (position == changed && (uint8_t)(fast.data[changed] ^ data[changed]) == flip),
                     "the changed byte was not the first match");
    } else {
        fuzz_require(differing == 0, "more than one byte changed");
        fuzz_require(!one_byte || cancelled || offered, "one changed byte was neither found nor offered");
        uint32_t computed = model_crc(type, data);
        fuzz_require(fast.computed_crc == computed, "the computed CRC changed without a repair");
        fuzz_require(fast.stored_crc == (answer && asked ? computed : stored), "the CRC was forced wrongly");
    }

    // Without ports, the same candidates as the plain search's, lowest first.
    install_repair_document(type, data, stored);
    std::vector<RepairCandidate> expected;
    if (damaged) expected = plain_candidates(g_document.records[0]);
    RepairCandidate listed[4];
    int32_t total = find_repair_candidates(0, listed, 4);
    fuzz_require(total == (int32_t)expected.size(), "find_repair_candidates counts differently");
    for (size_t k = 0; k < expected.size() && k < 4; k++) {
        fuzz_require(listed[k].position == expected[k].position && listed[k].new_value == expected[k].new_value &&
                         listed[k].old_value == data[listed[k].position],
                     "find_repair_candidates lists a different change");
    }

    // An index outside the document, and an intact chunk, start nothing.
    for (int32_t index : {-1, 1, 2, INT32_MAX, INT32_MIN}) {
        PortLog log(script);
        repair_chunk(index, recording_ports(log));
        fuzz_require(log.calls.empty() && g_busy == 0, "a search outside the damaged chunk");
    }
    release_document();
    return 0;
}
