#include "file_layer.h"

static const FileLayer* s_layer = nullptr;

const FileLayer* file_layer()
{
    return s_layer ? s_layer : platform_file_layer();
}

void set_file_layer(const FileLayer* layer)
{
    s_layer = layer;
}
