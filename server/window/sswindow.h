// The window tree: window records, the window table, the root window.
#pragma once

struct SSClient;

// Creates the root window and the window table.
void SS_InitWindows();

// Destroys every window that the connection created and repaints what they
// uncover.
void SS_DestroyClientWindows(SSClient* client);

// The rotation changed: the root takes the new screen size, clips are
// recomputed and every window is exposed.
void SS_WindowsRotated();
