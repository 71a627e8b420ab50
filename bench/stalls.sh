#!/usr/bin/env bash
# The interface thread's longest stall, under Xvfb: over the first 5 s after
# the game window appears, and at a track change (the first track, made 5 s
# long here, ends at about 6 s and the next one is opened and started).
# Also how late the level's slide-in ends: "Загрузить" is pressed four
# times, and each slide-in (16 frames, 0.16 s of pauses) is timed against
# the sum of its pauses.
#
#   bench/stalls.sh [BUILD_DIR]          # default build/
#   RUNS=5 bench/stalls.sh ...           # runs (default 3); figures per run and their worst
#
# The game's TUMBOL_STALL_WATCH=SECONDS has it time a 1 ms timer on the
# interface thread from the window's first paint on and print, at the end,
# every gap of 2 ms or more past its millisecond, and when the board started
# and stopped moving. The first paint itself ends the start-up
# (bench/startup.sh times it); it is printed apart, as "shown in".
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(realpath -m "${1:-$here/../build}")"
runs="${RUNS:-3}"
for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done
[[ -x "$build/tumbol" ]] || { echo "no game at $build/tumbol" >&2; exit 2; }
. "$here/../tests/game_on_xvfb.sh"
make_game_folder
copy_game "$build" "$dir"
# A 5-second chord as the first track, so the second one comes soon.
python3 - "$dir/music1.mid" <<'PY'
import sys
track = bytes([0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x00,
               0x00, 0x90, 60, 80, 0x00, 0x90, 64, 80, 0x00, 0x90, 67, 80,
               0xA5, 0x40, 0x80, 60, 0, 0x00, 0x80, 64, 0, 0x00, 0x80, 67, 0,
               0x00, 0xFF, 0x2F, 0x00])
head = b"MThd" + (6).to_bytes(4, "big") + bytes([0, 0, 0, 1, 0x03, 0xC0])
open(sys.argv[1], "wb").write(head + b"MTrk" + len(track).to_bytes(4, "big") + track)
PY
start_xvfb "$dir" || { echo "Xvfb did not start" >&2; exit 1; }
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy

for ((run = 1; run <= runs; run++)); do
  (cd "$dir" && TUMBOL_STALL_WATCH=10 exec ./tumbol >/dev/null 2>"$dir/watch.txt") &
  game=$!
  win=""
  for _ in $(seq 100); do
    win=$(xdotool search --name '^Тумбол$' 2>/dev/null | head -1) && [[ -n "$win" ]] && break
    sleep 0.05
  done
  [[ -n "$win" ]] || { echo "the game window did not appear" >&2; exit 1; }
  eval "$(xdotool getwindowgeometry --shell "$win")"
  for at in 1.5 2.2 2.9 3.6; do
    sleep 0.7
    xdotool mousemove $((X + 338 + 57)) $((Y + 544 + 13)) click 1  # "Загрузить"
  done
  wait "$game" || true
  game=""
  python3 - "$dir/watch.txt" "$run" <<'PY'
import sys
stalls, motion, loads, shown = [], [], [], 0.0
for l in open(sys.argv[1]):
    if l.startswith("stall watch: window shown"):
        shown = float(l.split(":")[-1])
    if l.startswith("stall watch: stalls"):
        stalls = [tuple(map(float, x.split(":"))) for x in l.split("s:ms:")[1].split()]
    if l.startswith("stall watch: board in motion"):
        motion = [float(x) for x in l.split("s:")[1].split()]
    if l.startswith("stall watch: track loading"):
        loads = [float(x) for x in l.split("s:")[1].split()]
worst = lambda a, b: max([(ms, at) for at, ms in stalls if a <= at < b] or [(0, a)])
# The second track starts loading at the third change of the probe; a build
# without the probe gets the seconds after the first five.
change = (loads[2] - 0.3, loads[2] + 1.5) if len(loads) >= 3 else (5, 10)
slides = [round((motion[i + 1] - motion[i] - 0.16) * 1000, 1) for i in range(0, len(motion) - 1, 2)]
print("run %s: shown in %.1f ms, then longest stall 0-5 s %.1f ms (at %.3f s), at the track change (%.1f-%.1f s)"
      " %.1f ms (at %.3f s); slide-ins end late by %s ms"
      % ((sys.argv[2], shown) + worst(0, 5) + change + worst(*change) + (" ".join(map(str, slides)) or "-",)))
PY
done
