#!/usr/bin/env bash
# Kills a saving game with SIGKILL at random moments and counts what each
# kill left: an empty or cut record.txt, contents that are neither the old
# nor the new table, and temporary files; then the same after the next start
# has tidied up. A small program saves two tables by turns with the game's
# own writer (base/data_file.cpp), for as long as it lives.
#
#   bench/killed_saves.sh [KILLS] [WAY]...   # default 400 kills, every way
#   BIG=1 bench/killed_saves.sh ...          # tables of ~200 kB, not ~250 B
# Ways: rename (a plain file), symlink, hardlink (written in place, a copy
# beside), rofolder (written in place by nobody in a folder that takes no new
# file: run as root).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
kills="${1:-400}"
shift || true
ways=("${@:-rename symlink hardlink rofolder}")
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
cat >"$work/saver.cpp" <<'EOF'
#include <cstdio>
#include <cstdlib>
#include <string>
#include "base/data_file.h"
std::string Table(int pad) {
  std::string t;
  for (int i = 0; i < 10; ++i) t += "Player" + std::to_string(i) + std::string(pad, 'x') + "[:]0,0" + std::to_string(i + 1) + "\r\n";
  return t;
}
int main(int, char** argv) {
  const std::string way = argv[1], path = argv[2];
  const int big = std::getenv("BIG") ? 20000 : 0;
  const std::string a = Table(5 + big), b = Table(12 + big / 2);
  if (way == "a" || way == "b") {
    FILE* f = std::fopen(path.c_str(), "w");
    std::fputs((way == "a" ? a : b).c_str(), f);
    return std::fclose(f);
  }
  if (way == "start") return tumbol::RecoverInterruptedSaves(path), 0;
  for (int i = 0;; ++i) { std::string error; tumbol::WriteDataFile(path, i % 2 ? a : b, error); }
}
EOF
g++ -O2 -std=c++17 -I"$here/.." -o "$work/saver" "$work/saver.cpp" "$here/../base/data_file.cpp"
saver=$work/saver
"$saver" a "$work/a"
"$saver" b "$work/b"
shortest=$(stat -c %s "$work/a" "$work/b" | sort -n | head -1)
for way in ${ways[*]}; do
  dir=$work/$way
  mkdir "$dir"
  chmod 755 "$dir"
  file=$dir/record.txt real=$dir/record.txt as=()
  cp "$work/a" "$file"
  case $way in
    hardlink) ln "$file" "$dir/link" ;;
    symlink) mv "$file" "$dir/real.txt"; ln -s real.txt "$file"; real=$dir/real.txt ;;
    rofolder)
      [ "$(id -u)" -eq 0 ] || { echo "rofolder: skipped, needs root"; continue; }
      chmod 666 "$file"; as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --) ;;
  esac
  extra() { ls "$dir" | grep -cvx 'record.txt\|link\|real.txt' || true; }
  empty=0 cut=0 mixed=0 mixedAfter=0 leftovers=0
  for _ in $(seq "$kills"); do
    "${as[@]}" "$saver" save "$file" &
    pid=$!
    sleep "0.0$(printf %02d $((RANDOM % 45 + 5)))"
    kill -9 "$pid"
    wait "$pid" 2>/dev/null || true
    size=$(stat -c %s "$real")
    [ "$size" -eq 0 ] && empty=$((empty + 1))
    [ "$size" -lt "$shortest" ] && cut=$((cut + 1))
    cmp -s "$real" "$work/a" || cmp -s "$real" "$work/b" || mixed=$((mixed + 1))
    leftovers=$((leftovers + $(extra)))
    "${as[@]}" "$saver" start "$dir/"
    cmp -s "$real" "$work/a" || cmp -s "$real" "$work/b" || { mixedAfter=$((mixedAfter + 1)); cp "$work/a" "$real"; }
  done
  echo "$way: $kills kills; after a kill: $empty empty, $cut cut short, $mixed neither table;" \
       "after the next start: $mixedAfter neither table, $(extra) extra files left" \
       "(extra files seen after kills, summed: $leftovers)"
done
