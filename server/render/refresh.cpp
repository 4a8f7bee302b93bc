#include "render/refresh.h"

namespace refresh {

void Init(State& s, long long now, bool dirty) {
    s = State();
    s.lastDirtyMs = now;
    s.firstDirtyMs = now;
    s.dirtyCount = dirty ? 1 : 0;
}

void MarkDirty(State& s, long long now) {
    if (s.updateLock) return;
    s.lastDirtyMs = now;
    if (s.dirtyCount == 0) s.firstDirtyMs = now;
    ++s.dirtyCount;
}

void Discard(State& s, long long now) {
    s.dirtyCount = 0;
    s.lastDirtyMs = now;
}

void Grab(State& s) { s.updateGrab = true; }

void UnGrab(State& s) {
    s.updateGrab = false;
    s.ungrabRelease = true;
}

void GrabRotate(State& s) {
    s.rotateGrab = true;
    s.rotateRelease = false;
}

void UngrabRotate(State& s) {
    if (!s.rotateGrab) return;
    s.rotateGrab = false;
    s.rotateRelease = true;
}

bool SetWaitTime(State& s, int32_t ms) {
    if (ms < kMinWaitTime || ms > kMaxWaitTime) return false;
    s.waitTime = ms;
    return true;
}

long long Quiet(const State& s, long long now) {
    long long q = now - s.lastDirtyMs;
    return q < 0 ? 0 : q;
}

Action Evaluate(State& s, const Environment& env, long long now) {
    if (env.shuttingDown || !env.hostLocked || env.pushRunning) return Action::None;
    if (!s.force && (s.copyInProgress || s.dirtyCount == 0 || s.updateGrab || s.rotateGrab)) return Action::None;

    long long quiet = Quiet(s, now);
    if (s.rotateRelease && quiet <= kRotateReleaseQuiet) return Action::None;
    if (!s.force && !s.ungrabRelease && !s.rotateRelease) {
        long long wait = s.longWait ? kLongWaitTime : s.waitTime;
        long long pending = now - s.firstDirtyMs;
        if (quiet < wait && pending < kStarvationFactor * wait) return Action::None;
    }

    // The drawing came for a window that is not the one on top: push nothing
    // until the visible window has redrawn. Without a mapped top-level window
    // there is nothing to wait for, and holding back would freeze the panel.
    if (s.awaitedWindow != 0 && env.topmostWindow != 0 && s.awaitedWindow != env.topmostWindow) {
        s.force = false;
        s.ungrabRelease = false;
        s.rotateRelease = false;
        s.lastDirtyMs = now;
        s.firstDirtyMs = now;
        return Action::ExposeTopmost;
    }

    s.waitTime = kDefaultWaitTime;
    s.ungrabRelease = false;
    s.rotateRelease = false;
    s.force = false;
    s.awaitedWindow = 0;
    return Action::Push;
}

void Pushed(State& s, long long now) {
    s.longWait = false;
    s.dirtyCount = 0;
    s.lastDirtyMs = now;
}

} // namespace refresh
