#!/usr/bin/env bash
# The code's folders depend one way (README, Layout): each includes only
# itself and the folders before it, and of a folder beside it only what the
# layout names.
set -uo pipefail
shopt -s nullglob
cd "$2"
allowed=(
  "base:base/"
  "shell:base/ shell/"
  "records:base/ shell/ records/"
  "game:base/ shell/ records/records_file.h game/"
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
