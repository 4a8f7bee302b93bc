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

# make_title_pictures <dir>: the battery and sound pictures of the navigation
# windows' title bar, drawn here (white on black, 40x22 and 22x22).
make_title_pictures() {
  local dir=$1
  convert -size 40x22 xc:black -fill none -stroke white -strokewidth 2 -draw 'rectangle 2,4 33,17' \
    -fill white -stroke none -draw 'rectangle 34,8 37,13' -draw 'rectangle 6,8 24,13' "$dir/bookmainbattery.jpg"
  convert -size 22x22 xc:black -fill white -draw 'rectangle 2,8 6,14' -draw 'polygon 6,8 12,3 12,19 6,14' \
    -fill none -stroke white -strokewidth 2 -draw 'arc 9,6 19,16 -60,60' "$dir/bookmainvoice.jpg"
}

# make_panel_device <root> <program> <log>: a device as the main job runs it:
# a 600x800 panel, the three event devices as named pipes held open on
# descriptors 7, 8 and 9, the Latin and CJK fonts (the CJK face the default so
# that both scripts draw), and <program> installed as the main client program
# "/mnt/us/velmora/bin/velmora", its output appended to <log>. Arguments in
# $MAIN_PROGRAM_ARGS are passed to it after the server's own.
make_panel_device() {
  local root=$1 program=$2 log=$3
  make_device "$root" mnt/us/velmora/bin mnt/us/velmora/res
  make_title_pictures "$root/mnt"
  # The dialogs' icons ("/mnt/question.xpm", "/mnt/redcheck.xpm", "/mnt/greencheck.xpm").
  cp "$(dirname "${BASH_SOURCE[0]}")"/../data/icons/*.xpm "$root/mnt/"
  echo "600 800" > "$root/dev/fb0.mode"
  local i
  for i in 0 1 2; do mkfifo "$root/dev/input/event$i"; done
  local wqy=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
  printf '%s\n' /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
    /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf "$wqy" > "$root/mnt/us/velmora/res/xftfont.lst"
  printf '%s\n' "$wqy" > "$root/mnt/us/velmora/res/font.lst"
  cat > "$root/mnt/us/velmora/bin/velmora" <<SCRIPT
#!/bin/sh
exec "$program" "\$@" ${MAIN_PROGRAM_ARGS:-} >> "$log" 2>&1
SCRIPT
  chmod +x "$root/mnt/us/velmora/bin/velmora"
  make_sample_images "$root/mnt/us/velmora/res/samples"
  : > "$log"
  exec 7<>"$root/dev/input/event0" 8<>"$root/dev/input/event1" 9<>"$root/dev/input/event2"
}

# make_sample_images <dir>: one small picture of every format the image
# readers take, made here (ImageMagick and awk), for the gallery's image
# screen: sample.gif, sample.jpg, sample.png (with alpha), sample.bmp and
# sample.xpm (transparent outside a ring).
make_sample_images() {
  local dir=$1
  mkdir -p "$dir"
  convert -size 160x120 xc:white -fill black -draw 'polygon 80,8 152,112 8,112' \
    -fill '#909090' -draw 'circle 80,78 80,56' "$dir/sample.gif"
  convert -seed 7 -size 160x120 plasma:fractal -blur 0x1 -quality 90 "$dir/sample.jpg"
  convert -size 160x120 xc:none -fill '#1060a0' -draw 'circle 80,60 80,8' \
    -fill '#e0a020c0' -draw 'rectangle 12,70 148,108' "PNG32:$dir/sample.png"
  convert -size 120x160 gradient:black-white -rotate 90 \
    -fill white -draw 'rectangle 20,20 40,100' -fill black -draw 'rectangle 120,20 140,100' "BMP3:$dir/sample.bmp"
  awk 'BEGIN {
    n = 96; printf "/* XPM */\nstatic char *sample[] = {\n\"%d %d 3 1\",\n", n, n
    printf "\". c None\",\n\"# c #000000\",\n\"o c #B0B0B0\",\n"
    for (y = 0; y < n; y++) {
      row = ""
      for (x = 0; x < n; x++) {
        dx = x - (n - 1) / 2; dy = y - (n - 1) / 2; d = dx * dx + dy * dy
        if (d > 46 * 46) c = "."; else if (d > 36 * 36) c = "#"; else if (d > 24 * 24) c = "."
        else c = (int(x / 8) + int(y / 8)) % 2 ? "o" : "#"
        row = row c
      }
      printf "\"%s\"%s\n", row, y < n - 1 ? "," : ""
    }
    print "};"
  }' > "$dir/sample.xpm"
}

# key_event <code> <value>: one 16-byte input record on event0 (descriptor 7):
# 8 bytes of time, type 1, code (16 bits), value (32 bits).
key_event() {
  local c=$1 v=$2
  printf "\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x01\\x00\\x$(printf %02x $((c & 255)))\\x$(printf %02x $((c >> 8)))\\x$(printf %02x "$v")\\x00\\x00\\x00" >&7
}

# panel_updates: how many updates the emulated panel has had.
panel_updates() { [ -f "$EINK_ROOT/dev/fb0.updates" ] && wc -l < "$EINK_ROOT/dev/fb0.updates" || echo 0; }

# wait_for_line <file> <text> [tries]: waits (50 ms a try) until <file> holds <text>.
wait_for_line() {
  local i
  for i in $(seq "${3:-200}"); do grep -q -- "$2" "$1" 2>/dev/null && return 0; sleep 0.05; done
  return 1
}

# start_main_program <log> <text>: holds the lock key (press, three repeats,
# release), which takes the keys from the host system and makes the server
# start the main client program; returns once <log> shows <text> and the
# panel has had its first update.
start_main_program() {
  key_event 32 1; key_event 32 2; key_event 32 2; key_event 32 2; key_event 32 0
  wait_for_line "$1" "$2" || { echo "the main program did not start; see $1" >&2; return 1; }
  local i
  for i in $(seq 200); do [ "$(panel_updates)" -gt 0 ] && break; sleep 0.05; done
}

# wait_for_quiet_panel: waits until the panel has had no new update for 1.5 s.
wait_for_quiet_panel() {
  local last now i
  last=$(panel_updates)
  for i in $(seq 40); do
    sleep 1.5
    now=$(panel_updates)
    [ "$now" = "$last" ] && return 0
    last=$now
  done
}
