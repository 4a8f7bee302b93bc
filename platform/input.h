// Device access for the server's input: the Linux input event devices and
// their exclusive grab, the host system's key injection files, the console
// keyboard, the PS/2 mouse, the touch-screen driver and the shell commands
// that start the main client program and suspend the device. Every fixed path
// goes through eink::Path, so an emulation root can hold FIFOs and plain files
// in place of the devices; ioctls that such stand-ins refuse are not errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace eink {

// ---- Input event devices ------------------------------------------------------

// struct input_event of a 32-bit kernel: 8 bytes of time, then type, code, value.
constexpr size_t kInputRecordSize = 16;
constexpr uint16_t kEventTypeKey = 1; // EV_KEY
constexpr int kKeyRelease = 0, kKeyPress = 1, kKeyRepeat = 2;

struct InputRecord {
    uint16_t type;
    uint16_t code;
    int32_t value;
};

// Decodes one 16-byte record (little-endian, as the device writes it).
InputRecord DecodeInputRecord(const uint8_t* bytes);
// The inverse, for tools and tests that play the part of the device.
void EncodeInputRecord(uint8_t* out, uint16_t type, uint16_t code, int32_t value);

// "/dev/input/eventN", read-only and non-blocking; -1 when it cannot be opened.
int OpenEventDevice(int index);
// Reopens a stand-in FIFO whose writer went away, so that a later writer is
// heard again; returns -1 (and the caller stops watching) for anything else.
int ReopenEventDeviceAfterEof(int fd, int index);
int ReopenMouseAfterEof(int fd);
int ReopenTouchAfterEof(int fd);

// EVIOCGRAB (0x40044590) with 1 or 0. Stand-ins refuse it; the result only
// matters on the device and is not reported.
void GrabEventDevice(int fd, bool on);

// ---- Host system key files --------------------------------------------------------

// "/proc/keypad" and "/proc/fiveway", write-only (appending, which is what a
// plain file standing in for them needs). -1 when missing.
int OpenKeypadFile();
int OpenFivewayFile();
// Writes one whole line; the result is ignored, as the host system's is.
void WriteHostLine(int fd, const char* line);

// ---- Shell commands -----------------------------------------------------------------

// Starts "/mnt/us/velmora/bin/velmora -ws &" through the shell (the program
// path resolved under the emulation root, which the child inherits).
void LaunchMainClient();
// The shell command "echo \"mem\" > /sys/power/state" with the resolved path;
// returns when the command does (after resume on the device).
void SuspendDevice();
// Single-quotes a string for the shell.
std::string ShellQuote(const std::string& s);

// ---- Console keyboard -------------------------------------------------------------------

struct ConsoleState {
    int fd = -1;
    bool raw = false;                    // the keyboard mode and terminal settings were replaced
    int savedMode = 0;                   // KDGKBMODE before raw mode
    unsigned char savedTermios[64] = {}; // struct termios, kept opaque here
};

// Finds a console with a keyboard, saves its mode and settings and switches it
// to medium-raw mode. Returns false when no console was found (nothing
// changed). A FIFO in place of a console is taken as it is (reading it in
// medium-raw form needs no switch). A refused KDSKBMODE is fatal on the device: the caller is told
// through `fatal` and decides.
bool OpenConsole(ConsoleState* console, bool* fatal);
// Restores the keyboard mode and settings and closes. `fatal` as above.
void CloseConsole(ConsoleState* console, bool* fatal);

// ---- Mouse and touch screen -----------------------------------------------------------------

// "/dev/psaux", else "/dev/input/mice", non-blocking; -1 when neither opens.
int OpenMouse();

// Touch calibration, the seven numbers of "/etc/sysconfig/touchpad" in the
// order the driver takes them.
struct TouchCalibration {
    uint16_t resX, resY, minX, maxX, minY, maxY, xySwap;
};

// Reads "/etc/sysconfig/touchpad": lines "res_x=N" ... "xyswap=N", others
// ignored. False (with the system error printed) when the file is missing.
bool ReadTouchCalibration(TouchCalibration* out);
// Whether a calibration may be handed to the driver: the six limits set and
// neither range empty.
bool TouchCalibrationUsable(const TouchCalibration& c);

// Opens "/dev/ts" as its driver wants it: read-only, mode requests, the
// calibration when usable (then closed and reopened non-blocking). The
// calibration is returned with the resolution replaced by the screen's.
// On a stand-in (not a character device) the calibration handed to the
// driver is written as one line to "<ts>.calibration" so that it can be seen.
int OpenTouch(int screenWidth, int screenHeight, TouchCalibration* used);

} // namespace eink
