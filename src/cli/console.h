// The command line's platform layer: the console (UTF-8 text in, the console's
// own encoding out), the user's language, the system's encoding of paths and
// folders. (The core's texts are converted by present/code_page.h.) POSIX in
// console_posix.cpp, Windows in console_win.cpp: the only file of src/cli that
// includes a Windows header. Tests replace the console with one that records.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "present/text_out.h"

enum ConsoleStream {
    CONSOLE_OUT = 0,
    CONSOLE_ERR = 1,
};

enum ConsoleTerminal {
    CONSOLE_REDIRECTED = 0,
    CONSOLE_TERMINAL   = 1,
};

struct Console {
    void* context;
    // UTF-8 text; the platform's console gets it in its own encoding.
    void (*write)(void* context, ConsoleStream stream, const char* text, size_t bytes);
    ConsoleTerminal (*terminal)(void* context, ConsoleStream stream);
    uint32_t (*clock_ms)(void* context);   // milliseconds, wraps
};

const Console* platform_console();

// Appends a path or an argument as the system hands them over (UTF-8 natively,
// the ANSI code page on Windows) as UTF-8.
void append_native(TextBuilder* out, const char* text);

// 1 for a Japanese user locale.
int user_prefers_japanese();

enum PathKind {
    PATH_MISSING = 0,
    PATH_FILE    = 1,
    PATH_FOLDER  = 2,
};
PathKind path_kind(const char* path);
// 1 when both paths name one existing file.
int same_file(const char* a, const char* b);
// Creates the folder when it does not exist; 1 when it exists afterwards.
int make_folder(const char* path);
// '/' natively, '\\' on Windows (which takes '/' too).
char path_separator();
int is_path_separator(char c);

// Called with each name found, in name order; `visit` answers 0 to stop.
typedef int (*PathVisit)(void* context, const char* path, PathKind kind);
// The entries of a folder (without "." and ".."), as folder/name; 0 when it
// cannot be read.
int list_folder(const char* folder, PathVisit visit, void* context);
// The files a command-line operand names: on Windows a pattern with * or ? is
// expanded here (the shell does not); otherwise the operand itself.
int expand_operand(const char* operand, PathVisit visit, void* context);
