// Fields by name: for every type of the model a table of its fields (name, unit,
// range, how the value is written as text), so that `set FILE NUMBER FIELD=VALUE`
// and the editors' dialogs share the same names and checks; and the common
// conveniences (pHYs from dpi, tIME now or from text, a text chunk from a key and
// a value, the fields of a new chunk).
//
// Every value text is UTF-8. A Latin-1 field (a keyword, the text of tEXt and
// zTXt) takes the UTF-8 text when each of its characters is in Latin-1, and is
// refused otherwise (FIELD_NOT_LATIN1).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "field_model.h"

enum FieldValueType {
    VALUE_U8,           // a number in one byte
    VALUE_U16,
    VALUE_U32,
    VALUE_I32,
    VALUE_FIXED5,       // a four-byte value times 100,000: "0.3127" or the stored "31270"
    VALUE_GAMMA,        // as VALUE_FIXED5; a decimal above 1 ("2.2") is the exponent and stored inverted
    VALUE_LATIN1,       // a text span, Latin-1 in the chunk
    VALUE_KEYWORD,      // a Latin-1 span under the keyword rules
    VALUE_UTF8,         // a text span, UTF-8 in the chunk
    VALUE_LANGUAGE,     // iTXt's language tag
    VALUE_NUMBER_TEXT,  // sCAL: an ASCII floating-point number
    VALUE_ZTXT_TEXT,    // zTXt: a Latin-1 text, stored compressed
    VALUE_ITXT_TEXT,    // iTXt: a UTF-8 text, compressed when the compression flag is 1
    VALUE_ITXT_FLAG,    // iTXt: 0 or 1; changing it recodes the text
    VALUE_PARAMETERS,   // pCAL: numbers separated by commas ("0,1.5"), which also sets their count
    VALUE_ASCII_BYTES,  // gIFx: exactly `max` printable ASCII characters
};

struct FieldSpec {
    const char* name;     // as the command line and the dialogs write it: "x", "keyword"
    const char* unit;     // ASCII, "" when the value has none: "px/m", "1/100000", "s"
    int         type;     // FieldValueType
    uint32_t    offset;   // of the member in the type's struct
    int64_t     min, max; // numbers: the range; texts: the most bytes (0 for no bound)
};

// The fields of a kind in dialog order, and one of them by name (null when none).
// PLTE, tRNS of a palette image, iCCP's profile and gIFx's data are edited as
// wholes, not by name.
const FieldSpec* field_specs(int kind, size_t* count);
const FieldSpec* find_field_spec(int kind, const char* name);

// Where apply_field_text keeps the bytes its spans point at (copies of the texts,
// compressed streams): every block is the store's, freed by field_store_free; the
// fields that point into it are valid until then.
const int FIELD_STORE_BLOCKS = 32;
struct FieldStore {
    void* blocks[FIELD_STORE_BLOCKS];
    int   count;
};
void field_store_free(FieldStore* store);

enum FieldTextResult {
    TEXT_OK = 0,
    TEXT_UNKNOWN_FIELD,   // the kind has no field of that name
    TEXT_NOT_A_NUMBER,
    TEXT_OUT_OF_RANGE,    // outside [spec->min, spec->max]
    TEXT_BAD_TEXT,        // refused by the model's rule named in `fault`
    TEXT_NO_MEMORY,
};
struct FieldTextError {
    int              code;    // FieldTextResult
    const FieldSpec* spec;    // the field, when found
    int              fault;   // TEXT_BAD_TEXT: the FieldResult
};

// Sets one field from its text: "x", "11811". Checks the value on its own (range,
// text rules); what depends on other fields (the bit depth of a sample, the
// colour type's layout) is checked when the fields are serialized.
int apply_field_text(int kind, AnyFields* fields, FieldStore* store, const char* name, const char* value,
                     FieldTextError* error);
// "name=value" as the command line gives it.
int apply_field_assignment(int kind, AnyFields* fields, FieldStore* store, const char* assignment,
                           FieldTextError* error);
// The field's value as apply_field_text reads it (UTF-8, zero-terminated, cut at
// `size`); the length the whole text needs, as snprintf counts it.
size_t field_value_text(const AnyFields& fields, const FieldSpec& spec, char* out, size_t size);

// pHYs for a resolution in dots per inch: per metre = dpi / 0.0254 rounded to the
// nearest whole number (300 dpi = 11,811); unit metre. FIELD_TOO_LARGE beyond the
// format's range.
int phys_from_dpi(uint32_t dpi, PhysFields* fields);
int phys_from_dots_per_cm(uint32_t dots, PhysFields* fields);
// The resolution in dots per inch of a pHYs in metres (0 for unit unknown).
double phys_dpi(const PhysFields& fields);

// tIME of now (UTC), and of "YYYY-MM-DDThh:mm:ss" (FIELD_BAD_NUMBER when the text
// has not that form, FIELD_BAD_DATE when the calendar has no such time).
void time_now(TimeFields* fields);
int time_from_text(const char* text, TimeFields* fields);

enum TextCompression {
    TEXT_STORED,       // tEXt, or iTXt uncompressed
    TEXT_COMPRESSED,   // zTXt, or iTXt compressed
};
// A text chunk for a keyword and a value (both UTF-8): tEXt (zTXt) when Latin-1
// holds the text, iTXt otherwise (no language tag, no translated keyword). The
// type goes to `type` (zero-terminated), the data to `out` (owned by the caller).
int text_chunk_from(const char* keyword, const char* value, TextCompression compression, char type[5],
                    FieldBytes* out);

// The fields of a new chunk of `kind`: sensible values that serialize (samples
// laid out for `image`'s colour type, fcTL of the whole image; `image` may be
// null). Spans point at constant bytes of the program.
void default_fields(int kind, const IhdrFields* image, AnyFields* fields);
