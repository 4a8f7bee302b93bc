// winserver's request path in process. The input is the byte stream of one
// client connection: it goes into a real connection record's input buffer
// and is split and executed by the server's own connection code, one request
// per pass, against the real window tree, pixmaps, fonts and screen image of
// the emulated panel. Two other registered connections stand by (so user
// messages have somewhere to go and the last-client rules do not end the
// process). Everything the input built is torn down with its connection,
// and the global state is put back, before the next input.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "core/connection.h"
#include "core/server.h"
#include "fuzz_support.h"
#include "fuzz_target.h"
#include "render/apollo.h"
#include "render/fonts.h"
#include "render/primitives.h"
#include "render/sspixmap.h"
#include "window/routing.h"
#include "window/sswindow.h"

namespace {

struct Peer {
    SSClient* client;
    int far; // the client's end: what the server sends is read and dropped here
};

std::vector<Peer> g_bystanders;

Peer Connect(const char* name) {
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
        perror("socketpair");
        abort();
    }
    fcntl(sv[0], F_SETFL, O_NONBLOCK);
    fcntl(sv[1], F_SETFL, O_NONBLOCK);
    SSClient* c = SS_AddClient(sv[0]);
    snprintf(c->name, sizeof c->name, "%s", name);
    return Peer{c, sv[1]};
}

void Drain(int fd) {
    static uint8_t sink[1 << 16];
    while (read(fd, sink, sizeof sink) > 0) {
    }
}

bool Listed(const SSClient* c) {
    for (SSClient* x = g_clientHead; x; x = x->next)
        if (x == c) return true;
    return false;
}

void Setup() {
    const std::string& root = fuzz::Root();
    signal(SIGPIPE, SIG_IGN);
    fuzz::WriteRootFile("/dev/fb0", std::string(600 * 800 / 2, '\0'));
    fuzz::WriteRootFile("/dev/fb0.mode", "600 800\n");
    fuzz::WriteRootFile("/mnt/us/velmora/res/xftfont.lst", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\n"
                                                           "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf\n"
                                                           "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc\n");
    fuzz::WriteRootFile("/mnt/us/velmora/res/font.lst", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\n");
    fuzz::WriteRootFile("/tmp/.keep", "");
    // Relative paths named by requests land in the root, not in the
    // directory the fuzzer was started from.
    if (chdir(root.c_str()) != 0) perror("chdir");
    if (!InitScreen()) {
        fprintf(stderr, "server_requests: no emulated panel\n");
        abort();
    }
    InitFonts();
    InitColors();
    InitRefreshState();
    SS_InitWindows();
    g_bystanders.push_back(Connect("reader"));
    g_bystanders.push_back(Connect("/mnt/us/velmora/bin/velmora"));
}

#ifndef NDEBUG
void CheckOne(const SSRegion* r, const char* what) {
    const char* why = nullptr;
    if (r && !SS_RegionValid(r, &why)) {
        fprintf(stderr, "server_requests: %s region broken: %s\n", what, why);
        abort();
    }
}

// Every region of the window tree keeps the banded form after every request.
void CheckRegions() {
    SSWindow* root = SS_RootWindow();
    for (SSWindow* w = root; w; w = SS_NextInSubtree(w, root, true)) {
        CheckOne(w->clipWithChildren, "clip with children");
        CheckOne(w->clipWithoutChildren, "clip without children");
        CheckOne(w->frame, "frame");
        CheckOne(w->shape, "shape");
    }
}
#else
void CheckRegions() {}
#endif

// Back to the state of start-up, apart from the fonts and the screen image.
void ResetState() {
    g_powerOffPending = g_shutdownPending = 0;
    SS_SetRotateMode(0);
    if (SS_Landscape()) SS_ToggleOrientation();
    SS_SetMsgMode(0);
    SS_SetSdMode(0);
    SS_FreeAllPixmaps();
    SS_ResetWindows();
    SS_ResetRouting();
    InitRefreshState();
    g_updateWaitTime = 500;
    g_verticalScreen = 1;
    g_shutdownTimer = g_rotateTimer = g_forceUpdate = 0;
    g_quit = 0;
    for (Peer& p : g_bystanders) {
        p.client->hold = 0;
        Drain(p.far);
    }
    g_holdingCount = 0;
}

} // namespace

EINK_FUZZ_TARGET(server_requests) {
    static const bool ready = (Setup(), true);
    (void)ready;

    Peer fuzzed = Connect("");
    SSClient* c = fuzzed.client;
    c->in.assign(data, data + size);
    c->inStart = 0;
    c->inEnd = size;
    // The whole stream has arrived and the peer has closed: every complete
    // request runs, one per pass, then the connection is torn down.
    c->eof = true;
    while (Listed(c)) {
        SS_ServiceClients(nullptr, nullptr);
        CheckRegions();
        Drain(fuzzed.far);
        for (Peer& p : g_bystanders)
            Drain(p.far);
    }
    close(fuzzed.far);

    // What the push thread would send to the panel.
    static std::vector<uint8_t> panel(size_t(kLargePanelWidth) * kLargePanelHeight / 2);
    CopyFB();
    SS_ConvertFrontBuffer(panel.data(), panel.size());

    ResetState();
    return 0;
}
