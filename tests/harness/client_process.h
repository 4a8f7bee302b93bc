// End-to-end tests with a libgui client in a process of its own. The client is
// the test program started again in client mode: a global initialiser asks
// ClientMode() and, when set, runs the scenario before main() and never
// returns to the tests. It reports through ClientLog(); the test judges by
// that log and by what reaches the emulated panel.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/server_process.h"

namespace testing_eink {

// In the started client: its mode (EINK_CLIENT), else null.
const char* ClientMode();
// In the started client: appends a printf-formatted line to the client's log,
// flushed at once.
void ClientLog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Starts the server with a stand-in main client (and `env`), opens `keypad`
// (event device 0), takes the host lock so that the panel is updated and
// waits until the lock's pushes are over. False, with the reason in the test
// output, when any step failed.
bool StartLockedServer(ServerProcess& server, EventDevice& keypad, const EinkRoot& root,
                       const std::vector<std::string>& env = {});

class ClientProcess {
public:
    // Its log and output are "/tmp/<name>.log" and "/tmp/<name>.out" in the root.
    explicit ClientProcess(const EinkRoot& root, const std::string& name = "client");
    ~ClientProcess() { Kill(); }
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    // Runs this test program again as a client in `mode`, with EINK_ROOT,
    // the log's path and `env` ("NAME=value") set; its stdout and stderr go
    // to Output().
    void Start(const std::string& mode = "1", const std::vector<std::string>& env = {});
    // Forks a child that runs `body` with its output going to Output(),
    // unbuffered; the body's return value is the exit status.
    void Fork(const std::function<int()>& body);
    // Waits until the log contains `text`.
    bool WaitLog(const std::string& text, int ms = 10000) const;
    std::string Log() const;
    std::string Output() const;
    std::string Diagnostics() const { return Log() + "\n" + Output(); }
    // The client's exit status (128 + signal when killed), or -1 when it
    // did not end within `ms`.
    int WaitExit(int ms);
    // SIGKILL and reap.
    void Kill();
    pid_t pid() const { return pid_; }
    const std::string& logPath() const { return log_; }
    const std::string& outPath() const { return out_; }

private:
    const EinkRoot& root_;
    pid_t pid_ = -1;
    std::string log_, out_;
};

// The emulated touch screen ("/dev/ts", a FIFO made before the server starts
// with EINK_INPUT=touch): 8-byte records of pressure, x, y.
class TouchScreen {
public:
    explicit TouchScreen(const EinkRoot& root) : root_(root) {}
    ~TouchScreen();
    bool Touch(int pressure, int x, int y);

private:
    const EinkRoot& root_;
    int fd_ = -1;
};

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Polls `done` every `stepMs` until it holds or `ms` have passed; its last answer.
bool WaitUntil(const std::function<bool()>& done, int ms, int stepMs = 50);

} // namespace testing_eink
