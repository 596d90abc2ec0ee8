// Preloaded into the simulator to play a disk that fills up: once ORVANE_FULL_DISK_BYTES bytes have been
// written to files below ORVANE_FULL_DISK_UNDER, every further write there fails with ENOSPC; with
// ORVANE_FULL_DISK_FREE, statvfs says that many bytes are free.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/statvfs.h>
#include <unistd.h>

static long long written;

ssize_t write(int fd, const void* data, size_t size) {
    static ssize_t (*real)(int, const void*, size_t);
    if (!real)
        real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    const char* under = getenv("ORVANE_FULL_DISK_UNDER");
    const char* budget = getenv("ORVANE_FULL_DISK_BYTES");
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = under && budget ? readlink(link, path, sizeof path - 1) : -1;
    if (length > 0) {
        path[length] = '\0';
        if (strncmp(path, under, strlen(under)) == 0) {
            if (written + (long long)size > atoll(budget)) {
                errno = ENOSPC;
                return -1;
            }
            written += (long long)size;
        }
    }
    return real(fd, data, size);
}

int statvfs(const char* path, struct statvfs* disk) {
    static int (*real)(const char*, struct statvfs*);
    if (!real)
        real = (int (*)(const char*, struct statvfs*))dlsym(RTLD_NEXT, "statvfs");
    const int result = real(path, disk);
    const char* free = getenv("ORVANE_FULL_DISK_FREE");
    if (result == 0 && free && disk->f_frsize > 0)
        disk->f_bavail = strtoull(free, NULL, 10) / disk->f_frsize;
    return result;
}
