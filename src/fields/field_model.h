// The typed field model: one plain struct per chunk type, a parse that reads a
// chunk's data into it and a serialize that writes it back, beside each other.
// The inspector, the editors, the check and the command line all go through them,
// so that every rule about a chunk's bytes is written once.
//
// Parsing reads the fields in file order as far as the bytes allow and returns the
// first fault it meets:
//  - a layout fault (field_layout_read() is 0): the fields before the fault are
//    filled, those after it are zero (PLTE with FIELD_LENGTH_STEP still holds its
//    whole entries);
//  - a value fault: every field is filled and the result names the first value
//    outside its range (the remaining values can be checked with the field checks).
// Serializing checks the fields with the same checks and refuses (returns the same
// result as parse would, writes nothing) what parse would reject; on FIELD_OK it
// gives a fresh allocation. serialize(parse(x)) == x whenever parse gives FIELD_OK.
//
// Ownership: the structs own nothing. Variable-length parts (palette entries,
// keywords, texts, compressed streams) are (pointer, length) pairs that borrow the
// bytes they were parsed from (the record's data) or, when built by an editor, the
// editor's own buffers; they stay valid as long as those bytes do. Compressed parts
// are kept compressed; field_zlib.h turns them into text and back.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "document/chunk_file.h"

enum FieldResult {
    FIELD_OK = 0,
    // Layout faults: the bytes cannot be read as the fields.
    FIELD_WRONG_LENGTH,        // not the one length the type has
    FIELD_TOO_SHORT,           // shorter than the type's fixed part
    FIELD_LENGTH_STEP,         // not a whole number of entries
    FIELD_NO_KEYWORD_END,      // no zero byte after the keyword (or profile, palette, calibration name)
    FIELD_NO_LANGUAGE_END,     // iTXt: no zero byte after the language tag
    FIELD_NO_TRANSLATED_END,   // iTXt: no zero byte after the translated keyword
    FIELD_NO_UNIT_END,         // pCAL: no zero byte after the unit name
    FIELD_NO_SEPARATOR,        // sCAL: no zero byte between width and height
    FIELD_UNKNOWN_LAYOUT,      // tRNS, bKGD, sBIT: the image's colour type is unknown or forbids the chunk
    FIELD_LAST_LAYOUT_FAULT = FIELD_UNKNOWN_LAYOUT,
    // Value faults: every field was read; this one is out of range.
    FIELD_BAD_DIMENSION,       // a width or height of 0 or above 2^31 - 1
    FIELD_BAD_BIT_DEPTH,       // a bit depth the colour type does not allow
    FIELD_BAD_COLOUR_TYPE,
    FIELD_BAD_METHOD,          // a compression or filter method other than 0
    FIELD_BAD_INTERLACE,
    FIELD_BAD_PALETTE_SIZE,    // PLTE: 0 or more than 256 (or than the bit depth allows) entries
    FIELD_BAD_INDEX,           // bKGD: a palette index past the palette; tRNS: more entries than it
    FIELD_BAD_SAMPLE,          // a sample value the bit depth cannot hold (bKGD, tRNS, sBIT)
    FIELD_BAD_KEYWORD,         // breaks the keyword rules (text_rules.h)
    FIELD_NOT_LATIN1,          // tEXt, zTXt: a byte a text may not hold
    FIELD_NOT_UTF8,            // iTXt: translated keyword or text
    FIELD_BAD_LANGUAGE,        // iTXt: not a language tag
    FIELD_BAD_FLAG,            // iTXt: a compression flag other than 0 and 1
    FIELD_BAD_ZERO,            // a value that must not be 0 (gAMA, acTL frames, fcTL size, pHYs)
    FIELD_TOO_LARGE,           // a four-byte value above 2^31 - 1
    FIELD_BAD_UNIT,            // pHYs, oFFs, sCAL, pCAL: an undefined unit or equation type
    FIELD_BAD_INTENT,          // sRGB
    FIELD_BAD_MATRIX,          // cICP: matrix coefficients other than 0 (PNG holds RGB only)
    FIELD_BAD_RANGE_FLAG,      // cICP: full range flag other than 0 and 1
    FIELD_BAD_DATE,            // tIME: a month, day, hour, minute or second out of the calendar
    FIELD_BAD_DISPOSE,         // fcTL, gIFg
    FIELD_BAD_BLEND,           // fcTL
    FIELD_BAD_NUMBER,          // sCAL, pCAL: not a floating-point number as PNG writes them
    FIELD_BAD_MODE,            // sTER, gIFg user input flag
    FIELD_BAD_PARAMETERS,      // pCAL: wrong number of parameters for the equation, or equal x0 and x1
    FIELD_NO_MEMORY,           // serialize only: the bytes could not be allocated
    FIELD_RESULT_COUNT
};

// 1 when the result leaves every field filled (FIELD_OK or a value fault).
inline int field_layout_read(int result)
{
    return result == FIELD_OK || (result > FIELD_LAST_LAYOUT_FAULT && result != FIELD_NO_MEMORY);
}
// The result's name in C ("FIELD_BAD_KEYWORD"), for logs, tests and --json.
const char* field_result_name(int result);

// What the layout of tRNS, bKGD and sBIT (and the ranges of their values, and of
// PLTE's size) depends on: from the image's IHDR and PLTE. -1 where unknown; an
// unknown depth or palette size skips the checks that need it.
struct ImageLayout {
    int colour_type;
    int bit_depth;
    int palette_entries;
};
const ImageLayout UNKNOWN_LAYOUT = {-1, -1, -1};

// A run of bytes a struct points at (see Ownership above).
struct FieldSpan {
    const uint8_t* bytes;
    uint32_t       length;
};

// Serialized data: allocated with zero_alloc, owned by the caller (field_bytes_free).
struct FieldBytes {
    uint8_t* data;
    uint32_t length;
};
void field_bytes_free(FieldBytes* bytes);

// The largest four-byte value PNG allows.
const uint32_t PNG_INT_MAX = 0x7FFFFFFFu;

struct IhdrFields {
    uint32_t width, height;
    uint8_t  bit_depth, colour_type, compression, filter, interlace;
};
struct PlteFields {
    FieldSpan entries;     // three bytes (R, G, B) an entry
    uint32_t  count;       // entries.length / 3
};
// tRNS: one gray or one RGB sample (16-bit), or one alpha byte per palette entry.
struct TrnsFields {
    uint16_t  gray, red, green, blue;
    FieldSpan alphas;      // colour type 3
};
struct BkgdFields {
    uint16_t gray, red, green, blue;
    uint8_t  index;        // colour type 3
};
struct SbitFields {
    uint8_t bits[4];       // gray or R, G, B, then alpha; `count` of them
    uint8_t count;
};
struct GamaFields {
    uint32_t gamma;        // times 100,000
};
struct ChrmFields {
    uint32_t white_x, white_y, red_x, red_y, green_x, green_y, blue_x, blue_y;   // times 100,000
};
struct SrgbFields {
    uint8_t intent;
};
struct IccpFields {
    FieldSpan name;
    uint8_t   method;
    FieldSpan profile;     // the zlib stream, kept compressed
};
struct PhysFields {
    uint32_t x, y;
    uint8_t  unit;         // 0 unknown (aspect ratio only), 1 metre
};
struct TimeFields {
    uint16_t year;
    uint8_t  month, day, hour, minute, second;
};
struct TextFields {        // tEXt
    FieldSpan keyword, text;
};
struct ZtxtFields {
    FieldSpan keyword;
    uint8_t   method;
    FieldSpan compressed;
};
struct ItxtFields {
    FieldSpan keyword;
    uint8_t   flag, method;
    FieldSpan language, translated;
    FieldSpan text;        // UTF-8, or the zlib stream when flag is 1
};
struct CicpFields {
    uint8_t primaries, transfer, matrix, full_range;
};
struct MdcvFields {
    uint16_t red_x, red_y, green_x, green_y, blue_x, blue_y, white_x, white_y;   // steps of 0.00002
    uint32_t max_luminance, min_luminance;                                       // steps of 0.0001 cd/m2
};
struct ClliFields {
    uint32_t max_cll, max_fall;    // steps of 0.0001 cd/m2
};
struct ActlFields {
    uint32_t frames, plays;        // plays 0: forever
};
struct FctlFields {
    uint32_t sequence, width, height, x, y;
    uint16_t delay_numerator, delay_denominator;   // denominator 0 stands for 100
    uint8_t  dispose, blend;
};
struct OffsFields {
    int32_t x, y;
    uint8_t unit;          // 0 pixel, 1 micrometre
};
// pCAL: the parameters are `count` ASCII numbers separated by zero bytes.
struct PcalFields {
    FieldSpan name;
    int32_t   x0, x1;
    uint8_t   equation;    // 0 linear, 1 exponential, 2 arbitrary base, 3 hyperbolic
    uint8_t   count;
    FieldSpan unit;
    FieldSpan parameters;
};
struct ScalFields {
    uint8_t   unit;        // 1 metre, 2 radian
    FieldSpan width, height;   // ASCII numbers
};
struct SterFields {
    uint8_t mode;          // 0 cross-fuse, 1 diverging-fuse
};
struct GifgFields {
    uint8_t  dispose, user_input;
    uint16_t delay;        // hundredths of a second
};
struct GifxFields {
    uint8_t   identifier[8], authentication[3];
    FieldSpan data;
};

// Parse from a chunk's data, serialize into a fresh allocation. Each pair is the
// one reading and writing of its type in the program.
int parse_ihdr(const uint8_t* data, uint32_t length, IhdrFields* fields);
int serialize_ihdr(const IhdrFields& fields, FieldBytes* out);
int parse_plte(const uint8_t* data, uint32_t length, const ImageLayout& layout, PlteFields* fields);
int serialize_plte(const PlteFields& fields, const ImageLayout& layout, FieldBytes* out);
int parse_trns(const uint8_t* data, uint32_t length, const ImageLayout& layout, TrnsFields* fields);
int serialize_trns(const TrnsFields& fields, const ImageLayout& layout, FieldBytes* out);
int parse_bkgd(const uint8_t* data, uint32_t length, const ImageLayout& layout, BkgdFields* fields);
int serialize_bkgd(const BkgdFields& fields, const ImageLayout& layout, FieldBytes* out);
int parse_sbit(const uint8_t* data, uint32_t length, const ImageLayout& layout, SbitFields* fields);
int serialize_sbit(const SbitFields& fields, const ImageLayout& layout, FieldBytes* out);
int parse_gama(const uint8_t* data, uint32_t length, GamaFields* fields);
int serialize_gama(const GamaFields& fields, FieldBytes* out);
int parse_chrm(const uint8_t* data, uint32_t length, ChrmFields* fields);
int serialize_chrm(const ChrmFields& fields, FieldBytes* out);
int parse_srgb(const uint8_t* data, uint32_t length, SrgbFields* fields);
int serialize_srgb(const SrgbFields& fields, FieldBytes* out);
int parse_iccp(const uint8_t* data, uint32_t length, IccpFields* fields);
int serialize_iccp(const IccpFields& fields, FieldBytes* out);
int parse_phys(const uint8_t* data, uint32_t length, PhysFields* fields);
int serialize_phys(const PhysFields& fields, FieldBytes* out);
int parse_time(const uint8_t* data, uint32_t length, TimeFields* fields);
int serialize_time(const TimeFields& fields, FieldBytes* out);
int parse_text(const uint8_t* data, uint32_t length, TextFields* fields);
int serialize_text(const TextFields& fields, FieldBytes* out);
int parse_ztxt(const uint8_t* data, uint32_t length, ZtxtFields* fields);
int serialize_ztxt(const ZtxtFields& fields, FieldBytes* out);
int parse_itxt(const uint8_t* data, uint32_t length, ItxtFields* fields);
int serialize_itxt(const ItxtFields& fields, FieldBytes* out);
int parse_cicp(const uint8_t* data, uint32_t length, CicpFields* fields);
int serialize_cicp(const CicpFields& fields, FieldBytes* out);
int parse_mdcv(const uint8_t* data, uint32_t length, MdcvFields* fields);
int serialize_mdcv(const MdcvFields& fields, FieldBytes* out);
int parse_clli(const uint8_t* data, uint32_t length, ClliFields* fields);
int serialize_clli(const ClliFields& fields, FieldBytes* out);
int parse_actl(const uint8_t* data, uint32_t length, ActlFields* fields);
int serialize_actl(const ActlFields& fields, FieldBytes* out);
int parse_fctl(const uint8_t* data, uint32_t length, FctlFields* fields);
int serialize_fctl(const FctlFields& fields, FieldBytes* out);
int parse_offs(const uint8_t* data, uint32_t length, OffsFields* fields);
int serialize_offs(const OffsFields& fields, FieldBytes* out);
int parse_pcal(const uint8_t* data, uint32_t length, PcalFields* fields);
int serialize_pcal(const PcalFields& fields, FieldBytes* out);
int parse_scal(const uint8_t* data, uint32_t length, ScalFields* fields);
int serialize_scal(const ScalFields& fields, FieldBytes* out);
int parse_ster(const uint8_t* data, uint32_t length, SterFields* fields);
int serialize_ster(const SterFields& fields, FieldBytes* out);
int parse_gifg(const uint8_t* data, uint32_t length, GifgFields* fields);
int serialize_gifg(const GifgFields& fields, FieldBytes* out);
int parse_gifx(const uint8_t* data, uint32_t length, GifxFields* fields);
int serialize_gifx(const GifxFields& fields, FieldBytes* out);

// The value checks that parse and serialize share, for the callers that report
// every fault of a chunk rather than the first (the inspector, the check).
int ihdr_dimensions_valid(uint32_t width, uint32_t height);
int is_allowed_depth(unsigned depth, unsigned colour_type);
// The number of bytes of tRNS / bKGD / sBIT for a colour type; 0 when the type
// forbids the chunk or is unknown (tRNS of colour type 3: 0 as well, it varies).
uint32_t sample_chunk_length(uint32_t type_word_of_chunk, int colour_type);
int time_valid(const TimeFields& fields);
int days_in_month(unsigned year, unsigned month);
// An ASCII floating-point number as sCAL and pCAL hold them: optional sign (pCAL
// only: `signed_allowed`), digits with an optional point, optional exponent.
int is_png_number(const uint8_t* bytes, uint32_t length, int signed_allowed);
// How many parameters pCAL's equation type takes (0 for an undefined one).
int pcal_parameter_count(unsigned equation);
// Parameter `k` of a parsed pCAL (0 when there is no such parameter).
int pcal_parameter(const PcalFields& fields, unsigned k, FieldSpan* parameter);

// A whole record through the model: the typed fields of any of the types above,
// chosen by the record's type. `kind` names which member is filled.
enum FieldKind {
    KIND_NONE = 0,
    KIND_IHDR, KIND_PLTE, KIND_TRNS, KIND_BKGD, KIND_SBIT, KIND_GAMA, KIND_CHRM, KIND_SRGB, KIND_ICCP,
    KIND_PHYS, KIND_TIME, KIND_TEXT, KIND_ZTXT, KIND_ITXT, KIND_CICP, KIND_MDCV, KIND_CLLI, KIND_ACTL,
    KIND_FCTL, KIND_OFFS, KIND_PCAL, KIND_SCAL, KIND_STER, KIND_GIFG, KIND_GIFX,
    KIND_COUNT
};
struct AnyFields {
    int kind;
    union {
        IhdrFields ihdr; PlteFields plte; TrnsFields trns; BkgdFields bkgd; SbitFields sbit;
        GamaFields gama; ChrmFields chrm; SrgbFields srgb; IccpFields iccp; PhysFields phys;
        TimeFields time; TextFields text; ZtxtFields ztxt; ItxtFields itxt; CicpFields cicp;
        MdcvFields mdcv; ClliFields clli; ActlFields actl; FctlFields fctl; OffsFields offs;
        PcalFields pcal; ScalFields scal; SterFields ster; GifgFields gifg; GifxFields gifx;
    };
};
// The kind of a four-byte type ("pHYs" -> KIND_PHYS), KIND_NONE when the model has none.
int field_kind_of(const uint8_t* type);
// The chunk type of a kind (four letters, zero-terminated), or "" for KIND_NONE.
const char* field_kind_type(int kind);
// Parses the record by its type (FIELD_UNKNOWN_LAYOUT with kind KIND_NONE when the
// model has no such type) / serializes fields->kind.
int parse_record(const ChunkRecord& record, const ImageLayout& layout, AnyFields* fields);
int serialize_fields(const AnyFields& fields, const ImageLayout& layout, FieldBytes* out);
// The layout from a document's records: IHDR's colour type and depth (when the
// first record is a well-formed IHDR), the first PLTE's entries.
ImageLayout layout_of_records(const ChunkRecord* records, int32_t count);
