// The panel emulator window (tools/eink-emu) under Xvfb, against the real
// server and a libgui client started by the server as the device's main
// program: the window's pixels, read back from the X server, are the panel's;
// keys typed into the window reach the client as the device's key codes; a
// click or drag at a window position reaches the client at the matching panel
// position, 1:1 and scaled; and the emulator sleeps while nothing changes.
//
// The client is this test program started again with EINK_EMU_CLIENT set.
// Without Xvfb, xdotool, xwd or a built eink-emu (SDL2 missing) the tests
// skip and say why.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_color.h"
#include "gl_window.h"
#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"

using namespace testing_eink;

namespace {

// The client's main window, with a black child and a row of 16 swatches in
// the 16 grey levels the panel can show (grey 255 - 17 n is panel nibble n).
constexpr int kMainX = 50, kMainY = 90, kMainW = 500, kMainH = 320;
constexpr int kSwatchX = 10, kSwatchY = 260, kSwatchW = 30, kSwatchH = 40;

// ---- The client ----------------------------------------------------------------------------

FILE* gLog = nullptr;

class LoggingWindow : public GL_Window {
public:
    using GL_Window::GL_Window;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        fprintf(gLog, "KeyIn %u %u\n", code, unsigned(released));
        fflush(gLog);
        return GL_Window::KeyIn(text, len, code, code2, mod, released);
    }
    int MouseDown(int x, int y, unsigned char b) override {
        fprintf(gLog, "MouseDown %d %d\n", x, y);
        fflush(gLog);
        return GL_Window::MouseDown(x, y, b);
    }
    int MouseUp(int x, int y, unsigned char b) override {
        fprintf(gLog, "MouseUp %d %d\n", x, y);
        fflush(gLog);
        return GL_Window::MouseUp(x, y, b);
    }
};

int RunClientIfAsked() {
    if (!getenv("EINK_EMU_CLIENT")) return 0;
    gLog = fopen(getenv("EINK_EMU_LOG"), "a");
    if (!gLog) _exit(5);
    char name[] = "emuclient";
    char ws[] = "-ws";
    char* argv[] = {name, ws, nullptr};
    if (!egui_init(2, argv)) _exit(6);
    auto* main = new LoggingWindow(nullptr, "main", kMainX, kMainY, kMainW, kMainH, 128, 0);
    new GL_Window(main, "black", 20, 20, 100, 80, iBlackS, 0);
    for (int n = 0; n < 16; ++n)
        new GL_Window(main, "swatch", kSwatchX + n * kSwatchW, kSwatchY, kSwatchW, kSwatchH, 255 - 17 * n, 0);
    main->ShowWindow(0);
    fprintf(gLog, "shown %lu\n", main->GetWindowId());
    fflush(gLog);
    egui_loop();
    return 0;
}

const int gClientRan = RunClientIfAsked();

// ---- Helpers ------------------------------------------------------------------------------------

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool WaitForText(const std::string& path, const std::string& text, int ms) {
    long long until = MonoMs() + ms;
    while (MonoMs() < until) {
        if (ReadFile(path).find(text) != std::string::npos) return true;
        SleepMs(20);
    }
    return false;
}

bool HaveProgram(const char* name) {
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return system(cmd.c_str()) == 0;
}

// Runs a shell command with the test's X display; true when it exits 0
// within 30 seconds.
bool Sh(const std::string& cmd) { return system(("timeout 30 sh -c '" + cmd + "'").c_str()) == 0; }

std::string EmulatorPath() { return std::string(EINK_BINARY_DIR) + "/tools/eink-emu"; }

// A grey picture read back from the X server (xwd's format: a header of
// big-endian 32-bit words, the window name, a colour table, then the pixels).
struct Picture {
    int width = 0, height = 0;
    std::vector<int> grey; // -1 where red, green and blue differ
    int at(int x, int y) const { return grey[size_t(y) * width + x]; }
};

bool ReadXwd(const std::string& path, Picture* out, std::string* why) {
    std::string d = ReadFile(path);
    auto word = [&](size_t i) {
        const auto* p = reinterpret_cast<const unsigned char*>(d.data()) + 4 * i;
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    };
    if (d.size() < 100) return *why = "short xwd file", false;
    const uint32_t header = word(0), format = word(2), width = word(4), height = word(5), byteOrder = word(7),
                   bpp = word(11), bpl = word(12), redMask = word(14), greenMask = word(15), blueMask = word(16),
                   colours = word(19);
    if (format != 2 || bpp != 32) return *why = "xwd: not a 32-bit ZPixmap", false;
    const size_t start = size_t(header) + size_t(colours) * 12;
    if (d.size() < start + size_t(bpl) * height) return *why = "xwd: truncated", false;
    auto channel = [](uint32_t v, uint32_t mask) {
        int shift = 0;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        return int((v >> shift) & mask);
    };
    out->width = int(width);
    out->height = int(height);
    out->grey.assign(size_t(width) * height, -1);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const auto* p = reinterpret_cast<const unsigned char*>(d.data()) + start + size_t(y) * bpl + 4 * x;
            uint32_t v = byteOrder ? (uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3])
                                   : (uint32_t(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0]);
            int r = channel(v, redMask), g = channel(v, greenMask), b = channel(v, blueMask);
            if (r == g && g == b) out->grey[size_t(y) * width + x] = r;
        }
    return true;
}

// Differences between the window picture and the panel PNG shown `scale`
// times larger: empty when every window pixel is its panel pixel.
std::string Mismatch(const Picture& win, const std::vector<uint8_t>& png, int pw, int ph, int scale) {
    std::ostringstream why;
    if (win.width != pw * scale || win.height != ph * scale) {
        why << "window " << win.width << "x" << win.height << ", panel " << pw << "x" << ph << " at scale " << scale;
        return why.str();
    }
    int bad = 0;
    for (int y = 0; y < win.height; ++y)
        for (int x = 0; x < win.width; ++x) {
            int want = png[size_t(y / scale) * pw + x / scale];
            if (win.at(x, y) != want && bad++ < 3)
                why << "(" << x << "," << y << ") is " << win.at(x, y) << ", panel " << want << "; ";
        }
    if (bad) why << bad << " pixels differ";
    return why.str();
}

// Context switches and processor ticks of every thread of a process.
void ProcessActivity(pid_t pid, long* switches, long* ticks) {
    *switches = 0;
    std::string base = "/proc/" + std::to_string(pid);
    if (DIR* dir = opendir((base + "/task").c_str())) {
        while (dirent* e = readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            std::istringstream in(ReadFile(base + "/task/" + e->d_name + "/status"));
            std::string line;
            while (std::getline(in, line))
                if (line.find("ctxt_switches:") != std::string::npos)
                    *switches += atol(line.c_str() + line.find(':') + 1);
        }
        closedir(dir);
    }
    // Fields 14 and 15 of stat (user and system time), after the command in parentheses.
    std::string stat = ReadFile(base + "/stat");
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = atol(field.c_str());
        if (i == 15) stime = atol(field.c_str());
    }
    *ticks = utime + stime;
}

// ---- One X server for the whole suite --------------------------------------------------

pid_t gXvfb = -1;
std::string gDisplay, gNoX;

void StartXvfb() {
    if (!HaveProgram("Xvfb")) {
        gNoX = "Xvfb is not installed";
        return;
    }
    int fds[2];
    if (pipe(fds) != 0) return;
    gXvfb = fork();
    if (gXvfb == 0) {
        close(fds[0]);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1700x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buf[32] = {};
    ssize_t n = 0, got;
    while (n < ssize_t(sizeof buf) - 1 && (got = read(fds[0], buf + n, sizeof buf - 1 - n)) > 0) {
        n += got;
        if (memchr(buf, '\n', size_t(n))) break;
    }
    close(fds[0]);
    if (n <= 0) {
        gNoX = "Xvfb did not start";
        return;
    }
    gDisplay = ":" + std::to_string(atoi(buf));
    setenv("DISPLAY", gDisplay.c_str(), 1);
}

class EinkEmu : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartXvfb(); }
    static void TearDownTestSuite() {
        if (gXvfb > 0) {
            kill(gXvfb, SIGTERM);
            waitpid(gXvfb, nullptr, 0);
            gXvfb = -1;
        }
    }

    void SetUp() override {
        signal(SIGPIPE, SIG_IGN);
        if (access(EmulatorPath().c_str(), X_OK) != 0) GTEST_SKIP() << "eink-emu was not built (SDL2 not found)";
        if (!gNoX.empty()) GTEST_SKIP() << gNoX;
        for (const char* tool : {"xdotool", "xwd"})
            if (!HaveProgram(tool)) GTEST_SKIP() << tool << " is not installed";
    }

    void TearDown() override {
        if (emu_ > 0) {
            kill(emu_, SIGTERM);
            waitpid(emu_, nullptr, 0);
        }
        // The client ends with the server's connection; make sure.
        std::string pid = ReadFile(root.Path("/tmp/client.pid"));
        if (!pid.empty()) kill(atoi(pid.c_str()), SIGKILL);
        server.Kill();
    }

    // Server, emulator window (with `emuArgs`), and the long press of the
    // lock key typed into the window, which makes the server start the client.
    void StartAll(const std::vector<std::string>& emuArgs) {
        MakeEventFifos(root);
        root.MakeFifo("/dev/ts");
        char self[4096];
        ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        ASSERT_GT(n, 0);
        self[n] = '\0';
        log_ = root.Path("/tmp/client.log");
        std::string script =
            root.Write("/mnt/us/velmora/bin/velmora",
                       "#!/bin/sh\necho $$ > '" + root.Path("/tmp/client.pid") + "'\nEINK_EMU_CLIENT=1 EINK_EMU_LOG='" +
                           log_ + "' exec '" + self + "' \"$@\" > '" + root.Path("/tmp/client.out") + "' 2>&1\n");
        ASSERT_EQ(chmod(script.c_str(), 0755), 0);
        ASSERT_TRUE(server.Start({}, {"EINK_INPUT=touch"})) << server.Output();

        std::string out = root.Path("/tmp/emu.out");
        emu_ = fork();
        if (emu_ == 0) {
            int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            setenv("EINK_ROOT", root.dir().c_str(), 1);
            setenv("ASAN_OPTIONS", "detect_leaks=0", 1); // the X libraries keep what they allocate
            std::vector<char*> argv{const_cast<char*>("eink-emu")};
            for (const std::string& a : emuArgs)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(EmulatorPath().c_str(), argv.data());
            _exit(127);
        }
        long long until = MonoMs() + 10000;
        std::string text;
        while (MonoMs() < until) {
            text = ReadFile(out);
            if (text.find("window 0x") != std::string::npos) break;
            int status;
            if (waitpid(emu_, &status, WNOHANG) == emu_) {
                emu_ = -1;
                if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
                    GTEST_SKIP() << "SDL cannot open a display: " << text;
                FAIL() << "eink-emu ended: " << text;
            }
            SleepMs(20);
        }
        size_t at = text.find("window 0x");
        ASSERT_NE(at, std::string::npos) << text;
        window_ = text.substr(at + 7, text.find(',', at) - at - 7);
        ASSERT_NE(window_, "0x0") << "no X window: " << text;

        // Keys go to the focused window; there is no window manager to give
        // it the focus.
        ASSERT_TRUE(Sh("xdotool windowfocus --sync " + window_));
        ASSERT_TRUE(Sh("xdotool keydown F12 && sleep 1 && xdotool keyup F12"));
        ASSERT_TRUE(server.WaitForOutput("lock old system2", 5000)) << server.Output() << ReadFile(out);
        ASSERT_TRUE(WaitForText(log_, "shown", 10000)) << ReadFile(root.Path("/tmp/client.out"));
    }

    // Waits until the window read back through the X server equals the panel
    // picture; the last difference in `why`.
    bool WindowShowsPanel(int scale, int ms, std::string* why, Picture* shown) {
        long long until = MonoMs() + ms;
        do {
            int pw = 0, ph = 0;
            std::vector<uint8_t> png = ReadGreyPng(root.Path("/dev/fb0.png"), &pw, &ph);
            std::string xwd = root.Path("/tmp/window.xwd");
            if (!png.empty() && Sh("xwd -silent -id " + window_ + " -out \"" + xwd + "\"") &&
                ReadXwd(xwd, shown, why)) {
                *why = Mismatch(*shown, png, pw, ph, scale);
                if (why->empty()) return true;
            }
            SleepMs(200);
        } while (MonoMs() < until);
        return false;
    }

    std::string ClientLog() { return ReadFile(log_); }

    EinkRoot root;
    ServerProcess server{root};
    pid_t emu_ = -1;
    std::string window_, log_;
};

class EinkEmuScaled : public EinkEmu, public ::testing::WithParamInterface<int> {};

TEST_P(EinkEmuScaled, TheWindowShowsThePanelInItsSixteenGreysAndSleepsWhileIdle) {
    const int scale = GetParam();
    {
        StartAll({"--scale", std::to_string(scale)});
        if (HasFatalFailure() || IsSkipped()) return;
        WaitPanelQuiet(root, 1500);
        std::string why;
        Picture shown;
        ASSERT_TRUE(WindowShowsPanel(scale, 10000, &why, &shown)) << why;
        std::set<int> greys;
        for (int n = 0; n < 16; ++n)
            greys.insert(
                shown.at((kMainX + kSwatchX + n * kSwatchW + kSwatchW / 2) * scale, (kMainY + kSwatchY + 5) * scale));
        std::set<int> want;
        for (int n = 0; n < 16; ++n)
            want.insert(255 - 17 * n);
        EXPECT_EQ(greys, want) << "the swatches show the 16 panel greys";

        // Idle: while no update comes, the emulator neither wakes nor computes.
        // A measurement that an update interrupts is taken again.
        long switches = -1, ticks = -1;
        for (int attempt = 0; attempt < 3 && switches < 0; ++attempt) {
            size_t updates = WaitPanelQuiet(root, 1000);
            long switches0, ticks0, switches1, ticks1;
            ProcessActivity(emu_, &switches0, &ticks0);
            SleepMs(3000);
            ProcessActivity(emu_, &switches1, &ticks1);
            if (PanelUpdates(root).size() != updates) continue;
            switches = switches1 - switches0;
            ticks = ticks1 - ticks0;
        }
        ASSERT_GE(switches, 0) << "the panel never stayed quiet for 3 s";
        printf("eink-emu idle over 3 s at scale %d: %ld context switches, %ld clock ticks of CPU\n", scale, switches,
               ticks);
        EXPECT_LE(switches, 5) << "the emulator wakes up while nothing changes";
        EXPECT_LE(ticks, 2);
    }
}

TEST_F(EinkEmu, KeysTypedIntoTheWindowReachTheClientAsTheDeviceKeyCodes) {
    StartAll({});
    if (HasFatalFailure() || IsSkipped()) return;
    const struct {
        const char* key;
        unsigned code;
    } cases[] = {
        {"Up", 20},    {"Down", 21},    {"Left", 22}, {"Right", 23}, {"Return", 194}, {"Prior", 104},
        {"Next", 109}, {"Escape", 158}, {"5", 53},    {"KP_7", 55},  {"a", 97},       {"i", 105},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ASSERT_TRUE(Sh(std::string("xdotool key ") + c.key));
        std::string press = "KeyIn " + std::to_string(c.code) + " 0\n",
                    release = "KeyIn " + std::to_string(c.code) + " 1\n";
        EXPECT_TRUE(WaitForText(log_, release, 3000)) << ClientLog();
        EXPECT_NE(ClientLog().find(press), std::string::npos) << ClientLog();
    }
    // A key without a device key sends nothing.
    size_t before = ClientLog().size();
    ASSERT_TRUE(Sh("xdotool key z"));
    SleepMs(300);
    EXPECT_EQ(ClientLog().size(), before) << ClientLog();

    // Held: a press, then automatic repeats (presses again) until the release.
    before = ClientLog().size();
    ASSERT_TRUE(Sh("xdotool keydown Down && sleep 1 && xdotool keyup Down"));
    long long until = MonoMs() + 3000;
    while (ClientLog().find("KeyIn 21 1", before) == std::string::npos && MonoMs() < until)
        SleepMs(20);
    std::string held = ClientLog().substr(before);
    size_t presses = 0;
    for (size_t p = held.find("KeyIn 21 0"); p != std::string::npos; p = held.find("KeyIn 21 0", p + 1))
        ++presses;
    EXPECT_NE(held.find("KeyIn 21 1"), std::string::npos) << held;
    EXPECT_GE(presses, 3u) << "press and repeats of a key held for a second:\n" << held;
}

TEST_P(EinkEmuScaled, ClicksAndDragsArriveAtTheMatchingPanelPosition) {
    const int scale = GetParam();
    {
        StartAll({"--scale", std::to_string(scale)});
        if (HasFatalFailure() || IsSkipped()) return;
        // Window positions; the client hears panel positions relative to its window.
        const int x1 = (kMainX + 150) * scale + scale - 1, y1 = (kMainY + 33) * scale;
        const int x2 = (kMainX + 217) * scale, y2 = (kMainY + 101) * scale + scale - 1;
        ASSERT_TRUE(Sh("xdotool mousemove --window " + window_ + " " + std::to_string(x1) + " " + std::to_string(y1) +
                       " click 1"));
        EXPECT_TRUE(WaitForText(log_, "MouseDown 150 33\nMouseUp 150 33\n", 3000)) << ClientLog();
        ASSERT_TRUE(Sh("xdotool mousemove --window " + window_ + " " + std::to_string(x1) + " " + std::to_string(y1) +
                       " mousedown 1 mousemove --window " + window_ + " " + std::to_string(x2) + " " +
                       std::to_string(y2) + " mouseup 1"));
        EXPECT_TRUE(WaitForText(log_, "MouseDown 150 33\nMouseUp 217 101\n", 3000)) << ClientLog();
    }
}

INSTANTIATE_TEST_SUITE_P(Scale, EinkEmuScaled, ::testing::Values(1, 2));

} // namespace
