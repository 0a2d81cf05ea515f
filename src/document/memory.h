// Zero-initialised heap memory for the document and the working copies.
// Every caller checks for null; nothing here throws.
#pragma once
#include <stddef.h>

void* zero_alloc(size_t bytes);
void  zero_free(void* block);

// Test seam: when set, zero_alloc asks it first and returns null when it answers 1.
typedef int (*AllocFailHook)(size_t bytes);
void set_alloc_fail_hook(AllocFailHook hook);
