// Inside the rescue: building the result's lists, and lending them to the
// trusted repair's checks (which read the one document).
#pragma once
#include <stdint.h>

#include "document/byte_order.h"
#include "rescue.h"

// A copy with its own data (at least one byte allocated); 0 when memory runs out.
int copy_record(const ChunkRecord& from, ChunkRecord* to);
// A fresh record of these bytes with its computed CRC; 0 when memory runs out.
int make_record(const uint8_t* type, const uint8_t* data, uint32_t length, uint32_t stored_crc, ChunkRecord* out);

// Takes ownership of record.data; returns the index, or -1 (data freed) when memory runs out.
int32_t add_chunk(RescueResult* result, ChunkRecord record, uint64_t offset, int32_t origin);
// Takes ownership of the replacement; sets the default acceptance; -1 when memory runs out.
int32_t add_finding(RescueResult* result, const RescueFinding& finding);
RescueFinding file_finding(int32_t kind, int32_t certainty, uint64_t offset, uint32_t a = 0, uint32_t b = 0,
                           uint32_t c = 0);

// While alive, g_document is the result's chunk list (chunk `index` optionally
// replaced by `stand_in`), so that the repair's checks can read it; the real
// document comes back on destruction. Nothing may release g_document meanwhile.
struct DocumentLoan {
    DocumentLoan(const RescueResult& result, int32_t index = -1, const ChunkRecord* stand_in = nullptr);
    ~DocumentLoan();
    ChunkDocument saved;
    int32_t       index;
    ChunkRecord   original;
};

// Whole-record check against the structure its type prescribes (RepairCheck):
// the IDAT run's stream (with the image's rows), a compressed text's or profile's
// stream, IHDR's fields. `candidate` stands in for chunk `index`.
int32_t record_check(const RescueResult& result, int32_t index, const ChunkRecord& candidate);

// Registered chunk types (the standard's and its extensions').
int registered_type(const uint8_t* type);
int letters_only(const uint8_t* type);

inline int is_chunk_type(const uint8_t* type, const char* name)
{
    return type_word(type) == type_word(name);
}
