// The e-ink refresh policy: when the accumulated drawing goes to the panel.
// Pure logic over one state record and a time in milliseconds that the
// caller supplies, so that every rule can be driven by a test clock. The
// mechanism (copy, convert, update command, push thread) lives in apollo.
#pragma once

#include <cstdint>

namespace refresh {

constexpr int32_t kDefaultWaitTime = 500;    // ms of quiet before an ordinary push
constexpr int32_t kLongWaitTime = 1200;      // ms, while long wait is on
constexpr int32_t kRotateReleaseQuiet = 400; // ms after UngrabUpdateRotate
constexpr int32_t kMinWaitTime = 100, kMaxWaitTime = 9999;
// Drawing that never pauses for the wait time (a blinking caret, a progress
// bar, an animation) still reaches the panel once its first change has
// waited this many wait times.
constexpr int32_t kStarvationFactor = 4;

struct State {
    uint32_t dirtyCount = 0;    // MarkDirty calls since the last push or discard
    long long lastDirtyMs = 0;  // latest MarkDirty, push or discard
    long long firstDirtyMs = 0; // the first MarkDirty still pending
    int32_t waitTime = kDefaultWaitTime;
    bool longWait = false;
    bool force = false;
    bool updateGrab = false;
    bool ungrabRelease = false;
    bool rotateGrab = false;
    bool rotateRelease = false;
    bool updateLock = false;
    bool copyInProgress = false;
    uint32_t awaitedWindow = 0; // top-level window of the latest copy; 0 none or the root
};

// What the server knows and the policy does not own.
struct Environment {
    bool shuttingDown = false;
    bool hostLocked = false; // the server owns the keys and the panel
    bool pushRunning = false;
    uint32_t topmostWindow = 0; // topmost mapped top-level window, 0 when none or unknown
};

enum class Action {
    None,          // nothing to do now
    ExposeTopmost, // the awaited window is hidden: have the visible one redrawn first
    Push,          // copy and send the screen now
};

// Start state: `dirty` makes the whole screen pending (start-up does).
void Init(State& s, long long now, bool dirty);

// A change of screen pixels. Dropped while the update lock is on.
void MarkDirty(State& s, long long now);

// Forget pending drawing.
void Discard(State& s, long long now);

void Grab(State& s);         // GrabUpdate
void UnGrab(State& s);       // UnGrabUpdate
void GrabRotate(State& s);   // GrabUpdateRotate
void UngrabRotate(State& s); // UngrabUpdateRotate: only when grabbed
// SetUpdateWaitTime: accepted within 100..9999 ms; false when ignored.
bool SetWaitTime(State& s, int32_t ms);

// Milliseconds of quiet since the last dirty notice; 0 when the clock went back.
long long Quiet(const State& s, long long now);

// The policy, rule by rule. A Push answer has already reset the switches that
// a push consumes (wait time, releases, force, awaited window); the caller
// then copies the screen and calls Pushed. ExposeTopmost has restarted the
// quiet time; the caller sends the exposure.
Action Evaluate(State& s, const Environment& env, long long now);

// The screen was copied for the panel: pending drawing is now on its way.
void Pushed(State& s, long long now);

} // namespace refresh
