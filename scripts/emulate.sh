#!/usr/bin/env bash
# The device on the desktop: builds winserver, the panel emulator window and
# the example programs, makes an emulated device under out/emulate/root,
# starts the server there, opens the emulator window, and long-presses the
# lock key so that the server starts <program> as the device's main program
# (by default the widget gallery when it is built, else the demo). Keys and
# mouse in the window are the device's keypad and touch screen (eink-emu
# --help shows the keys). Closing the window stops everything started here.
#
#   scripts/emulate.sh [program [arguments...]]
#
# EMU_SCALE=2 shows the panel twice as large; EMU_FLASH=1 flashes full updates;
# EMU_LARGE=1 emulates the 824 x 1200 panel. Needs a display (DISPLAY set);
# without one, run it under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "emulate.sh: no display (DISPLAY is not set); run it under xvfb-run to try it headless" >&2
  exit 1
fi

bash scripts/setup.sh
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEINK_TESTS=OFF -DEINK_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target winserver eink-emu gui
bash examples/build.sh "$build" "$here/out/install" "$here/out/examples" -DCMAKE_BUILD_TYPE=Release >/dev/null

if [ $# -gt 0 ]; then
  program=$(realpath "$1")
  shift
elif [ -f out/examples/gallery/gallery ] && [ -x out/examples/gallery/gallery ]; then
  program=$here/out/examples/gallery/gallery
elif [ -f out/examples/gallery ] && [ -x out/examples/gallery ]; then
  program=$here/out/examples/gallery
else
  program=$here/out/examples/demo/demo
fi
[ -x "$program" ] || { echo "emulate.sh: $program is not a program" >&2; exit 1; }

out=$here/out/emulate
mkdir -p "$out"
source scripts/device.sh
# Arguments after the program's name follow the server's own "-ws".
MAIN_PROGRAM_ARGS=
[ $# -gt 0 ] && MAIN_PROGRAM_ARGS=$(printf ' %q' "$@")
MAIN_PROGRAM_ARGS=$MAIN_PROGRAM_ARGS make_panel_device "$out/root" "$program" "$out/program.log"
root=$EINK_ROOT
if [ -n "${EMU_LARGE:-}" ]; then
  echo "824 1200" > "$root/dev/fb0.mode"
  head -c $((824 * 1200 / 2)) /dev/zero > "$root/dev/fb0"
fi
mkfifo "$root/dev/ts"

emu=
server=
# The program ends with the server (end of file on its connection).
cleanup() {
  [ -n "$emu" ] && kill "$emu" 2>/dev/null || true
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The touch screen is read only when asked for.
EINK_INPUT=touch start_server "$build/winserver" "$out/winserver.log"
args=(--scale "${EMU_SCALE:-1}" --title "eink-emu: $(basename "$program")")
[ -n "${EMU_FLASH:-}" ] && args+=(--flash)
"$build/tools/eink-emu" "${args[@]}" > "$out/eink-emu.log" 2>&1 &
emu=$!
for _ in $(seq 100); do grep -q "window" "$out/eink-emu.log" && break; sleep 0.05; done
kill -0 "$emu" 2>/dev/null || { cat "$out/eink-emu.log" >&2; exit 1; }

# The long press of the lock key (press, three repeats, release) that makes
# the server take the keys and start the main program.
key_event 32 1; key_event 32 2; key_event 32 2; key_event 32 2; key_event 32 0
echo "emulating $(basename "$program"): close the window to stop (logs in $out)"
status=0
wait "$emu" || status=$?
emu=
exit "$status"
