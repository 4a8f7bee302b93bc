// Start-up settings and the small configuration files.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/server.h"
#include "platform/einkroot.h"

int g_rotateMode = 0;
volatile sig_atomic_t g_quit = 0;
int g_updateWaitTime = 500;
int g_keyTime = 800;
int g_sleepTimeout = 4000;
uint8_t g_reloadSwitch = 1;
uint8_t g_verticalScreen = 1;
uint32_t g_serial = 1;
uint8_t g_shutdownTimer = 0;
uint8_t g_rotateTimer = 0;
uint8_t g_forceUpdate = 0;
uint8_t g_powerOffPending = 0;
uint8_t g_shutdownPending = 0;
long long g_startTimeMs = 0;
long long g_keyTimerMs = 0;
long long g_idleTimerMs = 0;

int SS_ReadConfigNumber(const char* fixedPath, int missing, int empty) {
    FILE* f = fopen(eink::Path(fixedPath).c_str(), "r");
    if (!f) return missing;
    char line[1024];
    char* got = fgets(line, sizeof line, f);
    fclose(f);
    if (!got) return empty;

    // Signed decimal, leading white space skipped, digits up to the first
    // other character; no digits gives 0. Accumulated wide and clamped so
    // that a file full of digits cannot overflow.
    const char* p = line;
    while (isspace((unsigned char)*p))
        ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    long long v = 0;
    while (isdigit((unsigned char)*p)) {
        if (v < 10000000000LL) v = v * 10 + (*p - '0');
        ++p;
    }
    if (negative) v = -v;
    if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
    if (v < -0x7FFFFFFF) v = -0x7FFFFFFF;
    return int(v);
}

void SS_ReadKeyTime() {
    int v = SS_ReadConfigNumber("/home/keytime.txt", 800, 800);
    g_keyTime = (v < 0 || v > 5000) ? 800 : v;
}

void SS_ReadSleepTime() { g_sleepTimeout = SS_ReadConfigNumber("/home/sleep.txt", 4000, 4000); }

int SS_ParseRotation(int argc, char** argv) {
    if (argc < 2 || !argv[1] || strncmp(argv[1], "-R", 2) != 0) return 0;
    const char* word = argv[1] + 2;
    if (strcmp(word, "left") == 0) return 1;
    if (strcmp(word, "right") == 0) return 3;
    if (strcmp(word, "bottom") == 0) return 2;
    return 0;
}
