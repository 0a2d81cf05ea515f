// An in-memory folder behind the file layer's seam: files are byte strings by name,
// so sweeps over thousands of loads and saves (and the fuzzers) never touch the disk.
// Installed for the lifetime of one MemoryFiles; only one may be alive at a time.
#pragma once
#include <stdint.h>

#include <map>
#include <string>

#include "support/test_support.h"

struct MemoryFiles {
    MemoryFiles();
    ~MemoryFiles();
    std::map<std::string, Bytes> files;
    int64_t write_budget = -1;   // bytes that may still be written; -1: no limit
    int open_handles = 0;        // handles opened and not yet closed
};
