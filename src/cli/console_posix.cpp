// The command line's platform layer natively: UTF-8 throughout, iconv for code
// page 932, POSIX folders.
#include <dirent.h>
#include <errno.h>
#include <iconv.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "cli/console.h"
#include "cli/path_list.h"

namespace {

void write_stream(void*, ConsoleStream stream, const char* text, size_t bytes)
{
    int fd = stream == CONSOLE_ERR ? 2 : 1;
    while (bytes > 0) {
        ssize_t done = write(fd, text, bytes);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return;
        text += done;
        bytes -= (size_t)done;
    }
}

ConsoleTerminal stream_terminal(void*, ConsoleStream stream)
{
    return isatty(stream == CONSOLE_ERR ? 2 : 1) ? CONSOLE_TERMINAL : CONSOLE_REDIRECTED;
}

uint32_t monotonic_ms(void*)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)((uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u);
}

const Console POSIX_CONSOLE = {nullptr, write_stream, stream_terminal, monotonic_ms};

const char REPLACEMENT[] = "\xEF\xBF\xBD";

}  // namespace

const Console* platform_console()
{
    return &POSIX_CONSOLE;
}

static int is_ascii(const char* text, size_t bytes)
{
    for (size_t i = 0; i < bytes; i++) {
        if ((uint8_t)text[i] >= 0x80) return 0;
    }
    return 1;
}

// The converter is opened once per process: opening it costs more than
// converting a whole table.
static iconv_t cp932_converter()
{
    static iconv_t converter = iconv_open("UTF-8", "CP932");
    return converter;
}

// Converts one piece; 0 (and nothing added) when iconv refuses some of it.
static int convert_piece(iconv_t converter, TextBuilder* out, const char* text, size_t bytes)
{
    char buffer[1024];
    char* in = (char*)text;
    size_t in_left = bytes;
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    size_t done = iconv(converter, &in, &in_left, &dst, &dst_left);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (done == (size_t)-1 || in_left != 0) return 0;
    text_add(out, buffer, sizeof buffer - dst_left);
    return 1;
}

// Whole texts in one go; a text iconv refuses goes one character at a time, so
// that a byte that is not code page 932 becomes U+FFFD and the rest converts.
void append_cp932(TextBuilder* out, const char* text, size_t bytes)
{
    iconv_t converter = cp932_converter();
    if (is_ascii(text, bytes) || converter == (iconv_t)-1) {
        text_add(out, text, bytes);
        return;
    }
    if (bytes <= 256 && convert_piece(converter, out, text, bytes)) return;
    size_t at = 0;
    while (at < bytes) {
        uint8_t lead = (uint8_t)text[at];
        size_t take = (lead >= 0x81 && lead <= 0xFC && !(lead >= 0xA0 && lead <= 0xDF) && at + 1 < bytes) ? 2 : 1;
        if (!convert_piece(converter, out, text + at, take)) text_add(out, REPLACEMENT, 3);
        at += take;
    }
}

void append_native(TextBuilder* out, const char* text)
{
    text_add(out, text);
}

int user_prefers_japanese()
{
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char* name : names) {
        const char* value = getenv(name);
        if (value && *value) {
            return strncmp(value, "ja", 2) == 0;
        }
    }
    return 0;
}

PathKind path_kind(const char* path)
{
    struct stat facts;
    if (stat(path, &facts) != 0) return PATH_MISSING;
    return S_ISDIR(facts.st_mode) ? PATH_FOLDER : PATH_FILE;
}

int same_file(const char* a, const char* b)
{
    struct stat first, second;
    return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

int make_folder(const char* path)
{
    return mkdir(path, 0777) == 0 || path_kind(path) == PATH_FOLDER;
}

char path_separator()
{
    return '/';
}

int is_path_separator(char c)
{
    return c == '/';
}

int list_folder(const char* folder, PathVisit visit, void* context)
{
    DIR* listing = opendir(folder);
    if (!listing) return 0;
    PathList names = {};
    int ok = 1;
    while (dirent* entry = readdir(listing)) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
        ok = ok && path_list_add_joined(&names, folder, entry->d_name);
    }
    closedir(listing);
    path_list_sort(&names);
    for (int32_t i = 0; ok && i < names.count; i++) {
        ok = visit(context, names.paths[i], path_kind(names.paths[i]));
    }
    path_list_free(&names);
    return ok;
}

int expand_operand(const char* operand, PathVisit visit, void* context)
{
    return visit(context, operand, path_kind(operand));
}
