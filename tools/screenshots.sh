#!/usr/bin/env bash
# Remake the README's screenshots: the main window on the simulated reader, the alignment
# window, and the Line window beside it, taken from the program itself running under a virtual
# display (Xvfb); then the main window in German at 200 % and in Chinese at 100 %.
#   tools/screenshots.sh [PROGRAM]     PROGRAM defaults to build/ksr-utility
# Installs what it needs (xvfb, xdotool, imagemagick) when missing; writes docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/ksr-utility}")
out=docs/screenshots
if [ ! -x "$program" ]; then
  echo "screenshots: $program is not built (cmake --build build)" >&2
  exit 1
fi

packages=(xvfb xauth xdotool imagemagick fonts-liberation2 fonts-noto-cjk qt6-translations-l10n)
if ! dpkg -s "${packages[@]}" >/dev/null 2>&1; then
  S=$([ "$(id -u)" = 0 ] || echo sudo)
  export DEBIAN_FRONTEND=noninteractive
  $S apt-get update
  $S apt-get install -y --no-install-recommends "${packages[@]}"
fi

mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Inside the virtual display: start the program, wait for each window, grab it.
cat >"$work/grab.sh" <<'EOF'
set -euo pipefail
program=$1 out=$2 work=$3
# Window by exact caption, waiting up to 10 s for it to be mapped.
find_window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  echo "screenshots: no window \"$1\"" >&2
  return 1
}
mkdir -m 700 "$work/runtime"
HOME=$work XDG_RUNTIME_DIR=$work/runtime "$program" --simulate --report "$work/report.txt" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
main=$(find_window "Barcode Reader Test Utility  KSR-6400/6500")
# Let the first verification finish, so the window shows the firmware and "Online".
sleep 2
import -window "$main" "$out/main-window.png"
# "Align" has the focus when the window opens.
xdotool windowfocus --sync "$main" key space
align=$(find_window "Align Reader")
# A few request cycles, so the plots show scans of the drifting target.
sleep 3
import -window "$align" "$out/alignment-window.png"
# Ctrl+L works in the alignment window too; the Line window opens beside it, as tall.
xdotool windowfocus --sync "$align" key ctrl+l
line=$(find_window "Line")
eval "$(xdotool getwindowgeometry --shell "$align")"
alignWidth=$WIDTH alignHeight=$HEIGHT
xdotool windowmove "$align" 0 0
xdotool windowsize "$line" 760 "$alignHeight"
xdotool windowmove "$line" "$alignWidth" 0
# A few more cycles on the line, then both windows in one picture.
sleep 2
import -window root -crop "$((alignWidth + 760))x${alignHeight}+0+0" +repage \
  "$out/line-window.png"
kill "$pid"
wait "$pid" || true

# The main window in another language and scale, as a desktop set to them starts it.
grab_main() {
  local language=$1 scale=$2 caption=$3 file=$4
  LANG=$language LANGUAGE= LC_ALL= QT_SCALE_FACTOR=$scale HOME=$work \
    XDG_RUNTIME_DIR=$work/runtime "$program" --simulate --report "$work/report.txt" &
  pid=$!
  local window
  window=$(find_window "$caption")
  sleep 2
  import -window "$window" "$out/$file"
  kill "$pid"
  wait "$pid" || true
}
grab_main de_DE.UTF-8 2 "Barcodeleser-Testprogramm  KSR-6400/6500" main-window-de-200.png
# (xdotool matches the Chinese caption by its model pair.)
grab_main zh_CN.UTF-8 1 ".*  KSR-6400/6500" main-window-zh.png
EOF

xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/grab.sh" "$program" "$out" "$work"
for png in "$out/main-window.png" "$out/alignment-window.png" "$out/line-window.png" \
  "$out/main-window-de-200.png" "$out/main-window-zh.png"; do
  # Strip the time stamps imagemagick writes, so an unchanged window gives an unchanged file.
  mogrify -strip "$png"
  echo "wrote $png ($(identify -format '%wx%h' "$png"))"
done
