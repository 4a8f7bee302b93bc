// Key input for end-to-end tests: the writer side of the emulated input event
// devices (FIFOs under the emulated root), the key channel, and the lines the
// server writes into the host system's key files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "harness/eink_root.h"

namespace testing_eink {

// Creates "/dev/input/event0..2" as FIFOs; call before the server starts,
// which opens them at start-up.
void MakeEventFifos(const EinkRoot& root);

// The writer end of one emulated event device. Records are built here byte by
// byte (8 bytes of time, u16 type, u16 code, s32 value, little-endian).
class EventDevice {
public:
    EventDevice(const EinkRoot& root, int index) : root_(root), index_(index) {}
    ~EventDevice() { Close(); }
    EventDevice(const EventDevice&) = delete;
    EventDevice& operator=(const EventDevice&) = delete;

    // Opens the FIFO for writing once the server has it open for reading.
    bool Open(int timeoutMs = 5000);
    void Close();
    bool isOpen() const { return fd_ >= 0; }

    // One record of any type; raw bytes for garbage tests.
    bool Record(uint16_t type, uint16_t code, int32_t value);
    bool Raw(const std::vector<uint8_t>& bytes);

    bool Press(uint16_t code) { return Record(1, code, 1); }
    bool Release(uint16_t code) { return Record(1, code, 0); }
    bool Repeat(uint16_t code) { return Record(1, code, 2); }
    // A short press: press then release.
    bool Tap(uint16_t code) { return Press(code) && Release(code); }
    // A long press: press, then `repeats` automatic repeats (still held).
    bool Hold(uint16_t code, int repeats = 1);

    static std::vector<uint8_t> Encode(uint16_t type, uint16_t code, int32_t value);

private:
    const EinkRoot& root_;
    int index_;
    int fd_ = -1;
};

// Long-presses the lock key on `device` (press, `repeats` repeats, release) so
// that the server takes the keys and the panel, then waits until the pushes
// that the lock causes are over: drawing pending since start-up goes out once
// quiet, the lock's forced full push about a second after the lock. False when
// no new panel update came within `firstPushMs`. Waiting for the first update
// alone would let the forced push land in the middle of what the test does
// next; the bound is generous because the wait ends as soon as the line is
// there, and on a loaded machine the push's file writes can stall.
bool LockHostAndSettle(EventDevice& device, const EinkRoot& root, int repeats = 1, int firstPushMs = 15000);

// The key channel: a TCP connection to the server's key port, one byte per key.
class KeyChannel {
public:
    ~KeyChannel() { Close(); }
    bool Connect(int port, int timeoutMs = 5000);
    void Close();
    bool Send(uint8_t byte);
    bool Send(const std::vector<uint8_t>& bytes);

private:
    int fd_ = -1;
};

// The lines written into "/proc/keypad" (or another host key file) so far.
std::vector<std::string> HostKeyLines(const EinkRoot& root, const std::string& fixedPath = "/proc/keypad");
// Waits until the file holds at least `count` lines; returns them.
std::vector<std::string> WaitHostKeyLines(const EinkRoot& root, size_t count, int timeoutMs = 3000,
                                          const std::string& fixedPath = "/proc/keypad");

// Installs a stand-in main client program ("/mnt/us/velmora/bin/velmora"): a
// shell script that appends one line with its arguments to
// "/tmp/velmora.log" each time it starts.
void InstallFakeMainClient(const EinkRoot& root);
// The lines of that log.
std::vector<std::string> FakeMainClientStarts(const EinkRoot& root);

} // namespace testing_eink
