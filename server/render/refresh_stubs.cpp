// Placeholders until this module lands: every request here is read in
// full by the dispatcher and then does nothing. Delete this file when
// the real module defines these functions.
#include "core/handlers.h"

void HandleSetRotateMode(SSClient*, const uint8_t*, uint32_t) {}
void HandleGrabUpdate(SSClient*, const uint8_t*, uint32_t) {}
void HandleUnGrabUpdate(SSClient*, const uint8_t*, uint32_t) {}
void HandleSwitchDisplayMode(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetUpdateWaitTime(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetDefaultRefreshMode(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetOnceRefreshMode(SSClient*, const uint8_t*, uint32_t) {}
void HandleDiscardUpdate(SSClient*, const uint8_t*, uint32_t) {}
void HandleGrabUpdateRotate(SSClient*, const uint8_t*, uint32_t) {}
void HandleUngrabUpdateRotate(SSClient*, const uint8_t*, uint32_t) {}
void HandleUpdateLock(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetMsgMode(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetForceUpdate(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetSDMode(SSClient*, const uint8_t*, uint32_t) {}
