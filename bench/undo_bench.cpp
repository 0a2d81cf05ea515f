// Undo and redo on the largest table: 349,524 chunks of no data (the most a file
// under 4 MiB holds), 100 steps that each delete one tEXt chunk. Prints what the
// history holds after the steps (it must stay within 256 MiB), the time of a step
// and of one undo and one redo, as figures, not as a timed test.
#include <stdio.h>

#include <chrono>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/undo_history.h"
#include "support/test_support.h"

namespace {

const int CHUNKS = 349524;
const int STEPS = 100;
const int MOVES = 20;

Bytes largest_file()
{
    std::vector<Bytes> middle;
    for (int i = 1; i < CHUNKS - 1; i++) middle.push_back(make_chunk(i % 2 ? "tEXt" : "IDAT", {}));
    Bytes png = make_png({make_chunk("IHDR", {})});
    for (const Bytes& chunk : middle) png.insert(png.end(), chunk.begin(), chunk.end());
    Bytes iend = make_chunk("IEND", {});
    png.insert(png.end(), iend.begin(), iend.end());
    return png;
}

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main()
{
    TempDir dir;
    write_file(dir.path("largest.png"), largest_file());
    if (load_png(dir.path("largest.png").c_str()) != LOAD_OK || g_document.count != CHUNKS) {
        fprintf(stderr, "the largest table did not load\n");
        return 1;
    }
    auto start = std::chrono::steady_clock::now();
    for (int step = 0; step < STEPS; step++) {
        int32_t row = 1 + step;   // the first tEXt chunk: after k steps, k IDAT chunks come before it
        begin_step(STEP_DELETE);
        edit_rows(ROW_EDIT_DELETE, &row, 1, nullptr);
        if (end_step() != STEP_RECORDED) {
            fprintf(stderr, "step %d was not recorded\n", step);
            return 1;
        }
    }
    double steps = seconds_since(start);
    printf("%d steps on %d chunks: %.1f MiB of history (bound 256 MiB), %.1f ms a step\n", STEPS, CHUNKS,
           undo_memory_used() / 1048576.0, steps * 1000 / STEPS);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < MOVES; i++) undo_last_edit();
    double undo = seconds_since(start) / MOVES;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < MOVES; i++) redo_edit();
    double redo = seconds_since(start) / MOVES;
    printf("undo of a step: %.1f ms, redo: %.1f ms\n", undo * 1000, redo * 1000);
    release_document();
    return 0;
}
