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

# install_fonts <root>: the font lists of the main program's resources,
# Latin and CJK; the CJK face is the default so that both scripts draw.
install_fonts() {
  local res=$1/mnt/us/velmora/res wqy=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
  mkdir -p "$res"
  printf '%s\n' /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
    /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf "$wqy" > "$res/xftfont.lst"
  printf '%s\n' "$wqy" > "$res/font.lst"
}

# install_main_program <root> <program> <log> [pid file]: the device's main
# client program "/mnt/us/velmora/bin/velmora", which the server starts on
# the first long press of the lock key, runs <program> with its arguments,
# its output appended to <log>, its process id left in [pid file].
install_main_program() {
  local bin=$1/mnt/us/velmora/bin/velmora
  mkdir -p "$(dirname "$bin")"
  {
    echo '#!/bin/sh'
    [ -n "${4:-}" ] && echo "echo \$\$ > '$4'"
    echo "exec '$2' \"\$@\" >> '$3' 2>&1"
  } > "$bin"
  chmod +x "$bin"
}

# key_event <code> <value>: one 16-byte key record of an input event device
# on standard output (8 bytes of time, type 1, code, value; little-endian).
key_event() {
  printf "\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x01\\x00\\x$(printf %02x "$1")\\x00\\x$(printf %02x "$2")\\x00\\x00\\x00"
}

# hold_lock_key: a long press of the lock key (press, three repeats,
# release) on standard output; the first one takes the keys from the host
# system and starts the main client program.
hold_lock_key() {
  key_event 32 1; key_event 32 2; key_event 32 2; key_event 32 2; key_event 32 0
}
