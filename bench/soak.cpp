// Soak: winserver under a crowd of clients for a bounded time, run by hand
// (scripts/soak.sh), never as a test.
//
//   soak [--seconds N] [--clients N] [--server PATH]
//
// `clients` connections (200 by default) run sessions one after the other
// for `seconds` (300 by default), each session picked at random: valid
// drawing traffic into a window of its own, a malformed request (bad
// length, garbage), a stall in the middle of a request, or an abrupt
// disconnect with windows and pixmaps left behind. Throughout, one
// well-behaved client asks a round trip (QueryProgram) every 20 ms and
// times it. Everything is on loopback, in a fresh emulated root.
//
// Reported: requests executed (the valid sessions' requests confirmed by a
// later reply, which the server sends only after running all of them),
// connections torn down (the server's own "client num" lines), the
// well-behaved client's round trips and worst time, the server's resident
// memory and descriptors at start, after warm-up and at the end (all
// clients gone), and any sanitizer report in the server's output.
#include "bench_support.h"

#include <atomic>
#include <dirent.h>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/syscall.h>

using namespace bench;

namespace {

std::string g_root;
pid_t g_server = -1;
Clock::time_point g_start;
std::atomic<bool> g_stop{false};
std::atomic<long> g_executed{0}, g_sessions[4], g_serverClosed{0};

const char* const kSessionNames[4] = {"drawing", "malformed", "stall", "abrupt"};

long ResidentKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

int OpenDescriptors(pid_t pid) {
    int n = 0;
    if (DIR* d = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') ++n;
        closedir(d);
    }
    return n;
}

// CPU time the server has used so far (user + system), in milliseconds.
long ServerCpuMs() {
    std::ifstream in("/proc/" + std::to_string(g_server) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close = all.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(all.substr(close + 2));
    std::string f;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i)
        if (i >= 14) ticks += std::stol(f);
    return ticks * 1000 / sysconf(_SC_CLK_TCK);
}

pid_t Start(const std::string& server) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("EINK_ROOT", g_root.c_str(), 1);
        setenv("EINK_PORT", std::to_string(FreePort()).c_str(), 1);
        setenv("EINK_KEY_PORT", std::to_string(FreePort()).c_str(), 1);
        int out = open((g_root + "/server.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open((g_root + "/server.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        execl(server.c_str(), server.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// A connection with a receive timeout, so that no session can hang.
int Open() {
    int fd = Connect(g_root + "/tmp/.commfile");
    if (fd < 0) return -1;
    timeval tv{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    return fd;
}

Bytes Name(const std::string& s) {
    Bytes b(32, 0);
    memcpy(b.data(), s.data(), std::min<size_t>(s.size(), 31));
    return b;
}

Bytes Query(const std::string& name) {
    Bytes body = Name(name);
    body.resize(36, 0);
    return Request(124, {}, body);
}

// Reads until the QueryProgram reply; false when the connection failed. The
// reply's found word goes to `found`.
bool AwaitReply(int fd, uint32_t* found) {
    Bytes body;
    for (;;) {
        int t = ReadMessage(fd, body);
        if (t < 0) return false;
        if (t == 124) {
            if (found) *found = body.size() >= 36 ? Get32(body, 32) : 0;
            return true;
        }
    }
}

struct Session {
    int fd;
    uint32_t base;
    std::mt19937& rng;
    int Rand(int lo, int hi) { return lo + int(rng() % unsigned(hi - lo + 1)); }
};

// A window, a pixmap, and rounds of drawing copied into the window; each
// round ends with a round trip that confirms it ran.
void Drawing(Session& s, int index) {
    uint32_t win = s.base + 1, pix = s.base + 2;
    int w = s.Rand(40, 300), h = s.Rand(30, 300), x = s.Rand(0, 600 - w), y = s.Rand(0, 800 - h);
    std::string name = "soak" + std::to_string(index);
    std::vector<Bytes> setup = {
        Request(121, {},
                [&] {
                    Bytes b = Name(name);
                    b.resize(40, 0);
                    return b;
                }()),
        Request(1, {win, 0, uint32_t(x), uint32_t(y), uint32_t(w), uint32_t(h), 255, 0}),
        Request(16, {win, 1}),
        Request(5, {win, 0}),
        Request(10, {pix, uint32_t(w), uint32_t(h), 8}),
    };
    long pending = 0;
    for (const Bytes& r : setup) {
        if (!WriteAll(s.fd, r.data(), r.size())) return;
        ++pending;
    }
    int rounds = s.Rand(3, 30);
    for (int i = 0; i < rounds && !g_stop; ++i) {
        uint32_t grey = uint32_t(s.Rand(0, 255));
        std::string text = "soak " + std::to_string(i);
        std::vector<Bytes> draw = {
            Request(20, {pix, 0, 0, uint32_t(w), uint32_t(h), grey}),
            Request(42, {pix, 0, 0, uint32_t(w - 1), uint32_t(h - 1), 0}),
            Request(82, {pix, 2, 2, uint32_t(w / 2), uint32_t(h / 2), 0x40}),
            Request(119, {pix, 0, 16, 2, 18, uint32_t(text.size()), 0}, text),
            Request(13, {pix, win, 0, 0, 0, uint32_t(w), uint32_t(h), 0, 0, 0}),
        };
        if (i % 7 == 3) draw.push_back(Request(8, {win, uint32_t(s.Rand(-3, 3)), uint32_t(s.Rand(-3, 3)), 0}));
        if (i % 11 == 5) draw.push_back(Request(3, {win}));
        for (const Bytes& r : draw) {
            if (!WriteAll(s.fd, r.data(), r.size())) return;
            ++pending;
        }
        Bytes q = Query(name);
        if (!WriteAll(s.fd, q.data(), q.size())) return;
        uint32_t found = 0;
        if (!AwaitReply(s.fd, &found)) return;
        g_executed += pending + 1;
        pending = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(s.Rand(5, 60)));
    }
    if (s.Rand(0, 1)) {
        Bytes bye = Request(255, {0});
        WriteAll(s.fd, bye.data(), bye.size());
    }
}

// A request the server cannot frame: it must close this connection only.
void Malformed(Session& s) {
    Bytes bad;
    switch (s.Rand(0, 3)) {
    case 0: bad = {0x14, 0x02, 0, 0}; break;       // length 2
    case 1: bad = {0x14, 0x00, 0x00, 0x7F}; break; // length far above the largest
    case 2:
        bad = Request(20, {s.base + 99, 1, 2});
        bad[1] = 0;
        break; // length 0
    default:
        bad.resize(size_t(s.Rand(4, 512)));
        for (uint8_t& b : bad)
            b = uint8_t(s.rng());
        bad[1] = 0, bad[2] = 0, bad[3] = 0x40; // a length the server must refuse
        break;
    }
    WriteAll(s.fd, bad.data(), bad.size());
    // The server closes: read until end of file.
    uint8_t buf[4096];
    for (int i = 0; i < 100; ++i) {
        ssize_t n = read(s.fd, buf, sizeof buf);
        if (n == 0) {
            ++g_serverClosed;
            return;
        }
        if (n < 0) return;
    }
}

// Half a request, a pause of up to 3 s, then the rest or a hang-up.
void Stall(Session& s) {
    uint32_t win = s.base + 1;
    Bytes r = Request(1, {win, 0, 10, 10, 50, 50, 200, 0});
    size_t cut = size_t(s.Rand(1, int(r.size()) - 1));
    if (!WriteAll(s.fd, r.data(), cut)) return;
    for (int i = 0, n = s.Rand(1, 30); i < n && !g_stop; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (s.Rand(0, 1)) {
        WriteAll(s.fd, r.data() + cut, r.size() - cut);
        Bytes m = Request(5, {win, 0});
        WriteAll(s.fd, m.data(), m.size());
        Bytes q = Query("");
        WriteAll(s.fd, q.data(), q.size());
        if (AwaitReply(s.fd, nullptr)) g_executed += 3;
    }
}

// Windows and pixmaps created, requests in flight, then the socket closed
// at once: the server must free what the connection owned.
void Abrupt(Session& s) {
    Bytes all;
    for (uint32_t i = 1; i <= uint32_t(s.Rand(1, 5)); ++i) {
        Bytes a = Request(1, {s.base + i, 0, uint32_t(10 * i), 10, 100, 100, 128, 0});
        Bytes b = Request(5, {s.base + i, 0});
        Bytes c = Request(10, {s.base + 100 + i, 64, 64, 8});
        all.insert(all.end(), a.begin(), a.end());
        all.insert(all.end(), b.begin(), b.end());
        all.insert(all.end(), c.begin(), c.end());
    }
    Bytes tail = Request(20, {s.base + 101, 0, 0, 64, 64, 0});
    all.insert(all.end(), tail.begin(), tail.begin() + s.Rand(0, int(tail.size())));
    WriteAll(s.fd, all.data(), all.size());
}

void Crowd(int index, unsigned seed) {
    // The crowd yields to the server and to the well-behaved client: the
    // round trips must measure the server, not 200 load threads of this
    // process competing with the one that times them.
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
    std::mt19937 rng(seed);
    while (!g_stop) {
        int fd = Open();
        if (fd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        int kind = int(rng() % 100);
        kind = kind < 55 ? 0 : kind < 70 ? 1 : kind < 85 ? 2 : 3;
        ++g_sessions[kind];
        Bytes sysinfo;
        // Some abrupt clients go before even reading SysInfo.
        bool readInfo = kind != 3 || rng() % 2;
        if (readInfo && ReadMessage(fd, sysinfo) != 1) {
            close(fd);
            continue;
        }
        Session s{fd, readInfo ? IdBase(sysinfo) : 0, rng};
        switch (kind) {
        case 0: Drawing(s, index); break;
        case 1: Malformed(s); break;
        case 2: Stall(s); break;
        default: Abrupt(s); break;
        }
        close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(s.Rand(0, 50)));
    }
}

struct Watch {
    long trips = 0, failures = 0, over100 = 0;
    double worstMs = 0, worstAfterWarmMs = 0, totalMs = 0;
};

void WellBehaved(Watch* w, std::atomic<bool>* warm) {
    int fd = Open();
    Bytes sysinfo;
    if (fd < 0 || ReadMessage(fd, sysinfo) != 1) {
        w->failures = -1;
        return;
    }
    uint32_t base = IdBase(sysinfo);
    Bytes reg = Name("soakcheck");
    reg.resize(40, 0);
    for (const Bytes& r : {Request(121, {}, reg), Request(1, {base + 1, 0, 0, 700, 600, 100, 255, 0}),
                           Request(16, {base + 1, 1}), Request(5, {base + 1, 0})})
        WriteAll(fd, r.data(), r.size());
    Bytes q = Query("soakcheck");
    while (!g_stop) {
        auto t0 = Clock::now();
        long cpu0 = ServerCpuMs();
        uint32_t found = 0;
        if (!WriteAll(fd, q.data(), q.size()) || !AwaitReply(fd, &found)) {
            ++w->failures;
            break;
        }
        double ms = Seconds(t0, Clock::now()) * 1000;
        if (found != 1) ++w->failures;
        ++w->trips;
        w->totalMs += ms;
        w->worstMs = std::max(w->worstMs, ms);
        if (*warm) w->worstAfterWarmMs = std::max(w->worstAfterWarmMs, ms);
        if (ms >= 100 && ++w->over100 <= 20) {
            // How much of the wait the server spent running tells a busy
            // server from one that waited for a processor.
            printf("  slow round trip at %.1f s: %.1f ms, server CPU meanwhile %ld ms\n", Seconds(g_start, t0), ms,
                   ServerCpuMs() - cpu0);
            fflush(stdout);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Bytes bye = Request(255, {0});
    WriteAll(fd, bye.data(), bye.size());
    close(fd);
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

int main(int argc, char** argv) {
    int seconds = 300, clients = 200;
    std::string server = WINSERVER_PATH;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--seconds")
            seconds = atoi(argv[i + 1]);
        else if (a == "--clients")
            clients = atoi(argv[i + 1]);
        else if (a == "--server")
            server = argv[i + 1];
    }
    signal(SIGPIPE, SIG_IGN);
    g_root = MakeRoot("soak", {"/mnt/us/velmora", "/mnt/us/velmora/res"});
    if (FILE* f = fopen((g_root + "/mnt/us/velmora/res/xftfont.lst").c_str(), "w")) {
        fputs("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\n/usr/share/fonts/truetype/wqy/wqy-microhei.ttc\n", f);
        fclose(f);
    }
    pid_t pid = Start(server);
    g_server = pid;
    int probe = Open();
    if (probe < 0) {
        fprintf(stderr, "soak: the server did not start (%s)\n", server.c_str());
        return 1;
    }
    close(probe);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    long rssStart = ResidentKb(pid);
    int fdStart = OpenDescriptors(pid);
    printf("soak: %d clients for %d s against %s (root %s)\n", clients, seconds, server.c_str(), g_root.c_str());
    fflush(stdout);

    Watch watch;
    std::atomic<bool> warm{false};
    g_start = Clock::now();
    std::thread checker(WellBehaved, &watch, &warm);
    std::vector<std::thread> crowd;
    for (int i = 0; i < clients; ++i)
        crowd.emplace_back(Crowd, i, 1000u + unsigned(i));

    auto t0 = g_start;
    const double warmUp = std::min(60.0, seconds / 5.0);
    long rssWarm = -1;
    int fdWarm = -1;
    int nextSample = 60;
    while (Seconds(t0, Clock::now()) < seconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            fprintf(stderr, "soak: THE SERVER DIED\n");
            g_stop = true;
            break;
        }
        if (!warm && Seconds(t0, Clock::now()) >= warmUp) {
            warm = true;
            rssWarm = ResidentKb(pid);
            fdWarm = OpenDescriptors(pid);
        }
        // A sample a minute shows whether memory keeps growing or levels off.
        if (Seconds(t0, Clock::now()) >= double(nextSample)) {
            printf("  %4d s: server memory %ld kB, descriptors %d, requests executed %ld\n", nextSample,
                   ResidentKb(pid), OpenDescriptors(pid), g_executed.load());
            fflush(stdout);
            nextSample += 60;
        }
    }
    g_stop = true;
    for (std::thread& t : crowd)
        t.join();
    checker.join();
    // Let the server notice the last hang-ups.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    long rssEnd = ResidentKb(pid);
    int fdEnd = OpenDescriptors(pid);
    bool alive = kill(pid, 0) == 0;
    if (alive) StopServer(pid, SIGTERM);

    std::string out = Slurp(g_root + "/server.out"), err = Slurp(g_root + "/server.err");
    long torn = 0;
    for (size_t p = 0; (p = out.find("client num:", p)) != std::string::npos; ++p)
        ++torn;
    bool sanitizer = err.find("ERROR: AddressSanitizer") != std::string::npos ||
                     err.find("ERROR: LeakSanitizer") != std::string::npos ||
                     err.find("runtime error:") != std::string::npos;

    printf("sessions: drawing %ld, malformed %ld (closed by the server %ld), stall %ld, abrupt %ld\n",
           g_sessions[0].load(), g_sessions[1].load(), g_serverClosed.load(), g_sessions[2].load(),
           g_sessions[3].load());
    printf("requests executed (confirmed by a reply): %ld\n", g_executed.load());
    printf("connections torn down by the server: %ld\n", torn);
    printf("well-behaved client: %ld round trips, %ld failed, mean %.2f ms, worst %.2f ms (after warm-up %.2f ms), "
           "%ld at 100 ms or more\n",
           watch.trips, watch.failures, watch.trips ? watch.totalMs / double(watch.trips) : 0.0, watch.worstMs,
           watch.worstAfterWarmMs, watch.over100);
    printf("server memory: start %ld kB, after warm-up %ld kB, end %ld kB (growth after warm-up %.1f%%)\n", rssStart,
           rssWarm, rssEnd, rssWarm > 0 ? 100.0 * double(rssEnd - rssWarm) / double(rssWarm) : 0.0);
    printf("server descriptors: start %d, after warm-up %d, end %d\n", fdStart, fdWarm, fdEnd);
    printf("server %s; sanitizer report: %s\n", alive ? "alive until stopped" : "DIED", sanitizer ? "YES" : "none");
    if (sanitizer) printf("---- server stderr ----\n%s\n", err.substr(0, 20000).c_str());
    bool ok = alive && !sanitizer && fdEnd == fdStart && watch.failures == 0 && watch.worstAfterWarmMs < 100 &&
              (rssWarm <= 0 || rssEnd - rssWarm < rssWarm / 10);
    printf("soak: %s\n", ok ? "PASS" : "FAIL");
    if (ok)
        RemoveRoot(g_root);
    else
        printf("server output kept in %s\n", g_root.c_str());
    return ok ? 0 : 1;
}
