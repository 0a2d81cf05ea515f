// Code page 932 through iconv, which knows it as CP932 (Windows' own mapping,
// not plain Shift_JIS).
#include <iconv.h>

#include "code_page.h"

int convert_cp932_run(TextBuilder* out, const uint8_t* bytes, size_t count)
{
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == (iconv_t)-1 || count > CP932_RUN) {
        if (converter != (iconv_t)-1) iconv_close(converter);
        return 0;
    }
    // A code page 932 character is at most 2 bytes and becomes at most 3.
    char utf8[CP932_RUN * 3];
    char* in = (char*)bytes;
    char* to = utf8;
    size_t in_left = count, out_left = sizeof utf8;
    size_t result = iconv(converter, &in, &in_left, &to, &out_left);
    iconv_close(converter);
    if (result == (size_t)-1 || in_left != 0) {
        return 0;
    }
    text_add(out, utf8, sizeof utf8 - out_left);
    return 1;
}
