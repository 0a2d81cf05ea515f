#include "editor_fields.h"

#include <string.h>

#include "document/byte_order.h"
#include "document/memory.h"
#include "text_rules.h"

namespace {

const FieldPreset GAMA_PRESETS[] = {
    {"2.2", "gamma=2.2"},
    {"1.8", "gamma=1.8"},
    {"1.0", "gamma=1.0"},
};
// Colour primaries, transfer function, matrix 0 (RGB), full range.
const FieldPreset CICP_PRESETS[] = {
    {"sRGB / BT.709", "primaries=1;transfer=13;matrix=0;full_range=1"},
    {"Display P3", "primaries=12;transfer=13;matrix=0;full_range=1"},
    {"BT.2100 PQ", "primaries=9;transfer=16;matrix=0;full_range=1"},
    {"BT.2100 HLG", "primaries=9;transfer=18;matrix=0;full_range=1"},
};
// D65 white and the primaries of sRGB / BT.709 and of Display P3.
const FieldPreset CHRM_PRESETS[] = {
    {"sRGB", "white_x=0.3127;white_y=0.329;red_x=0.64;red_y=0.33;green_x=0.3;green_y=0.6;blue_x=0.15;blue_y=0.06"},
    {"Display P3",
     "white_x=0.3127;white_y=0.329;red_x=0.68;red_y=0.32;green_x=0.265;green_y=0.69;blue_x=0.15;blue_y=0.06"},
};
const FieldPreset SRGB_PRESETS[] = {
    {"0 Perceptual", "intent=0"},
    {"1 Relative", "intent=1"},
    {"2 Saturation", "intent=2"},
    {"3 Absolute", "intent=3"},
};

#define PRESETS(list) list, sizeof list / sizeof list[0]

struct PresetList {
    int                kind;
    const FieldPreset* presets;
    size_t             count;
};
const PresetList PRESET_LISTS[] = {
    {KIND_GAMA, PRESETS(GAMA_PRESETS)},
    {KIND_CICP, PRESETS(CICP_PRESETS)},
    {KIND_CHRM, PRESETS(CHRM_PRESETS)},
    {KIND_SRGB, PRESETS(SRGB_PRESETS)},
};

int is_named(const FieldSpec& spec, const char* name)
{
    return strcmp(spec.name, name) == 0;
}

int is_rgb_sample(const FieldSpec& spec)
{
    return is_named(spec, "red") || is_named(spec, "green") || is_named(spec, "blue");
}

}  // namespace

const FieldPreset* field_presets(int kind, size_t* count)
{
    for (const PresetList& list : PRESET_LISTS) {
        if (list.kind == kind) {
            *count = list.count;
            return list.presets;
        }
    }
    *count = 0;
    return nullptr;
}

// Gray for the gray types, red, green and blue for the colour types, bKGD's index
// for a palette image; sBIT as many values as the colour type has samples.
int field_in_layout(int kind, const FieldSpec& spec, const ImageLayout& layout)
{
    int colour_type = layout.colour_type;
    if (colour_type < 0 || colour_type > 6 || (kind != KIND_TRNS && kind != KIND_BKGD && kind != KIND_SBIT)) return 1;
    if (kind == KIND_SBIT) {
        return spec.name[4] - '1' < (int)sample_chunk_length(type_word("sBIT"), colour_type);
    }
    if (is_named(spec, "gray")) return colour_type == 0 || (kind == KIND_BKGD && colour_type == 4);
    if (is_rgb_sample(spec)) return colour_type == 2 || (kind == KIND_BKGD && colour_type == 6);
    return kind == KIND_BKGD && colour_type == 3;   // the index
}

int text_kind_for(const char* value, TextCompression compression, TextScript script)
{
    if (script == SCRIPT_INTERNATIONAL) return KIND_ITXT;
    size_t length = strlen(value), written = 0;
    uint8_t* latin1 = (uint8_t*)zero_alloc(length);
    if (!latin1) return KIND_NONE;
    int fits = utf8_to_latin1((const uint8_t*)value, length, latin1, &written);
    zero_free(latin1);
    if (!fits) return KIND_ITXT;
    return compression == TEXT_COMPRESSED ? KIND_ZTXT : KIND_TEXT;
}

int delay_from_seconds(const char* seconds, uint16_t* numerator, uint16_t* denominator)
{
    uint64_t whole = 0, scale = 1;
    int decimals = -1;
    const char* at = seconds;
    for (; *at; at++) {
        if (*at == '.' && decimals < 0) {
            decimals = 0;
        } else if (*at >= '0' && *at <= '9' && decimals < 3 && whole < 1000000000) {
            whole = whole * 10 + (uint64_t)(*at - '0');
            if (decimals >= 0) decimals++, scale *= 10;
        } else {
            return *at >= '0' && *at <= '9' ? FIELD_TOO_LARGE : FIELD_BAD_NUMBER;
        }
    }
    if (at == seconds || (at == seconds + 1 && decimals == 0)) return FIELD_BAD_NUMBER;
    uint64_t a = whole, b = scale;
    while (b) {
        uint64_t rest = a % b;
        a = b, b = rest;
    }
    uint64_t divisor = a ? a : 1;
    if (whole / divisor > 65535) return FIELD_TOO_LARGE;
    *numerator = (uint16_t)(whole / divisor);
    *denominator = (uint16_t)(scale / divisor);
    return FIELD_OK;
}
