// The command line's platform layer on Windows: wide-character output on a
// console, UTF-8 bytes when redirected; paths from the ANSI code page; folders
// and wildcards through FindFirstFileA (the shell leaves patterns to us).
#include <windows.h>

#include <string.h>

#include "cli/console.h"
#include "cli/path_list.h"
#include "document/memory.h"

// The runtime's own wildcard expansion stays off: operands are expanded here, once.
extern "C" {
int _dowildcard = 0;
}

namespace {

HANDLE stream_handle(ConsoleStream stream)
{
    return GetStdHandle(stream == CONSOLE_ERR ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
}

int is_console(HANDLE handle)
{
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void write_wide(HANDLE handle, const char* text, size_t bytes)
{
    int wide = MultiByteToWideChar(CP_UTF8, 0, text, (int)bytes, nullptr, 0);
    wchar_t* buffer = wide > 0 ? (wchar_t*)zero_alloc(sizeof(wchar_t) * (size_t)wide) : nullptr;
    if (!buffer) return;
    MultiByteToWideChar(CP_UTF8, 0, text, (int)bytes, buffer, wide);
    DWORD written;
    WriteConsoleW(handle, buffer, (DWORD)wide, &written, nullptr);
    zero_free(buffer);
}

void write_stream(void*, ConsoleStream stream, const char* text, size_t bytes)
{
    HANDLE handle = stream_handle(stream);
    if (is_console(handle)) {
        write_wide(handle, text, bytes);
        return;
    }
    DWORD written;
    WriteFile(handle, text, (DWORD)bytes, &written, nullptr);
}

ConsoleTerminal stream_terminal(void*, ConsoleStream stream)
{
    return is_console(stream_handle(stream)) ? CONSOLE_TERMINAL : CONSOLE_REDIRECTED;
}

uint32_t tick_ms(void*)
{
    return GetTickCount();
}

const Console WIN_CONSOLE = {nullptr, write_stream, stream_terminal, tick_ms};

// Text of `code_page` appended as UTF-8, through wide characters.
void append_converted(TextBuilder* out, UINT code_page, const char* text, size_t bytes)
{
    if (bytes == 0) return;
    int wide = MultiByteToWideChar(code_page, 0, text, (int)bytes, nullptr, 0);
    wchar_t* buffer = wide > 0 ? (wchar_t*)zero_alloc(sizeof(wchar_t) * (size_t)wide) : nullptr;
    int narrow = 0;
    if (buffer) {
        MultiByteToWideChar(code_page, 0, text, (int)bytes, buffer, wide);
        narrow = WideCharToMultiByte(CP_UTF8, 0, buffer, wide, nullptr, 0, nullptr, nullptr);
    }
    char* utf8 = narrow > 0 ? (char*)zero_alloc((size_t)narrow) : nullptr;
    if (utf8) {
        WideCharToMultiByte(CP_UTF8, 0, buffer, wide, utf8, narrow, nullptr, nullptr);
        text_add(out, utf8, (size_t)narrow);
    }
    zero_free(utf8);
    zero_free(buffer);
}

int has_wildcard(const char* operand)
{
    return strpbrk(operand, "*?") != nullptr;
}

// The folder part of a pattern, up to and including its last separator.
size_t folder_length(const char* pattern)
{
    size_t length = 0;
    for (size_t i = 0; pattern[i]; i++) {
        if (is_path_separator(pattern[i])) length = i + 1;
    }
    return length;
}

// The names FindFirstFileA gives for `pattern`, sorted, each after `folder`.
int find_names(const char* pattern, const char* folder, size_t folder_bytes, PathList* names)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 1;
    char head[MAX_PATH];
    size_t head_bytes = folder_bytes < sizeof head ? folder_bytes : sizeof head - 1;
    memcpy(head, folder, head_bytes);
    head[head_bytes] = 0;
    int ok = 1;
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
        ok = path_list_add_joined(names, head, found.cFileName);
    } while (ok && FindNextFileA(search, &found));
    FindClose(search);
    path_list_sort(names);
    return ok;
}

int visit_names(const PathList& names, PathVisit visit, void* context)
{
    int ok = 1;
    for (int32_t i = 0; ok && i < names.count; i++) {
        ok = visit(context, names.paths[i], path_kind(names.paths[i]));
    }
    return ok;
}

}  // namespace

const Console* platform_console()
{
    return &WIN_CONSOLE;
}

void append_native(TextBuilder* out, const char* text)
{
    append_converted(out, CP_ACP, text, strlen(text));
}

int user_prefers_japanese()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

PathKind path_kind(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return PATH_MISSING;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PATH_FOLDER : PATH_FILE;
}

int same_file(const char* a, const char* b)
{
    char first[MAX_PATH], second[MAX_PATH];
    DWORD one = GetFullPathNameA(a, MAX_PATH, first, nullptr);
    DWORD two = GetFullPathNameA(b, MAX_PATH, second, nullptr);
    return one > 0 && one < MAX_PATH && two > 0 && two < MAX_PATH && lstrcmpiA(first, second) == 0 &&
           path_kind(a) == PATH_FILE;
}

int make_folder(const char* path)
{
    return CreateDirectoryA(path, nullptr) || path_kind(path) == PATH_FOLDER;
}

char path_separator()
{
    return '\\';
}

int is_path_separator(char c)
{
    return c == '\\' || c == '/' || c == ':';
}

int list_folder(const char* folder, PathVisit visit, void* context)
{
    PathList pattern = {};
    PathList names = {};
    int ok = path_list_add_joined(&pattern, folder, "*") &&
             find_names(pattern.paths[0], pattern.paths[0], strlen(pattern.paths[0]) - 1, &names) &&
             visit_names(names, visit, context);
    path_list_free(&pattern);
    path_list_free(&names);
    return ok;
}

int expand_operand(const char* operand, PathVisit visit, void* context)
{
    if (!has_wildcard(operand)) return visit(context, operand, path_kind(operand));
    PathList names = {};
    int ok = find_names(operand, operand, folder_length(operand), &names);
    // A pattern that matches nothing is reported as the name it is.
    if (ok && names.count == 0) ok = visit(context, operand, PATH_MISSING);
    else if (ok) ok = visit_names(names, visit, context);
    path_list_free(&names);
    return ok;
}
