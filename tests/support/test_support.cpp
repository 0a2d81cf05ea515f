#include "support/test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string.h>

#include <zlib.h>

#include "document/alert.h"
#include "document/crc32.h"
#include "document/memory.h"

namespace fs = std::filesystem;

static void put_u32(Bytes& out, uint32_t v)
{
    out.push_back((uint8_t)(v >> 24));
    out.push_back((uint8_t)(v >> 16));
    out.push_back((uint8_t)(v >> 8));
    out.push_back((uint8_t)v);
}

static uint32_t crc_of(const char* type, const Bytes& data)
{
    build_crc_table();
    uint32_t reg = 0xFFFFFFFFu;
    for (int k = 0; k < 4; k++) reg = crc_step(reg, (uint8_t)type[k]);
    for (uint8_t b : data) reg = crc_step(reg, b);
    return reg ^ 0xFFFFFFFFu;
}

Bytes make_chunk(const char* type, const Bytes& data, uint32_t crc)
{
    Bytes out;
    put_u32(out, (uint32_t)data.size());
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put_u32(out, crc);
    return out;
}

Bytes make_chunk(const char* type, const Bytes& data)
{
    return make_chunk(type, data, crc_of(type, data));
}

Bytes text_bytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes joined(const std::vector<Bytes>& parts)
{
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes deflated(const Bytes& data, int level)
{
    uLongf size = compressBound((uLong)data.size());
    Bytes out(size);
    compress2(out.data(), &size, data.data(), (uLong)data.size(), level);
    out.resize(size);
    return out;
}

Bytes make_png(const std::vector<Bytes>& chunks)
{
    Bytes out = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
    return out;
}

Bytes ihdr_data(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour_type)
{
    Bytes d;
    put_u32(d, width);
    put_u32(d, height);
    d.push_back(depth);
    d.push_back(colour_type);
    d.push_back(0);
    d.push_back(0);
    d.push_back(0);
    return d;
}

Bytes make_simple_png(const std::vector<Bytes>& middle)
{
    std::vector<Bytes> chunks;
    chunks.push_back(make_chunk("IHDR", ihdr_data(1, 1, 8)));
    chunks.insert(chunks.end(), middle.begin(), middle.end());
    chunks.push_back(make_chunk("IEND", {}));
    return make_png(chunks);
}

TempDir::TempDir()
{
    static std::mt19937 rng(std::random_device{}());
    for (;;) {
        fs::path p = fs::temp_directory_path() / ("velmora-test-" + std::to_string(rng()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            root = p.string();
            return;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Files made read-only by a test must not stop the clean-up.
    for (auto& e : fs::recursive_directory_iterator(root, ec)) {
        fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(root, ec);
}

std::string TempDir::path(const std::string& name) const
{
    return (fs::path(root) / name).string();
}

std::vector<std::string> TempDir::entries() const
{
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(root)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void write_file(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

static AlertLog* s_current_log = nullptr;

static void record_alert(const char* text, const char* caption, uint32_t flags)
{
    if (s_current_log) s_current_log->alerts.push_back({text, caption, flags});
}

AlertLog::AlertLog()
{
    s_current_log = this;
    set_alert_hook(record_alert);
}

AlertLog::~AlertLog()
{
    s_current_log = nullptr;
    set_alert_hook(nullptr);
}

std::string AlertLog::summary() const
{
    std::string s;
    for (const Alert& a : alerts) s += a.caption + "|" + a.text + "\n";
    return s;
}

std::string corpus_dir()
{
    return std::string(VELMORA_CORPUS_DIR) + "/pngsuite";
}

std::vector<std::string> corpus_files()
{
    std::vector<std::string> files;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(corpus_dir(), ec)) {
        if (e.path().extension() == ".png") files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

static int s_failing_nth = -1;
static int s_allocations_seen = 0;

static int fail_nth_allocation(size_t)
{
    return s_allocations_seen++ == s_failing_nth;
}

FailingAllocation::FailingAllocation(int nth)
{
    s_failing_nth = nth;
    s_allocations_seen = 0;
    set_alloc_fail_hook(fail_nth_allocation);
}

FailingAllocation::~FailingAllocation()
{
    set_alloc_fail_hook(nullptr);
}

int FailingAllocation::seen() const
{
    return s_allocations_seen;
}

static void set_u32(uint8_t* at, uint32_t v)
{
    at[0] = (uint8_t)(v >> 24);
    at[1] = (uint8_t)(v >> 16);
    at[2] = (uint8_t)(v >> 8);
    at[3] = (uint8_t)v;
}

Bytes icc_profile(const std::string& description)
{
    Bytes p(132 + 12);
    memcpy(&p[36], "acsp", 4);
    set_u32(&p[128], 1);
    memcpy(&p[132], "desc", 4);
    set_u32(&p[136], 144);
    Bytes tag = text_bytes("desc");
    tag.resize(12);
    set_u32(&tag[8], (uint32_t)description.size() + 1);
    tag.insert(tag.end(), description.begin(), description.end());
    tag.push_back(0);
    set_u32(&p[140], (uint32_t)tag.size());
    p.insert(p.end(), tag.begin(), tag.end());
    set_u32(&p[0], (uint32_t)p.size());
    return p;
}
