#!/usr/bin/env bash
# Coverage-guided fuzzing: builds every fuzz target with clang and libFuzzer
# (plus AddressSanitizer and UndefinedBehaviorSanitizer, assertions and the
# region checks on) and runs each for the given number of seconds (default
# 60), one after the other, starting from its committed corpus.
#
#   bash scripts/fuzz.sh [seconds] [target...]   (targets: server_requests, text, ...)
#
# New inputs go to build-fuzz/corpus/<target>/ (the committed corpus is only
# read); crashes are written to build-fuzz/crashes/<target>/. A crashing
# input, once fixed, belongs in fuzz/corpus/<target>/ as a regression case.
# EINK_FUZZ_JOBS runs that many targets at once (default 1).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

need=()
command -v clang++ >/dev/null || need+=(clang)
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed" || need+=(libclang-rt-14-dev)
if [ ${#need[@]} -gt 0 ]; then
  bash scripts/setup.sh
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
else
  bash scripts/setup.sh
fi

build=${EINK_FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 -g" \
  -DCMAKE_C_FLAGS="-O1 -g" -DEINK_FUZZ=ON -DEINK_TESTS=OFF -DEINK_BENCH=OFF >/dev/null
targets=()
for t in "$@"; do targets+=("${t%_fuzz}_fuzz"); done # "text" and "text_fuzz" alike
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do
    grep -q '^EINK_FUZZ_TARGET(' "$f" && targets+=("$(basename "$f" .cpp)")
  done
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
# Absolute paths: a target may change its working directory.
build=$(cd "$build" && pwd)
seeds=$(pwd)/fuzz/corpus

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
run_one() {
  local bin=$1 name=${1%_fuzz}
  local corpus=$build/corpus/$name crashes=$build/crashes/$name
  mkdir -p "$corpus" "$crashes"
  local opts=()
  [ -f "fuzz/$name.options" ] && read -r -a opts <"fuzz/$name.options"
  echo "== $name: $seconds s"
  # The diagnostics of the code under test are noise here (stdout closed,
  # the server's and libgui's lines dropped); libFuzzer reports on stderr.
  "$build/fuzz/$bin" "$corpus" "$seeds/$name" -max_total_time="$seconds" -close_fd_mask=1 \
    -artifact_prefix="$crashes/" -print_final_stats=1 "${opts[@]}" 2>&1 |
    grep --line-buffered -Ev '^(winserver: |bad message from server)' | tee "$build/$name.log" |
    grep -E '^#[0-9]+[[:space:]]*(INITED|DONE)|^==[0-9]+==ERROR|^SUMMARY|stat::number_of_executed_units|stat::peak_rss|artifact' || true
}
jobs=${EINK_FUZZ_JOBS:-1}
for t in "${targets[@]}"; do
  run_one "$t" &
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
done
wait
