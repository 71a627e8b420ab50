#!/usr/bin/env bash
# Starts the real game under Xvfb in a copy of its folder, pushes a cube of
# level 1, closes it with the confirmation and checks that it exited cleanly
# and left the records file alone; then that SIGTERM and SIGINT end it once
# its sound is up.
set -uo pipefail
build=$1
. "$(dirname "$0")/../game_on_xvfb.sh"
for tool in Xvfb xdotool import; do
  if ! command -v "$tool" >/dev/null; then
    echo "smoke test skipped: $tool is not installed"
    exit 0
  fi
done
make_game_folder
fail() { echo "FAIL: $*"; exit 1; }

copy_game "$build" "$dir"
[ -e "$dir/pole1.txt" ] || fail "no pole1.txt beside the game"
sum_before=$(md5sum "$dir/record.txt" 2>/dev/null | cut -d' ' -f1)

start_xvfb "$dir" || fail "Xvfb did not start within 30 s"

QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "$dir/tumbol" >"$dir/out.log" 2>&1 &
game=$!
win=""
for _ in $(seq $(tries 300)); do
  win=$(xdotool search --name '^Тумбол$' 2>/dev/null | head -1)
  [ -n "$win" ] && break
  sleep 0.1
done
if [ -z "$win" ]; then
  # Say why: a game that ended (and how), or one that hangs (and where).
  if kill -0 "$game" 2>/dev/null; then
    state="still running; windows: $(xdotool search --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
    command -v gdb >/dev/null && state+=$'\n'"$(gdb -p "$game" -batch -ex 'thread apply all bt 6' 2>/dev/null | grep -E '^(#|Thread)')"
  else
    wait "$game"
    state="ended with status $?"
  fi
  fail "the game window did not appear in $(tries 30) s: $state"$'\n'"$(tail -20 "$dir/out.log")"
fi
pause 1.5
eval "$(xdotool getwindowgeometry --shell "$win")"
import -window root "$dir/shot1.png"
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
if [ -e "$dir/skins.bmp" ]; then
  # The skin's corner is white, outside the outline: the black desktop shows
  # there, not the white of the skin.
  corner=$(pixel "$dir/shot1.png" "$X" "$Y")
  [ "$corner" = "srgb(0,0,0)" ] || fail "the window is not shaped at its top-left corner ($corner)"
fi

# Press the first push of the level tool's solution of level 1.
first=$("$build/tumbol-levels" solve "$dir/pole1.txt" 2>/dev/null | head -1)
IFS=, read -r row col dir_ <<<"$first"
[ -n "$dir_" ] || fail "the level tool found no push on level 1 ($first)"
if [ "$dir_" = L ]; then dx=24; else dx=8; fi
xdotool mousemove $((X + 27 + (col - 1) * 32 + dx)) $((Y + 29 + (row - 1) * 32 + 16)) click 1
pause 2
import -window root "$dir/shot2.png"
diff=$(compare -metric AE -extract 705x513+$((X + 27))+$((Y + 29)) "$dir/shot1.png" "$dir/shot2.png" null: 2>&1)
[ "${diff%% *}" != "0" ] || fail "the board did not change after the push"
# Any message (a won level) is answered with Enter.
xdotool key Return 2>/dev/null

# The close button; the question's default is "Нет", so Tab to "Да".
xdotool mousemove $((X + 714)) $((Y + 14)) click 1
pause 1
xdotool key Escape
pause 0.5
kill -0 "$game" 2>/dev/null || fail "answering No closed the game"
xdotool mousemove $((X + 714)) $((Y + 14)) click 1
pause 1
xdotool key shift+Tab key space
for _ in $(seq $(tries 50)); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game" 2>/dev/null && fail "the game did not exit after Yes"
wait "$game"
status=$?
game=""
[ $status -eq 0 ] || fail "the game exited with status $status: $(cat "$dir/out.log")"
sum_after=$(md5sum "$dir/record.txt" 2>/dev/null | cut -d' ' -f1)
[ "$sum_before" = "$sum_after" ] || fail "record.txt changed"

# A terminal's Ctrl+C, kill and a logout end the game even once the sound
# library is loaded (it would otherwise catch them for itself).
# A script's background job inherits SIGINT ignored; a terminal's does not.
for signal in TERM INT; do
  QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy env --default-signal=INT "$dir/tumbol" >"$dir/out.log" 2>&1 &
  game=$!
  for _ in $(seq $(tries 100)); do grep -q libSDL2_mixer "/proc/$game/maps" 2>/dev/null && break; sleep 0.1; done
  grep -q libSDL2_mixer "/proc/$game/maps" 2>/dev/null || fail "the music did not start"
  pause 0.5
  kill -s "$signal" "$game"
  for _ in $(seq $(tries 20)); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$game" 2>/dev/null && fail "SIG$signal did not end the game within $(tries 2) s"
  game=""
done
[ "$sum_before" = "$(md5sum "$dir/record.txt" 2>/dev/null | cut -d' ' -f1)" ] || fail "record.txt changed"
echo "smoke test: all checks passed"
