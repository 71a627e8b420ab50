#!/usr/bin/env bash
# The game under a headless sway, as an unprivileged user: natively on
# Wayland, and as a user starts it (both displays offered, no platform
# chosen: XWayland). In each: the splash comes up in the middle, the
# corners of the window show the desktop,
# drags of its frame by (+100, +50) and then (-60, -40) move it by that,
# quick clicks on it do not, and a press on the game window while the
# records window is open leaves that one on top.
# Exits 77 (skipped) where sway or grim is not installed.
# TUMBOL_SHOTS=folder keeps the screenshots.
set -uo pipefail
build=$1
for tool in sway swaymsg grim; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
fail() { echo "FAIL: $*"; exit 1; }
for tool in swaybg jq convert setpriv; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/deps.sh installs it)"
done
[ -x "$build/tumbol_virtual_pointer" ] || fail "tumbol_virtual_pointer was not built (libwayland-dev)"

if [ "${2:-}" != inner ]; then
  # sway refuses root: an unprivileged user runs a copy of the game.
  dir=$(mktemp -d /tmp/tumbol-sway.XXXXXX)
  trap 'rm -rf "$dir"' EXIT
  cp "$build/tumbol" "$build/tumbol_virtual_pointer" "$0" "$(dirname "$0")/../game_on_xvfb.sh" "$dir/"
  for f in "$build"/pole*.txt "$build"/record.txt "$build"/skins.bmp "$build"/skinsp.jpg; do
    [ -e "$f" ] && cp "$f" "$dir/"
  done
  chmod -R a+rX "$dir"
  run_as=()
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$dir"
    run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  "${run_as[@]}" env -i PATH="$PATH" TUMBOL_SHOTS="${TUMBOL_SHOTS:-}" TUMBOL_TEST_SLOWNESS="${TUMBOL_TEST_SLOWNESS:-1}" ASAN_OPTIONS="${ASAN_OPTIONS:-}" \
    UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" bash "$dir/$(basename "$0")" "$dir" inner
  exit $?
fi

# From here on: the unprivileged user, in the copy.
cd "$build"
. ./game_on_xvfb.sh
trap 'kill $(jobs -p) 2>/dev/null' EXIT
export HOME=$build/home XDG_RUNTIME_DIR=$build/run
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
export WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1
desk='#206040'  # the desktop's colour
cat >sway.conf <<EOF
output HEADLESS-1 resolution 1024x768 position 0 0 bg $desk solid_color
exec echo "\$DISPLAY" >$build/display
EOF
sway -c sway.conf >sway.log 2>&1 &
for _ in $(seq 100); do [ -s display ] && break; sleep 0.1; done
[ -s display ] || fail "sway did not start: $(tail -5 sway.log)"
export WAYLAND_DISPLAY SWAYSOCK
WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-* | grep -v lock | head -1)
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
x_display=$(cat display)
coproc pointer { ./tumbol_virtual_pointer 1024 768 2>&1; }
point() {
  echo "$*" >&"${pointer[1]}"
  read -r -t 5 answer <&"${pointer[0]}" && [ "$answer" = ok ] || fail "the pointer: $answer"
}
point move 1000 760

# The rectangle of the window named $1, as "x y w h", or nothing.
rect() {
  swaymsg -t get_tree | jq -r --arg n "$1" \
    'first(.. | objects | select(.name? == $n and .visible? == true) | .rect | "\(.x) \(.y) \(.width) \(.height)") // empty'
}
wait_for() {  # condition, what (evaluated when it fails); longer for a checked build
  for _ in $(seq $((100 * ${TUMBOL_TEST_SLOWNESS:-1}))); do eval "$1" && return 0; sleep 0.1; done
  eval fail "\"$2\""
}
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }

# Drags the game window's left frame (off every control) by ($1, $2) in ten
# equal steps; the window must end where the pointer says. The game hands
# the move to sway at the press, which sway takes from where the pointer is
# then: the first step waits for it, as a hand does.
drag() {
  local dx=$1 dy=$2 x y w h
  read -r x y w h <<<"$(rect Тумбол)"
  point move $((x + 10)) $((y + 300))
  point down
  sleep 0.2
  for step in $(seq 10); do point move $((x + 10 + step * dx / 10)) $((y + 300 + step * dy / 10)); sleep 0.03; done
  point up
  local want="$((x + dx)) $((y + dy)) $w $h"
  wait_for '[ "$(rect Тумбол)" = "$want" ]' \
    '$mode: the drag by ($dx, $dy) moved the window from $x,$y to $(rect Тумбол)'
}

# A quick click on the frame (20 ms, as quick as a hand clicks), then the
# pointer goes on: the window stays. (Through XWayland sway takes the move
# the game hands it at the press even after a release that came first, and
# ignores the game's cancel: a press and release within the same few
# milliseconds, as only a script makes them, would leave the window
# following the pointer until the next click.)
click_frame() {
  local before
  before=$(rect Тумбол)
  read -r x y _ <<<"$before"
  point move $((x + 10)) $((y + 300))
  point down
  sleep 0.02
  point up
  point move $((x + 200)) $((y + 400))
  sleep 0.3
  point move $((x + 250)) $((y + 420))
  sleep 0.3
  [ "$(rect Тумбол)" = "$before" ] || fail "$mode: a click on the frame moved the window from $before to $(rect Тумбол)"
}

check_mode() {  # name, the shell sway should see, the game's environment
  local mode=$1 shell=$2
  shift 2
  swaymsg -t subscribe -m '["window"]' >"events-$mode.json" 2>/dev/null &
  events=$!
  sleep 0.3  # subscribed
  env "$@" SDL_AUDIODRIVER=dummy ./tumbol >"game-$mode.log" 2>&1 &
  game=$!
  wait_for '[ -n "$(rect Тумбол)" ]' '$mode: no game window: $(tail -3 "game-$mode.log"); $(game_state "$game")'
  read -r x y w h <<<"$(rect Тумбол)"
  [ "$w $h" = "760 614" ] || fail "$mode: the window is $w x $h"
  # The splash came up in the middle of the screen (give or take a title).
  wait_for 'splash=$(jq -r "select(.change == \"floating\" and .container.rect.width < 500) | .container.rect |
      \"\\(.x + .width / 2 | floor) \\(.y + .height / 2 | floor)\"" "events-$mode.json" | head -1); [ -n "$splash" ]' \
    '$mode: no splash was seen'
  kill "$events"
  read -r cx cy <<<"$splash"
  [ $((cx - 512)) -ge -3 ] && [ $((cx - 512)) -le 3 ] && [ $((cy - 384)) -ge -20 ] && [ $((cy - 384)) -le 3 ] ||
    fail "$mode: the splash's middle was at $cx,$cy"
  seen=$(swaymsg -t get_tree | jq -r 'first(.. | objects | select(.name? == "Тумбол") | .shell)')
  [ "$seen" = "$shell" ] || fail "$mode: the game runs on $seen, not $shell"
  # Once the window is drawn (its title plate is not the desktop), its
  # corners are.
  wait_for 'grim "shot-$mode.png" && [ "$(pixel "shot-$mode.png" $((x + 380)) $((y + 10)))" != "${desk#\#}" ]' \
    '$mode: the window is not drawn'
  [ -n "${TUMBOL_SHOTS:-}" ] && cp "shot-$mode.png" "$TUMBOL_SHOTS/" 2>/dev/null
  for corner in "$x $y" "$((x + w - 1)) $y" "$x $((y + h - 1))" "$((x + w - 1)) $((y + h - 1))"; do
    [ "$(pixel "shot-$mode.png" $corner)" = "${desk#\#}" ] ||
      fail "$mode: the corner at $corner shows $(pixel "shot-$mode.png" $corner), not the desktop"
  done

  # Twice, so the second starts away from where sway would centre it.
  drag 100 50
  drag -60 -40
  for _ in 1 2 3 4 5; do click_frame; done
  read -r x y w h <<<"$(rect Тумбол)"

  # The records button, then the game window's frame.
  point move $((x + 540)) $((y + 587))
  point down
  point up
  wait_for '[ -n "$(rect Рекордсмены)" ]' '$mode: no records window'
  # The right frame, clear of the records window.
  point move $((x + 750)) $((y + 300))
  point down
  point up
  floating() { swaymsg -t get_tree | jq -c '[.. | objects | select(.type? == "floating_con") | [.name, .focused]]'; }
  wait_for '[ "$(floating)" = "[[\"Тумбол\",false],[\"Рекордсмены\",true]]" ]' \
    '$mode: after a press on the game window, bottom to top: $(floating)'
  grim "shot-$mode-records.png"
  [ -n "${TUMBOL_SHOTS:-}" ] && cp "shot-$mode-records.png" "$TUMBOL_SHOTS/" 2>/dev/null
  # Its close button: the game window has the keyboard again, where it was.
  read -r rx ry _ <<<"$(rect Рекордсмены)"
  point move $((rx + 290)) $((ry + 380))
  point move $((rx + 292)) $((ry + 384))
  point down
  point up
  wait_for '[ "$(floating)" = "[[\"Тумбол\",true]]" ]' '$mode: after the records window, $(floating)'
  [ "$(rect Тумбол)" = "$x $y $w $h" ] || fail "$mode: the game window went from $x,$y to $(rect Тумбол)"
  kill "$game"
  wait "$game" 2>/dev/null
  wait_for '[ -z "$(rect Тумбол)" ]' '$mode: the game did not end'
  echo "$mode: all checks passed"
}

check_mode wayland xdg_shell QT_QPA_PLATFORM=wayland
# As a sway session starts a program: both displays, the session type.
check_mode user xwayland DISPLAY="$x_display" XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway
# Started with only the X display named: XWayland must still be told from
# an X server of its own, whose mask alone would leave black corners here.
check_mode x-only xwayland -u WAYLAND_DISPLAY DISPLAY="$x_display"
