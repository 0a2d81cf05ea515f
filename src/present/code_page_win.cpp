// Code page 932 through the system's own tables.
#include <windows.h>

#include "code_page.h"

int convert_cp932_run(TextBuilder* out, const uint8_t* bytes, size_t count)
{
    if (count > CP932_RUN) {
        return 0;
    }
    wchar_t wide[CP932_RUN];
    int units = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, (const char*)bytes, (int)count, wide, (int)CP932_RUN);
    if (units <= 0) {
        return 0;
    }
    char utf8[CP932_RUN * 3];
    int made = WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, (int)sizeof utf8, nullptr, nullptr);
    if (made <= 0) {
        return 0;
    }
    text_add(out, utf8, (size_t)made);
    return 1;
}
