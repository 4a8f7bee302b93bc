// The server's clean-up and exit path.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "core/connection.h"
#include "core/server.h"
#include "input/input.h"
#include "render/apollo.h"
#include "render/fonts.h"

void SS_Cleanup() {
    g_quit = 1;
    // Let a running push finish before the panel memory goes away.
    sleep(3);
    CloseScreen();
    FreeFonts();
    SS_BroadcastClose();
    SS_CloseInputDevices();
    SS_CloseEndpoints();
}

void SS_ExitPath() {
    g_quit = 1;
    SS_Cleanup();
    fflush(stdout);
    exit(0);
}
