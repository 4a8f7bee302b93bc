// winserver's core state: the settings of start-up, the connection list and
// the helpers with which every other module talks to clients. Plain records
// and globals; everything runs on the main loop's thread.
#pragma once

#include <csignal>
#include <cstdint>
#include <vector>

#include "protocol/protocol.h"

// ---- Settings ----------------------------------------------------------------

extern int g_rotateMode;             // 0 normal, 1 left, 2 bottom, 3 right
extern volatile sig_atomic_t g_quit; // leave the main loop
extern int g_updateWaitTime;         // ms, 100..9999
extern int g_keyTime;                // ms, 0..5000
extern int g_sleepTimeout;           // ms
extern uint8_t g_reloadSwitch;       // cleared by the first SleepReply
extern uint8_t g_verticalScreen;     // "eserver" messages
extern uint32_t g_serial;            // next connection serial, from 1
extern uint8_t g_shutdownTimer;      // 0 idle, 1 armed, 2 counting
extern uint8_t g_rotateTimer;        // 0 idle, 1 armed, 2 counting
extern uint8_t g_forceUpdate;        // push at the next evaluation
extern uint8_t g_powerOffPending;    // a power-off request came
extern uint8_t g_shutdownPending;    // set by the sleep keys
extern long long g_startTimeMs;      // start of the process
extern long long g_keyTimerMs;       // start of the key timer
extern long long g_idleTimerMs;      // start of the idle timer

// One decimal number from a small configuration file: one line of at most
// 1023 characters, leading white space skipped, digits up to the first other
// character (none gives 0). Returns `missing` when the file cannot be read
// and `empty` when it holds no line.
int SS_ReadConfigNumber(const char* fixedPath, int missing, int empty);

// Reads "/home/keytime.txt" (0..5000, else 800).
void SS_ReadKeyTime();
// Reads "/home/sleep.txt" (absent or empty: 4000).
void SS_ReadSleepTime();

// Rotation mode from the first command-line argument ("-Rleft" 1, "-Rright" 3,
// "-Rbottom" 2, anything else 0).
int SS_ParseRotation(int argc, char** argv);

// ---- Main loop ------------------------------------------------------------------

// The shutdown and rotation-update timers: state 1 records `now` (ms) and
// becomes 2; state 2 fires once its time has passed (quit flag after 600 ms,
// force-update flag after 1000 ms).
void SS_RunTimers(long long now);
// What is due between two passes over the connections, whatever woke the
// loop: the timers, then the refresh policy. Passes that run from buffered
// requests without select call it too, so that a batch of requests in one
// write is judged request by request, as if each had come alone.
void SS_AfterPass();

// The server's clock in ms (the NowMs clock), for stamps, timers and the
// refresh policy. Requests that run back to back from the buffers share the
// reading taken when their batch began: a batch ends when the coarse clock
// ticks, a few ms at most, and a reading costs as much as a small request.
// Outside a batch it reads the clock.
long long SS_NowMs();
// Holds SS_NowMs at `now` for a batch; 0 ends the hold.
void SS_HoldClock(long long now);

// ---- Connections ----------------------------------------------------------------

struct SSClient {
    int fd;               // connection descriptor
    char name[32];        // registered program name, "" until RegisterProgram
    uint32_t processWord; // second word of RegisterProgram
    SSClient* prev;
    SSClient* next;
    int32_t hold; // non-zero while the client holds off sleep

    // Bytes received but not executed yet, in in[inStart, inEnd): requests
    // are executed only when complete, so a client that stalls half-way
    // never holds others up.
    std::vector<uint8_t> in;
    size_t inStart;
    size_t inEnd;
    // Bytes the socket would not take yet; flushed when writable, in order.
    std::vector<uint8_t> out;
    bool eof;  // the peer closed: execute what is complete, then tear down
    bool dead; // torn down, freed at the end of the pass
};

extern SSClient* g_clientHead;
extern SSClient* g_clientTail;
extern int g_clientCount;
extern int g_holdingCount;

// The shared buffer in which replies and events are built before sending.
extern uint8_t g_sendBuffer[proto::kMaxMessage];

// Sends one whole message; bytes the socket does not take now are queued and
// written when it is writable, so a message is never cut short. A client
// that lets too much pile up is torn down.
void SS_Send(SSClient* client, const uint8_t* msg, uint32_t length);

// Makes a connection record for an accepted descriptor and appends it to
// the list (no SysInfo is sent).
SSClient* SS_AddClient(int fd);

// Program lookup: the first connection whose name equals or contains `name`.
SSClient* SS_FindProgram(const char* name);

// Tears a connection down (windows, pixmaps, list, descriptor) and runs the
// last-client rule. Safe to call from a request handler, also for the
// connection being served: the record is freed after the pass.
void SS_ClientGone(SSClient* client);

// Sends Close to every connection.
void SS_BroadcastClose();

// Server clean-up and exit with status 0.
[[noreturn]] void SS_ExitPath();
void SS_Cleanup();
