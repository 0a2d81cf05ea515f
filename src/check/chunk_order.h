// Where each chunk type may stand in a file and whether it may appear more than
// once: one table for the check (which reports chunks standing where they may not)
// and for the edits that insert and move chunks (which refuse such a place).
#pragma once
#include <stdint.h>

#include "document/chunk_file.h"

// Where a type stands relative to PLTE and IDAT.
enum ChunkPlace {
    PLACE_ANYWHERE,           // anywhere between IHDR and IEND
    PLACE_FIRST,              // IHDR: the first chunk
    PLACE_LAST,               // IEND: the last chunk
    PLACE_BEFORE_PLTE,        // before PLTE and before the first IDAT
    PLACE_AFTER_PLTE,         // after PLTE (when there is one) and before the first IDAT
    PLACE_BEFORE_IDAT,        // before the first IDAT
    PLACE_AFTER_IDAT,         // after the IDAT chunks
    PLACE_IDAT,               // IDAT itself: after PLTE, every IDAT in one run
};

enum ChunkCount {
    CHUNK_SINGLE,    // at most one
    CHUNK_MULTIPLE,  // any number
};

struct ChunkOrderRule {
    char    type[5];
    uint8_t place;     // ChunkPlace
    uint8_t count;     // ChunkCount
};

// Every registered type's rule, in one table.
extern const ChunkOrderRule CHUNK_ORDER_RULES[];
extern const int32_t CHUNK_ORDER_RULE_COUNT;
// The table holds fewer types than this (for counters kept per type).
const int32_t CHUNK_ORDER_RULE_LIMIT = 64;

// The rule of a registered type (the standard's, animation's, the registered
// extensions' and iDOT), or null for any other type (placed anywhere, any number).
const ChunkOrderRule* chunk_order_rule(const uint8_t* type);

// What an order decision looks at: the first PLTE and the first and last IDAT of
// a document (-1 when there is none), with one record left out.
struct OrderLandmarks {
    int32_t count;       // records in the document, the left-out one included
    int32_t skip;        // the record left out (one being moved), or -1
    int32_t first_plte;
    int32_t first_idat;
    int32_t last_idat;
};
OrderLandmarks find_landmarks(const ChunkRecord* records, int32_t count, int32_t skip);

enum OrderVerdict {
    ORDER_ALLOWED = 0,
    ORDER_NOT_FIRST,          // only IHDR stands first, and IHDR nowhere else
    ORDER_NOT_LAST,           // only IEND stands last, and IEND nowhere else
    ORDER_NEEDS_BEFORE_PLTE,
    ORDER_NEEDS_AFTER_PLTE,
    ORDER_NEEDS_BEFORE_IDAT,
    ORDER_NEEDS_AFTER_IDAT,
    ORDER_SPLITS_IDAT,        // an IDAT away from the run, or another chunk inside it
    ORDER_ONLY_ONE,           // a single type that the document already has
};

// Placement alone, relative to PLTE and IDAT: may a chunk of `type` stand in
// front of record `position` (0 to count) of the document the landmarks describe?
// The check asks it of each chunk where it stands (position = its index).
int32_t placement_verdict(const OrderLandmarks& landmarks, const uint8_t* type, int32_t position);

// The whole question for an edit: may a chunk of `type` stand in front of record
// `position` (0 to count) of this document, with record `skip` (the chunk being
// moved, or -1 for a new one) taken out? Also first and last place, the IDAT run
// (a chunk that is not IDAT may not split it) and multiplicity.
int32_t chunk_may_stand_at(const ChunkRecord* records, int32_t count, const uint8_t* type, int32_t position,
                           int32_t skip);
