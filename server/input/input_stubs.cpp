// Placeholders until this module lands: every request here is read in
// full by the dispatcher and then does nothing. Delete this file when
// the real module defines these functions.
#include "core/handlers.h"
#include "input/input.h"

int g_mouseFd = -1;
int g_consoleFd = -1;
int g_touchFd = -1;
int g_eventFd[3] = {-1, -1, -1};

void SS_OpenInputDevices() {}
void SS_OpenHostKeyFiles() {}
void SS_CloseInputDevices() {}
void SS_ReadMouse() {}
void SS_ReadConsole() {}
void SS_ReadTouch() {}
void SS_ReadEventDevice(int) {}
void SS_KeyChannelByte(uint8_t) {}
void SS_ReleaseHost() {}
void SS_InjectHostSequence() {}
void SS_SleepReply(SSClient*, uint32_t) {}
void SS_RequestSleep() {}

void HandleInsertPointerGrab(SSClient*, const uint8_t*, uint32_t) {}
void HandleAddPointerGrab(SSClient*, const uint8_t*, uint32_t) {}
void HandleRemovePointerGrab(SSClient*, const uint8_t*, uint32_t) {}
void HandleKeyFilter(SSClient*, const uint8_t*, uint32_t) {}
void HandleUpdatePop(SSClient*, const uint8_t*, uint32_t) {}

#include "window/routing.h"
void SS_BroadcastTopWindowKey(uint32_t, const char*) {}
