// What a push costs the CPU: CopyFB (ScreenBuffer -> FrontBuffer) plus the
// conversion to the 4-bit panel format, for both panel sizes, beside a plain
// memcpy of the screen's bytes in the same run (the physical limit: the
// conversion reads that many bytes and CopyFB copies them once).
//
//   panel_bench [rounds]     (default 2000 per measurement)
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/framebuffer.h"
#include "render/apollo.h"

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the compiler from dropping work whose result nobody reads.
void Touch(void* p) { asm volatile("" : : "g"(p) : "memory"); }

// Median time of one call in microseconds.
template <class F> double Median(int rounds, F f) {
    std::vector<double> t;
    t.reserve(size_t(rounds));
    for (int i = 0; i < 20; ++i)
        f(); // warm the caches
    for (int i = 0; i < rounds; ++i) {
        auto a = Clock::now();
        f();
        auto b = Clock::now();
        t.push_back(std::chrono::duration<double, std::micro>(b - a).count());
    }
    std::nth_element(t.begin(), t.begin() + t.size() / 2, t.end());
    return t[t.size() / 2];
}

bool MakePanel(const std::string& root, int w, int h) {
    std::string fb = root + "/dev/fb0";
    std::ofstream(fb, std::ios::binary | std::ios::trunc) << std::string(size_t(w) * h / 2, '\0');
    std::ofstream(fb + ".mode", std::ios::trunc) << w << " " << h << "\n";
    return bool(std::ifstream(fb));
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? atoi(argv[1]) : 2000;
    if (rounds < 10) rounds = 10;
    char tmpl[] = "/tmp/panel-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    std::string root = tmpl;
    mkdir((root + "/dev").c_str(), 0755);
    setenv("EINK_ROOT", root.c_str(), 1);

    printf("%-10s %12s %12s %12s %12s %9s\n", "panel", "memcpy us", "CopyFB us", "convert us", "both us",
           "both/memcpy");
    bool within = true;
    for (auto [w, h] : {std::pair<int, int>{600, 800}, {824, 1200}}) {
        if (!MakePanel(root, w, h) || !InitScreen()) {
            fprintf(stderr, "panel_bench: cannot set up a %d x %d panel\n", w, h);
            return 1;
        }
        size_t bytes = size_t(w) * size_t(h);
        for (size_t i = 0; i < bytes; ++i)
            g_screen->screenBuffer[i] = uint8_t(i * 31 + (i >> 9));
        std::vector<uint8_t> src(g_screen->screenBuffer, g_screen->screenBuffer + bytes), dst(bytes);
        std::vector<uint8_t> panel(bytes / 2);

        double copy = Median(rounds, [&] {
            memcpy(dst.data(), src.data(), bytes);
            Touch(dst.data());
        });
        double copyFB = Median(rounds, [&] {
            CopyFB();
            Touch(g_screen->frontBuffer);
        });
        double convert = Median(rounds, [&] {
            SS_ConvertFrontBuffer(panel.data(), panel.size());
            Touch(panel.data());
        });
        double both = Median(rounds, [&] {
            CopyFB();
            SS_ConvertFrontBuffer(panel.data(), panel.size());
            Touch(panel.data());
        });
        double plain = Median(rounds / 4 + 1, [&] {
            eink::ConvertToPanelReference(g_screen->frontBuffer, panel.data(), bytes);
            Touch(panel.data());
        });
        char name[32];
        snprintf(name, sizeof name, "%dx%d", w, h);
        printf("%-10s %12.1f %12.1f %12.1f %12.1f %8.2fx   (byte-at-a-time conversion: %.1f us)\n", name, copy, copyFB,
               convert, both, both / copy, plain);
        if (both > 3 * copy) within = false;
    }
    printf("target: CopyFB + conversion within 3x of memcpy of the screen: %s\n", within ? "met" : "NOT met");
    std::string cmd = "rm -rf " + root;
    if (system(cmd.c_str()) != 0) return 1;
    return 0;
}
