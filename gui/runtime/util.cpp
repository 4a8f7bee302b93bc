#include "gui_util.h"

#include "platform/einkroot.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int gLogFd = -1;

void* GL_malloc(int size) {
    if (size < 0) return nullptr;
    return malloc(size ? size_t(size) : 1);
}

void* GL_cmalloc(int size) {
    if (size < 0) return nullptr;
    return calloc(size ? size_t(size) : 1, 1);
}

void* GL_realloc(void* p, int size) {
    if (size < 0) return nullptr;
    return realloc(p, size ? size_t(size) : 1);
}

void GL_free(void* p) { free(p); }

char* GL_CopyString(char const* s) {
    if (!s) return nullptr;
    size_t n = strlen(s) + 1;
    char* copy = static_cast<char*>(malloc(n));
    if (copy) memcpy(copy, s, n);
    return copy;
}

int GL_strlen(char const* s) { return s ? int(strlen(s)) : 0; }

int GL_strcmp(char const* a, char const* b) {
    if (!a) return b ? -1 : 0;
    if (!b) return 1;
    return strcmp(a, b);
}

char* GL_itoa(long i) {
    char* buf = static_cast<char*>(GL_cmalloc(30));
    if (buf) snprintf(buf, 30, "%ld", i);
    return buf;
}

void GL_SwapInt(int* a, int* b) {
    if (!a || !b) return;
    int t = *a;
    *a = *b;
    *b = t;
}

void GL_SwapDouble(double* a, double* b) {
    if (!a || !b) return;
    double t = *a;
    *a = *b;
    *b = t;
}

int GL_ReadFile(char const* path, char** data, int* len) {
    if (!path || !*path || !data) return -1;
    struct stat st;
    if (stat(path, &st) != 0 || st.st_size < 1 || st.st_size >= 0x7fffffff) return -1;
    int size = int(st.st_size);
    char* buf = static_cast<char*>(GL_malloc(size + 1));
    if (!buf) return -1;
    int fd = open(path, O_RDONLY);
    if (fd < 0) {
        GL_free(buf);
        return -1;
    }
    // One read, as the file is small and local; a short read keeps what came.
    ssize_t got = read(fd, buf, size_t(size));
    close(fd);
    if (got < 0) {
        GL_free(buf);
        return -1;
    }
    buf[got] = '\0';
    *data = buf;
    if (len) *len = int(got);
    return 0;
}

void WriteLog(char const* fmt, ...) {
    if (!fmt) return;
    if (gLogFd < 0) {
        gLogFd = open(eink::Path("/home/zlog.txt").c_str(), O_CREAT | O_RDWR | O_TRUNC | O_CLOEXEC, 0644);
        if (gLogFd < 0) return;
    }
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n <= 0) return;
    size_t todo = strlen(buf);
    const char* p = buf;
    while (todo > 0) {
        ssize_t w = write(gLogFd, p, todo);
        if (w <= 0) break;
        p += w;
        todo -= size_t(w);
    }
}
