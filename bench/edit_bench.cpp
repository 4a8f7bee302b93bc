// Typing one character at the end of a 1,000-character GL_MEdit: the
// client's time from KeyIn to the last request written (requests are written
// as they are made, so that is when KeyIn returns), and the requests and
// bytes each keystroke sends. The server end is a socket pair drained after
// each keystroke; the metric tables are filled by hand (8 pixels a Latin
// character, a 16-pixel line) as a scalable font would fill them.
//
//   edit_bench [keystrokes]      (default 2000)
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "egui.h"

namespace {

using namespace bench;

void Put(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

void FakeFontTables() {
    unsigned char* d = gSysInfo + 80;
    memset(d, 0, 1088);
    Put(d + 4 * 1, 16);
    Put(d + 4 * 4, 16);  // wide advance
    Put(d + 4 * 5, 13);  // ascent
    Put(d + 4 * 6, 3);   // descent
    Put(d + 4 * 10, 16); // line height
    for (int c = 0; c < 256; ++c)
        Put(d + 4 * (15 + c), 8);
    gSysInfo[92] = 1;
}

struct Drained {
    long requests = 0, bytes = 0, copies = 0;
};

// Reads everything the client wrote and counts requests by their headers.
void Drain(int fd, std::vector<uint8_t>& pending, Drained* d) {
    uint8_t buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        pending.insert(pending.end(), buf, buf + n);
    }
    size_t pos = 0;
    while (pending.size() - pos >= 4) {
        uint32_t len = pending[pos + 1] | pending[pos + 2] << 8 | uint32_t(pending[pos + 3]) << 16;
        if (len < 4 || pending.size() - pos < len) break;
        if (d) {
            d->requests++;
            d->bytes += len;
            if (pending[pos] == 13) d->copies++; // CopyAreaP2W: the pixmap shown in the window
        }
        pos += len;
    }
    pending.erase(pending.begin(), pending.begin() + long(pos));
}

} // namespace

int main(int argc, char** argv) {
    int keys = argc > 1 ? atoi(argv[1]) : 2000;
    if (keys < 1) keys = 1;
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return 1;
    fcntl(sv[1], F_SETFL, fcntl(sv[1], F_GETFL) | O_NONBLOCK);
    int big = 4 << 20;
    setsockopt(sv[0], SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
    connFd = sv[0];
    memset(gSysInfo, 0, 64);
    Put(gSysInfo + 32, 1u << 20);
    Put(gSysInfo + 40, 1);
    iDepth = 8;
    InitColorS();
    FakeFontTables();
    InitFont();

    std::string text;
    for (int i = 0; text.size() < 1000; ++i)
        text += i % 6 == 5 ? ' ' : char('a' + i % 26);
    text.resize(1000);
    GL_MEdit edit(nullptr, "bench", text.c_str(), 0, 0, 400, 300, 0);
    edit.ShowWindow();
    std::vector<uint8_t> pending;
    Drain(sv[1], pending, nullptr);

    std::vector<double> times;
    Drained typed;
    char x[] = "x";
    for (int i = 0; i < keys; ++i) {
        auto t0 = Clock::now();
        edit.KeyIn(x, 1, 0, 0, 0, 0);
        times.push_back(Seconds(t0, Clock::now()));
        Drain(sv[1], pending, &typed);
        edit.KeyIn(nullptr, 0, 0, 0xFF08, 0, 0); // back to 1,000 characters
        Drain(sv[1], pending, nullptr);
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    printf("GL_MEdit, 1,000 characters, one character typed at the end (%d keystrokes):\n", keys);
    printf("  KeyIn to last request: median %.1f us, mean %.1f us, 95th percentile %.1f us\n",
           times[times.size() / 2] * 1e6, sum / keys * 1e6, times[times.size() * 95 / 100] * 1e6);
    printf("  per keystroke: %.1f requests, %.0f bytes, %.2f pixmap copies to the window\n",
           double(typed.requests) / keys, double(typed.bytes) / keys, double(typed.copies) / keys);
    connFd = -1;
    close(sv[0]);
    close(sv[1]);
    return 0;
}
