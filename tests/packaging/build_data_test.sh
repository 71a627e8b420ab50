#!/usr/bin/env bash
# The build brings the shipped data beside the game: files the player changed
# there stay, files still as shipped follow the source, new ones arrive, the
# source folder is only read, and the folder's README stays behind.
set -uo pipefail
source=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
from=$dir/data to=$dir/build
mkdir "$from" "$to"
for f in record.txt pole1.txt pole2.txt pole3.txt m1.wav README.md; do echo "shipped $f" >"$from/$f"; done
ship() { cmake -DFROM="$from" -DTO="$to" -P "$source/scripts/ship_data.cmake" >/dev/null || fail "the script failed"; }
ship
for f in record.txt pole1.txt pole2.txt pole3.txt m1.wav; do
  [ "$(cat "$to/$f")" = "shipped $f" ] || fail "$f was not brought"
done
[ -e "$to/README.md" ] && fail "README.md was brought beside the game"
echo "player's table" >"$to/record.txt"
echo "player's map" >"$to/pole2.txt"
rm "$to/pole3.txt"
for f in record.txt pole1.txt pole2.txt m1.wav pole9.txt; do echo "new $f" >"$from/$f"; done
sources=$(cd "$dir" && find data -printf '%p %s %T@\n' | sort && md5sum data/*)
ship
ship
[ "$(cd "$dir" && find data -printf '%p %s %T@\n' | sort && md5sum data/*)" = "$sources" ] || fail "the source folder changed"
while read -r f want; do
  [ "$(cat "$to/$f")" = "$want" ] || fail "$f holds '$(cat "$to/$f")', not '$want'"
done <<'TABLE'
record.txt player's table
pole2.txt player's map
pole1.txt new pole1.txt
m1.wav new m1.wav
pole9.txt new pole9.txt
pole3.txt shipped pole3.txt
TABLE
echo "build data test: all checks passed"
