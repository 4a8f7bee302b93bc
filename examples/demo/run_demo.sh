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
make_panel_device "$out/root" "$demo_bin" "$out/demo.log"
start_server "$server_bin" "$out/winserver.log"
cleanup() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
}
trap cleanup EXIT

start_main_program "$out/demo.log" "shown"
sleep 2
# A key for the status line.
before=$(panel_updates)
key_event 16 1; key_event 16 0
for _ in $(seq 100); do [ "$(panel_updates)" -gt "$before" ] && break; sleep 0.05; done
sleep 1.5
cp "$EINK_ROOT/dev/fb0.png" "$out/panel.png"
echo "panel picture: $out/panel.png ($(panel_updates) panel updates)"
