// A file layer that passes everything through to the platform's, but lets a test
// cut writes short, make the final flush fail, refuse to create or to replace, or
// stop reading early. Installed for the lifetime of one FaultyLayer.
#pragma once
#include <stdint.h>

#include <algorithm>

#include "document/file_layer.h"

struct FaultyLayer {
    static inline FileLayer table;
    static inline int64_t write_budget;   // bytes that may still be written; -1: no limit
    static inline int refuse_replace;
    static inline int64_t read_budget;    // bytes that may still be read; -1: no limit
    static inline int fail_flush;
    static inline int refuse_create;

    static uint32_t write(FileHandle f, const void* b, uint32_t n)
    {
        uint32_t allowed = n;
        if (write_budget >= 0) {
            allowed = (uint32_t)std::min<int64_t>(n, write_budget);
            write_budget -= allowed;
        }
        return platform_file_layer()->write(f, b, allowed);
    }
    static uint32_t read(FileHandle f, void* b, uint32_t n)
    {
        uint32_t allowed = n;
        if (read_budget >= 0) {
            allowed = (uint32_t)std::min<int64_t>(n, read_budget);
            read_budget -= allowed;
        }
        return platform_file_layer()->read(f, b, allowed);
    }
    static int replace(const char* from, const char* to)
    {
        return refuse_replace ? 0 : platform_file_layer()->replace(from, to);
    }
    static int flush(FileHandle f)
    {
        int flushed = platform_file_layer()->flush(f);
        return fail_flush ? 0 : flushed;
    }
    static FileHandle create_exclusive(const char* path)
    {
        return refuse_create ? FILE_NONE : platform_file_layer()->create_exclusive(path);
    }
    FaultyLayer()
    {
        table = *platform_file_layer();
        table.write = write;
        table.read = read;
        table.replace = replace;
        table.flush = flush;
        table.create_exclusive = create_exclusive;
        write_budget = -1;
        read_budget = -1;
        refuse_replace = 0;
        fail_flush = 0;
        refuse_create = 0;
        set_file_layer(&table);
    }
    ~FaultyLayer() { set_file_layer(nullptr); }
};
