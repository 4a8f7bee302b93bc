#!/usr/bin/env bash
# Runs the starter as the main program of an emulated device and uses it
# through the emulated touch screen: chooses the second book, taps
# "Remove..." and answers "Cancel", asks again and takes the picture of the
# panel with the confirm dialog open (<out>/starter.png), then answers "OK".
# Fails when the program does not print each answer it got.
#
#   examples/starter/run_starter.sh <winserver> <starter binary> <out dir>
set -euo pipefail
server_bin=$(realpath "${1:?winserver binary}")
starter_bin=$(realpath "${2:?starter binary}")
out=$(mkdir -p "${3:?output directory}" && realpath "$3")

source "$(dirname "$0")/../../scripts/device.sh"
cleanup() {
  kill "${server:-}" 2>/dev/null || true
  wait "${server:-}" 2>/dev/null || true
}
trap cleanup EXIT

log=$out/starter.log
make_panel_device "$out/root" "$starter_bin" "$log"
mkfifo "$EINK_ROOT/dev/ts"
exec 6<>"$EINK_ROOT/dev/ts"
EINK_INPUT=touch start_server "$server_bin" "$out/winserver.log"
start_main_program "$log" "starter: ready"
wait_for_quiet_panel

# tap <x> <y>: a touch and its release at a panel pixel (records of
# pressure, x, y and a zero, little-endian 16-bit words).
tap() {
  local p
  for p in 1 0; do
    printf "\\x$(printf %02x $p)\\x00\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8)))\\x$(printf %02x $(($2 & 255)))\\x$(printf %02x $(($2 >> 8)))\\x00\\x00" >&6
    sleep 0.2
  done
}
# expect <line> [n]: waits until the program has printed <line> (n times).
expect() {
  local i
  for i in $(seq 300); do
    [ "$(grep -c -- "$1" "$log")" -ge "${2:-1}" ] && return 0
    sleep 0.05
  done
  echo "starter: no \"$1\" (${2:-1}); see $log" >&2
  exit 1
}

tap 300 185 # the second book
expect "starter: chose Moby-Dick"
tap 110 322 # Remove...
expect "starter: asking"
wait_for_quiet_panel
tap 440 562 # Cancel
expect "starter: answer Cancel"
tap 110 322 # Remove... again: the picture shows the dialog over the first answer
expect "starter: asking" 2
wait_for_quiet_panel
cp "$EINK_ROOT/dev/fb0.png" "$out/starter.png"
echo "starter picture: $out/starter.png"
tap 365 562 # OK
expect "starter: answer OK"
