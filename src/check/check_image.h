// What the parts of the check share: the image's facts from IHDR, the palette
// rules, and following one compressed stream over the pieces of chunks. (The
// stream's row layout stays inside check_streams.cpp, so that this header can
// stand beside the field model's.)
#pragma once
#include <stdint.h>

#include "check.h"
#include "chunk_order.h"

struct ImageFacts {
    int      known;      // 1 when the first chunk is an IHDR of 13 bytes
    int      valid;      // 1 when its fields lay out an image
    uint32_t width, height;
    uint8_t  depth, colour, interlace;
};
// From the field model's IHDR (check_fields.cpp).
ImageFacts image_facts();
// Where the zlib stream of the zTXt, compressed iTXt or iCCP at `chunk` lies in its
// data; 0 when it has none or the model cannot read it (a method other than zlib's,
// told with the fields).
int compressed_part(int32_t chunk, uint32_t* start, uint32_t* length);
// Why the field model refused a chunk: the text of a FieldResult.
const char* field_fault_text(uint32_t result, CheckLanguage language);

// PLTE against the colour type and bit depth, and the chunks that need a palette
// or that the colour type forbids.
void check_palette_rules(const OrderLandmarks& marks, FindingList* out);

// A compressed stream spread over chunks: the chunks of type `type` from `first`
// up to (not including) `end`, each read from byte `skip` on (a chunk shorter
// than that gives nothing).
struct StreamPieces {
    int32_t  first, end;
    uint32_t type;
    uint32_t skip;
};
// Follows the stream, with the rows of a `width` x `height` image of the IHDR's
// depth, colour type and interlace when `rows` is ROWS_OF_IMAGE, and tells its
// fault (if any) at chunk `first`.
enum StreamRows {
    ROWS_UNKNOWN,
    ROWS_OF_IMAGE,
};
// Past the budget the stream is not followed (told once, at its chunk).
void check_stream(const StreamPieces& pieces, StreamRows rows, uint32_t width, uint32_t height,
                  StreamBudget* budget, FindingList* out);
