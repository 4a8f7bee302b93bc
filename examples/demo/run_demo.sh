#!/usr/bin/env bash
# Runs the demo as the device would: makes an emulated device under
# <out>/root, installs the demo as its main client program
# "/mnt/us/velmora/bin/velmora", starts winserver there, holds the lock key on
# the emulated keypad (which takes the keys from the host system and makes
# the server start "velmora -ws"), presses one more key for the status line,
# and leaves the picture of the panel in <out>/panel.png.
#
#   examples/demo/run_demo.sh <winserver> <demo binary> <out dir>
set -euo pipefail
server_bin=$(realpath "${1:?winserver binary}")
demo_bin=$(realpath "${2:?demo binary}")
out=$(mkdir -p "${3:?output directory}" && realpath "$3")

source "$(dirname "$0")/../../scripts/device.sh"
root=$out/root
make_device "$root" mnt/us/velmora/bin mnt/us/velmora/res
echo "600 800" > "$root/dev/fb0.mode"
for i in 0 1 2; do mkfifo "$root/dev/input/event$i"; done

install_fonts "$root"
# The main client program the server starts; its output goes to <out>/demo.log.
install_main_program "$root" "$demo_bin" "$out/demo.log"
: > "$out/demo.log"

exec 7<>"$root/dev/input/event0" 8<>"$root/dev/input/event1" 9<>"$root/dev/input/event2"

start_server "$server_bin" "$out/winserver.log"
cleanup() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
}
trap cleanup EXIT

updates() { [ -f "$root/dev/fb0.updates" ] && wc -l < "$root/dev/fb0.updates" || echo 0; }

# Hold the lock key (press and three repeats), then let go.
hold_lock_key >&7
for _ in $(seq 200); do grep -q "shown" "$out/demo.log" && break; sleep 0.05; done
grep "shown" "$out/demo.log" || { echo "the demo did not start; see $out/demo.log" >&2; exit 1; }
for _ in $(seq 200); do [ "$(updates)" -gt 0 ] && break; sleep 0.05; done
sleep 2
# A key for the status line.
before=$(updates)
{ key_event 16 1; key_event 16 0; } >&7
for _ in $(seq 100); do [ "$(updates)" -gt "$before" ] && break; sleep 0.05; done
sleep 1.5
cp "$root/dev/fb0.png" "$out/panel.png"
echo "panel picture: $out/panel.png ($(updates) panel updates)"
