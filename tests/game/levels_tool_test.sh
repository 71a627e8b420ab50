#!/usr/bin/env bash
# The level tool's output format: check and play.
set -euo pipefail
build=$1
tool="$build/tumbol-levels"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

row0=0000000000000000000000
floor=1111111111111111111111
{ for i in $(seq 13); do printf '%s\r\n' "$row0"; done
  printf '%s\r\n' 3000000000000000000000 2200000000000000000000 "$floor"; } > "$dir/pair.txt"
{ for i in $(seq 14); do printf '%s\r\n' "$row0"; done
  printf '%s\r\n' 2020000000000000000000 "$floor"; } > "$dir/push.txt"
printf 'R\r\n' > "$dir/bad.txt"
: > "$dir/empty.txt"

out=$("$tool" check "$dir/push.txt" "$dir/bad.txt" "$dir/empty.txt" "$dir/none.txt") && fail "check should exit 1"
echo "$out" | grep -qx "$dir/push.txt: ok, 2 cubes.*" || fail "ok line: $out"
echo "$out" | grep -qx "$dir/bad.txt: warning, 0 cubes.*" || fail "warning line: $out"
echo "$out" | grep -qx "$dir/empty.txt: missing" || fail "empty file is missing: $out"
echo "$out" | grep -qx "$dir/none.txt: missing" || fail "missing line: $out"
"$tool" check "$dir/push.txt" >/dev/null || fail "check of a good map exits 0"
tr -d '\r' < "$dir/push.txt" > "$dir/push_lf.txt"  # as a Linux text editor saves it
out=$("$tool" check "$dir/push_lf.txt") || fail "a map with LF line ends: $out"

out=$("$tool" play "$dir/pair.txt")
[ "$(echo "$out" | head -1)" = "start: v2 f" ] || fail "pair settles as v2 f: $out"
echo "$out" | sed -n 16p | grep -qx "3000000000000000000000" || fail "cube rests on the floor: $out"
[ "$(echo "$out" | tail -1)" = "cubes: 1" ] || fail "one cube left: $out"

out=$("$tool" play "$dir/push.txt" 15,1,L 15,3,R 15,3,L)
[ "$(echo "$out" | sed -n 1p)" = "start: -" ] || fail "start at rest: $out"
[ "$(echo "$out" | sed -n 2p)" = "15,1,L: blocked" ] || fail "edge blocked: $out"
[ "$(echo "$out" | sed -n 3p)" = "15,3,R: -" ] || fail "push right over floor: $out"
[ "$(echo "$out" | sed -n 4p)" = "15,3,L: blocked" ] || fail "moved cube is gone from 15,3: $out"
[ "$(echo "$out" | tail -1)" = "cubes: 2" ] || fail "two cubes: $out"
out=$("$tool" play "$dir/push.txt" 15,3,L)
[ "$(echo "$out" | sed -n 2p)" = "15,3,L: v2 f" ] || fail "pair vanishes: $out"
[ "$(echo "$out" | tail -1)" = "won" ] || fail "won: $out"

set +e
"$tool" play "$dir/none.txt" 2>/dev/null; [ $? -eq 2 ] || fail "missing map exits 2"
"$tool" play "$dir/push.txt" 15,3,X 2>/dev/null; [ $? -eq 2 ] || fail "bad move exits 2"
# solve: the moves feed back into play and win.
out=$("$tool" solve "$dir/push.txt" 2>/dev/null) || fail "solve of a good map exits 0"
[ "$out" = "$(printf '15,1,R\npushes: 1\ndecisions: 1\nchains: 0')" ] || fail "one push: $out"
moves=$(echo "$out" | grep -v ':')
[ "$("$tool" play "$dir/push.txt" $moves | tail -1)" = "won" ] || fail "solution replays to a win"
out=$("$tool" check "$dir/push.txt") ; [ "$out" = "$dir/push.txt: ok, 2 cubes, solvable in 1 pushes" ] || fail "check: $out"
{ for i in $(seq 15); do printf '%s\r\n' "$row0"; done; printf '%s\r\n' "$floor"; } > "$dir/none.txt.map"
out=$("$tool" solve "$dir/none.txt.map" 2>/dev/null) || fail "no cubes is solved"
[ "$out" = "$(printf 'pushes: 0\ndecisions: 0\nchains: 0')" ] || fail "no cubes, no pushes: $out"
# traps: a 4 resting on a 2 between pits; the tool lists a push that loses
# without a vanish and one whose own settling vanishes a pair and still
# loses (*).
{ for i in $(seq 13); do printf '%s\r\n' "$row0"; done
  printf '%s\r\n' 0040000000000000000000 1020400200000000000000 1010110111111111111111; } > "$dir/traps.txt"
out=$("$tool" traps "$dir/traps.txt") || fail "traps exits 0"
echo "$out" | grep -qx "0 14,3,L" || fail "a plain trap: $out"
echo "$out" | grep -qx "1 14,3,R \*" || fail "a trap that vanishes a pair: $out"
[ "$(echo "$out" | tail -1)" = "traps: $(echo "$out" | grep -vc traps:)" ] || fail "traps count: $out"
{ for i in $(seq 14); do printf '%s\r\n' "$row0"; done
  printf '%s\r\n' 2020200000000000000000 "$floor"; } > "$dir/three.txt"
out=$("$tool" solve "$dir/three.txt" 2>/dev/null); [ $? -eq 1 ] || fail "three of a kind exits 1"
[ "$out" = unsolvable ] || fail "three of a kind: $out"
out=$("$tool" check "$dir/three.txt"); [ $? -eq 1 ] || fail "check of an unsolvable map exits 1"
[ "$out" = "$dir/three.txt: ok, 3 cubes, unsolvable" ] || fail "check of an unsolvable map: $out"
# Forty cubes of twenty kinds: the limit stops the search, and memory stays small.
{ for i in $(seq 12); do printf '%s\r\n' "$row0"; done
  printf '%s\r\n' 23456789ABCDEFGHIJKL00 LKJIHGFEDCBA9876543200 0000000000000000000000 "$floor"; } > "$dir/forty.txt"
set +e
out=$("$tool" solve --limit 50000 "$dir/forty.txt" 2>"$dir/err"); [ $? -eq 3 ] || fail "state limit exits 3"
[ "$out" = unknown ] || fail "state limit: $out"
kb=$(sed -n 's/.*peak memory \([0-9]*\) kB.*/\1/p' "$dir/err")
[ -n "$kb" ] && [ "$kb" -lt 200000 ] || fail "peak memory under 200 MB: $(cat "$dir/err")"
"$tool" solve "$dir/none.txt" 2>/dev/null; [ $? -eq 2 ] || fail "missing map exits 2"
"$tool" solve --limit x "$dir/push.txt" 2>/dev/null; [ $? -eq 2 ] || fail "bad limit exits 2"
# generate: proven-winnable maps, the same for the same seed, the ranges of
# their difficulty kept, a chain from difficulty 4 on.
mkdir "$dir/a" "$dir/b"
out=$("$tool" generate --seed 5 --difficulty 4 --count 2 --out "$dir/a") || fail "generate exits 0: $out"
"$tool" generate --seed 5 --difficulty 4 --count 2 --out "$dir/b" >/dev/null || fail "generate again"
[ "$(ls "$dir/a")" = "$(printf 'polegen5-4-1.txt\npolegen5-4-2.txt')" ] || fail "two maps: $(ls "$dir/a")"
diff -r "$dir/a" "$dir/b" >/dev/null || fail "same seed, same maps"
echo "$out" | grep -Eq "polegen5-4-1.txt: [0-9]+ cubes, pushes (1[0-2]), decisions (7|8), chains [1-9], traps [0-9]+ \([0-9]+\), shared bricks 0\.[0-5]" || fail "figures: $out"
"$tool" check "$dir"/a/*.txt | grep -vq "solvable in" && fail "generated maps are won: $("$tool" check "$dir"/a/*.txt)"
"$tool" generate --seed 5 --difficulty 11 2>/dev/null; [ $? -eq 2 ] || fail "difficulty 11 exits 2"
"$tool" generate --difficulty 3 2>/dev/null; [ $? -eq 2 ] || fail "no seed exits 2"
set -e
echo "levels tool: all checks passed"
