// Region set operations on regions of 1, 10 and 100 boxes.
//
//   region_bench [Google Benchmark flags]
//
// Each iteration copies the first operand (the operations work in place)
// and runs one operation; BM_Dup measures that copy alone.
#include <benchmark/benchmark.h>

#include "window/ssregion.h"

namespace {

// About `n` boxes: a staircase of squares that overlap their neighbours, so
// that bands split and spans merge as in real clip regions.
SSRegion* Staircase(int n, int shift) {
    SSRegion* r = SS_CreateRegion();
    int side = 1;
    while (side * side < n)
        ++side;
    for (int i = 0; i < n; ++i) {
        int col = i % side, row = i / side;
        SS_UnionRect(r, SSRect{shift + col * 40 + (row % 2) * 10, shift + row * 30, 25, 20});
    }
    return r;
}

template <void (*Op)(SSRegion*, const SSRegion*)> void BM_Op(benchmark::State& state) {
    SSRegion* a = Staircase(int(state.range(0)), 0);
    SSRegion* b = Staircase(int(state.range(0)), 12);
    state.counters["boxes_a"] = a->count;
    state.counters["boxes_b"] = b->count;
    for (auto _ : state) {
        SSRegion* r = SS_DupRegion(a);
        Op(r, b);
        benchmark::DoNotOptimize(r->count);
        SS_FreeRegion(r);
    }
    SS_FreeRegion(a);
    SS_FreeRegion(b);
}

void BM_Dup(benchmark::State& state) {
    SSRegion* a = Staircase(int(state.range(0)), 0);
    for (auto _ : state) {
        SSRegion* r = SS_DupRegion(a);
        benchmark::DoNotOptimize(r->boxes);
        SS_FreeRegion(r);
    }
    SS_FreeRegion(a);
}

void BM_Union(benchmark::State& s) { BM_Op<SS_UnionRegion>(s); }
void BM_Subtract(benchmark::State& s) { BM_Op<SS_SubtractRegion>(s); }
void BM_Intersect(benchmark::State& s) { BM_Op<SS_IntersectRegion>(s); }

} // namespace

BENCHMARK(BM_Union)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(BM_Subtract)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(BM_Intersect)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(BM_Dup)->Arg(1)->Arg(10)->Arg(100);

BENCHMARK_MAIN();
