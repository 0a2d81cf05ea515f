// The registered extensions the format lists beside its own chunks: oFFs, pCAL,
// sCAL, sTER, gIFg and gIFx, read through the field model.
#include "fields/field_model.h"
#include "fields/text_rules.h"
#include "field_writers.h"
#include "field_texts.h"
#include "text_codec.h"

void write_offs(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const UNITS[] = {V_OFFS_UNIT_0, V_OFFS_UNIT_1};
    OffsFields f;
    if (!fields_read(out, parse_offs(record.data, record.length, &f), record, 9)) {
        return;
    }
    text_line(out, L_X_OFFSET, V_SIGNED, (long)f.x);
    text_line(out, L_Y_OFFSET, V_SIGNED, (long)f.y);
    named_value(out, L_UNIT, f.unit, UNITS, 2);
}

// A Latin-1 text field as one line.
static void latin1_line(TextBuilder* out, const char* label, const FieldSpan& span)
{
    text_add(out, label);
    text_add(out, ": ");
    add_latin1(out, span.bytes, span.length);
    text_add(out, "\n");
}

static void write_parameters(TextBuilder* out, const PcalFields& f)
{
    text_line(out, L_PARAMETERS, V_CODE, f.count);
    if ((int)f.count != pcal_parameter_count(f.equation)) {
        field_error(out, E_PARAMETERS);
    }
    FieldSpan parameter = {nullptr, 0};
    for (unsigned k = 0; k < f.count && pcal_parameter(f, k, &parameter); k++) {
        text_format(out, L_PARAMETER ": ", (unsigned long)k);
        add_latin1(out, parameter.bytes, parameter.length);
        text_add(out, "\n");
        if (!is_png_number(parameter.bytes, parameter.length, 1)) {
            field_error(out, E_NUMBER, L_PARAMETERS);
        }
    }
}

void write_pcal(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const EQUATIONS[] = {V_EQUATION_0, V_EQUATION_1, V_EQUATION_2, V_EQUATION_3};
    PcalFields f;
    int result = parse_pcal(record.data, record.length, &f);
    if (result == FIELD_NO_KEYWORD_END) {
        field_error(out, E_NO_SEPARATOR, L_CALIBRATION);
        return;
    }
    latin1_line(out, L_CALIBRATION, f.name);
    if (!is_valid_keyword(f.name.bytes, f.name.length)) field_error(out, E_KEYWORD);
    if (result == FIELD_TOO_SHORT) {
        field_error(out, E_LENGTH_MIN, (unsigned long)f.name.length + 11, (unsigned long)record.length);
        return;
    }
    text_line(out, L_X0, V_SIGNED, (long)f.x0);
    text_line(out, L_X1, V_SIGNED, (long)f.x1);
    if (f.x0 == f.x1) field_error(out, E_X0_X1);
    named_value(out, L_EQUATION, f.equation, EQUATIONS, 4);
    if (result == FIELD_NO_UNIT_END) {
        field_error(out, E_NO_SEPARATOR, L_CAL_UNIT);
        return;
    }
    latin1_line(out, L_CAL_UNIT, f.unit);
    write_parameters(out, f);
}

void write_scal(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const UNITS[] = {nullptr, V_UNIT_1, V_UNIT_RADIAN};
    ScalFields f;
    int result = parse_scal(record.data, record.length, &f);
    if (result == FIELD_TOO_SHORT) {
        field_error(out, E_LENGTH_MIN, 1ul, (unsigned long)record.length);
        return;
    }
    named_value(out, L_UNIT, f.unit, UNITS, 3);
    if (result == FIELD_NO_SEPARATOR) {
        field_error(out, E_NO_SEPARATOR, L_PIXEL_WIDTH);
        return;
    }
    const FieldSpan* values[] = {&f.width, &f.height};
    const char* labels[] = {L_PIXEL_WIDTH, L_PIXEL_HEIGHT};
    for (int k = 0; k < 2; k++) {
        latin1_line(out, labels[k], *values[k]);
        ScalFields one = {1, *values[k], *values[k]};
        FieldBytes probe = {nullptr, 0};
        if (serialize_scal(one, &probe) != FIELD_OK) field_error(out, E_NOT_POSITIVE, labels[k]);
        field_bytes_free(&probe);
    }
}

void write_ster(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const MODES[] = {V_STER_0, V_STER_1};
    SterFields f;
    if (fields_read(out, parse_ster(record.data, record.length, &f), record, 1)) {
        named_value(out, L_STEREO, f.mode, MODES, 2);
    }
}

// GIF's disposal methods 0 to 3 are defined; its field has room up to 7.
void write_gifg(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    static const char* const DISPOSE[] = {V_GIF_DISPOSE_0, V_GIF_DISPOSE_1, V_GIF_DISPOSE_2, V_GIF_DISPOSE_3};
    static const char* const ANSWERS[] = {V_NO, V_YES};
    GifgFields f;
    if (!fields_read(out, parse_gifg(record.data, record.length, &f), record, 4)) {
        return;
    }
    named_value(out, L_DISPOSE, f.dispose, DISPOSE, 4);
    named_value(out, L_USER_INPUT, f.user_input, ANSWERS, 2);
    text_line(out, L_DELAY, V_GIF_DELAY, f.delay, f.delay / 100.0);
}

void write_gifx(TextBuilder* out, const ChunkRecord& record, const FieldContext&)
{
    GifxFields f;
    if (parse_gifx(record.data, record.length, &f) == FIELD_TOO_SHORT) {
        field_error(out, E_LENGTH_MIN, 11ul, (unsigned long)record.length);
        return;
    }
    latin1_line(out, L_APPLICATION, FieldSpan{f.identifier, 8});
    latin1_line(out, L_AUTH_CODE, FieldSpan{f.authentication, 3});
    text_line(out, L_APP_DATA, V_BYTES, (unsigned long)f.data.length);
}
