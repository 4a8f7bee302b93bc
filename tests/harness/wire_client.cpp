#include "harness/wire_client.h"
#include "harness/launcher.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "harness/server_process.h"

namespace testing_eink {

std::vector<uint8_t> HandlerMessage(uint8_t op, const std::vector<uint32_t>& words) {
    Msg m(op);
    for (uint32_t w : words)
        m.u32(w);
    Bytes b = m.done();
    b.resize(b.size() + 256, 0);
    return b;
}

Msg& Msg::u32(uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b_.push_back(uint8_t(v >> (8 * i)));
    return *this;
}

Msg& Msg::u16(uint16_t v) {
    b_.push_back(uint8_t(v));
    b_.push_back(uint8_t(v >> 8));
    return *this;
}

Msg& Msg::raw(uint8_t v) {
    b_.push_back(v);
    return *this;
}

Msg& Msg::color(uint8_t r, uint8_t g, uint8_t b, uint8_t a, uint32_t pixel) {
    raw(r).raw(g).raw(b).raw(a);
    return u32(pixel);
}

Msg& Msg::f64(double v) {
    while (b_.size() % 8)
        b_.push_back(0);
    uint8_t bytes[8];
    memcpy(bytes, &v, 8);
    b_.insert(b_.end(), bytes, bytes + 8);
    return *this;
}

Msg& Msg::text(const std::string& s, size_t size) {
    size_t n = s.size() < size ? s.size() : size - 1;
    b_.insert(b_.end(), s.begin(), s.begin() + long(n));
    b_.insert(b_.end(), size - n, 0);
    return *this;
}

Msg& Msg::bytes(const void* data, size_t n) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    b_.insert(b_.end(), p, p + n);
    return *this;
}

Bytes Msg::done() const { return withLength(uint32_t(b_.size())); }

Bytes Msg::withLength(uint32_t length) const {
    Bytes out = b_;
    uint32_t header = (length << 8) | type_;
    for (int i = 0; i < 4; ++i)
        out[size_t(i)] = uint8_t(header >> (8 * i));
    return out;
}

uint32_t U32At(const Bytes& m, size_t off) {
    if (off + 4 > m.size()) return 0;
    return uint32_t(m[off]) | uint32_t(m[off + 1]) << 8 | uint32_t(m[off + 2]) << 16 | uint32_t(m[off + 3]) << 24;
}

int32_t S32At(const Bytes& m, size_t off) { return int32_t(U32At(m, off)); }

bool WireClient::ConnectUnix(const std::string& path) {
    Close();
    fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        Close();
        return false;
    }
    return true;
}

bool WireClient::ConnectTcp(int port) {
    Close();
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uint16_t(port));
    if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        Close();
        return false;
    }
    return true;
}

bool WireClient::Open(const std::string& path, int timeoutMs) {
    if (!ConnectUnix(path)) return false;
    auto info = Read(ScaledTimeoutMs(timeoutMs));
    if (!info || TypeOf(*info) != 1) return false;
    sysinfo_ = *info;
    return true;
}

void WireClient::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool WireClient::Send(const Bytes& b) {
    size_t done = 0;
    while (done < b.size()) {
        ssize_t n = send(fd_, b.data() + done, b.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

bool WireClient::ReadExact(uint8_t* p, size_t n, long long deadline) {
    size_t got = 0;
    while (got < n) {
        long long left = deadline - MonoMs();
        if (left <= 0) return false;
        pollfd pfd{fd_, POLLIN, 0};
        int r = poll(&pfd, 1, int(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        ssize_t k = read(fd_, p + got, n - got);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        got += size_t(k);
    }
    return true;
}

std::optional<Bytes> WireClient::Read(int timeoutMs) {
    if (fd_ < 0) return std::nullopt;
    long long deadline = MonoMs() + timeoutMs;
    Bytes m(4);
    if (!ReadExact(m.data(), 4, deadline)) return std::nullopt;
    uint32_t length = U32At(m, 0) >> 8;
    if (length < 4 || length > (1u << 20)) return std::nullopt;
    m.resize(length);
    // A message that has started arrives whole; allow it extra time.
    if (!ReadExact(m.data() + 4, length - 4, deadline + 5000)) return std::nullopt;
    return m;
}

std::optional<Bytes> WireClient::ReadType(uint8_t type, int timeoutMs, std::vector<Bytes>* skipped) {
    long long deadline = MonoMs() + timeoutMs;
    while (true) {
        long long left = deadline - MonoMs();
        if (left <= 0) return std::nullopt;
        auto m = Read(int(left));
        if (!m) return std::nullopt;
        if (TypeOf(*m) == type) return m;
        if (skipped) skipped->push_back(*m);
    }
}

bool WireClient::WaitClosed(int timeoutMs) {
    long long deadline = MonoMs() + timeoutMs;
    uint8_t buf[4096];
    while (MonoMs() < deadline) {
        pollfd pfd{fd_, POLLIN, 0};
        int r = poll(&pfd, 1, int(deadline - MonoMs()));
        if (r <= 0) continue;
        ssize_t k = read(fd_, buf, sizeof buf);
        if (k == 0 || (k < 0 && errno != EINTR && errno != EAGAIN)) return true;
    }
    return false;
}

bool WireClient::Register(const std::string& name, uint32_t word1, uint32_t word2) {
    return Send(Msg(121).text(name, 32).u32(word1).u32(word2));
}

int WireClient::Query(const std::string& name, int timeoutMs) {
    if (!Send(Msg(124).text(name, 32).u32(0))) return -1;
    auto reply = ReadType(124, timeoutMs);
    if (!reply || reply->size() != 40) return -1;
    return int(U32At(*reply, 36));
}

bool WireClient::UserMessage(const std::string& sender, const std::string& target, uint8_t type,
                             const std::string& data, uint32_t word1, uint32_t word2) {
    Msg m(122);
    m.text(sender, 32).text(target, 32).u32(word1).u32(word2).byte(type).u32(uint32_t(data.size()));
    m.bytes(data.data(), data.size()).pad(5);
    return Send(m);
}

bool WireClient::Sync(int timeoutMs) { return Query("", timeoutMs) == 0; }

} // namespace testing_eink
