#include "chunk_summary.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "document/byte_order.h"
#include "document/memory.h"
#include "present_texts.h"

// The buffer and the record of the call in progress; the writers read them. They
// mean something only while chunk_summary runs, so the operation is not reentrant.
static char* s_output = nullptr;
static const ChunkRecord* s_record = nullptr;

// The longest profile or palette name shown; longer names are cut.
static const uint32_t NAME_LIMIT = 79;
// A tEXt text longer than this is cut to its first TEXT_KEEP bytes and the cut mark.
static const size_t TEXT_LIMIT = 128;
static const size_t TEXT_KEEP = TEXT_LIMIT - 3;

// The room for a keyword: the bytes of a summary left after its fixed characters
// (the format without its two-byte "%s" directives) and, for tEXt, the text.
static size_t keyword_room(const char* format, int directives, size_t text_length)
{
    size_t fixed = strlen(format) - 2 * (size_t)directives;
    return (size_t)SUMMARY_SIZE - 1 - fixed - text_length;
}

// The longest head of `text` (of `length` bytes) that takes at most `room` bytes
// and does not split a double-byte character.
static size_t whole_characters(const char* text, size_t length, size_t room)
{
    size_t end = 0;
    while (end < length) {
        uint8_t lead = (uint8_t)text[end];
        size_t width = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
        if (end + width > room) {
            break;
        }
        end += width;
    }
    return end;
}

// Cuts a zero-terminated keyword in place so that it takes at most `room` bytes:
// as many whole characters as fit before the cut mark, then the mark.
static void fit_keyword(char* keyword, size_t room)
{
    size_t length = strlen(keyword);
    if (length <= room) {
        return;
    }
    size_t keep = whole_characters(keyword, length, room - strlen(CUT_MARK));
    memcpy(keyword + keep, CUT_MARK, sizeof CUT_MARK);
}

// A working copy of the record's data followed by `zeros` zero bytes, or null when
// memory runs out (the summary then says so).
static char* working_copy(size_t zeros)
{
    if (s_record->length > SIZE_MAX - zeros) {
        return nullptr;
    }
    char* copy = (char*)zero_alloc((size_t)s_record->length + zeros);
    if (copy && s_record->length) {
        memcpy(copy, s_record->data, s_record->length);
    }
    return copy;
}

static void write_fixed(const char* text)
{
    snprintf(s_output, SUMMARY_SIZE, "%s", text);
}

// A name at the start of the data: up to its first zero byte, at most 79 bytes,
// and never beyond the data (a short name without a zero runs to the data's end).
static void write_name(const char* format)
{
    uint32_t limit = s_record->length < NAME_LIMIT ? s_record->length : NAME_LIMIT;
    const void* zero = limit ? memchr(s_record->data, 0, limit) : nullptr;
    int length = zero ? (int)((const uint8_t*)zero - s_record->data) : (int)limit;
    snprintf(s_output, SUMMARY_SIZE, format, length, length ? (const char*)s_record->data : "");
}

// zTXt and iTXt show the keyword alone: the data up to its first zero byte.
static void write_keyword(const char* format)
{
    char* copy = working_copy(1);
    if (!copy) {
        write_fixed(SUMMARY_NO_MEMORY);
        return;
    }
    fit_keyword(copy, keyword_room(format, 1, 0));
    snprintf(s_output, SUMMARY_SIZE, format, copy);
    zero_free(copy);
}

static void write_idat() { write_fixed(SUMMARY_IDAT); }
static void write_iend() { write_fixed(SUMMARY_IEND); }
static void write_ihdr() { write_fixed(SUMMARY_IHDR); }
static void write_bkgd() { write_fixed(SUMMARY_BKGD); }
static void write_chrm() { write_fixed(SUMMARY_CHRM); }
static void write_gama() { write_fixed(SUMMARY_GAMA); }
static void write_hist() { write_fixed(SUMMARY_HIST); }
static void write_phys() { write_fixed(SUMMARY_PHYS); }
static void write_sbit() { write_fixed(SUMMARY_SBIT); }
static void write_trns() { write_fixed(SUMMARY_TRNS); }
static void write_unknown() { write_fixed(SUMMARY_UNKNOWN); }
static void write_iccp() { write_name(SUMMARY_ICCP); }
static void write_splt() { write_name(SUMMARY_SPLT); }
static void write_itxt() { write_keyword(SUMMARY_ITXT); }
static void write_ztxt() { write_keyword(SUMMARY_ZTXT); }

static void write_plte()
{
    snprintf(s_output, SUMMARY_SIZE, SUMMARY_PLTE, (unsigned)(s_record->length / 3));
}

static const char* const RenderingIntentNames[5] = {
    INTENT_PERCEPTUAL, INTENT_RELATIVE, INTENT_SATURATION, INTENT_ABSOLUTE, INTENT_UNDEFINED,
};

static void write_srgb()
{
    if (s_record->length < 1) {
        write_fixed(SUMMARY_SRGB_EMPTY);
        return;
    }
    unsigned intent = s_record->data[0];
    snprintf(s_output, SUMMARY_SIZE, SUMMARY_SRGB, intent, RenderingIntentNames[intent <= 3 ? intent : 4]);
}

// Year big-endian in bytes 0 and 1, then month, day, hour, minute, second; no
// calendar check.
static void write_time()
{
    if (s_record->length < 7) {
        write_fixed(SUMMARY_TIME_SHORT);
        return;
    }
    const uint8_t* d = s_record->data;
    snprintf(s_output, SUMMARY_SIZE, SUMMARY_TIME, (unsigned)(d[0] << 8 | d[1]), (unsigned)d[2], (unsigned)d[3],
             (unsigned)d[4], (unsigned)d[5], (unsigned)d[6]);
}

// Keyword and text. Two zeros follow the copy, so that without a zero byte in the
// data the keyword is the whole data and the text starts at the second zero, empty.
static void write_text()
{
    char* copy = working_copy(2);
    if (!copy) {
        write_fixed(SUMMARY_NO_MEMORY);
        return;
    }
    char* keyword = copy;
    char* text = keyword + strlen(keyword) + 1;
    size_t text_length = strlen(text);
    if (text_length > TEXT_LIMIT) {
        memcpy(text + TEXT_KEEP, CUT_MARK, sizeof CUT_MARK);
        text_length = TEXT_LIMIT;
    }
    // The keyword is cut only after the text, which keeps its own bound.
    fit_keyword(keyword, keyword_room(SUMMARY_TEXT, 2, text_length));
    snprintf(s_output, SUMMARY_SIZE, SUMMARY_TEXT, keyword, text);
    zero_free(copy);
}

struct SummaryEntry {
    const char* type;   // four type bytes; empty for the default entry
    void (*write)();
};

// Known types in ascending byte order, then the default entry.
static const SummaryEntry SummaryTable[19] = {
    {"IDAT", write_idat}, {"IEND", write_iend}, {"IHDR", write_ihdr}, {"PLTE", write_plte},
    {"bKGD", write_bkgd}, {"cHRM", write_chrm}, {"gAMA", write_gama}, {"hIST", write_hist},
    {"iCCP", write_iccp}, {"iTXt", write_itxt}, {"pHYs", write_phys}, {"sBIT", write_sbit},
    {"sPLT", write_splt}, {"sRGB", write_srgb}, {"tEXt", write_text}, {"tIME", write_time},
    {"tRNS", write_trns}, {"zTXt", write_ztxt}, {"", write_unknown},
};

void chunk_summary(char* output, const ChunkRecord& record)
{
    s_output = output;
    s_record = &record;
    output[0] = 0;
    uint32_t type = type_word(record.type);
    const SummaryEntry* entry = SummaryTable;
    while (entry->type[0] && type_word(entry->type) != type) {
        entry++;
    }
    entry->write();
}
