// Windows file layer: CreateFileA, ReadFile, WriteFile, GetFileSize, MoveFileExA.
#include "file_layer.h"

#include <windows.h>

static FileHandle win_open_existing(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? FILE_NONE : (FileHandle)h;
}

static FileHandle win_create_exclusive(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? FILE_NONE : (FileHandle)h;
}

static uint32_t win_read(FileHandle file, void* buffer, uint32_t bytes)
{
    uint32_t done = 0;
    while (done < bytes) {
        DWORD got = 0;
        if (!ReadFile((HANDLE)file, (char*)buffer + done, bytes - done, &got, nullptr) || got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

static uint32_t win_write(FileHandle file, const void* buffer, uint32_t bytes)
{
    DWORD put = 0;
    if (!WriteFile((HANDLE)file, buffer, bytes, &put, nullptr)) {
        return 0;
    }
    return put;
}

static int win_size(FileHandle file, uint64_t* size)
{
    DWORD high = 0;
    DWORD low = GetFileSize((HANDLE)file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        return 0;
    }
    *size = (uint64_t)high << 32 | low;
    return 1;
}

static int win_flush(FileHandle file)
{
    return FlushFileBuffers((HANDLE)file) != 0;
}

static void win_close(FileHandle file)
{
    CloseHandle((HANDLE)file);
}

static int win_replace(const char* from, const char* to)
{
    // A read-only target is never replaced, as creating it in place would fail too
    // (not every implementation of MoveFileExA refuses it by itself).
    DWORD attributes = GetFileAttributesA(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return 0;
    }
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

static void win_remove(const char* path)
{
    DeleteFileA(path);
}

static int win_exists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static const FileLayer s_win_layer = {
    win_open_existing, win_create_exclusive, win_read,   win_write,  win_size,
    win_flush,         win_close,            win_replace, win_remove, win_exists,
};

const FileLayer* platform_file_layer()
{
    return &s_win_layer;
}
