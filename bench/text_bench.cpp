// Anti-aliased text throughput: 10-character TextOutSingle requests at 16 and
// 24 pixels through winserver's socket, one write each and through libgui's
// writers with the output buffer on, beside x11perf's -aa10text and
// -aa24text on Xvfb in the same run, and beside the rate at which plain
// messages of the same size cross a Unix socket one write each (the floor
// that one write per request sets).
//
//   text_bench [requests]      (default 200000 per size)
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "libgui_client.h"
#include "render/fonts.h"

namespace {

using namespace bench;

// The i-th string of every measurement: the text, where it goes and its grey.
constexpr char kText[] = "Quartz-jig";
struct Placement {
    int x, y;
    uint32_t pixel;
};
Placement Place(int i) { return {5 + (i * 37) % 400, 40 + (i * 53) % 700, uint32_t(i * 4 & 0xFF)}; }

// Glyphs per second of 10-letter TextOutSingle requests, one write each.
double ServerGlyphRate(int fd, uint32_t pixmap, int size, int requests, double* requestRate) {
    std::vector<std::vector<uint8_t>> msgs;
    for (int i = 0; i < 64; i++) {
        Placement p = Place(i);
        msgs.push_back(Request(119, {pixmap, 0, uint32_t(size), uint32_t(p.x), uint32_t(p.y), 10, p.pixel}, kText));
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

// The same requests sent by a libgui client through NC_TextOutSingle, with
// its output buffer on, as a program sends them.
double LibguiGlyphRate(uint32_t pixmap, int size, int requests) {
    auto send = [&](int i) {
        Placement p = Place(i);
        NC_TextOutSingle(pixmap, 0, size, p.x, p.y, kText, 10, p.pixel);
    };
    for (int i = 0; i < 200; i++)
        send(i);
    if (!LibguiSync()) return 0;
    auto t0 = Clock::now();
    for (int i = 0; i < requests; i++)
        send(i % 64);
    if (!LibguiSync()) return 0;
    return requests * 10.0 / Seconds(t0, Clock::now());
}

// x11perf's "trep" rate (characters per second) for each test, or 0.
void XvfbRates(double* aa10, double* aa24) {
    *aa10 = *aa24 = 0;
    if (!HaveXTools()) return;
    int display = 0;
    pid_t x = StartXvfb(90 + int(getpid() % 50), &display);
    for (const std::string& line : X11perfLines(display, "-repeat 3 -time 2 -aa10text -aa24text")) {
        const char* open = strchr(line.c_str(), '(');
        if (line.find("trep") == std::string::npos || !open) continue;
        double rate = atof(open + 1);
        if (line.find("Charter 10") != std::string::npos || line.find("10)") != std::string::npos) *aa10 = rate;
        if (line.find("Charter 24") != std::string::npos || line.find("24)") != std::string::npos) *aa24 = rate;
    }
    StopServer(x, SIGTERM);
}

// The drawing alone, in process: the cost of the font module per request,
// without the socket and the server loop.
double InProcessGlyphRate(int size, int requests) {
    SSFontFace* slot = nullptr;
    if (!FontsChooseFace(0, size, &slot)) return 0;
    std::vector<uint8_t> pixels(600 * 800, 255);
    SSTextTarget target{pixels.data(), 600, 800, 600};
    uint16_t text[10];
    std::copy(kText, kText + 10, text);
    auto t0 = Clock::now();
    int64_t sink = 0;
    for (int i = 0; i < requests; i++) {
        Placement p = Place(i);
        sink += DrawTextFace(target, slot, p.x, p.y, text, 10, p.pixel);
    }
    double s = Seconds(t0, Clock::now());
    if (sink == 42) printf(" ");
    return requests * 10.0 / s;
}

} // namespace

int main(int argc, char** argv) {
    int requests = argc > 1 ? atoi(argv[1]) : 200000;
    if (requests < 1000) requests = 1000;
    signal(SIGPIPE, SIG_IGN);

    std::string root = MakeRoot("textbench", {"/mnt/us/velmora", "/mnt/us/velmora/res"});
    if (root.empty()) return 1;
    if (FILE* f = fopen((root + "/mnt/us/velmora/res/xftfont.lst").c_str(), "w")) {
        fputs("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\n", f);
        fclose(f);
    }
    pid_t server = StartServer(root);
    Bytes sysinfo;
    int fd = ConnectAndReadSysInfo(root, server, sysinfo);
    if (fd < 0) return 1;
    uint32_t base = IdBase(sysinfo);
    if (sysinfo[92 - 4] != 1) printf("warning: the server reports no scalable fonts\n");
    uint32_t pixmap = base + 1;
    Bytes create = Request(10, {pixmap, 600, 800, 8});
    WriteAll(fd, create.data(), create.size());
    Sync(fd);

    double req16 = 0, req24 = 0;
    double g16 = ServerGlyphRate(fd, pixmap, 16, requests, &req16);
    double g24 = ServerGlyphRate(fd, pixmap, 24, requests, &req24);
    // A second client, through libgui, draws into the same pixmap.
    setenv("EINK_ROOT", root.c_str(), 1);
    double b16 = 0, b24 = 0;
    if (OpenConnection() >= 0) {
        b16 = LibguiGlyphRate(pixmap, 16, requests);
        b24 = LibguiGlyphRate(pixmap, 24, requests);
        CloseConnection();
    } else {
        fprintf(stderr, "libgui cannot connect: no batched column\n");
    }
    close(fd);
    StopServer(server, SIGTERM);
    double floor42 = SocketFloor(42, 1.0);
    // The same fonts in this process (its root is read once, now).
    InitFonts();
    double local16 = InProcessGlyphRate(16, requests);
    double local24 = InProcessGlyphRate(24, requests);
    FreeFonts();
    double aa10 = 0, aa24 = 0;
    XvfbRates(&aa10, &aa24);

    printf("\n%-36s %14s %6s %14s %6s %14s\n", "10-character TextOutSingle", "unbuffered", "ratio", "libgui batched",
           "ratio", "Xvfb x11perf");
    auto row = [](const char* name, double ours, double batched, double ref) {
        auto ratio = [&](double r) { return ref > 0 ? r / ref : 0.0; };
        printf("%-36s %12.0f/s %6.2f %12.0f/s %6.2f %12.0f/s\n", name, ours, ratio(ours), batched, ratio(batched), ref);
    };
    row("glyphs, 16 px (x11perf -aa10text)", g16, b16, aa10);
    row("glyphs, 24 px (x11perf -aa24text)", g24, b24, aa24);
    printf("\n%-44s %12.0f/s\n", "socket floor, 42-byte messages, one write", floor42);
    printf("%-44s %12.0f/s  %.0f%% of the floor\n", "requests, 16 px", req16, 100.0 * req16 / floor42);
    printf("%-44s %12.0f/s  %.0f%% of the floor\n", "requests, 24 px", req24, 100.0 * req24 / floor42);
    printf("\n%-44s %12.0f/s\n", "glyphs drawn in process, 16 px", local16);
    printf("%-44s %12.0f/s\n", "glyphs drawn in process, 24 px", local24);
    RemoveRoot(root);
    return 0;
}
