// Arbitrary bytes as the data of one chunk of the field model: the first byte
// picks the type, the second the image's colour type, the third its bit depth and
// the fourth the palette size; the rest is the chunk's data. Parsing may only
// return a result; whenever it succeeds, serializing the fields must give the
// same bytes back, and parsing those must succeed again.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "fields/field_model.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size < 4) {
        return 0;
    }
    int kind = 1 + bytes[0] % (KIND_COUNT - 1);
    ImageLayout layout = {bytes[1] % 8 == 7 ? -1 : bytes[1] % 8, bytes[2] % 17, bytes[3]};
    ChunkRecord record = {};
    memcpy(record.type, field_kind_type(kind), 4);
    record.length = (uint32_t)(size - 4);
    record.data = (uint8_t*)bytes + 4;
    AnyFields fields;
    int result = parse_record(record, layout, &fields);
    fuzz_require(result >= FIELD_OK && result < FIELD_RESULT_COUNT && result != FIELD_NO_MEMORY, "no such result");
    fuzz_require(fields.kind == kind, "the wrong kind was filled");
    if (result != FIELD_OK) {
        FieldBytes refused = {};
        if (field_layout_read(result)) {
            fuzz_require(serialize_fields(fields, layout, &refused) == result, "serialize took what parse refused");
        }
        fuzz_require(refused.data == nullptr, "a refused serialize gave bytes");
        return 0;
    }
    FieldBytes out = {};
    fuzz_require(serialize_fields(fields, layout, &out) == FIELD_OK, "serialize refused what parse took");
    fuzz_require(out.length == record.length && memcmp(out.data, record.data, out.length) == 0,
                 "serialize(parse(x)) differs from x");
    ChunkRecord again = record;
    again.data = out.data;
    AnyFields second;
    fuzz_require(parse_record(again, layout, &second) == FIELD_OK, "the written bytes do not parse");
    field_bytes_free(&out);
    return 0;
}
