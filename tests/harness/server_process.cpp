#include "harness/server_process.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace testing_eink {

long long MonoMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

void SleepMs(int ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

namespace {

// True when a Unix socket bound to `path` is listening, read from
// /proc/net/unix so that the check itself makes no connection.
bool UnixListening(const std::string& path) {
    std::ifstream f("/proc/net/unix");
    std::string line;
    std::getline(f, line);
    while (std::getline(f, line)) {
        if (line.size() < path.size() || line.compare(line.size() - path.size(), path.size(), path) != 0) continue;
        std::istringstream ss(line);
        std::string num, ref, proto, flags;
        ss >> num >> ref >> proto >> flags;
        if (strtoul(flags.c_str(), nullptr, 16) & 0x10000) return true;
    }
    return false;
}

} // namespace

bool ServerProcess::Start(const std::vector<std::string>& args, const std::vector<std::string>& env, int timeoutMs) {
    port_ = FreePort();
    keyPort_ = FreePort();
    while (keyPort_ == port_)
        keyPort_ = FreePort();
    logPath_ = root_.Path("/server.log");

    std::vector<std::string> envStrings = {"EINK_ROOT=" + root_.dir(), "EINK_PORT=" + std::to_string(port_),
                                           "EINK_KEY_PORT=" + std::to_string(keyPort_),
                                           "ASAN_OPTIONS=detect_leaks=0:abort_on_error=0"};
    for (const auto& e : env)
        envStrings.push_back(e);

    reaped_ = false;
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        int log = open(logPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(log, 1);
        dup2(log, 2);
        int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, 0);
        for (const auto& e : envStrings)
            putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(WINSERVER_PATH));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(WINSERVER_PATH, argv.data());
        _exit(127);
    }
    long long until = MonoMs() + timeoutMs;
    while (MonoMs() < until) {
        if (UnixListening(socketPath())) return true;
        if (!Running()) return false;
        SleepMs(10);
    }
    return false;
}

void ServerProcess::Kill() {
    if (pid_ <= 0) return;
#ifdef EINK_STOP_GENTLY
    int status;
    if (kill(pid_, SIGTERM) == 0 && WaitExit(2000, &status)) return;
#endif
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void ServerProcess::Signal(int sig) {
    if (pid_ > 0) kill(pid_, sig);
}

bool ServerProcess::Running() {
    if (pid_ <= 0) return false;
    int status;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        pid_ = -1;
        reaped_ = true;
        status_ = status;
        return false;
    }
    return true;
}

bool ServerProcess::WaitExit(int timeoutMs, int* status) {
    long long until = MonoMs() + timeoutMs;
    while (Running()) {
        if (MonoMs() >= until) return false;
        SleepMs(10);
    }
    if (reaped_ && status) *status = status_;
    return reaped_;
}

std::string ServerProcess::Output() const {
    std::ifstream f(logPath_);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool ServerProcess::WaitForOutput(const std::string& text, int timeoutMs) {
    long long until = MonoMs() + timeoutMs;
    do {
        if (Output().find(text) != std::string::npos) return true;
        SleepMs(10);
    } while (MonoMs() < until);
    return false;
}

int ServerProcess::OpenDescriptors() const {
    std::string dir = "/proc/" + std::to_string(pid_) + "/fd";
    DIR* d = opendir(dir.c_str());
    if (!d) return -1;
    int n = 0;
    while (dirent* e = readdir(d))
        if (e->d_name[0] != '.') ++n;
    closedir(d);
    return n;
}

} // namespace testing_eink
