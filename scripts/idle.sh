#!/usr/bin/env bash
# What idleness costs: starts winserver on an emulated device, lets the lock
# key start a client as the device's main program (the demo by default), waits
# until it has drawn and the panel is quiet, then leaves both untouched for a
# while and prints, for each, how often it woke (voluntary context switches of
# all its threads) and the CPU time it used (clock ticks, user + system).
#
#   scripts/idle.sh [winserver] [client] [seconds]
#
# Defaults: the optimised build of scripts/run.sh (built when missing) and
# 10 seconds. The client is started with "-ws" like the device's main program;
# extra environment for it can simply be exported before the call.
set -euo pipefail
cd "$(dirname "$0")/.."
server_bin=${1:-}
client_bin=${2:-}
seconds=${3:-10}
if [ -z "$server_bin" ] || [ -z "$client_bin" ]; then
  build=build-release
  if [ ! -x "$build/winserver" ] || [ ! -x out/examples/demo/demo ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEINK_TESTS=OFF -DEINK_BENCH=OFF >/dev/null
    cmake --build "$build" -j2 >/dev/null
    bash examples/build.sh "$build" "$PWD/out/install" "$PWD/out/examples" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  server_bin=${server_bin:-$build/winserver}
  client_bin=${client_bin:-out/examples/demo/demo}
fi
server_bin=$(realpath "$server_bin")
client_bin=$(realpath "$client_bin")

out=$(mkdir -p out/idle && realpath out/idle)
source scripts/device.sh
root=$out/root
make_device "$root" mnt/us/velmora/bin mnt/us/velmora/res
echo "600 800" > "$root/dev/fb0.mode"
for i in 0 1 2; do mkfifo "$root/dev/input/event$i"; done
wqy=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
printf '%s\n' /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$wqy" > "$root/mnt/us/velmora/res/xftfont.lst"
printf '%s\n' "$wqy" > "$root/mnt/us/velmora/res/font.lst"

# The main program records its process id, then becomes the client.
cat > "$root/mnt/us/velmora/bin/velmora" <<SCRIPT
#!/bin/sh
echo \$\$ > "$out/client.pid"
exec "$client_bin" "\$@" >> "$out/client.log" 2>&1
SCRIPT
chmod +x "$root/mnt/us/velmora/bin/velmora"
: > "$out/client.log"
rm -f "$out/client.pid"

exec 7<>"$root/dev/input/event0" 8<>"$root/dev/input/event1" 9<>"$root/dev/input/event2"
start_server "$server_bin" "$out/winserver.log"
client=
cleanup() {
  [ -n "$client" ] && kill "$client" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
}
trap cleanup EXIT

key_event() { # code value
  printf "\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x01\\x00\\x$(printf %02x "$1")\\x00\\x$(printf %02x "$2")\\x00\\x00\\x00" >&7
}
updates() { [ -f "$root/dev/fb0.updates" ] && wc -l < "$root/dev/fb0.updates" || echo 0; }

# The lock key held: the server takes the keys and starts the client.
key_event 32 1; key_event 32 2; key_event 32 2; key_event 32 2; key_event 32 0
for _ in $(seq 200); do [ -s "$out/client.pid" ] && break; sleep 0.05; done
client=$(cat "$out/client.pid" 2>/dev/null || true)
[ -n "$client" ] || { echo "the client did not start; see $out/client.log" >&2; exit 1; }
# Settled: no panel update for two seconds.
last=-1
while [ "$(updates)" != "$last" ]; do last=$(updates); sleep 2; done

wakeups() { # pid: voluntary context switches of all its threads
  cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n + 0}'
}
cputicks() { # pid: user + system clock ticks
  awk '{print $14 + $15}' /proc/"$1"/stat
}
s0=$(wakeups "$server"); c0=$(wakeups "$client")
st0=$(cputicks "$server"); ct0=$(cputicks "$client")
sleep "$seconds"
s1=$(wakeups "$server"); c1=$(wakeups "$client")
st1=$(cputicks "$server"); ct1=$(cputicks "$client")

printf 'idle for %s s (clock ticks of %s Hz)\n' "$seconds" "$(getconf CLK_TCK)"
report() { # name wake-ups ticks
  awk -v n="$1" -v w="$2" -v t="$3" -v s="$seconds" 'BEGIN {printf "  %-10s %6d wake-ups (%.1f/s), CPU %d ticks\n", n, w, w / s, t}'
}
report winserver $((s1 - s0)) $((st1 - st0))
report client $((c1 - c0)) $((ct1 - ct0))
