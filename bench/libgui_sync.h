// Waiting, from a libgui client, until the server has run everything the
// client has sent so far.
#pragma once

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

} // namespace bench
