// libgui as a user gets it: installed with its headers and libgui.pc into a
// prefix, an example program built against that installation only through
// pkg-config, and two instances of it talking through the real server.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "harness/eink_root.h"
#include "harness/launcher.h"
#include "harness/server_process.h"

namespace {

using testing_eink::EinkRoot;
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

TEST(LibguiInstallation, AProgramBuiltThroughPkgConfigAgainstTheInstalledLibraryTalksToAnotherInstance) {
    EinkRoot root;
    const std::string prefix = root.dir() + "/prefix", out = root.dir() + "/examples";
    std::string flags;
#if defined(__SANITIZE_ADDRESS__)
    flags = " -DEXAMPLES_SANITIZE=ON";
#endif
    // A cross-built library needs a cross-built program.
    if (*EINK_TOOLCHAIN_FILE) flags += " -DCMAKE_TOOLCHAIN_FILE=" EINK_TOOLCHAIN_FILE;
    std::string log;
    ASSERT_EQ(Shell("EXAMPLES_TARGET=hello bash " EINK_SOURCE_DIR "/examples/build.sh " EINK_BINARY_DIR " " + prefix +
                        " " + out + flags,
                    &log),
              0)
        << log;

    // What a user's build sees.
    std::string pc;
    ASSERT_EQ(Shell("PKG_CONFIG_PATH=" + prefix + "/lib/pkgconfig pkg-config --cflags --libs libgui", &pc), 0) << pc;
    EXPECT_NE(pc.find("include/libgui"), std::string::npos) << pc;
    EXPECT_NE(pc.find("-lgui"), std::string::npos) << pc;

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

    // Two instances through the real server.
    ServerProcess server(root);
    ASSERT_TRUE(server.Start());
    const std::string hello = ShellCommandFor(out + "/hello");
    const std::string env = "EINK_ROOT=" + root.dir() + " ";
    std::string one, two;
    std::string both = "(" + env + hello + " first > " + root.dir() + "/one.log 2>&1; echo $? >> " + root.dir() +
                       "/one.log) & " + env + hello + " second > " + root.dir() + "/two.log 2>&1; echo $? >> " +
                       root.dir() + "/two.log; wait";
    std::string ignored;
    Shell(both, &ignored);
    one = ReadFile(root.dir() + "/one.log");
    two = ReadFile(root.dir() + "/two.log");
    EXPECT_NE(one.find("\n0\n"), std::string::npos) << one;
    EXPECT_NE(two.find("\n0\n"), std::string::npos) << two;
    // One greets, the other answers, each prints what it received.
    std::string all = one + two;
    EXPECT_NE(all.find("sent \"greetings from hello."), std::string::npos) << all;
    EXPECT_NE(all.find("received \"greetings from hello."), std::string::npos) << all;
    EXPECT_NE(all.find("received \"and greetings back from hello."), std::string::npos) << all;
}

} // namespace
