// The command line's platform layer natively: UTF-8 throughout, POSIX folders.
#include <dirent.h>
#include <errno.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "cli/console.h"
#include "cli/path_list.h"

namespace {

// Standard output goes through stdio's buffer (flushed at exit, and before
// anything is written to standard error, so that the two keep their order): a
// batch writes a line or more per file, and a system call each costs more than
// the line.
void write_stream(void*, ConsoleStream stream, const char* text, size_t bytes)
{
    if (stream != CONSOLE_ERR) {
        fwrite(text, 1, bytes, stdout);
        return;
    }
    fflush(stdout);
    int fd = 2;
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

}  // namespace

const Console* platform_console()
{
    return &POSIX_CONSOLE;
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
