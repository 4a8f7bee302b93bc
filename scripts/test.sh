#!/usr/bin/env bash
# The test command: installs what is missing, builds everything once with
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test.
# Then it cross-builds for the device (32-bit ARM) and runs every test again
# under qemu (scripts/test-armhf.sh); EINK_ARMHF=0 leaves that stage out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=${EINK_TEST_BUILD:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEINK_SANITIZE=ON -DEINK_BENCH=OFF
cmake --build "$build" -j"$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 300)

if [ "${EINK_ARMHF:-1}" != 0 ]; then
  bash scripts/test-armhf.sh
fi
