# Sourced by the scripts that run the real game under Xvfb (the smoke and
# openbox tests, bench/exit_time.sh).

# A checked (sanitizer) build starts and draws several times slower: every
# wait of the scripts grows by TUMBOL_TEST_SLOWNESS (1 when unset).
slowness=${TUMBOL_TEST_SLOWNESS:-1}
pause() { sleep "$(awk -v s="$1" -v k="$slowness" 'BEGIN { print s * k }')"; }
tries() { echo $(($1 * slowness)); }

# make_game_folder: a scratch folder in dir; on exit the game ($game) and the
# server ($xvfb), if running, are stopped and the folder removed.
make_game_folder() {
  dir=$(mktemp -d)
  trap '[ -n "${game:-}" ] && kill "$game" 2>/dev/null; [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
}

# copy_game BUILD DIR: the game and every file it reads beside it, in DIR.
copy_game() {
  cp "$1/tumbol" "$2/"
  local f
  for f in "$1"/pole*.txt "$1"/record.txt "$1"/skins.bmp "$1"/skinsp.jpg "$1"/*.wav "$1"/*.mid "$1"/*.ani; do
    [ -e "$f" ] && cp "$f" "$2/"
  done
}

# start_xvfb DIR: a 1024x768 server, its pid in xvfb and its name in DISPLAY.
# The server names its display once it takes clients; the first start on a
# new machine can take many seconds. Returns 1 when it did not start in 30 s.
# -noreset: a server that resets as its last client leaves refuses the
# next one for a moment (a window manager started just after a probe).
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$1/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 300); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || return 1
  export DISPLAY=:$(head -1 "$1/display")
}

# game_state PID: for a script that saw no window, whether the game is still
# running and, if it is, where each of its threads stands (gdb, if installed).
game_state() {
  kill -0 "$1" 2>/dev/null || { echo "the game has ended"; return; }
  echo "the game is still running"
  command -v gdb >/dev/null || return 0
  timeout 30 gdb -p "$1" -batch -ex 'thread apply all bt 12' 2>/dev/null | grep -E '^(Thread|#)' | head -80
}
