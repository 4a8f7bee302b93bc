// The real winserver as a child process in an emulated root.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "harness/eink_root.h"

namespace testing_eink {

class ServerProcess {
public:
    explicit ServerProcess(const EinkRoot& root) : root_(root) {}
    ~ServerProcess() { Kill(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts winserver with these arguments (after the program name) and
    // extra environment entries ("NAME=value"); waits until its local socket
    // listens. False when it did not come up within `timeoutMs`.
    bool Start(const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {},
               int timeoutMs = 10000);
    // SIGKILL and reap.
    void Kill();
    // Sends a signal.
    void Signal(int sig);
    // Waits for the process to end; true with its wait status when it did.
    bool WaitExit(int timeoutMs, int* status);
    bool Running();

    pid_t pid() const { return pid_; }
    int port() const { return port_; }
    int keyPort() const { return keyPort_; }
    std::string socketPath() const { return root_.Path("/tmp/.commfile"); }
    // Everything the server printed on stdout and stderr so far.
    std::string Output() const;
    // Waits until the output contains `text`.
    bool WaitForOutput(const std::string& text, int timeoutMs);
    // Number of open descriptors of the server process (from /proc).
    int OpenDescriptors() const;

private:
    const EinkRoot& root_;
    pid_t pid_ = -1;
    bool reaped_ = false; // the process ended and its status is kept
    int status_ = 0;
    int port_ = 0;
    int keyPort_ = 0;
    std::string logPath_;
};

// A TCP port on loopback that nothing listens on right now.
int FreePort();
// Sleeps for some milliseconds.
void SleepMs(int ms);
// Milliseconds of a monotonic clock.
long long MonoMs();

} // namespace testing_eink
