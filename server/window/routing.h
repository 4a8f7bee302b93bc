// Routing of key and pointer events to client windows.
#pragma once

#include <cstdint>

// Sends a KeyIn with this code and text to every child of the root that has
// the top-window flag.
void SS_BroadcastTopWindowKey(uint32_t code, const char* text);
