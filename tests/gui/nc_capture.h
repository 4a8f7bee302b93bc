// A stand-in server for byte tests of libgui's writers: connFd becomes one end
// of a socket pair, and the test reads what the library wrote from the other.
#pragma once

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "egui_conn.h"
#include "harness/wire_client.h"

namespace nc_test {

using testing_eink::Bytes;

class Capture {
public:
    Capture() {
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds_) == 0) {
            fcntl(fds_[0], F_SETFL, fcntl(fds_[0], F_GETFL) | O_NONBLOCK);
            fcntl(fds_[1], F_SETFL, fcntl(fds_[1], F_GETFL) | O_NONBLOCK);
            int size = 1 << 20;
            setsockopt(fds_[0], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
            setsockopt(fds_[1], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        }
        savedFd_ = connFd;
        connFd = fds_[0];
    }
    ~Capture() {
        GL_Flush();
        connFd = savedFd_;
        close(fds_[0]);
        close(fds_[1]);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    bool ok() const { return fds_[0] >= 0 && fds_[1] >= 0; }
    // The server's end, to write events for the library to read.
    int peer() const { return fds_[1]; }

    // Everything sent since the last call (what is still buffered is written first).
    Bytes Take() {
        GL_Flush();
        Bytes out;
        unsigned char buf[65536];
        for (;;) {
            ssize_t n = read(fds_[1], buf, sizeof buf);
            if (n > 0) {
                out.insert(out.end(), buf, buf + n);
            } else {
                break;
            }
        }
        return out;
    }

    // Sends bytes as the server would.
    bool Inject(const Bytes& b) {
        size_t done = 0;
        while (done < b.size()) {
            ssize_t n = write(fds_[1], b.data() + done, b.size() - done);
            if (n > 0) {
                done += size_t(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p{fds_[1], POLLOUT, 0};
                poll(&p, 1, 1000);
            } else {
                return false;
            }
        }
        return true;
    }

    // The server side stops sending: the library reads end of file, while
    // what it writes still arrives (so no SIGPIPE).
    void StopSending() { shutdown(fds_[1], SHUT_WR); }

private:
    int fds_[2] = {-1, -1};
    int savedFd_ = -1;
};

} // namespace nc_test
