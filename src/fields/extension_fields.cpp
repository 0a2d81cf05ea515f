// The registered extensions: oFFs, pCAL, sCAL, sTER, gIFg and gIFx.
#include "document/byte_order.h"
#include "field_io.h"
#include "text_rules.h"

int is_png_number(const uint8_t* p, uint32_t n, int signed_allowed)
{
    uint32_t k = 0, digits = 0;
    if (k < n && (p[k] == '+' || (signed_allowed && p[k] == '-'))) k++;
    while (k < n && p[k] >= '0' && p[k] <= '9') k++, digits++;
    if (k < n && p[k] == '.') {
        k++;
        while (k < n && p[k] >= '0' && p[k] <= '9') k++, digits++;
    }
    if (digits == 0) return 0;
    if (k < n && (p[k] == 'e' || p[k] == 'E')) {
        k++;
        if (k < n && (p[k] == '+' || p[k] == '-')) k++;
        uint32_t exponent = 0;
        while (k < n && p[k] >= '0' && p[k] <= '9') k++, exponent++;
        if (exponent == 0) return 0;
    }
    return k == n;
}

// A number above zero: some digit of the mantissa is not 0.
static int is_positive_number(const FieldSpan& s)
{
    if (!is_png_number(s.bytes, s.length, 0)) return 0;
    for (uint32_t k = 0; k < s.length && s.bytes[k] != 'e' && s.bytes[k] != 'E'; k++) {
        if (s.bytes[k] >= '1' && s.bytes[k] <= '9') return 1;
    }
    return 0;
}

int parse_offs(const uint8_t* d, uint32_t length, OffsFields* f)
{
    *f = OffsFields{};
    if (length != 9) return FIELD_WRONG_LENGTH;
    *f = OffsFields{(int32_t)read_u32(d), (int32_t)read_u32(d + 4), d[8]};
    // A signed four-byte value of PNG stops at -(2^31 - 1).
    if (f->x == INT32_MIN || f->y == INT32_MIN) return FIELD_TOO_LARGE;
    return f->unit > 1 ? FIELD_BAD_UNIT : FIELD_OK;
}

int serialize_offs(const OffsFields& f, FieldBytes* out)
{
    uint8_t d[9];
    write_u32(d, (uint32_t)f.x);
    write_u32(d + 4, (uint32_t)f.y);
    d[8] = f.unit;
    OffsFields check;
    return finish_serialize(d, 9, 0, parse_offs(d, 9, &check), out);
}

int pcal_parameter_count(unsigned equation)
{
    static const int COUNTS[] = {2, 3, 3, 4};
    return equation < 4 ? COUNTS[equation] : 0;
}

int pcal_parameter(const PcalFields& f, unsigned k, FieldSpan* parameter)
{
    uint32_t at = 0;
    for (unsigned index = 0; at <= f.parameters.length; index++) {
        const uint8_t* start = f.parameters.bytes + at;
        const uint8_t* end = at < f.parameters.length ? (const uint8_t*)memchr(start, 0, f.parameters.length - at) : nullptr;
        uint32_t size = end ? (uint32_t)(end - start) : f.parameters.length - at;
        if (index == k) {
            *parameter = FieldSpan{start, size};
            return 1;
        }
        if (!end) return 0;
        at += size + 1;
    }
    return 0;
}

static int check_pcal(const PcalFields& f)
{
    if (!is_valid_keyword(f.name.bytes, f.name.length)) return FIELD_BAD_KEYWORD;
    if (f.equation > 3) return FIELD_BAD_UNIT;
    if (!is_latin1_text(f.unit.bytes, f.unit.length) || has_zero(f.unit)) return FIELD_NOT_LATIN1;
    if (f.count != pcal_parameter_count(f.equation) || f.x0 == f.x1 || f.x0 == INT32_MIN || f.x1 == INT32_MIN) {
        return FIELD_BAD_PARAMETERS;
    }
    uint32_t separators = 0;
    for (uint32_t k = 0; k < f.parameters.length; k++) separators += f.parameters.bytes[k] == 0;
    if (separators + 1 != f.count) return FIELD_BAD_PARAMETERS;
    for (unsigned k = 0; k < f.count; k++) {
        FieldSpan p = {nullptr, 0};
        if (!pcal_parameter(f, k, &p) || !is_png_number(p.bytes, p.length, 1)) return FIELD_BAD_NUMBER;
    }
    return FIELD_OK;
}

int parse_pcal(const uint8_t* d, uint32_t length, PcalFields* f)
{
    *f = PcalFields{};
    uint32_t at = 0;
    if (!take_until_zero(d, length, &at, &f->name)) return FIELD_NO_KEYWORD_END;
    if (length - at < 10) return FIELD_TOO_SHORT;
    f->x0 = (int32_t)read_u32(d + at);
    f->x1 = (int32_t)read_u32(d + at + 4);
    f->equation = d[at + 8];
    f->count = d[at + 9];
    at += 10;
    if (!take_until_zero(d, length, &at, &f->unit)) return FIELD_NO_UNIT_END;
    f->parameters = span_from(d, length, at);
    return check_pcal(*f);
}

int serialize_pcal(const PcalFields& f, FieldBytes* out)
{
    int result = has_zero(f.name) ? FIELD_BAD_KEYWORD : check_pcal(f);
    if (result != FIELD_OK) return result;
    FieldWriter writer = {nullptr, 0};
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 1 && !begin_second_pass(&writer)) return FIELD_NO_MEMORY;
        write_span(&writer, f.name, 1);
        write_word(&writer, (uint32_t)f.x0);
        write_word(&writer, (uint32_t)f.x1);
        write_byte(&writer, f.equation);
        write_byte(&writer, f.count);
        write_span(&writer, f.unit, 1);
        write_span(&writer, f.parameters, 0);
    }
    return finish_serialize(writer.data, writer.used, 1, FIELD_OK, out);
}

static int check_scal(const ScalFields& f)
{
    if (f.unit != 1 && f.unit != 2) return FIELD_BAD_UNIT;
    return is_positive_number(f.width) && is_positive_number(f.height) ? FIELD_OK : FIELD_BAD_NUMBER;
}

int parse_scal(const uint8_t* d, uint32_t length, ScalFields* f)
{
    *f = ScalFields{};
    uint32_t at = 1;
    if (length < 1) return FIELD_TOO_SHORT;
    f->unit = d[0];
    if (!take_until_zero(d, length, &at, &f->width)) return FIELD_NO_SEPARATOR;
    f->height = span_from(d, length, at);
    return check_scal(*f);
}

int serialize_scal(const ScalFields& f, FieldBytes* out)
{
    int result = check_scal(f);
    if (result != FIELD_OK) return result;
    FieldWriter writer = {nullptr, 0};
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 1 && !begin_second_pass(&writer)) return FIELD_NO_MEMORY;
        write_byte(&writer, f.unit);
        write_span(&writer, f.width, 1);
        write_span(&writer, f.height, 0);
    }
    return finish_serialize(writer.data, writer.used, 1, FIELD_OK, out);
}

int parse_ster(const uint8_t* d, uint32_t length, SterFields* f)
{
    return parse_code_byte(d, length, &f->mode, 1, FIELD_BAD_MODE);
}

int serialize_ster(const SterFields& f, FieldBytes* out)
{
    uint8_t code;
    return finish_serialize((uint8_t*)&f.mode, 1, 0, parse_code_byte(&f.mode, 1, &code, 1, FIELD_BAD_MODE), out);
}

// The disposal method has three bits in GIF; the user input flag one.
int parse_gifg(const uint8_t* d, uint32_t length, GifgFields* f)
{
    *f = GifgFields{};
    if (length != 4) return FIELD_WRONG_LENGTH;
    *f = GifgFields{d[0], d[1], field_u16(d + 2)};
    return f->dispose > 7 ? FIELD_BAD_DISPOSE : f->user_input > 1 ? FIELD_BAD_MODE : FIELD_OK;
}

int serialize_gifg(const GifgFields& f, FieldBytes* out)
{
    uint8_t d[4] = {f.dispose, f.user_input, 0, 0};
    put_u16(d + 2, f.delay);
    GifgFields check;
    return finish_serialize(d, 4, 0, parse_gifg(d, 4, &check), out);
}

int parse_gifx(const uint8_t* d, uint32_t length, GifxFields* f)
{
    *f = GifxFields{};
    if (length < 11) return FIELD_TOO_SHORT;
    memcpy(f->identifier, d, 8);
    memcpy(f->authentication, d + 8, 3);
    f->data = span_from(d, length, 11);
    return FIELD_OK;
}

int serialize_gifx(const GifxFields& f, FieldBytes* out)
{
    FieldWriter writer = {nullptr, 0};
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 1 && !begin_second_pass(&writer)) return FIELD_NO_MEMORY;
        write_part(&writer, f.identifier, 8);
        write_part(&writer, f.authentication, 3);
        write_span(&writer, f.data, 0);
    }
    return finish_serialize(writer.data, writer.used, 1, FIELD_OK, out);
}
