// A growing list of paths with checked allocations: the files of a batch, the
// entries of a folder.
#pragma once
#include <stdint.h>

struct PathList {
    char**  paths;   // `count` zero-terminated paths, each owned by the list
    int32_t count;
    int32_t capacity;
};

// Each answers 0 (and leaves the list as it was) when memory runs out.
int  path_list_add(PathList* list, const char* path);
// Adds folder + separator + name (no separator doubled).
int  path_list_add_joined(PathList* list, const char* folder, const char* name);
void path_list_sort(PathList* list);
void path_list_free(PathList* list);
