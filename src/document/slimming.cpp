#include "slimming.h"

#include "byte_order.h"
#include "chunk_edit.h"
#include "chunk_file.h"

static uint32_t type_at(int32_t index)
{
    if (!g_document.loaded || index < 0 || index >= g_document.count) {
        return 0;
    }
    return type_word(g_document.records[index].type);
}

int is_animation_chunk(int32_t index)
{
    uint32_t type = type_at(index);
    return type == type_word("acTL") || type == type_word("fcTL") || type == type_word("fdAT");
}

static int is_known_metadata(uint32_t type)
{
    static const char* const TYPES[] = {"tEXt", "zTXt", "iTXt", "tIME", "eXIf"};
    for (const char* name : TYPES) {
        if (type == type_word(name)) {
            return 1;
        }
    }
    return 0;
}

int is_metadata_chunk(int32_t index)
{
    uint32_t type = type_at(index);
    if (type == 0) {
        return 0;
    }
    // Ancillary (bit 5 of the first byte) and private (of the second): a chunk only
    // its own program reads. The animation's chunks are named that way too.
    int ancillary_private = (type & 0x20000000u) && (type & 0x00200000u);
    return is_known_metadata(type) || (ancillary_private && !is_animation_chunk(index) && type != type_word("iDOT"));
}

static int any_chunk(int (*test)(int32_t))
{
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        if (test(i)) {
            return 1;
        }
    }
    return 0;
}

static int is_idot(int32_t index)
{
    return type_at(index) == type_word("iDOT");
}

int has_animation()
{
    return any_chunk(is_animation_chunk);
}

int has_idot()
{
    return any_chunk(is_idot);
}

int selects_part_of_animation(const uint8_t* selected)
{
    int some = 0, all = 1;
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        if (is_animation_chunk(i)) {
            some |= selected[i];
            all &= selected[i];
        }
    }
    return some && !all;
}

int selection_would_merge(const uint8_t* selected)
{
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        if (selected[i] && is_mergeable(i)) {
            return 1;
        }
    }
    return 0;
}

void delete_idot(uint8_t* selected)
{
    int32_t kept = 0;
    int32_t count = g_document.loaded ? g_document.count : 0;
    for (int32_t i = 0; i < count; i++) {
        if (!is_idot(i)) {
            selected[kept++] = selected[i];
        }
    }
    for (int32_t i = count - 1; i >= 0; i--) {
        if (is_idot(i)) {
            delete_chunk(i, 1);
        }
    }
}
