// Helpers shared by the core's tests: PNG files built in code, a recording alert
// hook, temporary folders, and the public sample files.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// One chunk as it stands in a file; the CRC is computed unless given.
Bytes make_chunk(const char* type, const Bytes& data);
Bytes make_chunk(const char* type, const Bytes& data, uint32_t crc);
Bytes text_bytes(const std::string& text);
// The parts one after the other.
Bytes joined(const std::vector<Bytes>& parts);
// A zlib stream of `data`.
Bytes deflated(const Bytes& data, int level = -1);   // -1: zlib's default level
// The signature followed by the given chunks.
Bytes make_png(const std::vector<Bytes>& chunks);
// IHDR data for width x height, the given bit depth, colour type 2.
Bytes ihdr_data(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour_type = 2);
// Signature, IHDR, the given chunks, IEND.
Bytes make_simple_png(const std::vector<Bytes>& middle);
// An ICC profile of the header, a tag table with one 'desc' tag and that tag.
Bytes icc_profile(const std::string& description);

// A fresh folder under the system's temporary folder, removed on destruction.
struct TempDir {
    TempDir();
    ~TempDir();
    std::string path(const std::string& name) const;
    std::vector<std::string> entries() const;
    std::string root;
};

void write_file(const std::string& path, const Bytes& bytes);
Bytes read_file(const std::string& path);
bool file_exists(const std::string& path);

// Records every alert while alive; restores the default hook afterwards.
struct AlertLog {
    struct Alert {
        std::string text;
        std::string caption;
        uint32_t flags;
    };
    AlertLog();
    ~AlertLog();
    std::vector<Alert> alerts;
    // "caption|text" of every alert, one per line: sequences compare in one go.
    std::string summary() const;
};

// The public sample files, or an empty list (tests then skip with a message).
std::vector<std::string> corpus_files();
std::string corpus_dir();

// While alive, zero_alloc fails exactly its `nth` call from now (0: the next one);
// `seen` counts the calls, so a test knows when a run got past every allocation.
struct FailingAllocation {
    explicit FailingAllocation(int nth);
    ~FailingAllocation();
    int seen() const;
};
