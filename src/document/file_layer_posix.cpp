// POSIX file layer for the native build.
#include "file_layer.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

static FileHandle posix_open_existing(const char* path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return FILE_NONE;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return FILE_NONE;
    }
    return fd;
}

static FileHandle posix_create_exclusive(const char* path)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    return fd < 0 ? FILE_NONE : fd;
}

static uint32_t posix_read(FileHandle file, void* buffer, uint32_t bytes)
{
    uint32_t done = 0;
    while (done < bytes) {
        ssize_t got = read((int)file, (char*)buffer + done, bytes - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += (uint32_t)got;
    }
    return done;
}

static uint32_t posix_write(FileHandle file, const void* buffer, uint32_t bytes)
{
    uint32_t done = 0;
    while (done < bytes) {
        ssize_t put = write((int)file, (const char*)buffer + done, bytes - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            break;
        }
        done += (uint32_t)put;
    }
    return done;
}

static int posix_size(FileHandle file, uint64_t* size)
{
    struct stat st;
    if (fstat((int)file, &st) != 0) {
        return 0;
    }
    *size = (uint64_t)st.st_size;
    return 1;
}

static int posix_flush(FileHandle file)
{
    return fsync((int)file) == 0;
}

static void posix_close(FileHandle file)
{
    close((int)file);
}

static int posix_replace(const char* from, const char* to)
{
    // Like Windows, refuse to replace a file that may not be written to.
    if (access(to, F_OK) == 0 && access(to, W_OK) != 0) {
        return 0;
    }
    return rename(from, to) == 0;
}

static void posix_remove(const char* path)
{
    unlink(path);
}

static int posix_exists(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0;
}

static const FileLayer s_posix_layer = {
    posix_open_existing, posix_create_exclusive, posix_read, posix_write, posix_size,
    posix_flush,         posix_close,            posix_replace, posix_remove, posix_exists,
};

const FileLayer* platform_file_layer()
{
    return &s_posix_layer;
}
