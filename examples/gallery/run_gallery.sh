#!/usr/bin/env bash
# Takes a picture of every gallery screen on the emulated panel: for each
# screen, a fresh device whose main client program is the gallery showing that
# screen; the picture is left in <out>/<screen>.png.
#
#   examples/gallery/run_gallery.sh <winserver> <gallery binary> <out dir>
set -euo pipefail
server_bin=$(realpath "${1:?winserver binary}")
gallery_bin=$(realpath "${2:?gallery binary}")
out=$(mkdir -p "${3:?output directory}" && realpath "$3")

source "$(dirname "$0")/../../scripts/device.sh"
cleanup() {
  kill "${server:-}" 2>/dev/null || true
  wait "${server:-}" 2>/dev/null || true
}
trap cleanup EXIT

for screen in $("$gallery_bin" --list); do
  MAIN_PROGRAM_ARGS="--screen $screen" make_panel_device "$out/root" "$gallery_bin" "$out/$screen.log"
  start_server "$server_bin" "$out/$screen-winserver.log"
  start_main_program "$out/$screen.log" "gallery: shown $screen"
  wait_for_quiet_panel
  cp "$EINK_ROOT/dev/fb0.png" "$out/$screen.png"
  echo "gallery picture: $out/$screen.png"
  cleanup
done
