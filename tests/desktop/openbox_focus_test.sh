#!/usr/bin/env bash
# Under Xvfb with openbox and another program's window on the screen: the
# game window opens in the middle of the screen, a drag of its frame moves
# it with the pointer, and its number field has the keyboard again after a
# press on its frame and each time the editor (after its question), the
# About box or the records window closes. Quick clicks on the frame leave
# the window where it is.
set -uo pipefail
build=$1
. "$(dirname "$0")/../game_on_xvfb.sh"
for tool in Xvfb openbox xdotool xwininfo display; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cp "$build/tumbol" "$dir/"
for f in "$build"/pole*.txt "$build"/record.txt "$build"/skins.bmp "$build"/skinsp.jpg; do
  [ -e "$f" ] && cp "$f" "$dir/"
done

start_xvfb "$dir" || fail "Xvfb did not start within 30 s"
openbox --sm-disable >/dev/null 2>&1 &
# (openbox names what it supports a moment after it takes the screen)
for _ in $(seq 100); do xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break; sleep 0.1; done
# Another program, at the top left, where openbox would put a new window.
display -geometry +0+0 -title other -size 300x200 xc:gray >/dev/null 2>&1 &
wait_for() {  # command, what (evaluated when it fails)
  for _ in $(seq $(tries 100)); do eval "$1" && return 0; sleep 0.1; done
  eval fail "\"$2\""
}
wait_for 'xdotool search --name "^other$" >/dev/null 2>&1' 'the other window did not appear'

QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "$dir/tumbol" >"$dir/game.log" 2>&1 &
wait_for 'game=$(xdotool search --name "^Тумбол$" 2>/dev/null | head -1); [ -n "$game" ]' \
  'the game window did not appear: $(tail -3 "$dir/game.log")'
eval "$(xdotool getwindowgeometry --shell "$game")"
# (openbox keeps a border of 1 pixel round a window without a title bar)
[ $((X - 132)) -le 0 ] && [ $((X - 132)) -ge -1 ] && [ $((Y - 77)) -le 0 ] && [ $((Y - 77)) -ge -1 ] ||
  fail "the game window opened at $X,$Y, not in the middle of the screen"
# The player clicks the game window's frame, as after the other program;
# a quick click leaves the window where it is.
xdotool mousemove $((X + 10)) $((Y + 300)) click 1
wait_for '[ "$(xdotool getactivewindow 2>/dev/null)" = "$game" ]' \
  'a click on the game window gave it no keyboard: $(xdotool getactivewindow getwindowname 2>&1)'
# A drag of the frame by (+100, +50) in ten steps, handed to openbox at the
# press: the window ends where the pointer says.
x0=$X y0=$Y
xdotool mousedown 1
for step in $(seq 10); do xdotool mousemove $((x0 + 10 + step * 10)) $((y0 + 300 + step * 5)); sleep 0.03; done
xdotool mouseup 1
xdotool mousemove $((x0 + 300)) $((y0 + 400))
wait_for 'eval "$(xdotool getwindowgeometry --shell "$game")"; [ "$X $Y" = "$((x0 + 100)) $((y0 + 50))" ]' \
  'the drag by (+100, +50) moved the window from $x0,$y0 to $X,$Y'
# Quick clicks on the frame, each release before openbox takes the pointer
# as a rule: the window stays where it is when the pointer goes on.
x0=$X y0=$Y
for _ in 1 2 3; do
  xdotool mousemove $((x0 + 10)) $((y0 + 300)) click 1 mousemove $((x0 + 200)) $((y0 + 400))
  sleep 0.2
  xdotool mousemove $((x0 + 250)) $((y0 + 420))
  sleep 0.2
  eval "$(xdotool getwindowgeometry --shell "$game")"
  [ "$X $Y" = "$x0 $y0" ] || fail "a click on the frame moved the window from $x0,$y0 to $X,$Y"
done
has_keyboard() {  # after what
  after=$1
  wait_for '[ "$(xdotool getactivewindow 2>/dev/null)" = "$game" ]' \
    'after $after, the keyboard is with $(xdotool getactivewindow getwindowname 2>/dev/null)'
  # The number field takes the digits and Enter: there is no map 99.
  xdotool key ctrl+a type 99
  xdotool key Return
  wait_for '[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "Открыть" ]' \
    'after $after, the number field took no 99 and Enter'
  xdotool key Return
  wait_for '[ "$(xdotool getactivewindow 2>/dev/null)" = "$game" ]' 'after $after, the missing map box kept the keyboard'
}
has_keyboard "a press on the frame and a drag"
for round in 1 2 3 4; do
  # The editor button; then its "Закрыть" and "Да" to its question.
  xdotool mousemove $((X + 544)) $((Y + 557)) click 1
  wait_for 'editor=$(xdotool search --name "^Редактор уровней$" 2>/dev/null | head -1); [ -n "$editor" ]' \
    'round $round: no editor'
  wait_for '[ "$(xdotool getactivewindow 2>/dev/null)" = "$editor" ]' 'round $round: the editor has no keyboard'
  read -r EX EY < <(xwininfo -id "$editor" | awk '/Absolute upper-left [XY]/ { printf "%s ", $4 }')
  xdotool mousemove $((EX + 782)) $((EY + 502)) click 1
  wait_for '[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "Выйти" ]' 'round $round: no question'
  xdotool key shift+Tab key space
  has_keyboard "round $round: the editor closed"
  # F1, then Enter to the About box.
  xdotool key F1
  wait_for '[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "О программе" ]' 'no About box'
  xdotool key Return
  has_keyboard "round $round: the About box closed"
  # "Рекордсмены", closed by the window manager.
  xdotool mousemove $((X + 544)) $((Y + 587)) click 1
  wait_for '[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "Рекордсмены" ]' 'round $round: no records window'
  xdotool key alt+F4
  has_keyboard "round $round: the records window closed"
done
echo "openbox focus test: all checks passed"
