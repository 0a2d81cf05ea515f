#include "memory.h"

#include <stdlib.h>

static AllocFailHook s_fail_hook = nullptr;

void* zero_alloc(size_t bytes)
{
    if (s_fail_hook && s_fail_hook(bytes)) {
        return nullptr;
    }
    // A zero-byte request still gets a distinct block, so a record's data is never null.
    return calloc(bytes ? bytes : 1, 1);
}

void zero_free(void* block)
{
    free(block);
}

void set_alloc_fail_hook(AllocFailHook hook)
{
    s_fail_hook = hook;
}
