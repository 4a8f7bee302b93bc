// Anti-aliased text throughput: 10-character TextOutSingle requests at 16 and
// 24 pixels through winserver's socket, beside x11perf's -aa10text and
// -aa24text on Xvfb in the same run, and beside the rate at which plain
// messages of the same size cross a Unix socket one write each (the floor
// that one write per request sets).
//
//   text_bench [requests]      (default 200000 per size)
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
#include <string>
#include <thread>
#include <vector>

#include "render/fonts.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> Message(uint8_t type, const std::vector<uint32_t>& words, const std::string& tail = "") {
    std::vector<uint8_t> b;
    Put32(b, 0);
    for (uint32_t w : words)
        Put32(b, w);
    b.insert(b.end(), tail.begin(), tail.end());
    uint32_t header = uint32_t(b.size()) << 8 | type;
    memcpy(b.data(), &header, 4);
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

// Reads one message; returns its type, or -1.
int ReadMessage(int fd, std::vector<uint8_t>& body) {
    uint32_t header;
    if (!ReadAll(fd, &header, 4)) return -1;
    uint32_t len = header >> 8;
    if (len < 4) return -1;
    body.resize(len - 4);
    if (!ReadAll(fd, body.data(), body.size())) return -1;
    return int(header & 0xFF);
}

std::string MakeRoot() {
    char tmpl[] = "/tmp/eink-textbench-XXXXXX";
    if (!mkdtemp(tmpl)) return "";
    std::string root = tmpl;
    for (const char* d : {"/dev", "/dev/input", "/home", "/tmp", "/proc", "/mnt", "/mnt/us", "/mnt/us/velmora",
                          "/mnt/us/velmora/res", "/sys", "/sys/power"})
        mkdir((root + d).c_str(), 0755);
    std::string zeros(600 * 800 / 2, '\0');
    FILE* f = fopen((root + "/dev/fb0").c_str(), "wb");
    if (f) {
        fwrite(zeros.data(), 1, zeros.size(), f);
        fclose(f);
    }
    for (const char* name : {"/proc/keypad", "/proc/fiveway"}) {
        f = fopen((root + name).c_str(), "w");
        if (f) fclose(f);
    }
    f = fopen((root + "/mnt/us/velmora/res/xftfont.lst").c_str(), "w");
    if (f) {
        fputs("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\n", f);
        fclose(f);
    }
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
    for (int i = 0; i < 200; i++) {
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

// QueryProgram of "": the server answers, so everything before it ran.
bool Sync(int fd) {
    std::vector<uint8_t> q = Message(124, std::vector<uint32_t>(9, 0));
    if (!WriteAll(fd, q.data(), q.size())) return false;
    std::vector<uint8_t> body;
    for (;;) {
        int t = ReadMessage(fd, body);
        if (t < 0) return false;
        if (t == 124) return true;
    }
}

// Glyphs per second of 10-letter TextOutSingle requests, one write each.
double ServerGlyphRate(int fd, uint32_t pixmap, int size, int requests, double* requestRate) {
    const std::string text = "Quartz-jig";
    std::vector<std::vector<uint8_t>> msgs;
    for (int i = 0; i < 64; i++) {
        uint32_t x = uint32_t(5 + (i * 37) % 400), y = uint32_t(40 + (i * 53) % 700);
        msgs.push_back(Message(119, {pixmap, 0, uint32_t(size), x, y, 10, uint32_t(i * 4 & 0xFF)}, text));
    }
    // Warm the glyph cache and the connection.
    for (int i = 0; i < 200; i++)
        WriteAll(fd, msgs[size_t(i) % msgs.size()].data(), msgs[0].size());
    Sync(fd);
    auto t0 = Clock::now();
    for (int i = 0; i < requests; i++) {
        const std::vector<uint8_t>& m = msgs[size_t(i) % msgs.size()];
        if (!WriteAll(fd, m.data(), m.size())) return 0;
    }
    Sync(fd);
    double s = Seconds(t0, Clock::now());
    *requestRate = requests / s;
    return requests * 10.0 / s;
}

// Messages per second of `size` bytes over a Unix socket between two
// processes, one write per message; the reader reads in bulk.
double SocketFloor(size_t size, int count) {
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return 0;
    pid_t pid = fork();
    if (pid == 0) {
        close(sv[0]);
        std::vector<uint8_t> buf(65536);
        size_t total = 0, want = size * size_t(count);
        while (total < want) {
            ssize_t r = read(sv[1], buf.data(), buf.size());
            if (r <= 0) break;
            total += size_t(r);
        }
        char ok = 1;
        WriteAll(sv[1], &ok, 1);
        _exit(0);
    }
    close(sv[1]);
    std::vector<uint8_t> msg(size, 7);
    auto t0 = Clock::now();
    for (int i = 0; i < count; i++)
        WriteAll(sv[0], msg.data(), msg.size());
    char ok;
    ReadAll(sv[0], &ok, 1);
    double s = Seconds(t0, Clock::now());
    close(sv[0]);
    waitpid(pid, nullptr, 0);
    return count / s;
}

// x11perf's "trep" rate (characters per second) for each test, or 0.
void XvfbRates(double* aa10, double* aa24) {
    *aa10 = *aa24 = 0;
    if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/x11perf", X_OK) != 0) {
        printf("Xvfb or x11perf missing (packages xvfb, x11-apps): no reference column\n");
        return;
    }
    // A display number nobody holds.
    int display = 90 + int(getpid() % 50);
    while (access(("/tmp/.X" + std::to_string(display) + "-lock").c_str(), F_OK) == 0)
        display++;
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
    std::string sock = "/tmp/.X11-unix/X" + std::to_string(display);
    for (int i = 0; i < 100 && access(sock.c_str(), F_OK) != 0; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::string cmd =
        "DISPLAY=:" + std::to_string(display) + " x11perf -repeat 3 -time 2 -aa10text -aa24text 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (p) {
        char line[512];
        while (fgets(line, sizeof line, p)) {
            const char* open = strchr(line, '(');
            if (!strstr(line, "trep") || !open) continue;
            double rate = atof(open + 1);
            if (strstr(line, "Charter 10") || strstr(line, "10)")) *aa10 = rate;
            if (strstr(line, "Charter 24") || strstr(line, "24)")) *aa24 = rate;
        }
        pclose(p);
    }
    kill(x, SIGTERM);
    waitpid(x, nullptr, 0);
}

// The drawing alone, in process: the cost of the font module per request,
// without the socket and the server loop.
double InProcessGlyphRate(int size, int requests) {
    SSFontFace* slot = nullptr;
    if (!FontsChooseFace(0, size, &slot)) return 0;
    std::vector<uint8_t> pixels(600 * 800, 255);
    SSTextTarget target{pixels.data(), 600, 800, 600};
    const uint16_t text[10] = {'Q', 'u', 'a', 'r', 't', 'z', '-', 'j', 'i', 'g'};
    auto t0 = Clock::now();
    int64_t sink = 0;
    for (int i = 0; i < requests; i++)
        sink += DrawTextFace(target, slot, 5 + (i * 37) % 400, 40 + (i * 53) % 700, text, 10, uint32_t(i * 4 & 0xFF));
    double s = Seconds(t0, Clock::now());
    if (sink == 42) printf(" ");
    return requests * 10.0 / s;
}

} // namespace

int main(int argc, char** argv) {
    int requests = argc > 1 ? atoi(argv[1]) : 200000;
    if (requests < 1000) requests = 1000;
    signal(SIGPIPE, SIG_IGN);

    std::string root = MakeRoot();
    if (root.empty()) return 1;
    pid_t server = StartServer(root);
    int fd = Connect(root + "/tmp/.commfile");
    std::vector<uint8_t> sysinfo;
    if (fd < 0 || ReadMessage(fd, sysinfo) != 1) {
        fprintf(stderr, "cannot reach winserver\n");
        kill(server, SIGKILL);
        return 1;
    }
    uint32_t base;
    memcpy(&base, sysinfo.data() + 28, 4); // offset 32 of the message
    if (sysinfo[92 - 4] != 1) printf("warning: the server reports no scalable fonts\n");
    uint32_t pixmap = base + 1;
    std::vector<uint8_t> create = Message(10, {pixmap, 600, 800, 8});
    WriteAll(fd, create.data(), create.size());
    Sync(fd);

    double req16 = 0, req24 = 0;
    double g16 = ServerGlyphRate(fd, pixmap, 16, requests, &req16);
    double g24 = ServerGlyphRate(fd, pixmap, 24, requests, &req24);
    close(fd);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    double floor42 = SocketFloor(42, requests * 2);
    // The same fonts in this process (its root is read once, now).
    setenv("EINK_ROOT", root.c_str(), 1);
    InitFonts();
    double local16 = InProcessGlyphRate(16, requests);
    double local24 = InProcessGlyphRate(24, requests);
    FreeFonts();
    double aa10 = 0, aa24 = 0;
    XvfbRates(&aa10, &aa24);

    printf("\n%-44s %14s %14s %8s\n", "10-character TextOutSingle", "winserver", "Xvfb x11perf", "ratio");
    auto row = [](const char* name, double ours, double ref) {
        if (ref > 0)
            printf("%-44s %12.0f/s %12.0f/s %8.2f\n", name, ours, ref, ours / ref);
        else
            printf("%-44s %12.0f/s %14s %8s\n", name, ours, "-", "-");
    };
    row("glyphs, 16 px (x11perf -aa10text)", g16, aa10);
    row("glyphs, 24 px (x11perf -aa24text)", g24, aa24);
    printf("\n%-44s %12.0f/s\n", "socket floor, 42-byte messages, one write", floor42);
    printf("%-44s %12.0f/s  %.0f%% of the floor\n", "requests, 16 px", req16, 100.0 * req16 / floor42);
    printf("%-44s %12.0f/s  %.0f%% of the floor\n", "requests, 24 px", req24, 100.0 * req24 / floor42);
    printf("\n%-44s %12.0f/s\n", "glyphs drawn in process, 16 px", local16);
    printf("%-44s %12.0f/s\n", "glyphs drawn in process, 24 px", local24);
    std::string rm = "rm -rf '" + root + "'";
    if (system(rm.c_str()) != 0) fprintf(stderr, "could not remove %s\n", root.c_str());
    return 0;
}
