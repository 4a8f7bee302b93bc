// In-process set-up for the input and routing tests: an emulated root (set
// before any fixed path is resolved), the emulated panel, the window tree,
// and client connections whose far ends the tests read events from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/server.h"
#include "render/apollo.h"
#include "window/routing.h"
#include "window/routing_state.h"
#include "window/sswindow.h"

namespace inproc {

using Bytes = std::vector<uint8_t>;

// ---- The emulated root of this test process ----------------------------------

inline void MakeParents(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

inline int RemoveEntry(const char* path, const struct stat*, int, FTW*) { return remove(path); }

// A plain buffer: it outlives every static object, so the clean-up at exit
// can still read it.
inline char g_rootToRemove[64];
inline void RemoveRootDir() {
    if (g_rootToRemove[0] && !getenv("EINK_KEEP_ROOT")) nftw(g_rootToRemove, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

inline const std::string& RootDir() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/eink-input-XXXXXX";
        std::string d = mkdtemp(tmpl) ? tmpl : "/tmp";
        setenv("EINK_ROOT", d.c_str(), 1);
        snprintf(g_rootToRemove, sizeof g_rootToRemove, "%s", d.c_str());
        atexit(RemoveRootDir);
        return d;
    }();
    return dir;
}

// Fixed paths resolve under the root from their first use on.
inline const bool kRootReady = !RootDir().empty();

inline std::string RootPath(const std::string& fixedPath) { return RootDir() + fixedPath; }

inline void WriteFile(const std::string& fixedPath, const std::string& content) {
    std::string p = RootPath(fixedPath);
    MakeParents(p);
    std::ofstream(p, std::ios::binary | std::ios::trunc) << content;
}

inline std::string ReadFile(const std::string& fixedPath) {
    std::ifstream in(RootPath(fixedPath), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline uint32_t U32(const Bytes& m, size_t off) {
    if (off + 4 > m.size()) return 0xDEADBEEF;
    return uint32_t(m[off]) | uint32_t(m[off + 1]) << 8 | uint32_t(m[off + 2]) << 16 | uint32_t(m[off + 3]) << 24;
}

// ---- Events ---------------------------------------------------------------------

// One decoded event as a test looks at it.
struct Event {
    uint8_t type;
    uint32_t window;
    Bytes raw;
};

class InputTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A connection in the server's list, optionally registered under `name`.
    SSClient* NewClient(const char* name = "");
    void DropClient(SSClient* c);
    // A window of the client: created, top-window flagged and mapped on request.
    SSWindow* NewWindow(SSClient* c, uint32_t id, uint32_t parent, int x, int y, int w, int h, bool top = true,
                        bool map = true);
    // Every event that reached the client since the last call.
    std::vector<Event> Events(SSClient* c);
    // Only the KeyIn events, as (window, code) pairs are the usual question.
    std::vector<Event> Keys(SSClient* c);

    std::vector<SSClient*> clients_;
    std::vector<int> peers_;
};

// KeyIn fields.
inline uint32_t KeyCode(const Event& e) { return U32(e.raw, 12); }
inline uint32_t KeyCode2(const Event& e) { return U32(e.raw, 16); }
inline uint32_t KeyModifier(const Event& e) { return U32(e.raw, 20); }
inline uint8_t KeyReleased(const Event& e) { return e.raw.size() > 24 ? e.raw[24] : 0xFF; }
// Pointer event fields.
inline int32_t EvX(const Event& e) { return int32_t(U32(e.raw, 8)); }
inline int32_t EvY(const Event& e) { return int32_t(U32(e.raw, 12)); }
inline uint8_t EvButton(const Event& e) { return e.raw.size() > 16 ? e.raw[16] : 0xFF; }

inline std::string KeyText(const Event& e) {
    if (e.raw.size() <= 40) return "";
    return std::string(reinterpret_cast<const char*>(e.raw.data()) + 40,
                       strnlen(reinterpret_cast<const char*>(e.raw.data()) + 40, e.raw.size() - 40));
}

// "code/code2 mMODIFIER rRELEASED 'text'" per key, so that a whole sequence
// is compared at once.
inline std::vector<std::string> KeyLines(const std::vector<Event>& keys) {
    std::vector<std::string> out;
    for (const Event& k : keys) {
        char buf[96];
        snprintf(buf, sizeof buf, "%u/%u m%u r%d '%s'", KeyCode(k), KeyCode2(k), KeyModifier(k), KeyReleased(k),
                 KeyText(k).c_str());
        out.push_back(buf);
    }
    return out;
}
using Lines = std::vector<std::string>;

inline void InputTest::SetUp() {
    static bool screenReady = false;
    if (!screenReady) {
        WriteFile("/dev/fb0", std::string(600 * 800 / 2, '\0'));
        WriteFile("/dev/fb0.mode", "600 800\n");
        ASSERT_TRUE(InitScreen());
        InitRefreshState();
        SS_InitWindows();
        screenReady = true;
    }
    g_rotateMode = 0;
    g_screen->large = false;
    SS_ResetWindows();
    SS_ResetRouting();
    g_powerOffPending = g_shutdownPending = 0;
    g_keyTime = 800;
}

inline void InputTest::TearDown() {
    for (size_t i = clients_.size(); i-- > 0;)
        DropClient(clients_[i]);
    g_powerOffPending = g_shutdownPending = 0;
    g_rotateMode = 0;
    if (g_screen) g_screen->large = false;
}

inline SSClient* InputTest::NewClient(const char* name) {
    int sv[2];
    EXPECT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv));
    fcntl(sv[0], F_SETFL, O_NONBLOCK);
    fcntl(sv[1], F_SETFL, O_NONBLOCK);
    SSClient* c = SS_AddClient(sv[0]);
    strncpy(c->name, name, sizeof c->name - 1);
    clients_.push_back(c);
    peers_.push_back(sv[1]);
    return c;
}

inline void InputTest::DropClient(SSClient* c) {
    for (size_t i = 0; i < clients_.size(); ++i) {
        if (clients_[i] != c) continue;
        SS_DestroyClientWindows(c);
        if (c == g_clientHead) g_clientHead = c->next;
        if (c == g_clientTail) g_clientTail = c->prev;
        if (c->prev) c->prev->next = c->next;
        if (c->next) c->next->prev = c->prev;
        if (c->hold && g_holdingCount > 0) --g_holdingCount;
        --g_clientCount;
        close(c->fd);
        close(peers_[i]);
        delete c;
        clients_.erase(clients_.begin() + long(i));
        peers_.erase(peers_.begin() + long(i));
        return;
    }
}

inline SSWindow* InputTest::NewWindow(SSClient* c, uint32_t id, uint32_t parent, int x, int y, int w, int h, bool top,
                                      bool map) {
    SSWindow* win = SS_CreateWindow(c, id, parent, x, y, w, h, 255, 1);
    EXPECT_NE(win, nullptr);
    if (!win) return nullptr;
    if (top) win->flags |= WIN_TOPWINDOW;
    if (map) SS_MapWindow(win, false);
    return win;
}

inline std::vector<Event> InputTest::Events(SSClient* c) {
    std::vector<Event> out;
    int fd = -1;
    for (size_t i = 0; i < clients_.size(); ++i)
        if (clients_[i] == c) fd = peers_[i];
    if (fd < 0) return out;
    Bytes buf;
    for (;;) {
        uint8_t chunk[4096];
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        buf.insert(buf.end(), chunk, chunk + n);
    }
    size_t off = 0;
    while (off + 4 <= buf.size()) {
        uint32_t header = U32(buf, off);
        uint32_t len = header >> 8;
        if (len < 4 || off + len > buf.size()) {
            ADD_FAILURE() << "malformed event stream";
            break;
        }
        Event e;
        e.type = uint8_t(header);
        e.raw.assign(buf.begin() + long(off), buf.begin() + long(off + len));
        e.window = U32(e.raw, 4);
        out.push_back(e);
        off += len;
    }
    return out;
}

inline std::vector<Event> InputTest::Keys(SSClient* c) {
    std::vector<Event> all = Events(c), keys;
    for (const Event& e : all)
        if (e.type == 9) keys.push_back(e);
    return keys;
}

} // namespace inproc
