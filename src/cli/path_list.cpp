#include "path_list.h"

#include <stdlib.h>
#include <string.h>

#include "cli/console.h"
#include "document/memory.h"

static int make_room(PathList* list)
{
    if (list->count < list->capacity) return 1;
    int32_t capacity = list->capacity ? list->capacity * 2 : 16;
    char** grown = (char**)zero_alloc((size_t)capacity * sizeof(char*));
    if (!grown) return 0;
    if (list->count) memcpy(grown, list->paths, (size_t)list->count * sizeof(char*));
    zero_free(list->paths);
    list->paths = grown;
    list->capacity = capacity;
    return 1;
}

static int add_parts(PathList* list, const char* head, size_t head_length, const char* tail)
{
    size_t tail_length = strlen(tail);
    if (!make_room(list)) return 0;
    char* path = (char*)zero_alloc(head_length + tail_length + 2);
    if (!path) return 0;
    memcpy(path, head, head_length);
    size_t at = head_length;
    if (head_length && tail_length && !is_path_separator(head[head_length - 1])) {
        path[at++] = path_separator();
    }
    memcpy(path + at, tail, tail_length);
    list->paths[list->count++] = path;
    return 1;
}

int path_list_add(PathList* list, const char* path)
{
    return add_parts(list, "", 0, path);
}

int path_list_add_joined(PathList* list, const char* folder, const char* name)
{
    return add_parts(list, folder, strlen(folder), name);
}

static int compare_paths(const void* a, const void* b)
{
    return strcmp(*(char* const*)a, *(char* const*)b);
}

void path_list_sort(PathList* list)
{
    if (list->count > 1) qsort(list->paths, (size_t)list->count, sizeof(char*), compare_paths);
}

void path_list_free(PathList* list)
{
    for (int32_t i = 0; i < list->count; i++) {
        zero_free(list->paths[i]);
    }
    zero_free(list->paths);
    *list = PathList{};
}
