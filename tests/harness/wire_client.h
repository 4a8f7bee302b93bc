// A client that speaks the wire protocol byte by byte, built from the
// protocol's tables by hand rather than from the shared protocol headers, so
// that a layout mistake made on both sides still fails a test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_eink {

using Bytes = std::vector<uint8_t>;

// A request as the server's dispatcher hands it to a handler in process: the
// header, the 32-bit words, then the 256 zero bytes that every handler may
// read into.
std::vector<uint8_t> HandlerMessage(uint8_t op, const std::vector<uint32_t>& words);

// Builds one message: header word (type in bits 0-7, total length in bits
// 8-31), then the fields in order.
class Msg {
public:
    explicit Msg(uint8_t type) : b_(4, 0), type_(type) {}
    Msg& u32(uint32_t v);
    Msg& s32(int32_t v) { return u32(uint32_t(v)); }
    // A byte argument in its 4-byte slot (other three bytes left 0).
    Msg& byte(uint8_t v) { return u32(v); }
    Msg& u16(uint16_t v);
    Msg& raw(uint8_t v);
    // Colour record: r, g, b, fourth byte, 32-bit pixel.
    Msg& color(uint8_t r, uint8_t g, uint8_t b, uint8_t a, uint32_t pixel);
    // Double at the next 8-aligned offset.
    Msg& f64(double v);
    // Fixed text field of `size` bytes, NUL padded (cut to size - 1).
    Msg& text(const std::string& s, size_t size);
    Msg& bytes(const void* data, size_t n);
    Msg& pad(size_t n) {
        b_.insert(b_.end(), n, 0);
        return *this;
    }
    // The finished message with its header.
    Bytes done() const;
    // Same, with a header claiming another length.
    Bytes withLength(uint32_t length) const;
    size_t size() const { return b_.size(); }

private:
    Bytes b_;
    uint8_t type_;
};

uint32_t U32At(const Bytes& m, size_t off);
int32_t S32At(const Bytes& m, size_t off);
inline uint8_t TypeOf(const Bytes& m) { return m.empty() ? 0 : m[0]; }
inline uint32_t LengthOf(const Bytes& m) { return U32At(m, 0) >> 8; }

class WireClient {
public:
    WireClient() = default;
    ~WireClient() { Close(); }
    WireClient(const WireClient&) = delete;
    WireClient& operator=(const WireClient&) = delete;

    bool ConnectUnix(const std::string& path);
    bool ConnectTcp(int port);
    // Connects and reads the SysInfo record; false when either failed.
    bool Open(const std::string& path, int timeoutMs = 5000);
    void Close();
    int fd() const { return fd_; }

    // Writes all bytes; false when the connection failed.
    bool Send(const Bytes& b);
    bool Send(const Msg& m) { return Send(m.done()); }
    // Reads one whole message; nothing when none arrived in time or the
    // connection ended.
    std::optional<Bytes> Read(int timeoutMs = 2000);
    // Reads messages until one of this type arrives (others are kept in
    // `skipped`); nothing on time-out.
    std::optional<Bytes> ReadType(uint8_t type, int timeoutMs = 2000, std::vector<Bytes>* skipped = nullptr);
    // True when the server closed the connection within the time.
    bool WaitClosed(int timeoutMs = 2000);

    const Bytes& sysinfo() const { return sysinfo_; }
    uint32_t idBase() const { return U32At(sysinfo_, 32); }
    // The next identifier of this connection's range.
    uint32_t NewId() { return idBase() + counter_++; }

    // Convenience requests.
    bool Register(const std::string& name, uint32_t word1 = 0, uint32_t word2 = 0);
    // QueryProgram; returns the reply's found word, or -1 on no reply.
    int Query(const std::string& name, int timeoutMs = 2000);
    bool UserMessage(const std::string& sender, const std::string& target, uint8_t type, const std::string& data,
                     uint32_t word1 = 0, uint32_t word2 = 0);
    // A request the server answers (QueryProgram of ""), to be sure that
    // everything sent before has been executed.
    bool Sync(int timeoutMs = 5000);

private:
    bool ReadExact(uint8_t* p, size_t n, long long deadline);
    int fd_ = -1;
    Bytes sysinfo_;
    uint32_t counter_ = 1;
};

} // namespace testing_eink
