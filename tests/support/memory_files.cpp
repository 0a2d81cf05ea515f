#include "support/memory_files.h"

#include <string.h>

#include <algorithm>
#include <vector>

#include "document/file_layer.h"

namespace {

MemoryFiles* s_folder = nullptr;

struct OpenFile {
    std::string name;
    size_t position = 0;
    bool open = false;
};
std::vector<OpenFile> s_handles;

OpenFile* handle_of(FileHandle file)
{
    if (file < 0 || (size_t)file >= s_handles.size() || !s_handles[(size_t)file].open) return nullptr;
    return &s_handles[(size_t)file];
}

FileHandle new_handle(const std::string& name)
{
    s_folder->open_handles++;
    s_handles.push_back({name, 0, true});
    return (FileHandle)(s_handles.size() - 1);
}

FileHandle memory_open_existing(const char* path)
{
    if (!s_folder->files.count(path)) return FILE_NONE;
    return new_handle(path);
}

FileHandle memory_create_exclusive(const char* path)
{
    if (s_folder->files.count(path)) return FILE_NONE;
    s_folder->files[path] = Bytes();
    return new_handle(path);
}

uint32_t memory_read(FileHandle file, void* buffer, uint32_t bytes)
{
    OpenFile* open = handle_of(file);
    if (!open || !s_folder->files.count(open->name)) return 0;
    const Bytes& content = s_folder->files[open->name];
    size_t left = open->position < content.size() ? content.size() - open->position : 0;
    uint32_t got = left < bytes ? (uint32_t)left : bytes;
    if (got) memcpy(buffer, content.data() + open->position, got);
    open->position += got;
    return got;
}

uint32_t memory_write(FileHandle file, const void* buffer, uint32_t bytes)
{
    OpenFile* open = handle_of(file);
    if (!open || !s_folder->files.count(open->name)) return 0;
    uint32_t allowed = bytes;
    if (s_folder->write_budget >= 0) {
        allowed = s_folder->write_budget < bytes ? (uint32_t)s_folder->write_budget : bytes;
        s_folder->write_budget -= allowed;
    }
    Bytes& content = s_folder->files[open->name];
    const uint8_t* from = (const uint8_t*)buffer;
    content.resize(std::max(content.size(), open->position + allowed));
    std::copy(from, from + allowed, content.begin() + (long)open->position);
    open->position += allowed;
    return allowed;
}

int memory_size(FileHandle file, uint64_t* size)
{
    OpenFile* open = handle_of(file);
    if (!open || !s_folder->files.count(open->name)) return 0;
    *size = s_folder->files[open->name].size();
    return 1;
}

int memory_flush(FileHandle file)
{
    return handle_of(file) != nullptr;
}

void memory_close(FileHandle file)
{
    OpenFile* open = handle_of(file);
    if (!open) return;
    open->open = false;
    s_folder->open_handles--;
    while (!s_handles.empty() && !s_handles.back().open) s_handles.pop_back();
}

int memory_replace(const char* from, const char* to)
{
    auto found = s_folder->files.find(from);
    if (found == s_folder->files.end()) return 0;
    Bytes moved = std::move(found->second);
    s_folder->files.erase(found);
    s_folder->files[to] = std::move(moved);
    return 1;
}

void memory_remove(const char* path)
{
    s_folder->files.erase(path);
}

int memory_exists(const char* path)
{
    return s_folder->files.count(path) != 0;
}

const FileLayer s_memory_layer = {
    memory_open_existing, memory_create_exclusive, memory_read,    memory_write,  memory_size,
    memory_flush,         memory_close,            memory_replace, memory_remove, memory_exists,
};

}  // namespace

MemoryFiles::MemoryFiles()
{
    s_folder = this;
    s_handles.clear();
    set_file_layer(&s_memory_layer);
}

MemoryFiles::~MemoryFiles()
{
    set_file_layer(nullptr);
    s_handles.clear();
    s_folder = nullptr;
}
