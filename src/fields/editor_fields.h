// What the editors offer beside the fields by name: which of a kind's fields the
// image's layout uses (bKGD, tRNS and sBIT differ by colour type), the named
// settings a dialog offers as buttons, and which text chunk a text becomes.
#pragma once
#include <stddef.h>

#include "field_model.h"
#include "field_names.h"

// A named setting: assignments "name=value" separated by ';', applied in order
// through apply_field_assignment ("primaries=1;transfer=13;matrix=0;full_range=1").
struct FieldPreset {
    const char* label;         // ASCII, shown as it stands: "BT.2100 PQ"
    const char* assignments;
};
const FieldPreset* field_presets(int kind, size_t* count);

// 1 when `spec` of `kind` is stored for an image of `layout` (every field when the
// colour type is unknown). tRNS of a palette image uses none by name.
int field_in_layout(int kind, const FieldSpec& spec, const ImageLayout& layout);

// Whether a text must keep the international form (it was iTXt, or has a language
// tag or a translated keyword).
enum TextScript {
    SCRIPT_LATIN1_IF_POSSIBLE,
    SCRIPT_INTERNATIONAL,
};
// The kind a text (UTF-8) is written as: tEXt or zTXt when Latin-1 holds it and
// the script allows, iTXt otherwise. KIND_NONE without memory for the check.
int text_kind_for(const char* value, TextCompression compression, TextScript script);

// fcTL's delay from seconds written as a decimal ("0.1", "2", "1.25"): the
// fraction in lowest terms (1/10, 2/1, 5/4). FIELD_BAD_NUMBER for another text,
// FIELD_TOO_LARGE for what two-byte parts cannot hold (more than three decimals,
// more than 65535 seconds).
int delay_from_seconds(const char* seconds, uint16_t* numerator, uint16_t* denominator);
