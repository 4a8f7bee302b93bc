// Set-up shared by the benchmarks that talk to a real winserver: an emulated
// root, the server started in it on free ports, a socket connection with
// request bytes built by hand, and Xvfb for x11perf's reference figures.
// Header-only because every .cpp in bench/ becomes a program of its own.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

inline double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// One request: header (type, total length), then 32-bit little-endian words
// and an optional raw tail.
inline Bytes Request(uint8_t type, const std::vector<uint32_t>& words, const uint8_t* tail, size_t tailSize) {
    Bytes b(4, 0);
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(w >> (8 * i)));
    b.insert(b.end(), tail, tail + tailSize);
    uint32_t header = uint32_t(b.size()) << 8 | type;
    for (int i = 0; i < 4; ++i)
        b[size_t(i)] = uint8_t(header >> (8 * i));
    return b;
}

inline Bytes Request(uint8_t type, const std::vector<uint32_t>& words, const Bytes& tail = {}) {
    return Request(type, words, tail.data(), tail.size());
}

inline Bytes Request(uint8_t type, const std::vector<uint32_t>& words, const std::string& tail) {
    return Request(type, words, reinterpret_cast<const uint8_t*>(tail.data()), tail.size());
}

// Little-endian word at `offset` of a message body.
inline uint32_t Get32(const Bytes& b, size_t offset) {
    return uint32_t(b[offset]) | uint32_t(b[offset + 1]) << 8 | uint32_t(b[offset + 2]) << 16 |
           uint32_t(b[offset + 3]) << 24;
}

inline bool WriteAll(int fd, const void* p, size_t n) {
    const uint8_t* c = static_cast<const uint8_t*>(p);
    while (n > 0) {
        ssize_t w = write(fd, c, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        c += w;
        n -= size_t(w);
    }
    return true;
}

inline bool ReadAll(int fd, void* p, size_t n) {
    uint8_t* c = static_cast<uint8_t*>(p);
    while (n > 0) {
        ssize_t r = read(fd, c, n);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        c += r;
        n -= size_t(r);
    }
    return true;
}

// Rounds per second over a Unix socket between two processes, a round being
// `writes` written one write() each, for at least `seconds`. The reader
// reads in bulk, as much at a time as the server reads, and the time runs
// until it has read everything: what the socket alone allows.
inline double SocketRate(const std::vector<Bytes>& writes, double seconds) {
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return 0;
    pid_t pid = fork();
    if (pid == 0) {
        close(sv[0]);
        Bytes buf(256 * 1024);
        while (read(sv[1], buf.data(), buf.size()) > 0) {
        }
        char done = 1;
        WriteAll(sv[1], &done, 1);
        _exit(0);
    }
    close(sv[1]);
    size_t bytes = 0;
    for (const Bytes& w : writes)
        bytes += w.size();
    // Small messages go in batches so that the clock is read seldom.
    const long batch = std::max<long>(1, long((1 << 20) / std::max<size_t>(bytes, 1)));
    long count = 0;
    auto t0 = Clock::now();
    while (Seconds(t0, Clock::now()) < seconds) {
        for (long i = 0; i < batch; ++i)
            for (const Bytes& w : writes)
                WriteAll(sv[0], w.data(), w.size());
        count += batch;
    }
    shutdown(sv[0], SHUT_WR);
    char done;
    ReadAll(sv[0], &done, 1);
    double s = Seconds(t0, Clock::now());
    close(sv[0]);
    waitpid(pid, nullptr, 0);
    return count / s;
}

// Messages per second of `size` bytes, one write each: the floor that one
// write per request sets for small requests.
inline double SocketFloor(size_t size, double seconds) { return SocketRate({Bytes(size, 7)}, seconds); }

// Calls per second of batch(n): one warm-up batch, then batches doubled from
// `first` until one lasts `seconds` or n passes `cap`; 0 when a batch fails.
template <class Batch> double DoublingRate(Batch batch, double seconds, long warm, long first, long cap) {
    batch(warm);
    for (long n = first;; n *= 2) {
        auto t0 = Clock::now();
        if (!batch(n)) return 0;
        double s = Seconds(t0, Clock::now());
        if (s >= seconds || n > cap) return n / s;
    }
}

// Reads one message into `body` (header stripped); returns its type, or -1.
inline int ReadMessage(int fd, Bytes& body) {
    uint8_t h[4];
    if (!ReadAll(fd, h, 4)) return -1;
    uint32_t header = uint32_t(h[0]) | uint32_t(h[1]) << 8 | uint32_t(h[2]) << 16 | uint32_t(h[3]) << 24;
    if ((header >> 8) < 4) return -1;
    body.resize((header >> 8) - 4);
    return ReadAll(fd, body.data(), body.size()) ? int(header & 0xFF) : -1;
}

// QueryProgram of "": answered, so everything written before has run.
inline bool Sync(int fd) {
    Bytes q = Request(124, std::vector<uint32_t>(9, 0));
    if (!WriteAll(fd, q.data(), q.size())) return false;
    Bytes body;
    for (;;) {
        int t = ReadMessage(fd, body);
        if (t < 0) return false;
        if (t == 124) return true;
    }
}

// A fresh emulated root /tmp/eink-<name>-XXXXXX with the device files the
// server opens, plus `extraDirs` (parents first); "" on failure.
inline std::string MakeRoot(const std::string& name, std::initializer_list<const char*> extraDirs = {}) {
    std::string tmpl = "/tmp/eink-" + name + "-XXXXXX";
    if (!mkdtemp(&tmpl[0])) return "";
    const std::string& root = tmpl;
    for (const char* d : {"/dev", "/dev/input", "/home", "/tmp", "/proc", "/mnt", "/mnt/us", "/sys", "/sys/power"})
        mkdir((root + d).c_str(), 0755);
    for (const char* d : extraDirs)
        mkdir((root + d).c_str(), 0755);
    std::string zeros(600 * 800 / 2, '\0');
    if (FILE* f = fopen((root + "/dev/fb0").c_str(), "wb")) {
        fwrite(zeros.data(), 1, zeros.size(), f);
        fclose(f);
    }
    for (const char* file : {"/proc/keypad", "/proc/fiveway"})
        if (FILE* f = fopen((root + file).c_str(), "w")) fclose(f);
    return root;
}

inline void RemoveRoot(const std::string& root) {
    std::string rm = "rm -rf '" + root + "'";
    if (system(rm.c_str()) != 0) fprintf(stderr, "could not remove %s\n", root.c_str());
}

inline int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t l = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &l);
    close(fd);
    return ntohs(a.sin_port);
}

// winserver on `root` with free ports, its output thrown away.
inline pid_t StartServer(const std::string& root) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("EINK_ROOT", root.c_str(), 1);
        setenv("EINK_PORT", std::to_string(FreePort()).c_str(), 1);
        setenv("EINK_KEY_PORT", std::to_string(FreePort()).c_str(), 1);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(WINSERVER_PATH, WINSERVER_PATH, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

inline void StopServer(pid_t pid, int sig) {
    kill(pid, sig);
    waitpid(pid, nullptr, 0);
}

// Connects to the server's socket, retrying for up to 10 s while it starts.
inline int Connect(const std::string& path) {
    for (int i = 0; i < 200; ++i) {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
        if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
        close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
}

// Connects to the server of `root` and reads its SysInfo message; -1 (the
// server killed, a line on stderr) when it cannot be reached.
inline int ConnectAndReadSysInfo(const std::string& root, pid_t server, Bytes& sysinfo) {
    int fd = Connect(root + "/tmp/.commfile");
    if (fd < 0 || ReadMessage(fd, sysinfo) != 1) {
        fprintf(stderr, "cannot reach winserver\n");
        kill(server, SIGKILL);
        return -1;
    }
    return fd;
}

// The resource id base of a SysInfo body (offset 32 of the message).
inline uint32_t IdBase(const Bytes& sysinfo) { return Get32(sysinfo, 28); }

// True when Xvfb and x11perf are installed; says so on stdout otherwise.
inline bool HaveXTools() {
    if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/x11perf", X_OK) != 0) {
        printf("Xvfb or x11perf missing (packages xvfb, x11-apps): no reference column\n");
        return false;
    }
    return true;
}

// Xvfb, 600 x 800 at depth 8, silent, on the first display from `first`
// that nobody holds, once it accepts connections; the display number goes
// to `display`. Stop it with StopServer.
inline pid_t StartXvfb(int first, int* display) {
    int d = first;
    while (access(("/tmp/.X" + std::to_string(d) + "-lock").c_str(), F_OK) == 0)
        d++;
    *display = d;
    pid_t x = fork();
    if (x == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::string name = ":" + std::to_string(d);
        execl("/usr/bin/Xvfb", "Xvfb", name.c_str(), "-screen", "0", "600x800x8", "-nolisten", "tcp",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string sock = "/tmp/.X11-unix/X" + std::to_string(d);
    for (int i = 0; i < 100 && access(sock.c_str(), F_OK) != 0; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return x;
}

// The lines x11perf prints for `args` on `display`.
inline std::vector<std::string> X11perfLines(int display, const std::string& args) {
    std::vector<std::string> lines;
    std::string cmd = "DISPLAY=:" + std::to_string(display) + " x11perf " + args + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return lines;
    char line[512];
    while (fgets(line, sizeof line, p))
        lines.push_back(line);
    pclose(p);
    return lines;
}

} // namespace bench
