// Starting the project's own programs from tests. A cross-built test run
// cannot execute them directly: EINK_EXEC_PREFIX then holds the words of a
// launcher put in front of each (for example
// "qemu-arm -L /"). Shell commands and scripts run
// natively either way; only the project's programs go through the launcher.
#pragma once

#include <string>
#include <vector>

namespace testing_eink {

// The launcher's words; empty when programs run directly.
std::vector<std::string> ExecPrefix();
// A shell command that runs `program`: the launcher's words, then the
// program's path, each quoted for /bin/sh. Arguments may follow.
std::string ShellCommandFor(const std::string& program);
// Replaces this process with `program` and `args` (the arguments after the
// program name), through the launcher. Returns only when that failed.
void ExecProgram(const std::string& program, const std::vector<std::string>& args = {});
// The path of the running test program, for a child that runs it in
// another mode.
std::string SelfPath();
// A time limit for waiting on a started program: emulated programs run
// several times slower, so under a launcher the limit is four times longer.
int ScaledTimeoutMs(int ms);
// The death test style for a test that wants its child in a fresh process:
// "threadsafe" starts the test program again, which only works without a
// launcher; with one, "fast" forks instead. ctest runs every test in a
// process of its own, so the forked child's state is fresh too.
const char* FreshProcessDeathTestStyle();

} // namespace testing_eink
