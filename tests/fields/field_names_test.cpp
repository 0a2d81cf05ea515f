#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "fields/editor_fields.h"
#include "fields/field_names.h"
#include "fields/field_zlib.h"
#include "support/test_support.h"

namespace {

struct Edit {
    int kind;
    const char* assignment;
    int code;           // FieldTextResult
    int fault;          // with TEXT_BAD_TEXT
    const char* back;   // the value read back after success
};

TEST(FieldNames, ValuesAreCheckedAndReadBackByName)
{
    const Edit edits[] = {
        {KIND_PHYS, "x=11811", TEXT_OK, FIELD_OK, "11811"},
        {KIND_PHYS, "x=2147483648", TEXT_OUT_OF_RANGE, FIELD_OK, nullptr},
        {KIND_PHYS, "x=-1", TEXT_OUT_OF_RANGE, FIELD_OK, nullptr},
        {KIND_PHYS, "x=12a", TEXT_NOT_A_NUMBER, FIELD_OK, nullptr},
        {KIND_PHYS, "x=", TEXT_NOT_A_NUMBER, FIELD_OK, nullptr},
        {KIND_PHYS, "unit=2", TEXT_OUT_OF_RANGE, FIELD_OK, nullptr},
        {KIND_PHYS, "dpi=300", TEXT_UNKNOWN_FIELD, FIELD_OK, nullptr},
        {KIND_PHYS, "x11811", TEXT_UNKNOWN_FIELD, FIELD_OK, nullptr},
        {KIND_GAMA, "gamma=0.45455", TEXT_OK, FIELD_OK, "45455"},
        {KIND_GAMA, "gamma=2.2", TEXT_OK, FIELD_OK, "45455"},
        {KIND_GAMA, "gamma=0", TEXT_OUT_OF_RANGE, FIELD_OK, nullptr},
        {KIND_CHRM, "white_x=0.3127", TEXT_OK, FIELD_OK, "31270"},
        {KIND_SRGB, "intent=4", TEXT_OUT_OF_RANGE, FIELD_OK, nullptr},
        {KIND_TIME, "month=13", TEXT_OUT_OF_RANGE, FIELD_OK, nullptr},
        {KIND_TIME, "second=60", TEXT_OK, FIELD_OK, "60"},
        {KIND_TEXT, "keyword=Title", TEXT_OK, FIELD_OK, "Title"},
        {KIND_TEXT, "keyword= Title", TEXT_BAD_TEXT, FIELD_BAD_KEYWORD, nullptr},
        {KIND_TEXT, "text=J\xC3\xB6rg", TEXT_OK, FIELD_OK, "J\xC3\xB6rg"},
        {KIND_TEXT, "text=\xE6\xB5\xB7", TEXT_BAD_TEXT, FIELD_NOT_LATIN1, nullptr},
        {KIND_ZTXT, "text=compressed text", TEXT_OK, FIELD_OK, "compressed text"},
        {KIND_ITXT, "text=\xE6\xB5\xB7", TEXT_OK, FIELD_OK, "\xE6\xB5\xB7"},
        {KIND_ITXT, "text=\xFF", TEXT_BAD_TEXT, FIELD_NOT_UTF8, nullptr},
        {KIND_ITXT, "language=en-GB", TEXT_OK, FIELD_OK, "en-GB"},
        {KIND_ITXT, "language=en GB", TEXT_BAD_TEXT, FIELD_BAD_LANGUAGE, nullptr},
        {KIND_OFFS, "x=-2147483647", TEXT_OK, FIELD_OK, "-2147483647"},
        {KIND_OFFS, "x=-2147483648", TEXT_OUT_OF_RANGE, FIELD_OK, nullptr},
        {KIND_PCAL, "parameters=-1,2.5e3", TEXT_OK, FIELD_OK, "-1,2.5e3"},
        {KIND_PCAL, "parameters=1,,2", TEXT_BAD_TEXT, FIELD_BAD_NUMBER, nullptr},
        {KIND_SCAL, "width=0.5", TEXT_OK, FIELD_OK, "0.5"},
        {KIND_SCAL, "width=-0.5", TEXT_BAD_TEXT, FIELD_BAD_NUMBER, nullptr},
        {KIND_GIFX, "identifier=NETSCAPE", TEXT_OK, FIELD_OK, "NETSCAPE"},
        {KIND_GIFX, "identifier=NETSCAP", TEXT_OUT_OF_RANGE, FIELD_OK, nullptr},
        {KIND_FCTL, "dispose=3", TEXT_OUT_OF_RANGE, FIELD_OK, nullptr},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.assignment);
        AnyFields fields;
        default_fields(e.kind, nullptr, &fields);
        FieldStore store = {};
        FieldTextError error = {};
        int applied = apply_field_assignment(e.kind, &fields, &store, e.assignment, &error);
        EXPECT_EQ(e.code, error.code);
        EXPECT_EQ(e.code == TEXT_OK, applied != 0);
        if (e.code == TEXT_BAD_TEXT) {
            EXPECT_STREQ(field_result_name(e.fault), field_result_name(error.fault));
        }
        if (e.back) {
            char text[64];
            EXPECT_EQ(strlen(e.back), field_value_text(fields, *error.spec, text, sizeof text));
            EXPECT_STREQ(e.back, text);
            // An accepted value still serializes: the fields stay well-formed.
            FieldBytes out = {};
            EXPECT_EQ(FIELD_OK, serialize_fields(fields, ImageLayout{2, 8, -1}, &out));
            field_bytes_free(&out);
        }
        field_store_free(&store);
    }
}

TEST(FieldNames, EveryNewChunkSerializesAndEveryNameIsFound)
{
    const IhdrFields palette = {16, 16, 4, 3, 0, 0, 0};
    for (int kind = 1; kind < KIND_COUNT; kind++) {
        AnyFields fields;
        default_fields(kind, &palette, &fields);
        FieldBytes out = {};
        EXPECT_EQ(FIELD_OK, serialize_fields(fields, ImageLayout{3, 4, 1}, &out)) << field_kind_type(kind);
        field_bytes_free(&out);
        size_t count = 0;
        const FieldSpec* specs = field_specs(kind, &count);
        for (size_t k = 0; k < count; k++) EXPECT_EQ(&specs[k], find_field_spec(kind, specs[k].name));
    }
}

// Turning iTXt's compression on and off keeps the text.
TEST(FieldNames, ItxtCompressionRecodesTheText)
{
    AnyFields fields;
    default_fields(KIND_ITXT, nullptr, &fields);
    FieldStore store = {};
    FieldTextError error = {};
    ASSERT_TRUE(apply_field_text(KIND_ITXT, &fields, &store, "text", "\xE6\xB5\xB7\xE6\xB5\xB7", &error));
    ASSERT_TRUE(apply_field_text(KIND_ITXT, &fields, &store, "compressed", "1", &error));
    FieldBytes plain = {};
    ASSERT_EQ(INFLATE_OK, decompress_field(fields.itxt.text, 100, &plain));
    EXPECT_EQ(std::string("\xE6\xB5\xB7\xE6\xB5\xB7"), std::string((char*)plain.data, plain.length));
    field_bytes_free(&plain);
    ASSERT_TRUE(apply_field_text(KIND_ITXT, &fields, &store, "compressed", "0", &error));
    EXPECT_EQ(std::string("\xE6\xB5\xB7\xE6\xB5\xB7"), std::string((const char*)fields.itxt.text.bytes, fields.itxt.text.length));
    field_store_free(&store);
}

TEST(FieldNames, Conveniences)
{
    PhysFields phys;
    const uint32_t dpis[][2] = {{300, 11811}, {72, 2835}, {96, 3780}, {1, 39}, {0, 0}};
    for (const auto& d : dpis) {
        ASSERT_EQ(FIELD_OK, phys_from_dpi(d[0], &phys));
        EXPECT_EQ(d[1], phys.x) << d[0];
        EXPECT_EQ(1, phys.unit);
    }
    EXPECT_EQ(FIELD_TOO_LARGE, phys_from_dpi(0xFFFFFFFFu, &phys));

    struct TimeCase {
        const char* text;
        int result;
    } times[] = {{"2024-02-29T23:59:60", FIELD_OK}, {"2023-02-29T00:00:00", FIELD_BAD_DATE},
                 {"2024-1-01T00:00:00", FIELD_BAD_NUMBER}, {"2024-01-01 00:00:00", FIELD_BAD_NUMBER},
                 {"2024-01-01T00:00:00Z", FIELD_BAD_NUMBER}};
    for (const TimeCase& t : times) {
        TimeFields time = {};
        EXPECT_EQ(t.result, time_from_text(t.text, &time)) << t.text;
    }
    TimeFields now;
    time_now(&now);
    EXPECT_TRUE(time_valid(now));
    EXPECT_GE(now.year, 2024);

    struct TextCase {
        const char* key;
        const char* value;
        TextCompression compression;
        const char* type;   // "" when refused
    } texts[] = {{"Title", "J\xC3\xB6rg", TEXT_STORED, "tEXt"}, {"Title", "\xE6\xB5\xB7", TEXT_STORED, "iTXt"},
                 {"Title", "x", TEXT_COMPRESSED, "zTXt"},       {"Title", "\xE6\xB5\xB7", TEXT_COMPRESSED, "iTXt"},
                 {"Ti  tle", "x", TEXT_STORED, ""},              {"\xE6\xB5\xB7", "x", TEXT_STORED, ""}};
    for (const TextCase& t : texts) {
        char type[5] = "";
        FieldBytes out = {};
        int result = text_chunk_from(t.key, t.value, t.compression, type, &out);
        EXPECT_EQ(*t.type ? FIELD_OK : FIELD_BAD_KEYWORD, result) << t.key << " " << t.value;
        if (*t.type) {
            EXPECT_STREQ(t.type, type);
        }
        field_bytes_free(&out);
    }
}

// Every preset applies cleanly, and each colour type shows exactly its samples.
TEST(FieldNames, EditorPresetsAndLayouts)
{
    for (int kind = 1; kind < KIND_COUNT; kind++) {
        size_t count = 0;
        const FieldPreset* presets = field_presets(kind, &count);
        for (size_t k = 0; k < count; k++) {
            AnyFields fields;
            default_fields(kind, nullptr, &fields);
            FieldStore store = {};
            std::string all = presets[k].assignments;
            for (size_t at = 0, end; at <= all.size(); at = end + 1) {
                end = all.find(';', at);
                if (end == std::string::npos) end = all.size();
                FieldTextError error;
                EXPECT_EQ(1, apply_field_assignment(kind, &fields, &store, all.substr(at, end - at).c_str(), &error))
                    << presets[k].label;
            }
            FieldBytes out = {};
            EXPECT_EQ(FIELD_OK, serialize_fields(fields, UNKNOWN_LAYOUT, &out)) << presets[k].label;
            field_bytes_free(&out);
            field_store_free(&store);
        }
    }
    struct Case {
        int kind, colour_type;
        const char* shown;
    } cases[] = {
        {KIND_BKGD, 0, "gray "}, {KIND_BKGD, 3, "index "}, {KIND_BKGD, 6, "red green blue "},
        {KIND_TRNS, 2, "red green blue "}, {KIND_TRNS, 3, ""}, {KIND_TRNS, 4, ""},
        {KIND_SBIT, 4, "bits1 bits2 "}, {KIND_SBIT, -1, "bits1 bits2 bits3 bits4 "}, {KIND_PHYS, 3, "x y unit "},
    };
    for (const Case& c : cases) {
        size_t count = 0;
        const FieldSpec* specs = field_specs(c.kind, &count);
        std::string shown;
        for (size_t k = 0; k < count; k++) {
            if (field_in_layout(c.kind, specs[k], ImageLayout{c.colour_type, 8, -1})) shown += std::string(specs[k].name) + " ";
        }
        EXPECT_EQ(c.shown, shown) << field_kind_type(c.kind) << " " << c.colour_type;
    }
    EXPECT_EQ(KIND_TEXT, text_kind_for("J\xC3\xB6rg", TEXT_STORED, SCRIPT_LATIN1_IF_POSSIBLE));
    EXPECT_EQ(KIND_ZTXT, text_kind_for("a\nb", TEXT_COMPRESSED, SCRIPT_LATIN1_IF_POSSIBLE));
    EXPECT_EQ(KIND_ITXT, text_kind_for("\xE5\xA4\x95", TEXT_STORED, SCRIPT_LATIN1_IF_POSSIBLE));
    EXPECT_EQ(KIND_ITXT, text_kind_for("plain", TEXT_STORED, SCRIPT_INTERNATIONAL));
    struct Delay {
        const char* seconds;
        int result;
        const char* fraction;
    } delays[] = {
        {"0.1", FIELD_OK, "1/10"}, {"2", FIELD_OK, "2/1"}, {"1.25", FIELD_OK, "5/4"}, {"0", FIELD_OK, "0/1"},
        {".5", FIELD_OK, "1/2"},   {"65536", FIELD_TOO_LARGE, ""}, {"0.0001", FIELD_TOO_LARGE, ""},
        {"1e3", FIELD_BAD_NUMBER, ""}, {".", FIELD_BAD_NUMBER, ""}, {"", FIELD_BAD_NUMBER, ""},
    };
    for (const Delay& d : delays) {
        uint16_t numerator = 0, denominator = 0;
        EXPECT_EQ(d.result, delay_from_seconds(d.seconds, &numerator, &denominator)) << d.seconds;
        if (d.result == FIELD_OK) EXPECT_EQ(d.fraction, std::to_string(numerator) + "/" + std::to_string(denominator));
    }
}

}  // namespace
