#!/usr/bin/env bash
# The device build: cross-builds winserver, libgui, the examples and the tests
# for 32-bit ARM (Debian's armhf) and runs every test under qemu-user. The
# programs the tests start (the server, tools, example clients) run under
# qemu as well, through EINK_EXEC_PREFIX.
#
# Installs what is missing first: the armhf architecture, the cross compiler,
# qemu-user, and the armhf version of every library -dev package that
# scripts/setup.sh installs for the native build, so a library added there is
# found by the cross build too.
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD
bash scripts/setup.sh

triplet=arm-linux-gnueabihf
# Only the benchmarks need these, and the device build has none.
native_only=(libbenchmark-dev)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# The run-time under qemu is the multiarch one (see cmake/armhf.cmake).
packages=(g++-$triplet qemu-user libstdc++6:armhf)
for p in $(grep -oE '\b[a-z0-9][a-z0-9.+-]*-dev\b' scripts/setup.sh | sort -u); do
  [[ " ${native_only[*]} " == *" $p "* ]] && continue
  packages+=("$p:armhf")
done
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  dpkg --print-foreign-architectures | grep -qx armhf || $SUDO dpkg --add-architecture armhf
  apt_opts=(-o DPkg::Lock::Timeout=600)
  $SUDO apt-get "${apt_opts[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get "${apt_opts[@]}" install -y -qq "${missing[@]}"
fi

start=$(date +%s)
build=${EINK_ARMHF_BUILD:-build-armhf}
toolchain=$here/cmake/armhf.cmake
# No sanitizers (qemu-user does not run them) and -O2 without NDEBUG, so that
# assertions still hold on the device build.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS_RELEASE=-O2 -DCMAKE_CXX_FLAGS_RELEASE=-O2 -DEINK_BENCH=OFF >/dev/null
nice cmake --build "$build" -j"$(nproc)"
nice bash examples/build.sh "$build" "$here/out/armhf/install" "$here/out/armhf/examples" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
file -L "$build/winserver" "$build/gui/libgui.so" "$here/out/armhf/examples/hello"
built=$(date +%s)

cd "$build"
status=0
# The emulator window is a desktop tool for developers, never run on the
# device: its tests stay with the native stage. A test that fails under
# emulation runs once more, since qemu slows programs several times over and
# the end-to-end tests wait on real clocks; a fault fails both times.
nice ctest --output-on-failure -j"$(nproc)" --timeout 600 -E '^(Scale/)?EinkEmu' --repeat until-pass:2 || status=$?
echo "armhf stage: build $((built - start)) s, tests $(($(date +%s) - built)) s"
exit $status
