#!/usr/bin/env bash
# Kills a saving game with SIGKILL at random moments and counts what each
# kill left: an empty or cut record.txt, contents that are neither the old
# nor the new table, and leftover files; then the same after the next start
# has tidied up, how many kills found the other table in place (so saves did
# land), and whether a player's own record.txt.251208 beside it survived. A small program saves two tables by turns with the game's own
# writer (base/data_file.cpp), for as long as it lives.
#
#   bench/killed_saves.sh [KILLS] [WAY]...   # default 400 kills, every way
#   BIG=1 bench/killed_saves.sh ...          # tables of ~200 kB, not 6-12 kB
# Every way but "page" saves tables larger than a page of the file.
# Ways:
#   rename     a plain file, replaced by a new one
#   symlink    a link to a file beside it, whose new file replaces it
#   hardlink   a file with a second link: written in place, a copy beside
#   foreign    a file of root's, writable by all, saved by nobody in nobody's
#              folder: written in place, a copy beside
#   rofolder   a file writable by nobody in root's folder, which takes no new
#              file: written in place, the copy in nobody's data folder
#   sharedlink nobody's data folder holds a link to such a file
#   page       the same file with no data folder to keep a copy in: tables
#              that fit a page, written in one piece
# The last four run as nobody and need root.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
kills="${1:-400}"
shift || true
ways=("${@:-rename symlink hardlink foreign rofolder sharedlink page}")
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
cat >"$work/saver.cpp" <<'EOF'
#include <cstdio>
#include <cstdlib>
#include <string>
#include "base/data_file.h"
std::string Table(int entries, int pad) {
  std::string t;
  for (int i = 0; i < entries; ++i)
    t += "Player" + std::to_string(i) + std::string(pad, 'x') + "[:]0,0" + std::to_string(i % 9 + 1) + "\r\n";
  return t;
}
int main(int, char** argv) {
  const std::string way = argv[1], path = argv[2];
  const int entries = std::getenv("SMALL") ? 10 : std::getenv("BIG") ? 4000 : 300;
  const std::string a = Table(entries, 5), b = Table(entries * 4 / 3, 12);
  if (way == "a" || way == "b") {
    FILE* f = std::fopen(path.c_str(), "w");
    std::fputs((way == "a" ? a : b).c_str(), f);
    return std::fclose(f);
  }
  if (way == "start") return tumbol::RecoverInterruptedSaves(path), 0;
  for (int i = 0;; ++i) { std::string error; tumbol::WriteDataFile(path, i % 2 ? a : b, error); }
}
EOF
g++ -O2 -std=c++17 -I"$here/.." -o "$work/saver" "$work/saver.cpp" "$here/../base/data_file.cpp" \
  "$here/../base/game_folders.cpp" "$here/../base/file_exists.cpp" "$here/../base/text_lines.cpp"
chmod 755 "$work/saver"
for way in ${ways[*]}; do
  small=()
  [ "$way" = page ] && small=(env SMALL=1)
  "${small[@]}" "$work/saver" a "$work/a"
  "${small[@]}" "$work/saver" b "$work/b"
  shortest=$(stat -c %s "$work/a" "$work/b" | sort -n | head -1)
  dir=$work/$way
  mkdir "$dir"
  chmod 755 "$dir"
  file=$dir/record.txt real=$dir/record.txt as=("${small[@]}") keep='record.txt\|link\|real.txt\|record.txt.251208'
  cp "$work/a" "$file"
  echo "the player's" >"$dir/record.txt.251208"
  case $way in
    hardlink) ln "$file" "$dir/link" ;;
    symlink) mv "$file" "$dir/real.txt"; ln -s real.txt "$file"; real=$dir/real.txt ;;
    foreign | rofolder | sharedlink | page)
      [ "$(id -u)" -eq 0 ] || { echo "$way: skipped, needs root"; continue; }
      mkdir -m 755 "$work/$way-home"
      chown nobody:nogroup "$work/$way-home"
      as=(setpriv --reuid=nobody --regid=nogroup --clear-groups -- env -u XDG_DATA_HOME HOME=/nonexistent "${small[@]}")
      [ "$way" = page ] || as+=(XDG_DATA_HOME="$work/$way-home")
      chmod 666 "$file" ;;&
    foreign) chown nobody:nogroup "$dir" ;;
    sharedlink)
      # The game's data folder is nobody's own; the table it links to is not.
      mkdir -m 755 "$work/shared"
      mv "$file" "$work/shared/record.txt"
      ln -s "$work/shared/record.txt" "$file"
      chown -h nobody:nogroup "$dir" "$file"
      real=$work/shared/record.txt ;;
  esac
  extra() {
    { ls -A "$dir"; [ -d "$work/$way-home/tumbol" ] && ls -A "$work/$way-home/tumbol"; } | grep -cvx "$keep" || true
  }
  empty=0 cut=0 mixed=0 mixedAfter=0 leftovers=0 landed=0
  for _ in $(seq "$kills"); do
    before=$(md5sum <"$real")
    "${as[@]}" "$work/saver" save "$file" &
    pid=$!
    sleep "0.0$(printf %02d $((RANDOM % 45 + 5)))"
    kill -9 "$pid" 2>/dev/null || true  # setpriv execs the saver: the same process
    wait "$pid" 2>/dev/null || true
    size=$(stat -c %s "$real")
    [ "$size" -eq 0 ] && empty=$((empty + 1))
    [ "$size" -lt "$shortest" ] && cut=$((cut + 1))
    cmp -s "$real" "$work/a" || cmp -s "$real" "$work/b" || mixed=$((mixed + 1))
    leftovers=$((leftovers + $(extra)))
    "${as[@]}" "$work/saver" start "$dir/"
    [ "$(md5sum <"$real")" = "$before" ] || landed=$((landed + 1))
    cmp -s "$real" "$work/a" || cmp -s "$real" "$work/b" || { mixedAfter=$((mixedAfter + 1)); cp "$work/a" "$real"; }
  done
  player=kept
  [ -f "$dir/record.txt.251208" ] || player=LOST
  echo "$way ($(stat -c %s "$work/a")/$(stat -c %s "$work/b") B): $kills kills, $landed changed the table;" \
       "after a kill: $empty empty," \
       "$cut cut short, $mixed neither table; after the next start: $mixedAfter torn or lost," \
       "$(extra) extra files left, the player's file $player (leftovers seen after kills, summed: $leftovers)"
done
