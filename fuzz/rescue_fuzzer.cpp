// Arbitrary bytes as a damaged file: the rescue must never refuse, never read or
// write outside the file, and always hand back a chunk list a save can write: the
// final file parses as a PNG up to its IEND (when any chunk was found), and a
// file the strict load reads whole comes back byte for byte with nothing found
// but file facts. The first byte chooses the options: bit 0 keeps a cut stream,
// bit 1 accepts every probable finding; the rest is the file.
#include <stddef.h>
#include <stdint.h>

#include "fuzz_support.h"
#include "rescue/rescue_fixtures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size < 1 || size >= PNG_SIZE_LIMIT) {
        return 0;
    }
    int32_t mode = (bytes[0] & 1) ? RESCUE_KEEP_CUT_STREAM : RESCUE_COMPLETE_STREAM;
    Bytes file(bytes + 1, bytes + size);
    RescueOptions options = {mode, 2000, 0};
    RescueResult result;
    rescue_bytes(file.data(), file.size(), options, nullptr, &result);
    if (bytes[0] & 2) accept_probable_findings(&result, RESCUE_ACCEPTED);
    Bytes out = rescued_file(result);
    ChunkList chunks;
    bool not_png = false;
    fuzz_require(result.chunk_count == 0 || model_parse(out.data(), out.size(), &chunks, &not_png),
                 "the rescued file does not parse");
    fuzz_require(result.chunk_count == 0 || out.size() == model_file(chunks).size(),
                 "bytes behind the rescued file's IEND");
    ChunkList strict;
    if (model_parse(file.data(), file.size(), &strict, &not_png)) {
        bool damaged = false;
        for (const ModelChunk& chunk : strict) damaged |= chunk.stored_crc != chunk.computed_crc;
        if (!damaged && (bytes[0] & 1)) {
            Bytes whole = model_file(strict);
            fuzz_require(out == whole, "an intact file did not come back as it was");
        }
    }
    release_rescue_result(&result);
    return 0;
}
