#!/usr/bin/env bash
# Checks that every include of our own headers goes down the layers: the core
# never includes the widgets, and within each layer a folder includes only from
# itself and the folders below it. Prints each offending line; exits 1 on any.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
order=(core/text core/image core/host core/simulation core/gallery core/workspace core/photo
  core/output core/consultation core/commands ui/resources ui/dialogs ui/bars ui/panes ui/frame app tools)
rank() {
  local i
  for i in "${!order[@]}"; do [ "${order[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}
bad=0
while IFS= read -r file; do
  here=$(rank "$(dirname "$file")")
  while IFS= read -r inc; do
    there=$(rank "$(dirname "$inc")")
    if [ "$there" -gt "$here" ] || [ "$there" -lt 0 ]; then
      echo "$file includes $inc"
      bad=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(git ls-files 'core/*' 'ui/*' 'app/*' 'tools/*' | grep -E '\.(h|cpp)$')
[ "$bad" -eq 0 ] && echo "layers: every include goes down"
exit "$bad"
