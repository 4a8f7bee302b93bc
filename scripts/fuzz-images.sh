#!/usr/bin/env bash
# Builds the image readers' fuzz targets with clang and libFuzzer and runs each
# for the given number of seconds (default 600), niced, starting from the
# committed corpus under fuzz/corpus/image_<format>/. New inputs go to a work
# corpus in the build folder; crashing inputs to its artifacts/ folder (copy
# them into the committed corpus as regression cases).
#   bash scripts/fuzz-images.sh [seconds] [format ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
formats=("$@")
[ ${#formats[@]} -eq 0 ] && formats=(gif jpeg png bmp xpm)

missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
bash scripts/setup.sh

build=${EINK_FUZZ_BUILD:-build-fuzz-images}
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DEINK_FUZZ=ON -DEINK_TESTS=OFF -DEINK_BENCH=OFF -DEINK_SANITIZE=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
targets=()
for f in "${formats[@]}"; do targets+=("image_${f}_fuzz"); done
nice cmake --build "$build" -j2 --target "${targets[@]}"

mkdir -p "$build/artifacts"
for f in "${formats[@]}"; do
  work="$build/corpus/image_$f"
  mkdir -p "$work"
  echo "== image_${f}_fuzz for ${seconds}s"
  nice -n 19 "$build/image_${f}_fuzz" "$work" "fuzz/corpus/image_$f" \
    -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$build/artifacts/image_${f}_" -print_final_stats=1 2>&1 |
    tee "$build/image_${f}_fuzz.log" | grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done|==[0-9]+==ERROR|SUMMARY)' || true
done
