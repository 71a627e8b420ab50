#!/usr/bin/env bash
# Under Xvfb with openbox, screens too small for the game at the scale in
# force: 1280x1024 with QT_SCALE_FACTOR=2, 1366x768 with 1.5, and a netbook's
# 1024x600 and 800x600 at 1 (drawn below one screen pixel per pixel). The
# game window and the editor, frames and all, lie inside the screen, drawn
# smaller than that scale would draw them, the skin whole at the window's
# size.
set -uo pipefail
build=$1
for tool in Xvfb openbox xdotool xprop import convert compare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
. "$(dirname "$0")/../game_on_xvfb.sh"
fail() { echo "FAIL: $*"; exit 1; }
make_game_folder
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$dir"' EXIT
copy_game "$build" "$dir"
wait_for() {  # command, what (evaluated when it fails)
  for _ in $(seq $(tries 100)); do eval "$1" && return 0; sleep 0.1; done
  eval fail "\"$2\""
}
# The outer rectangle of window $1 as "left top right bottom", frame included.
outer() {
  local X Y WIDTH HEIGHT l=0 r=0 t=0 b=0
  eval "$(xdotool getwindowgeometry --shell "$1")"
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9, ]*$' | tr -d ,)
  echo "$((X - ${l:-0})) $((Y - ${t:-0})) $((X + WIDTH + ${r:-0})) $((Y + HEIGHT + ${b:-0}))"
}
inside() {  # what, window, screen width, height
  local left top right bottom
  read -r left top right bottom <<<"$(outer "$2")"
  [ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le "$3" ] && [ "$bottom" -le "$4" ] ||
    fail "$case: $1 spans $left,$top to $right,$bottom on a screen of $3 x $4"
}

# How far (0 to 1, root mean square) the window's right and left frame strips
# are from the skin's, the skin scaled to the window's size: a window drawn
# at full size and cut off shows other parts of the skin there.
skin_distance() {  # window, width, height
  # Taken off the screen where the window is: import given the window
  # itself can wait for ever for an event the window system never sends.
  eval "$(xdotool getwindowgeometry --shell "$1")"
  timeout 60 import -window root -crop "${2}x${3}+${X}+${Y}" +repage "$dir/shot.png" &&
    convert "$dir/skins.bmp" -resize "${2}x${3}!" "$dir/skin.png" || return 1
  local x worst=0 d
  for x in 740 5; do
    local crop="$(($2 * 15 / 760))x$(($3 * 400 / 614))+$(($2 * x / 760))+$(($3 * 100 / 614))"
    convert "$dir/shot.png" -crop "$crop" +repage "$dir/a.png" && convert "$dir/skin.png" -crop "$crop" +repage "$dir/b.png" || return 1
    d=$(compare -metric RMSE "$dir/a.png" "$dir/b.png" null: 2>&1 | grep -o '([0-9.e-]*)' | tr -d '()')
    [ -n "$d" ] || return 1
    worst=$(awk -v a="$worst" -v b="$d" 'BEGIN { print (b > a ? b : a) }')
  done
  echo "$worst"
}

for case in "1280 1024 2" "1366 768 1.5" "1024 600 1" "800 600 1"; do
  read -r sw sh scale <<<"$case"
  Xvfb -displayfd 3 -screen 0 "${sw}x${sh}x24" -nolisten tcp -noreset 3>"$dir/display" >/dev/null 2>&1 &
  xvfb=$!
  wait_for '[ -s "$dir/display" ]' 'Xvfb did not start'
  export DISPLAY=:$(head -1 "$dir/display")
  openbox --sm-disable >"$dir/openbox.log" 2>&1 &
  wm=$!
  wait_for 'xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_FRAME_EXTENTS' 'openbox did not start: $(cat "$dir/openbox.log")'
  QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "$dir/tumbol" >"$dir/game.log" 2>&1 &
  game=$!
  wait_for 'win=$(xdotool search --name "^Тумбол$" 2>/dev/null | head -1); [ -n "$win" ]' \
    '$case: no game window: $(tail -3 "$dir/game.log"); $(game_state "$game")'
  inside "the game window" "$win" "$sw" "$sh"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  awk -v w="$WIDTH" -v s="$scale" 'BEGIN { exit !(w < 760 * s) }' ||
    fail "$case: the game window is $WIDTH wide, as at the scale of $scale"
  pause 1  # painted
  distance=$(skin_distance "$win" "$WIDTH" "$HEIGHT") || fail "$case: no picture of the game window"
  awk -v d="$distance" 'BEGIN { exit !(d < 0.06) }' ||
    fail "$case: the window's frame is $distance from the skin at the window's size: not drawn to its scale"
  # The editor button, where the skin has it at the scale the window shows.
  xdotool mousemove $((X + 544 * WIDTH / 760)) $((Y + 557 * WIDTH / 760)) click 1
  wait_for 'editor=$(xdotool search --name "^Редактор уровней$" 2>/dev/null | head -1); [ -n "$editor" ]' \
    '$case: no editor'
  pause 0.5  # placed and framed
  inside "the editor" "$editor" "$sw" "$sh"
  kill "$game" "$wm" "$xvfb"
  wait "$game" "$wm" "$xvfb" 2>/dev/null
  rm -f "$dir/display"
  echo "$case: the windows fit, the frame $distance from the skin at the window's size"
done
echo "small screen test: all checks passed"
