#!/usr/bin/env bash
# CPU use of the game under Xvfb over a stretch of seconds: first with the
# game window alone, idle; then with the records window open over it (its
# torch flames burning). Prints both as a percentage of one core, from the
# process's user and system ticks in /proc/PID/stat.
#
#   bench/records_cpu.sh [BUILD_DIR] [SECONDS]     # default build/, 10 s
#   SHOT=records.png bench/records_cpu.sh ...      # also keeps a screenshot
#   MUSIC_OFF=1 bench/records_cpu.sh ...           # music switched off first
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(realpath -m "${1:-$here/../build}")"
seconds="${2:-10}"
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done
[[ -x "$build/tumbol" ]] || { echo "no game at $build/tumbol" >&2; exit 2; }

display=:$((500 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
cleanup() { kill "${game:-}" "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
sleep 0.5
(cd "$build" && exec ./tumbol >/dev/null 2>&1) &
game=$!
win=""
for _ in $(seq 100); do
  win=$(xdotool search --name '^Тумбол$' 2>/dev/null | head -1) && [[ -n "$win" ]] && break
  sleep 0.1
done
[[ -n "$win" ]] || { echo "the game window did not appear" >&2; exit 1; }
sleep 2  # past the first settling and the music's start

ticks() { awk '{ print $14 + $15 }' "/proc/$game/stat"; }
hz=$(getconf CLK_TCK)
measure() {
  local before after
  before=$(ticks)
  sleep "$seconds"
  after=$(ticks)
  awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}

eval "$(xdotool getwindowgeometry --shell "$win")"
if [[ -n "${MUSIC_OFF:-}" ]]; then
  xdotool mousemove $((X + 468)) $((Y + 561)) click 1   # the music switch
  sleep 1
fi
idle=$(measure)
xdotool mousemove $((X + 487 + 57)) $((Y + 574 + 13)) click 1   # "Рекорды"
records=""
for _ in $(seq 50); do
  records=$(xdotool search --name '^Рекордсмены$' 2>/dev/null | head -1) && [[ -n "$records" ]] && break
  sleep 0.1
done
[[ -n "$records" ]] || { echo "the records window did not open" >&2; exit 1; }
sleep 1
open=$(measure)
[[ -n "${SHOT:-}" ]] && import -window root "$SHOT"
echo "game window idle:    $idle % of one core over $seconds s"
echo "records window open: $open % of one core over $seconds s"
