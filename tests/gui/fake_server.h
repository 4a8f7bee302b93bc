// An in-process stand-in for winserver: libgui's connection is one end of a
// socket pair with large buffers, the test reads the requests from the other
// end (as messages or as bytes) and can write events back. Messages are
// parsed with the framing rule only (type in byte 0, total length in bytes
// 1-3), independently of protocol/.
#pragma once

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_text.h"
#include "gui/text_tables.h"
#include "nc_font.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

struct Msg {
    std::vector<uint8_t> bytes;
    unsigned type() const { return bytes.empty() ? 0 : bytes[0]; }
    uint32_t word(size_t off) const {
        if (off + 4 > bytes.size()) return 0xDEADBEEF;
        return uint32_t(bytes[off]) | uint32_t(bytes[off + 1]) << 8 | uint32_t(bytes[off + 2]) << 16 |
               uint32_t(bytes[off + 3]) << 24;
    }
};

class FakeServer {
public:
    // Identifier base of the connection (serial 1) and its first counter.
    static constexpr uint32_t kBase = 1u << 20;

    FakeServer() {
        int sv[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
        client_ = sv[0];
        server_ = sv[1];
        fcntl(client_, F_SETFL, fcntl(client_, F_GETFL) | O_NONBLOCK);
        fcntl(server_, F_SETFL, fcntl(server_, F_GETFL) | O_NONBLOCK);
        int size = 1 << 20;
        setsockopt(client_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        setsockopt(server_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        saved_ = connFd;
        connFd = client_;
        std::memset(gSysInfo, 0, 64);
        Put(gSysInfo + 32, kBase);
        Put(gSysInfo + 40, 1);
        iDepth = 8;
        InitColorS();
    }
    ~FakeServer() {
        GL_Flush();
        connFd = saved_;
        close(client_);
        close(server_);
    }

    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    // Every byte sent since the last call (what is still buffered is
    // written first, unless another thread is the writer).
    std::vector<uint8_t> TakeBytes(bool flush = true) {
        if (flush) GL_Flush();
        uint8_t buf[65536];
        for (;;) {
            ssize_t n = read(server_, buf, sizeof buf);
            if (n <= 0) break;
            pending_.insert(pending_.end(), buf, buf + n);
        }
        std::vector<uint8_t> out;
        out.swap(pending_);
        return out;
    }

    // Every complete request sent since the last call.
    std::vector<Msg> Take(bool flush = true) {
        std::vector<uint8_t> got = TakeBytes(flush);
        pending_.swap(got);
        std::vector<Msg> out;
        size_t pos = 0;
        while (pending_.size() - pos >= 4) {
            uint32_t len =
                uint32_t(pending_[pos + 1]) | uint32_t(pending_[pos + 2]) << 8 | uint32_t(pending_[pos + 3]) << 16;
            if (len < 4 || pending_.size() - pos < len) break;
            out.push_back(Msg{std::vector<uint8_t>(pending_.begin() + long(pos), pending_.begin() + long(pos + len))});
            pos += len;
        }
        pending_.erase(pending_.begin(), pending_.begin() + long(pos));
        return out;
    }

    // Types of the requests sent since the last call.
    std::vector<unsigned> Types() {
        std::vector<unsigned> t;
        for (auto& m : Take())
            t.push_back(m.type());
        return t;
    }

    // The identifier the next window or pixmap gets.
    uint32_t NextId() const {
        return uint32_t(gSysInfo[32] | gSysInfo[33] << 8 | gSysInfo[34] << 16 | uint32_t(gSysInfo[35]) << 24) +
               uint32_t(gSysInfo[40] | gSysInfo[41] << 8 | gSysInfo[42] << 16 | uint32_t(gSysInfo[43]) << 24);
    }

    int serverFd() const { return server_; }

    // Sends bytes as the server would.
    bool Inject(const std::vector<uint8_t>& b) {
        size_t done = 0;
        while (done < b.size()) {
            ssize_t n = write(server_, b.data() + done, b.size() - done);
            if (n > 0) {
                done += size_t(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{server_, POLLOUT, 0};
                poll(&p, 1, 1000);
            } else {
                return false;
            }
        }
        return true;
    }

    // The server side stops sending: the library reads end of file, while
    // what it writes still arrives (so no SIGPIPE).
    void StopSending() { shutdown(server_, SHUT_WR); }

    static void Put(uint8_t* p, uint32_t v) {
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
        p[2] = uint8_t(v >> 16);
        p[3] = uint8_t(v >> 24);
    }

private:
    int client_ = -1, server_ = -1, saved_ = -1;
    std::vector<uint8_t> pending_;
};

// Builds an event message of `length` bytes with the given words (offset, value).
inline std::vector<uint8_t> MakeEvent(unsigned type, unsigned length,
                                      std::initializer_list<std::pair<unsigned, uint32_t>> words) {
    std::vector<uint8_t> ev(length, 0);
    uint32_t header = (length << 8) | type;
    FakeServer::Put(ev.data(), header);
    for (auto& w : words)
        FakeServer::Put(ev.data() + w.first, w.second);
    return ev;
}

// A fake server with the metric tables of known widths (text_tables.h) in
// scalable mode, the charset and label flags cleared and the fonts set up.
struct TextEnv {
    TextEnv() {
        text_test::SetTables(true);
        bHasCharSet = 0;
        bLabelUtf8 = 0;
        InitFont();
    }
    FakeServer server;
};
