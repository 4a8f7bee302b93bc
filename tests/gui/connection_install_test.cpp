// libgui as a user gets it: installed with its headers, libgui.pc and its
// CMake package into a prefix; example programs built against that
// installation only (through pkg-config and through find_package) and run
// against the real server; the guide's code compiled the same way.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "harness/eink_root.h"
#include "harness/launcher.h"
#include "harness/panel.h"
#include "harness/server_process.h"

namespace {

using testing_eink::EinkRoot;
using testing_eink::FreePort;
using testing_eink::ReadGreyPng;
using testing_eink::ServerProcess;
using testing_eink::ShellCommandFor;

// Runs a shell command; its exit status and everything it printed.
int Shell(const std::string& cmd, std::string* out) {
    out->clear();
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out->append(buf, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Installs libgui into `prefix` and builds the examples against it into
// `out` (one target when `target` is given), with extra cmake arguments.
::testing::AssertionResult BuildExamples(const std::string& prefix, const std::string& out, const std::string& target,
                                         const std::string& args) {
    std::string flags = " " + args;
#if defined(__SANITIZE_ADDRESS__)
    flags += " -DEXAMPLES_SANITIZE=ON";
#endif
    // A cross-built library needs a cross-built program.
    if (*EINK_TOOLCHAIN_FILE) flags += " -DCMAKE_TOOLCHAIN_FILE=" EINK_TOOLCHAIN_FILE;
    std::string log;
    if (Shell((target.empty() ? "" : "EXAMPLES_TARGET=" + target + " ") +
                  "bash " EINK_SOURCE_DIR "/examples/build.sh " + EINK_BINARY_DIR " " + prefix + " " + out + flags,
              &log) != 0)
        return ::testing::AssertionFailure() << log;
    return ::testing::AssertionSuccess();
}

// The same example program, found once through pkg-config and once through
// the CMake package; each build must work on its own.
TEST(LibguiInstallation, ProgramsBuiltThroughPkgConfigAndFindPackageTalkToEachOther) {
    EinkRoot root;
    const std::string prefix = root.dir() + "/prefix";
    struct Way {
        const char* name;
        const char* args;
    } const ways[] = {{"pkgconfig", ""}, {"findpackage", "-DEXAMPLES_FIND_PACKAGE=ON"}};
    for (Way const& way : ways)
        ASSERT_TRUE(BuildExamples(prefix, root.dir() + "/" + way.name, "hello", way.args)) << way.name;

    // What a user's build sees.
    std::string pc;
    ASSERT_EQ(Shell("PKG_CONFIG_PATH=" + prefix + "/lib/pkgconfig pkg-config --cflags --libs libgui", &pc), 0) << pc;
    EXPECT_NE(pc.find("include/libgui"), std::string::npos) << pc;
    EXPECT_NE(pc.find("-lgui"), std::string::npos) << pc;
    // The package names the installed library and headers, relative to its own place.
    const std::string targets = ReadFile(prefix + "/lib/cmake/libgui/libguiTargets.cmake");
    EXPECT_NE(targets.find("add_library(libgui::libgui SHARED IMPORTED)"), std::string::npos) << targets;
    EXPECT_NE(targets.find("\"${_IMPORT_PREFIX}/include/libgui\""), std::string::npos) << targets;
    EXPECT_EQ(targets.find(root.dir()), std::string::npos) << "absolute paths in the package";

    // The installed headers stand alone: no wire details from the source tree.
    const std::string inc = prefix + "/include/libgui";
    DIR* d = opendir(inc.c_str());
    ASSERT_NE(d, nullptr);
    int headers = 0;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name.size() < 3 || name.compare(name.size() - 2, 2, ".h") != 0) continue;
        ++headers;
        std::string text = ReadFile(inc + "/" + name);
        EXPECT_EQ(text.find("#include \"protocol/"), std::string::npos) << name;
        EXPECT_EQ(text.find("#include \"platform/"), std::string::npos) << name;
    }
    closedir(d);
    EXPECT_GE(headers, 3);

    // Two instances through the real server: one of each build.
    ServerProcess server(root);
    ASSERT_TRUE(server.Start());
    const std::string env = "EINK_ROOT=" + root.dir() + " ";
    const std::string first = ShellCommandFor(root.dir() + "/pkgconfig/hello");
    const std::string second = ShellCommandFor(root.dir() + "/findpackage/hello");
    std::string both = "(" + env + first + " first > " + root.dir() + "/one.log 2>&1; echo $? >> " + root.dir() +
                       "/one.log) & " + env + second + " second > " + root.dir() + "/two.log 2>&1; echo $? >> " +
                       root.dir() + "/two.log; wait";
    std::string ignored;
    Shell(both, &ignored);
    const std::string one = ReadFile(root.dir() + "/one.log");
    const std::string two = ReadFile(root.dir() + "/two.log");
    EXPECT_NE(one.find("\n0\n"), std::string::npos) << one;
    EXPECT_NE(two.find("\n0\n"), std::string::npos) << two;
    // One greets, the other answers, each prints what it received.
    std::string all = one + two;
    EXPECT_NE(all.find("sent \"greetings from hello."), std::string::npos) << all;
    EXPECT_NE(all.find("received \"greetings from hello."), std::string::npos) << all;
    EXPECT_NE(all.find("received \"and greetings back from hello."), std::string::npos) << all;
}

// The guide quotes its code from files: every quote must be its file, word
// for word, every C++ block must be such a quote, and every snippet file must
// be quoted. The files then build against the installed library, with
// warnings as errors.
TEST(LibguiInstallation, TheGuidesCodeIsItsSnippetFilesAndBuildsAgainstTheInstalledLibrary) {
    const std::string source = EINK_SOURCE_DIR;
    std::istringstream guide(ReadFile(source + "/docs/guide.md"));
    std::set<std::string> quoted;
    std::string line, marker;
    int lineNo = 0, blocks = 0;
    while (std::getline(guide, line)) {
        ++lineNo;
        const std::string open = "<!-- snippet: ", close = " -->";
        if (line.rfind(open, 0) == 0 && line.size() > open.size() + close.size()) {
            marker = line.substr(open.size(), line.size() - open.size() - close.size());
            continue;
        }
        if (line.rfind("```", 0) != 0 || line == "```") {
            marker.clear();
            continue;
        }
        // An opening fence: its text runs to the closing one.
        const int start = lineNo;
        std::string text;
        while (std::getline(guide, line) && line != "```") {
            ++lineNo;
            text += line + "\n";
        }
        ++lineNo;
        if (marker.empty()) {
            EXPECT_NE(line.substr(0, 6), "```cpp") << "guide.md:" << start << ": C++ code that no file holds";
            continue;
        }
        ++blocks;
        quoted.insert(marker);
        EXPECT_EQ(text, ReadFile(source + "/" + marker))
            << "guide.md:" << start << " differs from " << marker << " (copy the file into the guide again)";
        marker.clear();
    }
    EXPECT_GE(blocks, 10);
    DIR* d = opendir((source + "/docs/snippets").c_str());
    ASSERT_NE(d, nullptr);
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".cpp") == 0 && name != "parts_main.cpp") {
            EXPECT_TRUE(quoted.count("docs/snippets/" + name)) << name << " is not quoted in the guide";
        }
    }
    closedir(d);

    EinkRoot root;
    const std::string prefix = root.dir() + "/prefix", out = root.dir() + "/snippets";
    std::string log;
    ASSERT_EQ(Shell("cmake --install " EINK_BINARY_DIR " --prefix " + prefix + " --component libgui", &log), 0) << log;
    std::string flags;
    if (*EINK_TOOLCHAIN_FILE) flags = " -DCMAKE_TOOLCHAIN_FILE=" EINK_TOOLCHAIN_FILE;
    ASSERT_EQ(Shell("cmake -S " + source + "/docs/snippets -B " + out + " -G Ninja -DCMAKE_PREFIX_PATH=" + prefix +
                        flags + " && cmake --build " + out,
                    &log),
              0)
        << log;
}

// The starter, built through the CMake package, runs as the device's main
// program: the script taps through it on the emulated touch screen and fails
// unless the program reports each answer; the panel with the dialog open must
// be the picture the guide shows.
TEST(LibguiInstallation, TheStarterRunsOnThePanelAsTheGuideShowsIt) {
    if (!testing_eink::ExecPrefix().empty()) GTEST_SKIP() << "the device scripts start programs natively";
    EinkRoot root;
    ASSERT_TRUE(BuildExamples(root.dir() + "/prefix", root.dir() + "/examples", "starter", ""));
    const std::string run = root.dir() + "/run";
    std::string log;
    int status = Shell("EINK_PORT=" + std::to_string(FreePort()) + " EINK_KEY_PORT=" + std::to_string(FreePort()) +
                           " bash " EINK_SOURCE_DIR "/examples/starter/run_starter.sh " WINSERVER_PATH " " +
                           root.dir() + "/examples/starter/starter " + run,
                       &log);
    ASSERT_EQ(status, 0) << log << ReadFile(run + "/starter.log");

    int w = 0, h = 0, gw = 0, gh = 0;
    std::vector<uint8_t> shot = ReadGreyPng(run + "/starter.png", &w, &h);
    std::vector<uint8_t> shown = ReadGreyPng(EINK_SOURCE_DIR "/docs/starter.png", &gw, &gh);
    ASSERT_FALSE(shot.empty());
    ASSERT_FALSE(shown.empty()) << "docs/starter.png is missing";
    ASSERT_EQ(w, gw);
    ASSERT_EQ(h, gh);
    int differ = 0;
    for (size_t i = 0; i < shot.size(); ++i)
        differ += shot[i] != shown[i];
    EXPECT_EQ(differ, 0) << "pixels differ from docs/starter.png; the main job (scripts/run.sh) takes it again";
}

} // namespace
