// Redrawing a screen of 40 mixed basic widgets (one UpdateWindow each)
// through libgui against a real winserver: the requests and bytes each
// widget's redraw sends, and the time from the first request written to the
// server having executed the last (a QueryProgram answered after the last
// copy), beside the bare round trip of that query.
//
//   widgets_bench [rounds]      (default 300)
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "egui.h"
#include "libgui_client.h"

namespace {

using namespace bench;

// Requests and bytes of one redraw, read from a socket pair put in place of
// the connection.
void CountRedraw(GL_Window* w, int* requests, int* bytes) {
    int sv[2];
    socketpair(AF_UNIX, SOCK_STREAM, 0, sv);
    int saved = connFd;
    connFd = sv[0];
    w->UpdateWindow(nullptr);
    GL_Flush(); // what the redraw buffered belongs to the pair
    connFd = saved;
    close(sv[0]);
    Bytes all;
    uint8_t buf[65536];
    ssize_t n;
    while ((n = read(sv[1], buf, sizeof buf)) > 0)
        all.insert(all.end(), buf, buf + n);
    close(sv[1]);
    *requests = 0;
    *bytes = int(all.size());
    for (size_t pos = 0; pos + 4 <= all.size(); ++*requests)
        pos += Get32(all, pos) >> 8;
}

std::vector<GL_Window*> BuildScreen(GL_Window* main) {
    std::vector<GL_Window*> w;
    for (int i = 0; i < 8; ++i) {
        auto* l = new GL_Label(main, "label", "Label text", 10, 10 + i * 40, 180, 34, i % 3);
        l->SetAlign(static_cast<unsigned char>(i % 3));
        w.push_back(l);
    }
    for (int i = 0; i < 6; ++i)
        w.push_back(new GL_Button(main, "button", "Button", 200, 10 + i * 44, 120, 38, 0));
    for (int i = 0; i < 4; ++i)
        w.push_back(new GL_ArrowButton(main, "arrow", 330 + i * 40, 10, 36, 36, i));
    for (int i = 0; i < 6; ++i) {
        auto* c = new GL_Check(main, "check", "Check", 330, 60 + i * 44, 250, 40, 0);
        c->SetChecked(static_cast<unsigned char>(i & 1));
        w.push_back(c);
    }
    auto* group = new GL_Group(main, "group", "Group", 10, 340, 300, 220, 0);
    w.push_back(group);
    for (int i = 0; i < 4; ++i)
        w.push_back(new GL_Radio(group, "radio", "Radio", 10, 30 + i * 46, 280, 42, 0));
    for (int i = 0; i < 4; ++i)
        w.push_back(new GL_Panel(main, "panel", 330 + i * 65, 340, 60, 60, 0));
    for (int i = 0; i < 3; ++i)
        w.push_back(new GL_Seperator(main, "sep", 330, 410 + i * 20, 250, 14, 0));
    for (int i = 0; i < 4; ++i)
        w.push_back(new GL_Led(main, "led", "12:34", 10 + i * 145, 600, 140, 60, 5, iWhiteS));
    return w;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? atoi(argv[1]) : 300;
    signal(SIGPIPE, SIG_IGN);
    std::string root;
    pid_t server = StartServerForLibgui("widgets", &root);
    if (server < 0) return 1;

    auto* main = new GL_Window(nullptr, "main", 0, 0, 600, 800, iWhiteS, 0);
    std::vector<GL_Window*> widgets = BuildScreen(main);
    main->ShowWindow(0);
    LibguiSync(); // the exposure events are read and dropped here

    int totalReq = 0, totalBytes = 0, minReq = 1 << 30, maxReq = 0;
    for (GL_Window* w : widgets) {
        int r, b;
        CountRedraw(w, &r, &b);
        totalReq += r, totalBytes += b;
        minReq = std::min(minReq, r), maxReq = std::max(maxReq, r);
    }
    const double n = double(widgets.size());

    auto at = [](std::vector<double> const& v, double q) { return v[size_t(q * double(v.size() - 1))]; };
    printf("widgets: %zu (scalable fonts: %s)\n", widgets.size(), gSysInfo[92] ? "yes" : "no");
    printf("per widget redraw: %.1f requests (%d..%d), %.0f bytes; screen: %d requests, %d bytes\n", totalReq / n,
           minReq, maxReq, totalBytes / n, totalReq, totalBytes);
    // The rounds of both modes alternate, so that a drifting machine speed
    // weighs on both alike.
    std::vector<double> redraw[2], bare;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = Clock::now();
        LibguiSync();
        bare.push_back(Seconds(t0, Clock::now()) * 1000);
        for (int buffered = 0; buffered < 2; ++buffered) {
            GL_SetBuffered(buffered);
            t0 = Clock::now();
            for (GL_Window* w : widgets)
                w->UpdateWindow(nullptr);
            LibguiSync();
            redraw[buffered].push_back(Seconds(t0, Clock::now()) * 1000);
        }
    }
    std::sort(bare.begin(), bare.end());
    for (int buffered = 0; buffered < 2; ++buffered) {
        std::vector<double>& r = redraw[buffered];
        std::sort(r.begin(), r.end());
        printf("screen redraw executed by the server, %-16s ms: min %.2f  median %.2f  p90 %.2f  (%d rounds)\n",
               buffered ? "batched," : "one write/req,", at(r, 0), at(r, 0.5), at(r, 0.9), rounds);
    }
    printf("bare query round trip, ms: min %.3f  median %.3f\n", at(bare, 0), at(bare, 0.5));
    printf("target: 10 ms -> %s\n", at(redraw[1], 0.5) <= 10 ? "met" : "NOT met");

    delete main;
    StopServer(server, SIGTERM);
    RemoveRoot(root);
    return 0;
}
