// The check's and the privacy review's lists grow the same way: doubling, with
// checked allocations, the old items copied over.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "document/memory.h"

// Doubles the room of a list of `count` plain items (16 at first); 0 when memory
// runs out (the list is then left as it was).
template <typename Item>
int grow_list(Item** items, int32_t* capacity, int32_t count)
{
    int32_t room = *capacity ? *capacity * 2 : 16;
    Item* grown = (Item*)zero_alloc((size_t)room * sizeof(Item));
    if (!grown) return 0;
    if (count) memcpy(grown, *items, (size_t)count * sizeof(Item));
    zero_free(*items);
    *items = grown;
    *capacity = room;
    return 1;
}
