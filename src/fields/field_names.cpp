// The tables of fields by name, and setting and reading one field as text.
#include "field_names.h"

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "document/memory.h"
#include "field_zlib.h"
#include "text_rules.h"

#define NUM(F, type, member, name, unit, lo, hi) {name, unit, type, (uint32_t)offsetof(F, member), lo, hi}
#define SPAN(F, type, member, name, most) {name, "", type, (uint32_t)offsetof(F, member), 0, most}

static const int64_t U31 = PNG_INT_MAX;

static const FieldSpec IHDR_SPECS[] = {
    NUM(IhdrFields, VALUE_U32, width, "width", "px", 1, U31), NUM(IhdrFields, VALUE_U32, height, "height", "px", 1, U31),
    NUM(IhdrFields, VALUE_U8, bit_depth, "bit_depth", "bits", 1, 16),
    NUM(IhdrFields, VALUE_U8, colour_type, "colour_type", "", 0, 6),
    NUM(IhdrFields, VALUE_U8, compression, "compression", "", 0, 0), NUM(IhdrFields, VALUE_U8, filter, "filter", "", 0, 0),
    NUM(IhdrFields, VALUE_U8, interlace, "interlace", "", 0, 1),
};
static const FieldSpec TRNS_SPECS[] = {
    NUM(TrnsFields, VALUE_U16, gray, "gray", "", 0, 65535), NUM(TrnsFields, VALUE_U16, red, "red", "", 0, 65535),
    NUM(TrnsFields, VALUE_U16, green, "green", "", 0, 65535), NUM(TrnsFields, VALUE_U16, blue, "blue", "", 0, 65535),
};
static const FieldSpec BKGD_SPECS[] = {
    NUM(BkgdFields, VALUE_U16, gray, "gray", "", 0, 65535), NUM(BkgdFields, VALUE_U16, red, "red", "", 0, 65535),
    NUM(BkgdFields, VALUE_U16, green, "green", "", 0, 65535), NUM(BkgdFields, VALUE_U16, blue, "blue", "", 0, 65535),
    NUM(BkgdFields, VALUE_U8, index, "index", "", 0, 255),
};
// sBIT's values in file order: gray or red, green, blue, then alpha; setting one
// past the count raises the count.
static const FieldSpec SBIT_SPECS[] = {
    NUM(SbitFields, VALUE_U8, bits[0], "bits1", "bits", 1, 16), NUM(SbitFields, VALUE_U8, bits[1], "bits2", "bits", 1, 16),
    NUM(SbitFields, VALUE_U8, bits[2], "bits3", "bits", 1, 16), NUM(SbitFields, VALUE_U8, bits[3], "bits4", "bits", 1, 16),
};
static const FieldSpec GAMA_SPECS[] = {NUM(GamaFields, VALUE_GAMMA, gamma, "gamma", "1/100000", 1, U31)};
static const FieldSpec CHRM_SPECS[] = {
    NUM(ChrmFields, VALUE_FIXED5, white_x, "white_x", "1/100000", 0, U31),
    NUM(ChrmFields, VALUE_FIXED5, white_y, "white_y", "1/100000", 0, U31),
    NUM(ChrmFields, VALUE_FIXED5, red_x, "red_x", "1/100000", 0, U31),
    NUM(ChrmFields, VALUE_FIXED5, red_y, "red_y", "1/100000", 0, U31),
    NUM(ChrmFields, VALUE_FIXED5, green_x, "green_x", "1/100000", 0, U31),
    NUM(ChrmFields, VALUE_FIXED5, green_y, "green_y", "1/100000", 0, U31),
    NUM(ChrmFields, VALUE_FIXED5, blue_x, "blue_x", "1/100000", 0, U31),
    NUM(ChrmFields, VALUE_FIXED5, blue_y, "blue_y", "1/100000", 0, U31),
};
static const FieldSpec SRGB_SPECS[] = {NUM(SrgbFields, VALUE_U8, intent, "intent", "", 0, 3)};
static const FieldSpec ICCP_SPECS[] = {SPAN(IccpFields, VALUE_KEYWORD, name, "name", 79)};
static const FieldSpec PHYS_SPECS[] = {
    NUM(PhysFields, VALUE_U32, x, "x", "px/unit", 0, U31), NUM(PhysFields, VALUE_U32, y, "y", "px/unit", 0, U31),
    NUM(PhysFields, VALUE_U8, unit, "unit", "", 0, 1),
};
static const FieldSpec TIME_SPECS[] = {
    NUM(TimeFields, VALUE_U16, year, "year", "", 0, 65535), NUM(TimeFields, VALUE_U8, month, "month", "", 1, 12),
    NUM(TimeFields, VALUE_U8, day, "day", "", 1, 31), NUM(TimeFields, VALUE_U8, hour, "hour", "", 0, 23),
    NUM(TimeFields, VALUE_U8, minute, "minute", "", 0, 59), NUM(TimeFields, VALUE_U8, second, "second", "", 0, 60),
};
static const FieldSpec TEXT_SPECS[] = {
    SPAN(TextFields, VALUE_KEYWORD, keyword, "keyword", 79), SPAN(TextFields, VALUE_LATIN1, text, "text", 0),
};
static const FieldSpec ZTXT_SPECS[] = {
    SPAN(ZtxtFields, VALUE_KEYWORD, keyword, "keyword", 79), SPAN(ZtxtFields, VALUE_ZTXT_TEXT, compressed, "text", 0),
};
static const FieldSpec ITXT_SPECS[] = {
    SPAN(ItxtFields, VALUE_KEYWORD, keyword, "keyword", 79), NUM(ItxtFields, VALUE_ITXT_FLAG, flag, "compressed", "", 0, 1),
    SPAN(ItxtFields, VALUE_LANGUAGE, language, "language", 0), SPAN(ItxtFields, VALUE_UTF8, translated, "translated", 0),
    SPAN(ItxtFields, VALUE_ITXT_TEXT, text, "text", 0),
};
static const FieldSpec CICP_SPECS[] = {
    NUM(CicpFields, VALUE_U8, primaries, "primaries", "", 0, 255), NUM(CicpFields, VALUE_U8, transfer, "transfer", "", 0, 255),
    NUM(CicpFields, VALUE_U8, matrix, "matrix", "", 0, 0), NUM(CicpFields, VALUE_U8, full_range, "full_range", "", 0, 1),
};
static const FieldSpec MDCV_SPECS[] = {
    NUM(MdcvFields, VALUE_U16, red_x, "red_x", "1/50000", 0, 65535), NUM(MdcvFields, VALUE_U16, red_y, "red_y", "1/50000", 0, 65535),
    NUM(MdcvFields, VALUE_U16, green_x, "green_x", "1/50000", 0, 65535),
    NUM(MdcvFields, VALUE_U16, green_y, "green_y", "1/50000", 0, 65535),
    NUM(MdcvFields, VALUE_U16, blue_x, "blue_x", "1/50000", 0, 65535),
    NUM(MdcvFields, VALUE_U16, blue_y, "blue_y", "1/50000", 0, 65535),
    NUM(MdcvFields, VALUE_U16, white_x, "white_x", "1/50000", 0, 65535),
    NUM(MdcvFields, VALUE_U16, white_y, "white_y", "1/50000", 0, 65535),
    NUM(MdcvFields, VALUE_U32, max_luminance, "max_luminance", "1/10000 cd/m2", 0, 0xFFFFFFFF),
    NUM(MdcvFields, VALUE_U32, min_luminance, "min_luminance", "1/10000 cd/m2", 0, 0xFFFFFFFF),
};
static const FieldSpec CLLI_SPECS[] = {
    NUM(ClliFields, VALUE_U32, max_cll, "max_cll", "1/10000 cd/m2", 0, 0xFFFFFFFF),
    NUM(ClliFields, VALUE_U32, max_fall, "max_fall", "1/10000 cd/m2", 0, 0xFFFFFFFF),
};
static const FieldSpec ACTL_SPECS[] = {
    NUM(ActlFields, VALUE_U32, frames, "frames", "", 1, U31), NUM(ActlFields, VALUE_U32, plays, "plays", "", 0, U31),
};
static const FieldSpec FCTL_SPECS[] = {
    NUM(FctlFields, VALUE_U32, sequence, "sequence", "", 0, U31), NUM(FctlFields, VALUE_U32, width, "width", "px", 1, U31),
    NUM(FctlFields, VALUE_U32, height, "height", "px", 1, U31), NUM(FctlFields, VALUE_U32, x, "x", "px", 0, U31),
    NUM(FctlFields, VALUE_U32, y, "y", "px", 0, U31),
    NUM(FctlFields, VALUE_U16, delay_numerator, "delay_numerator", "s", 0, 65535),
    NUM(FctlFields, VALUE_U16, delay_denominator, "delay_denominator", "", 0, 65535),
    NUM(FctlFields, VALUE_U8, dispose, "dispose", "", 0, 2), NUM(FctlFields, VALUE_U8, blend, "blend", "", 0, 1),
};
static const FieldSpec OFFS_SPECS[] = {
    NUM(OffsFields, VALUE_I32, x, "x", "px/um", -U31, U31), NUM(OffsFields, VALUE_I32, y, "y", "px/um", -U31, U31),
    NUM(OffsFields, VALUE_U8, unit, "unit", "", 0, 1),
};
static const FieldSpec PCAL_SPECS[] = {
    SPAN(PcalFields, VALUE_KEYWORD, name, "name", 79), NUM(PcalFields, VALUE_I32, x0, "x0", "", -U31, U31),
    NUM(PcalFields, VALUE_I32, x1, "x1", "", -U31, U31), NUM(PcalFields, VALUE_U8, equation, "equation", "", 0, 3),
    SPAN(PcalFields, VALUE_LATIN1, unit, "unit", 0), SPAN(PcalFields, VALUE_PARAMETERS, parameters, "parameters", 0),
};
static const FieldSpec SCAL_SPECS[] = {
    NUM(ScalFields, VALUE_U8, unit, "unit", "", 1, 2), SPAN(ScalFields, VALUE_NUMBER_TEXT, width, "width", 0),
    SPAN(ScalFields, VALUE_NUMBER_TEXT, height, "height", 0),
};
static const FieldSpec STER_SPECS[] = {NUM(SterFields, VALUE_U8, mode, "mode", "", 0, 1)};
static const FieldSpec GIFG_SPECS[] = {
    NUM(GifgFields, VALUE_U8, dispose, "dispose", "", 0, 7), NUM(GifgFields, VALUE_U8, user_input, "user_input", "", 0, 1),
    NUM(GifgFields, VALUE_U16, delay, "delay", "1/100 s", 0, 65535),
};
static const FieldSpec GIFX_SPECS[] = {
    NUM(GifxFields, VALUE_ASCII_BYTES, identifier, "identifier", "", 8, 8),
    NUM(GifxFields, VALUE_ASCII_BYTES, authentication, "authentication", "", 3, 3),
};

struct SpecList {
    const FieldSpec* specs;
    size_t count;
};
#define LIST(specs) {specs, sizeof specs / sizeof specs[0]}

// In the order of FieldKind.
static const SpecList SPEC_LISTS[KIND_COUNT] = {
    {nullptr, 0},     LIST(IHDR_SPECS), {nullptr, 0},     LIST(TRNS_SPECS), LIST(BKGD_SPECS), LIST(SBIT_SPECS),
    LIST(GAMA_SPECS), LIST(CHRM_SPECS), LIST(SRGB_SPECS), LIST(ICCP_SPECS), LIST(PHYS_SPECS), LIST(TIME_SPECS),
    LIST(TEXT_SPECS), LIST(ZTXT_SPECS), LIST(ITXT_SPECS), LIST(CICP_SPECS), LIST(MDCV_SPECS), LIST(CLLI_SPECS),
    LIST(ACTL_SPECS), LIST(FCTL_SPECS), LIST(OFFS_SPECS), LIST(PCAL_SPECS), LIST(SCAL_SPECS), LIST(STER_SPECS),
    LIST(GIFG_SPECS), LIST(GIFX_SPECS),
};

const FieldSpec* field_specs(int kind, size_t* count)
{
    *count = 0;
    if (kind <= KIND_NONE || kind >= KIND_COUNT) return nullptr;
    *count = SPEC_LISTS[kind].count;
    return SPEC_LISTS[kind].specs;
}

const FieldSpec* find_field_spec(int kind, const char* name)
{
    size_t count = 0;
    const FieldSpec* specs = field_specs(kind, &count);
    for (size_t k = 0; k < count; k++) {
        if (strcmp(specs[k].name, name) == 0) return &specs[k];
    }
    return nullptr;
}

void field_store_free(FieldStore* store)
{
    for (int k = 0; k < store->count; k++) zero_free(store->blocks[k]);
    store->count = 0;
}
