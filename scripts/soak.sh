#!/usr/bin/env bash
# Soak: winserver built with AddressSanitizer and UndefinedBehaviorSanitizer
# under 200 clients of mixed behaviour for a bounded time, run by hand.
#
#   bash scripts/soak.sh [seconds] [clients]     (default 300 s, 200 clients)
#
# Prints requests executed, connections torn down, the well-behaved
# client's round trips, the server's memory and descriptors at start and
# end, and PASS or FAIL.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
clients=${2:-200}
bash scripts/setup.sh

build=${EINK_SOAK_BUILD:-build-soak}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEINK_SANITIZE=ON -DEINK_BENCH=ON \
  -DEINK_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target winserver soak

# A small quarantine keeps the resident size a measure of the server's own
# memory rather than of freed blocks the sanitizer holds back.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=16}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# 200 clients and their connections need more than the usual 1024 descriptors.
ulimit -n 4096 2>/dev/null || true
exec "$build/bench/soak" --seconds "$seconds" --clients "$clients" --server "$build/winserver"
