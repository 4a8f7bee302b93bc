#!/usr/bin/env bash
# The main job: builds optimised, makes an emulated device under out/root,
# starts winserver on its emulated panel with the demo clients, and leaves a
# picture of the panel in out/panel.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEINK_TESTS=OFF -DEINK_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

root=$PWD/out/root
rm -rf "$root"
mkdir -p "$root"/{dev/input,home,tmp,proc,mnt/us,sys/power,etc/sysconfig}
# The panel: a plain file holding the packed 4-bit image.
head -c $((600 * 800 / 2)) /dev/zero > "$root/dev/fb0"
echo "600 800" > "$root/dev/fb0.mode"
: > "$root/proc/keypad"
: > "$root/proc/fiveway"
for i in 0 1 2; do mkfifo "$root/dev/input/event$i"; done

export EINK_ROOT=$root
export EINK_PORT=${EINK_PORT:-29990}
export EINK_KEY_PORT=${EINK_KEY_PORT:-29991}

# Hold the write ends of the input FIFOs so the server sees no end of file.
exec 7<>"$root/dev/input/event0" 8<>"$root/dev/input/event1" 9<>"$root/dev/input/event2"

"$build/winserver" > out/winserver.log 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -S "$root/tmp/.commfile" ] && break; sleep 0.05; done
sleep 0.2

if [ -x "$build/examples/hello" ]; then
  "$build/examples/hello" second > out/hello2.log 2>&1 &
  sleep 0.3
  "$build/examples/hello" first | tee out/hello1.log
  wait || true
fi

kill $server 2>/dev/null || true
wait $server 2>/dev/null || true
echo "server log: out/winserver.log"
[ -f "$root/dev/fb0.png" ] && cp "$root/dev/fb0.png" out/panel.png && echo "panel picture: out/panel.png"
exit 0
