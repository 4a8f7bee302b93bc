#include "window/routing_state.h"

#include <algorithm>

#include "render/apollo.h"
#include "window/sswindow.h"

SSWindow* g_focusWindow = nullptr;
SSWindow* g_activeTopLevel = nullptr;
SSWindow* g_topWindow = nullptr;
SSWindow* g_pressWindow = nullptr;
SSWindow* g_enteredWindow = nullptr;
std::vector<SSWindow*> g_pointerGrabs;

bool SS_PointerGrabbed(const SSWindow* w) {
    return std::find(g_pointerGrabs.begin(), g_pointerGrabs.end(), w) != g_pointerGrabs.end();
}

bool SS_AddPointerGrab(SSWindow* w) {
    if (!w || SS_PointerGrabbed(w)) return false;
    g_pointerGrabs.push_back(w);
    return true;
}

bool SS_InsertPointerGrab(SSWindow* w) {
    if (!w || SS_PointerGrabbed(w)) return false;
    g_pointerGrabs.insert(g_pointerGrabs.begin(), w);
    return true;
}

bool SS_RemovePointerGrab(SSWindow* w) {
    auto it = std::find(g_pointerGrabs.begin(), g_pointerGrabs.end(), w);
    if (it == g_pointerGrabs.end()) return false;
    g_pointerGrabs.erase(it);
    return true;
}

void SS_ForgetWindow(SSWindow* w) {
    if (!w) return;
    if (g_focusWindow == w) g_focusWindow = nullptr;
    if (g_activeTopLevel == w) g_activeTopLevel = nullptr;
    // Not in the original list of references to clear, but a destroyed top
    // window left here would be used after it is freed.
    if (g_topWindow == w) g_topWindow = nullptr;
    if (g_pressWindow == w) g_pressWindow = nullptr;
    if (g_enteredWindow == w) g_enteredWindow = nullptr;
    SS_RemovePointerGrab(w);
    SS_ForgetAwaitedWindow(w->d.id);
}

void SS_ResetRoutingState() {
    g_focusWindow = g_activeTopLevel = g_topWindow = g_pressWindow = g_enteredWindow = nullptr;
    g_pointerGrabs.clear();
}
