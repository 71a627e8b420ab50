#!/usr/bin/env bash
# The code's folders depend one way (README, Layout): the records, the game
# and the editor each include only themselves, shell/ and base/; only app/
# includes them all.
set -uo pipefail
shopt -s nullglob
cd "$2"
allowed=(
  "base:base/"
  "shell:base/ shell/"
  "records:base/ shell/ records/"
  "game:base/ shell/ game/"
  "editor:base/ shell/ editor/"
  "app:base/ shell/ records/ game/ editor/"
)
bad=0
for entry in "${allowed[@]}"; do
  dir=${entry%%:*}
  files=("$dir"/*.h "$dir"/*.cpp)
  while IFS=: read -r file included; do
    ok=0
    for prefix in ${entry#*:}; do [[ $included == "$prefix"* ]] && ok=1; done
    [ $ok = 1 ] || { echo "$file includes $included"; bad=1; }
  done < <(grep -H -o '^#include "[^"]*"' "${files[@]}" | sed 's/#include "\(.*\)"/\1/')
done
exit $bad
