// Undo and redo on the largest table: 349,524 chunks of no data (the most a file
// under 4 MiB holds), 100 steps that each delete one tEXt chunk. Prints what the
// history holds after the steps (it must stay within 256 MiB), the time of a step
// and of one undo and one redo, as figures, not as a timed test. Then a move and
// the paste of 10,000 copied chunks as steps of their own, each undone and redone.
#include <stdio.h>

#include <chrono>

#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/chunk_ops.h"
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

// Runs `edit` as one step of `kind`, then undoes and redoes it; prints the three times.
void time_step(const char* name, StepKind kind, int (*edit)())
{
    auto start = std::chrono::steady_clock::now();
    begin_step(kind);
    int result = edit();
    StepResult recorded = end_step();
    double doing = seconds_since(start);
    if (recorded != STEP_RECORDED) {
        printf("%s: %s, no step\n", name, chunk_op_result_name(result));
        return;
    }
    start = std::chrono::steady_clock::now();
    undo_last_edit();
    double undoing = seconds_since(start);
    start = std::chrono::steady_clock::now();
    redo_edit();
    double redoing = seconds_since(start);
    printf("%s: %.1f ms, undo %.1f ms, redo %.1f ms; %.1f MiB of history\n", name, doing * 1000, undoing * 1000,
           redoing * 1000, undo_memory_used() / 1048576.0);
}

int move_last_text()
{
    int32_t row = g_document.count - 3;
    return move_rows(&g_document, &row, 1, MOVE_UP, nullptr);
}

// 10,000 tEXt chunks copied and pasted behind IHDR: after the steps that each
// deleted the first tEXt, they stand at every second row from STEPS + 1 on.
int paste_ten_thousand()
{
    std::vector<int32_t> rows;
    for (int32_t k = 0; k < 10000; k++) rows.push_back(STEPS + 1 + 2 * k);
    FieldBytes form;
    int result = copy_rows(g_document, rows.data(), (int32_t)rows.size(), CLIP_BINARY, &form);
    ChunkBatch chunks = {nullptr, 0};
    if (result == OP_DONE) result = read_clipboard(form.data, form.length, &chunks);
    if (result == OP_DONE) result = paste_chunks(&g_document, &chunks, 1, nullptr);
    chunk_batch_free(&chunks);
    field_bytes_free(&form);
    return result;
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
    time_step("move up", STEP_MOVE, move_last_text);
    time_step("paste of 10,000 chunks", STEP_PASTE, paste_ten_thousand);
    release_document();
    return 0;
}
