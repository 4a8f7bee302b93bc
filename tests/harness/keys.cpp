#include "harness/keys.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "harness/panel.h"
#include "harness/server_process.h"

namespace testing_eink {

namespace {

bool WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= size_t(w);
    }
    return true;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream ss(text);
    std::string line;
    while (std::getline(ss, line))
        out.push_back(line);
    return out;
}

} // namespace

void MakeEventFifos(const EinkRoot& root) {
    for (int i = 0; i < 3; ++i)
        root.MakeFifo("/dev/input/event" + std::to_string(i));
}

std::vector<uint8_t> EventDevice::Encode(uint16_t type, uint16_t code, int32_t value) {
    std::vector<uint8_t> b(16, 0);
    b[8] = uint8_t(type);
    b[9] = uint8_t(type >> 8);
    b[10] = uint8_t(code);
    b[11] = uint8_t(code >> 8);
    for (int i = 0; i < 4; ++i)
        b[12 + i] = uint8_t(uint32_t(value) >> (8 * i));
    return b;
}

bool EventDevice::Open(int timeoutMs) {
    if (fd_ >= 0) return true;
    // A server that went away must not kill the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    std::string path = root_.Path("/dev/input/event" + std::to_string(index_));
    long long deadline = MonoMs() + timeoutMs;
    for (;;) {
        // Non-blocking open fails with ENXIO until the server reads the FIFO.
        fd_ = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) break;
        if (errno != ENXIO || MonoMs() >= deadline) return false;
        SleepMs(20);
    }
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return true;
}

void EventDevice::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool EventDevice::Record(uint16_t type, uint16_t code, int32_t value) { return Raw(Encode(type, code, value)); }

bool EventDevice::Raw(const std::vector<uint8_t>& bytes) {
    if (fd_ < 0 && !Open()) return false;
    return WriteAll(fd_, bytes.data(), bytes.size());
}

bool EventDevice::Hold(uint16_t code, int repeats) {
    if (!Press(code)) return false;
    for (int i = 0; i < repeats; ++i)
        if (!Repeat(code)) return false;
    return true;
}

bool LockHostAndSettle(EventDevice& device, const EinkRoot& root, int repeats, int firstPushMs) {
    size_t n = PanelUpdates(root).size();
    if (!device.Hold(32, repeats) || !device.Release(32)) return false;
    if (!WaitPanelUpdates(root, n + 1, firstPushMs)) return false;
    // The forced push is due at most about 1.3 s after the lock (its one
    // second plus the main loop's tick), so a quiet 1.5 s means it is past.
    WaitPanelQuiet(root, 1500);
    SleepMs(150); // the push thread's pause after its update command
    return true;
}

bool KeyChannel::Connect(int port, int timeoutMs) {
    signal(SIGPIPE, SIG_IGN);
    long long deadline = MonoMs() + timeoutMs;
    for (;;) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(uint16_t(port));
        if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return true;
        Close();
        if (MonoMs() >= deadline) return false;
        SleepMs(20);
    }
}

void KeyChannel::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool KeyChannel::Send(uint8_t byte) { return fd_ >= 0 && WriteAll(fd_, &byte, 1); }

bool KeyChannel::Send(const std::vector<uint8_t>& bytes) {
    return fd_ >= 0 && WriteAll(fd_, bytes.data(), bytes.size());
}

std::vector<std::string> HostKeyLines(const EinkRoot& root, const std::string& fixedPath) {
    return Lines(root.Read(fixedPath));
}

std::vector<std::string> WaitHostKeyLines(const EinkRoot& root, size_t count, int timeoutMs,
                                          const std::string& fixedPath) {
    long long deadline = MonoMs() + timeoutMs;
    for (;;) {
        std::vector<std::string> lines = HostKeyLines(root, fixedPath);
        if (lines.size() >= count || MonoMs() >= deadline) return lines;
        SleepMs(20);
    }
}

void InstallFakeMainClient(const EinkRoot& root) {
    std::string log = root.Path("/tmp/velmora.log");
    std::string script = root.Write("/mnt/us/velmora/bin/velmora", "#!/bin/sh\necho \"start $*\" >> '" + log + "'\n");
    chmod(script.c_str(), 0755);
}

std::vector<std::string> FakeMainClientStarts(const EinkRoot& root) { return Lines(root.Read("/tmp/velmora.log")); }

} // namespace testing_eink
