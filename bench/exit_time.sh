#!/usr/bin/env bash
# How long the game lives after the player answers "Да" to leaving, under
# Xvfb: it plays for a while (music on, a cue or two), the close button is
# pressed, "Да" is chosen with the keyboard, and the time from that key to the
# end of the process is printed, with the CPU ticks it spent meanwhile.
#
#   bench/exit_time.sh [BUILD_DIR]          # default: build/ beside this repo
#   RUNS=5 PLAY=3 SDL_AUDIODRIVER=disk bench/exit_time.sh
#
# SDL_AUDIODRIVER defaults to dummy; disk plays in real time into a file.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
. "$here/../tests/game_on_xvfb.sh"
for tool in Xvfb xdotool bc; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
make_game_folder
copy_game "$build" "$dir"
start_xvfb "$dir" || { echo "Xvfb did not start within 30 s" >&2; exit 1; }
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" SDL_DISKAUDIOFILE="$dir/audio.raw"
for run in $(seq "${RUNS:-5}"); do
  (cd "$dir" && QT_QPA_PLATFORM=xcb exec ./tumbol >"$dir/out.log" 2>&1) &
  game=$!
  win=""
  for _ in $(seq 300); do
    win=$(xdotool search --onlyvisible --name '^Тумбол$' 2>/dev/null | head -1)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "the window did not appear" >&2; exit 1; }
  sleep "${PLAY:-3}"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  # Two presses on the bottom row of the board, then the close button.
  for col in 2 4; do xdotool mousemove $((X + 27 + col * 32 - 8)) $((Y + 29 + 14 * 32 + 16)) click 1 sleep 0.3; done
  xdotool mousemove $((X + 714)) $((Y + 14)) click 1 sleep 0.6 key shift+Tab
  read -r -a stat <"/proc/$game/stat"
  cpu0=$((stat[13] + stat[14]))
  cpu1=$cpu0
  t0=$(date +%s.%N)
  xdotool key space
  while kill -0 "$game" 2>/dev/null; do
    read -r -a stat <"/proc/$game/stat" 2>/dev/null && cpu1=$((stat[13] + stat[14]))
    sleep 0.005
  done
  t1=$(date +%s.%N)
  wait "$game"
  echo "run $run: exit status $?, $(echo "$t1 - $t0" | bc) s after \"Да\", at least $((cpu1 - cpu0)) CPU ticks"
  game=""
done
