#!/usr/bin/env bash
# Builds the Debian package, checks its metadata, unpacks it into a scratch
# root and plays the installed game there under Xvfb as a player who cannot
# write the program folder: level 1 (the shipped map) won in free play, a map
# saved in the editor, and a whole game of quick levels from the player's
# folder that ends in a new record. The map and the record land in
# ~/.local/share/tumbol/; the program folder stays as shipped.
set -uo pipefail
build=$1
for tool in cpack dpkg-deb Xvfb xdotool import desktop-file-validate appstreamcli iconv; do
  if ! command -v "$tool" >/dev/null; then
    echo "package test skipped: $tool is not installed"
    exit 0
  fi
done
if grep -q '^TUMBOL_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "package test skipped: an instrumented build is not packaged"
  exit 0
fi
dir=$(mktemp -d)
chmod 755 "$dir"  # the player must reach the scratch root
cleanup() {
  [ -n "${game:-}" ] && kill "$game" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  chmod -R u+w "$dir" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# --- the package --------------------------------------------------------------
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$dir/tumbol_${version}_$(dpkg --print-architecture).deb
(cd "$build" && cpack -G DEB -B "$dir" >"$dir/cpack.log" 2>&1) || fail "cpack: $(tail -5 "$dir/cpack.log")"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$dir")"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libsdl2-mixer-2.0-0 timgm6mb-soundfont fonts-liberation2; do
  [[ "$depends" == *"$need"* ]] || fail "the package does not depend on $need: $depends"
done
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$dir/lintian.log" 2>&1 || fail "lintian: $(cat "$dir/lintian.log")"
fi
root=$dir/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
program=$root/usr/lib/tumbol
[ "$(readlink "$root/usr/games/tumbol")" = ../lib/tumbol/tumbol ] || fail "no launcher link in usr/games"
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$dir/as.log" 2>&1 ||
  fail "AppStream: $(cat "$dir/as.log")"
for size in 16 22 24 32 48 64 128 256; do
  got=$(identify -format %wx%h "$root/usr/share/icons/hicolor/${size}x${size}/apps/tumbol.png" 2>&1)
  [ "$got" = "${size}x${size}" ] || fail "icon ${size}x${size}: $got"
done
[ -s "$root/usr/share/icons/hicolor/scalable/apps/tumbol.svg" ] || fail "no scalable icon"

# --- a player who cannot write the program folder ---------------------------
home=$dir/home
mkdir "$home"
if [ "$(id -u)" -eq 0 ]; then
  chown nobody:nogroup "$home"
  player=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
else
  chmod -R a-w "$program"
  player=()
fi
"${player[@]}" test -w "$program" && fail "the player can write the program folder"
shipped=$(cd "$program" && ls -l --time-style=+ && md5sum -- *)
data=$home/.local/share/tumbol

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 300); do grep -q . "$dir/display" && break; sleep 0.1; done
grep -q . "$dir/display" || fail "Xvfb did not start: $(cat "$dir/xvfb.log")"
export DISPLAY=:$(head -1 "$dir/display")
(cd "$home" && exec env -i DISPLAY="$DISPLAY" HOME="$home" PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy "${player[@]}" "$root/usr/games/tumbol") \
  >"$dir/game.log" 2>&1 &
game=$!

# Waits for a shown window whose name matches and prints its id.
await() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# Gives a dialog the keyboard, presses keys, and waits until it has closed.
answer() {
  local id
  id=$(await "$1") || fail "no window '$1': $(tail -3 "$dir/game.log")"
  xdotool windowfocus --sync "$id" key $2
  for _ in $(seq 100); do xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -qx "$id" || return 0; sleep 0.1; done
  fail "window '$1' stayed after $2"
}
# A click at (x, y) in the window whose corner is ($1, $2).
click() { xdotool mousemove $(($1 + $3)) $(($2 + $4)) click 1; }
# The board, taken off the screen where the game window is: import given
# the window itself can wait for ever for an event that never comes.
board_shot() { timeout 60 import -window root -crop "705x513+$((gx + 27))+$((gy + 29))" +repage "$1"; }
# Waits until the board has been still for a moment.
settled() {
  local a=$dir/a.png b=$dir/b.png
  sleep 0.3
  board_shot "$a"
  for _ in $(seq 30); do
    sleep 0.15
    board_shot "$b"
    cmp -s "$a" "$b" && return 0
    mv "$b" "$a"
  done
  fail "the board never came to rest"
}

win=$(await '^Тумбол$') || fail "the game window did not appear: $(tail -5 "$dir/game.log")"
eval "$(xdotool getwindowgeometry --shell "$win")"
gx=$X gy=$Y

# Free play: the shipped level 1, by the level tool's solution.
moves=$("$build/tumbol-levels" solve "$program/pole1.txt" 2>/dev/null | grep -E '^[0-9]+,[0-9]+,[LR]$') ||
  fail "the level tool cannot solve the shipped level 1"
settled
for move in $moves; do
  IFS=, read -r row col side <<<"$move"
  if [ "$side" = R ]; then dx=8; else dx=24; fi
  click $gx $gy $((27 + (col - 1) * 32 + dx)) $((29 + (row - 1) * 32 + 16))
  settled
done
answer '^Поздравляем$' Return

# The editor saves an empty map 77; "Закрыть" asks, and "Да" is one Tab back.
click $gx $gy 544 557
editor=$(await '^Редактор уровней$') || fail "the editor did not open"
eval "$(xdotool getwindowgeometry --shell "$editor")"
click $X $Y 764 137
xdotool windowfocus --sync "$editor" type 77
click $X $Y 766 193
for _ in $(seq 50); do [ -s "$data/pole77.txt" ] && break; sleep 0.1; done
[ -s "$data/pole77.txt" ] || fail "the editor's save did not reach the data folder: $(ls -la "$data" 2>&1)"
click $X $Y 782 502
answer '^Выйти$' "shift+Tab space"

# A game of fifteen levels that win as they land sets a record.
empty=0000000000000000000000
for n in $(seq 15); do
  { for _ in $(seq 14); do printf '%s\r\n' $empty; done
    printf '%s\r\n' 2200000000000000000000 1111111111111111111111; } >"$data/pole$n.txt"
done
click $gx $gy 154 557
for _ in $(seq 15); do answer '^Поздравляем$' Return; done
answer '^ПОБЕДИТЕЛЬ$' Return
name=$(await '^Таблица рекордов$') || fail "no name asked for the record"
xdotool windowfocus --sync "$name" type Tester
xdotool key Return
for _ in $(seq 50); do [ -s "$data/record.txt" ] && break; sleep 0.1; done
[ -s "$data/record.txt" ] || fail "the record did not reach the data folder: $(ls -la "$data")"

# Close: the question's default is "Нет".
click $gx $gy 714 14
answer '^Выйти$' "shift+Tab space"
timeout 5 tail --pid="$game" -s 0.1 -f /dev/null || fail "the game did not exit after Yes"
wait "$game" || fail "the game exited with status $?: $(cat "$dir/game.log")"
game=""

# --- what was written, and where ----------------------------------------------
[ "$(stat -c %a "$data")" = 700 ] || fail "the data folder is not private: $(stat -c %a "$data")"
for _ in $(seq 16); do printf '%s\r\n' $empty; done >"$dir/empty.txt"
cmp -s "$data/pole77.txt" "$dir/empty.txt" || fail "the editor's map: $(od -c "$data/pole77.txt" | head -3)"
record=$(iconv -f CP1251 -t UTF-8 "$data/record.txt")
[[ "$(head -1 <<<"$record")" == "Tester[:]"* ]] || fail "the record is not first: $record"
[ "$(tail -n +2 <<<"$record" | tr -d '\r')" = "$(iconv -f CP1251 -t UTF-8 "$program/record.txt" | tail -n +2 | tr -d '\r')" ] ||
  fail "the shipped entries were not kept: $record"
[ "$(cd "$program" && ls -l --time-style=+ && md5sum -- *)" = "$shipped" ] || fail "the program folder changed"
echo "package test: all checks passed"
