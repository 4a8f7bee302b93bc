// Routing of key and pointer events to client windows: which window receives
// each KeyIn, MouseDown/Up/Move/In/Out, GetFocus/LostFocus, and the
// broadcasts of screen size, character set and storage notices. Events are
// written at once to the owner of the target window; a window without an
// owner (the root) receives nothing.
#pragma once

#include <cstdint>

struct SSWindow;

// ---- Keys ---------------------------------------------------------------------

// One KeyIn to the window's owner. The text goes with it up to its NUL
// whatever textLength says; released is 1 for a release, 0 for a press or
// an automatic repeat.
void SS_SendKeyIn(SSWindow* window, const char* text, int textLength, uint32_t code, uint32_t code2, uint32_t modifier,
                  uint8_t released);

// Keys of the key channel and the console keyboard: the notice lock, the
// release repeat filter, the home keys, the broadcast keys and the sleep key
// decide where they go.
void SS_RouteKey(uint32_t code, uint32_t code2, uint32_t modifier, const char* text, int textLength, uint8_t released);

// Keys of the input event devices: the topmost mapped child of the root, else
// the focus window, else nobody.
void SS_DeliverKey(uint32_t code, uint32_t code2, uint32_t modifier, const char* text, int textLength,
                   uint8_t released);

// A KeyIn with this code and text (second code = code, modifier 0, released 1)
// to every child of the root that has the top-window flag, mapped or not.
void SS_BroadcastTopWindowKey(uint32_t code, const char* text);

// The home-shell window: the topmost top-window-flagged child of the root
// owned by the program registered as (or containing) "homeshell".
SSWindow* SS_HomeShellWindow();

// Release repeat filter switch (KeyFilter), home-key block (UpdatePop) and the
// home-key gate (key codes 30 and 31).
bool SS_KeyFilterOn();
bool SS_HomeKeyBlocked();
bool SS_HomeKeyGateOn();

// ---- Pointer ---------------------------------------------------------------------

// Relative pointer input (mouse, key channel): buttons is three bits.
void SS_PointerInput(uint32_t buttons, int32_t dx, int32_t dy);
// Touch input: a raw position, turned by the rotation mode; (0, 0) after the
// turn leaves the position alone.
void SS_PointerInputAbs(uint32_t buttons, int32_t x, int32_t y, bool absolute);

// Pointer position (screen pixels) and the stored button bits.
int32_t SS_PointerX();
int32_t SS_PointerY();
uint32_t SS_PointerButtons();
// Puts the pointer somewhere without sending anything (device opening).
void SS_SetPointerPosition(int32_t x, int32_t y);

// ---- Broadcasts --------------------------------------------------------------------

// After a rotation or display-mode change: every child of the root, mapped or
// not; nothing while the update lock is on.
void SS_BroadcastScreenSizeChange(int32_t width, int32_t height);
// After SetCharsetMode: every mapped child of the root.
void SS_BroadcastCharsetChange(uint32_t mode);

// Back to the start-up state (tests).
void SS_ResetRouting();
