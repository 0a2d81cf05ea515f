// Times the repair search on chunks that no single byte repairs (the whole length is
// searched), from 1 KiB to 4 MiB, and the plain exhaustive search on 1 KiB and 8 KiB
// in the same run; then prints the time per byte of every size and how many times
// faster the search is than the plain one. Then the parts that decide a repair:
// every candidate of a 4 MiB chunk, the check of one candidate against a 4 MiB IDAT
// run (random rows, and rows that deflate to about 60%), every candidate of a
// 4 MiB IDAT that several changes explain, and the search for
// lost IHDR dimensions over a stream of 64,008,000 bytes (the cap's worth).
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <unistd.h>

#include <map>
#include <random>
#include <string>

#include "document/byte_order.h"
#include "repair/ihdr_search.h"
#include "repair/plain_search.h"
#include "repair/repair_harness.h"
#include "repair/structure_check.h"

namespace {

// Ports that cost what a function call costs: the clock moves one millisecond per
// reading (so the progress is refreshed about every thousand positions), events and
// boxes do nothing, the question answers No so that the chunk stays damaged.
uint32_t s_clock;
int s_found;

void quiet_enable(void*, int) {}
void quiet_open(void*) {}
void quiet_number(void*, int, uint32_t) {}
void quiet_text(void*, int, const char*) {}
uint32_t quiet_clock(void*) { return s_clock++; }
void quiet_pump(void*) {}
void quiet_info(void*, const char*, const char*) { s_found = 1; }
int quiet_ask(void*, const char*, const char*) { return 0; }
void quiet_close(void*) {}
int32_t quiet_choose(void*, const RepairOffer&) { s_found = 1; return REPAIR_CHOICE_LEAVE; }

const RepairPorts QUIET_PORTS = {nullptr,    quiet_enable, quiet_open, quiet_number, quiet_text,
                                 quiet_clock, quiet_pump,  quiet_info, quiet_ask,    quiet_close,
                                 quiet_choose};

// Puts a damaged chunk of `length` random bytes into the document, with a stored CRC
// that no single byte explains (checked, and drawn again in the rare case one does).
void install_unrepairable(uint32_t length)
{
    static const uint8_t type[4] = {'I', 'D', 'A', 'T'};
    std::mt19937 rng(length);
    std::vector<uint8_t> data(length);
    for (uint8_t& b : data) b = (uint8_t)rng();
    uint32_t crc = repair_crc_of(type, data);
    for (;;) {
        install_repair_document(type, data, crc ^ (rng() | 1));
        s_found = 0;
        repair_chunk(0, QUIET_PORTS);
        if (!s_found) {
            return;
        }
    }
}

void run_search(benchmark::State& state, void (*repair)(int32_t, const RepairPorts&))
{
    uint32_t length = (uint32_t)state.range(0);
    install_unrepairable(length);
    for (auto _ : state) {
        repair(0, QUIET_PORTS);
    }
    if (s_found) {
        state.SkipWithError("the chunk was repaired");
    }
    state.SetBytesProcessed((int64_t)state.iterations() * length);
    state.SetComplexityN(length);
    release_document();
}

void BM_Search(benchmark::State& state) { run_search(state, repair_chunk); }
void BM_PlainSearch(benchmark::State& state) { run_search(state, plain_repair_chunk); }

BENCHMARK(BM_Search)
    ->Unit(benchmark::kMicrosecond)
    ->Arg(1 << 10)->Arg(8 << 10)->Arg(64 << 10)->Arg(1 << 20)->Arg(4 << 20)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_PlainSearch)->Unit(benchmark::kMillisecond)->Arg(1 << 10)->Iterations(3);
BENCHMARK(BM_PlainSearch)->Unit(benchmark::kMillisecond)->Arg(8 << 10)->Iterations(1);

void BM_Candidates(benchmark::State& state)
{
    install_unrepairable((uint32_t)state.range(0));
    RepairCandidate list[8];
    for (auto _ : state) {
        benchmark::DoNotOptimize(find_repair_candidates(0, list, 8));
    }
    release_document();
}
BENCHMARK(BM_Candidates)->Unit(benchmark::kMillisecond)->Arg(4 << 20);

// IHDR data of an 8-bit grey image.
std::vector<uint8_t> grey_ihdr(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> ihdr(13, 0);
    write_u32(ihdr.data(), width);
    write_u32(ihdr.data() + 4, height);
    ihdr[8] = 8;
    return ihdr;
}

// IHDR, one IDAT of about 4 MiB, IEND: rows of random bytes (arg 0), or of a
// gradient with noise that deflates to about 60% (arg 1).
void install_large_image(int noisy)
{
    uint32_t height = noisy ? 1720 : 1020;
    std::vector<uint8_t> ihdr = grey_ihdr(4095, height);
    ImageLayout layout;
    layout_from_ihdr(ihdr.data(), 13, &layout);
    std::vector<uint8_t> rows = image_rows(layout, 3, true);
    if (noisy) {
        for (size_t k = 0; k < rows.size(); k++) {
            if (k % 4096) rows[k] = (uint8_t)(k / 4096 + (rows[k] & 15));  // not the filter bytes
        }
    }
    install_chunks({{"IHDR", ihdr}, {"IDAT", deflated(rows, 6)}, {"IEND", {}}});
}

void BM_IdatCheck(benchmark::State& state)
{
    install_large_image((int)state.range(0));
    const ChunkRecord& idat = g_document.records[1];
    RepairCandidate candidate = {idat.length / 2, idat.data[idat.length / 2], idat.data[idat.length / 2], 0};
    int32_t check = REPAIR_CHECK_NONE;
    for (auto _ : state) {
        check = check_repair_candidate(1, candidate);
    }
    if (check != REPAIR_CHECK_PASSED) {
        state.SkipWithError("the stream was not followed to its end");
    }
    state.counters["IDAT bytes"] = idat.length;
    state.counters["inflated bytes"] = (double)idat_inflated_size();
    release_document();
}
BENCHMARK(BM_IdatCheck)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

// Every candidate of a 4 MiB IDAT (rows deflated to 60%) damaged at byte 3,000,000 by 169:
// a change by 248 at 145,212 bytes in front of it has the same effect on the CRC,
// so two candidates at least, the false one first. Each one's stream is followed
// (the false one until it breaks, the true one to the run's end).
void BM_IdatCandidates(benchmark::State& state)
{
    install_large_image(1);
    damage_byte(1, 3000000, 169);
    RepairCandidate list[8];
    int32_t total = 0;
    for (auto _ : state) {
        total = find_repair_candidates(1, list, 8);
    }
    int passed = 0;
    for (int32_t k = 0; k < total && k < 8; k++) passed += list[k].check == REPAIR_CHECK_PASSED;
    if (total < 2 || passed != 1) state.SkipWithError("not two candidates, one of them passing");
    state.counters["candidates"] = total;
    release_document();
}
BENCHMARK(BM_IdatCandidates)->Unit(benchmark::kMillisecond);

void BM_IhdrSearch(benchmark::State& state)
{
    std::vector<uint8_t> ihdr = grey_ihdr(8000, 8000);
    ImageLayout layout;
    layout_from_ihdr(ihdr.data(), 13, &layout);
    install_chunks({{"IHDR", ihdr}, {"IDAT", deflated(image_rows(layout, 1, false), 1)}, {"IEND", {}}});
    damage_byte(0, 5, 0x11);  // the height's middle byte edited, the CRC left
    uint32_t widths[4], heights[4];
    int32_t pairs = 0;
    for (auto _ : state) {
        pairs = find_ihdr_dimensions(widths, heights, 4);
    }
    if (pairs < 1 || widths[0] != 8000 || heights[0] != 8000) {
        state.SkipWithError("the true dimensions were not found");
    }
    release_document();
}
BENCHMARK(BM_IhdrSearch)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps the seconds per search of every run, by name, for the closing figures.
struct Collector : benchmark::ConsoleReporter {
    // Colours only on a terminal, so that saved figures stay plain text.
    Collector() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                seconds[run.benchmark_name()] = run.real_accumulated_time / (double)run.iterations;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double find(const std::string& prefix) const
    {
        for (const auto& entry : seconds) {
            if (entry.first.rfind(prefix, 0) == 0) return entry.second;
        }
        return 0;
    }
    std::map<std::string, double> seconds;
};

void print_figures(const Collector& collector)
{
    static const struct {
        const char* name;
        uint32_t length;
    } sizes[] = {{"1 KiB", 1 << 10}, {"8 KiB", 8 << 10}, {"64 KiB", 64 << 10}, {"1 MiB", 1 << 20}, {"4 MiB", 4 << 20}};
    printf("\nUnrepairable search, whole length searched:\n");
    for (const auto& size : sizes) {
        std::string arg = "/" + std::to_string(size.length);
        double fast = collector.find("BM_Search" + arg);
        double plain = collector.find("BM_PlainSearch" + arg);
        if (fast <= 0) continue;
        printf("  %-7s %12.3f ms  %7.2f ns/byte", size.name, fast * 1e3, fast * 1e9 / size.length);
        if (plain > 0) {
            printf("   plain %10.1f ms   %.0f times faster", plain * 1e3, plain / fast);
        }
        printf("\n");
    }
    printf("\nDeciding a repair:\n");
    printf("  every candidate of a 4 MiB chunk   %10.3f ms\n", collector.find("BM_Candidates") * 1e3);
    printf("  check of one candidate, 4 MiB IDAT %10.3f ms (random rows), %.3f ms (rows deflated to 60%%)\n",
           collector.find("BM_IdatCheck/0") * 1e3, collector.find("BM_IdatCheck/1") * 1e3);
    printf("  every candidate checked, 4 MiB IDAT %9.3f ms\n", collector.find("BM_IdatCandidates") * 1e3);
    printf("  lost IHDR dimensions, 64 MB stream %10.3f ms\n", collector.find("BM_IhdrSearch") * 1e3);
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    print_figures(collector);
    benchmark::Shutdown();
    return 0;
}
