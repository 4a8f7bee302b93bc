#include "platform/einkroot.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace eink {

namespace {

int PortFromEnv(const char* name, int fallback) {
    const char* v = getenv(name);
    if (!v || !*v) return fallback;
    char* end = nullptr;
    long port = strtol(v, &end, 10);
    if (*end != '\0' || port <= 0 || port > 65535) return fallback;
    return int(port);
}

} // namespace

const std::string& Root() {
    // Read once: the root does not change while a process runs.
    static const std::string root = [] {
        const char* v = getenv("EINK_ROOT");
        std::string r = v ? v : "";
        while (r.size() > 1 && r.back() == '/')
            r.pop_back();
        return r;
    }();
    return root;
}

std::string Path(const char* fixedPath) {
    if (!fixedPath) return std::string();
    if (Root().empty() || fixedPath[0] != '/') return fixedPath;
    return Root() + fixedPath;
}

char* Path(const char* fixedPath, char* buf, size_t size) {
    std::string p = Path(fixedPath);
    if (!buf || p.size() + 1 > size) return nullptr;
    memcpy(buf, p.c_str(), p.size() + 1);
    return buf;
}

int ClientPort() { return PortFromEnv("EINK_PORT", 2999); }
int KeyChannelPort() { return PortFromEnv("EINK_KEY_PORT", 3000); }

long long NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

long long CoarseNowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

} // namespace eink
