#include "rescue_framing.h"

#include "document/byte_order.h"
#include "document/crc32.h"
#include "repair/crc_difference.h"
#include "rescue_result.h"

int plausible_header(const ScanBytes& scan, uint64_t at)
{
    if (at == scan.size) return 1;
    if (at > scan.size || scan.size - at < 8) return 0;
    const uint8_t* type = scan.bytes + at + 4;
    if (!letters_only(type)) return 0;
    return scan.size - at - 8 >= (uint64_t)read_u32(scan.bytes + at) + 4 || registered_type(type);
}

static uint32_t register_over(uint32_t reg, const uint8_t* bytes, uint64_t count)
{
    for (uint64_t k = 0; k < count; k++) reg = crc_step(reg, bytes[k]);
    return reg;
}

int32_t true_lengths(const ScanBytes& scan, uint64_t header, uint32_t* lengths, int32_t capacity)
{
    if (scan.size - header < 12) return 0;
    const uint8_t* start = scan.bytes + header + 8;
    uint64_t room = scan.size - header - 12;  // data bytes that leave room for a CRC
    if (room > 0x7FFFFFFFu) room = 0x7FFFFFFFu;
    uint32_t reg = register_over(0xFFFFFFFFu, scan.bytes + header + 4, 4);
    int32_t count = 0;
    for (uint64_t length = 0; length <= room && count < capacity; length++) {
        if ((reg ^ 0xFFFFFFFFu) == read_u32(start + length) && plausible_header(scan, header + 12 + length)) {
            lengths[count++] = (uint32_t)length;
        }
        if (length < room) reg = crc_step(reg, start[length]);
    }
    return count;
}

// Derivation (crc_difference.h). R_p is the register after the type and the first
// p data bytes, Q = stored CRC ^ ~0 the register the chunk must end in, and
// D = Q ^ R_n the difference the whole data leaves.
// Inserting v at p makes the register before the tail d[p..] Y = step(R_p, v)
// instead of R_p; the tail carries Y ^ R_p through n - p zero steps, so the
// insertion matches when Y ^ R_p = U_p = Z^-(n - p)(D). step(R_p, v) ^ R_p =
// T[(R_p ^ v) & 0xFF] ^ (R_p >> 8) ^ R_p, and the table's top bytes are distinct,
// so the only index that can match is top_inverse[(U_p ^ R_p ^ (R_p >> 8)) >> 24].
// Removing d[p] starts the tail d[p+1..] from R_p instead of R_{p+1}: it matches
// when R_p ^ R_{p+1} = Z^-(n - 1 - p)(D). Both walk U forward once U_0 is had
// from n backward steps: linear in the chunk.
struct ShiftWalk {
    uint8_t  top_inverse[256];
    uint32_t reg;         // R_p
    uint32_t difference;  // U_p
};

static void shift_walk_begin(ShiftWalk& walk, const uint8_t* type, const uint8_t* data, uint32_t length,
                             uint32_t stored_crc, uint32_t back_steps)
{
    build_top_inverse(walk.top_inverse);
    uint32_t start = register_over(0xFFFFFFFFu, type, 4);
    uint32_t end = register_over(start, data, length);
    walk.difference = (stored_crc ^ 0xFFFFFFFFu) ^ end;
    for (uint32_t k = 0; k < back_steps; k++) walk.difference = zero_step_back(walk.difference, walk.top_inverse);
    walk.reg = start;
}

int32_t lost_byte_fixes(const uint8_t* type, const uint8_t* data, uint32_t length, uint32_t stored_crc,
                        ByteFix* out, int32_t capacity)
{
    build_crc_table();
    ShiftWalk walk;
    shift_walk_begin(walk, type, data, length, stored_crc, length);
    int32_t count = 0;
    for (uint32_t p = 0; p <= length; p++) {
        uint32_t wanted = walk.difference ^ walk.reg ^ (walk.reg >> 8);
        uint8_t index = walk.top_inverse[wanted >> 24];
        uint8_t value = (uint8_t)(index ^ walk.reg);
        // Inserting v just behind an equal byte is the same file as inserting it before.
        int repeat = p > 0 && data[p - 1] == value;
        if (g_crc_table[index] == wanted && !repeat && count < capacity) out[count++] = ByteFix{p, value};
        if (p == length) break;
        walk.reg = crc_step(walk.reg, data[p]);
        walk.difference = zero_step(walk.difference);
    }
    return count;
}

int32_t added_byte_fixes(const uint8_t* type, const uint8_t* data, uint32_t length, uint32_t stored_crc,
                         ByteFix* out, int32_t capacity)
{
    build_crc_table();
    if (length == 0) return 0;
    ShiftWalk walk;
    shift_walk_begin(walk, type, data, length, stored_crc, length - 1);
    int32_t count = 0;
    for (uint32_t p = 0; p < length; p++) {
        uint32_t next = crc_step(walk.reg, data[p]);
        int repeat = p > 0 && data[p - 1] == data[p];
        if ((walk.reg ^ next) == walk.difference && !repeat && count < capacity) {
            out[count++] = ByteFix{p, data[p]};
        }
        walk.reg = next;
        walk.difference = zero_step(walk.difference);
    }
    return count;
}
