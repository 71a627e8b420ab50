#!/usr/bin/env bash
# Start-up time of the game against a bare Qt window of the same size, under
# Xvfb: from exec to the moment the program reports its window shown.
#
#   bench/startup.sh [BUILD_DIR]              # default: build/ beside this repo
#   bench/startup.sh TUMBOL_BINARY BARE_BINARY
#   RUNS=31 bench/startup.sh ...
#
# The game says "shown" and quits once its window's first paint has gone to
# the display when TUMBOL_EXIT_WHEN_SHOWN=1; bare_window says it at the
# same moment of its own first paint. The runs interleave, one of each in turn.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
runs="${RUNS:-15}"

if [[ "${1:-}" == --inner ]]; then
  tumbol="$2"
  bare="$3"
  now() { date +%s%N; }
  # Milliseconds from exec until the program prints "shown"; fails if it never does.
  time_one() {
    local start shownAt
    start="$(now)"
    # A program that waits on a message box (a data file missing beside it)
    # would never report; give up on it after half a minute.
    shownAt="$(cd "$(dirname "$1")" && timeout 30 "$1" 2>/dev/null | while IFS= read -r line; do
      if [[ "$line" == shown ]]; then now; fi
    done)" || true
    if [[ -z "$shownAt" ]]; then
      echo "$1 never reported its window shown (are its data files beside it?)" >&2
      return 1
    fi
    echo $(( (shownAt - start) / 1000000 ))
  }
  median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
  # One unmeasured run each, so both start from warm file caches.
  time_one "$tumbol" >/dev/null
  time_one "$bare" >/dev/null
  gameTimes=()
  bareTimes=()
  for ((i = 0; i < runs; i++)); do
    gameTimes+=("$(time_one "$tumbol")")
    bareTimes+=("$(time_one "$bare")")
  done
  gameMedian="$(echo "${gameTimes[*]}" | median)"
  bareMedian="$(echo "${bareTimes[*]}" | median)"
  echo "tumbol ms:      ${gameTimes[*]}"
  echo "bare window ms: ${bareTimes[*]}"
  echo "median: tumbol ${gameMedian} ms, bare window ${bareMedian} ms"
  awk -v g="$gameMedian" -v b="$bareMedian" 'BEGIN {
    if (b > 0) printf "ratio tumbol / bare window: %.2f\n", g / b; else print "ratio: bare window took 0 ms" }'
  exit 0
fi

if [[ $# -ge 2 ]]; then
  tumbol="$(realpath "$1")"
  bare="$(realpath "$2")"
else
  build="$(realpath -m "${1:-$here/../build}")"
  if [[ ! -x "$build/tumbol" || ! -x "$build/bench/bare_window" ]]; then
    [[ -f "$build/build.ninja" || -f "$build/Makefile" ]] || cmake -S "$here/.." -B "$build" >/dev/null
    cmake --build "$build" -j2 --target tumbol bare_window copy_data >/dev/null
  fi
  tumbol="$build/tumbol"
  bare="$build/bench/bare_window"
fi
for bin in "$tumbol" "$bare"; do
  [[ -x "$bin" ]] || { echo "not an executable: $bin" >&2; exit 2; }
done

command -v xvfb-run >/dev/null || { echo "xvfb-run is needed (package xvfb)" >&2; exit 2; }
export TUMBOL_EXIT_WHEN_SHOWN=1 QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy RUNS="$runs"
echo "$runs runs each under Xvfb"
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "${BASH_SOURCE[0]}" --inner "$tumbol" "$bare"
