// The main loop's two timers and the work due after every pass.
#include "core/server.h"
#include "platform/einkroot.h"
#include "render/apollo.h"

namespace {

long long s_shutdownStartMs = 0;
long long s_rotateStartMs = 0;
long long s_heldClockMs = 0;

} // namespace

void SS_RunTimers(long long now) {
    if (g_shutdownTimer == 1) {
        s_shutdownStartMs = now;
        g_shutdownTimer = 2;
    } else if (g_shutdownTimer == 2 && now - s_shutdownStartMs >= 600) {
        g_quit = 1;
    }
    if (g_rotateTimer == 1) {
        s_rotateStartMs = now;
        g_rotateTimer = 2;
    } else if (g_rotateTimer == 2 && now - s_rotateStartMs >= 1000) {
        g_forceUpdate = 1;
        g_rotateTimer = 0;
    }
}

long long SS_NowMs() { return s_heldClockMs ? s_heldClockMs : eink::NowMs(); }

void SS_HoldClock(long long now) { s_heldClockMs = now; }

void SS_AfterPass() {
    SS_RunTimers(SS_NowMs());
    CheckScreenUpdate();
}
