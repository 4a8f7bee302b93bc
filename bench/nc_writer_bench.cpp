// Cost of libgui's request writers, whose layouts come from the request
// table through a template packer, beside hand-written equivalents.
//
//   nc_writer_bench [seconds per measurement]     (default 0.5)
//
// 1. Packing alone (no system call): the packer filling FillRect (6 words)
//    and FillRectWGradient (6 words, 4 colour records, 2 bytes) into
//    gReqBuffer, against code that stores the same fields one by one.
// 2. Whole requests to the real winserver on an emulated root: NC_FillRect
//    through a libgui connection (egui_init, one write per request, a program
//    query closing each batch) against precomputed bytes written the same way.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "egui.h"
#include "runtime/nc_pack.h"

namespace {

using bench::Clock;
using bench::Seconds;

// Calls per second of `op` over at least `seconds`, in doubling batches.
double Rate(const std::function<void(long)>& op, double seconds) {
    return bench::DoublingRate(
        [&](long n) {
            op(n);
            return true;
        },
        seconds, 100, 1000, 1l << 30);
}

volatile uint32_t gSink;

void HandFillRect(uint32_t id, int x, int y, int w, int h, uint32_t pixel) {
    std::memset(gReqBuffer, 0, 28);
    proto::PutU32(gReqBuffer, proto::PackHeader(20, 28));
    proto::PutU32(gReqBuffer + 4, id);
    proto::PutU32(gReqBuffer + 8, uint32_t(x));
    proto::PutU32(gReqBuffer + 12, uint32_t(y));
    proto::PutU32(gReqBuffer + 16, uint32_t(w));
    proto::PutU32(gReqBuffer + 20, uint32_t(h));
    proto::PutU32(gReqBuffer + 24, pixel);
}

void HandColor(uint8_t* p, const _GL_Color& c) {
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = c.a;
    proto::PutU32(p + 4, c.pixel);
}

void HandGradient(uint32_t id, int x, int y, int w, int h, int t, const _GL_Color& c1, const _GL_Color& c2,
                  const _GL_Color& c3, const _GL_Color& c4, uint8_t d, uint8_t m) {
    std::memset(gReqBuffer, 0, 64);
    proto::PutU32(gReqBuffer, proto::PackHeader(66, 64));
    proto::PutU32(gReqBuffer + 4, id);
    proto::PutU32(gReqBuffer + 8, uint32_t(x));
    proto::PutU32(gReqBuffer + 12, uint32_t(y));
    proto::PutU32(gReqBuffer + 16, uint32_t(w));
    proto::PutU32(gReqBuffer + 20, uint32_t(h));
    proto::PutU32(gReqBuffer + 24, uint32_t(t));
    HandColor(gReqBuffer + 28, c1);
    HandColor(gReqBuffer + 36, c2);
    HandColor(gReqBuffer + 44, c3);
    HandColor(gReqBuffer + 52, c4);
    gReqBuffer[60] = d;
    gReqBuffer[61] = m;
}

void PackingAlone(double seconds) {
    const _GL_Color c{1, 2, 3, 4, 0x80};
    double packed = Rate(
        [](long n) {
            for (long i = 0; i < n; ++i) {
                uint32_t end = nc::Pack<proto::OP_FillRect>(0x100001ul, int(i), 2, 3, 4, 0x80ul);
                proto::PutU32(gReqBuffer, proto::PackHeader(20, end));
                gSink = gReqBuffer[8];
            }
        },
        seconds);
    double hand = Rate(
        [](long n) {
            for (long i = 0; i < n; ++i) {
                HandFillRect(0x100001, int(i), 2, 3, 4, 0x80);
                gSink = gReqBuffer[8];
            }
        },
        seconds);
    printf("FillRect packing:          packer %12.0f/s   by hand %12.0f/s   ratio %.2f\n", packed, hand, packed / hand);

    packed = Rate(
        [&](long n) {
            for (long i = 0; i < n; ++i) {
                uint32_t end = nc::Pack<proto::OP_FillRectWGradient>(0x100001ul, int(i), 2, 3, 4, 5, c, c, c, c,
                                                                     (unsigned char)1, (unsigned char)0);
                proto::PutU32(gReqBuffer, proto::PackHeader(66, end));
                gSink = gReqBuffer[8];
            }
        },
        seconds);
    hand = Rate(
        [&](long n) {
            for (long i = 0; i < n; ++i) {
                HandGradient(0x100001, int(i), 2, 3, 4, 5, c, c, c, c, 1, 0);
                gSink = gReqBuffer[8];
            }
        },
        seconds);
    printf("FillRectWGradient packing: packer %12.0f/s   by hand %12.0f/s   ratio %.2f\n", packed, hand, packed / hand);
}

// Each batch ends with a program query, which the server answers after
// executing everything written before it.
void ThroughTheServer(double seconds) {
    std::string root = bench::MakeRoot("ncbench");
    if (root.empty()) return;
    pid_t server = bench::StartServer(root);
    setenv("EINK_ROOT", root.c_str(), 1);
    std::string sock = root + "/tmp/.commfile";
    for (int i = 0; i < 200 && access(sock.c_str(), F_OK) != 0; ++i)
        usleep(20000);
    usleep(100000);

    // The library's connection; its start-up chatter goes to /dev/null.
    fflush(stdout);
    int out = dup(1);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    char name[] = "nc_writer_bench";
    char* argv[] = {name, nullptr};
    int ok = egui_init(1, argv);
    fflush(stdout);
    dup2(out, 1);
    if (!ok) {
        printf("winserver did not come up\n");
        bench::StopServer(server, SIGKILL);
        return;
    }
    unsigned long pixmap = GetProgramIdBase();
    NC_CreatePixmap(pixmap, 200, 200, 8);

    double library = Rate(
        [&](long n) {
            for (long i = 0; i < n; ++i)
                NC_FillRect(pixmap, int(i % 100), 10, 50, 50, 0x40);
            NC_QueryProgram("nc_writer_bench");
        },
        seconds);
    std::vector<std::vector<uint8_t>> pre(100);
    for (int i = 0; i < 100; ++i) {
        HandFillRect(uint32_t(pixmap), i, 10, 50, 50, 0x40);
        pre[size_t(i)].assign(gReqBuffer, gReqBuffer + 28);
    }
    double raw = Rate(
        [&](long n) {
            for (long i = 0; i < n; ++i)
                NetWrite(connFd, pre[size_t(i % 100)].data(), 28);
            NC_QueryProgram("nc_writer_bench");
        },
        seconds);
    printf("FillRect to winserver:     libgui %12.0f/s   raw bytes %10.0f/s   ratio %.2f\n", library, raw,
           library / raw);

    NC_RequestClose();
    CloseConnection();
    bench::StopServer(server, SIGKILL);
    signal(SIGCHLD, SIG_DFL); // egui_init ignores it, which system() cannot live with
    bench::RemoveRoot(root);
}

} // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 0.5;
    if (seconds <= 0) seconds = 0.5;
    PackingAlone(seconds);
    ThroughTheServer(seconds);
    return 0;
}
