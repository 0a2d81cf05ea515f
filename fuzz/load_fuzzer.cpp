// Arbitrary bytes as a PNG file: load it; on success ask every question of every
// chunk, make every cell and the status line, delete and merge everything the
// commands allow, save, load the saved file again, and fail a save over it. Every
// step is held to the plain account in chunk_model.h; a failed load must leave no
// document and no open file behind.
#include <stddef.h>
#include <stdint.h>

#include "document/chunk_model.h"
#include "fuzz_support.h"
#include "present/presentation_checks.h"
#include "support/memory_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size >= PNG_SIZE_LIMIT) {
        return 0;
    }
    static MemoryFiles* folder = new MemoryFiles;  // lives as long as the process
    folder->files.clear();
    folder->files["in.png"].assign(bytes, bytes + size);
    g_fuzz_alerts = 0;

    ChunkList chunks;
    bool not_png = false;
    bool complete = model_parse(bytes, size, &chunks, &not_png);
    int result = load_png("in.png");
    fuzz_require(folder->open_handles == 0, "the file was left open");
    if (!complete) {
        fuzz_require(result == (not_png ? LOAD_NOT_PNG : LOAD_READ_FAILED), "wrong result for a broken file");
        fuzz_require(g_fuzz_alerts == 1, "not exactly one box for a broken file");
        fuzz_require(empty_document_faults());
        return 0;
    }
    fuzz_require(result == LOAD_OK, "a complete file does not load");
    fuzz_require(g_fuzz_alerts == 0, "a box on success");
    fuzz_require(document_faults(chunks));
    fuzz_require(predicate_faults());
    fuzz_require(presentation_faults());

    slim_document_from_the_back();
    ChunkList slim = model_slim(chunks);
    fuzz_require(document_faults(slim));
    fuzz_require(g_document.count > 0 && memcmp(g_document.records[g_document.count - 1].type, "IEND", 4) == 0,
                 "the last chunk is no longer IEND");
    fuzz_require(presentation_faults());

    fuzz_require(save_png("out.png") == SAVE_OK, "save failed");
    fuzz_require(folder->open_handles == 0, "the saved file was left open");
    fuzz_require(folder->files.size() == 2, "a temporary file was left behind");
    fuzz_require(folder->files["out.png"] == model_file(slim), "the saved bytes differ");
    fuzz_require(load_png("out.png") == LOAD_OK, "the saved file does not load");
    fuzz_require(document_faults(slim));

    // A save over that file which stops short, at a point the input chooses, must
    // leave it as it was and no temporary file beside it.
    std::vector<uint8_t> saved = folder->files["out.png"];
    folder->write_budget = (int64_t)((bytes[size / 2] * 131u + size) % saved.size());
    fuzz_require(save_png("out.png") == SAVE_WRITE_FAILED, "a short write was not reported");
    folder->write_budget = -1;
    fuzz_require(folder->files.size() == 2 && folder->files["out.png"] == saved, "a failed save lost the file");
    fuzz_require(folder->open_handles == 0, "a failed save left a file open");
    release_document();
    fuzz_require(empty_document_faults());
    fuzz_require(presentation_faults());
    return 0;
}
