// The display refresh requests: each sets a switch of the refresh policy.
#include "core/handlers.h"
#include "platform/einkroot.h"
#include "protocol/protocol.h"
#include "render/apollo.h"
#include "render/refresh.h"

namespace {

// First body word, or the second one: a short request reads them as 0.
uint32_t Word(const uint8_t* msg, uint32_t length, int index) {
    proto::ArgReader r(msg, length);
    uint32_t v = r.u32();
    if (index == 1) v = r.u32();
    return v;
}

} // namespace

void HandleSetRotateMode(SSClient*, const uint8_t* msg, uint32_t length) { SS_SetRotateMode(Word(msg, length, 0)); }

void HandleGrabUpdate(SSClient*, const uint8_t*, uint32_t) { refresh::Grab(SS_RefreshState()); }

void HandleUnGrabUpdate(SSClient*, const uint8_t*, uint32_t) { refresh::UnGrab(SS_RefreshState()); }

// Display and refresh modes of other controllers: this panel has one.
void HandleSwitchDisplayMode(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetDefaultRefreshMode(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetOnceRefreshMode(SSClient*, const uint8_t*, uint32_t) {}

void HandleSetUpdateWaitTime(SSClient*, const uint8_t* msg, uint32_t length) {
    refresh::SetWaitTime(SS_RefreshState(), int32_t(Word(msg, length, 0)));
    SS_RefreshChanged();
}

void HandleDiscardUpdate(SSClient*, const uint8_t*, uint32_t) { refresh::Discard(SS_RefreshState(), g_refreshClock()); }

void HandleGrabUpdateRotate(SSClient*, const uint8_t*, uint32_t) { refresh::GrabRotate(SS_RefreshState()); }

void HandleUngrabUpdateRotate(SSClient*, const uint8_t*, uint32_t) { refresh::UngrabRotate(SS_RefreshState()); }

void HandleUpdateLock(SSClient*, const uint8_t* msg, uint32_t length) {
    SS_RefreshState().updateLock = Word(msg, length, 1) == 1;
}

void HandleSetMsgMode(SSClient*, const uint8_t* msg, uint32_t length) { SS_SetMsgMode(int32_t(Word(msg, length, 0))); }

void HandleSetForceUpdate(SSClient*, const uint8_t*, uint32_t) {
    SS_RefreshState().force = true;
    SS_RefreshChanged();
}

void HandleSetSDMode(SSClient*, const uint8_t* msg, uint32_t length) { SS_SetSdMode(int32_t(Word(msg, length, 0))); }
