// The conveniences of the editors and the command line: resolution from dpi, the
// time now or from text, a text chunk from a key and a value, new chunks' fields.
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "document/byte_order.h"
#include "document/memory.h"
#include "field_names.h"
#include "field_zlib.h"
#include "text_rules.h"

// An inch is 0.0254 m: per metre = dpi * 10000 / 254, rounded half up.
int phys_from_dpi(uint32_t dpi, PhysFields* fields)
{
    uint64_t per_metre = ((uint64_t)dpi * 10000 + 127) / 254;
    if (per_metre > PNG_INT_MAX) return FIELD_TOO_LARGE;
    *fields = PhysFields{(uint32_t)per_metre, (uint32_t)per_metre, 1};
    return FIELD_OK;
}

int phys_from_dots_per_cm(uint32_t dots, PhysFields* fields)
{
    uint64_t per_metre = (uint64_t)dots * 100;
    if (per_metre > PNG_INT_MAX) return FIELD_TOO_LARGE;
    *fields = PhysFields{(uint32_t)per_metre, (uint32_t)per_metre, 1};
    return FIELD_OK;
}

double phys_dpi(const PhysFields& fields)
{
    return fields.unit == 1 ? fields.x * 0.0254 : 0.0;
}

void time_now(TimeFields* fields)
{
    time_t now = time(nullptr);
    struct tm* utc = gmtime(&now);
    *fields = TimeFields{};
    if (utc) {
        *fields = TimeFields{(uint16_t)(utc->tm_year + 1900), (uint8_t)(utc->tm_mon + 1), (uint8_t)utc->tm_mday,
                             (uint8_t)utc->tm_hour, (uint8_t)utc->tm_min, (uint8_t)utc->tm_sec};
    }
}

// Exactly "YYYY-MM-DDThh:mm:ss": digits where the form has them, nothing after.
int time_from_text(const char* text, TimeFields* fields)
{
    static const char FORM[] = "dddd-dd-ddTdd:dd:dd";
    if (strlen(text) != sizeof FORM - 1) return FIELD_BAD_NUMBER;
    unsigned v[6] = {0, 0, 0, 0, 0, 0};
    for (size_t k = 0, part = 0; k < sizeof FORM - 1; k++) {
        if (FORM[k] != 'd') {
            if (text[k] != FORM[k]) return FIELD_BAD_NUMBER;
            part++;
        } else if (text[k] < '0' || text[k] > '9') {
            return FIELD_BAD_NUMBER;
        } else {
            v[part] = v[part] * 10 + (unsigned)(text[k] - '0');
        }
    }
    TimeFields parsed = {(uint16_t)v[0], (uint8_t)v[1], (uint8_t)v[2], (uint8_t)v[3], (uint8_t)v[4], (uint8_t)v[5]};
    if (!time_valid(parsed)) return FIELD_BAD_DATE;
    *fields = parsed;
    return FIELD_OK;
}

// The keyword in Latin-1 (into `keyword`, at least as long as the text).
static int latin1_keyword(const char* text, uint8_t* keyword, size_t* length)
{
    if (!utf8_to_latin1((const uint8_t*)text, strlen(text), keyword, length)) return FIELD_BAD_KEYWORD;
    return is_valid_keyword(keyword, *length) ? FIELD_OK : FIELD_BAD_KEYWORD;
}

static int serialize_chosen(const FieldSpan& key, const FieldSpan& text, int latin1, TextCompression compression,
                            char type[5], FieldBytes* out)
{
    FieldBytes packed = {nullptr, 0};
    if (compression == TEXT_COMPRESSED && !compress_field(text.bytes, text.length, COMPRESS_BEST, &packed)) {
        return FIELD_NO_MEMORY;
    }
    FieldSpan stream = {packed.data, packed.length};
    int result;
    if (latin1) {
        strcpy(type, compression == TEXT_COMPRESSED ? "zTXt" : "tEXt");
        result = compression == TEXT_COMPRESSED ? serialize_ztxt(ZtxtFields{key, 0, stream}, out)
                                                : serialize_text(TextFields{key, text}, out);
    } else {
        strcpy(type, "iTXt");
        FieldSpan none = {nullptr, 0};
        uint8_t flag = compression == TEXT_COMPRESSED ? 1 : 0;
        result = serialize_itxt(ItxtFields{key, flag, 0, none, none, flag ? stream : text}, out);
    }
    field_bytes_free(&packed);
    return result;
}

int text_chunk_from(const char* keyword, const char* value, TextCompression compression, char type[5],
                    FieldBytes* out)
{
    *out = FieldBytes{nullptr, 0};
    size_t key_length = 0, value_length = strlen(value), latin1_length = 0;
    uint8_t key[KEYWORD_MAX * 2 + 2];
    if (strlen(keyword) > sizeof key || latin1_keyword(keyword, key, &key_length) != FIELD_OK) {
        return FIELD_BAD_KEYWORD;
    }
    if (value_length > 0x7FFFFFFFu) return FIELD_TOO_LARGE;
    uint8_t* latin1 = (uint8_t*)zero_alloc(value_length);
    if (!latin1) return FIELD_NO_MEMORY;
    int fits = utf8_to_latin1((const uint8_t*)value, value_length, latin1, &latin1_length);
    FieldSpan key_span = {key, (uint32_t)key_length};
    FieldSpan text = fits ? FieldSpan{latin1, (uint32_t)latin1_length} : FieldSpan{(const uint8_t*)value, (uint32_t)value_length};
    int result = serialize_chosen(key_span, text, fits, compression, type, out);
    zero_free(latin1);
    return result;
}

namespace {

const uint8_t BLACK_ENTRY[3] = {0, 0, 0};
const uint8_t OPAQUE_ALPHA[1] = {255};
const uint8_t COMMENT[] = "Comment";
const uint8_t EMPTY_STREAM[] = {0x78, 0xDA, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};   // zlib of no bytes
const uint8_t CALIBRATION[] = "Calibration";
const uint8_t LINEAR_PARAMETERS[] = {'0', 0, '1'};
const uint8_t ONE[] = "1";

FieldSpan constant(const uint8_t* bytes, uint32_t length)
{
    return FieldSpan{bytes, length};
}

void default_samples(int kind, const IhdrFields* image, AnyFields* f)
{
    int colour_type = image ? image->colour_type : 2;
    int depth = image ? image->bit_depth : 8;
    if (kind == KIND_TRNS && colour_type == 3) f->trns.alphas = constant(OPAQUE_ALPHA, 1);
    if (kind == KIND_SBIT) {
        ImageLayout layout = {colour_type, depth, -1};
        f->sbit.count = (uint8_t)sample_chunk_length(type_word("sBIT"), layout.colour_type);
        for (int k = 0; k < 4; k++) f->sbit.bits[k] = (uint8_t)(colour_type == 3 ? 8 : depth);
    }
}

}  // namespace

// sRGB's primaries and white point (D65), in the units of cHRM and of mDCV.
void default_fields(int kind, const IhdrFields* image, AnyFields* f)
{
    memset(f, 0, sizeof *f);
    f->kind = kind;
    switch (kind) {
    case KIND_IHDR: f->ihdr = image ? *image : IhdrFields{1, 1, 8, 2, 0, 0, 0}; break;
    case KIND_PLTE: f->plte = PlteFields{constant(BLACK_ENTRY, 3), 1}; break;
    case KIND_GAMA: f->gama.gamma = 45455; break;
    case KIND_CHRM: f->chrm = ChrmFields{31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000}; break;
    case KIND_ICCP: f->iccp = IccpFields{constant(COMMENT, 7), 0, constant(EMPTY_STREAM, 8)}; break;
    case KIND_PHYS: phys_from_dpi(72, &f->phys); break;
    case KIND_TIME: time_now(&f->time); break;
    case KIND_TEXT: f->text.keyword = constant(COMMENT, 7); break;
    case KIND_ZTXT: f->ztxt = ZtxtFields{constant(COMMENT, 7), 0, constant(EMPTY_STREAM, 8)}; break;
    case KIND_ITXT: f->itxt.keyword = constant(COMMENT, 7); break;
    case KIND_CICP: f->cicp = CicpFields{1, 13, 0, 1}; break;
    case KIND_MDCV: f->mdcv = MdcvFields{32000, 16500, 15000, 30000, 7500, 3000, 15635, 16450, 10000000, 50}; break;
    case KIND_ACTL: f->actl.frames = 1; break;
    case KIND_FCTL: f->fctl = FctlFields{0, image ? image->width : 1, image ? image->height : 1, 0, 0, 1, 10, 0, 0}; break;
    case KIND_PCAL:
        f->pcal = PcalFields{constant(CALIBRATION, 11), 0, 255, 0, 2, constant(ONE, 0), constant(LINEAR_PARAMETERS, 3)};
        break;
    case KIND_SCAL: f->scal = ScalFields{1, constant(ONE, 1), constant(ONE, 1)}; break;
    default: default_samples(kind, image, f); break;
    }
}
