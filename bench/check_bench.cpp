// Times the whole check of files the loader takes (under 4 MiB): a 1000 x 1000
// RGBA image of random rows (its IDAT stream about 4 MB, in 8 KiB chunks, with
// text around it; once more with a bad filter byte in its last row), a small file whose IDAT inflates to just under the 64 MiB the
// check follows, and the largest table (349,524 empty private chunks). Run by
// scripts/bench.sh with --benchmark_filter=BM_Check.
#include <benchmark/benchmark.h>

#include <random>

#include "check/check.h"
#include "check/check_fixtures.h"

namespace {

// `last_filter`: the filter byte of the last row (above 4: a fault found at the
// end of the stream).
Bytes random_image_file(uint8_t last_filter = 4)
{
    const uint32_t side = 1000;
    Bytes rows;
    std::mt19937 rng(7);
    for (uint32_t r = 0; r < side; r++) {
        rows.push_back(r + 1 == side ? last_filter : (uint8_t)(r % 5));
        for (uint32_t k = 0; k < side * 4; k++) rows.push_back((uint8_t)rng());
    }
    Bytes stream = deflated(rows, 1);
    std::vector<Bytes> chunks = {ihdr_of(6, 8, 0, side), make_chunk("tEXt", text_bytes(std::string("Title\0x", 7))),
                                 make_chunk("zTXt", cat({text_bytes(std::string("Comment\0\0", 9)),
                                                         deflated(Bytes(1000, 'a'))}))};
    for (size_t at = 0; at < stream.size(); at += 8192) {
        size_t end = at + 8192 < stream.size() ? at + 8192 : stream.size();
        chunks.push_back(make_chunk("IDAT", Bytes(stream.begin() + (long)at, stream.begin() + (long)end)));
    }
    chunks.push_back(iend());
    return make_png(chunks);
}

// The most inflating any file may ask the check to follow: 4000 x 4000 RGBA of
// zeros, 64,004,000 bytes of rows, just under the stream cap.
Bytes image_at_the_cap_file()
{
    const uint32_t side = 4000;
    Bytes rows((size_t)side * (1 + side * 4), 0);
    return make_png({ihdr_of(6, 8, 0, side), make_chunk("IDAT", deflated(rows, 9)), iend()});
}

Bytes largest_table_file()
{
    std::vector<Bytes> chunks = {ihdr_of(2), idat_of(2)};
    while ((chunks.size() + 1) * 12 + 8 + 13 < PNG_SIZE_LIMIT - 12 - 64) chunks.push_back(make_chunk("prIv", {}));
    chunks.push_back(iend());
    return make_png(chunks);
}

void run_check(benchmark::State& state, const Bytes& file)
{
    AlertLog log;
    if (load_bytes(file) != LOAD_OK) {
        state.SkipWithError("the file does not load");
        return;
    }
    int32_t found = 0;
    for (auto _ : state) {
        FindingList list = FindingList();
        check_document(&list);
        found = list.count;
        findings_free(&list);
    }
    state.counters["chunks"] = g_document.count;
    state.counters["findings"] = found;
    state.counters["file_MiB"] = (double)file.size() / (1 << 20);
    release_document();
}

void BM_CheckImage4MiB(benchmark::State& state)
{
    static const Bytes file = random_image_file();
    run_check(state, file);
}
BENCHMARK(BM_CheckImage4MiB)->Unit(benchmark::kMillisecond);

// The same image whose last row has a bad filter byte: the stream is inflated once
// all the same, the fault noted on the way.
void BM_CheckImage4MiBBadLastFilter(benchmark::State& state)
{
    static const Bytes file = random_image_file(9);
    run_check(state, file);
}
BENCHMARK(BM_CheckImage4MiBBadLastFilter)->Unit(benchmark::kMillisecond);

void BM_CheckImageAtTheCap(benchmark::State& state)
{
    static const Bytes file = image_at_the_cap_file();
    run_check(state, file);
}
BENCHMARK(BM_CheckImageAtTheCap)->Unit(benchmark::kMillisecond);

void BM_CheckLargestTable(benchmark::State& state)
{
    static const Bytes file = largest_table_file();
    run_check(state, file);
}
BENCHMARK(BM_CheckLargestTable)->Unit(benchmark::kMillisecond);

}  // namespace
