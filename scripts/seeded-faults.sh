#!/usr/bin/env bash
# Seeded faults: each patch in scripts/faults/ plants one small fault. The
# patch is applied alone, the build directory is brought up to date
# incrementally, the test binaries named on the patch's "# tests:" line run,
# and the patch is reverted. Every fault must make at least one of them fail.
# Beforehand the same binaries run once on the unpatched tree and must pass,
# so that a failure really is the fault's doing.
#   bash scripts/seeded-faults.sh [patch...]     (default: every patch)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${EINK_FAULT_BUILD:-build-test}
jobs=${EINK_JOBS:-$(nproc)}
if [ $# -gt 0 ]; then patches=("$@"); else patches=(scripts/faults/*.patch); fi
[ -f "$build/build.ninja" ] ||
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEINK_SANITIZE=ON -DEINK_BENCH=OFF >/dev/null

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
log=$(mktemp -d)
applied=""
# patch(1) rather than git apply: git ignores paths outside the current
# directory when run in a subdirectory of another checkout.
apply() { patch -s -p1 --no-backup-if-mismatch "$@"; }
revert() { [ -n "$applied" ] && apply -R <"$applied" && applied=""; return 0; }
trap revert EXIT

tests_of() { sed -n 's/^# tests: //p' "$1"; }
build_tests() { cmake --build "$build" -j"$jobs" --target "$@" >"$log/build" 2>&1 || { cat "$log/build"; return 1; }; }
# Runs the binaries one after the other; the name of the first that fails.
first_failure() {
  for t in "$@"; do
    (cd "$build" && timeout 300 "tests/$t" --gtest_brief=1 >"$log/$t.out" 2>&1) || { echo "$t"; return 0; }
  done
}

all=$(for p in "${patches[@]}"; do tests_of "$p"; done | tr ' ' '\n' | sort -u | tr '\n' ' ')
echo "unpatched tree: building and running $all"
build_tests $all
bad=$(first_failure $all)
if [ -n "$bad" ]; then
  echo "$bad fails without any fault:"; tail -n 30 "$log/$bad.out"; exit 1
fi

missed=0
for p in "${patches[@]}"; do
  apply --dry-run <"$p" >/dev/null
  apply <"$p"
  applied=$p
  tests=$(tests_of "$p")
  build_tests $tests
  caught=$(first_failure $tests)
  revert
  if [ -n "$caught" ]; then
    printf 'caught  %-32s by %s\n' "$(basename "$p" .patch)" "$caught"
  else
    printf 'MISSED  %-32s (ran %s)\n' "$(basename "$p" .patch)" "$tests"
    missed=$((missed + 1))
  fi
done
build_tests $all # leave the build directory matching the tree
rm -rf "$log"
echo "$(( ${#patches[@]} - missed )) of ${#patches[@]} seeded faults caught"
[ "$missed" -eq 0 ]
