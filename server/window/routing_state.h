// The window references of event routing. The window tree keeps them
// correct: a window that is destroyed (or whose client disconnects) is
// forgotten here at once, so none of them ever points to a freed window.
// The routing itself (which window receives which event) lives in routing.cpp.
#pragma once

#include <vector>

struct SSWindow;

extern SSWindow* g_focusWindow;               // receives MouseDown and, with no mapped top-level, keys
extern SSWindow* g_activeTopLevel;            // the top-level window last activated
extern SSWindow* g_topWindow;                 // the application top window
extern SSWindow* g_pressWindow;               // received the last MouseDown; cleared by MouseUp
extern SSWindow* g_enteredWindow;             // the pointer was last reported inside it
extern std::vector<SSWindow*> g_pointerGrabs; // ordered, no duplicates

// Pointer grab list: append / put first / take out. False when nothing
// changed (already there, or not there).
bool SS_AddPointerGrab(SSWindow* w);
bool SS_InsertPointerGrab(SSWindow* w);
bool SS_RemovePointerGrab(SSWindow* w);
bool SS_PointerGrabbed(const SSWindow* w);

// Clears every reference to a window that is going away: the references
// above, the grab list, the refresh policy's awaited window and the routing's
// own move target.
void SS_ForgetWindow(SSWindow* w);

// All references cleared (start-up, tests).
void SS_ResetRoutingState();
