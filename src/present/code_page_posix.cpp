// Code page 932 through iconv, which knows it as CP932 (Windows' own mapping,
// not plain Shift_JIS).
#include <iconv.h>

#include "code_page.h"

// Opened once per process: opening costs more than converting a whole chunk
// table, and the command line converts every cell it prints.
static iconv_t cp932_converter()
{
    static iconv_t converter = iconv_open("UTF-8", "CP932");
    return converter;
}

int convert_cp932_run(TextBuilder* out, const uint8_t* bytes, size_t count)
{
    iconv_t converter = cp932_converter();
    if (converter == (iconv_t)-1 || count > CP932_RUN) {
        return 0;
    }
    iconv(converter, nullptr, nullptr, nullptr, nullptr);   // a fresh state for every run
    // A code page 932 character is at most 2 bytes and becomes at most 3.
    char utf8[CP932_RUN * 3];
    char* in = (char*)bytes;
    char* to = utf8;
    size_t in_left = count, out_left = sizeof utf8;
    size_t result = iconv(converter, &in, &in_left, &to, &out_left);
    if (result == (size_t)-1 || in_left != 0) {
        return 0;
    }
    text_add(out, utf8, sizeof utf8 - out_left);
    return 1;
}
