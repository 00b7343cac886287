#!/usr/bin/env bash
# A shared library exports exactly what its linker version script lists: every
# defined dynamic symbol matches an entry of the script's global part, and every
# entry matches at least one symbol, so the list has no stale names.
#
# usage: exports_test.sh NM LIBRARY MAP
# Entries are globs on the demangled name; a quoted entry matches exactly, as ld has it.
set -euo pipefail
nm=$1 library=$2 map=$3

# The global part without comments, one entry per ';'.
global=$(sed -z -e 's#/\*\([^*]\|\*[^/]\)*\*/##g' -e 's/.*global://' -e 's/local:.*//' "$map")
entries=()
while IFS= read -r entry; do
  [ -n "$entry" ] && entries+=("$entry")
done < <(tr '\n' ' ' <<<"$global" | sed -e 's/extern "C++"//g' -e 's/[{}]//g' | tr ';' '\n' |
         sed -e 's/^ *//' -e 's/ *$//')
[ ${#entries[@]} -gt 0 ] || { echo "no entries in $map"; exit 1; }

matches() {  # symbol entry
  if [[ $2 == \"*\" ]]; then [[ $1 == "${2:1:-1}" ]]; else [[ $1 == $2 ]]; fi
}

declare -A used=()
status=0
while IFS= read -r symbol; do
  listed=false
  for entry in "${entries[@]}"; do
    if matches "$symbol" "$entry"; then used[$entry]=1; listed=true; fi
  done
  $listed || { echo "exported but not listed: $symbol"; status=1; }
done < <("$nm" -D -C --defined-only "$library" | sed 's/^[0-9a-f]* [A-Za-z] //')

for entry in "${entries[@]}"; do
  [ -n "${used[$entry]:-}" ] || { echo "listed but not exported: $entry"; status=1; }
done
exit $status
