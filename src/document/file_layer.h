// The thin platform layer under loading and saving: CreateFileA and friends on
// Windows, POSIX calls natively. Handles are opaque; FILE_NONE means none.
// Tests may replace the whole table (set_file_layer) to inject failures.
#pragma once
#include <stdint.h>

typedef intptr_t FileHandle;
const FileHandle FILE_NONE = -1;

struct FileLayer {
    // Opens an existing file for reading, sharing read access.
    FileHandle (*open_existing)(const char* path);
    // Creates a new file for writing, sharing read access; fails if the name is taken.
    FileHandle (*create_exclusive)(const char* path);
    // Both return the number of bytes transferred (fewer than asked on failure).
    uint32_t (*read)(FileHandle file, void* buffer, uint32_t bytes);
    uint32_t (*write)(FileHandle file, const void* buffer, uint32_t bytes);
    // 1 with the size, or 0 when the size cannot be had.
    int (*size)(FileHandle file, uint64_t* size);
    // Forces written data to the disk; 1 on success.
    int (*flush)(FileHandle file);
    void (*close)(FileHandle file);
    // Moves `from` over `to`, replacing an existing `to`; 1 on success.
    int (*replace)(const char* from, const char* to);
    void (*remove)(const char* path);
    // 1 when `path` names an existing file or folder.
    int (*exists)(const char* path);
};

// The platform's own table (file_layer_posix.cpp or file_layer_win.cpp).
const FileLayer* platform_file_layer();
// The table in use; the platform's unless a test replaced it.
const FileLayer* file_layer();
// Null restores the platform's table.
void set_file_layer(const FileLayer* layer);
