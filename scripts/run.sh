#!/usr/bin/env bash
# The main job: builds winserver and libgui optimised, builds the example
# programs against the installed library (as a user's program would be),
# then on an emulated device
#   1. runs two instances of examples/hello, which find each other through the
#      server and exchange user messages, and prints what they said;
#   2. runs the demo client as the device's main program: the lock key held
#      on the emulated keypad makes the server start it, it draws its window,
#      and the picture of the panel is left in out/panel.png;
#   3. shows each screen of the widget gallery (examples/gallery) the same way
#      and leaves its picture in out/gallery/<screen>.png;
#   4. runs the starter program of the guide, taps through it on the emulated
#      touch screen and leaves its picture in out/starter/starter.png (the
#      guide shows a committed copy, docs/starter.png).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEINK_TESTS=OFF -DEINK_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
bash examples/build.sh "$build" "$PWD/out/install" "$PWD/out/examples" -DCMAKE_BUILD_TYPE=Release

# --- 1. two programs exchange messages --------------------------------------
source scripts/device.sh
make_device "$PWD/out/hello-root"
start_server "$build/winserver" out/hello-winserver.log
trap 'kill $server 2>/dev/null || true' EXIT
out/examples/hello first > out/hello1.log 2>&1 &
first=$!
out/examples/hello second > out/hello2.log 2>&1 || true
wait "$first" || true
cat out/hello1.log out/hello2.log
kill "$server" 2>/dev/null || true
wait "$server" 2>/dev/null || true
trap - EXIT
unset EINK_ROOT

# --- 2. the demo on the emulated panel ---------------------------------------
bash examples/demo/run_demo.sh "$build/winserver" out/examples/demo/demo out/demo
cp out/demo/panel.png out/panel.png
echo "panel picture: out/panel.png"

# --- 3. the widget gallery, one picture a screen ------------------------------
bash examples/gallery/run_gallery.sh "$build/winserver" out/examples/gallery/gallery out/gallery

# --- 4. the starter program of the guide ---------------------------------------
bash examples/starter/run_starter.sh "$build/winserver" out/examples/starter/starter out/starter
