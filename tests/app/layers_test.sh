#!/usr/bin/env bash
# The code's folders depend one way (README, Layout): each includes only
# itself and the folders before it (the records and the game only shell/ and
# base/, the editor the game too); only app/ includes them all.
set -uo pipefail
shopt -s nullglob
cd "$2"
allowed=(
  "base:base/"
  "shell:base/ shell/"
  "records:base/ shell/ records/"
  "game:base/ shell/ game/"
  "editor:base/ shell/ game/ editor/"
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
