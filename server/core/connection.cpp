#include "core/connection.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/handlers.h"
#include "input/input.h"
#include "platform/einkroot.h"
#include "render/apollo.h"
#include "render/fonts.h"
#include "render/sspixmap.h"
#include "window/sswindow.h"

int g_localFd = -1;
int g_networkFd = -1;
int g_keyListenFd = -1;
int g_keyFd = -1;

SSClient* g_clientHead = nullptr;
SSClient* g_clientTail = nullptr;
int g_clientCount = 0;
int g_holdingCount = 0;
uint8_t g_sendBuffer[proto::kMaxMessage];

namespace {

// The request being executed, with room past the longest message so that the
// fields of a short request read as 0.
constexpr uint32_t kZeroTail = 256;
uint8_t g_requestBuffer[proto::kMaxMessage + kZeroTail];
// Everything from here on in the request buffer is zero.
uint32_t g_requestEnd = 0;

// A client whose unsent output grows past this is not reading its events;
// it is disconnected rather than allowed to eat the server's memory.
constexpr size_t kMaxPendingOutput = 16u << 20;
// What one read asks for at least: many small requests per system call.
constexpr size_t kReadChunk = 64 * 1024;
// A remainder this small is moved to the front before a read, so that reads
// keep landing in the same, cached, memory.
constexpr size_t kCheapMove = 16 * 1024;
// Back-to-back passes between two readings of the coarse clock.
constexpr unsigned kPassesPerClockReading = 16;
// Room for the input of one connection: one whole largest request and the
// start of the next.
constexpr size_t kMaxPendingInput = 2 * proto::kMaxMessage;

// Records torn down during a pass, freed when the pass is over so that no
// walk is left holding a dangling pointer.
std::vector<SSClient*> g_graveyard;
// Records to tear down after the pass (a send overflowed, say), so that no
// teardown happens in the middle of a handler's walk over windows.
std::vector<SSClient*> g_doomed;

char g_localPath[sizeof(sockaddr_un::sun_path)];

void SetNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags != -1) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

int TcpEndpoint(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(uint16_t(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || listen(fd, 3) < 0) {
        fprintf(stderr, "winserver: TCP port %d unavailable: %s\n", port, strerror(errno));
        close(fd);
        return -1;
    }
    SetNonBlocking(fd);
    return fd;
}

void Doom(SSClient* c) {
    for (SSClient* d : g_doomed)
        if (d == c) return;
    g_doomed.push_back(c);
}

// Writes what the socket takes now; false on a hard error.
bool Flush(SSClient* c) {
    size_t done = 0;
    while (done < c->out.size()) {
        ssize_t n = write(c->fd, c->out.data() + done, c->out.size() - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        c->out.clear();
        return false;
    }
    c->out.erase(c->out.begin(), c->out.begin() + ptrdiff_t(done));
    return true;
}

size_t Pending(const SSClient* c) { return c->inEnd - c->inStart; }

// Length of the complete request at the head of the input, 0 when none is
// complete yet, -1 when the header is not acceptable.
long CompleteRequest(const SSClient* c) {
    if (Pending(c) < proto::kHeaderSize) return 0;
    uint32_t length = proto::HeaderLength(proto::GetU32(c->in.data() + c->inStart));
    if (length < proto::kHeaderSize || length > proto::kMaxMessage) return -1;
    return Pending(c) >= length ? long(length) : 0;
}

// Reads what the socket holds into the free end of the input. False when
// the peer closed or failed.
bool ReadInput(SSClient* c) {
    // Executed requests are dropped from the front when what is left is
    // small or the free end runs short, so the bytes moved stay
    // proportional to the bytes read.
    if (c->inStart == c->inEnd) {
        c->inStart = c->inEnd = 0;
    } else if (c->inStart > 0 && (Pending(c) <= kCheapMove || c->in.size() - c->inEnd < kReadChunk)) {
        memmove(c->in.data(), c->in.data() + c->inStart, Pending(c));
        c->inEnd -= c->inStart;
        c->inStart = 0;
    }
    if (c->in.size() - c->inEnd < kReadChunk && c->in.size() < kMaxPendingInput)
        c->in.resize(std::min(kMaxPendingInput, std::max(2 * c->in.size(), c->inEnd + kReadChunk)));
    size_t room = c->in.size() - c->inEnd;
    if (room == 0) return true;
    while (true) {
        ssize_t n = read(c->fd, c->in.data() + c->inEnd, room);
        if (n > 0) {
            c->inEnd += size_t(n);
            return true;
        }
        if (n == 0) return false;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
}

// Executes the request at the head of the input.
void ExecuteOne(SSClient* c, uint32_t length) {
    const uint8_t* msg = c->in.data() + c->inStart;
    if (proto::HeaderType(proto::GetU32(msg)) == proto::OP_UpdatePixmap && length > proto::kUpdatePixmapRow) {
        // Image rows are the bulk of the traffic: they go from the input
        // straight into the pixmap. Their handler reads nothing past the
        // message, so the zero tail is not needed.
        c->inStart += length;
        SS_Dispatch(c, msg, length);
        if (c->inStart == c->inEnd) c->inStart = c->inEnd = 0;
        return;
    }
    memcpy(g_requestBuffer, msg, length);
    // Only a longer request before this one has left bytes to clear.
    if (g_requestEnd > length) memset(g_requestBuffer + length, 0, g_requestEnd - length);
    g_requestEnd = length;
    c->inStart += length;
    if (c->inStart == c->inEnd) c->inStart = c->inEnd = 0;
    // A header-only message is never executed, whatever its type.
    if (length == proto::kHeaderSize) return;
    SS_Dispatch(c, g_requestBuffer, length);
}

// Tears down what a pass doomed, then frees what it tore down.
void EndPass() {
    for (size_t i = 0; i < g_doomed.size(); ++i)
        SS_ClientGone(g_doomed[i]);
    g_doomed.clear();
    for (SSClient* c : g_graveyard)
        delete c;
    g_graveyard.clear();
}

} // namespace

bool SS_CreateEndpoints() {
    std::string path = eink::Path("/tmp/.commfile");
    if (path.size() >= sizeof g_localPath) {
        fprintf(stderr, "winserver: socket path too long: %s\n", path.c_str());
        return false;
    }
    memcpy(g_localPath, path.c_str(), path.size() + 1);
    unlink(g_localPath);
    g_localFd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (g_localFd < 0) {
        fprintf(stderr, "winserver: cannot create the local socket: %s\n", strerror(errno));
        return false;
    }
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    memcpy(addr.sun_path, g_localPath, path.size() + 1);
    socklen_t len = socklen_t(offsetof(sockaddr_un, sun_path) + path.size());
    if (bind(g_localFd, reinterpret_cast<sockaddr*>(&addr), len) < 0 || listen(g_localFd, 5) < 0) {
        fprintf(stderr, "winserver: cannot listen on %s: %s\n", g_localPath, strerror(errno));
        unlink(g_localPath);
        close(g_localFd);
        g_localFd = -1;
        return false;
    }
    SetNonBlocking(g_localFd);
    g_networkFd = TcpEndpoint(eink::ClientPort());
    g_keyListenFd = TcpEndpoint(eink::KeyChannelPort());
    return true;
}

void SS_CloseEndpoints() {
    for (int* fd : {&g_localFd, &g_networkFd, &g_keyListenFd, &g_keyFd}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    if (g_localPath[0]) unlink(g_localPath);
}

uint32_t SS_BuildSysInfo(uint8_t* out, uint32_t serial) {
    using namespace proto::sysinfo;
    const uint8_t* block = nullptr;
    uint32_t blockSize = FontsCharInfo(&block);
    if (blockSize > kMaxCharInfo || !block) blockSize = 0;
    memset(out, 0, kFixedSize);
    FontsFillSysInfo(out);
    uint32_t length = kFixedSize + blockSize;
    proto::PutU32(out, proto::PackHeader(proto::EV_SysInfo, length));
    proto::PutU32(out + kLogicalWidth, uint32_t(SS_ScreenWidth()));
    proto::PutU32(out + kLogicalHeight, uint32_t(SS_ScreenHeight()));
    proto::PutU32(out + kPhysicalWidth, uint32_t(g_screen->width));
    proto::PutU32(out + kPhysicalHeight, uint32_t(g_screen->height));
    proto::PutU32(out + kDepth, uint32_t(g_screen->depth));
    proto::PutU32(out + kRotation, uint32_t(g_rotateMode));
    proto::PutU32(out + kIdBase, serial << kIdShift);
    proto::PutU32(out + kIdMask, kIdMaskValue);
    proto::PutU32(out + kIdCounter, 1);
    proto::PutU16(out + kConst20, 20);
    proto::PutU16(out + kConst10, 10);
    out[kOrientation] = uint8_t(1 - (g_verticalScreen ? 1 : 0));
    if (blockSize) memcpy(out + kFixedSize, block, blockSize);
    return length;
}

void SS_AcceptClient(int listenFd) {
    int fd = accept(listenFd, nullptr, nullptr);
    if (fd < 0) return;
    if (fd >= FD_SETSIZE) {
        // select cannot watch it: refuse rather than corrupt the sets.
        fprintf(stderr, "winserver: too many connections, refusing one\n");
        close(fd);
        return;
    }
    // Every connection is read without blocking: a client that stalls in
    // the middle of a request must not hold the server up.
    SetNonBlocking(fd);
    SSClient* c = SS_AddClient(fd);
    static uint8_t sysinfo[proto::sysinfo::kFixedSize + proto::sysinfo::kMaxCharInfo];
    uint32_t length = SS_BuildSysInfo(sysinfo, g_serial);
    ++g_serial;
    SS_Send(c, sysinfo, length);
}

SSClient* SS_AddClient(int fd) {
    SSClient* c = new SSClient{};
    c->fd = fd;
    c->prev = g_clientTail;
    if (g_clientTail)
        g_clientTail->next = c;
    else
        g_clientHead = c;
    g_clientTail = c;
    ++g_clientCount;
    return c;
}

void SS_AcceptKeyChannel() {
    int fd = accept(g_keyListenFd, nullptr, nullptr);
    if (fd < 0) return;
    if (fd >= FD_SETSIZE) {
        close(fd);
        return;
    }
    SetNonBlocking(fd);
    if (g_keyFd >= 0) close(g_keyFd);
    g_keyFd = fd;
}

void SS_ReadKeyChannel() {
    uint8_t byte;
    ssize_t n = read(g_keyFd, &byte, 1);
    if (n == 1) {
        SS_KeyChannelByte(byte);
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
        // A closed key channel would read end of file on every pass.
        close(g_keyFd);
        g_keyFd = -1;
    }
}

void SS_Send(SSClient* c, const uint8_t* msg, uint32_t length) {
    if (!c || c->dead || c->fd < 0 || length == 0) return;
    if (c->out.size() + length > kMaxPendingOutput) {
        fprintf(stderr, "winserver: client %d does not read its events, closing it\n", c->fd);
        c->out.clear();
        Doom(c);
        return;
    }
    c->out.insert(c->out.end(), msg, msg + length);
    if (!Flush(c)) Doom(c);
}

SSClient* SS_FindProgram(const char* name) {
    if (!name || !name[0]) return nullptr;
    char key[sizeof(SSClient::name)];
    strncpy(key, name, sizeof key - 1);
    key[sizeof key - 1] = '\0';
    for (SSClient* c = g_clientHead; c; c = c->next) {
        if (!c->dead && c->name[0] && strstr(c->name, key)) return c;
    }
    return nullptr;
}

void SS_ClientGone(SSClient* c) {
    if (!c || c->dead) return;
    c->dead = true;
    SS_DestroyClientWindows(c);
    SS_FreeClientPixmaps(c);

    if (c == g_clientHead) g_clientHead = c->next;
    if (c == g_clientTail) g_clientTail = c->prev;
    if (c->prev) c->prev->next = c->next;
    if (c->next) c->next->prev = c->prev;
    c->prev = c->next = nullptr;
    if (c->hold && g_holdingCount > 0) --g_holdingCount;

    close(c->fd);
    c->fd = -1;
    g_graveyard.push_back(c);
    --g_clientCount;
    printf("client num:%d\n", g_clientCount);
    fflush(stdout);

    if (g_clientCount == 1 && (g_powerOffPending || g_shutdownPending)) {
        SS_InjectHostSequence();
        sleep(1);
        SS_Cleanup();
        sleep(1);
        exit(0);
    }
}

void SS_BroadcastClose() {
    uint8_t close[proto::kCloseLength];
    uint32_t length = proto::BuildClose(close);
    for (SSClient* c = g_clientHead; c; c = c->next) {
        if (c->dead || c->fd <= 0) continue;
        SS_Send(c, close, length);
        // The process is about to end: give each client a moment to take
        // what is still queued for it, Close last.
        long long until = eink::NowMs() + 500;
        while (!c->out.empty() && eink::NowMs() < until) {
            pollfd p{c->fd, POLLOUT, 0};
            if (poll(&p, 1, 50) > 0 && !Flush(c)) break;
        }
    }
}

int SS_FillClientSets(fd_set* readSet, fd_set* writeSet, int maxFd, bool* pending) {
    for (SSClient* c = g_clientHead; c; c = c->next) {
        if (c->dead) continue;
        // Read more only while less than one largest request is waiting.
        if (!c->eof && Pending(c) < proto::kMaxMessage) FD_SET(c->fd, readSet);
        if (!c->out.empty()) FD_SET(c->fd, writeSet);
        if (c->eof || CompleteRequest(c) != 0) *pending = true;
        if (c->fd > maxFd) maxFd = c->fd;
    }
    return maxFd;
}

void SS_ServiceClients(fd_set* readSet, fd_set* writeSet) {
    // Snapshot the list: handlers may tear down any connection, including
    // ones later in the walk.
    static std::vector<SSClient*> walk;
    walk.clear();
    for (SSClient* c = g_clientHead; c; c = c->next)
        walk.push_back(c);

    for (SSClient* c : walk) {
        if (c->dead) continue;
        if (writeSet && FD_ISSET(c->fd, writeSet) && !Flush(c)) {
            SS_ClientGone(c);
            continue;
        }
        if (readSet && FD_ISSET(c->fd, readSet) && !ReadInput(c)) c->eof = true;
        long length = CompleteRequest(c);
        if (c->eof && length == 0) {
            // The peer closed: its complete requests have run, a partial
            // one is dropped.
            SS_ClientGone(c);
            continue;
        }
        if (length < 0) {
            fprintf(stderr, "winserver: bad request length from client %d, closing it\n", c->fd);
            SS_ClientGone(c);
            continue;
        }
        if (length > 0) ExecuteOne(c, uint32_t(length));
    }
    EndPass();
}

bool SS_ServiceBuffered(long long tick) {
    bool ran = false;
    while (!g_quit && eink::CoarseNowMs() == tick) {
        SSClient* ready = nullptr;
        long length = 0;
        int count = 0;
        for (SSClient* c = g_clientHead; c; c = c->next) {
            if (c->dead) continue;
            if (long l = CompleteRequest(c); l != 0) ready = c, length = l, ++count;
        }
        if (count == 0) break;
        if (!ran) SS_HoldClock(eink::NowMs());
        ran = true;
        if (count > 1 || length < 0) {
            SS_ServiceClients(nullptr, nullptr);
            SS_AfterPass();
            continue;
        }
        // Passes in which no other connection has a request to run are this
        // connection's requests back to back; no walk is needed for them.
        // Each is still a pass of its own: what a request changes in the
        // refresh state or the timers is judged before the next one runs.
        // The coarse clock is read every few passes only: a reading costs as
        // much as a small request.
        for (unsigned passes = 1;; ++passes) {
            ExecuteOne(ready, uint32_t(length));
            bool same = !ready->dead && g_doomed.empty(); // `ready` is freed by EndPass otherwise
            EndPass();
            SS_AfterPass();
            if (!same || g_quit || !g_doomed.empty() || (length = CompleteRequest(ready)) <= 0 ||
                (passes % kPassesPerClockReading == 0 && eink::CoarseNowMs() != tick))
                break;
        }
    }
    SS_HoldClock(0);
    return ran;
}
