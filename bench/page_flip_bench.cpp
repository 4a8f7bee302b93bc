// Turning the page of a 10-item navigation window with icons (two text
// columns per item) by key, against a real winserver: from the key event in
// the client's hands (dispatched as egui_loop would) to the server having
// executed the last request the flip caused, including the redraws of the
// newly shown items that the server's exposure events ask for. A flip is
// complete when a QueryProgram written after everything is answered and no
// event needing an answer came before it.
//
// Measured one write per request (GL_SetBuffered(0)) and batched. Requests
// and bytes per flip are counted by a relay between client and server in a
// separate pass (the queries of the measurement left out), so the timing
// runs over the bare socket.
//
//   page_flip_bench [flips]      (default 400)
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "egui.h"
#include "libgui_client.h"
#include "protocol/protocol.h"

namespace {

using namespace bench;

constexpr int kPerPage = 10, kItems = 20;

// Dispatches every event until the answer to a query written after
// everything else; true when some event was dispatched (it may have caused
// more requests, so the caller syncs again).
bool SyncOnce(bool* failed) {
    Bytes q = Request(124, std::vector<uint32_t>(9, 0));
    if (NetWrite(connFd, q.data(), int(q.size())) != int(q.size())) {
        *failed = true;
        return false;
    }
    bool dispatched = false;
    for (;;) {
        GS_GeneralEvent_st* ev = GotEvent();
        if (!ev) {
            *failed = true;
            return false;
        }
        if (GL_EventType(ev) == 124) return dispatched;
        Handle_Event(ev);
        dispatched = true;
    }
}

// Until the server has run everything and nothing more is asked of the client.
bool Settle() {
    bool failed = false;
    while (SyncOnce(&failed)) {
    }
    return !failed;
}

// Forwards bytes both ways between the client's end of a socket pair and the
// server's socket, counting the client's requests and bytes.
class Relay {
public:
    Relay(int client, int server) : client_(client), server_(server), thread_([this] { Run(); }) {}
    ~Relay() {
        stop_ = true;
        thread_.join();
    }
    void Reset() { requests = bytes = 0; }
    std::atomic<long> requests{0}, bytes{0};

private:
    void Run() {
        Bytes pending;
        uint8_t buf[65536];
        while (!stop_) {
            pollfd p[2] = {{client_, POLLIN, 0}, {server_, POLLIN, 0}};
            if (poll(p, 2, 5) <= 0) continue;
            if (p[0].revents & POLLIN) {
                ssize_t n = read(client_, buf, sizeof buf);
                if (n <= 0) return;
                WriteAll(server_, buf, size_t(n));
                pending.insert(pending.end(), buf, buf + n);
                size_t pos = 0;
                while (pending.size() - pos >= 4) {
                    uint32_t len = Get32(pending, pos) >> 8;
                    if (len < 4 || pending.size() - pos < len) break;
                    // The measurement's own queries are not the flip's.
                    if (pending[pos] != 124) {
                        ++requests;
                        bytes += len;
                    }
                    pos += len;
                }
                pending.erase(pending.begin(), pending.begin() + long(pos));
            }
            if (p[1].revents & POLLIN) {
                ssize_t n = read(server_, buf, sizeof buf);
                if (n <= 0) return;
                WriteAll(client_, buf, size_t(n));
            }
        }
    }
    int client_, server_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// One flip: 0x15 from the last item of page 0, or 0x14 from the first of page 1.
bool Flip(GL_NavigateWindow* nav) {
    unsigned const code = nav->GetCurrentPage() == 0 ? 0x15 : 0x14;
    alignas(8) uint8_t event[64];
    proto::BuildKeyIn(event, uint32_t(nav->GetWindowId()), code, code, 0, 1, nullptr);
    int const page = nav->GetCurrentPage();
    Handle_Event(reinterpret_cast<GS_GeneralEvent_st*>(event));
    return Settle() && nav->GetCurrentPage() != page;
}

struct Figures {
    double median, p90, min;
};

Figures Time(GL_NavigateWindow* nav, int flips, bool* ok) {
    std::vector<double> ms;
    for (int i = 0; i < flips && *ok; ++i) {
        auto t0 = Clock::now();
        *ok = Flip(nav);
        ms.push_back(Seconds(t0, Clock::now()) * 1000);
    }
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) return {0, 0, 0};
    return {ms[ms.size() / 2], ms[size_t(0.9 * double(ms.size() - 1))], ms[0]};
}

} // namespace

int main(int argc, char** argv) {
    int flips = argc > 1 ? atoi(argv[1]) : 400;
    if (flips < 2) flips = 2;
    signal(SIGPIPE, SIG_IGN);
    std::string root;
    pid_t server = StartServerForLibgui("pageflip", &root);
    if (server < 0) return 1;

    auto* main = new GL_Window(nullptr, "main", 0, 0, 600, 800, iWhiteS, 0);
    auto* nav = new GL_NavigateWindow(main, "Library", kPerPage);
    nav->MoveResizeWindow(0, 0, 600, 800, 0);
    for (int i = 0; i < kItems; ++i) {
        char title[32];
        snprintf(title, sizeof title, "Book %d", i + 1);
        nav->AppendItem(
            new GL_NavigateItem(nav, 2, "/Kora/res/ebookmark.jpg", title, "Author", nullptr, nullptr, 0, 0, 10, 10, 0));
    }
    nav->SetCurrItemNum(kPerPage - 1);
    main->ShowWindow(0);
    nav->ShowWindow(0);
    bool ok = Settle();

    // Requests and bytes through the relay.
    long requests = 0, bytes = 0;
    int const counted = 20;
    {
        int sv[2];
        socketpair(AF_UNIX, SOCK_STREAM, 0, sv);
        int const direct = connFd;
        Relay relay(sv[1], direct);
        connFd = sv[0];
        GL_SetBuffered(1);
        for (int i = 0; i < 2 && ok; ++i)
            ok = Flip(nav);
        relay.Reset();
        for (int i = 0; i < counted && ok; ++i)
            ok = Flip(nav);
        requests = relay.requests, bytes = relay.bytes;
        connFd = direct;
        close(sv[0]);
        close(sv[1]);
    }
    GL_SetBuffered(0);
    Figures unbuffered = Time(nav, flips, &ok);
    GL_SetBuffered(1);
    Figures batched = Time(nav, flips, &ok);
    if (!ok) fprintf(stderr, "a flip failed\n");

    printf("page flip, %d items of %d per page, icon and two text columns (scalable fonts: %s)\n", kItems, kPerPage,
           gSysInfo[92] ? "yes" : "no");
    printf("per flip: %.1f requests, %.0f bytes\n", double(requests) / counted, double(bytes) / counted);
    printf("key event to last request executed, ms (%d flips each):\n", flips);
    printf("  one write per request: min %.2f  median %.2f  p90 %.2f\n", unbuffered.min, unbuffered.median,
           unbuffered.p90);
    printf("  batched:               min %.2f  median %.2f  p90 %.2f\n", batched.min, batched.median, batched.p90);
    printf("target: 5 ms -> %s\n", std::max(unbuffered.median, batched.median) < 5 ? "met" : "NOT met");

    delete main;
    StopServer(server, SIGTERM);
    RemoveRoot(root);
    return ok ? 0 : 1;
}
