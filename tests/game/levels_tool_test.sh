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
echo "levels tool: all checks passed"
