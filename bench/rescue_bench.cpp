// Times the rescue on files just under the size limit, one file per kind of
// damage, and the undoing of either line-ending conversion. Three originals, each
// a single IDAT: random pixels of 1150 x 1150 RGB, which deflate stores as they
// are, 1250 x 1250 RGB of 100 levels, which it codes bytes by bytes, and a
// picture of flat blocks of 1800 x 1800, which it codes with long matches. Then
// the undoing of line endings in that picture split into IDAT chunks as encoders
// write them, and in pictures of flat blocks of growing size in one IDAT.
// Each case runs in a child process, so that its peak resident memory can be
// told apart; prints one line per case: milliseconds (wall and processor), peak
// memory, whether the original came back, the findings.
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>

#include "rescue/rescue_fixtures.h"

namespace {


struct BigFile {
    Bytes file;
    size_t idat;  // header of the IDAT chunk
};

BigFile big_file(uint32_t side, uint32_t levels)
{
    std::mt19937 rng(17);
    Bytes rows;
    rows.reserve((size_t)side * (side * 3 + 1));
    for (uint32_t y = 0; y < side; y++) {
        rows.push_back(0);
        for (uint32_t x = 0; x < side * 3; x++) rows.push_back((uint8_t)(rng() % levels));
    }
    BigFile big;
    Bytes ihdr = make_chunk("IHDR", ihdr_data(side, side, 8));
    big.idat = 8 + ihdr.size();
    big.file = make_png({ihdr, make_chunk("IDAT", deflated(rows)), make_chunk("IEND", Bytes())});
    return big;
}

struct Case {
    const char* name;
    Bytes (*damage)(const BigFile& big);
};

Bytes flip(const Bytes& file, size_t at, uint8_t mask)
{
    Bytes out = file;
    out[at] ^= mask;
    return out;
}

const Case CASES[] = {
    {"intact", [](const BigFile& b) { return b.file; }},
    {"signature, two bytes", [](const BigFile& b) { return flip(flip(b.file, 1, 0x01), 3, 0x01); }},
    {"prefix of 128 bytes", [](const BigFile& b) { return spliced(b.file, 0, 0, Bytes(128, 0x55)); }},
    {"length field", [](const BigFile& b) { return flip(b.file, b.idat + 1, 0x10); }},
    {"type byte", [](const BigFile& b) { return flip(b.file, b.idat + 6, 0x02); }},
    {"CRC field, every byte",
     [](const BigFile& b) {
         Bytes out = b.file;
         for (size_t k = 0; k < 4; k++) out[out.size() - 16 + k] ^= 0x5A;
         return out;
     }},
    {"data byte", [](const BigFile& b) { return flip(b.file, b.idat + 8 + 2000000, 0x40); }},
    {"byte lost", [](const BigFile& b) { return spliced(b.file, b.idat + 8 + 1000000, 1, Bytes()); }},
    {"byte added", [](const BigFile& b) { return spliced(b.file, b.idat + 8 + 3000000, 0, Bytes{0x42}); }},
    {"cut in half", [](const BigFile& b) { return Bytes(b.file.begin(), b.file.begin() + b.file.size() / 2); }},
    {"zeroed 4 KiB",
     [](const BigFile& b) {
         Bytes out = b.file;
         std::fill(out.begin() + 2000000, out.begin() + 2000000 + 4096, 0);
         return out;
     }},
    {"CR LF turned into LF", [](const BigFile& b) { return crlf_to_lf(b.file); }},
    {"LF turned into CR LF", [](const BigFile& b) { return lf_to_crlf(b.file); }},
};

// Processor time of this process, in milliseconds: the figure that holds when
// other jobs share the machine.
double cpu_ms()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

long peak_kib()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

uint32_t bench_clock(void*)
{
    using namespace std::chrono;
    return (uint32_t)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// "restored" when the final chunk list saves as the original, byte for byte.
void run_case(const char* name, const Bytes& original, const Bytes& damaged)
{
    long before = peak_kib();
    RescuePorts ports = {nullptr, nullptr, nullptr, bench_clock};
    RescueOptions options = {RESCUE_COMPLETE_STREAM, 0, 0};
    RescueResult result;
    auto start = std::chrono::steady_clock::now();
    double cpu = cpu_ms();
    rescue_bytes(damaged.data(), damaged.size(), options, &ports, &result);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    cpu = cpu_ms() - cpu;
    long peak = peak_kib() - before;
    const char* restored = rescued_file(result) == original ? "restored" : "not restored";
    printf("%-24s %8zu bytes %7.1f ms (cpu %7.1f)  peak +%5ld KiB  %-12s outcome %d  %s\n", name, damaged.size(),
           ms, cpu, peak, restored, result.outcome, rescue_summary(result).c_str());
    release_rescue_result(&result);
}

// Runs one case in a child process.
void run_apart(const char* name, const Bytes& original, const Bytes& damaged)
{
    fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        run_case(name, original, damaged);
        fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace

int main()
{
    // Random bytes deflate stores as they are; fewer levels give coded blocks.
    BigFile blocks;
    blocks.file = blocky_png(1800, 1);
    blocks.idat = 33;
    const BigFile files[] = {big_file(1150, 256), big_file(1250, 100), blocks};
    for (const BigFile& big : files) {
        printf("file of %zu bytes (limit %u), one IDAT of %zu bytes\n", big.file.size(), PNG_SIZE_LIMIT,
               big.file.size() - big.idat - 24);
        for (const Case& c : CASES) run_apart(c.name, big.file, c.damage(big));
    }
    printf("line endings in pictures of flat blocks of 1800 x 1800, IDAT chunks of 8 and 64 KiB\n");
    for (size_t piece : {(size_t)8192, (size_t)65536}) {
        for (uint32_t seed = 1; seed <= 3; seed++) {
            Bytes original = blocky_png(1800, seed, piece);
            char name[64];
            snprintf(name, sizeof name, "%zu KiB, seed %u, CR LF -> LF", piece / 1024, seed);
            run_apart(name, original, crlf_to_lf(original));
            snprintf(name, sizeof name, "%zu KiB, seed %u, LF -> CR LF", piece / 1024, seed);
            run_apart(name, original, lf_to_crlf(original));
        }
    }
    printf("line endings in pictures of flat blocks, one IDAT\n");
    for (uint32_t side : {512u, 768u, 1024u, 1250u, 1500u, 1800u}) {
        for (uint32_t seed = 1; seed <= 3; seed++) {
            Bytes original = blocky_png(side, seed);
            char name[64];
            snprintf(name, sizeof name, "%u, seed %u, CR LF -> LF", side, seed);
            run_apart(name, original, crlf_to_lf(original));
            snprintf(name, sizeof name, "%u, seed %u, LF -> CR LF", side, seed);
            run_apart(name, original, lf_to_crlf(original));
        }
    }
    return 0;
}
