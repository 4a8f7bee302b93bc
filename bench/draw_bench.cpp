// Drawing throughput of winserver through its socket beside the same
// operations on Xvfb (600 x 800, depth 8) measured by x11perf in the same
// run, and beside what a bare Unix socket between two processes carries:
// for small requests the rate of messages of their size, one write each (the
// floor that one write per request sets), for images the same writes; and
// plain 28-byte messages at the end.
//
//   draw_bench [seconds per measurement] [name filter]   (default 0.3, all)
//
// Each operation is measured three ways: every request written with its own
// write(), as libgui does unbuffered (image rows gathered into large writes,
// as NC_UpdatePixmap does); sent by a second client through libgui's own
// writers with its output buffer on; and pipelined, many requests to a
// write, as Xlib sends x11perf's. A QueryProgram, which the server answers, closes each
// timed batch.
//
// Xvfb runs beside winserver for the whole run, and each operation is
// measured in rounds, winserver, x11perf and the socket one after the other;
// every column is the best of its rounds. This machine's speed drifts by up
// to half within minutes, so figures taken minutes apart would compare the
// drift rather than the servers.
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "core/handlers.h"
#include "egui.h"
#include "libgui_client.h"
#include "protocol/protocol.h"
#include "render/apollo.h"
#include "window/sswindow.h"

namespace {

using namespace bench;

// One benchmarked operation: the messages that make one operation (one
// request, or the rows of one image), and x11perf's test for it.
struct Op {
    const char* name;
    const char* x11perf;
    std::vector<Bytes> messages;
    std::function<void()> viaLibgui; // the same operation through libgui's writers
};

// The messages of one operation as they are written: one write each, except
// that consecutive image rows are gathered as NC_UpdatePixmap gathers them,
// up to proto::kRowsPerWrite rows and proto::kBytesPerWrite bytes a write.
std::vector<Bytes> Writes(const Op& op) {
    std::vector<Bytes> writes;
    size_t rowsInLast = 0;
    for (const Bytes& m : op.messages) {
        bool row = m.size() > 4 && m[0] == 12;
        if (row && !writes.empty() && writes.back()[0] == 12 && rowsInLast < size_t(proto::kRowsPerWrite) &&
            (long long)(writes.back().size() + m.size()) <= proto::kBytesPerWrite) {
            writes.back().insert(writes.back().end(), m.begin(), m.end());
            ++rowsInLast;
        } else {
            writes.push_back(m);
            rowsInLast = 1;
        }
    }
    return writes;
}

// Operations per second over at least `seconds`, batches doubled until long
// enough. Pipelined, as many whole operations as fit in 64 KiB go out in one
// write, as Xlib buffers x11perf's requests; otherwise as libgui writes them.
// As many whole operations as fit in 64 KiB (at least one) in one write;
// `perWrite` tells how many.
std::vector<Bytes> PipelinedWrites(const Op& op, long* perWrite) {
    size_t bytes = 0;
    for (const Bytes& m : op.messages)
        bytes += m.size();
    *perWrite = std::max<long>(1, long((64 * 1024) / bytes));
    Bytes block;
    for (long k = 0; k < *perWrite; ++k)
        for (const Bytes& m : op.messages)
            block.insert(block.end(), m.begin(), m.end());
    return {block};
}

double ServerRate(int fd, const Op& op, double seconds, bool pipelined) {
    long perWrite = 1;
    std::vector<Bytes> writes = pipelined ? PipelinedWrites(op, &perWrite) : Writes(op);
    auto batch = [&](long n) {
        for (long i = 0; i < n; ++i)
            for (const Bytes& w : writes)
                if (!WriteAll(fd, w.data(), w.size())) return false;
        return Sync(fd);
    };
    return double(perWrite) * DoublingRate(batch, seconds, 20, 50, (1l << 26) / perWrite);
}

// Operations per second sent through libgui's own writers with its output
// buffer on, as a program sends them; `op` sends one operation.
double LibguiRate(const std::function<void()>& op, double seconds) {
    auto batch = [&](long n) {
        for (long i = 0; i < n; ++i)
            op();
        return LibguiSync();
    };
    return DoublingRate(batch, seconds, 20, 50, 1l << 26);
}

// A request small enough that the socket, not the server, may set its pace.
bool Small(const Op& op) { return op.messages.size() == 1 && op.messages[0].size() <= 44; }

// x11perf's rate (operations per second) for `test` on `display`, or 0.
double XvfbRate(int display, const char* test) {
    double rate = 0;
    for (const std::string& line : X11perfLines(display, std::string("-repeat 1 -time 1 -") + test)) {
        const char* open = strchr(line.c_str(), '(');
        if (line.find("reps @") != std::string::npos && open) rate = std::max(rate, atof(open + 1));
    }
    return rate;
}

// A message followed by the zero tail that the server guarantees handlers.
Bytes WithZeroTail(Bytes m) {
    m.resize(m.size() + 256, 0);
    return m;
}

// The same operation executed by the request handlers in this process, with
// no socket and no main loop: what the drawing itself costs.
double InProcessRate(const Op& op, double seconds) {
    std::vector<Bytes> msgs = op.messages;
    for (Bytes& m : msgs)
        m = WithZeroTail(m);
    auto batch = [&](long n) {
        for (long i = 0; i < n; ++i)
            for (size_t k = 0; k < msgs.size(); ++k)
                SS_Dispatch(nullptr, msgs[k].data(), uint32_t(op.messages[k].size()));
        return true;
    };
    return DoublingRate(batch, seconds, 20, 50, 1l << 26);
}

} // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 0.3;
    if (seconds < 0.05) seconds = 0.05;
    const char* filter = argc > 2 ? argv[2] : "";
    signal(SIGPIPE, SIG_IGN);

    std::string root = MakeRoot("drawbench");
    if (root.empty()) return 1;
    pid_t server = StartServer(root);
    Bytes sysinfo;
    int fd = ConnectAndReadSysInfo(root, server, sysinfo);
    if (fd < 0) return 1;
    uint32_t base = IdBase(sysinfo);
    const uint32_t win = base + 1, pix = base + 2, src = base + 3, dst = base + 4;
    // A mapped full-screen window and three full-screen pixmaps, the source
    // filled: the same set-up through the socket and in process.
    const std::vector<Bytes> setup = {Request(1, {win, 0, 0, 0, 600, 800, 255, 1}),
                                      Request(5, {win, 0}),
                                      Request(10, {pix, 600, 800, 8}),
                                      Request(10, {src, 600, 800, 8}),
                                      Request(10, {dst, 600, 800, 8}),
                                      Request(20, {src, 0, 0, 600, 800, 200})};
    for (const Bytes& m : setup)
        WriteAll(fd, m.data(), m.size());
    Sync(fd);
    // A second client, through libgui, draws on the same window and pixmaps.
    setenv("EINK_ROOT", root.c_str(), 1);
    const bool libgui = OpenConnection() >= 0;
    if (!libgui) fprintf(stderr, "libgui cannot connect: no batched column\n");

    auto rect = [&](uint32_t s) { return std::vector<Bytes>{Request(20, {pix, 40, 40, s, s, 17})}; };
    auto p2w = [&](uint32_t s) { return std::vector<Bytes>{Request(13, {src, win, 0, 20, 20, s, s, 40, 40, 0})}; };
    auto p2p = [&](uint32_t s) { return std::vector<Bytes>{Request(14, {src, dst, 0, 20, 20, s, s, 40, 40})}; };
    auto lrect = [&](int s) { return [=] { NC_FillRect(pix, 40, 40, s, s, 17); }; };
    auto lp2w = [&](int s) { return [=] { NC_CopyAreaP2W(src, win, 0, 20, 20, s, s, 40, 40); }; };
    auto lp2p = [&](int s) { return [=] { NC_CopyAreaP2P(src, dst, 0, 20, 20, s, s, 40, 40); }; };
    auto lupload = [&](int s) {
        auto pixels = std::make_shared<Bytes>(size_t(s) * size_t(s), 99);
        return [=] { NC_UpdatePixmap(pix, pixels->data(), 0, 0, s, s, 8); };
    };
    const _GL_Color blackColor{0, 0, 0, 0, 3};
    auto upload = [&](uint32_t s) {
        std::vector<Bytes> rows;
        Bytes pixels(s, 99);
        for (uint32_t r = 0; r < s; ++r)
            rows.push_back(Request(12, {pix, 0, r, s, 1, 8}, pixels));
        return rows;
    };
    const uint32_t black = 0; // colour record: r g b a, then the pixel word
    std::vector<Op> ops = {
        {"FillRect 10x10", "rect10", rect(10), lrect(10)},
        {"FillRect 100x100", "rect100", rect(100), lrect(100)},
        {"FillRect 500x500", "rect500", rect(500), lrect(500)},
        {"DrawLine 100 px",
         "line100",
         {Request(42, {pix, 100, 100, 200, 137, 3})},
         [&] { NC_DrawLine(pix, 100, 100, 200, 137, 3); }},
        {"DrawCircle 100 px",
         "circle100",
         {Request(75, {pix, 300, 400, 50, black, 3})},
         [&] { NC_DrawCircle(pix, 300, 400, 50, blackColor); }},
        {"FillCircle 100 px",
         "fcircle100",
         {Request(76, {pix, 300, 400, 50, black, 3})},
         [&] { NC_FillCircle(pix, 300, 400, 50, blackColor); }},
        {"CopyAreaP2W 10x10", "copypixwin10", p2w(10), lp2w(10)},
        {"CopyAreaP2W 100x100", "copypixwin100", p2w(100), lp2w(100)},
        {"CopyAreaP2W 500x500", "copypixwin500", p2w(500), lp2w(500)},
        {"CopyAreaP2P 100x100", "copypixpix100", p2p(100), lp2p(100)},
        {"CopyAreaP2P 500x500", "copypixpix500", p2p(500), lp2p(500)},
        {"UpdatePixmap 100x100 (rows)", "putimage100", upload(100), lupload(100)},
        {"UpdatePixmap 500x500 (rows)", "putimage500", upload(500), lupload(500)},
        {"SwitchDisplayMode (no-op)", "noop", {Request(131, {0})}, [] { NC_SwitchDisplayMode(0); }},
    };
    // Profiling one operation is easier without the others.
    ops.erase(std::remove_if(ops.begin(), ops.end(), [&](const Op& op) { return !strstr(op.name, filter); }),
              ops.end());
    int display = -1;
    pid_t xvfb = -1;
    if (HaveXTools()) xvfb = StartXvfb(140 + int(getpid() % 50), &display);
    // Best of the rounds for each column; the socket is measured for small
    // requests and for images, where it may set the pace.
    constexpr int kRounds = 3;
    std::vector<double> ours(ops.size()), piped(ops.size()), xvfbRate(ops.size()), socket(ops.size()),
        batched(ops.size()), batchedSocket(ops.size());
    for (size_t i = 0; i < ops.size(); ++i) {
        const bool transport = Small(ops[i]) || ops[i].messages.size() > 1;
        for (int round = 0; round < kRounds; ++round) {
            ours[i] = std::max(ours[i], ServerRate(fd, ops[i], seconds, false));
            piped[i] = std::max(piped[i], ServerRate(fd, ops[i], seconds, true));
            if (xvfb > 0) xvfbRate[i] = std::max(xvfbRate[i], XvfbRate(display, ops[i].x11perf));
            if (libgui) batched[i] = std::max(batched[i], LibguiRate(ops[i].viaLibgui, seconds));
            if (transport) socket[i] = std::max(socket[i], SocketRate(Writes(ops[i]), seconds));
            if (Small(ops[i])) {
                long perWrite = 1;
                std::vector<Bytes> block = PipelinedWrites(ops[i], &perWrite);
                batchedSocket[i] = std::max(batchedSocket[i], double(perWrite) * SocketRate(block, seconds));
            }
        }
    }
    if (xvfb > 0) StopServer(xvfb, SIGTERM);
    if (libgui) CloseConnection();
    close(fd);
    StopServer(server, SIGTERM);

    // The same requests in this process, on a screen image of its own.
    static uint8_t screen[600 * 800], front[600 * 800];
    static SSScreen fake{600, 800, 8, screen, front, false};
    g_screen = &fake;
    SS_InitWindows();
    for (const Bytes& m : setup)
        SS_Dispatch(nullptr, WithZeroTail(m).data(), uint32_t(m.size()));
    std::vector<double> local(ops.size());
    for (size_t i = 0; i < ops.size(); ++i)
        for (int round = 0; round < kRounds; ++round)
            local[i] = std::max(local[i], InProcessRate(ops[i], seconds / 2));

    double floor28 = 0;
    for (int round = 0; round < kRounds; ++round)
        floor28 = std::max(floor28, SocketFloor(28, seconds));

    // Ratios are against Xvfb: this server with one write per request
    // (libgui unbuffered), through libgui with its buffer, the raw requests
    // pipelined, and the request handlers alone.
    printf("\n%-30s %12s %5s %12s %5s %12s %5s %12s %12s %5s\n", "operation", "unbuffered", "ratio", "libgui batch",
           "ratio", "pipelined", "ratio", "Xvfb x11perf", "handler", "ratio");
    for (size_t i = 0; i < ops.size(); ++i) {
        double r = xvfbRate[i] > 0 ? xvfbRate[i] : NAN;
        printf("%-30s %10.0f/s %5.2f %10.0f/s %5.2f %10.0f/s %5.2f %10.0f/s %10.0f/s %5.2f  (-%s)\n", ops[i].name,
               ours[i], ours[i] / r, batched[i], batched[i] / r, piped[i], piped[i] / r, xvfbRate[i], local[i],
               local[i] / r, ops[i].x11perf);
    }
    printf("\n%-36s %12.0f/s\n", "socket floor, 28-byte messages", floor28);
    for (size_t i = 0; i < ops.size(); ++i)
        if (batchedSocket[i] > 0 && batched[i] > 0)
            printf("%-36s libgui batched: %3.0f%% of the raw requests pipelined, %3.0f%% of a bare socket carrying "
                   "them in 64 KiB writes (%.0f/s)\n",
                   ops[i].name, 100.0 * batched[i] / piped[i], 100.0 * batched[i] / batchedSocket[i], batchedSocket[i]);
    for (size_t i = 0; i < ops.size(); ++i) {
        if (socket[i] <= 0) continue;
        if (Small(ops[i]))
            printf("%-36s %5.0f%% of the floor beside it (%zu-byte messages, %.0f/s)\n", ops[i].name,
                   100.0 * ours[i] / socket[i], ops[i].messages[0].size(), socket[i]);
        else
            printf("%-36s %5.0f%% of the socket alone with its writes (%.0f/s)\n", ops[i].name,
                   100.0 * ours[i] / socket[i], socket[i]);
    }
    RemoveRoot(root);
    return 0;
}
