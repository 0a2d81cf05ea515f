// The chunks of size, time and animation: pHYs, tIME, acTL and fcTL.
#include "document/byte_order.h"
#include "field_io.h"

int parse_phys(const uint8_t* d, uint32_t length, PhysFields* f)
{
    *f = PhysFields{};
    if (length != 9) return FIELD_WRONG_LENGTH;
    *f = PhysFields{read_u32(d), read_u32(d + 4), d[8]};
    return f->x > PNG_INT_MAX || f->y > PNG_INT_MAX ? FIELD_TOO_LARGE : f->unit > 1 ? FIELD_BAD_UNIT : FIELD_OK;
}

int serialize_phys(const PhysFields& f, FieldBytes* out)
{
    uint8_t d[9];
    write_u32(d, f.x);
    write_u32(d + 4, f.y);
    d[8] = f.unit;
    PhysFields check;
    return finish_serialize(d, 9, 0, parse_phys(d, 9, &check), out);
}

int days_in_month(unsigned year, unsigned month)
{
    static const int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    int leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return DAYS[month - 1] + (month == 2 && leap);
}

// Second 60 is a leap second, which the format allows.
int time_valid(const TimeFields& f)
{
    return f.day >= 1 && f.day <= days_in_month(f.year, f.month) && f.hour <= 23 && f.minute <= 59 && f.second <= 60;
}

int parse_time(const uint8_t* d, uint32_t length, TimeFields* f)
{
    *f = TimeFields{};
    if (length != 7) return FIELD_WRONG_LENGTH;
    *f = TimeFields{field_u16(d), d[2], d[3], d[4], d[5], d[6]};
    return time_valid(*f) ? FIELD_OK : FIELD_BAD_DATE;
}

int serialize_time(const TimeFields& f, FieldBytes* out)
{
    uint8_t d[7] = {0, 0, f.month, f.day, f.hour, f.minute, f.second};
    put_u16(d, f.year);
    TimeFields check;
    return finish_serialize(d, 7, 0, parse_time(d, 7, &check), out);
}

int parse_actl(const uint8_t* d, uint32_t length, ActlFields* f)
{
    *f = ActlFields{};
    if (length != 8) return FIELD_WRONG_LENGTH;
    *f = ActlFields{read_u32(d), read_u32(d + 4)};
    if (f->frames == 0) return FIELD_BAD_ZERO;
    return f->frames > PNG_INT_MAX || f->plays > PNG_INT_MAX ? FIELD_TOO_LARGE : FIELD_OK;
}

int serialize_actl(const ActlFields& f, FieldBytes* out)
{
    uint8_t d[8];
    write_u32(d, f.frames);
    write_u32(d + 4, f.plays);
    ActlFields check;
    return finish_serialize(d, 8, 0, parse_actl(d, 8, &check), out);
}

static int check_fctl(const FctlFields& f)
{
    if (f.width == 0 || f.height == 0) return FIELD_BAD_ZERO;
    const uint32_t words[] = {f.sequence, f.width, f.height, f.x, f.y};
    for (uint32_t word : words) {
        if (word > PNG_INT_MAX) return FIELD_TOO_LARGE;
    }
    return f.dispose > 2 ? FIELD_BAD_DISPOSE : f.blend > 1 ? FIELD_BAD_BLEND : FIELD_OK;
}

int parse_fctl(const uint8_t* d, uint32_t length, FctlFields* f)
{
    *f = FctlFields{};
    if (length != 26) return FIELD_WRONG_LENGTH;
    *f = FctlFields{read_u32(d),      read_u32(d + 4),  read_u32(d + 8), read_u32(d + 12), read_u32(d + 16),
                    field_u16(d + 20), field_u16(d + 22), d[24],           d[25]};
    return check_fctl(*f);
}

int serialize_fctl(const FctlFields& f, FieldBytes* out)
{
    FieldWriter writer = {nullptr, 0};
    uint8_t d[26];
    writer.data = d;
    const uint32_t words[] = {f.sequence, f.width, f.height, f.x, f.y};
    for (uint32_t word : words) write_word(&writer, word);
    put_u16(d + 20, f.delay_numerator);
    put_u16(d + 22, f.delay_denominator);
    d[24] = f.dispose;
    d[25] = f.blend;
    return finish_serialize(d, 26, 0, check_fctl(f), out);
}
