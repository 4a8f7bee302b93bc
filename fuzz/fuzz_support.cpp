#include "fuzz_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fuzz {

namespace {

// A plain buffer: it outlives every static object, so the clean-up at exit
// can still read it.
char g_root[64];

int RemoveEntry(const char* path, const struct stat*, int, FTW*) { return remove(path); }

void RemoveRoot() {
    if (g_root[0] && !getenv("EINK_KEEP_ROOT")) nftw(g_root, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace

const std::string& Root() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/eink-fuzz-XXXXXX";
        if (!mkdtemp(tmpl)) {
            perror("mkdtemp");
            abort();
        }
        snprintf(g_root, sizeof g_root, "%s", tmpl);
        setenv("EINK_ROOT", tmpl, 1);
        atexit(RemoveRoot);
        return std::string(tmpl);
    }();
    return dir;
}

void WriteRootFile(const std::string& fixedPath, const std::string& content) {
    std::string path = Root() + fixedPath;
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

} // namespace fuzz

// Hostile input names files that the code under test deletes (a pixmap file
// of UpdateBigPixmap, say). A fuzzer that learns a real path from the
// program's own string comparisons must not delete it from the machine it
// runs on: every unlink of this process is confined to the emulated root.
extern "C" int unlink(const char* path) {
    const char* root = fuzz::g_root;
    size_t n = strlen(root);
    if (n == 0 || strncmp(path, root, n) != 0 || path[n] != '/' || strstr(path, "/..")) {
        errno = EACCES;
        return -1;
    }
    return int(syscall(SYS_unlinkat, AT_FDCWD, path, 0));
}
