#!/usr/bin/env bash
# The music and the cues as a player hears them. gen-music compiles the same
# bytes every time and refuses broken note texts naming file:line and bar;
# every note text passes --check (no 4-bar block back to back for more than
# 20 s, at least 40 % distinct bars, every note in range, a melody that never
# holds one velocity for more than 24 notes) and its track in data/ is what it
# compiles to. Every track, rendered as the game plays it through each font
# installed (TimGM6mb, FluidR3), lasts 134-221 s and does not clip; the tracks
# written as note texts lie within 1.5 dB of their median level, are wide
# (left-right correlation under 0.8), fall near-silent for no more than 4 s
# inside or at the end, and are not cut off while they sound. Each cue's
# loudest 100 ms is 3 to 10 dB over the music, it starts without a click and
# its tail decays instead of being cut; a long session of cues over the music
# keeps 3 dB of headroom.
# A track still without a note text (the earlier generated ones) gets only the
# length and clipping checks: its level and structure are not checked.
set -uo pipefail
build=$1
src=$2
gen=$(cd "$build" && pwd)/tools/gen-music
font=/usr/share/sounds/sf2/TimGM6mb.sf2
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$gen" ] || fail "$gen is not built"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# --- the compiler ---
"$gen" "$src/tests/music/example.txt" "$dir/a.mid" >/dev/null || fail "the example note text does not compile"
"$gen" "$src/tests/music/example.txt" "$dir/b.mid" >/dev/null
cmp -s "$dir/a.mid" "$dir/b.mid" || fail "two compiles of one text differ"
"$gen" --only melody "$src/tests/music/example.txt" "$dir/m.mid" >/dev/null &&
  "$gen" --without melody "$src/tests/music/example.txt" "$dir/r.mid" >/dev/null || fail "--only/--without melody"
[ "$(stat -c %s "$dir/m.mid")" -lt "$(stat -c %s "$dir/a.mid")" ] &&
  [ "$(stat -c %s "$dir/r.mid")" -lt "$(stat -c %s "$dir/a.mid")" ] || fail "--only/--without kept every voice"

head='tempo 60
time 4/4
voice m  program 0  channel 0  range c'"'"' c'"'"''"'"''"'"'  melody
voice b  program 32  channel 1  range c, c'"'"''
# A broken text (after the header above, from line 5 on) and what the refusal must say.
while IFS='@' read -r want body; do
  printf '%s\n%b\n' "$head" "$body" >"$dir/bad.txt"
  rm -f "$dir/bad.mid"
  out=$("$gen" "$dir/bad.txt" "$dir/bad.mid" 2>&1) && fail "accepted a text that should fail with '$want'"
  [[ $out == *"$want"* ]] || fail "refusal '$out' does not say '$want'"
  [ -e "$dir/bad.mid" ] && fail "wrote a file for a refused text ($want)"
done <<'EOF'
bad.txt:6: bar 2: voice m: the bar adds up to 3 quarter notes@m: | c''1 |\nm: | d''2. |\nb: | c1 | c1 |
bad.txt:5: bar 2: voice m: note c is outside@m: | c''1 | c1 |\nb: | c1 | c1 |
bad.txt:6: voice b lasts 4 quarter notes but voice m lasts 8@m: | c''1 | c''1 |\nb: | c1 |
bad.txt:5: bar 1: voice m: e'' is tied to a note that does not follow@m: | e''2~ f'' | c''1 |\nb: | c1 | c1 |
bad.txt:5: bar 1: cannot read 'x''@m: | c''4 x'' c'' c'' |\nb: | c1 |
without its closing '}'@m: | \\repeat 2 { c''1 |\nb: | c1 | c1 |
bad.txt:5: music for the undeclared voice 'q'@q: | c''1 |
bad.txt:5: voice 'f': range c–c'' goes beyond program 73's compass@voice f  program 73  channel 2  range c c''\nm: | c''1 |\nb: | c1 |\nf: | c'1 |
bad.txt:8: bar 1: voices m and n strike c'' at once on channel 0@voice n  program 0  channel 0  range c' c''\nm: | c''1 |\nb: | c1 |\nn: | c''1 |
bad.txt:5: bar 1: only the last bar may be short by the upbeat@m: \\partial 4 c''4 | c''2. | c''1 |\nb: \\partial 4 c4 | c2. | c1 |
EOF

# --check: a 4-bar block played twice at 60 a minute (32 s) fails, the same
# block played again a loudness step up passes, unless a string ensemble plays
# it at twice the speed; the example passes.
block="| c''4 d'' e'' f'' | g''1 | e''2 c'' | d''1 |"
printf '%s\nm: %s %s\nb: \\repeat 8 { c1 | }\n' "$head" "$block" "$block" >"$dir/loop.txt"
printf '%s\nm: %s \\f %s\nb: \\repeat 8 { c1 | }\n' "$head" "$block" "$block" >"$dir/varied.txt"
out=$("$gen" --check "$dir/loop.txt") && fail "--check passed a looped block: $out"
[[ $out == *"longest 4-bar repeat 32.0 s"*"FAILS"* ]] || fail "--check on a looped block said: $out"
"$gen" --check "$dir/varied.txt" "$src/tests/music/example.txt" >/dev/null || fail "--check failed a varied repeat or the example"
sed 's/tempo 60/tempo 120/; s/program 0 /program 48 /' "$dir/varied.txt" >"$dir/smear.txt"  # string ensemble, half-second notes
out=$("$gen" --check "$dir/smear.txt") && fail "--check passed a slow-attack patch under short notes: $out"
# 28 notes at one velocity fail; the same played in phrases do not.
{ printf '%s\n' "$head"; cat <<'TEXT'
m: | c''4 d'' e'' f'' | g'' f'' e'' d'' | c'' e'' g'' e'' | f'' a'' g'' f'' | e'' d'' c'' d'' | e'' g'' f'' e'' | d'' c'' d'' c'' |
b: \repeat 7 { c1 | }
TEXT
} >"$dir/flat.txt"
out=$("$gen" --check "$dir/flat.txt") && fail "--check passed a melody at one velocity: $out"
sed 's|^time 4/4$|time 4/4\nphrases 2|' "$dir/flat.txt" >"$dir/phrased.txt"
"$gen" --check "$dir/phrased.txt" >/dev/null || fail "--check failed a phrased melody: $("$gen" --check "$dir/phrased.txt")"
# One instrument, one pedal: the \ped of the voice on channel 1 holds channel 0, of the same program, too.
printf '%s\nvoice l  program 0  channel 2  range c, c\nm: | c'"''"'1 |\nb: | c1 |\nl: | \\ped c1 |\n' "$head" | sed 's/program 32/program 0/' >"$dir/pedal.txt"
"$gen" "$dir/pedal.txt" "$dir/pedal.mid" >/dev/null || fail "the pedal text does not compile"
for ch in $'\xb0' $'\xb1' $'\xb2'; do
  LC_ALL=C grep -q "$ch"$'\x40\x7f' "$dir/pedal.mid" || fail "the pedal does not hold every channel of its program"
done

# --- the shipped note texts ---
texts=()
for n in 1 2 3 4 5 6 7 8 9; do
  if [ -e "$src/tools/music/music$n.txt" ]; then
    texts+=("$n")
    "$gen" "$src/tools/music/music$n.txt" "$dir/music$n.mid" >/dev/null || fail "music$n.txt does not compile"
    cmp -s "$dir/music$n.mid" "$src/data/music$n.mid" || fail "data/music$n.mid is not what music$n.txt compiles to"
  else
    echo "music$n: no note text yet; level and structure not checked"
  fi
done
if [ ${#texts[@]} -gt 0 ]; then
  files=()
  for n in "${texts[@]}"; do files+=("tools/music/music$n.txt"); done
  (cd "$src" && "$gen" --check "${files[@]}") || fail "gen-music --check"
  # Every piece names its title, composer and the public-domain score it was checked against.
  missing=$(cd "$src" && "$gen" --credits "${files[@]}" |
    awk -F '\t' '$2 == "" || $3 == "" || tolower($4) !~ /public domain/ { print $1 ": " $2 }')
  [ -z "$missing" ] || fail "pieces without title, composer or a public-domain score checked against: $missing"
fi

# --- rendered as the game plays them, through each font there is ---
fonts=()
for f in /usr/share/sounds/sf2/TimGM6mb.sf2 /usr/share/sounds/sf2/FluidR3_GM.sf2; do [ -e "$f" ] && fonts+=("$f"); done
if ! command -v fluidsynth >/dev/null || ! command -v sox >/dev/null || [ ${#fonts[@]} -eq 0 ]; then
  echo "rendering skipped: fluidsynth, sox or a soundfont is missing (scripts/deps.sh installs them)"
  exit 0
fi
with_text=" ${texts[*]} "
for font in "${fonts[@]}"; do
  GEN_MUSIC=$gen KEEP_WAVS=$dir/wav bash "$src/scripts/music-levels" --quick --font "$font" >"$dir/levels.txt" || fail "music-levels"
  cat "$dir/levels.txt"
  reference=$(awk -v t="$with_text" '$1 ~ /^music[1-9]$/ && index(t, " " substr($1, 6) " ") { print $4 }' "$dir/levels.txt" |
    sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print -25; else print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
  faults=$(awk -v t="$with_text" -v ref="$reference" -v font="$font" '
    $1 ~ /^music[1-9]$/ {
      w = font ": " $1
      if ($2 < 134 || $2 > 221) print w ": lasts " $2 " s, not 134-221 s"
      if ($3 > -1) print w ": peaks at " $3 " dBFS, over -1 dBFS"
      if (index(t, " " substr($1, 6) " ")) {
        if ($4 < ref - 1.5 || $4 > ref + 1.5) print w ": median level " $4 " dBFS, more than 1.5 dB from the median " ref
        if ($6 >= 0.8) print w ": left and right correlate at " $6 ": melody and accompaniment sit together"
        if ($7 > 4) print w ": ends with " $7 " s of near-silence"
        if ($8 > 4) print w ": falls near-silent for " $8 " s inside"
        if ($9 > 30) print w ": falls " $9 " dB within 10 ms: cut off while it sounds"
      }
    }
    $1 ~ /^m[123]\.wav$/ {
      if ($3 > ref + 10) print font ": " $1 ": loudest 100 ms at " $3 " dBFS, over 10 dB above the music (" ref ")"
      if ($3 < ref + 3) print font ": " $1 ": loudest 100 ms at " $3 " dBFS, under 3 dB above the music (" ref ")"
      if ($5 > -18) print $1 ": the first millisecond is only " (-$5) " dB under the body: a click"
      if ($6 > 20) print $1 ": falls " $6 " dB within 10 ms: cut instead of decaying"
      if ($2 > 3) print $1 ": lasts " $2 " s"
    }
    $1 == "session:" && $7 > -3 { print font ": cues over the music peak at " $7 " dBFS: less than 3 dB of headroom" }
  ' "$dir/levels.txt")
  [ -z "$faults" ] || fail "$faults"
  [ "$(grep -c '^m[123]\.wav' "$dir/levels.txt")" = 3 ] || fail "not every cue was measured"
  grep -q '^session:' "$dir/levels.txt" || fail "no session was mixed"
done
for n in 1 2 3; do
  [ -e "$src/data/m$n.wav" ] || fail "data/m$n.wav is missing"
  [ "$(stat -c %s "$src/data/m$n.wav")" -lt 262144 ] || fail "data/m$n.wav is over 256 KiB"
done
echo "music test passed"
