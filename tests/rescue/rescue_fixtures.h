// What the rescue tests, its fuzz target and its benchmark share: a small PNG with
// every kind of chunk the rescue treats differently, damage made to it, and the
// rescue's result as file bytes and as one line of findings.
#pragma once
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/chunk_model.h"
#include "document/memory.h"
#include "rescue/rescue.h"
#include "support/test_support.h"

// Rows of an RGB image of 8 bits per channel, each behind filter byte 0.
inline Bytes rescue_rows(uint32_t width, uint32_t height, uint32_t seed)
{
    Bytes rows;
    for (uint32_t y = 0; y < height; y++) {
        rows.push_back(0);
        for (uint32_t x = 0; x < width * 3; x++) {
            uint32_t v = (x + y * width * 3 + seed) * 2654435761u;
            rows.push_back((uint8_t)((v ^ (v >> 15)) >> 20));
        }
    }
    return rows;
}

// IHDR, tEXt, zTXt, two IDAT, IEND; the offsets of each chunk's header in `at`.
struct RescueFixture {
    Bytes file;
    std::vector<size_t> at;
};

inline RescueFixture rescue_fixture(uint32_t width = 16, uint32_t height = 8, uint32_t seed = 1)
{
    Bytes stream = deflated(rescue_rows(width, height, seed));
    size_t half = stream.size() / 2;
    std::vector<Bytes> chunks = {
        make_chunk("IHDR", ihdr_data(width, height, 8)),
        make_chunk("tEXt", text_bytes(std::string("Comment") + '\0' + "kept byte\r\nfor byte\n")),
        make_chunk("zTXt", joined({text_bytes("Title"), Bytes{0, 0}, deflated(text_bytes("a rescued title"))})),
        make_chunk("IDAT", Bytes(stream.begin(), stream.begin() + half)),
        make_chunk("IDAT", Bytes(stream.begin() + half, stream.end())),
        make_chunk("IEND", Bytes()),
    };
    RescueFixture fixture;
    fixture.file = make_png(chunks);
    size_t position = 8;
    for (const Bytes& chunk : chunks) {
        fixture.at.push_back(position);
        position += chunk.size();
    }
    return fixture;
}

// The rescue's result, released on destruction.
struct Rescued {
    explicit Rescued(const Bytes& file, int32_t stream_mode = RESCUE_COMPLETE_STREAM)
    {
        RescueOptions options = {stream_mode, 0, 0};
        rescue_bytes(file.data(), file.size(), options, nullptr, &result);
    }
    ~Rescued() { release_rescue_result(&result); }
    Rescued(const Rescued&) = delete;
    Rescued& operator=(const Rescued&) = delete;
    RescueResult result;
};

// The file a save of the final chunk list would write.
inline Bytes rescued_file(const RescueResult& result)
{
    ChunkDocument document;
    if (!apply_rescue(result, &document)) return Bytes();
    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (int32_t i = 0; i < document.count; i++) {
        const ChunkRecord& r = document.records[i];
        for (int s = 24; s >= 0; s -= 8) out.push_back((uint8_t)(r.length >> s));
        out.insert(out.end(), r.type, r.type + 4);
        out.insert(out.end(), r.data, r.data + r.length);
        for (int s = 24; s >= 0; s -= 8) out.push_back((uint8_t)(r.stored_crc >> s));
        zero_free(r.data);
    }
    zero_free(document.records);
    return out;
}

inline const char* rescue_kind_name(int32_t kind)
{
    static const char* const names[RESCUE_KIND_COUNT] = {
        "signature", "prefix",  "line-endings", "7-bit",     "not-png",   "length",    "type",      "crc",
        "forced-crc", "byte",   "lost-byte",    "added-byte", "damaged",  "lost",      "cut",       "truncated",
        "completed", "no-stream", "not-restored", "bound",   "trailing",  "cancelled", "by-crc"};
    return kind >= 0 && kind < RESCUE_KIND_COUNT ? names[kind] : "?";
}

// "kind:certainty" of every finding, in order, e.g. "length:sure forced-crc:probable".
inline std::string rescue_summary(const RescueResult& result)
{
    static const char* const certainty[3] = {"sure", "probable", "none"};
    std::string out;
    for (int32_t i = 0; i < result.finding_count; i++) {
        if (!out.empty()) out += ' ';
        out += rescue_kind_name(result.findings[i].kind);
        out += ':';
        out += certainty[result.findings[i].certainty];
    }
    return out;
}

// The file as a transfer in text mode leaves it: every CR LF turned into LF, or
// every lone LF into CR LF.
inline Bytes crlf_to_lf(const Bytes& file)
{
    Bytes out;
    for (size_t k = 0; k < file.size(); k++) {
        if (!(file[k] == 0x0D && k + 1 < file.size() && file[k + 1] == 0x0A)) out.push_back(file[k]);
    }
    return out;
}

inline Bytes lf_to_crlf(const Bytes& file)
{
    Bytes out;
    for (size_t k = 0; k < file.size(); k++) {
        if (file[k] == 0x0A && (k == 0 || file[k - 1] != 0x0D)) out.push_back(0x0D);
        out.push_back(file[k]);
    }
    return out;
}

inline size_t count_pairs(const Bytes& bytes, uint8_t first, uint8_t second)
{
    size_t count = 0;
    for (size_t k = 0; k + 1 < bytes.size(); k++) count += bytes[k] == first && bytes[k + 1] == second;
    return count;
}

// The fixture with a seed whose image data holds a CR LF as well as lone LFs, so
// that both conversions change the IDAT chunks.
inline RescueFixture line_ending_fixture(uint32_t width, uint32_t height)
{
    for (uint32_t seed = 1;; seed++) {
        RescueFixture fixture = rescue_fixture(width, height, seed);
        Bytes stream = deflated(rescue_rows(width, height, seed));
        if (count_pairs(stream, 0x0D, 0x0A) > 0) return fixture;
    }
}

// A picture of flat blocks with a sprinkle of noise, its rows behind filter
// bytes 0 to 4 in turn, as one IDAT (or IDAT chunks of `piece` bytes): deflate
// codes it with long matches, so a wrong byte in the stream garbles little and
// rarely shows in the rows.
inline Bytes blocky_png(uint32_t side, uint32_t seed, size_t piece = 0)
{
    Bytes rows;
    uint32_t noise = seed * 2654435761u;
    for (uint32_t y = 0; y < side; y++) {
        rows.push_back((uint8_t)(y % 5));
        for (uint32_t x = 0; x < side * 3; x++) {
            noise = noise * 1103515245u + 12345u;
            uint32_t sprinkle = (x * y) % 7 == 0 ? noise >> 24 : 0;
            rows.push_back((uint8_t)((x / 97) * 31 + (y / 23) * 17 + sprinkle));
        }
    }
    Bytes stream = deflated(rows);
    std::vector<Bytes> chunks = {make_chunk("IHDR", ihdr_data(side, side, 8))};
    if (piece == 0) piece = stream.size();
    for (size_t at = 0; at < stream.size(); at += piece) {
        size_t end = std::min(stream.size(), at + piece);
        chunks.push_back(make_chunk("IDAT", Bytes(stream.begin() + at, stream.begin() + end)));
    }
    chunks.push_back(make_chunk("IEND", Bytes()));
    return make_png(chunks);
}

// The file with `count` bytes from `at` replaced by `bytes` (a changed byte, a lost
// one when bytes is empty and count 1, an added one when count is 0).
inline Bytes spliced(const Bytes& file, size_t at, size_t count, const Bytes& bytes)
{
    Bytes out(file.begin(), file.begin() + at);
    out.insert(out.end(), bytes.begin(), bytes.end());
    out.insert(out.end(), file.begin() + at + count, file.end());
    return out;
}
