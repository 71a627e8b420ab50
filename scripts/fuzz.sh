#!/usr/bin/env bash
# Builds the libFuzzer targets of the file readers (no Qt) and runs each one
# for a while on a scratch copy of its seed corpus.
#
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
#   FUZZ_BUILD_DIR=dir   build and scratch folder (default build-fuzz)
#
# Exits non-zero when a target crashes, leaks, times out or trips a
# sanitizer; the input that did it is kept in <build>/artifacts/<target>/.
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_EACH="${1:-60}"
shift || true
BUILD="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
CXX="${CXX:-clang++}"
FUZZ_DIR="$ROOT/tests/fuzz"

if ! [[ "$SECONDS_EACH" =~ ^[0-9]+$ ]] || [ "$SECONDS_EACH" -lt 1 ]; then
  echo "usage: $0 [seconds per target] [target ...]" >&2
  exit 2
fi

# Each target with the core sources its reader needs.
declare -A SOURCES=(
  [fuzz_map_file]="base/map_file.cpp base/board.cpp base/text_lines.cpp base/file_exists.cpp base/data_file.cpp base/game_folders.cpp"
  [fuzz_editor_map]="editor/editor_map.cpp base/map_file.cpp base/board.cpp base/text_lines.cpp base/file_exists.cpp base/data_file.cpp base/game_folders.cpp"
  [fuzz_records]="records/records_file.cpp base/duration.cpp base/text_lines.cpp base/file_exists.cpp base/data_file.cpp base/game_folders.cpp"
  [fuzz_ani]="shell/ani_file.cpp"
)
ALL_TARGETS=(fuzz_map_file fuzz_editor_map fuzz_records fuzz_ani)
if [ $# -gt 0 ]; then TARGETS=("$@"); else TARGETS=("${ALL_TARGETS[@]}"); fi
for t in "${TARGETS[@]}"; do
  if [ -z "${SOURCES[$t]+x}" ]; then
    echo "unknown target '$t' (known: ${ALL_TARGETS[*]})" >&2
    exit 2
  fi
done

CXXFLAGS=(-std=c++17 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
          -g -O1 -I"$ROOT")

# libFuzzer's runtime ships separately from the compiler on Debian.
fuzzer_runtime_works() {
  local probe="$BUILD/.probe"
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$probe.cpp"
  "$CXX" -fsanitize=fuzzer,address,undefined "$probe.cpp" -o "$probe" >/dev/null 2>&1
  local rc=$?
  rm -f "$probe" "$probe.cpp"
  return $rc
}

mkdir -p "$BUILD"
if ! command -v "$CXX" >/dev/null 2>&1 || ! fuzzer_runtime_works; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "clang's libFuzzer runtime is missing; run as root or install libclang-rt-dev" >&2
    exit 2
  fi
  echo "installing clang and its libFuzzer runtime..."
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  pkgs=()
  command -v clang++ >/dev/null 2>&1 || pkgs+=(clang)
  if apt-cache show libclang-rt-14-dev >/dev/null 2>&1; then pkgs+=(libclang-rt-14-dev)
  elif apt-cache show libclang-rt-dev >/dev/null 2>&1; then pkgs+=(libclang-rt-dev)
  else pkgs+=(clang); fi
  apt-get install -y -qq --no-install-recommends "${pkgs[@]}" >/dev/null || exit 2
  CXX=clang++
  fuzzer_runtime_works || { echo "libFuzzer still unusable after install" >&2; exit 2; }
fi

# Build.
for t in "${TARGETS[@]}"; do
  srcs=("$FUZZ_DIR/$t.cpp")
  for s in ${SOURCES[$t]}; do srcs+=("$ROOT/$s"); done
  newest=0
  for s in "${srcs[@]}" "$ROOT"/base/*.h "$ROOT"/game/*.h "$ROOT"/shell/*.h "$ROOT"/records/*.h "$ROOT"/editor/*.h; do
    m=$(stat -c %Y "$s"); [ "$m" -gt "$newest" ] && newest=$m
  done
  if [ -x "$BUILD/$t" ] && [ "$(stat -c %Y "$BUILD/$t")" -ge "$newest" ]; then continue; fi
  echo "building $t"
  "$CXX" "${CXXFLAGS[@]}" "${srcs[@]}" -o "$BUILD/$t.tmp" || { echo "build of $t failed" >&2; exit 2; }
  mv "$BUILD/$t.tmp" "$BUILD/$t"
done

# Run.
status=0
summary=()
for t in "${TARGETS[@]}"; do
  work="$BUILD/corpus/$t"
  art="$BUILD/artifacts/$t"
  rm -rf "$work"
  mkdir -p "$work" "$art"
  cp -r "$FUZZ_DIR/corpus/$t/." "$work/"
  extra=()
  [ -f "$FUZZ_DIR/${t#fuzz_}.dict" ] && extra+=(-dict="$FUZZ_DIR/${t#fuzz_}.dict")
  log="$BUILD/$t.log"
  echo "running $t for ${SECONDS_EACH}s (log: $log)"
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$BUILD/$t" -max_total_time="$SECONDS_EACH" -timeout=5 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$art/" "${extra[@]}" "$work" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  verdict=ok
  if [ $rc -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|SUMMARY: ' "$log"; then
    verdict="FAILED (exit $rc)"
    status=1
    grep -E 'ERROR:|runtime error:|SUMMARY:|Test unit written' "$log" | head -n 5 | sed 's/^/    /'
  fi
  summary+=("$(printf '%-16s %-18s execs=%-10s cov=%-6s ft=%s' "$t" "$verdict" "${execs:-?}" "${cov:-?}" "${ft:-?}")")
done

echo
printf '%s\n' "${summary[@]}"
exit $status
