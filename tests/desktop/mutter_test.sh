#!/usr/bin/env bash
# The game natively on Wayland under GNOME's compositor (mutter, nested in
# Xvfb): the game window opens clear of the screen's corner, whole, and
# alone (the splash is gone), and a box (F1's) opens over it. Mutter places
# windows by its own rules: the game can only keep the splash out of its
# way, and tell it that a box is a dialog.
# Exits 77 (skipped) where mutter, Xvfb or a D-Bus session is not installed.
# TUMBOL_SHOTS=folder keeps the screenshot.
set -uo pipefail
build=$1
. "$(dirname "$0")/../game_on_xvfb.sh"
for tool in mutter dbus-run-session Xvfb convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
fail() { echo "FAIL: $*"; exit 1; }
make_game_folder
copy_game "$build" "$dir"
start_xvfb "$dir" || fail "Xvfb did not start within 30 s"
export XDG_RUNTIME_DIR=$dir/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
MUTTER_DEBUG_DUMMY_MODE_SPECS=1024x768 dbus-run-session -- \
  mutter --nested --wayland --no-x11 --wayland-display=tumbol-wayland >"$dir/mutter.log" 2>&1 &
compositor=$!
# Ending mutter ends its D-Bus session with it.
trap '[ -n "${game:-}" ] && kill "$game" 2>/dev/null; pkill -P "$compositor"; wait "$compositor"; kill "$xvfb"
  rm -rf "$dir"' EXIT
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/tumbol-wayland" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/tumbol-wayland" ] || fail "mutter did not start: $(tail -3 "$dir/mutter.log")"

(cd "$dir" && exec env -u DISPLAY WAYLAND_DISPLAY=tumbol-wayland QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy \
  ./tumbol >game.log 2>&1) &
game=$!
# What shows: the bounding box of the bright pixels (the gold frame, the
# bricks) over mutter's dark blue desktop, the pointer's corner blacked out.
shown() {
  import -window root "$dir/shot.png" 2>/dev/null &&
    convert "$dir/shot.png" -fill black -draw 'rectangle 0,0 24,24' -channel R -separate +channel -threshold 45% \
      -format '%@' info: 2>/dev/null
}
for _ in $(seq $(tries 100)); do
  box=$(shown)
  [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -gt 700 ] && break
  sleep 0.1
done
sleep 1  # the splash, were it still there, has long been drawn
box=$(shown)
[ -n "${TUMBOL_SHOTS:-}" ] && cp "$dir/shot.png" "$TUMBOL_SHOTS/mutter.png"
[[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || fail "no game window: $(tail -3 "$dir/game.log"); $(game_state "$game")"
read -r w h x y <<<"${BASH_REMATCH[*]:1}"
[ "$w" -ge 740 ] && [ "$w" -le 760 ] && [ "$h" -ge 590 ] && [ "$h" -le 614 ] ||
  fail "what shows is $w x $h at $x,$y: not the game window alone"
[ "$x" -ge 40 ] && [ "$y" -ge 20 ] || fail "the game window opened in the corner, at $x,$y"

# The box: its face is the one large area of the toolkit's grey (the board's
# cubes have only specks of it, which the erosion takes away).
box() {
  import -window root "$dir/shot.png" 2>/dev/null &&
    convert "$dir/shot.png" -fill white -fuzz 1% +opaque "srgb(239,239,239)" -fill black -opaque "srgb(239,239,239)" \
      -negate -morphology Erode Square:4 -format '%@' info: 2>/dev/null
}
xdotool key F1
for _ in $(seq $(tries 50)); do
  face=$(box)
  [[ "$face" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -gt 100 ] && break
  sleep 0.1
done
sleep 0.5  # placed once, where it stays
face=$(box)
[ -n "${TUMBOL_SHOTS:-}" ] && cp "$dir/shot.png" "$TUMBOL_SHOTS/mutter-box.png"
[[ "$face" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -gt 100 ] ||
  fail "F1 showed no box"
read -r bw bh bx by <<<"${BASH_REMATCH[*]:1}"
offCentre=$(( (bx + bw / 2) - (x + w / 2) ))
[ "${offCentre#-}" -le 12 ] && [ "$by" -gt "$y" ] && [ $((by + bh)) -lt $((y + h)) ] ||
  fail "the box ($bw x $bh at $bx,$by) is not over the game window ($w x $h at $x,$y)"
echo "mutter test: all checks passed"
