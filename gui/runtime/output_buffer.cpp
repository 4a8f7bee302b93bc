// The output buffer of the server connection. Request writers append whole
// requests here; the buffer goes out in one write when the program is about
// to wait for anything (the event loop, a reply, a sleep), when the next
// request would not fit, on GL_Flush and when the connection or the program
// ends. The server sees exactly the bytes it would see with one write per
// request, in the same order; only the number of system calls changes.
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "egui_conn.h"
#include "runtime/nc_pack.h"

namespace {

// Large enough for a whole widget redraw, small enough to keep the server
// busy while the client builds the next batch.
constexpr size_t kOutSize = 64 * 1024;

unsigned char gOut[kOutSize];
// Bytes of whole requests in gOut, and the descriptor they are meant for. A
// signal handler may flush at any moment: the count grows only after a
// request is completely copied, so the handler never sends half of one, and
// a handler that interrupted a write neither writes nor adds anything.
volatile size_t gOutUsed = 0;
int gOutFd = -1;
int gBuffered = -1; // -1 until the environment has been read

bool Buffered() {
    if (gBuffered < 0) {
        const char* env = getenv("LIBGUI_UNBUFFERED");
        gBuffered = (env && env[0] && std::strcmp(env, "0") != 0) ? 0 : 1;
    }
    return gBuffered == 1;
}

// Writes the pending bytes, with `more` pieces after them, and empties the
// buffer.
int WriteOut(iovec* more, int moreCount) {
    // One write takes at most IOV_MAX pieces: pending bytes that would make
    // one too many go out on their own first.
    if (gOutUsed > 0 && moreCount >= IOV_MAX) {
        int first = WriteOut(nullptr, 0);
        if (first <= 0) return first;
        int rest = WriteOut(more, moreCount);
        if (rest <= 0) return rest;
        long long both = (long long)first + rest;
        return both > 0x7FFFFFFF ? 0x7FFFFFFF : int(both);
    }
    // Never destroyed: the exit flush runs after static destructors.
    static std::vector<iovec>& pieces = *new std::vector<iovec>;
    pieces.clear();
    if (gOutUsed > 0) pieces.push_back(iovec{gOut, gOutUsed});
    for (int i = 0; i < moreCount; ++i)
        pieces.push_back(more[i]);
    if (pieces.empty()) return 0;
    int written = nc::WriteGathered(gOutFd, pieces.data(), int(pieces.size()));
    // Sent or lost: a failed write cannot be resumed in the middle of a request.
    gOutUsed = 0;
    if (written <= 0 && iErrLine == 5) bQuitProgram = 1; // the server is gone: end, never spin
    return written;
}

} // namespace

int nc::Queue(int fd, const void* data, int count) {
    if (fd < 0) return -1;
    if (count <= 0) return 0;
    iovec piece{const_cast<void*>(data), size_t(count)};
    return QueueGathered(fd, &piece, 1);
}

int nc::QueueGathered(int fd, iovec* pieces, int count) {
    if (fd < 0) return -1;
    size_t total = 0;
    for (int i = 0; i < count; ++i)
        total += pieces[i].iov_len;
    if (total == 0) return 0;
    // A signal handler that interrupted a write finds the stream in the
    // middle of a request: nothing can be added to it.
    if (nc::WriteInProgress()) return -1;
    if (!Buffered()) return WriteGathered(fd, pieces, count);

    // Bytes meant for another descriptor go out (or are lost with it) before
    // anything is added.
    if (gOutUsed > 0 && gOutFd != fd) GL_Flush();
    gOutFd = fd;
    if (total <= kOutSize - gOutUsed) {
        size_t at = gOutUsed;
        for (int i = 0; i < count; ++i) {
            std::memcpy(gOut + at, pieces[i].iov_base, pieces[i].iov_len);
            at += pieces[i].iov_len;
        }
        std::atomic_signal_fence(std::memory_order_seq_cst);
        gOutUsed = at;
        return total > 0x7FFFFFFF ? 0x7FFFFFFF : int(total);
    }
    // Too big for what is left: the pending bytes and these pieces go out in
    // one gathered write, without copying the pieces. When the pending bytes
    // alone are what failed, nothing of this request was sent.
    size_t pending = gOutUsed;
    int written = WriteOut(pieces, count);
    if (written <= 0) return written;
    long long own = (long long)written - (long long)pending;
    return own <= 0 ? 0 : own > 0x7FFFFFFF ? 0x7FFFFFFF : int(own);
}

int GL_Flush() {
    if (gOutUsed == 0) return 0;
    if (nc::WriteInProgress()) return -1; // called from a handler that interrupted a write
    int written = WriteOut(nullptr, 0);
    return written < 0 ? -1 : written;
}

int nc::FlushFor(int fd) { return fd >= 0 && fd == gOutFd ? GL_Flush() : 0; }

void GL_SetBuffered(int on) {
    Buffered(); // read the environment once, so that it does not override this later
    if (!on) GL_Flush();
    gBuffered = on ? 1 : 0;
}

int GL_IsBuffered() { return Buffered() ? 1 : 0; }
