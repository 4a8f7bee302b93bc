#include "harness/client_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "harness/launcher.h"
#include "harness/panel.h"

namespace testing_eink {

const char* ClientMode() { return getenv("EINK_CLIENT"); }

void ClientLog(const char* fmt, ...) {
    static FILE* log = nullptr;
    if (!log) log = fopen(getenv("EINK_CLIENT_LOG"), "a");
    if (!log) _exit(5);
    va_list ap;
    va_start(ap, fmt);
    vfprintf(log, fmt, ap);
    va_end(ap);
    fputc('\n', log);
    fflush(log);
}

bool StartLockedServer(ServerProcess& server, EventDevice& keypad, const EinkRoot& root,
                       const std::vector<std::string>& env) {
    signal(SIGPIPE, SIG_IGN);
    MakeEventFifos(root);
    InstallFakeMainClient(root);
    if (!server.Start({}, env)) {
        ADD_FAILURE() << "the server did not start\n" << server.Output();
        return false;
    }
    if (!keypad.Open() || !LockHostAndSettle(keypad, root, 3)) {
        ADD_FAILURE() << "the host lock brought no panel update\n" << server.Output();
        return false;
    }
    return true;
}

ClientProcess::ClientProcess(const EinkRoot& root, const std::string& name)
    : root_(root), log_(root.Path("/tmp/" + name + ".log")), out_(root.Path("/tmp/" + name + ".out")) {}

// The child's output goes to `out`.
static void RedirectOutput(const std::string& out) {
    int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
    }
}

void ClientProcess::Start(const std::string& mode, const std::vector<std::string>& env) {
    pid_ = fork();
    if (pid_ != 0) return;
    RedirectOutput(out_);
    setenv("EINK_ROOT", root_.dir().c_str(), 1);
    setenv("EINK_CLIENT", mode.c_str(), 1);
    setenv("EINK_CLIENT_LOG", log_.c_str(), 1);
    for (const std::string& e : env)
        putenv(strdup(e.c_str()));
    ExecProgram(SelfPath());
    _exit(127);
}

void ClientProcess::Fork(const std::function<int()>& body) {
    fflush(stdout);
    fflush(stderr);
    pid_ = fork();
    if (pid_ != 0) return;
    RedirectOutput(out_);
    setvbuf(stdout, nullptr, _IONBF, 0);
    _exit(body());
}

bool ClientProcess::WaitLog(const std::string& text, int ms) const {
    return WaitUntil([&] { return Log().find(text) != std::string::npos; }, ms, 10);
}

std::string ClientProcess::Log() const { return ReadFile(log_); }
std::string ClientProcess::Output() const { return ReadFile(out_); }

int ClientProcess::WaitExit(int ms) {
    int status = 0;
    if (pid_ <= 0 || !WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, ms, 5)) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void ClientProcess::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

TouchScreen::~TouchScreen() {
    if (fd_ >= 0) close(fd_);
}

bool TouchScreen::Touch(int pressure, int x, int y) {
    if (fd_ < 0) fd_ = open(root_.Path("/dev/ts").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    const uint8_t p[8] = {uint8_t(pressure), uint8_t(pressure >> 8), uint8_t(x), uint8_t(x >> 8),
                          uint8_t(y),        uint8_t(y >> 8),        0,          0};
    return fd_ >= 0 && write(fd_, p, sizeof p) == ssize_t(sizeof p);
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool WaitUntil(const std::function<bool()>& done, int ms, int stepMs) {
    long long until = MonoMs() + ms;
    for (;;) {
        if (done()) return true;
        if (MonoMs() >= until) return false;
        SleepMs(stepMs);
    }
}

} // namespace testing_eink
