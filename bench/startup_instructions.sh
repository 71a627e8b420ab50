#!/usr/bin/env bash
# The interface thread's instructions from exec until the window is shown,
# for the game and a bare Qt window, counted by callgrind under Xvfb. Unlike
# the wall clock (bench/startup.sh) the count hardly moves between runs or
# with the machine's load, so it shows what a change to the start-up saves.
#
#   bench/startup_instructions.sh [BUILD_DIR]      # default: build/ beside this repo
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(realpath -m "${1:-$here/../build}")"
for tool in valgrind callgrind_annotate xvfb-run; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (packages valgrind, xvfb)" >&2; exit 2; }
done
if [[ ! -x "$build/tumbol" || ! -x "$build/bench/bare_window" ]]; then
  cmake --build "$build" -j2 --target tumbol bare_window copy_data >/dev/null
fi
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
export TUMBOL_EXIT_WHEN_SHOWN=1 QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy

# Instructions of the program's first thread up to its "shown" line: the
# counts are written out just before the line is printed.
count() {
  local name="$1" binary="$2"
  (cd "$(dirname "$binary")" &&
    xvfb-run -a -s "-screen 0 1280x1024x24" valgrind --tool=callgrind --separate-threads=yes \
      --dump-before=puts --callgrind-out-file="$out/$name.%p" "$binary" >/dev/null 2>"$out/$name.log")
  local dump
  dump="$(ls "$out/$name".*.1-01 2>/dev/null | head -1)"
  [[ -n "$dump" ]] || { echo "$name never reported its window shown (see $out/$name.log)" >&2; return 1; }
  callgrind_annotate "$dump" | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }'
}
game="$(count tumbol "$build/tumbol")"
bare="$(count bare "$build/bench/bare_window")"
awk -v g="$game" -v b="$bare" 'BEGIN {
  printf "interface thread until shown: tumbol %.1f M instructions, bare window %.1f M (%.2f times)\n",
         g / 1e6, b / 1e6, g / b }'
