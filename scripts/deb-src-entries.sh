#!/usr/bin/env bash
# Prints the machine's own apt entries for one release turned into source
# entries (deb-src), for an apt configuration of its own:
#   scripts/deb-src-entries.sh --list CODENAME FILE...      one-line entries (sources.list)
#   scripts/deb-src-entries.sh --sources CODENAME FILE...   deb822 stanzas (*.sources)
# Files that are not there are passed over.
set -euo pipefail
mode=$1 codename=$2
shift 2
files=()
for file in "$@"; do [ -f "$file" ] && files+=("$file"); done
[ ${#files[@]} -gt 0 ] || exit 0
case "$mode" in
  --list)
    # An entry that is deb-src already stays as it is, and is not doubled.
    cat "${files[@]}" | awk -v c="$codename" '
      ($1 == "deb" || $1 == "deb-src") && $0 ~ c { $1 = "deb-src"; if (!seen[$0]++) print }'
    ;;
  --sources)
    # The Types field names deb-src alone, whatever it listed ("deb",
    # "deb deb-src"): each stanza gives one source entry.
    for file in "${files[@]}"; do cat "$file"; echo; done | awk -v c="$codename" '
      BEGIN { RS = ""; ORS = "\n\n" }
      {
        n = split($0, line, "\n"); types = 0; suite = 0; off = 0; out = ""
        for (i = 1; i <= n; i++) {
          if (line[i] ~ /^Types:/) { types = line[i] ~ /[ \t]deb([ \t]|$)/ || line[i] ~ /deb-src/; line[i] = "Types: deb-src" }
          else if (line[i] ~ /^Suites:/ && line[i] ~ c) suite = 1
          else if (line[i] ~ /^Enabled: *no/) off = 1
          out = out (i > 1 ? "\n" : "") line[i]
        }
        if (types && suite && !off) print out
      }'
    ;;
  *) echo "deb-src-entries.sh: --list or --sources, not $mode" >&2; exit 2 ;;
esac
