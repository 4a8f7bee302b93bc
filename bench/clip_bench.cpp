// Cost of restacking among 50 overlapping top-level windows, against the
// copy of one 600 x 800 screen image (the target: a raise costs less).
//
//   clip_bench [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "render/apollo.h"
#include "window/sswindow.h"

namespace {

constexpr int kW = 600, kH = 800, kWindows = 50;

std::vector<uint8_t> g_image(size_t(kW) * kH, 192), g_copy(size_t(kW) * kH);
SSScreen g_benchScreen{kW, kH, 8, g_image.data(), g_copy.data(), false};

// 50 mapped top-level windows that overlap their neighbours, each with a
// child, as a reader's stacked dialogs and menus would.
void BuildScene() {
    g_screen = &g_benchScreen;
    SS_ResetWindows();
    for (int i = 0; i < kWindows; ++i) {
        uint32_t id = uint32_t(0x100 + i);
        SSWindow* w = SS_CreateWindow(nullptr, id, 0, (i * 37) % 400, (i * 53) % 600, 200, 200, 0xFF, 1);
        SS_CreateWindow(nullptr, id + 0x1000, id, 10, 10, 100, 30, 0xFF, 1);
        SS_MapWindow(SS_FindWindow(id + 0x1000), true);
        SS_MapWindow(w, false);
    }
}

// Raises the bottom-most window: it passes all 49 others, whose clips and
// the exposure are recomputed.
void BM_RaiseBottomOf50(benchmark::State& state) {
    BuildScene();
    for (auto _ : state)
        SS_RaiseWindow(g_rootWindow->lastChild);
    SS_ResetWindows();
}

// The recomputation alone, of every top-level window and its child.
void BM_UpdateClipsOf50(benchmark::State& state) {
    BuildScene();
    for (auto _ : state)
        SS_UpdateClipsFrom(g_rootWindow->firstChild);
    SS_ResetWindows();
}

// Clip of a copy into a half-covered window.
void BM_ClipToWindow(benchmark::State& state) {
    BuildScene();
    SSWindow* w = g_rootWindow->lastChild;
    for (auto _ : state) {
        SSRegion* r = SS_ClipToWindow(w, SSRect{0, 0, 200, 200});
        benchmark::DoNotOptimize(r);
        SS_FreeRegion(r);
    }
    SS_ResetWindows();
}

void BM_CopyScreen600x800(benchmark::State& state) {
    for (auto _ : state) {
        memcpy(g_copy.data(), g_image.data(), g_image.size());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(BM_RaiseBottomOf50);
BENCHMARK(BM_UpdateClipsOf50);
BENCHMARK(BM_ClipToWindow);
BENCHMARK(BM_CopyScreen600x800);

BENCHMARK_MAIN();
