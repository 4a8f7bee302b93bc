// Drawing throughput of winserver through its socket beside the same
// operations on Xvfb (600 x 800, depth 8) measured by x11perf in the same
// run, and the rate at which plain 28-byte messages cross a Unix socket one
// write each: the floor that one write per request sets for small requests.
//
//   draw_bench [seconds per operation]     (default 0.5)
//
// Every winserver request is written with its own write(), as libgui does;
// a QueryProgram, which the server answers, closes each timed batch.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "core/handlers.h"
#include "render/apollo.h"
#include "window/sswindow.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// One request: header (type, total length), then 32-bit little-endian words
// and an optional raw tail.
Bytes Request(uint8_t type, const std::vector<uint32_t>& words, const Bytes& tail = {}) {
    Bytes b(4, 0);
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(w >> (8 * i)));
    b.insert(b.end(), tail.begin(), tail.end());
    uint32_t header = uint32_t(b.size()) << 8 | type;
    for (int i = 0; i < 4; ++i)
        b[size_t(i)] = uint8_t(header >> (8 * i));
    return b;
}

bool WriteAll(int fd, const void* p, size_t n) {
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

bool ReadAll(int fd, void* p, size_t n) {
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

int ReadMessage(int fd, Bytes& body) {
    uint8_t h[4];
    if (!ReadAll(fd, h, 4)) return -1;
    uint32_t header = uint32_t(h[0]) | uint32_t(h[1]) << 8 | uint32_t(h[2]) << 16 | uint32_t(h[3]) << 24;
    if ((header >> 8) < 4) return -1;
    body.resize((header >> 8) - 4);
    return ReadAll(fd, body.data(), body.size()) ? int(header & 0xFF) : -1;
}

// QueryProgram of "": answered, so everything written before has run.
bool Sync(int fd) {
    Bytes q = Request(124, std::vector<uint32_t>(9, 0));
    if (!WriteAll(fd, q.data(), q.size())) return false;
    Bytes body;
    for (;;) {
        int t = ReadMessage(fd, body);
        if (t < 0) return false;
        if (t == 124) return true;
    }
}

std::string MakeRoot() {
    char tmpl[] = "/tmp/eink-drawbench-XXXXXX";
    if (!mkdtemp(tmpl)) return "";
    std::string root = tmpl;
    for (const char* d : {"/dev", "/dev/input", "/home", "/tmp", "/proc", "/mnt", "/mnt/us", "/sys", "/sys/power"})
        mkdir((root + d).c_str(), 0755);
    std::string zeros(600 * 800 / 2, '\0');
    if (FILE* f = fopen((root + "/dev/fb0").c_str(), "wb")) {
        fwrite(zeros.data(), 1, zeros.size(), f);
        fclose(f);
    }
    for (const char* name : {"/proc/keypad", "/proc/fiveway"})
        if (FILE* f = fopen((root + name).c_str(), "w")) fclose(f);
    return root;
}

int FreePort() {
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

pid_t StartServer(const std::string& root) {
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

int Connect(const std::string& path) {
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

// One benchmarked operation: the messages that make one operation (one
// request, or the rows of one image), and x11perf's test for it.
struct Op {
    const char* name;
    const char* x11perf;
    std::vector<Bytes> messages;
};

// Operations per second over at least `seconds`, batches doubled until long
// enough.
double ServerRate(int fd, const Op& op, double seconds) {
    auto batch = [&](long n) {
        for (long i = 0; i < n; ++i)
            for (const Bytes& m : op.messages)
                if (!WriteAll(fd, m.data(), m.size())) return false;
        return Sync(fd);
    };
    batch(20);
    for (long n = 50;; n *= 2) {
        auto t0 = Clock::now();
        if (!batch(n)) return 0;
        double s = Seconds(t0, Clock::now());
        if (s >= seconds || n > (1l << 26)) return n / s;
    }
}

double SocketFloor(size_t size, double seconds) {
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return 0;
    pid_t pid = fork();
    if (pid == 0) {
        close(sv[0]);
        Bytes buf(65536);
        for (;;) {
            ssize_t r = read(sv[1], buf.data(), buf.size());
            if (r <= 0) break;
        }
        _exit(0);
    }
    close(sv[1]);
    Bytes msg(size, 7);
    long count = 0;
    auto t0 = Clock::now();
    double s = 0;
    while (s < seconds) {
        for (int i = 0; i < 10000; ++i)
            WriteAll(sv[0], msg.data(), msg.size());
        count += 10000;
        s = Seconds(t0, Clock::now());
    }
    close(sv[0]);
    waitpid(pid, nullptr, 0);
    return count / s;
}

// x11perf's rates (operations per second) by test name, or an empty map.
std::map<std::string, double> XvfbRates(const std::vector<Op>& ops) {
    std::map<std::string, double> rates;
    if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/x11perf", X_OK) != 0) {
        printf("Xvfb or x11perf missing (packages xvfb, x11-apps): no reference column\n");
        return rates;
    }
    int display = 140 + int(getpid() % 50);
    pid_t x = fork();
    if (x == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::string d = ":" + std::to_string(display);
        execl("/usr/bin/Xvfb", "Xvfb", d.c_str(), "-screen", "0", "600x800x8", "-nolisten", "tcp",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    for (const Op& op : ops) {
        std::string cmd =
            "DISPLAY=:" + std::to_string(display) + " x11perf -repeat 2 -time 1 -" + op.x11perf + " 2>/dev/null";
        FILE* p = popen(cmd.c_str(), "r");
        if (!p) continue;
        char line[512];
        double rate = 0;
        while (fgets(line, sizeof line, p)) {
            const char* open = strchr(line, '(');
            if (strstr(line, "reps @") && open) rate = atof(open + 1); // the last line is the average
        }
        pclose(p);
        rates[op.x11perf] = rate;
    }
    kill(x, SIGTERM);
    waitpid(x, nullptr, 0);
    return rates;
}

// The same operation executed by the request handlers in this process, with
// no socket and no main loop: what the drawing itself costs.
double InProcessRate(const Op& op, double seconds) {
    std::vector<Bytes> msgs = op.messages;
    for (Bytes& m : msgs)
        m.resize(m.size() + 256, 0); // the zero tail the server guarantees
    auto batch = [&](long n) {
        for (long i = 0; i < n; ++i)
            for (size_t k = 0; k < msgs.size(); ++k)
                SS_Dispatch(nullptr, msgs[k].data(), uint32_t(op.messages[k].size()));
    };
    batch(20);
    for (long n = 50;; n *= 2) {
        auto t0 = Clock::now();
        batch(n);
        double s = Seconds(t0, Clock::now());
        if (s >= seconds || n > (1l << 26)) return n / s;
    }
}

} // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 0.5;
    if (seconds < 0.05) seconds = 0.05;
    signal(SIGPIPE, SIG_IGN);

    std::string root = MakeRoot();
    if (root.empty()) return 1;
    pid_t server = StartServer(root);
    int fd = Connect(root + "/tmp/.commfile");
    Bytes sysinfo;
    if (fd < 0 || ReadMessage(fd, sysinfo) != 1) {
        fprintf(stderr, "cannot reach winserver\n");
        kill(server, SIGKILL);
        return 1;
    }
    uint32_t base = uint32_t(sysinfo[28]) | uint32_t(sysinfo[29]) << 8 | uint32_t(sysinfo[30]) << 16 |
                    uint32_t(sysinfo[31]) << 24; // offset 32 of the message
    const uint32_t win = base + 1, pix = base + 2, src = base + 3, dst = base + 4;
    for (const Bytes& m :
         {Request(1, {win, 0, 0, 0, 600, 800, 255, 1}), Request(5, {win, 0}), Request(10, {pix, 600, 800, 8}),
          Request(10, {src, 600, 800, 8}), Request(10, {dst, 600, 800, 8}), Request(20, {src, 0, 0, 600, 800, 200})})
        WriteAll(fd, m.data(), m.size());
    Sync(fd);

    auto rect = [&](uint32_t s) { return std::vector<Bytes>{Request(20, {pix, 40, 40, s, s, 17})}; };
    auto p2w = [&](uint32_t s) { return std::vector<Bytes>{Request(13, {src, win, 0, 20, 20, s, s, 40, 40, 0})}; };
    auto p2p = [&](uint32_t s) { return std::vector<Bytes>{Request(14, {src, dst, 0, 20, 20, s, s, 40, 40})}; };
    auto upload = [&](uint32_t s) {
        std::vector<Bytes> rows;
        Bytes pixels(s, 99);
        for (uint32_t r = 0; r < s; ++r)
            rows.push_back(Request(12, {pix, 0, r, s, 1, 8}, pixels));
        return rows;
    };
    const uint32_t black = 0; // colour record: r g b a, then the pixel word
    std::vector<Op> ops = {
        {"FillRect 10x10", "rect10", rect(10)},
        {"FillRect 100x100", "rect100", rect(100)},
        {"FillRect 500x500", "rect500", rect(500)},
        {"DrawLine 100 px", "line100", {Request(42, {pix, 100, 100, 200, 137, 3})}},
        {"DrawCircle 100 px", "circle100", {Request(75, {pix, 300, 400, 50, black, 3})}},
        {"FillCircle 100 px", "fcircle100", {Request(76, {pix, 300, 400, 50, black, 3})}},
        {"CopyAreaP2W 10x10", "copypixwin10", p2w(10)},
        {"CopyAreaP2W 100x100", "copypixwin100", p2w(100)},
        {"CopyAreaP2W 500x500", "copypixwin500", p2w(500)},
        {"CopyAreaP2P 100x100", "copypixpix100", p2p(100)},
        {"CopyAreaP2P 500x500", "copypixpix500", p2p(500)},
        {"UpdatePixmap image 100x100 (rows)", "putimage100", upload(100)},
        {"UpdatePixmap image 500x500 (rows)", "putimage500", upload(500)},
        {"SwitchDisplayMode (no-op)", "noop", {Request(131, {0})}},
    };
    std::vector<double> ours;
    for (const Op& op : ops)
        ours.push_back(ServerRate(fd, op, seconds));
    close(fd);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);

    // The same requests in this process, on a screen image of its own.
    static uint8_t screen[600 * 800], front[600 * 800];
    static SSScreen fake{600, 800, 8, screen, front, false};
    g_screen = &fake;
    SS_InitWindows();
    for (const Bytes& m :
         {Request(1, {win, 0, 0, 0, 600, 800, 255, 1}), Request(5, {win, 0}), Request(10, {pix, 600, 800, 8}),
          Request(10, {src, 600, 800, 8}), Request(10, {dst, 600, 800, 8}), Request(20, {src, 0, 0, 600, 800, 200})}) {
        Bytes b = m;
        b.resize(m.size() + 256, 0);
        SS_Dispatch(nullptr, b.data(), uint32_t(m.size()));
    }
    std::vector<double> local;
    for (const Op& op : ops)
        local.push_back(InProcessRate(op, seconds / 2));

    double floor28 = SocketFloor(28, 1.0);
    std::map<std::string, double> ref = XvfbRates(ops);

    printf("\n%-36s %14s %16s %8s %16s %8s\n", "operation", "winserver", "Xvfb (x11perf)", "ratio", "handler alone",
           "ratio");
    for (size_t i = 0; i < ops.size(); ++i) {
        double r = ref.count(ops[i].x11perf) ? ref[ops[i].x11perf] : 0;
        if (r > 0)
            printf("%-36s %12.0f/s %14.0f/s %8.2f %14.0f/s %8.2f   (-%s)\n", ops[i].name, ours[i], r, ours[i] / r,
                   local[i], local[i] / r, ops[i].x11perf);
        else
            printf("%-36s %12.0f/s %16s %8s %14.0f/s\n", ops[i].name, ours[i], "-", "-", local[i]);
    }
    printf("\n%-36s %12.0f/s\n", "socket floor, 28-byte messages", floor28);
    for (size_t i = 0; i < ops.size(); ++i)
        if (ops[i].messages.size() == 1 && ops[i].messages[0].size() <= 44)
            printf("%-36s %5.0f%% of the floor (%zu-byte request)\n", ops[i].name, 100.0 * ours[i] / floor28,
                   ops[i].messages[0].size());
    std::string rm = "rm -rf '" + root + "'";
    if (system(rm.c_str()) != 0) fprintf(stderr, "could not remove %s\n", root.c_str());
    return 0;
}
