// Raw transfer over the server connection. The connection is non-blocking
// (so that the event loop can select on it); a transfer that finds the socket
// full or empty waits for it instead of spinning.
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "egui_conn.h"
#include "protocol/protocol.h"
#include "runtime/nc_pack.h"

namespace {

// Waits until fd is ready for `events`; errors and hang-ups return too, so
// that the next read or write reports them.
void WaitReady(int fd, short events) {
    pollfd p{fd, events, 0};
    while (poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

} // namespace

unsigned char* GL_AllocReq(int) { return gReqBuffer; }

namespace {

// Set while a write is under way, for the signal handler (see WriteInProgress).
volatile sig_atomic_t gMidWrite = 0;

struct MidWrite {
    MidWrite() { gMidWrite = 1; }
    ~MidWrite() { gMidWrite = 0; }
};

// Makes a non-blocking descriptor blocking until the end of the scope.
class BlockingWrites {
public:
    BlockingWrites() = default;
    BlockingWrites(const BlockingWrites&) = delete;
    BlockingWrites& operator=(const BlockingWrites&) = delete;
    ~BlockingWrites() {
        if (fd_ >= 0) fcntl(fd_, F_SETFL, flags_);
    }
    // False when the descriptor's mode cannot be changed.
    bool Engage(int fd) {
        if (fd_ >= 0) return true;
        int flags = fcntl(fd, F_GETFL);
        if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) return false;
        fd_ = fd;
        flags_ = flags;
        return true;
    }

private:
    int fd_ = -1;
    int flags_ = 0;
};

} // namespace

bool nc::WriteInProgress() { return gMidWrite != 0; }

int NetWrite(int fd, const void* buffer, int count) {
    if (fd < 0) return -1;
    if (count <= 0) {
        iErrLine = 0;
        return 0;
    }
    // Requests still buffered for this descriptor go first, to keep the order.
    if (nc::FlushFor(fd) < 0) return -1;
    iovec piece{const_cast<void*>(buffer), size_t(count)};
    return nc::WriteGathered(fd, &piece, 1);
}

int nc::WriteGathered(int fd, iovec* pieces, int count) {
    if (fd < 0) return -1;
    MidWrite busy;
    BlockingWrites blocking;
    iErrLine = 3;
    long long done = 0;
    while (count > 0) {
        ssize_t n = writev(fd, pieces, count);
        if (n == 0) {
            iErrLine = 4;
            return 0;
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                iErrLine = 5;
                return -1;
            }
            // The socket is full: the rest goes out blocking. A blocking write
            // goes on as soon as the server has taken some bytes, where poll
            // would wait until three quarters of the socket had drained and
            // let the server run dry meanwhile.
            if (!blocking.Engage(fd)) WaitReady(fd, POLLOUT);
            continue;
        }
        done += n;
        // Step past what went out, into the middle of a piece if need be.
        size_t left = size_t(n);
        while (count > 0 && left >= pieces->iov_len) {
            left -= pieces->iov_len;
            ++pieces, --count;
        }
        if (count > 0) {
            pieces->iov_base = static_cast<char*>(pieces->iov_base) + left;
            pieces->iov_len -= left;
        }
    }
    iErrLine = 0;
    return done > 0x7FFFFFFF ? 0x7FFFFFFF : int(done);
}

int NetRead(int fd, void* buffer, int count) {
    if (fd < 0) return -1;
    // Whatever the reply answers must be on the wire before the wait.
    nc::FlushFor(fd);
    iErrLine = 1;
    if (count < 1) return 0;
    unsigned char* p = static_cast<unsigned char*>(buffer);
    int done = 0;
    while (done < count) {
        ssize_t n = read(fd, p + done, size_t(count - done));
        if (n > 0) {
            done += int(n);
        } else if (n == 0) {
            // The server went away without Close: nothing more will ever come,
            // so the event loop must end instead of finding the descriptor
            // readable forever.
            bQuitProgram = 1;
            break;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            WaitReady(fd, POLLIN);
        } else {
            iErrLine = 2;
            QuitProgram();
        }
    }
    iErrLine = 0;
    return done;
}

// The header form of the wire protocol (type in the low byte), the one form
// that every reader understands.
int WriteHeader(int fd, int type, int length) {
    unsigned char header[proto::kHeaderSize];
    proto::PutU32(header, proto::PackHeader(uint32_t(type), uint32_t(length)));
    return NetWrite(fd, header, int(sizeof header));
}
