// Arbitrary bytes as the data of one chunk of every type the inspector decodes:
// the first byte picks the type, the second the image's colour type (or none),
// the rest is the data, held in a block of exactly its size so that a read past
// it is seen. The text must be well-formed UTF-8 and stay within a bound set by
// the data's size, whatever the bytes.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "fuzz_support.h"
#include "present/chunk_fields.h"
#include "present/text_codec.h"

namespace {

const char* const TYPES[] = {
    "IHDR", "PLTE", "IDAT", "IEND", "tRNS", "cHRM", "gAMA", "iCCP", "sBIT", "sRGB", "cICP", "mDCV",
    "cLLI", "tEXt", "zTXt", "iTXt", "bKGD", "hIST", "pHYs", "sPLT", "eXIf", "tIME", "acTL", "fcTL",
    "fdAT", "iDOT", "oFFs", "pCAL", "sCAL", "sTER", "gIFg", "gIFx", "gIFt", "vpAg", "ABCD", "zzzz",
};
const size_t TYPE_COUNT = sizeof TYPES / sizeof TYPES[0];

// A decoded text or profile is kept up to its own limit; everything else is
// lines per entry or field, each a bounded number of bytes per data byte.
const size_t TEXT_PER_DATA_BYTE = 160;
const size_t TEXT_BOUND_BASE = INSPECT_PROFILE_KEEP * 4 + INSPECT_TEXT_KEEP * 4 + 65536;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size < 2) {
        return 0;
    }
    size_t length = size - 2;
    uint8_t* data = (uint8_t*)malloc(length ? length : 1);
    memcpy(data, bytes + 2, length);
    ChunkRecord record = {};
    memcpy(record.type, TYPES[bytes[0] % TYPE_COUNT], 4);
    record.length = (uint32_t)length;
    record.data = data;
    int colour = bytes[1] % 8;
    FieldContext context = {colour == 7 ? -1 : colour, -1};

    TextBuilder out = {};
    describe_fields(&out, record, context);
    describe_dump(&out, record.data, record.length);
    fuzz_require(!out.failed, "the text ran out of memory");
    if (out.text) {
        fuzz_require(strlen(out.text) == out.used, "a zero byte inside the text");
        fuzz_require(is_valid_utf8((const uint8_t*)out.text, out.used), "the text is not UTF-8");
        fuzz_require(out.used <= TEXT_BOUND_BASE + TEXT_PER_DATA_BYTE * length, "the text outgrew its bound");
    }
    text_free(&out);
    free(data);
    return 0;
}
