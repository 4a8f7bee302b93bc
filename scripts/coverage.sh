#!/usr/bin/env bash
# Line and branch coverage of server/, gui/, platform/ and protocol/ under the
# whole test suite. Builds with gcov instrumentation into its own directory
# (EINK_COV_BUILD, default build-cov), clears the counters, runs every test
# and prints one summary per tree; the full report is left in
# <build>/coverage.json. EINK_COV_TESTS limits the run to the test programs
# it names (space separated; only those and the libraries are built), to
# compare what a few suites cover.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if ! command -v gcovr >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq gcovr
fi

build=${EINK_COV_BUILD:-build-cov}
jobs=${EINK_JOBS:-$(nproc)}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DEINK_COVERAGE=ON -DEINK_BENCH=OFF >/dev/null
find "$build" -name '*.gcda' -delete
if [ -n "${EINK_COV_TESTS:-}" ]; then
  cmake --build "$build" -j"$jobs" --target winserver panel2png $EINK_COV_TESTS
  for t in $EINK_COV_TESTS; do
    (cd "$build" && timeout 600 "tests/$t" --gtest_brief=1) || echo "coverage: $t failed, figures are still printed"
  done
else
  cmake --build "$build" -j"$jobs"
  (cd "$build" && ctest -j"$jobs" --timeout 300 --output-on-failure) || echo "coverage: some tests failed, figures are still printed"
fi

# Generated tables are data, not code under test.
gcovr -r . --object-directory "$build" -j"$jobs" \
  --filter '(server|gui|platform|protocol)/' --exclude '.*_test\.cpp$' --exclude 'gui/runtime/gbtables\.cpp' \
  --exclude-throw-branches --exclude-unreachable-branches \
  --json "$build/coverage.json" >/dev/null

printf '%-10s %8s %8s %8s %8s\n' tree lines line% branches branch%
for tree in server gui platform protocol; do
  gcovr -a "$build/coverage.json" --filter "$tree/" --json-summary - | python3 -c '
import json, sys
d = json.load(sys.stdin)
print("%-10s %8d %7.1f%% %8d %7.1f%%" % (sys.argv[1], d["line_total"], d["line_percent"], d["branch_total"], d["branch_percent"]))' "$tree"
done
