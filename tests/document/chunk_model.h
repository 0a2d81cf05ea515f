// A second, deliberately plain account of what the document should hold, shared
// by the robustness tests and the fuzzers: the chunks of a file read with a
// bit-by-bit CRC and no table, the slimming the user's commands perform, and the
// bytes a save must write. Each check returns "" when all is well, else what went
// wrong, so that tests compare it and fuzzers abort on it.
#pragma once
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"

struct ModelChunk {
    uint8_t type[4];
    std::vector<uint8_t> data;
    uint32_t stored_crc;
    uint32_t computed_crc;
};
typedef std::vector<ModelChunk> ChunkList;

inline uint32_t model_u32(const uint8_t* p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

inline uint32_t model_crc(const uint8_t* type, const std::vector<uint8_t>& data)
{
    uint32_t reg = 0xFFFFFFFFu;
    auto feed = [&reg](uint8_t byte) {
        reg ^= byte;
        for (int bit = 0; bit < 8; bit++) reg = (reg >> 1) ^ (0xEDB88320u & (0u - (reg & 1u)));
    };
    for (int k = 0; k < 4; k++) feed(type[k]);
    for (uint8_t byte : data) feed(byte);
    return ~reg;
}

inline bool model_is_type(const ModelChunk& chunk, const char* name)
{
    return memcmp(chunk.type, name, 4) == 0;
}

// The chunks up to and including the first IEND; false when the signature is
// wrong (*not_png set) or the file ends before a complete IEND.
inline bool model_parse(const uint8_t* bytes, size_t size, ChunkList* chunks, bool* not_png)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    chunks->clear();
    *not_png = size < 8 || memcmp(bytes, signature, 8) != 0;
    if (*not_png) return false;
    size_t position = 8;
    while (size - position >= 12) {
        uint32_t length = model_u32(bytes + position);
        if (size - position - 12 < length) return false;
        ModelChunk chunk;
        memcpy(chunk.type, bytes + position + 4, 4);
        chunk.data.assign(bytes + position + 8, bytes + position + 8 + length);
        chunk.stored_crc = model_u32(bytes + position + 8 + length);
        chunk.computed_crc = model_crc(chunk.type, chunk.data);
        chunks->push_back(chunk);
        position += 12 + (size_t)length;
        if (model_is_type(chunk, "IEND")) return true;
    }
    return false;
}

// What deleting every deletable chunk and then merging every run of intact IDAT
// chunks leaves: a merged chunk gets a fresh CRC, so a run merges whole.
inline ChunkList model_slim(const ChunkList& chunks)
{
    ChunkList kept;
    for (const ModelChunk& chunk : chunks) {
        if (!(chunk.type[0] & 0x20) && !(chunk.type[1] & 0x20)) kept.push_back(chunk);
    }
    ChunkList slim;
    for (const ModelChunk& chunk : kept) {
        bool intact = chunk.stored_crc == chunk.computed_crc;
        if (!slim.empty() && intact && model_is_type(chunk, "IDAT") && model_is_type(slim.back(), "IDAT") &&
            slim.back().stored_crc == slim.back().computed_crc) {
            ModelChunk& last = slim.back();
            last.data.insert(last.data.end(), chunk.data.begin(), chunk.data.end());
            last.computed_crc = last.stored_crc = model_crc(last.type, last.data);
        } else {
            slim.push_back(chunk);
        }
    }
    return slim;
}

// The file a save of these chunks writes: signature, then length, type, data and
// stored CRC of each.
inline std::vector<uint8_t> model_file(const ChunkList& chunks)
{
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto put_u32 = [&out](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)(v >> shift));
    };
    for (const ModelChunk& chunk : chunks) {
        put_u32((uint32_t)chunk.data.size());
        out.insert(out.end(), chunk.type, chunk.type + 4);
        out.insert(out.end(), chunk.data.begin(), chunk.data.end());
        put_u32(chunk.stored_crc);
    }
    return out;
}

// The loaded document in the model's terms.
inline ChunkList document_chunks()
{
    ChunkList chunks;
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        const ChunkRecord& record = g_document.records[i];
        ModelChunk chunk;
        memcpy(chunk.type, record.type, 4);
        chunk.data.assign(record.data, record.data + record.length);
        chunk.stored_crc = record.stored_crc;
        chunk.computed_crc = record.computed_crc;
        chunks.push_back(chunk);
    }
    return chunks;
}

// "" when the document holds exactly these chunks, with every computed CRC current.
inline std::string document_faults(const ChunkList& expected)
{
    if (!g_document.loaded) return "no document";
    if (g_document.count != (int32_t)expected.size()) {
        return "count " + std::to_string(g_document.count) + " instead of " + std::to_string(expected.size());
    }
    ChunkList actual = document_chunks();
    for (size_t i = 0; i < expected.size(); i++) {
        const ModelChunk& a = actual[i];
        const ModelChunk& e = expected[i];
        if (memcmp(a.type, e.type, 4) != 0 || a.data != e.data || a.stored_crc != e.stored_crc) {
            return "chunk " + std::to_string(i) + " differs";
        }
        if (a.computed_crc != model_crc(a.type, a.data)) return "stale CRC in chunk " + std::to_string(i);
    }
    return "";
}

// "" when no document is left behind.
inline std::string empty_document_faults()
{
    if (g_document.loaded || g_document.count != 0 || g_document.records != nullptr) return "a document is left";
    return "";
}

// "" when every predicate answers as the type bytes and CRCs say, including for
// indices outside the document.
inline std::string predicate_faults()
{
    ChunkList chunks = document_chunks();
    int32_t count = (int32_t)chunks.size();
    for (int32_t i = 0; i < count; i++) {
        const ModelChunk& c = chunks[(size_t)i];
        int damaged = c.stored_crc != c.computed_crc;
        int deletable = (c.type[0] & 0x20) || (c.type[1] & 0x20);
        int mergeable = i + 1 < count && model_is_type(c, "IDAT") && model_is_type(chunks[(size_t)i + 1], "IDAT") &&
                        !damaged && chunks[(size_t)i + 1].stored_crc == chunks[(size_t)i + 1].computed_crc;
        if (is_damaged(i) != damaged) return "is_damaged(" + std::to_string(i) + ")";
        if (is_deletable(i) != deletable) return "is_deletable(" + std::to_string(i) + ")";
        if (is_mergeable(i) != mergeable) return "is_mergeable(" + std::to_string(i) + ")";
        for (int k = 0; k < 4; k++) {
            if (property_bit(i, k) != ((c.type[k] & 0x20) != 0)) return "property_bit(" + std::to_string(i) + ")";
        }
        if (property_bit(i, -1) || property_bit(i, 4)) return "property_bit outside 0 to 3";
    }
    for (int32_t i : {-1, count, count + 1, INT32_MAX, INT32_MIN}) {
        if (is_damaged(i) || is_deletable(i) || is_mergeable(i) || property_bit(i, 0)) {
            return "a predicate answers 1 outside the document at " + std::to_string(i);
        }
    }
    return "";
}

// What the user's delete and merge commands do to every row: the delete loop
// walks from the last row to the first, then the merge loop does the same.
inline void slim_document_from_the_back()
{
    for (int32_t i = g_document.count - 1; i >= 0; i--) delete_chunk(i, 0);
    for (int32_t i = g_document.count - 1; i >= 0; i--) merge_with_next(i);
}
