# Sourced by the scripts that run winserver on an emulated device.

# make_device <root> [directory ...]: a fresh emulated device under <root>,
# with the panel, the key files and any further directories.
make_device() {
  local root=$1
  shift
  rm -rf "$root"
  mkdir -p "$root"/{dev/input,home,tmp,proc,mnt/us,sys/power,etc/sysconfig}
  local d
  for d in "$@"; do mkdir -p "$root/$d"; done
  head -c $((600 * 800 / 2)) /dev/zero > "$root/dev/fb0"
  : > "$root/proc/keypad"
  : > "$root/proc/fiveway"
  export EINK_ROOT=$root
  export EINK_PORT=${EINK_PORT:-29990}
  export EINK_KEY_PORT=${EINK_KEY_PORT:-29991}
}

# start_server <winserver> <log>: starts it on $EINK_ROOT in the background,
# its process id in $server, and returns once it accepts connections.
start_server() {
  "$1" > "$2" 2>&1 &
  server=$!
  for _ in $(seq 100); do [ -S "$EINK_ROOT/tmp/.commfile" ] && break; sleep 0.05; done
}
