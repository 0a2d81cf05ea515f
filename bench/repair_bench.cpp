// Times the repair search on chunks that no single byte repairs (the whole length is
// searched), from 1 KiB to 4 MiB, and the plain exhaustive search on 1 KiB and 8 KiB
// in the same run; then prints the time per byte of every size and how many times
// faster the search is than the plain one.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <unistd.h>

#include <map>
#include <random>
#include <string>

#include "repair/plain_search.h"
#include "repair/repair_harness.h"

namespace {

// Ports that cost what a function call costs: the clock moves one millisecond per
// reading (so the progress is refreshed about every thousand positions), events and
// boxes do nothing, the question answers No so that the chunk stays damaged.
uint32_t s_clock;
int s_found;

void quiet_enable(void*, int) {}
void quiet_open(void*) {}
void quiet_number(int, uint32_t) {}
void quiet_text(int, const char*) {}
uint32_t quiet_clock() { return s_clock++; }
void quiet_pump() {}
void quiet_info(void*, const char*, const char*) { s_found = 1; }
int quiet_ask(void*, const char*, const char*) { return 0; }
void quiet_close() {}
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
