// Benchmarks that are libgui clients: a server of their own to connect to,
// and waiting until it has run everything the client has sent.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "egui.h"

namespace bench {

// A QueryProgram of "" goes out after whatever libgui still buffers
// (NetWrite flushes first); its answer means all of it has run. Events read
// on the way are dropped.
inline bool LibguiSync() {
    Bytes q = Request(124, std::vector<uint32_t>(9, 0));
    if (NetWrite(connFd, q.data(), int(q.size())) != int(q.size())) return false;
    for (;;) {
        GS_GeneralEvent_st* ev = GotEvent();
        if (!ev) return false;
        if (GL_EventType(ev) == 124) return true;
    }
}

// Starts winserver in a new root named after `name`, with DejaVu Sans as its
// one font, and connects libgui to it, colours and default font read. Returns
// the server's pid, or -1 (nothing left running) when that fails.
inline pid_t StartServerForLibgui(const char* name, std::string* root) {
    *root = MakeRoot(name, {"/mnt/us/velmora", "/mnt/us/velmora/res"});
    if (root->empty()) return -1;
    for (char const* list : {"/mnt/us/velmora/res/xftfont.lst", "/mnt/us/velmora/res/font.lst"})
        if (FILE* f = fopen((*root + list).c_str(), "w")) {
            fputs("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\n", f);
            fclose(f);
        }
    pid_t server = StartServer(*root);
    setenv("EINK_ROOT", root->c_str(), 1);
    int tries = 0;
    while (OpenConnection() < 0 && ++tries < 100)
        usleep(100000);
    if (tries >= 100) {
        fprintf(stderr, "cannot reach winserver\n");
        StopServer(server, SIGKILL);
        RemoveRoot(*root);
        return -1;
    }
    InitColorS();
    InitFont();
    return server;
}

} // namespace bench
