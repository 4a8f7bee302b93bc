// Input devices, the key channel, the host system's keys, sleep and power.
//
// Start-up opens the three input event devices and the host key files. The
// console keyboard, the mouse and the touch screen are opened only when the
// environment variable EINK_INPUT names them: a comma-separated list of
// "console", "mouse" and "touch" (for example EINK_INPUT=mouse,touch). Without
// it the key channel is the only source of routed keys and pointer input.
//
// On a desktop the devices may be stand-ins under EINK_ROOT: FIFOs for the
// event devices, "/dev/psaux" (or "/dev/input/mice"), "/dev/ts" and
// "/dev/tty" (the console, read as medium-raw bytes), plain files for
// "/proc/keypad" and "/proc/fiveway". A FIFO whose writer goes away is opened
// afresh, so a later writer is heard; records split between writes are put
// together again.
#pragma once

#include <cstdint>
#include <sys/select.h>

struct SSClient;

// Descriptors the main loop watches, -1 when absent.
extern int g_mouseFd;
extern int g_consoleFd;
extern int g_touchFd;
extern int g_eventFd[3];

// Opens the event devices (start-up) and the host key files.
void SS_OpenInputDevices();
void SS_OpenHostKeyFiles();
void SS_CloseInputDevices();

// The optional readers, opened on demand (EINK_INPUT does it at start-up).
void SS_OpenConsole();
void SS_OpenMouse();
void SS_OpenTouch();

// One reading step of each device, called when its descriptor is readable.
void SS_ReadMouse();
void SS_ReadConsole();
void SS_ReadTouch();
void SS_ReadEventDevice(int index);

// What a reader does with what it read; the readers above call these, and
// tests feed them directly.
void SS_EventRecord(int device, uint16_t type, uint16_t code, int32_t value);
void SS_ConsoleBytes(const uint8_t* bytes, int count);
void SS_MousePacket(uint8_t b0, uint8_t b1, uint8_t b2);
void SS_TouchRecord(uint16_t pressure, uint16_t x, uint16_t y);

// Keypad translation of console and key-channel codes: the digits and letters
// of the keypad become their characters; other codes keep their value.
uint32_t SS_KeypadTranslate(uint32_t code);

// One byte from the key channel.
void SS_KeyChannelByte(uint8_t byte);

// The host lock (SS_HostLocked, kept with the refresh policy) is off at
// start-up; a long press of the lock key toggles it. Whether the main client program was launched by this server run.
bool SS_ClientLaunched();

// EVIOCGRAB on every open event device; repeated calls change nothing.
void SS_GrabInput(bool on);
bool SS_InputGrabbed();
// One line into "/proc/keypad" ("send", "sendshift", "sendalt" for variants
// 0, 1, 2) or, with fiveway, "send" into "/proc/fiveway".
void SS_InjectHostKey(int code, int variant, bool fiveway);

// Grab off, then the host key sequence.
void SS_ReleaseHost();
// The host key sequence alone (HOME, MENU, BACK or the large panel's).
void SS_InjectHostSequence();

// SleepReply from a client with the code of its answer.
void SS_SleepReply(SSClient* client, uint32_t code);
// The power-off / sleep request.
void SS_RequestSleep();

// Times of the sleep bookkeeping, monotonic milliseconds.
extern long long g_sleepRequestMs; // last power-off request or sleep key
extern long long g_delayTimeMs;    // last SleepOkDelay or key activity
