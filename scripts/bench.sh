#!/usr/bin/env bash
# The benchmarks: builds optimised with them and runs the drawing and text
# benchmarks, each beside x11perf on Xvfb in the same run. Run it on a quiet
# machine; arguments are passed to draw_bench (seconds per operation, name
# filter).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEINK_TESTS=OFF -DEINK_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
"$build/bench/draw_bench" "$@"
"$build/bench/text_bench"
