#include "harness/launcher.h"

#include <cstdlib>
#include <sstream>
#include <unistd.h>

#include "platform/input.h"

namespace testing_eink {

std::vector<std::string> ExecPrefix() {
    std::vector<std::string> words;
    const char* prefix = getenv("EINK_EXEC_PREFIX");
    if (!prefix) return words;
    std::istringstream in(prefix);
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

std::string ShellCommandFor(const std::string& program) {
    std::string cmd;
    for (const auto& w : ExecPrefix())
        cmd += eink::ShellQuote(w) + " ";
    return cmd + eink::ShellQuote(program);
}

void ExecProgram(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> words = ExecPrefix();
    words.push_back(program);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    // The launcher is found on PATH like any command; the program by its path.
    execvp(argv[0], argv.data());
}

std::string SelfPath() {
    // Under an emulator /proc/self/exe names the emulated program, not the
    // emulator, which is the one to start again.
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    return std::string(self, size_t(n));
}

int ScaledTimeoutMs(int ms) { return ExecPrefix().empty() ? ms : 4 * ms; }

const char* FreshProcessDeathTestStyle() { return ExecPrefix().empty() ? "threadsafe" : "fast"; }

} // namespace testing_eink
